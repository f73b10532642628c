#pragma once
// Text as bytes: letter case of the ASCII letters, and trimming by the rule each caller needs.
// Bytes above 127 belong to a file's own code page and compare as they are.

#include <cstddef>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace brindle {

// Inline: scanning and searching call them for every byte.
constexpr char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
constexpr char UpperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}
std::string LowerAscii(std::string_view text);

// Whether every byte is below 128.
bool IsAscii(std::string_view text);

// Text comparison as the host language does it (Option Compare Text), for the ASCII letters
// that keywords and markers consist of.
bool EqualsNoCase(std::string_view a, std::string_view b);
// For maps keyed by names in any case, looked up by a view without a copy.
struct NoCaseHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const;
};
struct NoCaseEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const { return EqualsNoCase(a, b); }
};
// Position of `target` in `text` at or after `from`, or npos.
std::size_t FindNoCase(std::string_view text, std::string_view target, std::size_t from = 0);
bool ContainsNoCase(std::string_view text, std::string_view target);

// Without the space characters around it; tabs stay.
std::string_view TrimSpaces(std::string_view text);
std::string_view TrimTrailingSpaces(std::string_view text);

// Without the blanks and tabs around it, before it or after it.
std::string_view TrimBlanks(std::string_view text);
std::string_view TrimLeadingBlanks(std::string_view text);
std::string_view TrimTrailingBlanks(std::string_view text);
// The words of a text separated by blanks and tabs, the first `limit` of them.
std::vector<std::string_view> BlankSeparatedWords(
    std::string_view text, std::size_t limit = std::numeric_limits<std::size_t>::max());

constexpr bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
constexpr bool IsDigit(unsigned char c) {
    return IsDigit(static_cast<char>(c));
}
// Whatever the process's locale: VB6 names take no other letters below 0x80.
constexpr bool IsAsciiLetterOrDigit(char c) {
    return IsDigit(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
// A blank or a tab: what separates the words of a statement.
constexpr bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Blanks, tabs, line and form feeds, carriage returns.
bool IsWhitespace(char c);
// Without the white space around it.
std::string_view TrimWhitespace(std::string_view text);

// The text as a URI holds it: ASCII letters, digits and the bytes of `kept` as they are, every
// other byte as "%" and two hex digits.
std::string PercentEncoded(std::string_view text, std::string_view kept);

}  // namespace brindle

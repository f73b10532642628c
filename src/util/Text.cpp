#include "util/Text.h"

#include <algorithm>
#include <cstdint>

namespace brindle {
namespace {

// A loop of plain comparisons: find_first_not_of would call memchr for every character.
template <class Trimmed>
std::string_view TrimLeading(std::string_view text, Trimmed trimmed) {
    std::size_t first = 0;
    while (first < text.size() && trimmed(text[first])) {
        ++first;
    }
    return text.substr(first);
}

template <class Trimmed>
std::string_view TrimTrailing(std::string_view text, Trimmed trimmed) {
    std::size_t end = text.size();
    while (end > 0 && trimmed(text[end - 1])) {
        --end;
    }
    return text.substr(0, end);
}

constexpr bool IsSpace(char c) {
    return c == ' ';
}

bool SameNoCase(char x, char y) {
    return LowerAscii(x) == LowerAscii(y);
}

}  // namespace

std::string LowerAscii(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) { return LowerAscii(c); });
    return lower;
}

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    // Most texts compared differ in their first letter, and most of the others are in the same
    // case already, where memcmp is far faster.
    return a.empty() || (SameNoCase(a.front(), b.front()) &&
                         (a == b || std::equal(a.begin(), a.end(), b.begin(), SameNoCase)));
}

std::size_t NoCaseHash::operator()(std::string_view text) const {
    std::uint64_t hash = 14695981039346656037ULL;  // FNV-1a
    for (const char c : text) {
        hash = (hash ^ static_cast<unsigned char>(LowerAscii(c))) * 1099511628211ULL;
    }
    return static_cast<std::size_t>(hash);
}

std::size_t FindNoCase(std::string_view text, std::string_view target, std::size_t from) {
    if (from > text.size()) {
        return std::string_view::npos;
    }
    const auto hit = std::search(text.begin() + static_cast<std::ptrdiff_t>(from), text.end(),
                                 target.begin(), target.end(), SameNoCase);
    return hit == text.end() && !target.empty() ? std::string_view::npos
                                                : static_cast<std::size_t>(hit - text.begin());
}

bool ContainsNoCase(std::string_view text, std::string_view target) {
    return FindNoCase(text, target) != std::string_view::npos;
}

std::string_view TrimSpaces(std::string_view text) {
    return TrimTrailingSpaces(TrimLeading(text, IsSpace));
}

std::string_view TrimTrailingSpaces(std::string_view text) {
    return TrimTrailing(text, IsSpace);
}

std::string_view TrimBlanks(std::string_view text) {
    return TrimTrailingBlanks(TrimLeadingBlanks(text));
}

std::string_view TrimLeadingBlanks(std::string_view text) {
    return TrimLeading(text, IsBlank);
}

std::string_view TrimTrailingBlanks(std::string_view text) {
    return TrimTrailing(text, IsBlank);
}

std::vector<std::string_view> BlankSeparatedWords(std::string_view text, std::size_t limit) {
    std::vector<std::string_view> words;
    words.reserve(std::min<std::size_t>(limit, 8));  // most callers want the first few
    std::size_t i = 0;
    while (words.size() < limit) {
        while (i < text.size() && IsBlank(text[i])) {
            ++i;
        }
        if (i == text.size()) {
            break;
        }
        const std::size_t start = i;
        while (i < text.size() && !IsBlank(text[i])) {
            ++i;
        }
        words.push_back(text.substr(start, i - start));
    }
    return words;
}

bool IsWhitespace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

std::string_view TrimWhitespace(std::string_view text) {
    return TrimTrailing(TrimLeading(text, IsWhitespace), IsWhitespace);
}

std::string PercentEncoded(std::string_view text, std::string_view kept) {
    constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const bool letter = LowerAscii(c) >= 'a' && LowerAscii(c) <= 'z';
        if (letter || IsDigit(c) || kept.find(c) != std::string_view::npos) {
            encoded += c;
        } else {
            encoded += '%';
            encoded += kHex[byte >> 4];
            encoded += kHex[byte & 0xF];
        }
    }
    return encoded;
}

}  // namespace brindle

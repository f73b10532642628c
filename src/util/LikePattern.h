#pragma once
// Patterns of VB's Like operator, which the Find dialog's "Use Pattern Matching" takes: "?" any
// one character, "*" any run of characters, "#" one digit, "[list]" one character of the list
// (ranges as "a-z"), "[!list]" one that is not in it; "[*]" is a "*" itself.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace brindle {

// The length in bytes of the character at the front of `rest` (not empty): 1 in a code page of
// single bytes, 2 for a lead byte and its trail in a double-byte one, a UTF-8 sequence's length.
using CharacterWidth = std::function<std::size_t(std::string_view rest)>;

class LikePattern {
public:
    // Nothing for a "[" without its "]" (VB's "Invalid pattern string").
    static std::optional<LikePattern> Parse(std::string_view pattern, const CharacterWidth& width);
    // Plain text: every character stands for itself.
    static LikePattern Literal(std::string_view text, const CharacterWidth& width);

    // Letter case counts unless `matchCase` is false; then ASCII letters match either case.
    bool Matches(std::string_view text, bool matchCase) const;
    // The length in bytes of the shortest front of `text` that the pattern matches.
    std::optional<std::size_t> MatchFront(std::string_view text, bool matchCase) const;

    bool Empty() const { return items_.empty(); }

private:
    enum class Kind : std::uint8_t { Run, Any, Digit, List, Character };
    struct Range {
        std::uint32_t low;
        std::uint32_t high;
    };
    struct Item {
        explicit Item(Kind k, std::uint32_t c = 0) : kind(k), character(c) {}
        Kind kind;
        std::uint32_t character = 0;  // of Character
        bool negated = false;         // of List
        std::vector<Range> ranges;    // of List
    };

    explicit LikePattern(CharacterWidth width) : width_(std::move(width)) {}
    bool Accepts(const Item& item, std::uint32_t character, bool matchCase) const;
    std::optional<std::size_t> Run(std::string_view text, bool matchCase, bool front) const;

    CharacterWidth width_;
    std::vector<Item> items_;
};

}  // namespace brindle

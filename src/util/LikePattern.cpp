#include "util/LikePattern.h"

#include <algorithm>

#include "util/Text.h"

namespace brindle {
namespace {

// A character's bytes read as one number: the order of the code page's (or UTF-8's) bytes.
std::uint32_t Value(std::string_view bytes) {
    std::uint32_t value = 0;
    for (const char c : bytes) {
        value = (value << 8) | static_cast<unsigned char>(c);
    }
    return value;
}

std::size_t WidthAt(const CharacterWidth& width, std::string_view rest) {
    return std::clamp<std::size_t>(width(rest), 1, rest.size());
}

bool IsAsciiLetter(std::uint32_t c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

std::uint32_t OtherCase(std::uint32_t c) {
    return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c - 'A' + 'a';
}

}  // namespace

std::optional<LikePattern> LikePattern::Parse(std::string_view pattern,
                                              const CharacterWidth& width) {
    LikePattern result(width);
    std::size_t at = 0;
    const auto next = [&] {
        const std::size_t length = WidthAt(width, pattern.substr(at));
        const std::uint32_t value = Value(pattern.substr(at, length));
        at += length;
        return value;
    };
    while (at < pattern.size()) {
        const char c = pattern[at];
        if (c == '*') {
            ++at;
            if (result.items_.empty() || result.items_.back().kind != Kind::Run) {
                result.items_.push_back(Item(Kind::Run));
            }
        } else if (c == '?') {
            ++at;
            result.items_.push_back(Item(Kind::Any));
        } else if (c == '#') {
            ++at;
            result.items_.push_back(Item(Kind::Digit));
        } else if (c == '[') {
            const std::size_t close = pattern.find(']', at + 1);
            if (close == std::string_view::npos) {
                return std::nullopt;
            }
            ++at;
            Item list(Kind::List);
            if (at < close && pattern[at] == '!') {
                list.negated = true;
                ++at;
            }
            if (at == close && !list.negated) {
                ++at;  // "[]" stands for no character at all
                continue;
            }
            while (at < close) {
                const std::uint32_t low = next();
                std::uint32_t high = low;
                if (at + 1 < close && pattern[at] == '-') {
                    ++at;
                    high = next();
                }
                list.ranges.push_back({std::min(low, high), std::max(low, high)});
            }
            at = close + 1;
            result.items_.push_back(std::move(list));
        } else {
            result.items_.push_back(Item(Kind::Character, next()));
        }
    }
    return result;
}

LikePattern LikePattern::Literal(std::string_view text, const CharacterWidth& width) {
    LikePattern result(width);
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = WidthAt(width, text.substr(at));
        result.items_.push_back(Item(Kind::Character, Value(text.substr(at, length))));
        at += length;
    }
    return result;
}

bool LikePattern::Accepts(const Item& item, std::uint32_t c, bool matchCase) const {
    switch (item.kind) {
        case Kind::Run:
        case Kind::Any:
            return true;
        case Kind::Digit:
            return c >= '0' && c <= '9';
        case Kind::Character:
            return c == item.character ||
                   (!matchCase && IsAsciiLetter(c) && OtherCase(c) == item.character);
        case Kind::List:
            break;
    }
    const auto inList = [&](std::uint32_t value) {
        return std::any_of(item.ranges.begin(), item.ranges.end(),
                           [&](const Range& r) { return value >= r.low && value <= r.high; });
    };
    const bool in = inList(c) || (!matchCase && IsAsciiLetter(c) && inList(OtherCase(c)));
    return in != item.negated;
}

// The items as states of a machine that reads the text a character at a time: state i waits
// for item i, and the state past the last item has matched.
std::optional<std::size_t> LikePattern::Run(std::string_view text, bool matchCase,
                                            bool front) const {
    const std::size_t count = items_.size();
    std::vector<char> states(count + 1, 0);
    std::vector<char> following(count + 1, 0);
    const auto close = [&](std::vector<char>& set) {
        // A run of any characters may be empty.
        for (std::size_t i = 0; i < count; ++i) {
            if (set[i] != 0 && items_[i].kind == Kind::Run) {
                set[i + 1] = 1;
            }
        }
    };
    states[0] = 1;
    close(states);
    std::size_t at = 0;
    while (true) {
        if (front && states[count] != 0) {
            return at;
        }
        if (at == text.size() ||
            std::none_of(states.begin(), states.end(), [](char state) { return state != 0; })) {
            break;
        }
        const std::size_t length = WidthAt(width_, text.substr(at));
        const std::uint32_t c = Value(text.substr(at, length));
        std::fill(following.begin(), following.end(), 0);
        for (std::size_t i = 0; i < count; ++i) {
            if (states[i] == 0 || !Accepts(items_[i], c, matchCase)) {
                continue;
            }
            following[items_[i].kind == Kind::Run ? i : i + 1] = 1;
        }
        close(following);
        states.swap(following);
        at += length;
    }
    if (!front && at == text.size() && states[count] != 0) {
        return at;
    }
    return std::nullopt;
}

bool LikePattern::Matches(std::string_view text, bool matchCase) const {
    return Run(text, matchCase, false).has_value();
}

std::optional<std::size_t> LikePattern::MatchFront(std::string_view text, bool matchCase) const {
    return Run(text, matchCase, true);
}

}  // namespace brindle

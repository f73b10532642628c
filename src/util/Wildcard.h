#pragma once
// "*" and "?" patterns, as the excluded procedures and .brindleignore's names are written.

#include <cstddef>
#include <functional>
#include <optional>
#include <string_view>

namespace brindle {

// How many bytes of the pattern and of the name one pattern item at the front takes.
struct WildcardStep {
    std::size_t pattern = 0;
    std::size_t name = 0;
};

// Matches the item at the front of `pattern` (not "*") to the front of `name` (both not
// empty); nothing when it does not match.
using WildcardItem =
    std::function<std::optional<WildcardStep>(std::string_view pattern, std::string_view name)>;

// "*" is any run of bytes; every other item is matched by `item`.
bool MatchWildcard(std::string_view pattern, std::string_view name, const WildcardItem& item);

// "?" is any one byte, anything else itself, ASCII letter case ignored.
bool MatchWildcard(std::string_view pattern, std::string_view name);

}  // namespace brindle

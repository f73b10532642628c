#include "util/Wildcard.h"

#include "util/Text.h"

namespace brindle {
namespace {

std::optional<WildcardStep> SameByte(std::string_view pattern, std::string_view name) {
    if (pattern.front() != '?' && LowerAscii(pattern.front()) != LowerAscii(name.front())) {
        return std::nullopt;
    }
    return WildcardStep{1, 1};
}

}  // namespace

bool MatchWildcard(std::string_view pattern, std::string_view name, const WildcardItem& item) {
    if (pattern.empty()) {
        return name.empty();
    }
    if (pattern.front() == '*') {
        for (std::size_t skip = 0; skip <= name.size(); ++skip) {
            if (MatchWildcard(pattern.substr(1), name.substr(skip), item)) {
                return true;
            }
        }
        return false;
    }
    if (name.empty()) {
        return false;
    }
    const auto step = item(pattern, name);
    return step && MatchWildcard(pattern.substr(step->pattern), name.substr(step->name), item);
}

bool MatchWildcard(std::string_view pattern, std::string_view name) {
    return MatchWildcard(pattern, name, SameByte);
}

}  // namespace brindle

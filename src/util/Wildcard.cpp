#include "util/Wildcard.h"

#include <vector>

#include "util/Text.h"

namespace brindle {
namespace {

std::optional<WildcardStep> SameByte(std::string_view pattern, std::string_view name) {
    if (pattern.front() != '?' && LowerAscii(pattern.front()) != LowerAscii(name.front())) {
        return std::nullopt;
    }
    return WildcardStep{1, 1};
}

// Whether the pattern from `p` on matches the name from `n` on. Each pair that does not is
// remembered, so that a pattern of many "*" takes time in proportion to the pattern's length
// times the name's, not exponential in the count of "*".
class Matcher {
public:
    Matcher(std::string_view pattern, std::string_view name, const WildcardItem& item)
        : pattern_(pattern),
          name_(name),
          item_(item),
          failed_((pattern.size() + 1) * (name.size() + 1)) {}

    bool Match(std::size_t p, std::size_t n) {
        const std::size_t at = p * (name_.size() + 1) + n;
        if (failed_[at]) {
            return false;
        }
        const bool matched = Try(p, n);
        failed_[at] = !matched;
        return matched;
    }

private:
    bool Try(std::size_t p, std::size_t n) {
        if (p == pattern_.size()) {
            return n == name_.size();
        }
        if (pattern_[p] == '*') {
            for (std::size_t skip = n; skip <= name_.size(); ++skip) {
                if (Match(p + 1, skip)) {
                    return true;
                }
            }
            return false;
        }
        if (n == name_.size()) {
            return false;
        }
        const auto step = item_(pattern_.substr(p), name_.substr(n));
        return step && Match(p + step->pattern, n + step->name);
    }

    std::string_view pattern_;
    std::string_view name_;
    const WildcardItem& item_;
    std::vector<bool> failed_;
};

}  // namespace

bool MatchWildcard(std::string_view pattern, std::string_view name, const WildcardItem& item) {
    return Matcher(pattern, name, item).Match(0, 0);
}

bool MatchWildcard(std::string_view pattern, std::string_view name) {
    return MatchWildcard(pattern, name, SameByte);
}

}  // namespace brindle

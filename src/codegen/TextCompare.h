#pragma once
// Comparisons of source text without regard to case (EqualsNoCase and ContainsNoCase are the
// analysis' own). Only ASCII letters fold: bytes above 127 belong to the module's own code page
// and are compared as they are.

#include <string_view>

#include "analysis/LineHelpers.h"  // EqualsNoCase, ContainsNoCase

namespace brindle {

inline char FoldCase(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Without the blanks and tabs around it.
inline std::string_view TrimBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace brindle

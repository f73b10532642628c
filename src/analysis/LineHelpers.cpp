#include "analysis/LineHelpers.h"

#include <algorithm>
#include <array>

#include "host/model/VbError.h"

namespace brindle {
namespace {

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsRemAt(std::string_view line, std::size_t i) {
    return EqualsNoCase(line.substr(i, 3), "Rem") && (i + 3 == line.size() || line[i + 3] == ' ');
}

// Where a line number label that opens the line ends, or `i` when there is none.
std::size_t SkipLineNumber(std::string_view line, std::size_t i) {
    std::size_t j = i;
    while (j < line.size() && IsDigit(line[j])) {
        ++j;
    }
    return (j > i && (j == line.size() || IsBlank(line[j]))) ? j : i;
}

std::size_t CommentStart(std::string_view line) {
    bool inString = false;
    bool statementStart = true;
    bool lineStart = true;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (inString) {
            inString = c != '"';  // a doubled quote closes and reopens
            continue;
        }
        if (c == '\'') {
            return i;
        }
        if (IsBlank(c)) {
            continue;
        }
        if (c == ':') {
            statementStart = true;
            continue;
        }
        if (statementStart && IsRemAt(line, i)) {
            return i;
        }
        if (lineStart) {
            lineStart = false;
            const std::size_t end = SkipLineNumber(line, i);
            if (end != i) {
                i = end - 1;
                continue;
            }
        }
        statementStart = false;
        inString = c == '"';
    }
    return std::string_view::npos;
}

}  // namespace

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return LowerAscii(x) == LowerAscii(y);
           });
}

std::size_t FindNoCase(std::string_view text, std::string_view target, std::size_t from) {
    if (from > text.size()) {
        return std::string_view::npos;
    }
    const auto hit =
        std::search(text.begin() + static_cast<std::ptrdiff_t>(from), text.end(), target.begin(),
                    target.end(), [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
    return hit == text.end() && !target.empty() ? std::string_view::npos
                                                : static_cast<std::size_t>(hit - text.begin());
}

bool ContainsNoCase(std::string_view text, std::string_view target) {
    return FindNoCase(text, target) != std::string_view::npos;
}

std::string_view TrimSpaces(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string_view TrimTrailingSpaces(std::string_view text) {
    const std::size_t last = text.find_last_not_of(' ');
    return last == std::string_view::npos ? std::string_view{} : text.substr(0, last + 1);
}

std::string GetNonCommentPartOfLine(std::string_view line) {
    return PassOn("Brindle.GetNonCommentPartOfLine",
                  [&] { return std::string(line.substr(0, CommentStart(line))); });
}

std::int32_t SplitString(std::string_view text, std::string_view separator,
                         std::vector<std::string>& pieces) {
    return PassOn("Brindle.SplitString", [&] {
        if (separator.empty()) {
            Raise(Err::InvalidCall, "VBBrindle");
        }
        std::vector<std::string> found;
        std::size_t p = 0;
        for (std::size_t f = FindNoCase(text, separator, p); f != std::string_view::npos;
             f = FindNoCase(text, separator, p)) {
            found.emplace_back(text.substr(p, f - p));
            p = f + separator.size();
        }
        if (p < text.size()) {
            found.emplace_back(text.substr(p));
        }
        if (found.empty()) {
            return std::int32_t{0};
        }
        pieces = std::move(found);
        return static_cast<std::int32_t>(pieces.size());
    });
}

bool IsParmListKeyword(std::string_view word) {
    static constexpr std::array<std::string_view, 5> kKeywords = {"Optional", "ByVal", "ByRef",
                                                                  "As", "ParamArray"};
    const std::string_view trimmed = TrimSpaces(word);
    return std::any_of(kKeywords.begin(), kKeywords.end(),
                       [&](std::string_view k) { return EqualsNoCase(trimmed, k); });
}

}  // namespace brindle

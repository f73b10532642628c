#include "analysis/LineHelpers.h"

#include <algorithm>
#include <array>

#include "model/AddinName.h"
#include "model/VbError.h"
#include "util/Text.h"

namespace brindle {
namespace {

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
    // Without an apostrophe or a colon, only a Rem that opens the line can start a comment; the
    // rest of such a line, most lines, need not be followed once its first statement has begun.
    const bool plain =
        line.find('\'') == std::string_view::npos && line.find(':') == std::string_view::npos;
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
        if (plain) {
            return std::string_view::npos;
        }
        statementStart = false;
        inString = c == '"';
    }
    return std::string_view::npos;
}

}  // namespace

std::string_view NonCommentPart(std::string_view line) {
    return line.substr(0, CommentStart(line));
}

std::string GetNonCommentPartOfLine(std::string_view line) {
    return PassOn("Brindle.GetNonCommentPartOfLine",
                  [&] { return std::string(line.substr(0, CommentStart(line))); });
}

std::int32_t SplitString(std::string_view text, std::string_view separator,
                         std::vector<std::string>& pieces) {
    return PassOn("Brindle.SplitString", [&] {
        if (separator.empty()) {
            Raise(Err::InvalidCall, kAddinComponent);
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

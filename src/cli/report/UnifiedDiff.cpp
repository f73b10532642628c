#include "cli/report/UnifiedDiff.h"

#include <dtl/dtl.hpp>

#include <algorithm>
#include <cstddef>
#include <vector>

#include "host/ide/SourceLine.h"

namespace brindle::cli {
namespace {

constexpr std::size_t kContext = 3;

// Lines with their own CR LF, CR or LF; the last one may have none.
std::vector<std::string_view> SplitKeepingBreaks(std::string_view text) {
    std::vector<std::string_view> lines;
    host::ForEachLine(text, [&lines](std::string_view line, host::LineBreak lineBreak) {
        lines.emplace_back(line.data(), line.size() + host::BreakBytes(lineBreak).size());
    });
    return lines;
}

struct Edit {
    dtl::edit_t type;
    std::string_view line;
};

std::vector<Edit> EditScript(std::string_view before, std::string_view after) {
    using Lines = std::vector<std::string_view>;
    dtl::Diff<std::string_view, Lines> diff(SplitKeepingBreaks(before), SplitKeepingBreaks(after));
    diff.compose();
    std::vector<Edit> edits;
    for (const auto& element : diff.getSes().getSequence()) {
        edits.push_back({element.second.type, element.first});
    }
    return edits;
}

bool InOld(const Edit& edit) {
    return edit.type != dtl::SES_ADD;
}
bool InNew(const Edit& edit) {
    return edit.type != dtl::SES_DELETE;
}

struct Hunk {
    std::size_t begin;  // indices into the edit script
    std::size_t end;
};

std::vector<Hunk> GroupIntoHunks(const std::vector<Edit>& edits) {
    std::vector<Hunk> hunks;
    for (std::size_t i = 0; i < edits.size(); ++i) {
        if (edits[i].type == dtl::SES_COMMON) {
            continue;
        }
        const std::size_t begin = i >= kContext ? i - kContext : 0;
        if (!hunks.empty() && begin <= hunks.back().end) {
            hunks.back().end = std::min(edits.size(), i + 1 + kContext);
        } else {
            hunks.push_back({begin, std::min(edits.size(), i + 1 + kContext)});
        }
    }
    return hunks;
}

std::string Range(std::size_t linesBefore, std::size_t count) {
    const std::size_t start = count == 0 ? linesBefore : linesBefore + 1;
    return count == 1 ? std::to_string(start) : std::to_string(start) + "," + std::to_string(count);
}

void AppendLine(std::string& out, char mark, std::string_view line) {
    out += mark;
    out += line;
    const char last = line.empty() ? '\0' : line.back();
    if (last != '\n' && last != '\r') {
        out += "\n\\ No newline at end of file\n";
    }
}

void AppendHunk(std::string& out, const std::vector<Edit>& edits, const Hunk& hunk,
                std::size_t oldBefore, std::size_t newBefore) {
    std::size_t oldCount = 0;
    std::size_t newCount = 0;
    for (std::size_t i = hunk.begin; i < hunk.end; ++i) {
        oldCount += InOld(edits[i]) ? 1u : 0u;
        newCount += InNew(edits[i]) ? 1u : 0u;
    }
    out += "@@ -" + Range(oldBefore, oldCount) + " +" + Range(newBefore, newCount) + " @@\n";
    for (std::size_t i = hunk.begin; i < hunk.end; ++i) {
        const char mark = edits[i].type == dtl::SES_ADD      ? '+'
                          : edits[i].type == dtl::SES_DELETE ? '-'
                                                             : ' ';
        AppendLine(out, mark, edits[i].line);
    }
}

}  // namespace

std::string UnifiedDiff(std::string_view label, std::string_view before, std::string_view after) {
    if (before == after) {
        return {};
    }
    const auto edits = EditScript(before, after);
    std::string out = "--- a/" + std::string(label) + "\n+++ b/" + std::string(label) + "\n";
    std::size_t next = 0;
    std::size_t oldBefore = 0;
    std::size_t newBefore = 0;
    for (const auto& hunk : GroupIntoHunks(edits)) {
        for (; next < hunk.begin; ++next) {
            oldBefore += InOld(edits[next]) ? 1u : 0u;
            newBefore += InNew(edits[next]) ? 1u : 0u;
        }
        AppendHunk(out, edits, hunk, oldBefore, newBefore);
    }
    return out;
}

}  // namespace brindle::cli

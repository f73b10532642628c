#include <optional>

#include "analysis/SelectedProcs.h"
#include "codegen/Insertion.h"
#include "codegen/ModuleCommands.h"
#include "codegen/TextCompare.h"
#include "host/model/VbError.h"

namespace brindle {
namespace {

struct Position {
    std::int32_t line = 0;
    std::int32_t column = 0;
};

// A selection, or a match of Find: where it starts and where it ends.
struct Range {
    std::int32_t startLine = 0;
    std::int32_t startColumn = 0;
    std::int32_t endLine = 0;
    std::int32_t endColumn = 0;
};

Range ReadSelection(CodeModule& module) {
    Range s;
    GetSelection(module.CodePane(), s.startLine, s.startColumn, s.endLine, s.endColumn);
    return s;
}

// The marker text anywhere in a line at or after `from`, without regard to case.
std::optional<Range> FindFrom(CodeModule& module, std::string_view marker, Position from) {
    Range m{from.line, from.column, 1, 1};
    if (!module.Find(marker, m.startLine, m.startColumn, m.endLine, m.endColumn, false, false,
                     false)) {
        return std::nullopt;
    }
    return m;
}

// Where the search goes on after lines from `deletedAt` on were deleted: from the selection's
// start, as read afresh, or from `deletedAt` when that lies below it. The lines above
// `deletedAt` are unchanged and were searched already, so both find the same next match; the
// second keeps a run over a whole module linear.
Position ResumeAfterDeletion(const Range& selection, std::int32_t deletedAt) {
    if (deletedAt > selection.startLine) {
        return {deletedAt, 1};
    }
    return {selection.startLine, selection.startColumn};
}

// One pass of RemoveCodeMarkers: deletes every line within the selection that is exactly
// `marker`. A line that merely holds the text is passed over.
void RemoveMarkerLines(CodeModule& module, std::string_view marker) {
    auto selection = ReadSelection(module);
    Position from{selection.startLine, selection.startColumn};
    while (from.line <= selection.endLine) {
        const auto match = FindFrom(module, marker, from);
        if (!match || match->endLine > selection.endLine) {
            return;
        }
        if (EqualsNoCase(module.Lines(match->startLine, 1), marker)) {
            module.DeleteLines(match->startLine, 1);
            selection = ReadSelection(module);
            from = ResumeAfterDeletion(selection, match->startLine);
        } else {
            from = {match->endLine, match->endColumn};
        }
    }
}

}  // namespace

void RemoveCodeMarkers(CodeModule& module) {
    PassOn("Brindle.RemoveCodeMarkers", [&] {
        RemoveMarkerLines(module, kBeginMarker);
        RemoveMarkerLines(module, kEndMarker);
    });
}

void RemoveCode(CodeModule& module) {
    PassOn("Brindle.RemoveCode", [&] {
        auto selection = ReadSelection(module);
        Position from{selection.startLine, selection.startColumn};
        while (from.line <= selection.endLine) {
            const auto begin = FindFrom(module, kBeginMarker, from);
            if (!begin || begin->endLine > selection.endLine) {
                return;
            }
            const auto end = FindFrom(module, kEndMarker, {begin->startLine, begin->startColumn});
            if (!end || end->endLine > selection.endLine) {
                return;
            }
            module.DeleteLines(begin->startLine, end->startLine - begin->startLine + 1);
            selection = ReadSelection(module);
            from = ResumeAfterDeletion(selection, begin->startLine);
        }
    });
}

}  // namespace brindle

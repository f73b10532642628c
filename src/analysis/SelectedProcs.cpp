#include "analysis/SelectedProcs.h"

#include <algorithm>

#include "model/AddinName.h"
#include "model/VbError.h"
#include "util/Text.h"

namespace brindle {
std::string ProcList::KeyOf(const ProcInfo& info) {
    return info.gsProcName + "_" + std::to_string(static_cast<std::int32_t>(info.geProcKind));
}

bool ProcList::TryAdd(ProcInfo info) {
    if (!keys_.insert(LowerAscii(KeyOf(info))).second) {
        return false;
    }
    entries_.push_back(std::move(info));
    return true;
}

void ProcList::Add(ProcInfo info) {
    if (!TryAdd(std::move(info))) {
        Raise(Err::DuplicateKey, kAddinComponent);
    }
}

void GetSelection(CodePane& pane, std::int32_t& startLine, std::int32_t& startColumn,
                  std::int32_t& endLine, std::int32_t& endColumn) {
    PassOn("Brindle.GetSelection", [&] {
        pane.GetSelection(startLine, startColumn, endLine, endColumn);
        if (endLine > startLine && endColumn == 1) {
            --endLine;
            endColumn = static_cast<std::int32_t>(pane.CodeModule().Lines(endLine, 1).size());
        }
    });
}

ProcList GetSelectedProcs(CodeModule& module) {
    std::int32_t startLine = 0;
    std::int32_t startColumn = 0;
    std::int32_t endLine = 0;
    std::int32_t endColumn = 0;
    CodePane& pane = module.CodePane();
    GetSelection(pane, startLine, startColumn, endLine, endColumn);
    ProcList procs;
    // The line past the last one, where a selection may end, belongs to no procedure.
    endLine = std::min(endLine, pane.CodeModule().CountOfLines());
    CodeModule& code = pane.CodeModule();
    for (std::int32_t line = startLine; line <= endLine; ++line) {
        ProcInfo info;
        info.gsProcName = code.ProcOfLine(line, info.geProcKind);
        if (info.gsProcName.empty()) {
            continue;
        }
        // The rest of the procedure's span holds nothing else. A second definition of the name
        // (under #If) is not the span the host gives for it, and is walked line by line.
        const auto spanEnd = code.ProcStartLine(info.gsProcName, info.geProcKind) +
                             code.ProcCountLines(info.gsProcName, info.geProcKind) - 1;
        procs.TryAdd(std::move(info));  // a procedure met before keeps its place
        line = std::max(line, spanEnd);
    }
    return procs;
}

}  // namespace brindle

#include "codegen/ModuleCommands.h"

#include <utility>

#include "analysis/SelectedProcs.h"
#include "codegen/Insertion.h"
#include "codegen/TextCompare.h"
#include "host/model/VbError.h"
#include "templates/Expansion.h"

namespace brindle {

void AddModuleHeader(const AddinFields& fields, CodeModule& module) {
    PassOn("Brindle.AddModuleHeader", [&] {
        std::int32_t at = 1;
        // An empty module has no first line to look at; its header becomes its first line.
        if (module.CountOfLines() > 0 && ContainsNoCase(module.Lines(1, 1), "Option Explicit")) {
            at = 2;
        }
        auto text = BuildCode(fields, fields.msModHdrTmplt, module, nullptr, 1);
        module.InsertLines(at, MarkedText(fields, std::move(text)));
    });
}

void AddHeaders(const AddinFields& fields, CodeModule& module) {
    PassOn("Brindle.AddHeaders", [&] {
        for (const auto& proc : GetSelectedProcs(module)) {
            AddHeaderToProc(fields, module, proc.gsProcName, proc.geProcKind);
        }
    });
}

void AddErrHandlers(const AddinFields& fields, CodeModule& module, Diagnostics* sink) {
    PassOn("Brindle.AddErrHandlers", [&] {
        for (const auto& proc : GetSelectedProcs(module)) {
            AddErrHandlerToProc(fields, module, proc.gsProcName, proc.geProcKind, sink);
        }
    });
}

}  // namespace brindle

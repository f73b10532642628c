#include "codegen/ModuleCommands.h"

#include <array>
#include <unordered_map>
#include <utility>

#include "analysis/ProcDecl.h"
#include "analysis/SelectedProcs.h"
#include "codegen/GeneratedCode.h"
#include "codegen/Insertion.h"
#include "model/VbError.h"
#include "templates/Expansion.h"
#include "util/Text.h"

namespace brindle {
namespace {

enum class Piece { Header, ErrorHandler };

bool HasPiece(const GeneratedCode& code, CodeModule& module, std::size_t proc, Piece piece) {
    if (piece == Piece::Header) {
        return code.Has(BlockRole::ProcedureHeader, proc);
    }
    return code.Has(BlockRole::ErrorHeader, proc) || code.Has(BlockRole::ErrorFooter, proc) ||
           HasOnErrorStatement(module, code.procedures[proc]);
}

// The selected procedures that get the piece: not those the user keeps Brindle away from, nor,
// with Skip Existing, those that have it already. Decided before anything is inserted.
ProcList ProceduresFor(const AddinFields& fields, CodeModule& module, Piece piece, KeptMap& map) {
    auto selected = GetSelectedProcs(module);
    if (!fields.mbSkipExisting && !MayExclude(fields, module)) {
        return selected;
    }
    const GeneratedCode procedures = fields.mbSkipExisting
                                         ? GeneratedCode{}
                                         : GeneratedCode{ModuleProcedures(module), {}, {}, {}};
    const GeneratedCode& code = fields.mbSkipExisting ? map.Of(fields, module) : procedures;
    const auto exclusions = FindExclusions(fields, module, code.procedures);
    if (exclusions.module) {
        return {};
    }
    // Each procedure's place, by its kind and its name in any case.
    std::array<std::unordered_map<std::string_view, std::size_t, NoCaseHash, NoCaseEqual>,
               vbext_pk_Get + 1>
        indexOf;
    for (std::size_t p = 0; p < code.procedures.size(); ++p) {
        indexOf[static_cast<std::size_t>(code.procedures[p].kind)].emplace(code.procedures[p].name,
                                                                           p);
    }
    ProcList chosen;
    for (const auto& proc : selected) {
        const auto& ofKind = indexOf[static_cast<std::size_t>(proc.geProcKind)];
        const auto found = ofKind.find(proc.gsProcName);
        if (found != ofKind.end()) {
            const auto p = found->second;
            if (p < exclusions.procs.size() && exclusions.procs[p]) {
                continue;
            }
            if (fields.mbSkipExisting && HasPiece(code, module, p, piece)) {
                continue;
            }
        }
        chosen.TryAdd(proc);
    }
    return chosen;
}

// The procedures that get the piece, with Skip Existing's map taken from `kept` when there is
// one, and forgotten there when some procedure is to be changed.
ProcList ProceduresGetting(const AddinFields& fields, CodeModule& module, Piece piece,
                           KeptMap* kept) {
    KeptMap own;
    auto chosen = ProceduresFor(fields, module, piece, kept != nullptr ? *kept : own);
    if (kept != nullptr && !chosen.empty()) {
        kept->Forget();
    }
    return chosen;
}

// A procedure whose declaration runs on past the module's last line (code that does not
// compile) has no declaration to describe: it is told of and gets no header, and the others
// still get theirs.
bool IsCutOff(CodeModule& module, const ProcInfo& proc, Diagnostics* sink) {
    const auto bodyLine = module.ProcBodyLine(proc.gsProcName, proc.geProcKind);
    if (!DeclarationRunsPastEnd(module, bodyLine)) {
        return false;
    }
    std::int32_t count = 0;
    const auto declaration = GetProcDeclLineToEnd(module, bodyLine, count);
    const auto label =
        module.ToUnicode(ProcedureLabel(proc.geProcKind, proc.gsProcName, declaration));
    WarnTo(sink, module.ToUnicode(module.Parent().Name()), CodePlace{label, bodyLine, 0},
           std::string(kCutOff) + "; no procedure header added");
    return true;
}

}  // namespace

void AddModuleHeader(const AddinFields& fields, CodeModule& module, Diagnostics* sink,
                     KeptMap* kept) {
    PassOn("Brindle.AddModuleHeader", [&] {
        KeptMap own;
        KeptMap& map = kept != nullptr ? *kept : own;
        if (fields.msModHdrTmplt.empty()) {
            return;  // no empty marked block
        }
        if (MayExclude(fields, module) && ModuleExclusion(module, ModuleProcedures(module))) {
            return;
        }
        if (fields.mbSkipExisting && map.Of(fields, module).Has(BlockRole::ModuleHeader)) {
            return;
        }
        std::int32_t at = 1;
        // An empty module has no first line to look at; its header becomes its first line.
        if (module.CountOfLines() > 0 && ContainsNoCase(module.Lines(1, 1), "Option Explicit")) {
            at = 2;
        }
        auto text = BuildCode(fields, fields.msModHdrTmplt, module, nullptr, 1);
        map.Forget();
        module.InsertLines(at, MarkedText(fields, std::move(text)));
        TellDone(sink, Work::ModuleHeaderAdded);
    });
}

void AddHeaders(const AddinFields& fields, CodeModule& module, Diagnostics* sink, KeptMap* kept) {
    PassOn("Brindle.AddHeaders", [&] {
        if (fields.msProcHdrTmplt.empty()) {
            return;
        }
        for (const auto& proc : ProceduresGetting(fields, module, Piece::Header, kept)) {
            if (IsCutOff(module, proc, sink)) {
                continue;
            }
            AddHeaderToProc(fields, module, proc.gsProcName, proc.geProcKind);
            TellDone(sink, Work::ProcedureHeaderAdded);
        }
    });
}

void AddErrHandlers(const AddinFields& fields, CodeModule& module, Diagnostics* sink,
                    KeptMap* kept) {
    PassOn("Brindle.AddErrHandlers", [&] {
        for (const auto& proc : ProceduresGetting(fields, module, Piece::ErrorHandler, kept)) {
            AddErrHandlerToProc(fields, module, proc.gsProcName, proc.geProcKind, sink);
        }
    });
}

}  // namespace brindle

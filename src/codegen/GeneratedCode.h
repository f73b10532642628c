#pragma once
// What Brindle finds of its own in a module: its procedures, its marked blocks told apart as
// the module header or a procedure's header, error header or footer, and what the user keeps
// Brindle away from (a "' brindle: skip" comment, an excluded procedure name).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "codegen/Markers.h"
#include "codegen/ProcSpan.h"
#include "model/Vbide.h"
#include "templates/AddinFields.h"

namespace brindle {

// Every procedure the host can address by name and kind; a second definition of a name (under
// #If and #Else) is left out, as the host reaches only the first.
std::vector<ProcSpan> ModuleProcedures(CodeModule& module);

struct GeneratedBlock {
    MarkedBlock block;
    BlockRole role = BlockRole::Other;
    std::optional<std::size_t> proc;  // the procedure it stands in or above
};

// A module's marked blocks, by where they stand: the module header is the first block that
// only blank lines, comments and Option statements precede; a procedure's headers stand
// directly above its declaration and the comment lines over it; its error header opens its
// body and its footer closes it, with nothing but blank and comment lines between. A block
// that could be either of two (a module header directly above the first procedure) is taken
// for the one whose template it resembles more.
struct GeneratedCode {
    std::vector<ProcSpan> procedures;
    std::vector<GeneratedBlock> blocks;  // top down
    std::vector<BrokenMarkers> broken;   // top down
    // By procedure, a bit for each role that one of its blocks plays.
    std::vector<std::uint8_t> rolesOf;

    bool Has(BlockRole role, std::optional<std::size_t> proc = std::nullopt) const;
};

GeneratedCode MapGeneratedCode(const AddinFields& fields, CodeModule& module);

// A module's generated code mapped once for a command that asks for it again, and kept until the
// command is about to change the module: Add All looks at it for each of its three pieces.
class KeptMap {
public:
    const GeneratedCode& Of(const AddinFields& fields, CodeModule& module) {
        if (!code_) {
            code_ = MapGeneratedCode(fields, module);
        }
        return *code_;
    }
    void Forget() { code_.reset(); }

private:
    std::optional<GeneratedCode> code_;
};

// Whether the procedure traps errors itself: an On Error statement among its own lines.
bool HasOnErrorStatement(CodeModule& module, const ProcSpan& proc);

// The label that opens the line ("BrindleErrorHandler" of "BrindleErrorHandler:"), or "".
std::string_view LabelOn(std::string_view line);
// The label that an On Error GoTo among the line's statements names, or "" (none, GoTo 0).
std::string_view OnErrorGoToLabel(std::string_view line);

// A line "' brindle: skip" or "Rem brindle: skip", in any letter case and spacing, with or
// without a reason after a blank ("' brindle: skip (called through AddressOf)").
bool IsSkipComment(std::string_view line);
// The lines of the skip comments that keep Brindle from nothing: below the declarations
// section, and not among the comment lines directly above a procedure's declaration (a blank
// line or code follows them).
std::vector<std::int32_t> SkipCommentsOfNothing(CodeModule& module,
                                                const std::vector<ProcSpan>& procedures);

// Why Brindle keeps away from the whole module ("line 3: ' brindle: skip"); nothing when it does
// not. The comment counts in the declarations section and above the first procedure, short of
// the comment lines directly above its declaration.
std::optional<std::string> ModuleExclusion(CodeModule& module,
                                           const std::vector<ProcSpan>& procedures);
// Why Brindle keeps away from the procedure: a skip comment in the comment lines directly above
// its declaration, or a name that matches one of the excluded procedure patterns.
std::optional<std::string> ProcedureExclusion(const AddinFields& fields, CodeModule& module,
                                              const ProcSpan& proc);

// What a command leaves alone in a module, and why: the whole module, or each procedure
// (parallel to the procedures it was found for).
struct Exclusions {
    std::optional<std::string> module;
    std::vector<std::optional<std::string>> procs;

    bool Excludes(std::string_view name, vbext_ProcKind kind,
                  const std::vector<ProcSpan>& procedures) const;
};
// Empty, without reading the module, when there is no excluded procedure pattern and no skip
// comment in it.
Exclusions FindExclusions(const AddinFields& fields, CodeModule& module,
                          const std::vector<ProcSpan>& procedures);
// Whether the module may hold anything that FindExclusions looks for.
bool MayExclude(const AddinFields& fields, CodeModule& module);

// The patterns of the Excluded Procedures option: separated by commas, blanks around ignored.
std::vector<std::string> ExcludedProcPatterns(const AddinFields& fields);

}  // namespace brindle

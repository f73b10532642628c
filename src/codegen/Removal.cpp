#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "analysis/SelectedProcs.h"
#include "codegen/GeneratedCode.h"
#include "codegen/Markers.h"
#include "codegen/ModuleCommands.h"
#include "model/Diagnostics.h"
#include "model/VbError.h"
#include "util/Wildcard.h"

namespace brindle {
namespace {

struct Selection {
    std::int32_t startLine = 0;
    std::int32_t startColumn = 0;
    std::int32_t endLine = 0;
    std::int32_t endColumn = 0;

    // A marker whose text begins before the selection's start column on its first line is
    // not selected.
    bool Holds(const MarkerLine& marker) const {
        const bool afterStart =
            marker.line > startLine || (marker.line == startLine && marker.column >= startColumn);
        return afterStart && marker.line <= endLine;
    }
    bool Holds(const MarkedBlock& block) const { return Holds(block.begin) && Holds(block.end); }
    bool Touches(const MarkedBlock& block) const {
        return block.begin.line <= endLine && block.end.line >= startLine;
    }
};

Selection ReadSelection(CodeModule& module) {
    Selection s;
    GetSelection(module.CodePane(), s.startLine, s.startColumn, s.endLine, s.endColumn);
    return s;
}

// What a removal left as it was and why, told to the sink in line order once the removal ends,
// however it ends. Every line it names is above the deletions that follow it, so it still
// holds when told.
class LeftAsItWas {
public:
    LeftAsItWas(CodeModule& module, Diagnostics* sink) : module_(module), sink_(sink) {}
    ~LeftAsItWas() {
        if (warnings_.empty() || sink_ == nullptr) {
            return;
        }
        std::stable_sort(warnings_.begin(), warnings_.end(),
                         [](const Left& a, const Left& b) { return a.line < b.line; });
        std::string module;
        try {
            module = module_.ToUnicode(module_.Parent().Name());
        } catch (...) {
        }
        for (const auto& warning : warnings_) {
            if (warning.broken) {
                WarnOfBroken(sink_, module, *warning.broken);
            } else {
                WarnTo(sink_, module, CodePlace{{}, warning.line, warning.lastLine},
                       "a marked block that reaches outside the selection; left as it is");
            }
        }
    }
    LeftAsItWas(const LeftAsItWas&) = delete;
    LeftAsItWas& operator=(const LeftAsItWas&) = delete;

    void Broken(const BrokenMarkers& broken, const Selection& selection) {
        if (selection.Holds(broken.first) || selection.Holds(broken.last)) {
            warnings_.push_back({broken.first.line, broken.last.line, broken});
        }
    }
    void Cut(const MarkedBlock& block) {
        warnings_.push_back({block.begin.line, block.end.line, std::nullopt});
    }

private:
    struct Left {
        std::int32_t line;
        std::int32_t lastLine;
        std::optional<BrokenMarkers> broken;  // none: a block the selection cuts
    };
    CodeModule& module_;
    Diagnostics* sink_;
    std::vector<Left> warnings_;
};

// The procedures and blocks that the user keeps the removals away from, read before anything
// is deleted. A removal takes out only whole blocks, so the pairing of the others stays as it
// was: the n-th block the removal meets is the n-th block found here.
class LeftAlone {
public:
    LeftAlone(const AddinFields& fields, CodeModule& module) {
        if (fields.mbIgnoreExclusions || !MayExclude(fields, module)) {
            return;
        }
        code_ = MapGeneratedCode(fields, module);
        exclusions_ = FindExclusions(fields, module, code_.procedures);
        const auto patterns = ExcludedProcPatterns(fields);
        for (const auto& proc : code_.procedures) {
            excludedName_.push_back(NameExcluded(patterns, module.ToUnicode(proc.name)));
        }
    }

    bool Module() const { return exclusions_.module.has_value(); }
    // Tells the sink of each well-formed block in the selection, when the whole module is left.
    void TellLeft(const Selection& selection, Diagnostics* sink) const {
        for (const auto& block : code_.blocks) {
            if (selection.Holds(block.block)) {
                TellDone(sink, Work::BlockLeftSkipped);
            }
        }
    }
    // Why the n-th block is left, as the work a host counts; nothing when it is not.
    std::optional<Work> Block(std::size_t n) const {
        if (n >= code_.blocks.size() || !code_.blocks[n].proc) {
            return std::nullopt;
        }
        const auto proc = *code_.blocks[n].proc;
        if (proc >= exclusions_.procs.size() || !exclusions_.procs[proc]) {
            return std::nullopt;
        }
        return excludedName_[proc] ? Work::BlockLeftExcluded : Work::BlockLeftSkipped;
    }
    // Whether the line lies in a procedure left alone, as the module stands now.
    bool Holds(CodeModule& module, std::int32_t line) const {
        if (exclusions_.procs.empty()) {
            return false;
        }
        auto kind = vbext_pk_Proc;
        const auto name = module.ProcOfLine(line, kind);
        return !name.empty() && exclusions_.Excludes(name, kind, code_.procedures);
    }

private:
    // An excluded name counts before a skip comment beside it.
    static bool NameExcluded(const std::vector<std::string>& patterns, const std::string& name) {
        return std::any_of(patterns.begin(), patterns.end(), [&](const std::string& pattern) {
            return MatchWildcard(pattern, name);
        });
    }

    GeneratedCode code_;
    Exclusions exclusions_;
    std::vector<bool> excludedName_;  // parallel to code_.procedures
};

enum class Take { Markers, Blocks };

void Delete(CodeModule& module, const MarkedBlock& block, Take take, Diagnostics* sink) {
    if (take == Take::Blocks) {
        module.DeleteLines(block.begin.line, block.end.line - block.begin.line + 1);
        TellDone(sink, Work::BlockRemoved);
    } else {
        module.DeleteLines(block.end.line, 1);
        module.DeleteLines(block.begin.line, 1);
        TellDone(sink, Work::MarkersRemoved);
    }
}

// One pass over the module's marker lines, top down. Only a well-formed block that lies wholly
// in the selection goes (or its two markers); every other marker line stays and, within the
// selection, is reported. The markers outside the selection are read only to pair those in it.
void RemoveMarked(const AddinFields& fields, CodeModule& module, Take take, Diagnostics* sink) {
    const LeftAlone alone(fields, module);
    if (alone.Module()) {
        alone.TellLeft(ReadSelection(module), sink);
        return;
    }
    LeftAsItWas left(module, sink);
    auto selection = ReadSelection(module);
    MarkerPairing pairing;
    std::int32_t from = 1;
    std::size_t blocks = 0;
    while (const auto marker = NextMarkerLine(module, from)) {
        from = marker->line + 1;
        const auto step = pairing.Feed(module, *marker);
        if (step.broken && !alone.Holds(module, step.broken->first.line)) {
            left.Broken(*step.broken, selection);
        }
        if (!step.block) {
            continue;
        }
        if (const auto why = alone.Block(blocks++)) {
            if (selection.Holds(*step.block)) {
                TellDone(sink, *why);
            }
            continue;
        }
        if (selection.Holds(*step.block)) {
            Delete(module, *step.block, take, sink);
            selection = ReadSelection(module);
            from = step.block->begin.line;
        } else if (selection.Touches(*step.block)) {
            left.Cut(*step.block);
        }
    }
    for (const auto& broken : pairing.Finish()) {
        if (!alone.Holds(module, broken.first.line)) {
            left.Broken(broken, selection);
        }
    }
}

}  // namespace

void RemoveCodeMarkers(const AddinFields& fields, CodeModule& module, Diagnostics* sink) {
    PassOn("Brindle.RemoveCodeMarkers", [&] { RemoveMarked(fields, module, Take::Markers, sink); });
}

void RemoveCode(const AddinFields& fields, CodeModule& module, Diagnostics* sink) {
    PassOn("Brindle.RemoveCode", [&] { RemoveMarked(fields, module, Take::Blocks, sink); });
}

}  // namespace brindle

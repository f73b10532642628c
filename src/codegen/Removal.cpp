#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "analysis/ProcDecl.h"
#include "analysis/SelectedProcs.h"
#include "codegen/BlockText.h"
#include "codegen/GeneratedCode.h"
#include "codegen/Insertion.h"
#include "codegen/Markers.h"
#include "codegen/ModuleCommands.h"
#include "model/Diagnostics.h"
#include "model/VbError.h"
#include "util/Text.h"
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

// One half of a procedure's error handler (its error header or footer) that a removal keeps
// because the other half stays: the header's On Error GoTo names the footer's label, and the
// procedure compiles only with both or neither. Lines as they were before the removal.
struct HalfKept {
    BlockRole role;
    MarkedBlock block;
    std::int32_t otherLine;  // where the other half, a block or broken markers, begins
    std::string procedure;   // "Sub Main", in UTF-8
};

// What a removal left as it was and why, told to the sink in line order once the removal ends,
// however it ends, at the lines the module has then.
class LeftAsItWas {
public:
    LeftAsItWas(CodeModule& module, Diagnostics* sink) : module_(module), sink_(sink) {}
    ~LeftAsItWas() {
        if (sink_ == nullptr) {
            return;
        }
        try {
            for (const auto& half : halves_) {
                TellHalf(half);
            }
        } catch (...) {
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
                WarnOfBroken(sink_, module, *warning.broken, warning.also);
            } else {
                WarnTo(sink_, module, CodePlace{warning.subject, warning.line, warning.lastLine},
                       warning.text + warning.also);
            }
        }
    }
    LeftAsItWas(const LeftAsItWas&) = delete;
    LeftAsItWas& operator=(const LeftAsItWas&) = delete;

    // Lines are as the module stands when they are told; every deletion is told here too.
    void Broken(const BrokenMarkers& broken, const Selection& selection) {
        if (selection.Holds(broken.first) || selection.Holds(broken.last)) {
            warnings_.push_back({broken.first.line, broken.last.line, broken, {}, {}});
        }
    }
    void Cut(const MarkedBlock& block) {
        warnings_.push_back({block.begin.line,
                             block.end.line,
                             std::nullopt,
                             "a marked block that reaches outside the selection; left as it is",
                             {}});
    }
    void Kept(const HalfKept& half) { halves_.push_back(half); }
    void Deleted(std::int32_t line, std::int32_t count) { deletions_.push_back({line, count}); }

private:
    struct Left {
        std::int32_t line;
        std::int32_t lastLine;
        std::optional<BrokenMarkers> broken;  // none: `text` says what
        std::string text;
        std::string also;
        std::string subject = {};
    };

    // Where a line from before the removal stands now.
    std::int32_t Now(std::int32_t line) const {
        for (const auto& deleted : deletions_) {
            if (line >= deleted.line + deleted.count) {
                line -= deleted.count;
            }
        }
        return line;
    }

    // Told with what is told of the other half when that is left with a warning of its own,
    // else on its own. The text names no line: a host may show lines otherwise.
    void TellHalf(const HalfKept& half) {
        const auto other = Now(half.otherLine);
        const auto told = std::find_if(warnings_.begin(), warnings_.end(),
                                       [&](const Left& left) { return left.line == other; });
        if (told != warnings_.end()) {
            told->also += "; the " + std::string(TitleOf(half.role)) + " of " + half.procedure +
                          " is left with it, as the one needs the other";
            return;
        }
        const bool footer = half.role == BlockRole::ErrorFooter;
        warnings_.push_back({Now(half.block.begin.line),
                             Now(half.block.end.line),
                             std::nullopt,
                             "the marked " + std::string(TitleOf(half.role)) +
                                 "; left as it is, as the " +
                                 (footer ? "error header above it" : "error footer below it") +
                                 " stays and the one needs the other",
                             {},
                             half.procedure});
    }

    struct Deletion {
        std::int32_t line;
        std::int32_t count;
    };
    CodeModule& module_;
    Diagnostics* sink_;
    std::vector<Left> warnings_;
    std::vector<HalfKept> halves_;
    std::vector<Deletion> deletions_;  // in the order made
};

// Whether an On Error GoTo among `from` names a label that opens a line among `to`.
bool GoesTo(const std::vector<std::string>& from, const std::vector<std::string>& to) {
    return std::any_of(from.begin(), from.end(), [&](const std::string& line) {
        const auto label = OnErrorGoToLabel(line);
        return !label.empty() && std::any_of(to.begin(), to.end(), [&](const std::string& other) {
            return EqualsNoCase(LabelOn(other), label);
        });
    });
}

// Each procedure's error header and footer as they stood before the removal, where the header's
// On Error GoTo names a label of the footer: for a block, the block that is its other half, or
// the broken markers that stand where its other half was (a marker deleted by hand).
class HandlerHalves {
public:
    HandlerHalves(CodeModule& module, const GeneratedCode& code, const Selection& selection)
        : module_(module), code_(code), selection_(selection), other_(code.blocks.size()) {
        std::vector<std::optional<std::size_t>> headers(code.procedures.size());
        std::vector<std::optional<std::size_t>> footers(code.procedures.size());
        for (std::size_t b = 0; b < code.blocks.size(); ++b) {
            const auto& block = code.blocks[b];
            if (block.proc && block.role == BlockRole::ErrorHeader) {
                headers[*block.proc] = b;
            } else if (block.proc && block.role == BlockRole::ErrorFooter) {
                footers[*block.proc] = b;
            }
        }
        for (std::size_t p = 0; p < code.procedures.size(); ++p) {
            Pair(p, headers[p], footers[p]);
        }
    }

    // Why the n-th block stays though the removal would take it: its other half stays. `removed`
    // tells which of the blocks before it went.
    std::optional<HalfKept> Keeps(std::size_t n, const std::vector<bool>& removed) const {
        if (n >= other_.size() || !other_[n]) {
            return std::nullopt;
        }
        const auto& other = *other_[n];
        // The header comes first: its footer stays when the selection does not hold it.
        const bool stays =
            other.block && (*other.block < n ? !removed[*other.block]
                                             : !selection_.Holds(code_.blocks[*other.block].block));
        if (other.block && !stays) {
            return std::nullopt;
        }
        const auto& block = code_.blocks[n];
        const auto& proc = code_.procedures[*block.proc];
        return HalfKept{block.role, block.block, other.line,
                        module_.ToUnicode(ProcedureLabel(module_, proc.name, proc.kind))};
    }

private:
    struct Other {
        std::optional<std::size_t> block;  // none: broken markers
        std::int32_t line;
    };

    void Pair(std::size_t p, std::optional<std::size_t> header, std::optional<std::size_t> footer) {
        const auto& proc = code_.procedures[p];
        const auto bottom = proc.endLine != 0 ? proc.endLine : proc.lastLine + 1;
        if (header && footer) {
            if (GoesTo(Inner(*header), Inner(*footer))) {
                other_[*header] = Other{footer, code_.blocks[*footer].block.begin.line};
                other_[*footer] = Other{header, code_.blocks[*header].block.begin.line};
            }
        } else if (header) {
            const auto from = code_.blocks[*header].block.end.line + 1;
            const auto broken = BrokenIn(from, bottom);
            if (broken && GoesTo(Inner(*header), Outside(from, bottom))) {
                other_[*header] = Other{std::nullopt, *broken};
            }
        } else if (footer) {
            const auto before = code_.blocks[*footer].block.begin.line;
            const auto broken = BrokenIn(proc.firstBodyLine, before);
            if (broken && GoesTo(Outside(proc.firstBodyLine, before), Inner(*footer))) {
                other_[*footer] = Other{std::nullopt, *broken};
            }
        }
    }

    std::vector<std::string> Inner(std::size_t block) const {
        return InnerLines(module_, code_.blocks[block].block);
    }

    // Where the first broken markers with a line in [from, before) begin.
    std::optional<std::int32_t> BrokenIn(std::int32_t from, std::int32_t before) const {
        const auto within = [&](const MarkerLine& marker) {
            return marker.line >= from && marker.line < before;
        };
        for (const auto& broken : code_.broken) {
            if (within(broken.first) || within(broken.last)) {
                return broken.first.line;
            }
        }
        return std::nullopt;
    }

    // The lines in [from, before) that no well-formed block holds.
    std::vector<std::string> Outside(std::int32_t from, std::int32_t before) const {
        std::vector<std::string> lines;
        auto block = code_.blocks.begin();
        for (auto line = from; line < before; ++line) {
            while (block != code_.blocks.end() && block->block.end.line < line) {
                ++block;
            }
            if (block == code_.blocks.end() || line < block->block.begin.line) {
                lines.push_back(module_.Lines(line, 1));
            }
        }
        return lines;
    }

    CodeModule& module_;
    const GeneratedCode& code_;
    Selection selection_;
    std::vector<std::optional<Other>> other_;  // by block
};

// The procedures and blocks that the user keeps the removals away from, read before anything
// is deleted. A removal takes out only whole blocks, so the pairing of the others stays as it
// was: the n-th block the removal meets is the n-th block found here.
class LeftAlone {
public:
    // `code` is the module's, mapped when the user may keep Brindle from any of it.
    LeftAlone(const AddinFields& fields, CodeModule& module, const GeneratedCode& code)
        : code_(code) {
        if (fields.mbIgnoreExclusions || !MayExclude(fields, module)) {
            return;
        }
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

    const GeneratedCode& code_;
    Exclusions exclusions_;
    std::vector<bool> excludedName_;  // parallel to code_.procedures
};

enum class Take { Markers, Blocks };

void Delete(CodeModule& module, const MarkedBlock& block, Take take, Diagnostics* sink,
            LeftAsItWas& left) {
    if (take == Take::Blocks) {
        const auto count = block.end.line - block.begin.line + 1;
        module.DeleteLines(block.begin.line, count);
        left.Deleted(block.begin.line, count);
        TellDone(sink, Work::BlockRemoved);
    } else {
        module.DeleteLines(block.end.line, 1);
        left.Deleted(block.end.line, 1);
        module.DeleteLines(block.begin.line, 1);
        left.Deleted(block.begin.line, 1);
        TellDone(sink, Work::MarkersRemoved);
    }
}

// Whether a removal of blocks might leave one half of an error handler: the selection leaves
// part of the module out, or markers are broken.
bool MayLeaveHalves(CodeModule& module, const Selection& selection) {
    auto marker = NextMarkerLine(module, 1);
    if (!marker) {
        return false;
    }
    if (selection.startLine > 1 || selection.startColumn > 1 ||
        selection.endLine <= module.CountOfLines()) {
        return true;
    }
    MarkerPairing pairing;
    for (; marker; marker = NextMarkerLine(module, marker->line + 1)) {
        if (pairing.Feed(module, *marker).broken) {
            return true;
        }
    }
    return !pairing.Finish().empty();
}

// What Brindle finds of its own in the module before the removal, when the removal needs it:
// to keep a procedure's error handler whole, or to leave what the user keeps it from.
GeneratedCode MapBeforeRemoval(const AddinFields& fields, CodeModule& module, Take take) {
    const bool halves = take == Take::Blocks && MayLeaveHalves(module, ReadSelection(module));
    const bool excludes = !fields.mbIgnoreExclusions && MayExclude(fields, module);
    return halves || excludes ? MapGeneratedCode(fields, module) : GeneratedCode{};
}

// One pass over the module's marker lines, top down. Only a well-formed block that lies wholly
// in the selection goes (or its two markers); every other marker line stays and, within the
// selection, is reported. The markers outside the selection are read only to pair those in it.
// Marker lines alone go as asked, but a block goes only with the other half of its procedure's
// error handler.
void RemoveMarked(const AddinFields& fields, CodeModule& module, Take take, Diagnostics* sink) {
    const auto code = MapBeforeRemoval(fields, module, take);
    const LeftAlone alone(fields, module, code);
    if (alone.Module()) {
        alone.TellLeft(ReadSelection(module), sink);
        return;
    }
    LeftAsItWas left(module, sink);
    auto selection = ReadSelection(module);
    const HandlerHalves halves(module, code, selection);
    std::vector<bool> removed(code.blocks.size(), false);
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
        const auto n = blocks++;
        if (const auto why = alone.Block(n)) {
            if (selection.Holds(*step.block)) {
                TellDone(sink, *why);
            }
            continue;
        }
        if (!selection.Holds(*step.block)) {
            if (selection.Touches(*step.block)) {
                left.Cut(*step.block);
            }
            continue;
        }
        if (const auto half = take == Take::Blocks ? halves.Keeps(n, removed) : std::nullopt) {
            left.Kept(*half);
            continue;
        }
        Delete(module, *step.block, take, sink, left);
        if (n < removed.size()) {
            removed[n] = true;
        }
        selection = ReadSelection(module);
        from = step.block->begin.line;
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

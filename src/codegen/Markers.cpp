#include "codegen/Markers.h"

#include "analysis/LineHelpers.h"
#include "analysis/ProcDecl.h"
#include "codegen/DeclarationGroup.h"
#include "model/VbError.h"
#include "util/Text.h"

namespace brindle {
namespace {

// What both markers begin with: one search finds either.
constexpr std::string_view kMarkerStem = "' [Brindle ";

enum class Bound { None, Declaration, End };

bool IsProcedureEnd(std::string_view statement) {
    if (statement.size() < 4 || !EqualsNoCase(statement.substr(0, 4), "End ")) {
        return false;
    }
    const auto what = TrimBlanks(statement.substr(4));
    return EqualsNoCase(what, "Sub") || EqualsNoCase(what, "Function") ||
           EqualsNoCase(what, "Property");
}

// Whether "Sub", "Function" or "Property" stands anywhere in the code, in any case: one pass
// over it, for every line of every block.
bool NamesAProcedureKind(std::string_view code) {
    const auto at = [&](std::size_t i, std::string_view kind) {
        return EqualsNoCase(code.substr(i, kind.size()), kind);
    };
    for (std::size_t i = 0; i < code.size(); ++i) {
        // Only "S" and "s" turn into "s" so, and so on: one test a byte for each first letter.
        const char lower = static_cast<char>(code[i] | 0x20);
        if ((lower == 's' && at(i, "Sub")) || (lower == 'f' && at(i, "Function")) ||
            (lower == 'p' && at(i, "Property"))) {
            return true;
        }
    }
    return false;
}

Bound BoundOn(std::string_view line) {
    const auto code = NonCommentPart(line);
    // Both bounds name what they declare or end; most lines in a block are comments.
    if (!NamesAProcedureKind(code)) {
        return Bound::None;
    }
    for (const auto statement : StatementsOf(code)) {
        if (!DeclaredProcName(statement).empty()) {
            return Bound::Declaration;
        }
        if (IsProcedureEnd(statement)) {
            return Bound::End;
        }
    }
    return Bound::None;
}

// "the End of Sub Main", "the declaration of Property Get Name".
std::string BoundText(CodeModule& module, std::int32_t line, Bound bound) {
    std::string what;
    try {
        auto kind = vbext_pk_Proc;
        const auto name = module.ProcOfLine(line, kind);
        what = module.ToUnicode(name.empty() ? std::string(TrimBlanks(module.Lines(line, 1)))
                                             : ProcedureLabel(module, name, kind));
    } catch (const VbError&) {
        what = "line " + std::to_string(line);
    }
    return (bound == Bound::End ? "the End of " : "the declaration of ") + what;
}

// What of procedures' bounds the lines between the block's markers hold; nothing when none.
std::optional<std::string> AcrossProcedures(CodeModule& module, const MarkedBlock& block) {
    std::int32_t first = 0;
    std::int32_t last = 0;
    auto firstBound = Bound::None;
    auto lastBound = Bound::None;
    for (auto line = block.begin.line + 1; line < block.end.line; ++line) {
        const auto bound = BoundOn(module.Lines(line, 1));
        if (bound == Bound::None) {
            continue;
        }
        if (first == 0) {
            first = line;
            firstBound = bound;
        }
        last = line;
        lastBound = bound;
    }
    if (first == 0) {
        return std::nullopt;
    }
    auto text = BoundText(module, first, firstBound);
    // Alternative declarations under #If name one procedure twice.
    if (auto other = BoundText(module, last, lastBound); other != text) {
        text += " and " + other;
    }
    return text;
}

}  // namespace

MarkerKind MarkerKindOf(std::string_view line) {
    const auto text = TrimBlanks(line);
    if (EqualsNoCase(text, kBeginMarker)) {
        return MarkerKind::Begin;
    }
    if (EqualsNoCase(text, kEndMarker)) {
        return MarkerKind::End;
    }
    return MarkerKind::None;
}

std::optional<MarkerLine> NextMarkerLine(CodeModule& module, std::int32_t line) {
    while (line <= module.CountOfLines()) {
        std::int32_t startLine = line;
        std::int32_t startColumn = 1;
        std::int32_t endLine = 1;
        std::int32_t endColumn = 1;
        if (!module.Find(kMarkerStem, startLine, startColumn, endLine, endColumn, false, false,
                         false)) {
            return std::nullopt;
        }
        const auto kind = MarkerKindOf(module.Lines(startLine, 1));
        if (kind != MarkerKind::None) {
            return MarkerLine{kind, startLine, startColumn};
        }
        line = startLine + 1;
    }
    return std::nullopt;
}

void WarnOfBroken(Diagnostics* sink, std::string_view module, const BrokenMarkers& broken,
                  std::string_view also) {
    const CodePlace place{{}, broken.first.line, broken.last.line};
    const auto left = broken.problem == BrokenMarkers::Problem::MarkersInside
                          ? "; its markers are left as they are"
                          : "; left as it is";
    WarnTo(sink, module, place, std::string(ProblemOf(broken)) + left + std::string(also));
}

std::string ProblemOf(const BrokenMarkers& broken) {
    switch (broken.problem) {
        case BrokenMarkers::Problem::BeginWithoutEnd:
            return "a begin marker without its end marker";
        case BrokenMarkers::Problem::EndWithoutBegin:
            return "an end marker without its begin marker";
        case BrokenMarkers::Problem::AcrossProcedures:
            return "a marked block across " + broken.across;
        case BrokenMarkers::Problem::MarkersInside:
            break;
    }
    return "a marked block with other marker lines inside";
}

MarkerPairing::Step MarkerPairing::Feed(const MarkerLine& marker) {
    Step step;
    if (marker.kind == MarkerKind::Begin) {
        if (open_) {
            unclosed_.push_back(*open_);
        }
        open_ = marker;
    } else if (open_) {
        step.block = MarkedBlock{*open_, marker};
        open_.reset();
    } else if (!unclosed_.empty()) {
        step.broken =
            BrokenMarkers{BrokenMarkers::Problem::MarkersInside, unclosed_.back(), marker, {}};
        unclosed_.pop_back();
    } else {
        step.broken = BrokenMarkers{BrokenMarkers::Problem::EndWithoutBegin, marker, marker, {}};
    }
    return step;
}

MarkerPairing::Step MarkerPairing::Feed(CodeModule& module, const MarkerLine& marker) {
    auto step = Feed(marker);
    if (step.block) {
        if (auto across = AcrossProcedures(module, *step.block)) {
            step.broken = BrokenMarkers{BrokenMarkers::Problem::AcrossProcedures, step.block->begin,
                                        step.block->end, std::move(*across)};
            step.block.reset();
        }
    }
    return step;
}

std::vector<BrokenMarkers> MarkerPairing::Finish() {
    if (open_) {
        unclosed_.push_back(*open_);
        open_.reset();
    }
    std::vector<BrokenMarkers> broken;
    for (const auto& begin : unclosed_) {
        broken.push_back({BrokenMarkers::Problem::BeginWithoutEnd, begin, begin, {}});
    }
    unclosed_.clear();
    return broken;
}

}  // namespace brindle

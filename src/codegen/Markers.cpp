#include "codegen/Markers.h"

#include "codegen/TextCompare.h"

namespace brindle {
namespace {

// What both markers begin with: one search finds either.
constexpr std::string_view kMarkerStem = "' [Brindle ";

std::string_view WithoutBlanksAround(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

MarkerKind MarkerKindOf(std::string_view line) {
    const auto text = WithoutBlanksAround(line);
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

void WarnOfBroken(Diagnostics* sink, std::string_view module, const BrokenMarkers& broken) {
    const CodePlace place{{}, broken.first.line, broken.last.line};
    const auto left = broken.problem == BrokenMarkers::Problem::MarkersInside
                          ? "; its markers are left as they are"
                          : "; left as it is";
    WarnTo(sink, module, place, std::string(ProblemOf(broken)) + left);
}

std::string_view ProblemOf(const BrokenMarkers& broken) {
    switch (broken.problem) {
        case BrokenMarkers::Problem::BeginWithoutEnd:
            return "a begin marker without its end marker";
        case BrokenMarkers::Problem::EndWithoutBegin:
            return "an end marker without its begin marker";
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
            BrokenMarkers{BrokenMarkers::Problem::MarkersInside, unclosed_.back(), marker};
        unclosed_.pop_back();
    } else {
        step.broken = BrokenMarkers{BrokenMarkers::Problem::EndWithoutBegin, marker, marker};
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
        broken.push_back({BrokenMarkers::Problem::BeginWithoutEnd, begin, begin});
    }
    unclosed_.clear();
    return broken;
}

}  // namespace brindle

#include "cli/Selection.h"

#include <charconv>

#include "host/model/Vbide.h"

namespace brindle::cli {
namespace {

std::optional<std::int32_t> ParseNumber(std::string_view text) {
    std::int32_t value = 0;
    const auto* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    if (text.empty() || result.ec != std::errc() || result.ptr != end || value < 1) {
        return std::nullopt;
    }
    return value;
}

std::optional<TextPosition> ParsePosition(std::string_view text) {
    const auto colon = text.find(':');
    const auto line = ParseNumber(text.substr(0, colon));
    if (!line) {
        return std::nullopt;
    }
    if (colon == std::string_view::npos) {
        return TextPosition{*line, std::nullopt};
    }
    const auto column = ParseNumber(text.substr(colon + 1));
    if (!column) {
        return std::nullopt;
    }
    return TextPosition{*line, column};
}

std::int32_t LineLength(const CodeModule& module, std::int32_t line) {
    return static_cast<std::int32_t>(module.Lines(line, 1).size());
}

std::string Where(const TextPosition& position) {
    std::string text = "line " + std::to_string(position.line);
    if (position.column) {
        text += " column " + std::to_string(*position.column);
    }
    return text;
}

// Empty when the position lies in the module.
std::string CheckPosition(const TextPosition& position, const CodeModule& module) {
    const auto lines = module.CountOfLines();
    if (position.line > lines) {
        return Where(position) + " is past the module's last line, " + std::to_string(lines);
    }
    if (position.column && *position.column > LineLength(module, position.line) + 1) {
        return Where(position) + " is past the end of its line";
    }
    return {};
}

}  // namespace

std::optional<SelectionRange> ParseSelection(std::string_view text) {
    const auto dash = text.find('-');
    const auto start = ParsePosition(text.substr(0, dash));
    if (!start) {
        return std::nullopt;
    }
    if (dash == std::string_view::npos) {
        return SelectionRange{*start, *start};
    }
    const auto end = ParsePosition(text.substr(dash + 1));
    if (!end) {
        return std::nullopt;
    }
    return SelectionRange{*start, *end};
}

PlacedSelection PlaceSelection(const SelectionRange& range, const CodeModule& module) {
    for (const auto* position : {&range.start, &range.end}) {
        if (auto problem = CheckPosition(*position, module); !problem.empty()) {
            return {std::nullopt, problem};
        }
    }
    PaneSelection selection;
    selection.startLine = range.start.line;
    selection.startColumn = range.start.column.value_or(1);
    selection.endLine = range.end.line;
    selection.endColumn = range.end.column.value_or(LineLength(module, range.end.line) + 1);
    const bool backwards =
        selection.endLine < selection.startLine ||
        (selection.endLine == selection.startLine && selection.endColumn < selection.startColumn);
    if (backwards) {
        return {std::nullopt, "the selection ends before it starts"};
    }
    if (!range.end.column) {
        // To the start of the next line, as whole lines are selected by dragging: the end line
        // counts even when it is empty.
        ++selection.endLine;
        selection.endColumn = 1;
    }
    return {selection, {}};
}

}  // namespace brindle::cli

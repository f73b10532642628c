#include "cli/commands/Selection.h"

#include <charconv>
#include <vector>

#include "host/files/ModuleFile.h"
#include "host/vb6/CodePage.h"
#include "model/Vbide.h"

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

// A column counts characters, as the IDE's code window does: a lead byte and its trail in a
// double-byte code page are one. Each character's bytes, in order.
std::vector<std::int32_t> CharacterSizes(std::string_view line, int codePage) {
    std::vector<std::int32_t> sizes;
    const bool doubleByte = host::IsDoubleByteCodePage(codePage);
    for (std::size_t at = 0; at < line.size();) {
        const auto lead = static_cast<unsigned char>(line[at]);
        const std::int32_t size =
            doubleByte && at + 1 < line.size() && host::IsLeadByte(lead, codePage) ? 2 : 1;
        sizes.push_back(size);
        at += static_cast<std::size_t>(size);
    }
    return sizes;
}

std::int32_t LineLength(const CodeModule& module, std::int32_t line, int codePage) {
    return static_cast<std::int32_t>(CharacterSizes(module.Lines(line, 1), codePage).size());
}

// The byte column of a character column that lies in the line or just past its end.
std::int32_t ByteColumn(const CodeModule& module, std::int32_t line, std::int32_t column,
                        int codePage) {
    const auto sizes = CharacterSizes(module.Lines(line, 1), codePage);
    std::int32_t bytes = 1;
    for (std::int32_t at = 0; at + 1 < column; ++at) {
        bytes += sizes[static_cast<std::size_t>(at)];
    }
    return bytes;
}

std::string Where(const TextPosition& position) {
    std::string text = "line " + std::to_string(position.line);
    if (position.column) {
        text += " column " + std::to_string(*position.column);
    }
    return text;
}

// Empty when the position lies in the module.
std::string CheckPosition(const TextPosition& position, const CodeModule& module, int codePage) {
    const auto lines = module.CountOfLines();
    if (position.line > lines) {
        return Where(position) + " is past the module's last line, " + std::to_string(lines);
    }
    if (position.column && *position.column > LineLength(module, position.line, codePage) + 1) {
        return Where(position) + " is past the end of its line";
    }
    return {};
}

// The first code line whose file line is `line` or below it (`below`), or the last one whose
// file line is `line` or above it; 0 when there is none.
std::int32_t CodeLineNear(const host::FileLines& lines, std::int32_t codeLines, std::int32_t line,
                          bool below) {
    std::int32_t low = 1;
    std::int32_t high = codeLines;
    // The first code line whose file line lies past `line` (or at it, when looking below).
    while (low <= high) {
        const auto middle = low + (high - low) / 2;
        const auto fileLine = lines.FileLineOf(middle);
        if (fileLine > line || (below && fileLine == line)) {
            high = middle - 1;
        } else {
            low = middle + 1;
        }
    }
    if (below) {
        return low <= codeLines ? low : 0;
    }
    return low - 1;
}

}  // namespace

CodeRange FromFileLines(const SelectionRange& range, const host::FileLines& lines,
                        std::int32_t codeLines) {
    const auto start = CodeLineNear(lines, codeLines, range.start.line, true);
    const auto end = CodeLineNear(lines, codeLines, range.end.line, false);
    if (range.end.line < range.start.line) {
        return {std::nullopt, "the selection ends before it starts"};
    }
    if (start == 0 && codeLines > 0) {
        return {std::nullopt, "file line " + std::to_string(range.start.line) +
                                  " is past the module's last code line, at file line " +
                                  std::to_string(lines.FileLineOf(codeLines))};
    }
    if (start == 0 || end == 0 || start > end) {
        const auto span = range.start.line == range.end.line
                              ? "file line " + std::to_string(range.start.line) + " holds"
                              : "file lines " + std::to_string(range.start.line) + " to " +
                                    std::to_string(range.end.line) + " hold";
        return {std::nullopt, span +
                                  " no code: the code pane hides the file's header, a form's "
                                  "designer block and attribute lines"};
    }
    const auto keep = [&](const TextPosition& position, std::int32_t codeLine) {
        const bool same = lines.FileLineOf(codeLine) == position.line;
        return TextPosition{codeLine, same ? position.column : std::nullopt};
    };
    return {SelectionRange{keep(range.start, start), keep(range.end, end)}, {}};
}

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

PlacedSelection PlaceSelection(const SelectionRange& range, const CodeModule& module,
                               int codePage) {
    for (const auto* position : {&range.start, &range.end}) {
        if (auto problem = CheckPosition(*position, module, codePage); !problem.empty()) {
            return {std::nullopt, problem};
        }
    }
    PaneSelection selection;
    selection.startLine = range.start.line;
    selection.startColumn =
        ByteColumn(module, range.start.line, range.start.column.value_or(1), codePage);
    selection.endLine = range.end.line;
    selection.endColumn =
        range.end.column ? ByteColumn(module, range.end.line, *range.end.column, codePage)
                         : static_cast<std::int32_t>(module.Lines(range.end.line, 1).size()) + 1;
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

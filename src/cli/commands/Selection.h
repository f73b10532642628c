#pragma once
// The --select argument: LINE[:COL][-LINE[:COL]] in a module's code lines, or in its file's.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace brindle {
class CodeModule;
namespace host {
class FileLines;
}
}  // namespace brindle

namespace brindle::cli {

struct TextPosition {
    std::int32_t line = 0;
    std::optional<std::int32_t> column;  // none: the line is taken whole
};

struct SelectionRange {
    TextPosition start;
    TextPosition end;
};

// Nothing when the text is not of that form.
std::optional<SelectionRange> ParseSelection(std::string_view text);

// The four values a code pane's SetSelection takes. A start without a column begins at column
// 1, an end without a column at the start of the line after it, so that its line is taken whole.
struct PaneSelection {
    std::int32_t startLine = 1;
    std::int32_t startColumn = 1;
    std::int32_t endLine = 1;
    std::int32_t endColumn = 1;
};

// The selection in `module`, or an explanation of why it does not fit the module.
struct PlacedSelection {
    std::optional<PaneSelection> selection;
    std::string problem;
};
// Columns count characters of the module's code page `codePage`; the pane's are bytes.
PlacedSelection PlaceSelection(const SelectionRange& range, const CodeModule& module, int codePage);

// The range in the code's lines for one in the lines of the module's file. A start on a line
// that the code pane hides (the file's header, a form's designer block, a member attribute
// line) moves down to the next code line, an end on one up to the code line before it; a
// position that moves loses its column. `codeLines` is the module's count of code lines.
struct CodeRange {
    std::optional<SelectionRange> range;
    std::string problem;
};
CodeRange FromFileLines(const SelectionRange& range, const host::FileLines& lines,
                        std::int32_t codeLines);

}  // namespace brindle::cli

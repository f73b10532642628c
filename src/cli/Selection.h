#pragma once
// The --select argument: LINE[:COL][-LINE[:COL]] in a module's visible lines.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace brindle {
class CodeModule;
}

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
PlacedSelection PlaceSelection(const SelectionRange& range, const CodeModule& module);

}  // namespace brindle::cli

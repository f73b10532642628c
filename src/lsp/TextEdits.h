#pragma once
// Text as the editor holds it: lines, columns in the encoding the client chose, and the edits
// that turn one text into another by whole lines.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace brindle::lsp {

enum class PositionEncoding { Utf16, Utf8 };

struct Position {
    std::size_t line = 0;
    std::size_t character = 0;
};

// The lines of UTF-8 text, each with its own CR LF, LF or CR; the last may have none.
std::vector<std::string_view> SplitKeepingBreaks(std::string_view text);

// The line without its break.
std::string_view WithoutBreak(std::string_view line);

// How many code units of `encoding` the UTF-8 text takes.
std::size_t Width(std::string_view utf8, PositionEncoding encoding);

// Where `position` falls in the UTF-8 text, as a byte offset. As the protocol has it, a
// character past its line's end is the line's end; a line past the last is the text's end. A
// position inside a character is its start.
std::size_t OffsetOf(std::string_view text, Position position, PositionEncoding encoding);

// Lines [first, first + count) of the old text give way to `text` (whole lines, breaks
// included).
struct LineEdit {
    std::size_t first = 0;
    std::size_t count = 0;
    std::string text;
    Position start;
    Position end;
};

// The fewest whole-line edits, in order, that make `after` of `before`; the lines both share
// are left alone. Positions in `encoding`.
std::vector<LineEdit> LineEdits(std::string_view before, std::string_view after,
                                PositionEncoding encoding);

}  // namespace brindle::lsp

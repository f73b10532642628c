#pragma once
// Physical lines of a module file: bytes of the file's own code page and the break that ended
// each line, kept so that a file is written back exactly as it was read.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace brindle::host {

enum class LineBreak : std::uint8_t { None, CrLf, Lf, Cr };

std::string_view BreakBytes(LineBreak lineBreak);

struct SourceLine {
    std::string text;
    LineBreak lineBreak = LineBreak::None;  // None: not yet decided (a new line) or the file's end
};

// A line of the code pane, with the hidden member attribute lines that the file holds directly
// after it. They travel with the line wherever edits move it.
struct CodeLine {
    std::string text;
    LineBreak lineBreak = LineBreak::None;
    std::unique_ptr<std::vector<SourceLine>> attributes;
};

// A copy of the line with its attribute lines.
CodeLine CopyOf(const CodeLine& line);

// Breaks `text` at CR LF, lone CR and lone LF; each piece keeps the break that ended it. A
// final break does not start another piece; the empty text gives no pieces.
std::vector<SourceLine> SplitLines(std::string_view text);

}  // namespace brindle::host

#include "host/ide/SourceLine.h"

#include <algorithm>

namespace brindle::host {

std::string_view BreakBytes(LineBreak lineBreak) {
    switch (lineBreak) {
        case LineBreak::CrLf:
            return "\r\n";
        case LineBreak::Lf:
            return "\n";
        case LineBreak::Cr:
            return "\r";
        case LineBreak::None:
            break;
    }
    return {};
}

CodeLine CopyOf(const CodeLine& line) {
    CodeLine copy{line.text, line.lineBreak, nullptr, line.bytes};
    if (line.attributes) {
        copy.attributes = std::make_unique<std::vector<SourceLine>>(*line.attributes);
    }
    return copy;
}

std::vector<SourceLine> SplitLines(std::string_view text) {
    std::vector<SourceLine> lines;
    lines.reserve(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
    ForEachLine(text, [&lines](std::string_view piece, LineBreak lineBreak) {
        lines.push_back({std::string(piece), lineBreak});
    });
    return lines;
}

std::vector<std::string_view> LineTexts(std::string_view text) {
    std::vector<std::string_view> lines;
    ForEachLine(text, [&lines](std::string_view piece, LineBreak) { lines.push_back(piece); });
    return lines;
}

}  // namespace brindle::host

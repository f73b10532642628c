#include "host/ide/SourceLine.h"

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
    CodeLine copy{line.text, line.lineBreak, nullptr};
    if (line.attributes) {
        copy.attributes = std::make_unique<std::vector<SourceLine>>(*line.attributes);
    }
    return copy;
}

std::vector<SourceLine> SplitLines(std::string_view text) {
    std::vector<SourceLine> lines;
    std::size_t begin = 0;
    while (begin < text.size()) {
        std::size_t end = text.find_first_of("\r\n", begin);
        if (end == std::string_view::npos) {
            lines.push_back({std::string(text.substr(begin)), LineBreak::None});
            break;
        }
        SourceLine line{std::string(text.substr(begin, end - begin)), LineBreak::Lf};
        std::size_t next = end + 1;
        if (text[end] == '\r') {
            line.lineBreak = LineBreak::Cr;
            if (next < text.size() && text[next] == '\n') {
                line.lineBreak = LineBreak::CrLf;
                ++next;
            }
        }
        lines.push_back(std::move(line));
        begin = next;
    }
    return lines;
}

}  // namespace brindle::host

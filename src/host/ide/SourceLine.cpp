#include "host/ide/SourceLine.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

namespace brindle::host {

namespace {

std::uint32_t LineSize(std::string_view text) {
    if (text.size() > std::numeric_limits<std::uint32_t>::max()) {
        throw std::length_error("a line of over 4 GiB");
    }
    return static_cast<std::uint32_t>(text.size());
}

}  // namespace

LineText LineText::Borrowing(std::string_view bytes) {
    LineText text;
    text.data_ = bytes.data();
    text.size_ = LineSize(bytes);
    return text;
}

void LineText::Own(std::string_view text) {
    size_ = LineSize(text);
    if (size_ == 0) {
        return;
    }
    char* bytes = new char[size_];
    std::memcpy(bytes, text.data(), size_);
    data_ = bytes;
    owned_ = true;
}

CodeLine CopyOf(const CodeLine& line) {
    CodeLine copy{line.text, line.lineBreak, nullptr, line.bytes};
    if (line.attributes) {
        copy.attributes = std::make_unique<std::vector<SourceLine>>(*line.attributes);
    }
    return copy;
}

std::vector<std::string_view> LineTexts(std::string_view text) {
    std::vector<std::string_view> lines;
    ForEachLine(text, [&lines](std::string_view piece, LineBreak) { lines.push_back(piece); });
    return lines;
}

}  // namespace brindle::host

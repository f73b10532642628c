#include "lsp/TextEdits.h"

#include <dtl/dtl.hpp>

#include "host/ide/SourceLine.h"
#include "util/Unicode.h"

namespace brindle::lsp {

std::vector<std::string_view> SplitKeepingBreaks(std::string_view text) {
    std::vector<std::string_view> lines;
    host::ForEachLine(text, [&lines](std::string_view line, host::LineBreak lineBreak) {
        lines.emplace_back(line.data(), line.size() + host::BreakBytes(lineBreak).size());
    });
    return lines;
}

std::string_view WithoutBreak(std::string_view line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
        line.remove_suffix(1);
    }
    return line;
}

std::size_t Width(std::string_view utf8, PositionEncoding encoding) {
    if (encoding == PositionEncoding::Utf8) {
        return utf8.size();
    }
    std::size_t units = 0;
    while (!utf8.empty()) {
        const std::size_t length = Utf8SequenceLength(utf8);
        units += length == 4 ? 2 : 1;
        utf8.remove_prefix(length);
    }
    return units;
}

std::size_t OffsetOf(std::string_view text, Position position, PositionEncoding encoding) {
    const auto lines = SplitKeepingBreaks(text);
    if (position.line >= lines.size()) {
        return text.size();
    }
    std::string_view rest = WithoutBreak(lines[position.line]);
    std::size_t units = 0;
    while (!rest.empty()) {
        const std::size_t length = Utf8SequenceLength(rest);
        units += encoding == PositionEncoding::Utf8 ? length : (length == 4 ? 2 : 1);
        if (units > position.character) {
            break;
        }
        rest.remove_prefix(length);
    }
    return static_cast<std::size_t>(rest.data() - text.data());
}

namespace {

// Where old line `index` starts; past the last line, the end of the text.
Position StartOf(const std::vector<std::string_view>& lines, std::size_t index,
                 PositionEncoding encoding) {
    if (index < lines.size() || lines.empty()) {
        return {index, 0};
    }
    const std::string_view last = lines.back();
    if (WithoutBreak(last).size() != last.size()) {
        return {lines.size(), 0};
    }
    return {lines.size() - 1, Width(last, encoding)};
}

}  // namespace

std::vector<LineEdit> LineEdits(std::string_view before, std::string_view after,
                                PositionEncoding encoding) {
    using Lines = std::vector<std::string_view>;
    const Lines old = SplitKeepingBreaks(before);
    dtl::Diff<std::string_view, Lines> diff(old, SplitKeepingBreaks(after));
    diff.compose();
    std::vector<LineEdit> edits;
    std::size_t line = 0;  // of the old text
    bool open = false;
    for (const auto& [text, info] : diff.getSes().getSequence()) {
        if (info.type == dtl::SES_COMMON) {
            open = false;
            ++line;
            continue;
        }
        if (!open) {
            edits.push_back({line, 0, {}, {}, {}});
            open = true;
        }
        if (info.type == dtl::SES_DELETE) {
            ++edits.back().count;
            ++line;
        } else {
            edits.back().text += text;
        }
    }
    for (auto& edit : edits) {
        edit.start = StartOf(old, edit.first, encoding);
        edit.end = StartOf(old, edit.first + edit.count, encoding);
    }
    return edits;
}

}  // namespace brindle::lsp

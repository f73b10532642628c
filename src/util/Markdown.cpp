#include "util/Markdown.h"

#include <algorithm>
#include <iterator>
#include <vector>

#include "util/Text.h"

namespace brindle {

std::string MarkdownSections(std::string_view text, std::span<const std::string_view> titles) {
    std::string kept;
    bool keeping = false;
    bool inCode = false;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        const std::string_view bare = line.ends_with('\r') ? line.substr(0, line.size() - 1) : line;
        if (bare.starts_with("```")) {
            inCode = !inCode;
        }
        if (!inCode && bare.starts_with("## ")) {
            std::string_view title = bare.substr(3);
            while (!title.empty() && title.back() == ' ') {
                title.remove_suffix(1);
            }
            keeping = std::find(titles.begin(), titles.end(), title) != titles.end();
        }
        if (keeping) {
            kept.append(bare).push_back('\n');
        }
    }
    return kept;
}

namespace {

std::string WithoutBackticks(std::string_view text) {
    std::string plain;
    std::remove_copy(text.begin(), text.end(), std::back_inserter(plain), '`');
    return plain;
}

// The cells of "| a | b \\| c |", an escaped bar kept as a bar.
std::vector<std::string> CellsOf(std::string_view row) {
    row = TrimSpaces(row);
    row.remove_prefix(1);
    if (row.ends_with('|') && !row.ends_with("\\|")) {
        row.remove_suffix(1);
    }
    std::vector<std::string> cells(1);
    for (std::size_t i = 0; i < row.size(); ++i) {
        if (row[i] == '\\' && i + 1 < row.size() && row[i + 1] == '|') {
            cells.back() += '|';
            ++i;
        } else if (row[i] == '|') {
            cells.emplace_back();
        } else {
            cells.back() += row[i];
        }
    }
    return cells;
}

bool IsRuleRow(std::string_view row) {
    return row.find_first_not_of("|-: ") == std::string_view::npos && row.find('-') != row.npos;
}

std::string PlainLine(std::string_view line) {
    if (line.starts_with('#')) {
        return WithoutBackticks(TrimSpaces(line.substr(line.find_first_not_of('#'))));
    }
    if (!TrimSpaces(line).starts_with('|')) {
        return WithoutBackticks(line);
    }
    std::string joined;
    for (const auto& cell : CellsOf(line)) {
        const std::string text = WithoutBackticks(TrimSpaces(cell));
        if (!text.empty()) {  // an empty cell would leave two dashes side by side
            joined += (joined.empty() ? "" : " \u2014 ") + text;
        }
    }
    return joined;
}

}  // namespace

std::string MarkdownAsPlainText(std::string_view text) {
    std::string plain;
    bool inCode = false;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        if (line.starts_with("```")) {
            inCode = !inCode;
        } else if (inCode) {
            plain.append(line).push_back('\n');
        } else if (!(TrimSpaces(line).starts_with('|') && IsRuleRow(line))) {
            plain.append(PlainLine(line)).push_back('\n');
        }
    }
    return plain;
}

}  // namespace brindle

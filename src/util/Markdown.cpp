#include "util/Markdown.h"

#include <algorithm>

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

}  // namespace brindle

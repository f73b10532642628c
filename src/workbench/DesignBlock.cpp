#include "workbench/DesignBlock.h"

#include <algorithm>
#include <charconv>
#include <string_view>

#include "util/Text.h"

namespace brindle::workbench {
namespace {

// The first word of the line in lower case, and what follows it.
std::pair<std::string, std::string_view> Keyword(std::string_view line) {
    line = TrimBlanks(line);
    const std::size_t space = line.find_first_of(" \t");
    if (space == std::string_view::npos) {
        return {LowerAscii(line), {}};
    }
    return {LowerAscii(line.substr(0, space)), TrimBlanks(line.substr(space))};
}

DesignItem ItemOf(std::string_view rest) {
    DesignItem item;
    const std::size_t space = rest.find_first_of(" \t");
    item.type = std::string(rest.substr(0, space));
    if (space != std::string_view::npos) {
        item.name = std::string(TrimBlanks(rest.substr(space)));
    }
    return item;
}

void AddProperty(DesignItem& item, std::string_view line) {
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
        return;
    }
    std::string_view value = TrimBlanks(line.substr(equals + 1));
    // A value may carry the IDE's comment: "-1  'True".
    if (!value.empty() && value.front() != '"') {
        value = TrimBlanks(value.substr(0, value.find('\'')));
    }
    item.properties[LowerAscii(TrimBlanks(line.substr(0, equals)))] = std::string(value);
}

void CollectNames(const DesignItem& item, std::vector<std::string>& names) {
    names.push_back(item.name);
    for (const DesignItem& child : item.children) {
        CollectNames(child, names);
    }
}

}  // namespace

std::optional<double> DesignItem::Twips(const std::string& key) const {
    const auto found = properties.find(key);
    if (found == properties.end()) {
        return std::nullopt;
    }
    double value = 0;
    const std::string& text = found->second;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end != text.data() ? std::optional<double>(value) : std::nullopt;
}

std::string DesignItem::Text(const std::string& key) const {
    const auto found = properties.find(key);
    if (found == properties.end()) {
        return {};
    }
    std::string_view value = found->second;
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
        value = value.substr(1, value.size() - 2);
    }
    return std::string(value);
}

std::optional<DesignBlock> ReadDesignBlock(const host::FileLayout& layout) {
    std::optional<DesignBlock> block;
    std::vector<DesignItem*> open;
    int propertyGroups = 0;
    for (std::size_t i = 0; i < layout.header.size(); ++i) {
        const auto [word, rest] = Keyword(layout.header[i].text);
        if (!block) {
            if (word == "begin" && !rest.empty()) {
                block = DesignBlock{ItemOf(rest), i, i};
                open.push_back(&block->root);
            }
            continue;
        }
        if (word == "beginproperty") {
            ++propertyGroups;
        } else if (word == "endproperty") {
            propertyGroups = std::max(0, propertyGroups - 1);
        } else if (propertyGroups > 0) {
            continue;
        } else if (word == "begin") {
            open.back()->children.push_back(ItemOf(rest));
            open.push_back(&open.back()->children.back());
        } else if (word == "end") {
            open.pop_back();
            if (open.empty()) {
                block->lastLine = i;
                return block;
            }
        } else {
            AddProperty(*open.back(), layout.header[i].text);
        }
    }
    if (block) {
        block->lastLine = layout.header.size() - 1;
    }
    return block;
}

std::vector<std::string> ControlNames(const DesignItem& root) {
    std::vector<std::string> names;
    CollectNames(root, names);
    return names;
}

}  // namespace brindle::workbench

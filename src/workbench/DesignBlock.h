#pragma once
// The design block of a form, UserControl, property page or designer: the "Begin ... End"
// part of its file header that the code pane never shows, read into its controls.

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "host/ide/MemoryProject.h"

namespace brindle::workbench {

struct DesignItem {
    std::string type;  // "VB.Form", "VB.CommandButton", "{GUID}" for a designer
    std::string name;
    std::map<std::string, std::string> properties;  // keys in lower case, values as written
    std::vector<DesignItem> children;

    // A property's value as a number of twips; nothing when it is absent or no number.
    std::optional<double> Twips(const std::string& key) const;
    // A text property without its quotes.
    std::string Text(const std::string& key) const;
};

struct DesignBlock {
    DesignItem root;
    std::size_t firstLine = 0;  // of the header: where "Begin" stands
    std::size_t lastLine = 0;   // where its "End" stands
};

// Nothing for a component without a design block (a module or class).
std::optional<DesignBlock> ReadDesignBlock(const host::FileLayout& layout);

// The names of the root and of every control in it, in the order written.
std::vector<std::string> ControlNames(const DesignItem& root);

}  // namespace brindle::workbench

#pragma once
// Reads template files for the add-in, finding the default templates wherever Brindle runs.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/model/Runtime.h"

namespace brindle::host {

// A backslash separates folders, as in the paths the settings hold. A relative path is taken
// from the current directory; when nothing is there and its first folder (after any ".") is
// "Templates", the rest of it is looked up in the template folders, in order.
class TemplateFileReader : public TemplateFiles {
public:
    // The templates installed beside the executable, those of the configured install prefix,
    // then the source tree's (for running from a build folder).
    TemplateFileReader();
    explicit TemplateFileReader(std::vector<std::filesystem::path> templateFolders);

    std::optional<std::string> Read(std::string_view path) override;

    // The file a path leads to; empty for the empty path. Where no candidate exists, the path
    // from the current directory.
    std::filesystem::path Resolve(std::string_view path) const;

private:
    std::optional<std::filesystem::path> FromTemplateFolders(
        const std::filesystem::path& relative) const;

    std::vector<std::filesystem::path> templateFolders_;
};

}  // namespace brindle::host

#pragma once
// Reads template files for the add-in, finding the default templates wherever Brindle runs,
// and gives their text in UTF-8 whatever the editor that saved them.

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "model/Runtime.h"

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
    // For a DLL loaded into another program, whose current directory is that program's: a
    // relative path not found from the current directory is looked for from `folder`, where the
    // default templates are installed (in its Templates folder).
    static TemplateFileReader Beside(const std::filesystem::path& folder);

    // A file with a byte order mark is read in its encoding (UTF-8 or UTF-16), one without as
    // UTF-8 when it is valid UTF-8, otherwise in the code page; the mark is dropped. A file that
    // is no text (NUL bytes, UTF-16 without a mark, invalid in its encoding) gives nothing, and
    // WhyRefused says why.
    std::optional<std::string> Read(std::string_view path) override;
    std::string WhyRefused(std::string_view path) override;

    using Warn = std::function<void(std::string_view text)>;
    // The code page of templates that are not UTF-8, which is also the one they are written in.
    // Characters of a template that it lacks (they become "?") are told to `warn`, once a file.
    void SetCodePage(int codePage, Warn warn = {});

    // The file a path leads to; empty for the empty path. Where no candidate exists, the path
    // from the current directory.
    std::filesystem::path Resolve(std::string_view path) const;

private:
    std::optional<std::filesystem::path> FromTemplateFolders(
        const std::filesystem::path& relative) const;
    void WarnOfMissingCharacters(std::string_view path, std::string_view text);

    std::vector<std::filesystem::path> templateFolders_;
    std::filesystem::path besideFolder_;
    int codePage_ = 1252;
    Warn warn_;
    std::set<std::string, std::less<>> warned_;
    std::map<std::string, std::string, std::less<>> refused_;
};

}  // namespace brindle::host

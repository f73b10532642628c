#pragma once
// .brindleignore: the modules of a project that the project commands leave alone, as glob
// patterns of module paths relative to the project file's folder.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brindle::host {

inline constexpr std::string_view kIgnoreFileName = ".brindleignore";

// One pattern a line; blank lines and lines starting with "#" say nothing. A backslash
// separates folders, as in project files. "*" and "?" match within one folder name, "[...]"
// one of the characters listed ("[!...]" one not listed), "**" any number of folders. A
// pattern without a "/" matches a file or folder name at any depth; one with a "/" matches the
// path from the project's folder ("/" at its start changes nothing). A pattern that matches a
// folder leaves out everything below it. Letter case is ignored, as on Windows; "?" and a class
// take one character, whatever its length in UTF-8.
class IgnoreFile {
public:
    IgnoreFile(std::filesystem::path folder, std::string_view text);
    // The .brindleignore beside the project file; nothing when there is none or it cannot be
    // read.
    static std::optional<IgnoreFile> Beside(const std::filesystem::path& projectFile);

    const std::filesystem::path& Folder() const { return folder_; }
    // The pattern that leaves out the module file; nothing when none does or it lies outside
    // the folder.
    std::optional<std::string> Why(const std::filesystem::path& module) const;

private:
    std::filesystem::path folder_;
    std::string identity_;  // of the folder, as FileIdentity tells it
    std::vector<std::string> patterns_;
};

// Whether a pattern of the kind above matches the relative path ("/" between folders).
bool MatchesPathPattern(std::string_view pattern, std::string_view path);

}  // namespace brindle::host

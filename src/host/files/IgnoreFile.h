#pragma once
// .brindleignore: the modules of a project that the project commands leave alone, as glob
// patterns of module paths relative to the folder of the file, the project's or one above it.

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
// take one character, whatever its length in UTF-8. As in git, a pattern that starts with "!"
// takes back what the patterns before it leave out, the last pattern that matches decides, a
// pattern that ends with "/" matches folders only, and a module below a folder that is left out
// stays out. A pattern with a "[" that is never closed is told of and ignored.
class IgnoreFile {
public:
    // `label` names the file in warnings.
    IgnoreFile(std::filesystem::path folder, std::string_view text,
               std::string label = std::string(kIgnoreFileName));
    // The .brindleignore in the project file's folder or the nearest folder above it; nothing
    // when there is none. Read in UTF-8 or UTF-16, else in `codePage`. Raises LoadError when it
    // cannot be read or is no text.
    static std::optional<IgnoreFile> Nearest(const std::filesystem::path& projectFile,
                                             int codePage);

    const std::filesystem::path& Folder() const { return folder_; }
    // The pattern that leaves out the module file, or the folder with `folder`; nothing when
    // none does or it lies outside the folder.
    std::optional<std::string> Why(const std::filesystem::path& module, bool folder = false) const;
    // "file:line: text" of each pattern that is ignored.
    const std::vector<std::string>& Warnings() const { return warnings_; }

private:
    struct Pattern {
        std::string text;  // without "!"
        bool negated = false;
        bool foldersOnly = false;
    };
    std::optional<std::string> Decision(const std::vector<std::string_view>& path,
                                        bool folder) const;

    std::filesystem::path folder_;
    std::string identity_;  // of the folder, as FileIdentity tells it
    std::vector<Pattern> patterns_;
    std::vector<std::string> warnings_;
};

// Whether a pattern of the kind above matches the relative path ("/" between folders).
bool MatchesPathPattern(std::string_view pattern, std::string_view path);

}  // namespace brindle::host

#pragma once
// VB6 project (.vbp) and group (.vbg) files: what they name, and where those files are on disk.
// Brindle reads these files and never rewrites them. They are in the ANSI code page of the
// machine that saved them, so the names in them are too.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "host/files/FileSystem.h"

namespace brindle::host {

// One component line of a project file: Form, Module, Class, UserControl, PropertyPage,
// UserDocument or Designer.
struct ProjectEntry {
    std::string key;   // as the file spells it
    std::string name;  // the "Name; path" form's name, empty for the path-only keys
    std::string path;  // as written: code page bytes, Windows separators, relative to the file
    int line = 0;      // 1-based line of the project file, for messages
};

struct ProjectFileContents {
    std::string name;                   // Name="..." without its quotes; empty when absent
    std::vector<ProjectEntry> entries;  // in the file's order
};

struct GroupEntry {
    std::string path;  // as written, relative to the group file
    bool startup = false;
    int line = 0;
};

// Raised for a file that is not a project or group file, or cannot be read.
using ProjectFileError = FileError;

// The component lines of a project file's main section, in order. Keys that name no code
// module (References, Objects, RelatedDoc, ResFile32, ...) are left out. Raises
// ProjectFileError for text that is not a project file.
ProjectFileContents ParseProjectFile(std::string_view text, int codePage);

// The Project= and StartupProject= lines of a group file, in order.
std::vector<GroupEntry> ParseGroupFile(std::string_view text);

// Whether the text begins like a group file ("VBGROUP").
bool IsGroupFileText(std::string_view text);

enum class PathStatus {
    Found,
    Missing,    // nothing of that name, in any letter case
    Ambiguous,  // several files differ from the name only in letter case
    Absolute,   // a drive or network path of the Windows machine, not reachable here
};

struct ResolvedPath {
    PathStatus status = PathStatus::Missing;
    std::filesystem::path path;  // the file found; for a failure, as far as it was found
};

// Finds the file a project names: the path is relative to `folder` and separated by
// backslashes (or slashes). It is decoded from `codePage` into the UTF-8 names of the file
// system; where that finds nothing, its bytes are tried as they are, for files copied byte for
// byte from Windows. When the exact path does not exist, each folder and the file are looked up
// without regard to letter case, one level at a time.
ResolvedPath ResolveProjectPath(const std::filesystem::path& folder, std::string_view path,
                                int codePage);

// A one-line description in UTF-8 of a failed resolution of `path`, for messages.
std::string DescribeResolution(const ResolvedPath& resolved, std::string_view path, int codePage);

}  // namespace brindle::host

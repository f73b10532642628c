#pragma once
// What a front end tells of a file it was asked to open: the failure to open it, and its name as
// the user sees it.

#include <filesystem>
#include <stdexcept>
#include <string>

namespace brindle::host {

// A file named by the user that cannot be opened at all: missing, a folder, not a project or
// not a module. Nothing was loaded.
class LoadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// How a path is shown in messages: relative to the current folder, as a diff names it ("../"
// where needed), unless only the root is shared with it, in UTF-8 (a name in other bytes is
// taken to be in `codePage`).
std::string Label(const std::filesystem::path& path, int codePage);

// How a diff names a file: relative to the current folder, with "../" where needed.
std::string DiffName(const std::filesystem::path& path);

}  // namespace brindle::host

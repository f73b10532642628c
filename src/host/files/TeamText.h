#pragma once
// The text of a file that a team writes by hand beside its code (brindle.ini, .brindleignore),
// in whatever encoding the editor saved it.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "host/files/FileSystem.h"

namespace brindle::host {

// The file's text in UTF-8: UTF-8 with or without a byte order mark, UTF-16 with one, or
// UTF-16 without one when every other byte is NUL (as ASCII text in it is); other bytes that
// are not UTF-8 are read in `codePage`. Nothing when the bytes are no text: NUL bytes of no
// UTF-16, or control characters other than tabs, line and page breaks.
std::optional<std::string> DecodeTeamText(std::string_view bytes, int codePage);

// The file's bytes; when it cannot be read, an `Error` that tells `label` (the file as the user
// reads it) before why.
template <class Error>
std::string ReadTeamBytes(const std::filesystem::path& file, const std::string& label) {
    try {
        return ReadFileBytes(file);
    } catch (const FileError& e) {
        throw Error(label + ": " + e.what());
    }
}

// The file called `name` in `folder`, or in the nearest folder above it that has one.
std::optional<std::filesystem::path> NearestFile(const std::filesystem::path& folder,
                                                 std::string_view name);

}  // namespace brindle::host

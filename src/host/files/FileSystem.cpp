// Reading a file's bytes and writing them back, the same on every platform over the platform's
// ReplaceFileContents.

#include "host/files/FileSystem.h"

#include <fstream>
#include <system_error>

#include "host/files/ModuleFile.h"

namespace fs = std::filesystem;

namespace brindle::host {
namespace {

// The file's bytes; nothing for what is not a readable regular file.
std::optional<std::string> CurrentBytes(const fs::path& file) {
    std::error_code error;
    if (!fs::is_regular_file(file, error)) {
        return std::nullopt;
    }
    try {
        return ReadFileBytes(file);
    } catch (const FileError&) {
        return std::nullopt;
    }
}

}  // namespace

std::string ReadFileBytes(const fs::path& file) {
    std::error_code error;
    if (fs::is_directory(file, error)) {
        throw FileError("is a folder");
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        throw FileError("cannot be read");
    }
    // In one read of the size the file has now, then whatever it grew by meanwhile.
    const auto size = fs::file_size(file, error);
    std::string bytes;
    if (!error && size > bytes.max_size()) {  // a 32-bit program cannot hold it
        throw FileError("is too large to read");
    }
    bytes.assign(error ? 0 : static_cast<std::size_t>(size), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    char more[4096];
    while (in.read(more, sizeof more) || in.gcount() > 0) {
        bytes.append(more, static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad()) {
        throw FileError("cannot be read");
    }
    return bytes;
}

void WriteFileAtomically(const fs::path& file, std::string_view bytes) {
    std::error_code error;
    fs::path target = file;
    if (fs::symlink_status(file, error).type() == fs::file_type::symlink) {
        target = fs::canonical(file, error);
        if (error) {
            throw ModuleFileError(ModuleFileError::Reason::Unwritable, file,
                                  "cannot follow the link: " + error.message());
        }
    }
    RemoveLeftTemporaries(target);
    ReplaceFileContents(target, bytes, file);
}

bool WriteFileWhenChanged(const fs::path& file, std::string_view bytes) {
    if (CurrentBytes(file) == bytes) {
        return false;
    }
    WriteFileAtomically(file, bytes);
    return true;
}

}  // namespace brindle::host

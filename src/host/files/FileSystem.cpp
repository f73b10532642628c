// Reading a file's bytes and writing them back, the same on every platform over the platform's
// ReplaceFileContents.

#include "host/files/FileSystem.h"

#include <system_error>

#include "host/files/ModuleFile.h"

namespace fs = std::filesystem;

namespace brindle::host {
namespace {

// The file's bytes; nothing for what is not a readable regular file.
std::optional<std::string> CurrentBytes(const fs::path& file) {
    try {
        auto found = ReadRegularFile(file);
        if (found.kind == RegularFile::Kind::Regular) {
            return std::move(found.bytes);
        }
    } catch (const FileError&) {
    }
    return std::nullopt;
}

}  // namespace

namespace {

// The file a symbolic link leads to, or the file itself.
fs::path Followed(const fs::path& file) {
    std::error_code error;
    if (fs::symlink_status(file, error).type() != fs::file_type::symlink) {
        return file;
    }
    fs::path target = fs::canonical(file, error);
    if (error) {
        throw ModuleFileError(ModuleFileError::Reason::Unwritable, file,
                              "cannot follow the link: " + error.message());
    }
    return target;
}

}  // namespace

void WriteFileAtomically(const fs::path& file, std::string_view bytes, ReplacedFolders* batch) {
    const fs::path target = Followed(file);
    RemoveLeftTemporaries(target);
    ReplaceFileContents(target, bytes, file);
    if (batch != nullptr) {
        batch->Add(target.parent_path());
    } else {
        SyncFolder(target.parent_path());
    }
}

void ReplacedFolders::Add(const fs::path& folder) {
    const std::lock_guard lock(mutex_);
    folders_.insert(folder);
}

std::vector<std::pair<fs::path, std::string>> ReplacedFolders::Sync() {
    std::set<fs::path> folders;
    {
        const std::lock_guard lock(mutex_);
        folders.swap(folders_);
    }
    std::vector<std::pair<fs::path, std::string>> failed;
    for (const auto& folder : folders) {
        try {
            SyncFolder(folder);
        } catch (const ModuleFileError& e) {
            failed.emplace_back(
                folder, e.Detail() + "; what was written there may not survive a power cut");
        }
    }
    return failed;
}

bool WriteFileWhenChanged(const fs::path& file, std::string_view bytes) {
    if (CurrentBytes(file) == bytes) {
        return false;
    }
    WriteFileAtomically(file, bytes);
    return true;
}

}  // namespace brindle::host

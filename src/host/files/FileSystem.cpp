// Reading a file's bytes and writing them back, the same on every platform over the platform's
// ReplaceFileContents.

#include "host/files/FileSystem.h"

#include <system_error>

namespace fs = std::filesystem;

namespace brindle::host {
namespace {

constexpr std::int32_t kInvalidFileFormat = 321;

std::int32_t NumberOf(ModuleFileError::Reason reason) {
    switch (reason) {
        case ModuleFileError::Reason::NotFound:
            return static_cast<std::int32_t>(Err::FileNotFound);
        case ModuleFileError::Reason::NotAModule:
            return kInvalidFileFormat;
        default:
            return static_cast<std::int32_t>(Err::PathFileAccess);
    }
}

std::string DescriptionOf(ModuleFileError::Reason reason) {
    if (reason == ModuleFileError::Reason::NotAModule) {
        return "Invalid file format";
    }
    return std::string(Describe(static_cast<Err>(NumberOf(reason))));
}

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

ModuleFileError::ModuleFileError(Reason reason, fs::path path, std::string detail)
    : VbError(NumberOf(reason), DescriptionOf(reason),
              reason == Reason::Unwritable ? "ModuleFile.Save" : "ModuleFile.Load"),
      reason_(reason),
      path_(std::move(path)),
      detail_(std::move(detail)) {}

std::string ModuleFileError::Message() const {
    return TextOf(path_) + ": " + detail_;
}

}  // namespace brindle::host

#pragma once
// What files on disk look like on this platform: paths as UTF-8 text, the running executable,
// the environment, and reading and replacing a file's bytes safely. One implementation per
// platform, over a portable part (FileSystem.cpp, Temporaries.cpp).

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "model/VbError.h"

namespace brindle::host {

// The path that a name in UTF-8 names. On Linux any bytes are a name as they are.
std::filesystem::path PathOf(std::string_view text);

// A path as a user sees it, in UTF-8. On Linux the bytes of the name as they are, which a name
// copied from Windows may have in its code page.
std::string TextOf(const std::filesystem::path& path);

// What tells files apart: two paths give the same text when they lead to the same file,
// through links and "..", and on Windows in any letter case.
std::string FileIdentity(const std::filesystem::path& path);

// Whether two paths lead to the same file, as FileIdentity tells.
inline bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
    return FileIdentity(a) == FileIdentity(b);
}

// Whether something is at `path`; a path that cannot be looked at counts as nothing there.
inline bool Exists(const std::filesystem::path& path) {
    std::error_code ignored;
    return std::filesystem::exists(path, ignored);
}

// The running executable; empty when it cannot be told.
std::filesystem::path ExecutableFile();

// An environment variable in UTF-8; nothing when it is unset or empty.
std::optional<std::string> EnvironmentValue(const char* name);

// The user's name as the system knows it, in UTF-8: the account's full name (the GECOS field on
// Linux, the display name on Windows), else the login name; empty when neither can be told.
std::string UserName();

// A file that cannot be read, or whose text is not what it should be. The text says why but
// does not name the file: the caller names it as its user sees it.
class FileError : public std::runtime_error {
public:
    explicit FileError(const std::string& what, std::int32_t line = 0)
        : std::runtime_error(what), line_(line) {}
    // The line of the file it is about; 0 when it is about the whole file.
    std::int32_t Line() const noexcept { return line_; }

private:
    std::int32_t line_;
};

// A module file that cannot be loaded or saved. Number and description are the IDE's (53 "File
// not found", 75 "Path/File access error", 321 "Invalid file format"); Detail() says why in
// words a user can act on.
class ModuleFileError : public VbError {
public:
    enum class Reason { NotFound, Unreadable, NotAModule, Unwritable };

    ModuleFileError(Reason reason, std::filesystem::path path, std::string detail);

    Reason Why() const noexcept { return reason_; }
    const std::filesystem::path& Path() const noexcept { return path_; }
    const std::string& Detail() const noexcept { return detail_; }
    // "<path>: <detail>".
    std::string Message() const;

private:
    Reason reason_;
    std::filesystem::path path_;
    std::string detail_;
};

// A whole file's bytes. Raises FileError when it cannot.
std::string ReadFileBytes(const std::filesystem::path& file);

// A file as one look at it finds it: its kind, and for a regular file its bytes and whether its
// owner may write it. Anything but a regular file is not opened, as reading a device or a pipe
// may never end. Raises FileError when a regular file cannot be read.
struct RegularFile {
    enum class Kind { Missing, Folder, Regular, Other };
    Kind kind = Kind::Missing;
    std::string bytes;
    bool ownerWrites = false;
};
RegularFile ReadRegularFile(const std::filesystem::path& file);

// Makes what was renamed into the folder survive a power cut. Raises ModuleFileError
// (Unwritable) when the system fails to; a file system that cannot flush a folder, and a folder
// that cannot be opened to flush it, are let be. On Windows the rename itself does it.
void SyncFolder(const std::filesystem::path& folder);

// The folders in which a batch of writes replaced files, each flushed once when the batch is
// done rather than after every file.
class ReplacedFolders {
public:
    // From any thread.
    void Add(const std::filesystem::path& folder);
    // Flushes every folder added since the last time; each that failed, with the problem.
    std::vector<std::pair<std::filesystem::path, std::string>> Sync();

private:
    std::mutex mutex_;
    std::set<std::filesystem::path> folders_;
};

// Replaces the file's bytes through ReplaceFileContents, after the temporaries a killed run
// left beside it (RemoveLeftTemporaries); a symbolic link is followed. The file's folder is
// flushed at once, or left to `batch`. Raises ModuleFileError (Unwritable).
void WriteFileAtomically(const std::filesystem::path& file, std::string_view bytes,
                         ReplacedFolders* batch = nullptr);

// WriteFileAtomically, unless the file holds these bytes already; whether it wrote.
bool WriteFileWhenChanged(const std::filesystem::path& file, std::string_view bytes);

// Gives `file` (no link) the bytes: a temporary file beside it, written, flushed to disk and
// renamed over it, with the old file's permissions or attributes. Raises ModuleFileError
// (Unwritable) naming `shown`. The temporary file is named ".NAME.PID-RANDOM.brindle-tmp"
// (TemporaryName), so that a person can tell it and "*.brindle-tmp" in a .gitignore matches.
void ReplaceFileContents(const std::filesystem::path& file, std::string_view bytes,
                         const std::filesystem::path& shown);

inline constexpr std::string_view kTemporarySuffix = ".brindle-tmp";

// ".NAME.PID-" and `random` and the suffix, for `file` named NAME.
std::string TemporaryName(const std::filesystem::path& file, std::string_view random);

// Removes the temporary files in the folder of `file` that a process no longer running left
// there (a run that was killed), once a run for each folder. A file of a process that still
// runs is never touched, nor one this function cannot read the process of.
void RemoveLeftTemporaries(const std::filesystem::path& file);

// This process, and whether the process of that id runs (when it cannot be told: true).
std::uint64_t ThisProcess();
bool ProcessRuns(std::uint64_t id);

}  // namespace brindle::host

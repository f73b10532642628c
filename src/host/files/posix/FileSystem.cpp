#include "host/files/FileSystem.h"

#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace brindle::host {
namespace {

[[noreturn]] void FailWrite(const fs::path& file, std::string_view what, int error) {
    throw ModuleFileError(ModuleFileError::Reason::Unwritable, file,
                          std::string(what) + ": " + std::strerror(error));
}

// A file descriptor closed with the object; the temporary file is removed unless kept.
class TemporaryFile {
public:
    TemporaryFile(const fs::path& beside, const fs::path& shown) {
        std::string pattern = (beside.parent_path() / TemporaryName(beside, "XXXXXX")).string();
        name_.assign(pattern.begin(), pattern.end());
        name_.push_back('\0');
        fd_ = ::mkstemps(name_.data(), static_cast<int>(kTemporarySuffix.size()));
        if (fd_ < 0) {
            FailWrite(shown,
                      "cannot create a temporary file in its folder " +
                          TextOf(fs::absolute(beside).parent_path()),
                      errno);
        }
    }
    ~TemporaryFile() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        if (!kept_) {
            ::unlink(name_.data());
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    int Descriptor() const { return fd_; }
    const char* Name() const { return name_.data(); }
    int Close() {
        int result = ::close(fd_);
        fd_ = -1;
        return result;
    }
    void Keep() { kept_ = true; }

private:
    std::vector<char> name_;
    int fd_ = -1;
    bool kept_ = false;
};

void WriteAll(int fd, std::string_view bytes, const fs::path& shown) {
    while (!bytes.empty()) {
        ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            FailWrite(shown, "cannot write", errno);
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

// The rest of an open file's bytes after `bytes`, which hold what was read so far.
void ReadRest(int fd, std::string& bytes, std::size_t expected) {
    std::size_t have = bytes.size();
    bytes.resize(std::max(expected, have) + 1);  // one more, to see the end in the same read
    for (;;) {
        if (have == bytes.size()) {
            bytes.resize(bytes.size() * 2);
        }
        const ssize_t got = ::read(fd, bytes.data() + have, bytes.size() - have);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw FileError("cannot be read");
        }
        if (got == 0) {
            break;
        }
        have += static_cast<std::size_t>(got);
    }
    bytes.resize(have);
}

class OpenFile {
public:
    explicit OpenFile(int fd) : fd_(fd) {}
    ~OpenFile() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    int Get() const { return fd_; }

private:
    int fd_;
};

}  // namespace

fs::path PathOf(std::string_view text) {
    return fs::path(std::string(text));
}

std::string TextOf(const fs::path& path) {
    return path.string();
}

std::string FileIdentity(const fs::path& path) {
    // The device and the inode, as Windows tells files apart by volume and index: one look,
    // where following the path through links looked at each folder along it.
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        return std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino);
    }
    std::error_code error;
    const fs::path canonical = fs::weakly_canonical(path, error);
    return (error ? fs::absolute(path).lexically_normal() : canonical).string();
}

std::string ReadFileBytes(const fs::path& file) {
    const OpenFile fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.Get() < 0) {
        throw FileError(errno == EISDIR ? "is a folder" : "cannot be read");
    }
    struct stat info {};
    if (::fstat(fd.Get(), &info) != 0) {
        throw FileError("cannot be read");
    }
    if (S_ISDIR(info.st_mode)) {
        throw FileError("is a folder");
    }
    std::string bytes;
    ReadRest(fd.Get(), bytes, S_ISREG(info.st_mode) ? static_cast<std::size_t>(info.st_size) : 0);
    return bytes;
}

RegularFile ReadRegularFile(const fs::path& file) {
    RegularFile found;
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0) {
        return found;
    }
    if (S_ISDIR(info.st_mode)) {
        found.kind = RegularFile::Kind::Folder;
        return found;
    }
    if (!S_ISREG(info.st_mode)) {
        found.kind = RegularFile::Kind::Other;
        return found;
    }
    found.kind = RegularFile::Kind::Regular;
    found.ownerWrites = (info.st_mode & S_IWUSR) != 0;
    // O_NONBLOCK: should it have become a pipe meanwhile, opening it does not wait for a writer.
    const OpenFile fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.Get() < 0) {
        throw FileError("cannot be read");
    }
    ReadRest(fd.Get(), found.bytes, static_cast<std::size_t>(info.st_size));
    return found;
}

fs::path ExecutableFile() {
    std::error_code error;
    fs::path executable = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::path() : executable;
}

std::optional<std::string> EnvironmentValue(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') {
        return std::nullopt;
    }
    return std::string(value);
}

std::string UserName() {
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
        found != nullptr) {
        // The GECOS field: the full name, then office and telephone after commas.
        const std::string_view gecos = found->pw_gecos == nullptr ? "" : found->pw_gecos;
        const std::string_view full = gecos.substr(0, gecos.find(','));
        if (!full.empty()) {
            return std::string(full);
        }
        if (found->pw_name != nullptr && *found->pw_name != '\0') {
            return found->pw_name;
        }
    }
    for (const char* name : {"USER", "LOGNAME"}) {
        if (auto value = EnvironmentValue(name)) {
            return *value;
        }
    }
    return {};
}

std::uint64_t ThisProcess() {
    // Asked for each temporary file's name.
    static const auto id = static_cast<std::uint64_t>(::getpid());
    return id;
}

bool ProcessRuns(std::uint64_t id) {
    const auto pid = static_cast<pid_t>(id);
    if (pid <= 0 || static_cast<std::uint64_t>(pid) != id) {
        return true;
    }
    return ::kill(pid, 0) == 0 || errno != ESRCH;
}

namespace {

// The permissions a new file gets, or those of the file it replaces.
mode_t ModeFor(bool exists, const struct stat& old) {
    if (exists) {
        return old.st_mode & 07777;
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return static_cast<mode_t>(0666 & ~mask);
}

}  // namespace

void ReplaceFileContents(const fs::path& file, std::string_view bytes, const fs::path& shown) {
    struct stat old {};
    const bool exists = ::stat(file.c_str(), &old) == 0;
    TemporaryFile temporary(file, shown);
    WriteAll(temporary.Descriptor(), bytes, shown);
    if (::fchmod(temporary.Descriptor(), ModeFor(exists, old)) != 0 ||
        ::fsync(temporary.Descriptor()) != 0) {
        FailWrite(shown, "cannot write", errno);
    }
    if (temporary.Close() != 0) {
        FailWrite(shown, "cannot write", errno);
    }
    if (::rename(temporary.Name(), file.c_str()) != 0) {
        FailWrite(shown, "cannot replace", errno);
    }
    temporary.Keep();
}

void SyncFolder(const fs::path& folder) {
    const OpenFile fd(
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.Get() >= 0 && ::fsync(fd.Get()) != 0 && errno != EINVAL && errno != ENOTSUP) {
        FailWrite(folder, "cannot flush the folder", errno);
    }
}

}  // namespace brindle::host

#include "host/files/FileSystem.h"

#include <windows.h>

#define SECURITY_WIN32
#include <security.h>

#include <cstdlib>
#include <fstream>
#include <random>
#include <system_error>

#include "host/vb6/windows/Wide.h"

namespace fs = std::filesystem;

namespace brindle::host {
namespace {

// The system's words for a failure, without the line break it ends with.
std::string Describe(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring words(text, length);
    LocalFree(text);
    while (!words.empty() && (words.back() == L'\n' || words.back() == L'\r' ||
                              words.back() == L'.' || words.back() == L' ')) {
        words.pop_back();
    }
    return words.empty() ? "error " + std::to_string(error) : Narrow(words);
}

[[noreturn]] void FailWrite(const fs::path& shown, std::string_view what) {
    const DWORD error = GetLastError();
    throw ModuleFileError(ModuleFileError::Reason::Unwritable, shown,
                          std::string(what) + ": " + Describe(error));
}

// The path in the form that the wide Win32 file functions take at any length: absolute, and
// beyond the old limit of 260 characters with the \\?\ prefix.
std::wstring Win32Path(const fs::path& path) {
    std::error_code error;
    std::wstring full = fs::absolute(path, error).lexically_normal().make_preferred().native();
    if (full.size() < MAX_PATH - 12 || full.starts_with(L"\\\\?\\")) {
        return full;
    }
    return full.starts_with(L"\\\\") ? L"\\\\?\\UNC\\" + full.substr(2) : L"\\\\?\\" + full;
}

// A new file beside another, closed with the object and removed unless kept.
class TemporaryFile {
public:
    TemporaryFile(const fs::path& beside, const fs::path& shown, DWORD attributes) {
        std::random_device random;
        for (int attempt = 0; attempt < 100 && handle_ == INVALID_HANDLE_VALUE; ++attempt) {
            const auto name = TemporaryName(beside, std::to_string(random() % 1000000));
            name_ = Win32Path(beside.parent_path() / PathOf(name));
            handle_ = CreateFileW(name_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, attributes,
                                  nullptr);
            if (handle_ == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) {
                break;
            }
        }
        if (handle_ == INVALID_HANDLE_VALUE) {
            FailWrite(shown, "cannot create a temporary file in its folder " +
                                 TextOf(fs::absolute(beside).parent_path()));
        }
    }
    ~TemporaryFile() {
        Close();
        if (!kept_) {
            DeleteFileW(name_.c_str());
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    HANDLE Handle() const { return handle_; }
    const std::wstring& Name() const { return name_; }
    bool Close() {
        const bool closed = handle_ == INVALID_HANDLE_VALUE || CloseHandle(handle_) != FALSE;
        handle_ = INVALID_HANDLE_VALUE;
        return closed;
    }
    void Keep() { kept_ = true; }

private:
    std::wstring name_;
    HANDLE handle_ = INVALID_HANDLE_VALUE;
    bool kept_ = false;
};

void WriteAll(HANDLE handle, std::string_view bytes, const fs::path& shown) {
    while (!bytes.empty()) {
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        DWORD written = 0;
        if (WriteFile(handle, bytes.data(), chunk, &written, nullptr) == FALSE) {
            FailWrite(shown, "cannot write");
        }
        bytes.remove_prefix(written);
    }
}

}  // namespace

fs::path PathOf(std::string_view text) {
    return fs::path(Widen(text));
}

std::string TextOf(const fs::path& path) {
    return Narrow(path.native());
}

// The volume and the file's index on it; where the file cannot be opened, its full path in
// capitals.
std::string FileIdentity(const fs::path& path) {
    const std::wstring name = Win32Path(path);
    const HANDLE file =
        CreateFileW(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    BY_HANDLE_FILE_INFORMATION information{};
    const bool known =
        file != INVALID_HANDLE_VALUE && GetFileInformationByHandle(file, &information) != FALSE;
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
    }
    if (known) {
        return std::to_string(information.dwVolumeSerialNumber) + ":" +
               std::to_string(information.nFileIndexHigh) + ":" +
               std::to_string(information.nFileIndexLow);
    }
    // Upper-cased as the file system compares names, whatever the user's locale.
    std::wstring upper = name;
    LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, name.data(),
                  static_cast<int>(name.size()), upper.data(), static_cast<int>(upper.size()),
                  nullptr, nullptr, 0);
    return Narrow(upper);
}

fs::path ExecutableFile() {
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0) {
            return {};
        }
        if (length < name.size()) {
            name.resize(length);
            return fs::path(name);
        }
        name.resize(name.size() * 2);
    }
}

std::optional<std::string> EnvironmentValue(const char* name) {
    const wchar_t* value = _wgetenv(Widen(name).c_str());
    if (value == nullptr || *value == L'\0') {
        return std::nullopt;
    }
    return Narrow(value);
}

std::string UserName() {
    std::wstring name(256, L'\0');
    ULONG length = static_cast<ULONG>(name.size());
    if (GetUserNameExW(NameDisplay, name.data(), &length) && length > 0) {
        name.resize(length);
        return Narrow(name);
    }
    DWORD size = static_cast<DWORD>(name.size());
    name.assign(size, L'\0');
    if (GetUserNameW(name.data(), &size) && size > 1) {
        name.resize(size - 1);  // the count includes the closing null
        return Narrow(name);
    }
    return {};
}

std::uint64_t ThisProcess() {
    return GetCurrentProcessId();
}

bool ProcessRuns(std::uint64_t id) {
    const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(id));
    if (process == nullptr) {
        return GetLastError() != ERROR_INVALID_PARAMETER;
    }
    const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return running;
}

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

RegularFile ReadRegularFile(const fs::path& file) {
    std::error_code error;
    const auto status = fs::status(file, error);
    RegularFile found;
    if (status.type() == fs::file_type::not_found) {
        return found;
    }
    if (fs::is_directory(status)) {
        found.kind = RegularFile::Kind::Folder;
        return found;
    }
    if (!fs::is_regular_file(status)) {
        found.kind = error ? RegularFile::Kind::Missing : RegularFile::Kind::Other;
        return found;
    }
    found.kind = RegularFile::Kind::Regular;
    found.ownerWrites = (status.permissions() & fs::perms::owner_write) != fs::perms::none;
    found.bytes = ReadFileBytes(file);
    return found;
}

// The old file's attributes (hidden, archive, ...) carry over; a read-only file is not replaced.
void ReplaceFileContents(const fs::path& file, std::string_view bytes, const fs::path& shown) {
    const std::wstring target = Win32Path(file);
    DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        attributes = FILE_ATTRIBUTE_NORMAL;
    } else if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        FailWrite(shown, "cannot replace");
    }
    attributes &= FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                  FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    TemporaryFile temporary(file, shown, attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes);
    WriteAll(temporary.Handle(), bytes, shown);
    if (FlushFileBuffers(temporary.Handle()) == FALSE || !temporary.Close()) {
        FailWrite(shown, "cannot write");
    }
    if (MoveFileExW(temporary.Name().c_str(), target.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == FALSE) {
        FailWrite(shown, "cannot replace");
    }
    temporary.Keep();
}

// MoveFileEx wrote the rename through already.
void SyncFolder(const fs::path&) {}

}  // namespace brindle::host

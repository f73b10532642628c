#include "support/RunProgram.h"

#include <windows.h>

#include <system_error>

#include "host/files/FileSystem.h"
#include "host/vb6/windows/Wide.h"
#include "support/TestPaths.h"

namespace brindle::test {
namespace {

// Quoted as the C run time splits a command line into arguments.
std::wstring Quote(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
        return argument;
    }
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

// A file handle that the program inherits, closed with the object.
class Inherited {
public:
    Inherited(const std::wstring& name, DWORD access, DWORD disposition) {
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        handle_ = CreateFileW(name.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                              disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    ~Inherited() { CloseHandle(handle_); }
    Inherited(const Inherited&) = delete;
    Inherited& operator=(const Inherited&) = delete;
    HANDLE Get() const { return handle_; }

private:
    HANDLE handle_;
};

}  // namespace

BrindleRun RunProgram(const std::filesystem::path& program, const std::filesystem::path& folder,
                      const std::filesystem::path& settings, const std::vector<std::string>& args,
                      const std::optional<std::string>& typed) {
    if (typed) {
        return {};
    }
    std::wstring command = Quote(program.native());
    for (const auto& arg : args) {
        command += L" " + Quote(host::Widen(arg));
    }
    const auto out = folder.parent_path() / (folder.filename().native() + L".out");
    const auto err = folder.parent_path() / (folder.filename().native() + L".err");
    BrindleRun run;
    std::string notStarted;
    {
        Inherited in(L"NUL", GENERIC_READ, OPEN_EXISTING);
        Inherited output(out.native(), GENERIC_WRITE, CREATE_ALWAYS);
        Inherited error(err.native(), GENERIC_WRITE, CREATE_ALWAYS);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = in.Get();
        startup.hStdOutput = output.Get();
        startup.hStdError = error.Get();
        PROCESS_INFORMATION process{};
        SetEnvironmentVariableW(L"BRINDLE_SETTINGS", settings.native().c_str());
        // Wine has been seen, once in many runs on a busy machine, to fail to start a process
        // that then started; one that cannot start fails every attempt, and says why.
        DWORD failure = 0;
        for (int attempt = 0; attempt < 3; ++attempt) {
            if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                               folder.native().c_str(), &startup, &process) != FALSE) {
                failure = 0;
                break;
            }
            failure = GetLastError();
            Sleep(500);
        }
        if (failure != 0) {
            notStarted = "could not start " + program.string() + ": " +
                         std::system_category().message(static_cast<int>(failure));
        } else {
            WaitForSingleObject(process.hProcess, INFINITE);
            DWORD code = 0;
            GetExitCodeProcess(process.hProcess, &code);
            run.status = static_cast<int>(code);
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
        }
    }
    run.out = ReadBytes(out);
    run.err = notStarted + ReadBytes(err);
    std::filesystem::remove(out);
    std::filesystem::remove(err);
    return run;
}

std::optional<std::string> NoTerminalToTypeOn() {
    return "a console to type on cannot be made for a test on Windows (nor under Wine)";
}

}  // namespace brindle::test

#include "support/RunProgram.h"

#include <windows.h>

#include <system_error>
#include <variant>

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

// The system's words for an error.
std::string Describe(DWORD error) {
    return std::system_category().message(static_cast<int>(error));
}

// A file handle that the program inherits, closed with the object.
class Inherited {
public:
    Inherited(const std::wstring& name, DWORD access, DWORD disposition) {
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        handle_ = CreateFileW(name.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                              disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
        failure_ = handle_ == INVALID_HANDLE_VALUE ? GetLastError() : 0;
    }
    ~Inherited() { CloseHandle(handle_); }
    Inherited(const Inherited&) = delete;
    Inherited& operator=(const Inherited&) = delete;
    HANDLE Get() const { return handle_; }
    // Why it could not be opened; 0 when it is open.
    DWORD Failure() const { return failure_; }

private:
    HANDLE handle_;
    DWORD failure_;
};

// Runs `command` in `folder` with its output and errors going to the files `out` and `err`,
// and waits for it: its exit status, or why it could not be started.
std::variant<int, std::string> StartAndWait(std::wstring command,
                                            const std::filesystem::path& folder,
                                            const std::filesystem::path& out,
                                            const std::filesystem::path& err) {
    Inherited in(L"NUL", GENERIC_READ, OPEN_EXISTING);
    Inherited output(out.native(), GENERIC_WRITE, CREATE_ALWAYS);
    Inherited error(err.native(), GENERIC_WRITE, CREATE_ALWAYS);
    for (const auto& file : {&in, &output, &error}) {
        if (file->Failure() != 0) {
            return "could not open its standard handles: " + Describe(file->Failure());
        }
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in.Get();
    startup.hStdOutput = output.Get();
    startup.hStdError = error.Get();
    PROCESS_INFORMATION process{};
    if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                       folder.native().c_str(), &startup, &process) == FALSE) {
        return "could not start: " + Describe(GetLastError());
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

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
    SetEnvironmentVariableW(L"BRINDLE_SETTINGS", settings.native().c_str());
    // Wine has been seen, once in many runs on a busy machine, to fail to run a program that
    // ran the next time; one that cannot run fails every attempt, and says why.
    auto result = StartAndWait(command, folder, out, err);
    for (int attempt = 1; attempt < 3 && std::holds_alternative<std::string>(result); ++attempt) {
        Sleep(500);
        result = StartAndWait(command, folder, out, err);
    }
    BrindleRun run;
    if (const auto* status = std::get_if<int>(&result)) {
        run.status = *status;
    } else {
        run.err = program.string() + ": " + std::get<std::string>(result) + "\n";
    }
    run.out = ReadBytes(out);
    run.err += ReadBytes(err);
    std::filesystem::remove(out);
    std::filesystem::remove(err);
    return run;
}

std::optional<std::string> NoTerminalToTypeOn() {
    return "a console to type on cannot be made for a test on Windows (nor under Wine)";
}

}  // namespace brindle::test

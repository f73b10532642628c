#include "cli/args/Console.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "host/vb6/windows/Wide.h"

// The C run time's own split of the command line into wide arguments, as a wide main() gets
// them (shell32's CommandLineToArgvW would load user32, which makes each start slower).
extern "C" int __wgetmainargs(int* argc, wchar_t*** argv, wchar_t*** environment,
                              int expandWildcards, int* startInfo);

namespace brindle::cli {

namespace {

UINT previousOutputCodePage = 0;

void RestoreOutputCodePage() {
    SetConsoleOutputCP(previousOutputCodePage);
}

}  // namespace

// The console's code page is given back at exit. Text mode would turn each LF of a diff into
// CR LF; a console shows LF alone as a line end.
std::vector<std::string> OpenConsole(int argc, const char* const* argv) {
    previousOutputCodePage = GetConsoleOutputCP();
    if (previousOutputCodePage != 0 && previousOutputCodePage != CP_UTF8 &&
        SetConsoleOutputCP(CP_UTF8) != FALSE) {
        std::atexit(RestoreOutputCodePage);
    }
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    int count = 0;
    wchar_t** wide = nullptr;
    wchar_t** environment = nullptr;
    int startInfo = 0;
    if (__wgetmainargs(&count, &wide, &environment, 0, &startInfo) != 0 || wide == nullptr) {
        return {argv, argv + argc};
    }
    std::vector<std::string> arguments;
    for (int i = 0; i < count; ++i) {
        arguments.push_back(host::Narrow(wide[i]));
    }
    return arguments;
}

bool IsTerminal() {
    return _isatty(_fileno(stdin)) != 0 && _isatty(_fileno(stderr)) != 0;
}

int TerminalWidth() {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (GetConsoleScreenBufferInfo(GetStdHandle(STD_OUTPUT_HANDLE), &info) == FALSE) {
        return 0;
    }
    return info.srWindow.Right - info.srWindow.Left + 1;
}

void BinaryStandardInput() {
    _setmode(_fileno(stdin), _O_BINARY);
}

}  // namespace brindle::cli

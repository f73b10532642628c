#include "cli/args/Console.h"

#include <sys/ioctl.h>
#include <unistd.h>

namespace brindle::cli {

std::vector<std::string> OpenConsole(int argc, const char* const* argv) {
    return {argv, argv + argc};
}

bool IsTerminal() {
    return isatty(STDIN_FILENO) == 1 && isatty(STDERR_FILENO) == 1;
}

int TerminalWidth() {
    winsize size{};
    if (isatty(STDOUT_FILENO) == 1 && ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0) {
        return size.ws_col;
    }
    return 0;
}

void BinaryStandardInput() {}

}  // namespace brindle::cli

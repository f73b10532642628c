#include "cli/Console.h"

#include <unistd.h>

namespace brindle::cli {

std::vector<std::string> OpenConsole(int argc, const char* const* argv) {
    return {argv, argv + argc};
}

bool IsTerminal() {
    return isatty(STDIN_FILENO) == 1 && isatty(STDERR_FILENO) == 1;
}

}  // namespace brindle::cli

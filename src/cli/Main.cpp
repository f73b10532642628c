#include "cli/Main.h"

#include <unistd.h>

#include <iostream>

#include "cli/CommandLine.h"
#include "cli/Run.h"

namespace brindle::cli {

int Main(int argc, const char* const* argv) {
    auto parsed = ParseCommandLine(argc, argv);
    if (auto* exit = std::get_if<Exit>(&parsed)) {
        std::cout << exit->out;
        std::cerr << exit->err;
        return exit->status;
    }
    const bool terminal = isatty(STDIN_FILENO) == 1 && isatty(STDERR_FILENO) == 1;
    return Run(std::get<Request>(parsed), {std::cin, std::cout, std::cerr, terminal});
}

}  // namespace brindle::cli

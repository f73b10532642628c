#include "cli/Main.h"

#include <iostream>

#include "cli/CommandLine.h"
#include "cli/Run.h"
#include "cli/Terminal.h"

namespace brindle::cli {

int Main(int argc, const char* const* argv) {
    auto parsed = ParseCommandLine(argc, argv, HelpWidth());
    if (auto* exit = std::get_if<Exit>(&parsed)) {
        std::cout << exit->out;
        std::cerr << exit->err;
        return exit->status;
    }
    return Run(std::get<Request>(parsed), {std::cin, std::cout, std::cerr, CanAsk()});
}

}  // namespace brindle::cli

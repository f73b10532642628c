#include "cli/Main.h"

#include <iostream>
#include <string>
#include <vector>

#include "cli/args/CommandLine.h"
#include "cli/args/Console.h"
#include "cli/args/HelpFormat.h"
#include "cli/commands/Run.h"

namespace brindle::cli {

int Main(int argc, const char* const* argv) {
    auto parsed = ParseCommandLine(argc, argv, HelpWidth());
    if (auto* exit = std::get_if<Exit>(&parsed)) {
        std::cout << exit->out;
        std::cerr << exit->err;
        return exit->status;
    }
    return Run(std::get<Request>(parsed), {std::cin, std::cout, std::cerr, IsTerminal()});
}

int ConsoleMain(int argc, const char* const* argv) {
    const std::vector<std::string> arguments = OpenConsole(argc, argv);
    std::vector<const char*> pointers;
    for (const std::string& argument : arguments) {
        pointers.push_back(argument.c_str());
    }
    return Main(static_cast<int>(pointers.size()), pointers.data());
}

}  // namespace brindle::cli

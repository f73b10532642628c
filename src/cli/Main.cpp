#include "cli/Main.h"

#include <iostream>
#include <string>
#include <string_view>
#include <vector>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "cli/args/CommandLine.h"
#include "cli/args/Console.h"
#include "cli/args/HelpFormat.h"
#include "cli/commands/HelpTopics.h"
#include "cli/commands/Run.h"

namespace brindle::cli {

int Main(int argc, const char* const* argv) {
    if (argc == 3 && std::string_view(argv[1]) == "--generate" &&
        std::string_view(argv[2]) == "man-include") {
        std::cout << ManualSections();  // help2man's --include file, for the build
        return 0;
    }
    auto parsed = ParseCommandLine(argc, argv, HelpWidth(), HelpTopics());
    if (auto* exit = std::get_if<Exit>(&parsed)) {
        std::cout << exit->out;
        std::cerr << exit->err;
        return exit->status;
    }
    return Run(std::get<Request>(parsed), {std::cin, std::cout, std::cerr, IsTerminal()});
}

namespace {

// Each loading thread allocates a module's lines and frees them again, module after module. By
// default glibc hands the freed memory back to the system after each module, and the next one
// faults it in again, page by page; kept, it is reused. The run's peak stays what it was.
void KeepFreedMemory() {
#if defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 128 << 20);
#endif
}

}  // namespace

int ConsoleMain(int argc, const char* const* argv) {
    KeepFreedMemory();
    const std::vector<std::string> arguments = OpenConsole(argc, argv);
    std::vector<const char*> pointers;
    for (const std::string& argument : arguments) {
        pointers.push_back(argument.c_str());
    }
    return Main(static_cast<int>(pointers.size()), pointers.data());
}

}  // namespace brindle::cli

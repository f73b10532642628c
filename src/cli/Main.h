#pragma once
// The brindle command line: parses the arguments, runs the command, returns the exit status
// (0 every step worked, 1 some step failed, 2 a usage or input error).

namespace brindle::cli {

// The arguments are UTF-8.
int Main(int argc, const char* const* argv);

// Main of a process started from a console: sets the console up and takes the arguments as
// the platform gives them.
int ConsoleMain(int argc, const char* const* argv);

}  // namespace brindle::cli

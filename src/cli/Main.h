#pragma once
// The brindle command line: parses the arguments, runs the command, returns the exit status
// (0 every step worked, 1 some step failed, 2 a usage or input error).

namespace brindle::cli {

int Main(int argc, const char* const* argv);

}  // namespace brindle::cli

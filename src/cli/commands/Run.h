#pragma once
// Runs one parsed command against the files it names.

#include <istream>
#include <ostream>

#include "cli/args/CommandLine.h"

namespace brindle::cli {

struct Streams {
    std::istream& in;
    std::ostream& out;  // results: diffs, lists, options
    std::ostream& err;  // progress, questions and failures
    bool terminal;      // whether a question can be put to a user
};

// 0 when every step worked, 1 when some step failed, 2 for a usage or input error.
int Run(const Request& request, const Streams& streams);

}  // namespace brindle::cli

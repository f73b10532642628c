#pragma once
// Where a command reads and writes: what every command takes from the run.

#include <istream>
#include <ostream>

namespace brindle::cli {

struct Streams {
    std::istream& in;
    std::ostream& out;  // results: diffs, lists, options
    std::ostream& err;  // progress, questions and failures
    bool terminal;      // whether a question can be put to a user
};

}  // namespace brindle::cli

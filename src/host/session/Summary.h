#pragma once
// What a run that changes code did, counted as the add-in does it, for the line that ends the
// run: "4 modules: 1 module header, 12 procedure headers, 12 error handlers added".

#include <array>
#include <string>

#include "model/Diagnostics.h"

namespace brindle::host {

class Tally {
public:
    void Add(Work work) { ++counts_[static_cast<std::size_t>(work)]; }
    Tally& operator+=(const Tally& other);
    int Count(Work work) const { return counts_[static_cast<std::size_t>(work)]; }

private:
    std::array<int, static_cast<std::size_t>(Work::BlockLeftUnplaced) + 1> counts_{};
};

enum class Outcome { Written, Diffed };

// What was done, counted: "1 module header, 2 error handlers added"; empty when nothing was.
std::string Itemize(const Tally& tally, Outcome outcome);

// The summary of a run that changed `modules` modules; "nothing to change" when it changed none.
std::string Summarize(int modules, const Tally& tally, Outcome outcome);

// The marked blocks a removal left because the user keeps Brindle from them, counted by why
// ("5 marked blocks left in modules .brindleignore leaves out (--ignore-exclusions takes them
// too)"); empty when it left none. `ignored`: those in the modules a .brindleignore left out.
std::string SummarizeLeft(const Tally& tally, int ignored, Outcome outcome);

}  // namespace brindle::host

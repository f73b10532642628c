#pragma once
// What a run that changes code did, counted as the add-in does it, for the line that ends the
// run: "4 modules: 1 module header, 12 procedure headers, 12 error handlers added".

#include <array>
#include <string>

#include "host/model/Diagnostics.h"

namespace brindle::cli {

class Tally {
public:
    void Add(Work work) { ++counts_[static_cast<std::size_t>(work)]; }
    Tally& operator+=(const Tally& other);
    int Count(Work work) const { return counts_[static_cast<std::size_t>(work)]; }

private:
    std::array<int, 6> counts_{};
};

enum class Outcome { Written, Diffed };

// The summary of a run that changed `modules` modules; "nothing to change" when it changed none.
std::string Summarize(int modules, const Tally& tally, Outcome outcome);

}  // namespace brindle::cli

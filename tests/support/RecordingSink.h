#pragma once
// A host's diagnostics sink that keeps what it is told, for tests to look at.

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "model/Diagnostics.h"

namespace brindle::test {

class RecordingSink : public Diagnostics {
public:
    void Report(const VbError& failure) override { reported.push_back(failure); }
    // "module: text", or the text alone when it concerns no module.
    void Warn(std::string_view module, std::string_view text) override {
        warnings.push_back(module.empty() ? std::string(text)
                                          : std::string(module) + ": " + std::string(text));
    }
    void Did(Work work) override { done.push_back(work); }
    int Count(Work work) const {
        return static_cast<int>(std::count(done.begin(), done.end(), work));
    }
    std::vector<std::string> Sources() const {
        std::vector<std::string> sources;
        for (const VbError& failure : reported) {
            sources.push_back(failure.Source());
        }
        return sources;
    }

    std::vector<VbError> reported;
    std::vector<std::string> warnings;
    std::vector<Work> done;
};

}  // namespace brindle::test

#pragma once
// A diagnostics sink that keeps every failure it is told of.

#include <string>
#include <vector>

#include "host/model/Diagnostics.h"

namespace brindle::test {

class RecordingSink : public Diagnostics {
public:
    void Report(const VbError& failure) override { reported.push_back(failure); }
    std::vector<std::string> Sources() const {
        std::vector<std::string> sources;
        for (const VbError& failure : reported) {
            sources.push_back(failure.Source());
        }
        return sources;
    }
    std::vector<VbError> reported;
};

}  // namespace brindle::test

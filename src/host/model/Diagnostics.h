#pragma once
// Where failures that an entry point ignores still go, and how an entry point ignores them.

#include <string_view>
#include <utility>

#include "host/model/VbError.h"

namespace brindle {

// Provided by the host. The add-in shows no failure itself; the host decides what a user sees.
class Diagnostics {
public:
    virtual ~Diagnostics() = default;
    // A failure an entry point ignored, with its whole source chain.
    virtual void Report(const VbError& failure) = 0;
};

// Runs one step of an entry point. A failure abandons the step, goes to the sink (when there is
// one) and the caller goes on with its next step. Returns whether the step completed.
template <class Body>
bool IgnoreStep(Diagnostics* sink, Body&& body) noexcept {
    try {
        try {
            std::forward<Body>(body)();
            return true;
        } catch (...) {
            RethrowAsVbError();
        }
    } catch (const VbError& e) {
        if (sink != nullptr) {
            try {
                sink->Report(e);
            } catch (...) {
                // A sink that fails cannot be told about it.
            }
        }
    } catch (...) {
    }
    return false;
}

}  // namespace brindle

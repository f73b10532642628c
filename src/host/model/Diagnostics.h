#pragma once
// Where failures that an entry point ignores still go, and how an entry point ignores them; and
// where a command's warnings go: what it found in the user's code or setup and left as it was.

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
    // No failure of the add-in, but the user must hear of it: a broken marker, a procedure
    // that cannot take an error handler, a template that gave no text. `module` is the name of
    // the component it concerns, empty when it concerns the whole command; `text` says where
    // and why ("line 40: a begin marker without its end marker; left as it is").
    virtual void Warn(std::string_view module, std::string_view text) = 0;
};

// Tells the sink, when there is one. A sink that fails cannot be told about it.
inline void WarnTo(Diagnostics* sink, std::string_view module, std::string_view text) noexcept {
    if (sink == nullptr) {
        return;
    }
    try {
        sink->Warn(module, text);
    } catch (...) {
    }
}

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

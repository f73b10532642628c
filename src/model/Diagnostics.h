#pragma once
// Where failures that an entry point ignores still go, and how an entry point ignores them; and
// where a command's warnings go: what it found in the user's code or setup and left as it was.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "model/VbError.h"

namespace brindle {

// The lines of a module's code that a warning is about, as the code pane numbers them when it
// is told.
struct CodePlace {
    std::string_view subject;   // what stands there ("Sub Main"), in UTF-8; may be empty
    std::int32_t line = 0;      // the first line
    std::int32_t lastLine = 0;  // the last line of a range; 0 for one line
};

// "Sub Main, line 8", "lines 3 to 9", "line 40".
inline std::string Describe(const CodePlace& place) {
    std::string text(place.subject);
    text += text.empty() ? "" : ", ";
    if (place.lastLine > place.line) {
        return text + "lines " + std::to_string(place.line) + " to " +
               std::to_string(place.lastLine);
    }
    return text + "line " + std::to_string(place.line);
}

// A piece of work that a command did, told as it is done.
enum class Work {
    ModuleHeaderAdded,
    ProcedureHeaderAdded,
    ErrorHandlerAdded,
    MarkersRemoved,  // the two marker lines of one block
    BlockRemoved,    // one marked block, markers included
    BlockRewritten,  // the lines between one block's markers
    // A well-formed marked block that a removal left as it was because the user keeps Brindle
    // from it: by a "' brindle: skip" comment, or by an excluded procedure name.
    BlockLeftSkipped,
    BlockLeftExcluded,
    // A block that refresh left because the template in use has no place for text in it.
    BlockLeftUnplaced,
};

// Provided by the host. The add-in shows no failure itself; the host decides what a user sees.
class Diagnostics {
public:
    virtual ~Diagnostics() = default;
    // A failure an entry point ignored, with its whole source chain.
    virtual void Report(const VbError& failure) = 0;
    // The same, while the entry point worked on the component named `module`.
    virtual void ReportIn(std::string_view /*module*/, const VbError& failure) { Report(failure); }
    // No failure of the add-in, but the user must hear of it: a template that gave no text or
    // was refused, a template keyword that does not exist, and (through WarnAt) a broken marker or
    // a procedure that cannot take an error handler. `module` is the name of the component it
    // concerns, empty when it concerns the whole command; `text` says what and why.
    virtual void Warn(std::string_view module, std::string_view text) = 0;
    // A warning about lines of the module's code ("a begin marker without its end marker; left
    // as it is"). A host that shows lines otherwise (as lines of the module's file) tells it
    // its own way; by default it reaches Warn as "line 40: " and the text.
    virtual void WarnAt(std::string_view module, const CodePlace& place, std::string_view text) {
        Warn(module, Describe(place) + ": " + std::string(text));
    }
    // One piece of work done, for a host that sums up what a command did.
    virtual void Did(Work /*work*/) {}
};

// Tells the sink, when there is one. A sink that fails cannot be told about it.
template <class Telling>
void TellSink(Diagnostics* sink, Telling&& tell) noexcept {
    if (sink == nullptr) {
        return;
    }
    try {
        std::forward<Telling>(tell)(*sink);
    } catch (...) {
    }
}

inline void WarnTo(Diagnostics* sink, std::string_view module, std::string_view text) noexcept {
    TellSink(sink, [&](Diagnostics& to) { to.Warn(module, text); });
}

inline void WarnTo(Diagnostics* sink, std::string_view module, const CodePlace& place,
                   std::string_view text) noexcept {
    TellSink(sink, [&](Diagnostics& to) { to.WarnAt(module, place, text); });
}

inline void TellDone(Diagnostics* sink, Work work) noexcept {
    TellSink(sink, [&](Diagnostics& to) { to.Did(work); });
}

// Runs one step of an entry point on the component named `module` (empty: none in particular).
// A failure abandons the step, goes to the sink (when there is one) and the caller goes on with
// its next step. Returns whether the step completed.
template <class Body>
bool IgnoreStepIn(Diagnostics* sink, std::string_view module, Body&& body) noexcept {
    try {
        try {
            std::forward<Body>(body)();
            return true;
        } catch (...) {
            RethrowAsVbError();
        }
    } catch (const VbError& e) {
        TellSink(sink, [&](Diagnostics& to) {
            if (module.empty()) {
                to.Report(e);
            } else {
                to.ReportIn(module, e);
            }
        });
    } catch (...) {
    }
    return false;
}

// The same for a step on nothing in particular.
template <class Body>
bool IgnoreStep(Diagnostics* sink, Body&& body) noexcept {
    return IgnoreStepIn(sink, {}, std::forward<Body>(body));
}

}  // namespace brindle

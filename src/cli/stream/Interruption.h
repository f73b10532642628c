#pragma once
// Ctrl-C and SIGTERM during a command that writes modules. Until the work begins such a signal
// ends the process at once, as it always did: nothing has been written. Once it has begun the
// signal is only noted; the run stops taking modules, abandons the one in hand, lets the writes
// under way finish (each replaces its file whole, or leaves it as it was) and removes its
// temporary files, then tells which modules were written and exits with InterruptedStatus().
// A second signal meanwhile changes nothing. One implementation per platform.

namespace brindle::cli {

// Installs the handlers for its life; the signals still end the process until
// DeferInterruptions(). Once it goes they do as they did before, and nothing is noted.
class InterruptionWatch {
public:
    InterruptionWatch();
    ~InterruptionWatch();
    InterruptionWatch(const InterruptionWatch&) = delete;
    InterruptionWatch& operator=(const InterruptionWatch&) = delete;
};
// From now on a signal is noted rather than ending the process.
void DeferInterruptions();
// Whether a signal was noted.
bool Interrupted();
// The exit status of an interrupted run: 130 for Ctrl-C, 143 for SIGTERM.
int InterruptedStatus();

}  // namespace brindle::cli

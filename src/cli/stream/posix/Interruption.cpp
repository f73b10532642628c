#include "cli/stream/Interruption.h"

#include <signal.h>

#include <atomic>
#include <csignal>

namespace brindle::cli {
namespace {

static_assert(std::atomic<int>::is_always_lock_free && std::atomic<bool>::is_always_lock_free,
              "a signal handler may only touch lock-free atomics");

std::atomic<bool> deferring{false};
std::atomic<int> noted{0};

// Async-signal-safe: atomics, signal() and raise() alone.
extern "C" void OnSignal(int number) {
    if (!deferring.load()) {
        std::signal(number, SIG_DFL);
        std::raise(number);
        return;
    }
    int none = 0;
    noted.compare_exchange_strong(none, number);
}

constexpr int kSignals[] = {SIGINT, SIGTERM};
struct sigaction before[2];

}  // namespace

// A signal the process was started to ignore (a job in the background of a script) stays
// ignored.
InterruptionWatch::InterruptionWatch() {
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    // Blocking calls go on where they were; the run looks at the flag between modules.
    action.sa_flags = SA_RESTART;
    for (int i = 0; i < 2; ++i) {
        sigaction(kSignals[i], nullptr, &before[i]);
        if (before[i].sa_handler != SIG_IGN) {
            sigaction(kSignals[i], &action, nullptr);
        }
    }
}

InterruptionWatch::~InterruptionWatch() {
    for (int i = 0; i < 2; ++i) {
        sigaction(kSignals[i], &before[i], nullptr);
    }
    deferring.store(false);
    noted.store(0);
}

void DeferInterruptions() {
    deferring.store(true);
}

bool Interrupted() {
    return noted.load() != 0;
}

int InterruptedStatus() {
    return 128 + noted.load();
}

}  // namespace brindle::cli

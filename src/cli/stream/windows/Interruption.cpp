#include "cli/stream/Interruption.h"

#include <windows.h>

#include <atomic>

namespace brindle::cli {
namespace {

std::atomic<bool> deferring{false};
std::atomic<bool> noted{false};

// Runs on a thread of its own. Returning FALSE lets the next handler, the default one, end the
// process; Ctrl-C and Ctrl-Break are taken for 130 alike.
BOOL WINAPI OnControl(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) {
        return FALSE;
    }
    if (!deferring.load()) {
        return FALSE;
    }
    noted.store(true);
    return TRUE;
}

}  // namespace

InterruptionWatch::InterruptionWatch() {
    SetConsoleCtrlHandler(OnControl, TRUE);
}

InterruptionWatch::~InterruptionWatch() {
    SetConsoleCtrlHandler(OnControl, FALSE);
    deferring.store(false);
    noted.store(false);
}

void DeferInterruptions() {
    deferring.store(true);
}

bool Interrupted() {
    return noted.load();
}

int InterruptedStatus() {
    return 130;
}

}  // namespace brindle::cli

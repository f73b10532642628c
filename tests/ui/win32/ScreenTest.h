#pragma once
// Whether windows can be made: Wine without a display has no screen to make them on, and the
// suites that need one skip there with the reason.

#include <windows.h>

namespace brindle::ui::win32 {

// Asked once: Wine without a display takes a while to find that it has none.
inline bool CanMakeWindows() {
    static const bool can = [] {
        HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                     nullptr, nullptr);
        if (probe == nullptr) {
            return false;
        }
        DestroyWindow(probe);
        return true;
    }();
    return can;
}

}  // namespace brindle::ui::win32

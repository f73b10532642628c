#pragma once
// The fixture of the Win32 windows' suites: they need a screen to make windows on, which Wine
// without a display does not have; there they are skipped with the reason.

#include <windows.h>

#include <gtest/gtest.h>

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

class ScreenTest : public testing::Test {
protected:
    void SetUp() override {
        if (!CanMakeWindows()) {
            GTEST_SKIP() << "no screen to make windows on (Wine without a display)";
        }
    }
};

}  // namespace brindle::ui::win32

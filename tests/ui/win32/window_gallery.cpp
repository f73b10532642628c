// Shows one of the add-in's Win32 windows as a command would, for looking at it on a screen:
//   win32_window_gallery options|templates|status|splash|question [SECONDS]
// It ends after SECONDS (default 4); the options dialog and the message box are left open
// until then.

#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <memory>
#include <string>

#include "support/Gallery.h"
#include "ui/win32/OptionsDialog.h"
#include "ui/win32/Win32Windows.h"

using namespace brindle;

namespace {

// Turns the shown options dialog to its Templates tab, as a click on the tab would.
void CALLBACK ShowTemplatesTab(HWND, UINT, UINT_PTR timer, DWORD) {
    if (HWND form = FindWindowW(L"BrindleOptions", nullptr)) {
        KillTimer(nullptr, timer);
        SendMessageW(GetDlgItem(form, ui::win32::kTabOptionsId), TCM_SETCURFOCUS, 1, 0);
    }
}

void CALLBACK End(HWND, UINT, UINT_PTR, DWORD) {
    ExitProcess(0);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string window = argc > 1 ? argv[1] : "";
    const int seconds = argc > 2 ? std::stoi(argv[2]) : 4;
    SetTimer(nullptr, 0, static_cast<UINT>(seconds) * 1000, End);

    ui::win32::Win32Windows windows;
    std::unique_ptr<frmMsg> status;
    const std::optional<bool> stays = test::ShowInGallery(
        windows, window, status, [] { SetTimer(nullptr, 0, 10, ShowTemplatesTab); });
    if (!stays) {
        std::fprintf(stderr,
                     "usage: win32_window_gallery options|templates|status|splash|question\n");
        return 2;
    }
    if (!*stays) {
        return 0;
    }
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}

// Shows one of the add-in's Win32 windows as a command would, for looking at it on a screen:
//   win32_window_gallery options|templates|team|help|status|splash|question [SECONDS]
// team: the options dialog with fields a team's file sets; help: its help, as F1 shows it.
// It ends after SECONDS (default 4); the options dialog and the message box are left open
// until then.

#include <windows.h>

#include <commctrl.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>

#include "Gallery.h"
#include "model/SettingsKeys.h"
#include "ui/win32/HelpWindow.h"
#include "ui/win32/OptionsDialog.h"
#include "ui/win32/Win32Windows.h"
#include "util/Markdown.h"

using namespace brindle;

namespace {

// Turns the shown options dialog to its Templates tab, as a click on the tab would.
void CALLBACK ShowTemplatesTab(HWND, UINT, UINT_PTR timer, DWORD) {
    if (HWND form = FindWindowW(L"BrindleOptions", nullptr)) {
        KillTimer(nullptr, timer);
        SendMessageW(GetDlgItem(form, ui::win32::kTabOptionsId), TCM_SETCURFOCUS, 1, 0);
    }
}

void CALLBACK PressF1(HWND, UINT, UINT_PTR timer, DWORD) {
    if (HWND form = FindWindowW(L"BrindleOptions", nullptr)) {
        KillTimer(nullptr, timer);
        PostMessageW(form, WM_KEYDOWN, VK_F1, 0);
    }
}

// What F1 shows in the options dialog inside the IDE.
void ShowOptionsHelp(HWND over) {
    std::ifstream file(std::string(BRINDLE_SOURCE_DIR) + "/README.md", std::ios::binary);
    const std::string readme{std::istreambuf_iterator<char>(file), {}};
    constexpr std::array<std::string_view, 2> kTitles = {"The options", "Template keywords"};
    ui::win32::ShowHelpWindow(over, "Visual Basic Brindle Help",
                              MarkdownAsPlainText(MarkdownSections(readme, kTitles)));
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
    const bool team = window == "team" || window == "help";
    if (team) {
        windows.FixOptionsBy([] {
            return ui::win32::FixedOptions{
                "C:\\Projects\\Inventory\\brindle.ini",
                {settings::kMarkersKey, settings::kDateFormatKey, settings::kModHdrKey}};
        });
        windows.HelpBy(ShowOptionsHelp);
    }
    if (window == "help") {
        SetTimer(nullptr, 0, 300, PressF1);
    }
    std::unique_ptr<frmMsg> status;
    const std::optional<bool> stays =
        gallery::ShowInGallery(windows, team ? "options" : window, status,
                               [] { SetTimer(nullptr, 0, 10, ShowTemplatesTab); });
    if (!stays) {
        std::fprintf(stderr,
                     "usage: win32_window_gallery "
                     "options|templates|team|help|status|splash|question\n");
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

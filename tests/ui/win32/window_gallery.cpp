// Shows one of the add-in's Win32 windows as a command would, for looking at it on a screen:
//   win32_window_gallery options|templates|status|splash|question [SECONDS]
// It ends after SECONDS (default 4); the options dialog and the message box are left open
// until then.

#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <memory>
#include <string>

#include "templates/OptionStore.h"
#include "ui/win32/OptionsDialog.h"
#include "ui/win32/Win32Windows.h"
#include "util/DateFormat.h"

using namespace brindle;

namespace {

// Turns the shown options dialog to its Templates tab, as a click on the tab would.
void CALLBACK ShowTemplatesTab(HWND, UINT, UINT_PTR timer, DWORD) {
    if (HWND form = FindWindowW(L"BrindleOptions", nullptr)) {
        KillTimer(nullptr, timer);
        SendMessageW(GetDlgItem(form, ui::win32::kTabOptionsId), TCM_SETCURFOCUS, 1, 0);
    }
}

void ShowOptions(ui::win32::Win32Windows& windows, bool templates) {
    std::unique_ptr<frmOptions> dialog = windows.CreateOptions(nullptr);
    OptionsControls& controls = dialog->Controls();
    controls.txtAuthor = "Ann Author";
    controls.txtDateFormat = kDefaultDateFormat;
    controls.chkCodeMarkers = 1;
    controls.txtModHdrFname = kDefaultModHdrFname;
    controls.txtProcHdrFname = kDefaultProcHdrFname;
    controls.txtErrHdrFname = kDefaultErrHdrFname;
    controls.txtErrFtrFname = kDefaultErrFtrFname;
    if (templates) {
        SetTimer(nullptr, 0, 10, ShowTemplatesTab);
    }
    dialog->ShowModal();
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
    if (window == "options" || window == "templates") {
        ShowOptions(windows, window == "templates");
        return 0;
    }
    if (window == "status") {
        status = windows.CreateMsg(nullptr);
        status->Load();
        status->SetMessage("Adding error handler(s) to modInventory");
    } else if (window == "splash") {
        windows.CreateSplash()->Show();
    } else if (window == "question") {
        windows.MsgBox(
            "Removing code markers from this project will prevent Brindle \r\n"
            "from being able to remove the code it's added up to now.\r\n\r\n"
            "Are you sure you want to remove Brindle code markers?",
            vbYesNo + vbExclamation, "Remove Code Markers");
        return 0;
    } else {
        std::fprintf(stderr,
                     "usage: win32_window_gallery options|templates|status|splash|question\n");
        return 2;
    }
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}

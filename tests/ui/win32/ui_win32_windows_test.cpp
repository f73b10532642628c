// The Win32 status window, splash window, StayOnTop and message box, shown for real.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model/VbError.h"
#include "support/RecordingSink.h"
#include "ui/win32/HelpWindow.h"
#include "ui/win32/MessageBox.h"
#include "ui/win32/ScreenTest.h"
#include "ui/win32/StatusWindow.h"
#include "ui/win32/Win32Windows.h"
#include "ui/win32/WinText.h"
#include "ui/win32/WinUtils.h"

namespace brindle::ui::win32 {
namespace {

using Win32Screen = ScreenTest;

RECT ScreenRect(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

RECT ClientRect(HWND window) {
    RECT rect{};
    GetClientRect(window, &rect);
    return rect;
}

bool Topmost(HWND window) {
    return (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

// A client area of so many twips, in pixels of the window, halves rounded to even as VB does.
LONG Pixels(HWND window, double twips) {
    return static_cast<LONG>(std::nearbyint(twips / TwipsPerPixel(window)));
}

bool delivered = false;
void CALLBACK Deliver(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    delivered = true;
}

TEST_F(Win32Screen, StatusWindowLoadsHiddenOnTopAndItsMessageShowsOnceInPlace) {
    test::RecordingSink sink;
    Win32Windows windows;
    std::vector<std::string> observed;
    windows.ObserveStatus([&](std::string_view message) { observed.emplace_back(message); });
    std::unique_ptr<frmMsg> status = windows.CreateMsg(&sink);
    status->Load();
    HWND form = FindWindowW(L"BrindleMsg", nullptr);
    ASSERT_NE(form, nullptr);
    EXPECT_FALSE(IsWindowVisible(form));
    EXPECT_TRUE(Topmost(form));
    const LONG_PTR style = GetWindowLongPtrW(form, GWL_STYLE);
    EXPECT_EQ(style & WS_CAPTION, WS_DLGFRAME);  // a dialog frame without a title bar
    EXPECT_TRUE(GetWindowLongPtrW(form, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);  // no taskbar entry
    EXPECT_EQ(ClientRect(form).right, Pixels(form, 10605));
    EXPECT_EQ(ClientRect(form).bottom, Pixels(form, 525));
    HWND label = GetDlgItem(form, kLblMsgId);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(TextOf(label), L"");

    // The pass over waiting messages lets a waiting one in before the setter returns.
    delivered = false;
    SetTimer(nullptr, 0, 0, Deliver);
    Sleep(20);
    HWND active = GetForegroundWindow();
    const std::string message = "Adding module header to <Modul\xC3\xA9 \xE6\x97\xA5>";
    status->SetMessage(message);
    EXPECT_TRUE(delivered);
    EXPECT_TRUE(IsWindowVisible(form));
    EXPECT_EQ(GetForegroundWindow(), active);  // the code window keeps the keyboard
    EXPECT_EQ(Utf8(TextOf(label)), message);
    EXPECT_EQ(observed, std::vector<std::string>{message});

    EXPECT_EQ(TextOf(form), L"Brindle status");

    // A long message keeps its text whole for screen readers; drawn, it loses its middle, not
    // the module's name at its end.
    const std::wstring adding =
        L"Adding module header, procedure headers, and error handlers to "
        L"modInventoryValuationAndReorderReports";
    status->SetMessage(Utf8(adding));
    EXPECT_EQ(TextOf(label), adding);
    HDC dc = GetDC(label);
    HFONT bold = StatusFont(DpiOf(form));  // the label's
    HGDIOBJ old = SelectObject(dc, bold);
    const LONG width = ClientRect(label).right;
    const std::wstring shown = ElidedInTheMiddle(dc, adding, width);
    SIZE size{};
    GetTextExtentPoint32W(dc, shown.c_str(), static_cast<int>(shown.size()), &size);
    EXPECT_LE(size.cx, width);
    EXPECT_TRUE(shown.starts_with(L"Adding module header"));
    EXPECT_NE(shown.find(L'\u2026'), std::wstring::npos);
    EXPECT_TRUE(shown.ends_with(L"ReorderReports"));
    EXPECT_EQ(ElidedInTheMiddle(dc, L"Closing all windows...", width), L"Closing all windows...");
    SelectObject(dc, old);
    DeleteObject(bold);
    ReleaseDC(label, dc);

    SetWindowPos(form, nullptr, 40, 60, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    status->SetMessage("");
    EXPECT_EQ(ScreenRect(form).left, 40);
    EXPECT_EQ(TextOf(label), L"");
    status->Hide();
    EXPECT_FALSE(IsWindowVisible(form));
    status->SetMessage("Closing all windows...");
    EXPECT_TRUE(IsWindowVisible(form));
    EXPECT_EQ(ScreenRect(form).top, 60);
    EXPECT_TRUE(Topmost(form));
    EXPECT_EQ(FindWindowExW(nullptr, form, L"BrindleMsg", nullptr), nullptr);  // loaded once
    // Moved to a monitor of twice the dots per inch, the window is twice as large.
    RECT suggested = ScreenRect(form);
    const UINT dpi = DpiOf(form);
    SendMessageW(form, WM_DPICHANGED, MAKEWPARAM(2 * dpi, 2 * dpi),
                 reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(ClientRect(form).right, static_cast<LONG>(std::nearbyint(10605 * 2 * dpi / 1440.0)));
    RECT labelPlace = ScreenRect(label);
    EXPECT_EQ(labelPlace.right - labelPlace.left,
              static_cast<LONG>(std::nearbyint(8025 * 2 * dpi / 1440.0)));
    // The message in MS Sans Serif (or its outline twin), 8.25 point, bold, at the new dots
    // per inch.
    LOGFONTW font{};
    ASSERT_NE(GetObjectW(reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)),
                         sizeof(font), &font),
              0);
    EXPECT_TRUE(std::wstring_view(font.lfFaceName) == L"Microsoft Sans Serif" ||
                std::wstring_view(font.lfFaceName) == L"MS Sans Serif")
        << Utf8(font.lfFaceName);
    EXPECT_EQ(font.lfWeight, FW_BOLD);
    EXPECT_EQ(font.lfHeight, -std::lround(8.25 * 2 * dpi / 72.0));

    EXPECT_TRUE(sink.reported.empty());
    status.reset();
    EXPECT_FALSE(IsWindow(form));
}

TEST_F(Win32Screen, StayOnTopMovesTheWindowBetweenTheBandsOrFailsWithItsName) {
    Win32Windows windows;
    std::unique_ptr<frmMsg> status = windows.CreateMsg(nullptr);
    status->SetMessage("on top");
    HWND form = FindWindowW(L"BrindleMsg", nullptr);
    ASSERT_NE(form, nullptr);
    const RECT before = ScreenRect(form);
    StayOnTop(form, false);
    EXPECT_FALSE(Topmost(form));
    StayOnTop(form, true);
    EXPECT_TRUE(Topmost(form));
    const RECT after = ScreenRect(form);
    EXPECT_TRUE(EqualRect(&before, &after));

    struct Failure {
        HWND window;
        std::int32_t number;
        std::string source;
    };
    SetWindowPos(form, nullptr, 40000, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    const bool placed = ScreenRect(form).left == 40000;
    std::vector<Failure> failures = {
        {reinterpret_cast<HWND>(static_cast<INT_PTR>(0x7ff0)),
         static_cast<std::int32_t>(HRESULT_FROM_WIN32(ERROR_INVALID_WINDOW_HANDLE)),
         "WinUtils.StayOnTop | GetWindowRect"},
    };
    if (placed) {  // a window beyond the 16-bit range, where the system allows one
        failures.push_back(
            {form, static_cast<std::int32_t>(Err::Overflow), "WinUtils.StayOnTop | "});
    }
    for (const Failure& row : failures) {
        try {
            StayOnTop(row.window, false);
            ADD_FAILURE() << row.source;
        } catch (const VbError& e) {
            EXPECT_EQ(e.Number(), row.number);
            EXPECT_EQ(e.Source(), row.source);
        }
    }
    EXPECT_TRUE(Topmost(form));  // left untouched
}

TEST_F(Win32Screen, SplashClosesWhenItsTimerTicksAndOnlyThen) {
    Win32Windows windows;
    windows.CreateSplash()->Show();  // nothing keeps the object: the window lives on
    HWND form = FindWindowW(L"BrindleSplash", nullptr);
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(IsWindowVisible(form));
    EXPECT_FALSE(Topmost(form));
    EXPECT_EQ(GetWindowLongPtrW(form, GWL_STYLE) & WS_CAPTION, WS_DLGFRAME);
    EXPECT_EQ(ClientRect(form).right, Pixels(form, 7170));
    EXPECT_EQ(ClientRect(form).bottom, Pixels(form, 5385));

    SendMessageW(form, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    SendMessageW(form, WM_LBUTTONUP, 0, 0);
    SendMessageW(form, WM_KEYDOWN, VK_ESCAPE, 0);
    SendMessageW(form, WM_CLOSE, 0, 0);
    SendMessageW(form, WM_SYSCOMMAND, SC_CLOSE, 0);  // Alt+F4
    EXPECT_TRUE(IsWindow(form));
    SendMessageW(form, WM_TIMER, 1, 0);  // Timer1
    EXPECT_FALSE(IsWindow(form));

    windows.CreateSplash()->Show();
    form = FindWindowW(L"BrindleSplash", nullptr);
    EXPECT_NE(form, nullptr);
}

struct BoxCase {
    const char* what;
    std::int32_t style;
    std::optional<VbMsgBoxResult> given;
    std::vector<int> buttons;  // offered, by their ids
    VbMsgBoxResult answer;
};

// The box offers the buttons of its style, left to right, with the prompt and title, and answers
// with the button pressed; an answer it does not offer presses the safest one it has.
TEST_F(Win32Screen, MessageBoxOffersItsButtonsAndAnswersThePressedOne) {
    const std::vector<BoxCase> cases = {
        {"Yes pressed", vbYesNo + vbExclamation, vbYes, {IDYES, IDNO}, vbYes},
        {"No pressed", vbYesNo + vbExclamation, vbNo, {IDYES, IDNO}, vbNo},
        {"nothing given is No",
         vbYesNoCancel + vbQuestion,
         std::nullopt,
         {IDYES, IDNO, IDCANCEL},
         vbNo},
        {"Yes not offered", vbOKCancel, vbYes, {IDOK, IDCANCEL}, vbCancel},
        {"only OK", vbOKOnly + vbInformation, vbNo, {IDOK}, vbOK},
        {"retry", vbRetryCancel + vbCritical, vbRetry, {IDRETRY, IDCANCEL}, vbRetry},
    };
    const std::string prompt = "Remove the markers from M\xC3\xB6\x64ul1?\r\nAre you sure?";
    const std::string title = "Remove Code Markers \xE2\x80\x93 \xE6\x97\xA5";
    Win32Windows windows;
    for (const BoxCase& row : cases) {
        SCOPED_TRACE(row.what);
        std::vector<int> offered;
        std::wstring caption;
        std::wstring text;
        if (row.given) {
            windows.Answers().SetNextAnswer(*row.given);
        }
        windows.Answers().SetNextVisit([&](HWND box) {
            caption = TextOf(box);
            std::vector<std::pair<LONG, int>> placed;  // left to right
            for (int id = IDOK; id <= IDNO; ++id) {
                HWND button = GetDlgItem(box, id);
                if (button != nullptr && IsWindowVisible(button)) {
                    placed.emplace_back(ScreenRect(button).left, id);
                }
            }
            std::sort(placed.begin(), placed.end());
            for (const auto& [left, id] : placed) {
                offered.push_back(id);
            }
            for (HWND child : ChildWindows(box)) {
                text += TextOf(child) + L"|";
            }
        });
        EXPECT_EQ(windows.MsgBox(prompt, row.style, title), row.answer);
        EXPECT_EQ(Utf8(caption), title);
        EXPECT_NE(text.find(Wide("M\xC3\xB6\x64ul1?")), std::wstring::npos);
        EXPECT_EQ(offered, row.buttons);
    }
    EXPECT_EQ(MessageBoxStyle(vbYesNo + vbExclamation + vbDefaultButton2, false),
              static_cast<UINT>(MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2 | MB_TASKMODAL |
                                MB_SETFOREGROUND));
}

// The help window: the text read-only, each line kept, owned by the window it was asked from;
// asked again it is the same window with the new text.
TEST_F(Win32Screen, TheHelpWindowShowsItsTextOverItsOwner) {
    HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                 300, 200, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(owner, nullptr);
    ShowHelpWindow(owner, "Visual Basic Brindle Help", "## The options\n| a | b |\nK\xC3\xB8");
    HWND help = FindWindowW(kHelpWindowClass, nullptr);
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(GetWindow(help, GW_OWNER), owner);
    EXPECT_EQ(Utf8(TextOf(help)), "Visual Basic Brindle Help");
    HWND text = GetDlgItem(help, kHelpTextId);
    EXPECT_EQ(Utf8(TextOf(text)), "## The options\r\n| a | b |\r\nK\xC3\xB8");
    EXPECT_TRUE(GetWindowLongPtrW(text, GWL_STYLE) & ES_READONLY);
    ShowHelpWindow(owner, "Help", "again");
    EXPECT_EQ(FindWindowW(kHelpWindowClass, nullptr), help);
    EXPECT_EQ(Utf8(TextOf(text)), "again");
    DestroyWindow(owner);
    EXPECT_FALSE(IsWindow(help));
}

}  // namespace
}  // namespace brindle::ui::win32

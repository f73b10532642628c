// The windows' and the options dialogs' shared suites over the Win32 windows, shown for real
// and driven through their own controls by visits given in advance; and what the Win32 windows
// add: the keyboard left to the code window, other dots per inch, answers given in advance and
// the help window.

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/OptionsSuite.h"
#include "ui/WindowsSuite.h"
#include "ui/win32/HelpWindow.h"
#include "ui/win32/MessageBox.h"
#include "ui/win32/OptionsDialog.h"
#include "ui/win32/ScreenTest.h"
#include "ui/win32/StatusWindow.h"
#include "ui/win32/Win32Windows.h"
#include "ui/win32/WinText.h"
#include "ui/win32/WinUtils.h"

namespace brindle::ui::win32 {
namespace {

using test::Place;
using test::Way;

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

Place ToPlace(const RECT& rect) {
    return {rect.left, rect.top, rect.right, rect.bottom};
}

Place MonitorOf(HWND window) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
    return ToPlace(monitor.rcMonitor);
}

// As the system tells a window moved to a monitor of twice its dots per inch; returns those.
UINT DoubleTheDotsPerInch(HWND form) {
    const UINT dpi = 2 * DpiOf(form);
    RECT suggested = ScreenRect(form);
    SendMessageW(form, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    return dpi;
}

LONG_PTR Style(HWND window, int which = GWL_STYLE) {
    return GetWindowLongPtrW(window, which);
}

class Win32Window final : public test::Window {
public:
    explicit Win32Window(HWND form) : form_(form) {}

    bool Visible() override { return IsWindowVisible(form_) != FALSE; }
    bool OnTop() override { return (Style(form_, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }
    bool Plain() override {
        return (Style(form_) & WS_CAPTION) == WS_DLGFRAME &&
               (Style(form_, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) != 0;
    }
    Place Frame() override { return ToPlace(ScreenRect(form_)); }
    Place Screen() override { return MonitorOf(form_); }
    Place Client() override { return ToPlace(ClientRect(form_)); }
    double TwipsPerPixel() override { return win32::TwipsPerPixel(form_); }
    void MoveTo(long left, long top) override {
        SetWindowPos(form_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    std::string Message() override { return Utf8(TextOf(Label())); }
    std::string Name() override { return Utf8(TextOf(form_)); }
    // Drawn by the window in its bold font.
    std::string Drawn() override {
        HDC dc = GetDC(Label());
        HFONT bold = StatusFont(DpiOf(form_));
        HGDIOBJ old = SelectObject(dc, bold);
        const LONG width = ClientRect(Label()).right;
        const std::wstring shown = ElidedInTheMiddle(dc, TextOf(Label()), width);
        SIZE size{};
        GetTextExtentPoint32W(dc, shown.c_str(), static_cast<int>(shown.size()), &size);
        EXPECT_LE(size.cx, width);
        SelectObject(dc, old);
        DeleteObject(bold);
        ReleaseDC(Label(), dc);
        return Utf8(shown);
    }
    void AskToClose() override {
        SendMessageW(form_, WM_LBUTTONDOWN, MK_LBUTTON, 0);
        SendMessageW(form_, WM_LBUTTONUP, 0, 0);
        SendMessageW(form_, WM_KEYDOWN, VK_ESCAPE, 0);
        SendMessageW(form_, WM_KEYDOWN, VK_RETURN, 0);
        SendMessageW(form_, WM_CLOSE, 0, 0);
        SendMessageW(form_, WM_SYSCOMMAND, SC_CLOSE, 0);  // Alt+F4
    }
    void Tick() override { SendMessageW(form_, WM_TIMER, 1, 0); }  // Timer1
    void StayOnTop(bool onTop) override { win32::StayOnTop(form_, onTop); }

private:
    HWND Label() const { return GetDlgItem(form_, kLblMsgId); }

    HWND form_;
};

std::function<void()> waiting;
void CALLBACK Deliver(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    waiting();
}

struct Win32Bench {
    static bool CanShow() { return CanMakeWindows(); }

    std::unique_ptr<test::Window> Find(std::string_view name) {
        const wchar_t* windowClass = name == "frmMsg" ? L"BrindleMsg" : L"BrindleSplash";
        HWND found = FindWindowW(windowClass, nullptr);
        if (found == nullptr) {
            return nullptr;
        }
        EXPECT_EQ(FindWindowExW(nullptr, found, windowClass, nullptr), nullptr) << "two";
        return std::make_unique<Win32Window>(found);
    }
    void Post(std::function<void()> event) {
        waiting = std::move(event);
        SetTimer(nullptr, 0, 0, Deliver);
        Sleep(20);
    }
    test::Box Show(std::int32_t style, const std::string& prompt, const std::string& title) {
        test::Box shown;
        windows.Answers().SetNextVisit([&](HWND box) {
            shown.title = Utf8(TextOf(box));
            for (HWND child : ChildWindows(box)) {
                const auto id = static_cast<VbMsgBoxResult>(GetDlgCtrlID(child));
                if (id >= vbOK && id <= vbNo && IsWindowVisible(child)) {
                    shown.offered.push_back(id);
                    if ((Style(child) & BS_DEFPUSHBUTTON) != 0) {
                        shown.byDefault = id;
                    }
                } else {
                    shown.text += Utf8(TextOf(child));
                }
            }
        });
        windows.MsgBox(prompt, style, title);
        return shown;
    }

    Win32Windows windows;
};

using Win32Screen = test::OnScreen<Win32Bench>;

// What the dialog manager does with a key pressed in the focused control.
void Press(HWND form, UINT message, WPARAM key) {
    MSG press{};
    press.hwnd = GetFocus();
    press.message = message;
    press.wParam = key;
    IsDialogMessageW(form, &press);
}

class Win32Form final : public test::Form {
public:
    Win32Form(HWND form, DialogAnswers& answers) : form_(form), answers_(answers) {}

    std::string Title() override { return Utf8(TextOf(form_)); }
    int Tab() override { return static_cast<int>(SendMessageW(Tabs(), TCM_GETCURSEL, 0, 0)); }
    void ShowTab(int tab) override {
        SendMessageW(Tabs(), TCM_SETCURFOCUS, static_cast<WPARAM>(tab), 0);
    }
    bool FixedFrame() override {
        return (Style(form_) & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_SYSMENU)) ==
               WS_SYSMENU;
    }
    Place Frame() override { return ToPlace(ScreenRect(form_)); }
    Place Screen() override { return MonitorOf(form_); }
    Place PlaceOf(std::string_view name) override { return ToPlace(ScreenRect(Find(name))); }
    bool Visible(std::string_view name) override { return IsWindowVisible(Find(name)) != FALSE; }
    bool Enabled(std::string_view name) override { return IsWindowEnabled(Find(name)) != FALSE; }
    bool IsDefault(std::string_view name) override {
        return (Style(Find(name)) & BS_DEFPUSHBUTTON) != 0;
    }
    std::string Text(std::string_view name) override { return Utf8(TextOf(Find(name))); }
    // The tip over the control: its own, or its parent's over its place once it is greyed.
    std::string Tip(std::string_view name) override {
        HWND control = Find(name);
        const bool greyed = IsWindowEnabled(control) == FALSE;
        TOOLINFOW tool{};
        tool.cbSize = TTTOOLINFOW_V2_SIZE;
        tool.hwnd = greyed ? GetParent(control) : form_;
        tool.uId = greyed ? static_cast<UINT_PTR>(GetDlgCtrlID(control))
                          : reinterpret_cast<UINT_PTR>(control);
        std::wstring text(512, L'\0');
        for (HWND tips : ThreadWindows()) {
            wchar_t windowClass[32] = {};
            GetClassNameW(tips, windowClass, 32);
            if (GetWindow(tips, GW_OWNER) == form_ && _wcsicmp(windowClass, TOOLTIPS_CLASSW) == 0 &&
                SendMessageW(tips, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&tool))) {
                tool.lpszText = text.data();
                SendMessageW(tips, TTM_GETTEXTW, text.size(), reinterpret_cast<LPARAM>(&tool));
                return Utf8(text.c_str());
            }
        }
        return {};
    }
    bool Checked(std::string_view name) override {
        return SendMessageW(Find(name), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    void Type(std::string_view name, const std::string& text) override {
        SetWindowTextW(Find(name), Wide(text).c_str());
    }
    void Click(std::string_view name) override { SendMessageW(Find(name), BM_CLICK, 0, 0); }
    void Focus(std::string_view name) override { SetFocus(Find(name)); }
    std::string Focused() override {
        for (const OptionsFormControl& control : kOptionsForm) {
            if (GetFocus() == Find(control.name)) {
                return std::string(control.name);
            }
        }
        return GetFocus() == Tabs() ? "tabOptions" : "";
    }
    void PressTab() override { Press(form_, WM_KEYDOWN, VK_TAB); }
    void PressAlt(char letter) override { Press(form_, WM_SYSCHAR, static_cast<WPARAM>(letter)); }
    void PressF1() override { PostMessageW(form_, WM_KEYDOWN, VK_F1, 0); }
    void Leave(Way way) override {
        HWND author = Find("txtAuthor");
        SetFocus(author);
        switch (way) {
            case Way::Enter:
                PostMessageW(author, WM_KEYDOWN, VK_RETURN, 0);
                break;
            case Way::CancelButton:
                Click("cmdCancel");
                break;
            case Way::Escape:
                PostMessageW(author, WM_KEYDOWN, VK_ESCAPE, 0);
                break;
            case Way::CloseButton:
                SendMessageW(form_, WM_SYSCOMMAND, SC_CLOSE, 0);
                break;
        }
    }
    std::string ChooseFile(std::string_view button, std::optional<std::string> path) override {
        answers_.SetNextFileChoice(std::move(path));
        Click(button);
        const FileDialogSetup& setup = answers_.LastFileDialog();
        // Each text and pattern ends in a NUL; GetOpenFileNameW adds the last one. "*.*"
        // matches every file here, those without an extension too.
        constexpr wchar_t kFilter[] = L"Text (*.txt)\0*.txt\0All Files (*.*)\0*.*\0";
        EXPECT_EQ(setup.filter, std::wstring(kFilter, std::size(kFilter) - 1));
        EXPECT_EQ(setup.defaultExt, L"txt");
        return Utf8(setup.initialDir);
    }

private:
    HWND Tabs() const { return GetDlgItem(form_, kTabOptionsId); }
    HWND Find(std::string_view name) const {
        if (name == "tabOptions") {
            return Tabs();
        }
        if (name == "lblTeam") {
            return GetDlgItem(form_, kTeamNoteId);
        }
        const std::size_t i = IndexOf(name);
        if (i == kOptionsForm.size()) {
            throw std::runtime_error("no control " + std::string(name));
        }
        const int tab = kOptionsForm[i].tab;
        return GetDlgItem(tab < 0 ? form_ : GetDlgItem(form_, kFirstPageId + tab),
                          kOptionsPlaces[i].id);
    }

    HWND form_;
    DialogAnswers& answers_;
};

struct Win32Dialog : test::OptionsBench<Win32Windows> {
    static bool CanShow() { return CanMakeWindows(); }

    // The IDE's main window takes no input while the dialog is open, and does again after.
    void WithForm(const std::function<void(test::Form&)>& act) {
        HWND ide = CreateWindowExW(0, L"STATIC", L"IDE", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                   200, 100, nullptr, nullptr, nullptr, nullptr);
        bool shown = false;
        windows.Answers().SetNextVisit([&](HWND form) {
            shown = IsWindowVisible(form) != FALSE;
            EXPECT_FALSE(IsWindowEnabled(ide));
            Win32Form driver(form, windows.Answers());
            try {
                act(driver);
            } catch (const std::exception& e) {
                ADD_FAILURE() << e.what();
            }
        });
        EXPECT_TRUE(vbe.Click("Brindle Options..."));
        EXPECT_TRUE(shown);
        EXPECT_EQ(FindWindowW(L"BrindleOptions", nullptr), nullptr);  // unloaded
        EXPECT_TRUE(IsWindowEnabled(ide));
        DestroyWindow(ide);
    }
    void FixBy(const std::string& file, std::vector<std::string_view> keys) {
        windows.FixOptionsBy([=] { return FixedOptions{file, keys}; });
    }
    void HelpBy(std::function<void(bool overTheForm)> help) {
        windows.HelpBy([=](HWND over) {
            help(over != nullptr && over == FindWindowW(L"BrindleOptions", nullptr));
        });
    }
};

// Moved to a monitor of twice the dots per inch, the options dialog and the status window are
// laid out twice as large, the status message in MS Sans Serif (or its outline twin), 8.25
// point, bold. Shown, the status window leaves the keyboard to the code window. StayOnTop of
// no window fails with the call that failed.
TEST_F(Win32Screen, WindowsScaleWithTheDotsPerInchAndTheStatusKeepsOffTheKeyboard) {
    Win32Dialog bench;
    bench.WithForm([](test::Form& driver) {
        HWND form = FindWindowW(L"BrindleOptions", nullptr);
        const RECT client = ClientRect(form);
        const UINT dpi = DoubleTheDotsPerInch(form);
        EXPECT_EQ(ClientRect(form).right, 2 * client.right);
        EXPECT_EQ(ClientRect(form).bottom, 2 * client.bottom);
        const Place ok = driver.PlaceOf("cmdOK");
        EXPECT_EQ(ok.right - ok.left, Scaled(78, dpi));
    });

    Win32Windows windows;
    std::unique_ptr<frmMsg> status = windows.CreateMsg(nullptr);
    HWND active = GetForegroundWindow();
    status->SetMessage("Adding module header to Module1");
    EXPECT_EQ(GetForegroundWindow(), active);
    HWND form = FindWindowW(L"BrindleMsg", nullptr);
    HWND label = GetDlgItem(form, kLblMsgId);
    const UINT dpi = DoubleTheDotsPerInch(form);
    EXPECT_EQ(ClientRect(form).right, std::lround(10605 * dpi / 1440.0));
    EXPECT_EQ(ClientRect(label).right, std::lround(8025 * dpi / 1440.0));
    LOGFONTW font{};
    ASSERT_NE(GetObjectW(reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)),
                         sizeof(font), &font),
              0);
    EXPECT_TRUE(std::wstring_view(font.lfFaceName) == L"Microsoft Sans Serif" ||
                std::wstring_view(font.lfFaceName) == L"MS Sans Serif")
        << Utf8(font.lfFaceName);
    EXPECT_EQ(font.lfWeight, FW_BOLD);
    EXPECT_EQ(font.lfHeight, -std::lround(8.25 * dpi / 72.0));

    try {
        StayOnTop(reinterpret_cast<HWND>(static_cast<INT_PTR>(0x7ff0)), false);
        ADD_FAILURE() << "no failure";
    } catch (const VbError& e) {
        EXPECT_EQ(e.Number(),
                  static_cast<std::int32_t>(HRESULT_FROM_WIN32(ERROR_INVALID_WINDOW_HANDLE)));
        EXPECT_EQ(e.Source(), "WinUtils.StayOnTop | GetWindowRect");
    }
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
    EXPECT_TRUE(Style(text) & ES_READONLY);
    ShowHelpWindow(owner, "Help", "again");
    EXPECT_EQ(FindWindowW(kHelpWindowClass, nullptr), help);
    EXPECT_EQ(Utf8(TextOf(text)), "again");
    DestroyWindow(owner);
    EXPECT_FALSE(IsWindow(help));
}

}  // namespace
}  // namespace brindle::ui::win32

namespace brindle::test {
INSTANTIATE_TYPED_TEST_SUITE_P(Win32, AddinWindow, ui::win32::Win32Bench);
INSTANTIATE_TYPED_TEST_SUITE_P(Win32, OptionsDialog, ui::win32::Win32Dialog);
}  // namespace brindle::test

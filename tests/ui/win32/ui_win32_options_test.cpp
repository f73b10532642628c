// The options dialogs' shared suite over the Win32 dialog, shown for real and driven through
// its own controls by visits given in advance; and what the Win32 dialog adds.

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include "ui/OptionsSuite.h"
#include "ui/win32/OptionsDialog.h"
#include "ui/win32/ScreenTest.h"
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

Place ToPlace(const RECT& rect) {
    return {rect.left, rect.top, rect.right, rect.bottom};
}

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
    std::vector<std::string> TabNames() override {
        std::vector<std::string> names;
        for (int tab = 0; tab < SendMessageW(Tabs(), TCM_GETITEMCOUNT, 0, 0); ++tab) {
            wchar_t name[32] = {};
            TCITEMW item{};
            item.mask = TCIF_TEXT;
            item.pszText = name;
            item.cchTextMax = 32;
            SendMessageW(Tabs(), TCM_GETITEMW, static_cast<WPARAM>(tab),
                         reinterpret_cast<LPARAM>(&item));
            names.push_back(Utf8(name));
        }
        return names;
    }
    int Tab() override { return static_cast<int>(SendMessageW(Tabs(), TCM_GETCURSEL, 0, 0)); }
    void ShowTab(int tab) override {
        SendMessageW(Tabs(), TCM_SETCURFOCUS, static_cast<WPARAM>(tab), 0);
    }
    bool FixedFrame() override {
        return (GetWindowLongPtrW(form_, GWL_STYLE) &
                (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_SYSMENU)) == WS_SYSMENU;
    }
    Place Frame() override { return ToPlace(ScreenRect(form_)); }
    Place Screen() override {
        MONITORINFO monitor{};
        monitor.cbSize = sizeof(monitor);
        GetMonitorInfoW(MonitorFromWindow(form_, MONITOR_DEFAULTTONEAREST), &monitor);
        return ToPlace(monitor.rcMonitor);
    }
    Place PlaceOf(std::string_view name) override { return ToPlace(ScreenRect(Find(name))); }
    bool Visible(std::string_view name) override { return IsWindowVisible(Find(name)) != FALSE; }
    bool Enabled(std::string_view name) override { return IsWindowEnabled(Find(name)) != FALSE; }
    bool IsDefault(std::string_view name) override {
        return (GetWindowLongPtrW(Find(name), GWL_STYLE) & BS_DEFPUSHBUTTON) != 0;
    }
    std::string Text(std::string_view name) override { return Utf8(TextOf(Find(name))); }
    // The tip over the control: its own, or its parent's over its place once it is greyed.
    std::string Tip(std::string_view name) override {
        HWND control = Find(name);
        for (HWND tips : ThreadWindows()) {
            wchar_t windowClass[32] = {};
            GetClassNameW(tips, windowClass, 32);
            if (GetWindow(tips, GW_OWNER) != form_ || _wcsicmp(windowClass, TOOLTIPS_CLASSW) != 0) {
                continue;
            }
            for (const auto& [parent, id] :
                 {std::pair(form_, reinterpret_cast<UINT_PTR>(control)),
                  std::pair(GetParent(control), static_cast<UINT_PTR>(GetDlgCtrlID(control)))}) {
                TOOLINFOW tool{};
                tool.cbSize = TTTOOLINFOW_V2_SIZE;
                tool.hwnd = parent;
                tool.uId = id;
                if (!IsWindowEnabled(control) && parent == form_) {
                    continue;
                }
                if (!SendMessageW(tips, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&tool))) {
                    continue;
                }
                std::wstring text(512, L'\0');
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

using Win32Options = ScreenTest;

// Moved to a monitor of twice the dots per inch, everything is laid out twice as large.
TEST_F(Win32Options, LaidOutAgainAtTwiceTheDotsPerInch) {
    Win32Dialog bench;
    bench.WithForm([](test::Form& driver) {
        HWND form = FindWindowW(L"BrindleOptions", nullptr);
        const UINT dpi = DpiOf(form);
        RECT client{};
        GetClientRect(form, &client);
        RECT suggested = ScreenRect(form);
        SendMessageW(form, WM_DPICHANGED, MAKEWPARAM(2 * dpi, 2 * dpi),
                     reinterpret_cast<LPARAM>(&suggested));
        RECT larger{};
        GetClientRect(form, &larger);
        EXPECT_EQ(larger.right, 2 * client.right);
        EXPECT_EQ(larger.bottom, 2 * client.bottom);
        const Place ok = driver.PlaceOf("cmdOK");
        EXPECT_EQ(ok.right - ok.left, Scaled(78, 2 * dpi));
    });
}

}  // namespace
}  // namespace brindle::ui::win32

namespace brindle::test {
INSTANTIATE_TYPED_TEST_SUITE_P(Win32, OptionsDialog, ui::win32::Win32Dialog);
}  // namespace brindle::test

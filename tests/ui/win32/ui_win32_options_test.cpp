// The Win32 options dialog hosted by the add-in on our IDE: what it shows, what OK applies,
// what every other way out leaves alone, and LastDir. The dialog is shown for real and
// driven through its own controls by visits given in advance.

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "addin/Brindle.h"
#include "host/files/TemplateFileReader.h"
#include "host/ide/Ide.h"
#include "host/settings/SettingsFile.h"
#include "model/SettingsKeys.h"
#include "support/OptionsBench.h"
#include "support/RecordingSink.h"
#include "support/TestPaths.h"
#include "templates/OptionStore.h"
#include "ui/win32/HelpWindow.h"
#include "ui/win32/OptionsDialog.h"
#include "ui/win32/ScreenTest.h"
#include "ui/win32/Win32Windows.h"
#include "ui/win32/WinText.h"
#include "ui/win32/WinUtils.h"
#include "util/DateFormat.h"

namespace fs = std::filesystem;

namespace brindle::ui::win32 {
namespace {

const OptionsControl& Named(std::string_view name) {
    for (const OptionsControl& control : kOptionsControls) {
        if (control.name == name) {
            return control;
        }
    }
    throw std::runtime_error("no control " + std::string(name));
}

HWND Page(HWND form, int tab) {
    return GetDlgItem(form, kFirstPageId + tab);
}

HWND Find(HWND form, std::string_view name) {
    const OptionsControl& control = Named(name);
    return GetDlgItem(control.tab < 0 ? form : Page(form, control.tab), control.id);
}

std::string Text(HWND form, std::string_view name) {
    return Utf8(TextOf(Find(form, name)));
}

bool Checked(HWND form, std::string_view name) {
    return SendMessageW(Find(form, name), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Click(HWND form, std::string_view name) {
    SendMessageW(Find(form, name), BM_CLICK, 0, 0);
}

void Type(HWND form, std::string_view name, const std::string& text) {
    SetWindowTextW(Find(form, name), Wide(text).c_str());
}

// Turns to a tab as a click on it would.
void ShowTab(HWND form, int tab) {
    SendMessageW(GetDlgItem(form, kTabOptionsId), TCM_SETCURFOCUS, static_cast<WPARAM>(tab), 0);
}

RECT ScreenRect(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

// The add-in connected to our IDE with the Win32 windows, its options in a settings file of
// its own and its templates in a temporary folder.
struct Workbench : test::OptionsBench<Win32Windows> {
    // Opens the dialog with the Options button and runs `act` on it once it is shown; a
    // dialog that `act` leaves open is cancelled.
    void WithOptions(const std::function<void(HWND form)>& act) {
        bool shown = false;
        windows.Answers().SetNextVisit([&](HWND form) {
            shown = IsWindowVisible(form) != FALSE;
            act(form);
        });
        ASSERT_TRUE(vbe.Click("Brindle Options..."));
        EXPECT_TRUE(shown);
        EXPECT_EQ(FindWindowW(L"BrindleOptions", nullptr), nullptr);  // unloaded
    }
};

using Win32Options = ScreenTest;

TEST_F(Win32Options, EveryControlOnItsTabInItsRowWithItsCaption) {
    Workbench bench;
    bench.WithOptions([](HWND form) {
        EXPECT_EQ(Utf8(TextOf(form)), "Brindle Options");
        EXPECT_EQ(GetWindowLongPtrW(form, GWL_STYLE) &
                      (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_SYSMENU),
                  WS_SYSMENU);
        HWND tabs = GetDlgItem(form, kTabOptionsId);
        ASSERT_NE(tabs, nullptr);
        ASSERT_EQ(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0), 2);
        for (int tab = 0; tab < 2; ++tab) {
            wchar_t name[32] = {};
            TCITEMW item{};
            item.mask = TCIF_TEXT;
            item.pszText = name;
            item.cchTextMax = 32;
            SendMessageW(tabs, TCM_GETITEMW, static_cast<WPARAM>(tab),
                         reinterpret_cast<LPARAM>(&item));
            EXPECT_EQ(std::wstring(name), tab == 0 ? L"General" : L"Templates");
        }
        EXPECT_EQ(SendMessageW(tabs, TCM_GETCURSEL, 0, 0), 0);
        // Centred on its screen at load.
        MONITORINFO monitor{};
        monitor.cbSize = sizeof(monitor);
        GetMonitorInfoW(MonitorFromWindow(form, MONITOR_DEFAULTTONEAREST), &monitor);
        const RECT frame = ScreenRect(form);
        EXPECT_NEAR(frame.left + frame.right, monitor.rcMonitor.left + monitor.rcMonitor.right, 1);
        EXPECT_NEAR(frame.top + frame.bottom, monitor.rcMonitor.top + monitor.rcMonitor.bottom, 1);

        // Every window on the form or its pages is one of the table's, the tabs or a page.
        std::vector<HWND> children = ChildWindows(form);
        std::erase_if(children, [&](HWND child) {
            HWND parent = GetParent(child);
            return parent != form && parent != Page(form, 0) && parent != Page(form, 1);
        });
        EXPECT_EQ(children.size(), kOptionsControls.size() + 4);  // and the team note

        const RECT tabArea = ScreenRect(tabs);
        for (const OptionsControl& row : kOptionsControls) {
            SCOPED_TRACE(row.name);
            ShowTab(form, std::max(row.tab, 0));
            HWND control = Find(form, row.name);
            ASSERT_NE(control, nullptr);
            EXPECT_TRUE(IsWindowVisible(control));
            wchar_t windowClass[32] = {};
            GetClassNameW(control, windowClass, 32);
            EXPECT_EQ(_wcsicmp(windowClass, row.windowClass), 0);
            EXPECT_EQ(TextOf(control), row.caption != nullptr ? row.caption : TextOf(control));
            const RECT a = ScreenRect(control);
            if (row.tab < 0) {
                EXPECT_GT(a.top, tabArea.bottom);
            } else {
                EXPECT_FALSE(IsWindowVisible(Page(form, 1 - row.tab)));
            }
            for (const OptionsControl& other : kOptionsControls) {
                if (other.tab != row.tab) {
                    continue;
                }
                const RECT b = ScreenRect(Find(form, other.name));
                if (other.row > row.row) {
                    EXPECT_GT(b.top, a.top) << other.name;
                }
                if (other.row == row.row && other.column > row.column) {
                    EXPECT_GE(b.left, a.right) << other.name;
                    EXPECT_LE(std::abs((b.top + b.bottom) - (a.top + a.bottom)), 4) << other.name;
                }
            }
        }
        EXPECT_TRUE(GetWindowLongPtrW(Find(form, "cmdOK"), GWL_STYLE) & BS_DEFPUSHBUTTON);

        // Moved to a monitor of twice the dots per inch, everything is laid out twice as large.
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
        const RECT ok = ScreenRect(Find(form, "cmdOK"));
        EXPECT_EQ(ok.right - ok.left, Scaled(78, 2 * dpi));
    });
}

// What the dialog manager does with a key pressed in the focused control.
void Press(HWND form, UINT message, WPARAM key) {
    MSG press{};
    press.hwnd = GetFocus();
    press.message = message;
    press.wParam = key;
    IsDialogMessageW(form, &press);
}

// Tab walks the shown tab's controls top to bottom, then OK and Cancel, then the tabs; no two
// captions share an access key; a template box's tooltip is its whole path, the date box's what
// its formats are.
TEST_F(Win32Options, KeyboardWalksTheDialogInOrder) {
    Workbench bench;
    bench.WithOptions([](HWND form) {
        std::vector<std::string> captions;
        for (const OptionsControl& control : kOptionsControls) {
            if (control.caption != nullptr) {
                captions.push_back(Utf8(control.caption));
            }
        }
        EXPECT_EQ(test::RepeatedAccessKeys(captions), "");

        const auto walk = [&](const std::vector<std::string>& names) {
            SetFocus(names.front() == "tabs" ? GetDlgItem(form, kTabOptionsId)
                                             : Find(form, names.front()));
            for (std::size_t i = 1; i <= names.size(); ++i) {
                Press(form, WM_KEYDOWN, VK_TAB);
                const std::string& expected = names[i % names.size()];
                EXPECT_EQ(GetFocus(), expected == "tabs" ? GetDlgItem(form, kTabOptionsId)
                                                         : Find(form, expected))
                    << expected;
            }
        };
        walk({"txtAuthor", "chkCodeMarkers", "chkDisableSplash", "chkSkipExisting", "txtDateFormat",
              "cmdOK", "cmdCancel", "tabs"});
        ShowTab(form, 1);
        walk({"cmdLoadModHdrTmplt", "txtModHdrFname", "cmdLoadProcHdrTmplt", "txtProcHdrFname",
              "cmdLoadErrHdrTmplt", "txtErrHdrFname", "cmdLoadErrFtrTmplt", "txtErrFtrFname",
              "cmdOK", "cmdCancel", "tabs"});

        // Alt and a label's key reach the box after it.
        ShowTab(form, 0);
        SetFocus(Find(form, "txtAuthor"));
        Press(form, WM_SYSCHAR, 'f');
        EXPECT_EQ(GetFocus(), Find(form, "txtDateFormat"));

        const std::string path = "C:\\a\\long\\way\\down\\to\\the\\team's\\templates\\Footer.txt";
        Type(form, "txtErrFtrFname", path);
        HWND tips = nullptr;
        for (HWND window : ThreadWindows()) {
            wchar_t name[32] = {};
            GetClassNameW(window, name, 32);
            if (GetWindow(window, GW_OWNER) == form && _wcsicmp(name, TOOLTIPS_CLASSW) == 0) {
                tips = window;
            }
        }
        ASSERT_NE(tips, nullptr);
        const auto tipOf = [&](const char* box) {
            std::wstring tip(512, L'\0');
            TOOLINFOW tool{};
            tool.cbSize = TTTOOLINFOW_V2_SIZE;
            tool.hwnd = form;
            tool.uId = reinterpret_cast<UINT_PTR>(Find(form, box));
            tool.lpszText = tip.data();
            SendMessageW(tips, TTM_GETTEXTW, tip.size(), reinterpret_cast<LPARAM>(&tool));
            return Utf8(tip.c_str());
        };
        EXPECT_EQ(tipOf("txtErrFtrFname"), path);
        Type(form, "txtDateFormat", "ISO");
        EXPECT_EQ(tipOf("txtDateFormat"), kDateFormatHint);
    });
}

enum class Way { Enter, CancelButton, Escape, CloseButton };

class Win32OptionsWays : public ScreenTestWithParam<Way> {};

// The dialog shows the current options. OK applies the controls and reads the templates
// again; every other way out leaves both as they were. It opens on its first tab again.
TEST_P(Win32OptionsWays, OnlyOkApplies) {
    const Way way = GetParam();
    const bool ok = way == Way::Enter;
    Workbench bench;
    bench.Write("proc.txt", "' Procedure %ProcName%\r\n");
    const std::string proc = (bench.dir.path() / "proc.txt").string();
    const std::string procBefore = bench.Fields().msProcHdrTmplt;
    // The IDE's main window takes no input while the dialog is open, and does again after.
    HWND ide = CreateWindowExW(0, L"STATIC", L"IDE", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200,
                               100, nullptr, nullptr, nullptr, nullptr);
    bench.WithOptions([&](HWND form) {
        EXPECT_FALSE(IsWindowEnabled(ide));
        EXPECT_EQ(Text(form, "txtAuthor"), "Ann Author");
        EXPECT_TRUE(Checked(form, "chkCodeMarkers"));
        EXPECT_FALSE(Checked(form, "chkDisableSplash"));
        EXPECT_FALSE(Checked(form, "chkSkipExisting"));
        EXPECT_EQ(Text(form, "txtModHdrFname"), (bench.dir.path() / "module.txt").string());
        EXPECT_EQ(Text(form, "txtErrHdrFname"), ".\\Templates\\StandardVBErrHeader.txt");

        Type(form, "txtAuthor", "Bea Bj\xC3\xB8rn \xE2\x80\x93 \xE6\x97\xA5");
        for (const char* box : {"chkCodeMarkers", "chkDisableSplash", "chkSkipExisting"}) {
            Click(form, box);
        }
        Type(form, "txtProcHdrFname", proc);
        bench.Write("module.txt", "' Changed %ModuleName%\r\n");
        HWND author = Find(form, "txtAuthor");
        SetFocus(author);
        switch (way) {
            case Way::Enter:
                PostMessageW(author, WM_KEYDOWN, VK_RETURN, 0);
                break;
            case Way::CancelButton:
                ShowTab(form, 1);
                Click(form, "cmdCancel");
                break;
            case Way::Escape:
                PostMessageW(author, WM_KEYDOWN, VK_ESCAPE, 0);
                break;
            case Way::CloseButton:
                SendMessageW(form, WM_SYSCOMMAND, SC_CLOSE, 0);
                break;
        }
    });
    const AddinFields& fields = bench.Fields();
    EXPECT_EQ(fields.msAuthor,
              ok ? "Bea Bj\xC3\xB8rn \xE2\x80\x93 \xE6\x97\xA5" : std::string("Ann Author"));
    EXPECT_EQ(fields.mbAddCodeMarkers, !ok);
    EXPECT_EQ(fields.mbDisableSplash, ok);
    EXPECT_EQ(fields.mbSkipExisting, ok);
    EXPECT_EQ(fields.msModHdrTmplt, ok ? "' Changed %ModuleName%\n" : "' Module %ModuleName%\n");
    EXPECT_EQ(fields.msProcHdrTmplt, ok ? std::string("' Procedure %ProcName%\n") : procBefore);
    EXPECT_EQ(fields.msErrHdrFname, ".\\Templates\\StandardVBErrHeader.txt");
    bench.WithOptions([](HWND form) {
        EXPECT_EQ(SendMessageW(GetDlgItem(form, kTabOptionsId), TCM_GETCURSEL, 0, 0), 0);
        EXPECT_TRUE(IsWindowVisible(Page(form, 0)));
    });
    EXPECT_TRUE(IsWindowEnabled(ide));
    DestroyWindow(ide);
    EXPECT_TRUE(bench.sink.reported.empty());
}

INSTANTIATE_TEST_SUITE_P(EveryWayOut, Win32OptionsWays,
                         testing::Values(Way::Enter, Way::CancelButton, Way::Escape,
                                         Way::CloseButton));

struct TemplateCase {
    const char* what;
    int row;             // of the Templates tab
    const char* chosen;  // nullptr: the file dialog is cancelled
    const char* lastDir;
};

// A chosen file fills the box and sets LastDir; Cancel in the options dialog keeps the
// options but not the dialog's LastDir, where the next file dialog starts; OK applies it.
TEST_F(Win32Options, TemplateButtonFillsItsBoxAndLastDir) {
    const std::vector<TemplateCase> cases = {
        {"a file in its folder", 0, "mine\\Header.txt", "mine\\"},
        {"letter case counts", 1, "foot.TXT\\foot.txt", "foot.TXT\\"},
        {"a folder of the same name above it", 2, "p.txt\\p.txt", "p.txt\\"},
        {"the name ending a longer folder name", 3, "my.txt\\y.txt", "my.txt\\"},
        {"beyond the code page", 0, "K\xC3\xB8\xE6\x97\xA5\\H\xC3\xA9.txt",
         "K\xC3\xB8\xE6\x97\xA5\\"},
        {"cancelled", 0, nullptr, "start\\"},
    };
    const std::array<std::pair<const char*, const char*>, 4> rows = {{
        {"cmdLoadModHdrTmplt", "txtModHdrFname"},
        {"cmdLoadProcHdrTmplt", "txtProcHdrFname"},
        {"cmdLoadErrHdrTmplt", "txtErrHdrFname"},
        {"cmdLoadErrFtrTmplt", "txtErrFtrFname"},
    }};
    for (const TemplateCase& row : cases) {
        SCOPED_TRACE(row.what);
        const auto [button, box] = rows.at(static_cast<std::size_t>(row.row));
        Workbench bench;
        const std::string base = bench.dir.path().string() + "\\";
        const std::string stored = base + "start\\";
        const std::string folder = base + row.lastDir;
        // Clicks the button with the file dialog's answer given.
        const auto choose = [&](HWND form, FileChoice choice) {
            bench.windows.Answers().SetNextFileChoice(std::move(choice));
            ShowTab(form, 1);
            Click(form, button);
            return bench.windows.Answers().LastFileDialog();
        };
        std::string before;
        bench.WithOptions([&](HWND form) {
            before = Text(form, box);
            const FileChoice choice =
                row.chosen != nullptr ? FileChoice(base + row.chosen) : std::nullopt;
            const FileDialogSetup setup = choose(form, choice);
            EXPECT_EQ(Utf8(setup.initialDir), stored);
            // Each text and pattern ends in a NUL; GetOpenFileNameW adds the last one.
            constexpr wchar_t kFilter[] = L"Text (*.txt)\0*.txt\0All Files (*.*)\0*.*\0";
            EXPECT_EQ(setup.filter, std::wstring(kFilter, std::size(kFilter) - 1));
            EXPECT_EQ(setup.defaultExt, L"txt");
            EXPECT_EQ(Text(form, box), choice.value_or(before));
            Click(form, "cmdCancel");
        });
        EXPECT_EQ(bench.Fields().msLastDir, stored);
        bench.WithOptions([&](HWND form) {
            EXPECT_EQ(Utf8(choose(form, std::nullopt).initialDir), row.chosen ? folder : stored);
            EXPECT_EQ(Text(form, box), before);
            Click(form, "cmdOK");
        });
        EXPECT_EQ(bench.Fields().msLastDir, row.chosen ? folder : stored);
        EXPECT_TRUE(bench.sink.reported.empty());
    }
}

// The tip a tooltip control of the form shows over the control with that id, on `parent`.
std::wstring TipOver(HWND form, HWND parent, int id) {
    for (HWND tips : ThreadWindows()) {
        wchar_t name[32] = {};
        GetClassNameW(tips, name, 32);
        if (GetWindow(tips, GW_OWNER) != form || std::wstring_view(name) != TOOLTIPS_CLASSW) {
            continue;
        }
        TOOLINFOW tool{};
        tool.cbSize = TTTOOLINFOW_V2_SIZE;
        tool.hwnd = parent;
        tool.uId = static_cast<UINT_PTR>(id);
        if (!SendMessageW(tips, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&tool))) {
            continue;
        }
        std::wstring text(512, L'\0');
        tool.lpszText = text.data();
        SendMessageW(tips, TTM_GETTEXTW, text.size(), reinterpret_cast<LPARAM>(&tool));
        return text.c_str();
    }
    return {};
}

// The fields a team's file sets are greyed with the file named in their tips and in a note the
// dialog grows for; the others stay the user's. F1 asks the host for the help, over the form.
TEST_F(Win32Options, TeamSetFieldsAreGreyedAndF1ShowsTheHelp) {
    Workbench bench;
    const std::string team = "C:\\Team\\brindle.ini";
    bench.windows.FixOptionsBy([&] {
        return FixedOptions{team, {settings::kMarkersKey, settings::kProcHdrKey}};
    });
    HWND helpedOver = nullptr;
    bench.windows.HelpBy([&](HWND over) { helpedOver = over; });
    HWND shown = nullptr;
    bench.WithOptions([&](HWND form) {
        shown = form;
        for (const char* name : {"chkCodeMarkers", "cmdLoadProcHdrTmplt", "txtProcHdrFname"}) {
            EXPECT_FALSE(IsWindowEnabled(Find(form, name))) << name;
        }
        for (const char* name : {"txtAuthor", "chkSkipExisting", "txtDateFormat",
                                 "cmdLoadModHdrTmplt", "txtModHdrFname"}) {
            EXPECT_TRUE(IsWindowEnabled(Find(form, name))) << name;
        }
        const std::wstring why = L"Set for this project by C:\\Team\\brindle.ini";
        EXPECT_EQ(TipOver(form, Page(form, 0), 1003), why);
        const std::wstring path = TextOf(Find(form, "txtProcHdrFname"));
        EXPECT_EQ(TipOver(form, Page(form, 1), 1013), path.empty() ? why : path + L"\n" + why);
        HWND note = GetDlgItem(form, kTeamNoteId);
        ASSERT_NE(note, nullptr);
        EXPECT_TRUE(IsWindowVisible(note));
        EXPECT_EQ(Utf8(TextOf(note)), "Greyed fields are set for this project by " + team +
                                          "; your own values apply to other projects.");
        EXPECT_GE(ScreenRect(note).top, ScreenRect(GetDlgItem(form, kTabOptionsId)).bottom);
        EXPECT_LE(ScreenRect(note).bottom, ScreenRect(Find(form, "cmdOK")).top);
        PostMessageW(form, WM_KEYDOWN, VK_F1, 0);
    });
    EXPECT_NE(shown, nullptr);
    EXPECT_EQ(helpedOver, shown);
    bench.WithOptions([&](HWND form) {
        PostMessageW(form, WM_KEYDOWN, VK_F1, 0);
        Click(form, "cmdOK");
    });
    EXPECT_TRUE(bench.sink.reported.empty());
}

// Without a team's file nothing is greyed and no note takes room.
TEST_F(Win32Options, WithoutATeamNothingIsGreyed) {
    Workbench bench;
    bench.windows.FixOptionsBy([] { return FixedOptions{}; });
    bench.WithOptions([&](HWND form) {
        for (const OptionsControl& control : kOptionsControls) {
            EXPECT_TRUE(IsWindowEnabled(Find(form, control.name))) << control.name;
        }
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(form, kTeamNoteId)));
        RECT client{};
        GetClientRect(form, &client);
        EXPECT_EQ(client.bottom, Scaled(242, DpiOf(form)));
    });
}

// The help window: the text read-only, each line kept, owned by the window it was asked from;
// asked again it is the same window with the new text.
TEST_F(Win32Options, TheHelpWindowShowsItsTextOverItsOwner) {
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

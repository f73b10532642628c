#pragma once
// What the Qt and the Win32 options dialogs share, one suite run over each: the add-in
// connected to our IDE with the platform's windows, its options in a settings file of its own
// and a module header template in a temporary folder, opens the dialog with its Options
// button; a visit given in advance acts on the shown form as a user would, through the
// platform's `Form`. Each platform instantiates the suite with its `Dialog`:
//   a bench of OptionsBench<ItsWindows> with
//   static bool CanShow();                              (else the suite is skipped)
//   void WithForm(std::function<void(Form&)> act);      (a form left open is cancelled)
//   void FixBy(std::string file, std::vector<std::string_view> keys);
//   void HelpBy(std::function<void(bool overTheForm)> help);

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "addin/Brindle.h"
#include "host/files/TemplateFileReader.h"
#include "host/ide/Ide.h"
#include "host/settings/SettingsFile.h"
#include "model/SettingsKeys.h"
#include "support/RecordingSink.h"
#include "support/TestPaths.h"
#include "ui/OnScreen.h"
#include "ui/OptionsForm.h"
#include "util/DateFormat.h"

namespace brindle::test {

enum class Way { Enter, CancelButton, Escape, CloseButton };

// The shown dialog, its controls by their names in kOptionsForm; "tabOptions" names the tabs
// and "lblTeam" the note on greyed fields.
class Form {
public:
    virtual ~Form() = default;
    virtual std::string Title() = 0;
    virtual int Tab() = 0;
    virtual void ShowTab(int tab) = 0;  // as a click on it
    // Neither resizable nor to be minimised: only the close button on its frame.
    virtual bool FixedFrame() = 0;
    virtual Place Frame() = 0;
    virtual Place Screen() = 0;
    virtual Place PlaceOf(std::string_view name) = 0;
    virtual bool Visible(std::string_view name) = 0;
    virtual bool Enabled(std::string_view name) = 0;
    virtual bool IsDefault(std::string_view name) = 0;
    virtual std::string Text(std::string_view name) = 0;
    virtual std::string Tip(std::string_view name) = 0;
    virtual bool Checked(std::string_view name) = 0;
    virtual void Type(std::string_view name, const std::string& text) = 0;
    virtual void Click(std::string_view name) = 0;
    virtual void Focus(std::string_view name) = 0;
    virtual std::string Focused() = 0;
    virtual void PressTab() = 0;
    virtual void PressAlt(char letter) = 0;
    virtual void PressF1() = 0;
    virtual void Leave(Way way) = 0;
    // Clicks the template button with the file dialog's answer given (nothing: cancelled);
    // returns the folder the file dialog started in.
    virtual std::string ChooseFile(std::string_view button, std::optional<std::string> path) = 0;
};

// A path with the platform's separators, as its dialogs show one.
inline std::string Native(std::string path) {
    if constexpr (kOnWindows) {
        std::ranges::replace(path, '/', '\\');
    }
    return path;
}
// A path below `folder`, in UTF-8.
inline std::string Native(const std::filesystem::path& folder, std::string_view below) {
    return Native(Generic(folder) + "/" + std::string(below));
}

template <class Windows>
struct OptionsBench {
    OptionsBench() {
        Write("module.txt", "' Module %ModuleName%\r\n");
        Save("Module Header Filename", Native(dir.path(), "module.txt"));
        Save("Author", "Ann Author");
        Save("Add Code Markers", "True");
        settings.SaveSetting(settings::kApp, "State", "Last Directory",
                             Native(dir.path(), "start/"));
        std::filesystem::create_directories(dir.path() / "start");
        vbe.Connect(addin, ext_cm_AfterStartup);
    }
    ~OptionsBench() { vbe.Shutdown(); }
    OptionsBench(const OptionsBench&) = delete;
    OptionsBench& operator=(const OptionsBench&) = delete;

    void Write(const std::string& name, const std::string& text) {
        std::filesystem::create_directories((dir.path() / PathOf(name)).parent_path());
        WriteBytes(dir.path() / PathOf(name), text);
    }
    void Save(std::string_view key, std::string_view value) {
        settings.SaveSetting(settings::kApp, "Options", key, value);
    }
    const AddinFields& Fields() const { return addin.Fields(); }

    TempDir dir;
    host::SettingsFile settings{dir.path() / "settings.ini"};
    host::TemplateFileReader templates{
        std::vector<std::filesystem::path>{SourceDir() / "Templates"}};
    RecordingSink sink;
    host::MemoryVBE vbe;
    Windows windows;
    Brindle addin{settings, templates, windows, &sink};
};

template <class Bench>
class OptionsDialog : public OnScreen<Bench> {};

TYPED_TEST_SUITE_P(OptionsDialog);

// Every control on its tab, in its row and column, with its caption; the form centred on the
// screen at load, of a fixed size, on its first tab, with OK the default.
TYPED_TEST_P(OptionsDialog, EveryControlOnItsTabInItsRowWithItsCaption) {
    TypeParam bench;
    bench.WithForm([](Form& form) {
        EXPECT_EQ(form.Title(), "Brindle Options");
        EXPECT_EQ(form.Tab(), 0);
        EXPECT_TRUE(form.FixedFrame());
        EXPECT_TRUE(Centred(form.Frame(), form.Screen()));
        EXPECT_TRUE(form.IsDefault("cmdOK"));

        const Place tabs = form.PlaceOf("tabOptions");
        for (const ui::OptionsFormControl& row : ui::kOptionsForm) {
            SCOPED_TRACE(row.name);
            form.ShowTab(std::max(row.tab, 0));
            EXPECT_TRUE(form.Visible(row.name));
            if (!row.caption.empty()) {
                EXPECT_EQ(form.Text(row.name), row.caption);
            }
            const Place a = form.PlaceOf(row.name);
            if (row.tab < 0) {
                EXPECT_GT(a.top, tabs.bottom);
            }
            // What stands lower or further right has the larger number within its tab.
            for (const ui::OptionsFormControl& other : ui::kOptionsForm) {
                if (other.tab != row.tab) {
                    continue;
                }
                const Place b = form.PlaceOf(other.name);
                if (other.row > row.row) {
                    EXPECT_GT(b.top, a.top) << other.name;
                }
                if (other.row == row.row && other.column > row.column) {
                    EXPECT_GE(b.left, a.right) << other.name;
                    EXPECT_LE(std::abs((b.top + b.bottom) - (a.top + a.bottom)), 4) << other.name;
                }
            }
        }
    });
}

// Tab walks the shown tab's controls top to bottom, then OK and Cancel, then the tabs; Alt and
// a label's key reach the box after it; a template box's tooltip is its whole path, the date
// box's what its formats are, also after typing.
TYPED_TEST_P(OptionsDialog, KeyboardWalksTheDialogInOrder) {
    TypeParam bench;
    bench.WithForm([](Form& form) {
        const auto walk = [&](const std::vector<std::string>& names) {
            form.Focus(names.front());
            for (std::size_t i = 1; i <= names.size(); ++i) {
                form.PressTab();
                EXPECT_EQ(form.Focused(), names[i % names.size()]);
            }
        };
        walk({"txtAuthor", "chkCodeMarkers", "chkDisableSplash", "chkSkipExisting", "txtDateFormat",
              "cmdOK", "cmdCancel", "tabOptions"});
        form.ShowTab(1);
        walk({"cmdLoadModHdrTmplt", "txtModHdrFname", "cmdLoadProcHdrTmplt", "txtProcHdrFname",
              "cmdLoadErrHdrTmplt", "txtErrHdrFname", "cmdLoadErrFtrTmplt", "txtErrFtrFname",
              "cmdOK", "cmdCancel", "tabOptions"});
        form.ShowTab(0);
        form.Focus("txtAuthor");
        form.PressAlt('f');
        EXPECT_EQ(form.Focused(), "txtDateFormat");

        const std::string path = Native("/a/long/way/down/to/the/team's/templates/Footer.txt");
        form.Type("txtErrFtrFname", path);
        EXPECT_EQ(form.Tip("txtErrFtrFname"), path);
        form.Type("txtDateFormat", "ISO");
        EXPECT_NE(form.Tip("txtDateFormat").find(kDateFormatHint), std::string::npos);
    });
}

// The dialog shows the current options; OK (Enter) applies the controls, every other way out
// leaves the options as they were. It opens afresh, on its first tab, again.
TYPED_TEST_P(OptionsDialog, OnlyOkApplies) {
    const std::string author = "Bea Bj\xC3\xB8rn \xE2\x80\x93 \xE6\x97\xA5";
    for (const Way way : {Way::Enter, Way::CancelButton, Way::Escape, Way::CloseButton}) {
        SCOPED_TRACE(static_cast<int>(way));
        const bool ok = way == Way::Enter;
        TypeParam bench;
        bench.Write("proc.txt", "' Procedure %ProcName%\r\n");
        const std::string proc = Native(bench.dir.path(), "proc.txt");
        bench.WithForm([&](Form& form) {
            EXPECT_EQ(form.Text("txtAuthor"), "Ann Author");
            EXPECT_TRUE(form.Checked("chkCodeMarkers"));
            EXPECT_FALSE(form.Checked("chkDisableSplash"));
            EXPECT_FALSE(form.Checked("chkSkipExisting"));
            EXPECT_EQ(form.Text("txtDateFormat"), "Short Date");
            EXPECT_EQ(form.Text("txtModHdrFname"), Native(bench.dir.path(), "module.txt"));
            EXPECT_EQ(form.Text("txtErrHdrFname"), ".\\Templates\\StandardVBErrHeader.txt");

            form.Type("txtAuthor", author);
            form.Type("txtDateFormat", "ISO");
            for (const char* box : {"chkCodeMarkers", "chkDisableSplash", "chkSkipExisting"}) {
                form.Click(box);
            }
            form.Type("txtProcHdrFname", proc);
            if (!ok) {
                form.ShowTab(1);
            }
            form.Leave(way);
        });
        const AddinFields& fields = bench.Fields();
        EXPECT_EQ(fields.msAuthor, ok ? author : "Ann Author");
        EXPECT_EQ(fields.msDateFormat, ok ? "ISO" : "Short Date");
        EXPECT_EQ(fields.mbAddCodeMarkers, !ok);
        EXPECT_EQ(fields.mbDisableSplash, ok);
        EXPECT_EQ(fields.mbSkipExisting, ok);
        EXPECT_EQ(fields.msProcHdrFname == proc, ok);
        bench.WithForm([&](Form& form) {
            EXPECT_EQ(form.Tab(), 0);
            EXPECT_EQ(form.Text("txtAuthor"), fields.msAuthor);
        });
        EXPECT_EQ(bench.sink.Sources(), std::vector<std::string>{});
    }
}

// A folder's path without the separator that may end it.
inline std::string Unended(std::string path) {
    if (path.ends_with('/') || path.ends_with('\\')) {
        path.pop_back();
    }
    return path;
}

// Each template button's chosen file fills its box and makes its own folder the dialog's
// LastDir, where the next file dialog starts; a cancelled file dialog changes nothing. Cancel in
// the options dialog applies neither, OK both. A LastDir that names no folder starts it
// elsewhere.
TYPED_TEST_P(OptionsDialog, TemplateButtonFillsItsBoxAndLastDir) {
    TypeParam bench;
    const std::string folder = "K\xC3\xB8\xE6\x97\xA5/";  // beyond the code page
    const std::string start = Native(bench.dir.path(), "start/");
    const std::string chosen = Native(bench.dir.path(), folder);
    std::string last = start;  // the dialog's own, kept after Cancel
    for (const bool ok : {false, true}) {
        bench.WithForm([&](Form& form) {
            form.ShowTab(1);
            for (std::size_t i = 0; i < ui::kOptionsForm.size(); ++i) {
                const std::optional<std::size_t> filled = ui::FilledBox(i);
                if (!filled) {
                    continue;
                }
                const std::string button(ui::kOptionsForm[i].name);
                const std::string_view box = ui::kOptionsForm[*filled].name;
                const std::string before = form.Text(box);
                EXPECT_EQ(Unended(form.ChooseFile(button, std::nullopt)), Unended(last));
                EXPECT_EQ(form.Text(box), before);
                bench.Write(folder + "H\xC3\xA9" + button + ".txt", "' %ModuleName%\r\n");
                const std::string file = chosen + "H\xC3\xA9" + button + ".txt";
                EXPECT_EQ(Unended(form.ChooseFile(button, file)), Unended(last));
                EXPECT_EQ(form.Text(box), file);
                last = chosen;
            }
            form.Click(ok ? "cmdOK" : "cmdCancel");
        });
        EXPECT_EQ(bench.Fields().msLastDir, ok ? chosen : start);
    }
    EXPECT_EQ(bench.sink.Sources(), std::vector<std::string>{});
    std::filesystem::remove_all(bench.dir.path() / PathOf(folder));
    bench.WithForm([&](Form& form) {
        form.ShowTab(1);
        EXPECT_NE(Unended(form.ChooseFile("cmdLoadModHdrTmplt", std::nullopt)), Unended(chosen));
    });
}

// The fields a team's file sets are greyed with the file named in their tips and in a note
// with room of its own; the others stay the user's. F1 asks the host for the help, over the form.
TYPED_TEST_P(OptionsDialog, TeamSetFieldsAreGreyedAndF1ShowsTheHelp) {
    TypeParam bench;
    const std::string team = Native("/Team/brindle.ini");
    bench.FixBy(team, {settings::kMarkersKey, settings::kProcHdrKey});
    int helped = 0;
    bench.HelpBy([&](bool overTheForm) { helped += overTheForm ? 1 : 100; });
    bench.WithForm([&](Form& form) {
        for (const ui::OptionsFormControl& row : ui::kOptionsForm) {
            const bool fixed = row.key == settings::kMarkersKey || row.key == settings::kProcHdrKey;
            EXPECT_EQ(form.Enabled(row.name), !fixed) << row.name;
        }
        const std::string why = "Set for this project by " + team;
        EXPECT_EQ(form.Tip("chkCodeMarkers"), why);
        const std::string path = form.Text("txtProcHdrFname");
        EXPECT_EQ(form.Tip("txtProcHdrFname"), path.empty() ? why : path + "\n" + why);
        EXPECT_TRUE(form.Visible("lblTeam"));
        EXPECT_EQ(form.Text("lblTeam"), "Greyed fields are set for this project by " + team +
                                            "; your own values apply to other projects.");
        // In room of its own, below the General tab's last box and above OK.
        EXPECT_GE(form.PlaceOf("lblTeam").top, form.PlaceOf("txtDateFormat").bottom);
        EXPECT_LE(form.PlaceOf("lblTeam").bottom, form.PlaceOf("cmdOK").top);
        form.PressF1();
    });
    EXPECT_EQ(helped, 1);
    EXPECT_EQ(bench.sink.Sources(), std::vector<std::string>{});
}

REGISTER_TYPED_TEST_SUITE_P(OptionsDialog, EveryControlOnItsTabInItsRowWithItsCaption,
                            KeyboardWalksTheDialogInOrder, OnlyOkApplies,
                            TemplateButtonFillsItsBoxAndLastDir,
                            TeamSetFieldsAreGreyedAndF1ShowsTheHelp);

}  // namespace brindle::test

// The add-in: its connection and buttons, and its commands on our IDE in memory.

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "addin/Brindle.h"
#include "host/files/FileSystem.h"
#include "host/files/TemplateFileReader.h"
#include "host/ide/Ide.h"
#include "host/ide/MemoryProject.h"
#include "host/settings/SettingsFile.h"
#include "support/RecordingSink.h"
#include "support/TestPaths.h"
#include "templates/OptionStore.h"
#include "ui/Headless.h"

namespace brindle {
namespace {

using test::RecordingSink;

using host::MemoryVBE;

struct AddedControl {
    std::string caption;
    bool beginGroup;
    bool visible = true;
    bool operator==(const AddedControl&) const = default;
    friend void PrintTo(const AddedControl& c, std::ostream* out) {
        *out << (c.beginGroup ? "| " : "") << c.caption << (c.visible ? "" : " (hidden)");
    }
};

class Connection : public ::testing::Test {
protected:
    Connection() {
        test::WriteBytes(dir.path() / "module.txt", "' %ModuleName%\r\n");
        SetOption("Module Header Filename", (dir.path() / "module.txt").string());
    }

    void SetOption(std::string_view key, std::string_view value) {
        host::SettingsFile(settingsPath).SaveSetting(kAppName, "Options", key, value);
    }
    std::string StoredOption(std::string_view key) {
        return host::SettingsFile(settingsPath).GetSetting(kAppName, "Options", key, "(none)");
    }

    // The controls after the host's own entries of a bar.
    static std::vector<AddedControl> Added(MemoryVBE& vbe, std::string_view barName) {
        MemoryVBE fresh;
        const std::int32_t own = fresh.CommandBars().Item(barName)->Controls().Count();
        CommandBarControls& controls = vbe.CommandBars().Item(barName)->Controls();
        std::vector<AddedControl> added;
        for (std::int32_t i = own + 1; i <= controls.Count(); ++i) {
            auto control = controls.Item(i);
            added.push_back({control->Caption(), control->BeginGroup(), control->Visible()});
        }
        return added;
    }
    static std::vector<bool> Visible(MemoryVBE& vbe, std::string_view barName) {
        std::vector<bool> visible;
        for (const AddedControl& control : Added(vbe, barName)) {
            visible.push_back(control.visible);
        }
        return visible;
    }

    test::TempDir dir;
    std::filesystem::path settingsPath = dir.path() / "settings.ini";
    host::SettingsFile settings{settingsPath};
    host::TemplateFileReader templates{std::vector<std::filesystem::path>{}};
    RecordingSink sink;
    ui::HeadlessWindows windows;
};

TEST_F(Connection, TenButtonsOnThreeBarsInTheirGroups) {
    // Template files that are missing or unnamed do not stop the connection.
    SetOption("Procedure Header Template Filename", (dir.path() / "nowhere.txt").string());
    SetOption("Error Footer Template Filename", "");
    MemoryVBE vbe;
    Brindle addin(settings, templates, windows, &sink);
    vbe.Connect(addin, ext_cm_AfterStartup);

    EXPECT_EQ(Added(vbe, "Code Window"),
              (std::vector<AddedControl>{{"Add Module Header", true},
                                         {"Add Header(s) to Selected Procedures", false},
                                         {"Add Error Handler(s) to Selected Procedures", false},
                                         {"Remove Brindle Markers from Selection", true},
                                         {"Remove Code Added by Brindle from Selection", false},
                                         {"Brindle Options...", true}}));
    EXPECT_EQ(Added(vbe, "Tools"), (std::vector<AddedControl>{{"Close All Windows", true}}));
    EXPECT_EQ(Added(vbe, "Project Window Project"),
              (std::vector<AddedControl>{
                  {"Add Headers And Error Handlers to Entire Project", true},
                  {"Remove All Code Markers from Entire Project", true},
                  {"Remove All Code Added by Brindle from Entire Project", false}}));
    EXPECT_EQ(addin.Fields().msModHdrTmplt, "' %ModuleName%\n");
    EXPECT_EQ(addin.Fields().msProcHdrTmplt, "");
    EXPECT_EQ(addin.Fields().msErrFtrTmplt, "");

    vbe.Shutdown();
}

// Mode two (no buttons) loads the options and templates. A reload for a project's team settings
// saves through the store as it was, then reads it as it is; unconnected, it saves nothing.
TEST_F(Connection, ModeTwoMakesNoButtonsAndReloadingSavesFirstThenReadsTheChangedStore) {
    SetOption("Author", "Ann Author");
    MemoryVBE vbe;
    Brindle addin(settings, templates, windows, &sink);
    addin.ReloadOptions([&] { SetOption("Add Code Markers", "False"); });
    EXPECT_EQ(StoredOption("Author"), "Ann Author");
    EXPECT_EQ(addin.Fields().msAuthor, "Ann Author");
    EXPECT_EQ(addin.Fields().msModHdrTmplt, "' %ModuleName%\n");

    vbe.Connect(addin, ext_cm_External);
    EXPECT_TRUE(Added(vbe, "Code Window").empty());
    EXPECT_TRUE(Added(vbe, "Tools").empty());
    addin.ReloadOptions([&] {
        EXPECT_EQ(StoredOption("Author"), "Ann Author") << "nothing changed, nothing written";
        EXPECT_EQ(StoredOption("Add Code Markers"), "False");
        SetOption("Skip Existing", "True");
        SetOption("Module Header Filename", "");
    });
    EXPECT_TRUE(addin.Fields().mbSkipExisting);
    EXPECT_EQ(addin.Fields().msModHdrTmplt, "");
    vbe.Shutdown();
    EXPECT_FALSE(vbe.IsConnected(addin));
    EXPECT_TRUE(sink.reported.empty()) << "controls never made are nothing to hide";
}

// Without a Tools bar the add-in hides the six buttons it made and disconnects itself; the
// failure reaches the host and the add-in shows nothing. Without an entry in the add-in list it
// cannot disconnect itself: it cleans up by itself and stays connected.
TEST_F(Connection, WithoutAToolsBarTheAddinHidesItsButtonsAndDisconnectsItselfIfItCan) {
    for (const bool listed : {true, false}) {
        MemoryVBE vbe(listed ? host::IdeSetup{.toolsBar = false}
                             : host::IdeSetup{.toolsBar = false, .addins = {}});
        RecordingSink own;
        Brindle addin(settings, templates, windows, &own);
        vbe.Connect(addin, listed ? ext_cm_Startup : ext_cm_AfterStartup);

        EXPECT_EQ(vbe.IsConnected(addin), !listed);
        EXPECT_EQ(Visible(vbe, "Code Window"), std::vector<bool>(6, false));
        EXPECT_TRUE(Added(vbe, "Project Window Project").empty());
        EXPECT_FALSE(vbe.Click("Add Module Header"));
        ASSERT_EQ(own.reported.size(), listed ? 1u : 2u);
        EXPECT_EQ(own.reported[0].Number(), 91);
        EXPECT_EQ(own.reported[0].Source(), "Brindle.OnConnection");
        if (!listed) {
            EXPECT_EQ(own.reported[1].Number(), 9);
            EXPECT_TRUE(own.reported[1].Source().starts_with("Brindle.DisconnectAddIn | "))
                << own.reported[1].Source();
        }
        EXPECT_FALSE(windows.Status().visible);
        vbe.Shutdown();
    }
}

TEST_F(Connection, ASecondDisconnectionFindsNothingToHide) {
    MemoryVBE vbe;
    Brindle addin(settings, templates, windows, &sink);
    vbe.Connect(addin, ext_cm_AfterStartup);
    vbe.Addins().Item("Visual Basic Brindle").SetConnect(false);
    vbe.Addins().Update();
    EXPECT_EQ(Visible(vbe, "Code Window"), std::vector<bool>(6, false));
    EXPECT_EQ(Visible(vbe, "Tools"), std::vector<bool>{false});
    EXPECT_EQ(Visible(vbe, "Project Window Project"), std::vector<bool>(3, false));
    EXPECT_FALSE(addin.gevtAddModHdr) << "no click reaches a disconnected add-in";
    EXPECT_FALSE(addin.gevtRemoveAllFromProj);

    CustomArgs custom;
    addin.OnDisconnection(ext_dm_UserClosed, custom);
    EXPECT_TRUE(sink.reported.empty());

    // Connecting the same object again makes ten new buttons; the old ones stay hidden.
    vbe.Addins().Item("Visual Basic Brindle").SetConnect(true);
    vbe.Addins().Update();
    std::vector<bool> expected(6, false);
    expected.resize(12, true);
    EXPECT_EQ(Visible(vbe, "Code Window"), expected);
    EXPECT_TRUE(vbe.Click("Tools", "Close All Windows"));
    EXPECT_TRUE(windows.Status().loaded) << "the new button reaches its command";
    vbe.Shutdown();
}

// Without a start-up notice (connected after start-up) nothing is loaded yet.
TEST_F(Connection, StartupCompleteShowsTheSplashUnlessDisabledAndLoadsTheStatusWindowHidden) {
    const struct {
        ext_ConnectMode mode;
        const char* disableSplash;
        int splashes;
        bool loaded;
    } cases[] = {{ext_cm_Startup, "False", 1, true},
                 {ext_cm_AfterStartup, "False", 0, false},
                 {ext_cm_Startup, "True", 0, true}};
    for (const auto& c : cases) {
        SetOption("Disable Splash", c.disableSplash);
        ui::HeadlessWindows own;
        MemoryVBE vbe;
        Brindle addin(settings, templates, own, &sink);
        vbe.Connect(addin, c.mode);
        EXPECT_EQ(own.SplashesShown(), c.splashes) << c.mode << c.disableSplash;
        EXPECT_EQ(own.Status().loaded, c.loaded) << c.mode << c.disableSplash;
        EXPECT_FALSE(own.Status().visible);
        vbe.Shutdown();
    }
}

using namespace std::string_literals;

using host::MemoryComponent;
using host::MemoryProject;
using Selected = std::array<std::int32_t, 4>;

std::string Marked(const std::string& lines) {
    return "' [Brindle Begin]\r\n" + lines + "' [Brindle End]\r\n";
}

struct Procedure {
    std::string name, kind, declaration, body;
    // With the header and the error handler of the fixture's templates.
    std::string Text(bool header, bool handler) const {
        const std::string footer =
            "    Exit " + kind + "\r\nFailed:\r\n    Err.Raise Err.Number\r\n";
        return (header ? Marked("' Procedure " + name + "\r\n") : "") + declaration + "\r\n" +
               (handler ? Marked("    On Error GoTo Failed\r\n") : "") + body + "\r\n" +
               (handler ? Marked(footer) : "") + "End " + kind + "\r\n";
    }
};

struct Source {
    std::string name, declarations;
    std::vector<Procedure> procedures;
    // Procedure headers and handlers go to the procedures named `only`, or to all.
    std::string Text(bool moduleHeader = false, bool headers = false, bool handlers = false,
                     const std::string& only = "") const {
        std::string text = "Option Explicit\r\n";
        text += moduleHeader ? Marked("' Module " + name + " by Ann Author\r\n") : "";
        text += declarations;
        for (const Procedure& proc : procedures) {
            const bool chosen = only.empty() || proc.name == only;
            text += "\r\n" + proc.Text(headers && chosen, handlers && chosen);
        }
        return text;
    }
};

const Source kModule{"Module1",
                     "",
                     {{"Main", "Sub", "Public Sub Main()", "    Debug.Print Twice(2)"},
                      {"Twice", "Function", "Private Function Twice(ByVal n As Long) As Long",
                       "    Twice = n * 2"}}};
const Source kClass{
    "Class1",
    "\r\nPrivate mName As String\r\n",
    {{"Name", "Property", "Public Property Get Name() As String", "    Name = mName"},
     {"Name", "Property", "Public Property Let Name(ByVal value As String)", "    mName = value"}}};
const Source kForm{
    "Form1", "", {{"Form_Load", "Sub", "Private Sub Form_Load()", "    Caption = 1"}}};
// Its first Sub has no End: it gets no error handler.
constexpr std::string_view kBroken = "Sub Broken()\r\n    x = 1\r\n\r\nSub Fine()\r\nEnd Sub\r\n";

using Texts = std::array<std::string, 3>;  // of Module1, Class1 and Form1

Texts Project(bool added) {
    return {kModule.Text(added, added, added), kClass.Text(added, added, added),
            kForm.Text(added, added, added)};
}
Texts Unmarked(Texts texts) {
    for (std::string& text : texts) {
        for (std::size_t at = 0; (at = text.find("' [Brindle ", at)) != std::string::npos;) {
            text.erase(at, text.find('\n', at) + 1 - at);
        }
    }
    return texts;
}
Texts Module(const std::string& text) {
    return {text, kClass.Text(), kForm.Text()};
}

std::string Question(std::string_view title, std::string_view prompt, std::int32_t buttons) {
    return std::string(title) + ": " + std::string(prompt) + " (" + std::to_string(buttons) + ")";
}

class Commands : public Connection {
protected:
    explicit Commands(const Texts& texts = Module(kModule.Text())) {
        for (const auto& [key, text] : std::vector<std::pair<std::string, std::string>>{
                 {"Module Header Filename", "' Module %ModuleName% by %Author%\r\n"},
                 {"Procedure Header Template Filename", "' Procedure %ProcedureName%\r\n"},
                 {"Error Header Template Filename", "    On Error GoTo Failed\r\n"},
                 {"Error Footer Template Filename",
                  "    Exit %ProcedureType%\r\nFailed:\r\n    Err.Raise Err.Number\r\n"}}) {
            test::WriteBytes(dir.path() / (key + ".txt"), text);
            settings.SaveSetting(kAppName, "Options", key, (dir.path() / (key + ".txt")).string());
        }
        settings.SaveSetting(kAppName, "Options", "Author", "Ann Author");

        windows.Setup().onMessage = [this](std::string_view m) { messages.emplace_back(m); };
        windows.Setup().answer = [this](std::string_view prompt, std::int32_t buttons,
                                        std::string_view title) {
            questions.push_back(Question(title, prompt, buttons));
            return answer;
        };
        module = &project->AddComponent("Module1", vbext_ct_StdModule, texts[0]);
        cls = &project->AddComponent("Class1", vbext_ct_ClassModule, texts[1]);
        form = &project->AddComponent("Form1", vbext_ct_VBForm, texts[2]);
        vbe.AddProject(project);
        vbe.Connect(addin, ext_cm_CommandLine);
    }
    ~Commands() override { vbe.Shutdown(); }

    // Opens the component's code window with the lines from `first` to `last` selected.
    void Select(MemoryComponent& component, std::int32_t first, std::int32_t last) {
        CodePane& pane = component.CodeModule().CodePane();
        vbe.OpenCodeWindow(pane);
        pane.SetSelection(first, 1, last + 1, 1);
    }
    static std::string Text(MemoryComponent& component) {
        return host::VisibleText(component.CodeModule());
    }
    static Selected Selection(MemoryComponent& component) {
        Selected s{};
        component.CodeModule().CodePane().GetSelection(s[0], s[1], s[2], s[3]);
        return s;
    }

    std::vector<std::string> messages;
    std::vector<std::string> questions;
    VbMsgBoxResult answer = vbYes;
    std::shared_ptr<MemoryProject> project = std::make_shared<MemoryProject>("Project1");
    MemoryComponent* module = nullptr;
    MemoryComponent* cls = nullptr;
    MemoryComponent* form = nullptr;
    host::MemoryVBE vbe;
    int dates = 0;  // how often the add-in asked the clock
    Brindle addin{settings, templates, windows, &sink, [this] {
                      ++dates;
                      return std::chrono::system_clock::now();
                  }};
};

struct Row {
    std::string caption;
    std::string title, prompt;  // of the confirmation; no title, no question
    std::string status;         // followed by the module's name
    Texts before;
    std::int32_t first, last;  // selected in Module1
    Texts after;
    bool wholeProject = false;
    friend void PrintTo(const Row& row, std::ostream* out) { *out << row.caption; }
};

class EachCommand : public Commands, public ::testing::WithParamInterface<Row> {
protected:
    EachCommand() : Commands(GetParam().before) {}
};

const std::string kMarkersPrompt =
    " will prevent Brindle \r\nfrom being able to remove the code it's added up to now.\r\n\r\n"
    "Are you sure you want to remove Brindle code markers?";
// Lines 2-4 are the module header's block, 10-15 the header and code of Twice.
const std::string kHeaded = kModule.Text(true, true, false, "Twice");

INSTANTIATE_TEST_SUITE_P(
    Commands, EachCommand,
    ::testing::Values(
        Row{"Add Module Header", "", "", "Adding module header to ", Module(kModule.Text()), 7, 9,
            Module(kModule.Text(true))},
        Row{"Add Header(s) to Selected Procedures", "", "", "Adding procedure header(s) to ",
            Module(kModule.Text()), 7, 9, Module(kModule.Text(false, true, false, "Twice"))},
        Row{"Add Error Handler(s) to Selected Procedures", "", "", "Adding error handler(s) to ",
            Module(kModule.Text()), 7, 9, Module(kModule.Text(false, false, true, "Twice"))},
        Row{"Remove Brindle Markers from Selection", "Remove Code Markers",
            "Removing code markers from selected code" + kMarkersPrompt,
            "Removing Brindle markers from ", Module(kHeaded), 2, 4,
            Module("Option Explicit\r\n' Module Module1 by Ann Author\r\n" +
                   kModule.Text(false, true, false, "Twice").substr(17))},
        Row{"Remove Code Added by Brindle from Selection",
            "Remove Code Added by Brindle from Selection",
            "Are you sure you want to remove code added by Brindle from selected text?",
            "Removing code added by Brindle from ", Module(kHeaded), 9, 15,
            Module(kModule.Text(true))},
        Row{"Add Headers And Error Handlers to Entire Project", "Add to Entire Project",
            "Are you sure you want Brindle to add module headers, procedure headers, \r\n"
            "and error handlers to the entire project?",
            "Adding module header, procedure headers, and error handlers to ", Project(false), 3, 5,
            Project(true), true},
        Row{"Remove All Code Markers from Entire Project", "Remove Code Markers",
            "Removing code markers from this project" + kMarkersPrompt,
            "Removing code markers from ", Project(true), 3, 5, Unmarked(Project(true)), true},
        Row{"Remove All Code Added by Brindle from Entire Project",
            "Remove Code Added by Brindle from Entire Project",
            "Are you sure you want to remove code added by Brindle from this project?",
            "Removing all Brindle code from ", Project(true), 3, 5, Project(false), true}));

TEST_P(EachCommand, AsksFirstThenWorksOnTheActivePaneOrProject) {
    const Row& row = GetParam();
    const auto texts = [&] { return Texts{Text(*module), Text(*cls), Text(*form)}; };
    Select(*module, row.first, row.last);
    const std::size_t asked = row.title.empty() ? 0 : 1;
    if (asked != 0) {
        answer = vbNo;
        EXPECT_TRUE(vbe.Click(row.caption));
        EXPECT_EQ(texts(), row.before);
        EXPECT_EQ(Selection(*module), (Selected{row.first, 1, row.last + 1, 1}));
        EXPECT_TRUE(messages.empty());
        EXPECT_FALSE(windows.Status().loaded);
        answer = vbYes;
    }

    // Without an active pane or project there is nothing to do, and nothing to tell.
    if (row.wholeProject) {
        vbe.SetActiveVBProject(nullptr);
    } else {
        vbe.SetActiveCodePane(nullptr);
    }
    vbe.Click(row.caption);
    EXPECT_EQ(texts(), row.before);
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(sink.reported.empty());

    vbe.SetActiveVBProject(project.get());
    Select(*module, row.first, row.last);
    EXPECT_TRUE(vbe.Click(row.caption));
    EXPECT_EQ(questions, std::vector<std::string>(
                             3 * asked, Question(row.title, row.prompt, vbYesNo + vbExclamation)));
    EXPECT_EQ(texts(), row.after);
    if (!row.wholeProject) {
        EXPECT_EQ(messages, std::vector<std::string>{row.status + "Module1"});
    } else {
        EXPECT_EQ(messages, (std::vector<std::string>{row.status + "Module1", row.status + "Class1",
                                                      row.status + "Form1"}));
        for (MemoryComponent* component : {module, cls, form}) {
            EXPECT_EQ(Selection(*component), (Selected{1, 1, 1, 2})) << component->Name();
        }
    }
    EXPECT_FALSE(windows.Status().visible);
    EXPECT_TRUE(sink.reported.empty());
}

TEST_F(Commands, CloseAllWindowsClosesEveryCodeAndDesignerWindowAndNothingElse) {
    const std::vector<std::shared_ptr<Window>> opened = {
        vbe.OpenCodeWindow(module->CodeModule().CodePane()), vbe.OpenDesigner("Form1 (Form)"),
        vbe.OpenCodeWindow(form->CodeModule().CodePane()),
        vbe.OpenWindow(vbext_wt_Locals, "Locals"), vbe.OpenDesigner("UserControl1 (UserControl)")};
    EXPECT_TRUE(vbe.Click("Tools", "Close All Windows"));

    std::vector<std::string> left;
    for (std::int32_t i = 1; i <= vbe.Windows().Count(); ++i) {
        left.push_back(vbe.Windows().Item(i)->Caption());
    }
    EXPECT_EQ(left, (std::vector<std::string>{"Project", "Properties", "Immediate", "Locals"}));
    for (const auto& window : opened) {
        EXPECT_EQ(window->Visible(), window->Type() == vbext_wt_Locals) << window->Caption();
    }
    EXPECT_EQ(messages, std::vector<std::string>{"Closing all windows..."});
    EXPECT_FALSE(windows.Status().visible);
}

// Failures reach the host with the chain of operations they passed through; what a command
// found and left as it was reaches it as a warning.
TEST_F(Commands, AFailureOrWarningInOneProcedureOrComponentDoesNotStopTheRest) {
    auto second = std::make_shared<MemoryProject>("Project2");
    MemoryComponent& broken = second->AddComponent("Broken", vbext_ct_StdModule, kBroken);
    second->AddComponentWithoutCode("Resources", vbext_ct_ResFile);
    MemoryComponent& good =
        second->AddComponent("Good", vbext_ct_StdModule, "Sub Good()\r\nEnd Sub\r\n");
    vbe.AddProject(second);
    vbe.SetActiveVBProject(second.get());

    Select(broken, 1, 5);
    vbe.Click("Add Error Handler(s) to Selected Procedures");
    EXPECT_NE(Text(broken).find("Sub Fine()\r\n" + Marked("    On Error GoTo Failed\r\n")),
              std::string::npos);
    EXPECT_FALSE(windows.Status().visible);
    vbe.Click("Add Headers And Error Handlers to Entire Project");
    EXPECT_EQ(messages.size(), 4u) << "every component gets its status message";
    EXPECT_NE(Text(broken).find("' Procedure Fine"), std::string::npos);
    EXPECT_EQ(Selection(broken), (Selected{1, 1, 1, 2})) << "steps after the warning run";
    EXPECT_NE(Text(good).find("' Module Good"), std::string::npos);
    EXPECT_NE(Text(good).find("On Error GoTo Failed"), std::string::npos);
    EXPECT_EQ(Text(*module), kModule.Text()) << "only the active project";
    const std::string warning = "Broken: Sub Broken, line 1: no End Sub; no error handler added";
    const std::string afterHeaders =
        "Broken: Sub Broken, line 7: no End Sub; no error handler added";
    EXPECT_EQ(sink.warnings, (std::vector<std::string>{warning, afterHeaders}));
    EXPECT_TRUE(sink.reported.empty()) << "the resource file without code is passed over";
    EXPECT_FALSE(windows.Status().visible);
}

// A template that gives no text, or that is refused, is told of once per command and nothing
// goes in from it: no empty marked block, and no half error handler.
struct BrokenTemplate {
    std::string name;
    std::string key;                   // of the template's path in the settings
    std::optional<std::string> bytes;  // nothing: no file
    std::string warning;               // after the template's title and path
    Texts after;                       // of Module1 after adding everything to it
    friend void PrintTo(const BrokenTemplate& row, std::ostream* out) { *out << row.name; }
};

class BrokenTemplates : public Commands, public ::testing::WithParamInterface<BrokenTemplate> {};

TEST_P(BrokenTemplates, AreToldOfOnceAndNothingGoesInFromThem) {
    const BrokenTemplate& row = GetParam();
    const auto file = dir.path() / (row.key + ".txt");
    std::filesystem::remove(file);
    if (row.bytes) {
        test::WriteBytes(file, *row.bytes);
    }
    windows.Setup().fillOptions = [](frmOptions&) { return DialogButton::OK; };
    vbe.Click("Brindle Options...");  // reads the templates again
    Select(*module, 1, 9);
    vbe.Click("Add Module Header");
    vbe.Click("Add Header(s) to Selected Procedures");
    vbe.Click("Add Error Handler(s) to Selected Procedures");
    EXPECT_EQ(Text(*module), row.after[0]);
    ASSERT_EQ(sink.warnings.size(), 1u) << ::testing::PrintToString(sink.warnings);
    EXPECT_TRUE(sink.warnings[0].ends_with(row.warning)) << sink.warnings[0];
    EXPECT_NE(sink.warnings[0].find("template \"" + file.string() + "\""), std::string::npos);
}

const std::string kNoErrHandlers = kModule.Text(true, true, false);

INSTANTIATE_TEST_SUITE_P(
    Commands, BrokenTemplates,
    ::testing::Values(
        BrokenTemplate{"MissingFooter", "Error Footer Template Filename", std::nullopt,
                       " is missing, unreadable or empty; no error handlers added",
                       Module(kNoErrHandlers)},
        BrokenTemplate{"EmptyHeader", "Procedure Header Template Filename", "",
                       " is missing, unreadable or empty; no procedure headers added",
                       Module(kModule.Text(true, false, true))},
        BrokenTemplate{"MarkerLine", "Error Header Template Filename",
                       "    On Error GoTo Failed\r\n  ' [brindle END]  \r\n",
                       " is refused: its line 2 is a marker line, which would break the marked "
                       "blocks it goes into; no error handlers added",
                       Module(kNoErrHandlers)}),
    [](const auto& row) { return row.param.name; });

// A form without code is common: the commands on its pane and the project removals have
// nothing to do there.
TEST_F(Commands, AModuleWithoutCodeLinesIsPassedOver) {
    auto second = std::make_shared<MemoryProject>("Project2");
    MemoryComponent& empty = second->AddComponent("frmAbout", vbext_ct_VBForm, "");
    vbe.AddProject(second);
    vbe.SetActiveVBProject(second.get());
    Select(empty, 1, 0);
    for (const char* caption :
         {"Add Header(s) to Selected Procedures", "Add Error Handler(s) to Selected Procedures",
          "Remove All Code Markers from Entire Project",
          "Remove All Code Added by Brindle from Entire Project"}) {
        vbe.Click(caption);
        EXPECT_EQ(Text(empty), "") << caption;
    }
    EXPECT_EQ(Selection(empty), (Selected{1, 1, 1, 2}));
    EXPECT_TRUE(sink.reported.empty()) << sink.reported.front().what();
}

// A click let in by the status window's pass over pending messages would start a second
// command on a half-done module.
TEST_F(Commands, AClickDuringARunningCommandIsIgnoredAndToldInOneLine) {
    Select(*module, 1, 9);
    int clicks = 0;
    windows.Setup().doEvents = [&] {
        if (clicks++ == 0) {
            vbe.Click("Add Module Header");
            vbe.Click("Remove All Code Added by Brindle from Entire Project");
        }
    };
    vbe.Click("Add Module Header");
    EXPECT_EQ(Text(*module), kModule.Text(true));
    EXPECT_TRUE(questions.empty());
    const std::string ignored =
        "A click arrived while another command was running; it was ignored.";
    EXPECT_EQ(sink.warnings, (std::vector<std::string>{ignored, ignored}));
    EXPECT_TRUE(sink.reported.empty());

    // Once the command is over, clicks work again.
    vbe.Click("Add Module Header");
    EXPECT_EQ(Text(*module), "Option Explicit\r\n" + Marked("' Module Module1 by Ann Author\r\n") +
                                 kModule.Text(true).substr(17));
}

// The dialog's own buttons are the Qt dialog's tests'. The next command takes the new options;
// a disconnection with the dialog open saves them, and its OK then applies nothing.
TEST_F(Commands, TheNextCommandTakesTheOptionsAndTheDisconnectionSavesThem) {
    const auto other = dir.path() / "other.txt";
    test::WriteBytes(other, "' Other header for %ModuleName% by %Author%\r\n");
    windows.Setup().fillOptions = [&](frmOptions& dialog) {
        OptionsControls& controls = dialog.Controls();
        controls.txtAuthor = "Bea Builder";
        controls.chkCodeMarkers = 0;
        controls.chkSkipExisting = 1;
        controls.txtModHdrFname = other.string();
        return DialogButton::OK;
    };
    vbe.Click("Brindle Options...");
    Select(*form, 1, 1);
    vbe.Click("Add Module Header");
    EXPECT_EQ(Text(*form), "Option Explicit\r\n' Other header for Form1 by Bea Builder\r\n" +
                               kForm.Text().substr(17));

    windows.Setup().fillOptions = [&](frmOptions& dialog) {
        dialog.Controls().txtAuthor = "Too Late";
        EXPECT_EQ(settings.GetSetting(kAppName, "Options", "Author", ""), "Ann Author");
        vbe.Shutdown();
        return DialogButton::OK;
    };
    vbe.Click("Brindle Options...");
    EXPECT_EQ(addin.Fields().msAuthor, "Bea Builder");
    EXPECT_EQ(settings.GetSetting(kAppName, "Options", "Author", ""), "Bea Builder");
    EXPECT_EQ(settings.GetSetting(kAppName, "Options", "Add Code Markers", ""), "False");
    EXPECT_EQ(settings.GetSetting(kAppName, "Options", "Skip Existing", ""), "True");
    EXPECT_TRUE(sink.reported.empty());
}

}  // namespace
}  // namespace brindle

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "addin/Brindle.h"
#include "host/Ide.h"
#include "host/MemoryProject.h"
#include "host/SettingsFile.h"
#include "host/TemplateFileReader.h"
#include "support/TestPaths.h"
#include "templates/OptionStore.h"
#include "ui/Headless.h"

namespace brindle {
namespace {

using host::MemoryComponent;
using host::MemoryProject;
using host::MemoryVBE;
using host::VisibleText;

constexpr std::string_view kModule =
    "Option Explicit\r\n"
    "\r\n"
    "Public Sub Main()\r\n"
    "    Debug.Print Twice(2)\r\n"
    "End Sub\r\n"
    "\r\n"
    "Private Function Twice(ByVal n As Long) As Long\r\n"
    "    Twice = n * 2\r\n"
    "End Function\r\n";

constexpr std::string_view kClass =
    "Option Explicit\r\n"
    "\r\n"
    "Private mName As String\r\n"
    "\r\n"
    "Public Property Get Name() As String\r\n"
    "    Name = mName\r\n"
    "End Property\r\n"
    "\r\n"
    "Public Property Let Name(ByVal value As String)\r\n"
    "    mName = value\r\n"
    "End Property\r\n";

constexpr std::string_view kForm =
    "Option Explicit\r\n"
    "\r\n"
    "Private Sub Form_Load()\r\n"
    "    Caption = \"Hello\"\r\n"
    "End Sub\r\n";

class RecordingSink : public Diagnostics {
public:
    void Report(const VbError& failure) override { reported.push_back(failure); }
    std::vector<std::string> Sources() const {
        std::vector<std::string> sources;
        for (const VbError& failure : reported) {
            sources.push_back(failure.Source());
        }
        return sources;
    }
    std::vector<VbError> reported;
};

struct Question {
    std::string prompt;
    std::int32_t buttons;
    std::string title;
};

std::chrono::system_clock::time_point FixedDay() {
    return std::chrono::sys_days{std::chrono::year{2024} / 3 / 9};
}

class Commands : public ::testing::Test {
protected:
    Commands() {
        WriteTemplate("Module Header Filename", "module.txt",
                      "' Module %ModuleName% by %Author%\r\n");
        WriteTemplate("Procedure Header Template Filename", "proc.txt",
                      "' Procedure %ProcedureName%\r\n");
        WriteTemplate("Error Header Template Filename", "errhdr.txt",
                      "    On Error GoTo Failed\r\n");
        WriteTemplate("Error Footer Template Filename", "errftr.txt",
                      "    Exit %ProcedureType%\r\nFailed:\r\n    Err.Raise Err.Number\r\n");
        settings.SaveSetting(kAppName, "Options", "Author", "Ann Author");

        windows.Setup().onMessage = [this](std::string_view m) { messages.emplace_back(m); };
        windows.Setup().answer = [this](std::string_view prompt, std::int32_t buttons,
                                        std::string_view title) {
            questions.push_back({std::string(prompt), buttons, std::string(title)});
            return answer;
        };

        module = &project->AddComponent("Module1", vbext_ct_StdModule, kModule);
        cls = &project->AddComponent("Class1", vbext_ct_ClassModule, kClass);
        form = &project->AddComponent("Form1", vbext_ct_VBForm, kForm);
        vbe.AddProject(project);
        vbe.Connect(addin, ext_cm_CommandLine);
    }
    ~Commands() override { vbe.Shutdown(); }

    void WriteTemplate(std::string_view key, const std::string& name, const std::string& text) {
        test::WriteBytes(dir.path() / name, text);
        settings.SaveSetting(kAppName, "Options", key, (dir.path() / name).string());
    }

    // Opens the component's code window with the lines from `first` to `last` selected.
    void Select(MemoryComponent& component, std::int32_t first, std::int32_t last) {
        CodePane& pane = component.CodeModule().CodePane();
        vbe.OpenCodeWindow(pane);
        pane.SetSelection(first, 1, last + 1, 1);
    }

    static std::string Text(MemoryComponent& component) {
        return VisibleText(component.CodeModule());
    }

    static std::array<std::int32_t, 4> Selection(MemoryComponent& component) {
        std::array<std::int32_t, 4> s{};
        component.CodeModule().CodePane().GetSelection(s[0], s[1], s[2], s[3]);
        return s;
    }

    static int Count(const std::string& text, std::string_view what) {
        int count = 0;
        for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
            ++count;
        }
        return count;
    }

    test::TempDir dir;
    host::SettingsFile settings{dir.path() / "settings.ini"};
    host::TemplateFileReader templates{std::vector<std::filesystem::path>{}};
    RecordingSink sink;
    ui::HeadlessWindows windows;
    std::vector<std::string> messages;
    std::vector<Question> questions;
    VbMsgBoxResult answer = vbYes;
    std::shared_ptr<MemoryProject> project = std::make_shared<MemoryProject>("Project1");
    MemoryComponent* module = nullptr;
    MemoryComponent* cls = nullptr;
    MemoryComponent* form = nullptr;
    MemoryVBE vbe;
    Brindle addin{settings, templates, windows, &sink, FixedDay};
};

constexpr std::string_view kModuleHeaderBlock =
    "' [Brindle Begin]\r\n' Module Module1 by Ann Author\r\n' [Brindle End]\r\n";

// ---- Commands on the active code pane ----

TEST_F(Commands, AddModuleHeaderWorksOnTheWholeModuleWhateverIsSelected) {
    Select(*module, 7, 9);
    EXPECT_TRUE(vbe.Click("Add Module Header"));
    EXPECT_EQ(Text(*module), "Option Explicit\r\n" + std::string(kModuleHeaderBlock) +
                                 std::string(kModule.substr(17)));
    EXPECT_EQ(messages, std::vector<std::string>{"Adding module header to Module1"});
    EXPECT_FALSE(windows.Status().visible);
    EXPECT_TRUE(questions.empty());
    EXPECT_TRUE(sink.reported.empty());
}

TEST_F(Commands, HeadersAndErrorHandlersGoToTheSelectedProceduresOnly) {
    Select(*module, 7, 9);
    vbe.Click("Add Header(s) to Selected Procedures");
    vbe.Click("Add Error Handler(s) to Selected Procedures");
    EXPECT_EQ(Text(*module),
              "Option Explicit\r\n"
              "\r\n"
              "Public Sub Main()\r\n"
              "    Debug.Print Twice(2)\r\n"
              "End Sub\r\n"
              "\r\n"
              "' [Brindle Begin]\r\n"
              "' Procedure Twice\r\n"
              "' [Brindle End]\r\n"
              "Private Function Twice(ByVal n As Long) As Long\r\n"
              "' [Brindle Begin]\r\n"
              "    On Error GoTo Failed\r\n"
              "' [Brindle End]\r\n"
              "    Twice = n * 2\r\n"
              "' [Brindle Begin]\r\n"
              "    Exit Function\r\n"
              "Failed:\r\n"
              "    Err.Raise Err.Number\r\n"
              "' [Brindle End]\r\n"
              "End Function\r\n");
    EXPECT_EQ(messages, (std::vector<std::string>{"Adding procedure header(s) to Module1",
                                                  "Adding error handler(s) to Module1"}));

    // The Get and the Let of one property are handled each.
    Select(*cls, 5, 11);
    vbe.Click("Add Error Handler(s) to Selected Procedures");
    EXPECT_EQ(Count(Text(*cls), "On Error GoTo Failed"), 2);
    EXPECT_EQ(Count(Text(*cls), "Exit Property"), 2);
    EXPECT_EQ(Text(*module).find("Exit Sub"), std::string::npos) << "Main was not selected";
    EXPECT_TRUE(sink.reported.empty());
}

TEST_F(Commands, RemovalFromTheSelectionAsksFirstAndTakesOnlyWhatIsSelected) {
    Select(*module, 1, 9);
    vbe.Click("Add Module Header");
    vbe.Click("Add Header(s) to Selected Procedures");
    const std::string added = Text(*module);

    Select(*module, 2, 4);  // the module header's block
    vbe.Click("Remove Brindle Markers from Selection");
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0].title, "Remove Code Markers");
    EXPECT_EQ(questions[0].prompt,
              "Removing code markers from selected code will prevent Brindle \r\n"
              "from being able to remove the code it's added up to now.\r\n\r\n"
              "Are you sure you want to remove Brindle code markers?");
    EXPECT_EQ(questions[0].buttons, 52);
    std::string expected = added;
    expected.erase(expected.find("' [Brindle Begin]\r\n"), 19);
    expected.erase(expected.find("' [Brindle End]\r\n"), 17);
    EXPECT_EQ(Text(*module), expected);

    Select(*module, 1, module->CodeModule().CountOfLines());
    vbe.Click("Remove Code Added by Brindle from Selection");
    ASSERT_EQ(questions.size(), 2u);
    EXPECT_EQ(questions[1].title, "Remove Code Added by Brindle from Selection");
    EXPECT_EQ(questions[1].prompt,
              "Are you sure you want to remove code added by Brindle from selected text?");
    EXPECT_EQ(Text(*module), "Option Explicit\r\n' Module Module1 by Ann Author\r\n" +
                                 std::string(kModule.substr(17)))
        << "the header that lost its markers stays";
    EXPECT_EQ(messages.back(), "Removing code added by Brindle from Module1");
    EXPECT_EQ(messages[messages.size() - 2], "Removing Brindle markers from Module1");
    EXPECT_FALSE(windows.Status().visible);
}

TEST_F(Commands, WithoutAnActiveCodePaneTheQuestionIsStillAskedAndNothingIsTouched) {
    vbe.Click("Remove Code Added by Brindle from Selection");
    vbe.Click("Add Module Header");
    EXPECT_EQ(questions.size(), 1u);
    EXPECT_TRUE(messages.empty());
    EXPECT_FALSE(windows.Status().visible);
    EXPECT_EQ(Text(*module), kModule);
    // Steps 3 and 4 of each command fail, and the host hears of each.
    EXPECT_EQ(sink.Sources(), (std::vector<std::string>{
                                  "Brindle.gevtRemoveAll_Click", "Brindle.gevtRemoveAll_Click",
                                  "Brindle.gevtAddModHdr_Click", "Brindle.gevtAddModHdr_Click"}));
    EXPECT_EQ(sink.reported[0].Number(), 91);
}

TEST_F(Commands, AFailingWorkStepLeavesTheStatusWindowHiddenAndReachesTheHostWithItsChain) {
    MemoryComponent& broken = project->AddComponent(
        "Broken", vbext_ct_StdModule, "Sub Broken()\r\n    x = 1\r\n\r\nSub Fine()\r\nEnd Sub\r\n");
    Select(broken, 1, 5);
    vbe.Click("Add Error Handler(s) to Selected Procedures");
    EXPECT_FALSE(windows.Status().visible);
    EXPECT_EQ(messages, std::vector<std::string>{"Adding error handler(s) to Broken"});
    ASSERT_EQ(sink.reported.size(), 1u);
    EXPECT_EQ(sink.reported[0].Source().rfind(
                  "Brindle.AddErrHandlers | Brindle.AddErrHandlerToProc | ", 0),
              0u)
        << sink.reported[0].Source();
}

TEST_F(Commands, AnswersOfNoChangeNothingAndShowNoStatusWindow) {
    answer = vbNo;
    Select(*module, 1, 9);
    for (const char* caption :
         {"Remove Brindle Markers from Selection", "Remove Code Added by Brindle from Selection",
          "Add Headers And Error Handlers to Entire Project",
          "Remove All Code Markers from Entire Project",
          "Remove All Code Added by Brindle from Entire Project"}) {
        EXPECT_TRUE(vbe.Click(caption)) << caption;
    }
    EXPECT_EQ(Text(*module), kModule);
    EXPECT_EQ(Text(*cls), kClass);
    EXPECT_EQ(Text(*form), kForm);
    EXPECT_TRUE(messages.empty());
    EXPECT_FALSE(windows.Status().loaded);
    EXPECT_EQ(Selection(*module), (std::array<std::int32_t, 4>{1, 1, 10, 1}));

    ASSERT_EQ(questions.size(), 5u);
    EXPECT_EQ(questions[2].title, "Add to Entire Project");
    EXPECT_EQ(questions[2].prompt,
              "Are you sure you want Brindle to add module headers, procedure headers, \r\n"
              "and error handlers to the entire project?");
    EXPECT_EQ(questions[3].title, "Remove Code Markers");
    EXPECT_EQ(questions[3].prompt,
              "Removing code markers from this project will prevent Brindle \r\n"
              "from being able to remove the code it's added up to now.\r\n\r\n"
              "Are you sure you want to remove Brindle code markers?");
    EXPECT_EQ(questions[4].title, "Remove Code Added by Brindle from Entire Project");
    EXPECT_EQ(questions[4].prompt,
              "Are you sure you want to remove code added by Brindle from this project?");
    for (const Question& question : questions) {
        EXPECT_EQ(question.buttons, 52);
    }
}

TEST_F(Commands, CloseAllWindowsClosesEveryCodeAndDesignerWindowAndNothingElse) {
    vbe.OpenCodeWindow(module->CodeModule().CodePane());
    vbe.OpenCodeWindow(cls->CodeModule().CodePane());
    vbe.OpenDesigner("Form1 (Form)");
    vbe.OpenCodeWindow(form->CodeModule().CodePane());
    vbe.OpenWindow(vbext_wt_Locals, "Locals");
    vbe.OpenDesigner("UserControl1 (UserControl)");
    std::vector<std::shared_ptr<Window>> before;
    for (std::int32_t i = 1; i <= vbe.Windows().Count(); ++i) {
        before.push_back(vbe.Windows().Item(i));
    }

    EXPECT_TRUE(vbe.Click("Tools", "Close All Windows"));

    std::vector<std::string> left;
    for (std::int32_t i = 1; i <= vbe.Windows().Count(); ++i) {
        left.push_back(vbe.Windows().Item(i)->Caption());
    }
    EXPECT_EQ(left, (std::vector<std::string>{"Project", "Properties", "Immediate", "Locals"}));
    for (const auto& window : before) {
        const bool closed =
            window->Type() == vbext_wt_CodeWindow || window->Type() == vbext_wt_Designer;
        EXPECT_EQ(window->Visible(), !closed) << window->Caption();
    }
    EXPECT_EQ(vbe.ActiveCodePane(), nullptr);
    EXPECT_EQ(messages, std::vector<std::string>{"Closing all windows..."});
    EXPECT_FALSE(windows.Status().visible);
}

// ---- Commands on the whole project ----

TEST_F(Commands, AddAllGivesEveryComponentItsHeadersAndHandlersAndPutsTheSelectionAtTheTop) {
    Select(*module, 3, 5);
    vbe.Click("Add Headers And Error Handlers to Entire Project");
    EXPECT_EQ(Text(*form),
              "Option Explicit\r\n"
              "' [Brindle Begin]\r\n"
              "' Module Form1 by Ann Author\r\n"
              "' [Brindle End]\r\n"
              "\r\n"
              "' [Brindle Begin]\r\n"
              "' Procedure Form_Load\r\n"
              "' [Brindle End]\r\n"
              "Private Sub Form_Load()\r\n"
              "' [Brindle Begin]\r\n"
              "    On Error GoTo Failed\r\n"
              "' [Brindle End]\r\n"
              "    Caption = \"Hello\"\r\n"
              "' [Brindle Begin]\r\n"
              "    Exit Sub\r\n"
              "Failed:\r\n"
              "    Err.Raise Err.Number\r\n"
              "' [Brindle End]\r\n"
              "End Sub\r\n");
    EXPECT_EQ(Count(Text(*module), "' Procedure "), 2);
    EXPECT_EQ(Count(Text(*module), "On Error GoTo Failed"), 2);
    EXPECT_EQ(Count(Text(*cls), "' Procedure Name"), 2);
    EXPECT_EQ(Count(Text(*cls), "Exit Property"), 2);
    EXPECT_EQ(messages,
              (std::vector<std::string>{
                  "Adding module header, procedure headers, and error handlers to Module1",
                  "Adding module header, procedure headers, and error handlers to Class1",
                  "Adding module header, procedure headers, and error handlers to Form1"}));
    for (MemoryComponent* component : {module, cls, form}) {
        EXPECT_EQ(Selection(*component), (std::array<std::int32_t, 4>{1, 1, 1, 2}))
            << component->Name();
    }
    EXPECT_FALSE(windows.Status().visible);
    EXPECT_TRUE(sink.reported.empty());

    // Nothing looks for earlier copies: a second run adds everything again.
    vbe.Click("Add Headers And Error Handlers to Entire Project");
    EXPECT_EQ(Count(Text(*cls), "Exit Property"), 4);
    EXPECT_EQ(Count(Text(*form), "' Module Form1"), 2);
}

TEST_F(Commands, RemovingAllCodeFromTheProjectGivesBackEveryModuleAsItWas) {
    vbe.Click("Add Headers And Error Handlers to Entire Project");
    messages.clear();
    vbe.Click("Remove All Code Added by Brindle from Entire Project");
    EXPECT_EQ(Text(*module), kModule);
    EXPECT_EQ(Text(*cls), kClass);
    EXPECT_EQ(Text(*form), kForm);
    EXPECT_EQ(messages, (std::vector<std::string>{"Removing all Brindle code from Module1",
                                                  "Removing all Brindle code from Class1",
                                                  "Removing all Brindle code from Form1"}));
    for (MemoryComponent* component : {module, cls, form}) {
        EXPECT_EQ(Selection(*component), (std::array<std::int32_t, 4>{1, 1, 1, 2}));
    }
    EXPECT_TRUE(sink.reported.empty());
}

TEST_F(Commands, RemovingTheMarkersFromTheProjectKeepsTheGeneratedCode) {
    vbe.Click("Add Headers And Error Handlers to Entire Project");
    const std::string added = Text(*cls);
    messages.clear();
    vbe.Click("Remove All Code Markers from Entire Project");
    EXPECT_EQ(messages.front(), "Removing code markers from Module1");
    for (MemoryComponent* component : {module, cls, form}) {
        EXPECT_EQ(Text(*component).find("' [Brindle"), std::string::npos) << component->Name();
        EXPECT_EQ(Selection(*component), (std::array<std::int32_t, 4>{1, 1, 1, 2}));
    }
    std::string expected = added;
    for (std::string_view marker : {"' [Brindle Begin]\r\n", "' [Brindle End]\r\n"}) {
        for (auto at = expected.find(marker); at != std::string::npos; at = expected.find(marker)) {
            expected.erase(at, marker.size());
        }
    }
    EXPECT_EQ(Text(*cls), expected);

    vbe.Click("Remove All Code Added by Brindle from Entire Project");
    EXPECT_EQ(Text(*cls), expected) << "nothing marked is left to remove";
}

TEST_F(Commands, AFailureInOneComponentDoesNotStopTheRest) {
    auto second = std::make_shared<MemoryProject>("Project2");
    MemoryComponent& broken = second->AddComponent(
        "Broken", vbext_ct_StdModule, "Sub Broken()\r\n    x = 1\r\n\r\nSub Fine()\r\nEnd Sub\r\n");
    second->AddComponentWithoutCode("Resources", vbext_ct_ResFile);
    MemoryComponent& good =
        second->AddComponent("Good", vbext_ct_StdModule, "Sub Good()\r\nEnd Sub\r\n");
    vbe.AddProject(second);
    vbe.SetActiveVBProject(second.get());

    vbe.Click("Add Headers And Error Handlers to Entire Project");

    EXPECT_EQ(messages.size(), 3u) << "every component gets its status message";
    EXPECT_EQ(messages[1],
              "Adding module header, procedure headers, and error handlers to Resources");
    EXPECT_EQ(Count(Text(broken), "' Procedure "), 2) << "steps before the failing one stand";
    EXPECT_EQ(Selection(broken), (std::array<std::int32_t, 4>{1, 1, 1, 2}))
        << "steps after the failing one still run";
    EXPECT_EQ(Count(Text(good), "' Module Good"), 1);
    EXPECT_EQ(Count(Text(good), "On Error GoTo Failed"), 1);
    EXPECT_EQ(Text(*module), kModule) << "only the active project";
    ASSERT_EQ(sink.reported.size(), 2u);
    EXPECT_EQ(sink.reported[0].Source().rfind("Brindle.AddErrHandlers | ", 0), 0u);
    EXPECT_EQ(sink.reported[1].Number(), 91);
    EXPECT_FALSE(windows.Status().visible);
}

TEST_F(Commands, WithoutAnActiveProjectNothingChangesAndTheStatusWindowIsHidden) {
    vbe.SetActiveVBProject(nullptr);
    vbe.Click("Remove All Code Markers from Entire Project");
    EXPECT_EQ(questions.size(), 1u);
    EXPECT_TRUE(messages.empty());
    EXPECT_FALSE(windows.Status().visible);
    ASSERT_EQ(sink.reported.size(), 1u);
    EXPECT_EQ(sink.reported[0].Source(), "Brindle.gevtRemoveCodeMarkersFromProj_Click");
}

// A click let in by the status window's pass over pending messages would start a second
// command on a half-done module.
TEST_F(Commands, AClickDuringARunningCommandIsIgnoredAndReported) {
    Select(*module, 1, 9);
    int clicks = 0;
    windows.Setup().doEvents = [&] {
        if (clicks++ == 0) {
            vbe.Click("Add Module Header");
            vbe.Click("Remove All Code Added by Brindle from Entire Project");
        }
    };
    vbe.Click("Add Module Header");
    EXPECT_EQ(Text(*module), "Option Explicit\r\n" + std::string(kModuleHeaderBlock) +
                                 std::string(kModule.substr(17)));
    EXPECT_TRUE(questions.empty());
    ASSERT_EQ(sink.reported.size(), 2u);
    EXPECT_EQ(sink.reported[0].Source(), "Brindle.gevtAddModHdr_Click");
    EXPECT_EQ(sink.reported[1].Source(), "Brindle.gevtRemoveAllFromProj_Click");

    // Once the command is over, clicks work again.
    vbe.Click("Add Module Header");
    EXPECT_EQ(Count(Text(*module), "' Module Module1"), 2);
}

// ---- Options ----

TEST_F(Commands, OptionsShowsTheCurrentValuesAndOkAppliesThemForTheNextCommand) {
    test::WriteBytes(dir.path() / "other.txt", "' Other header for %ModuleName%\r\n");
    OptionsControls shown;
    windows.Setup().fillOptions = [&](frmOptions& dialog) {
        shown = dialog.Controls();
        dialog.Controls().txtAuthor = "Bea Builder";
        dialog.Controls().chkCodeMarkers = 0;
        dialog.Controls().chkDisableSplash = 1;
        dialog.Controls().txtModHdrFname = (dir.path() / "other.txt").string();
        dialog.SetLastDir(dir.path().string() + "\\");
        return DialogButton::OK;
    };
    vbe.Click("Brindle Options...");

    EXPECT_EQ(shown.txtAuthor, "Ann Author");
    EXPECT_EQ(shown.chkCodeMarkers, 1);
    EXPECT_EQ(shown.chkDisableSplash, 0);
    EXPECT_EQ(shown.txtModHdrFname, (dir.path() / "module.txt").string());
    EXPECT_EQ(shown.txtErrFtrFname, (dir.path() / "errftr.txt").string());

    const AddinFields& fields = addin.Fields();
    EXPECT_EQ(fields.msAuthor, "Bea Builder");
    EXPECT_FALSE(fields.mbAddCodeMarkers);
    EXPECT_TRUE(fields.mbDisableSplash);
    EXPECT_EQ(fields.msLastDir, dir.path().string() + "\\");
    EXPECT_EQ(fields.msModHdrTmplt, "' Other header for %ModuleName%\n");
    EXPECT_EQ(fields.msProcHdrTmplt, "' Procedure %ProcedureName%\n");

    Select(*form, 1, 1);
    vbe.Click("Add Module Header");
    EXPECT_EQ(Text(*form),
              "Option Explicit\r\n' Other header for Form1\r\n" + std::string(kForm.substr(17)));

    // The options reach the settings when the add-in disconnects.
    EXPECT_EQ(settings.GetSetting(kAppName, "Options", "Author", ""), "Ann Author");
    vbe.Shutdown();
    EXPECT_EQ(settings.GetSetting(kAppName, "Options", "Author", ""), "Bea Builder");
    EXPECT_EQ(settings.GetSetting(kAppName, "Options", "Add Code Markers", ""), "False");
    EXPECT_TRUE(sink.reported.empty());
}

TEST_F(Commands, CancelAppliesNothingButTheDialogKeepsItsLastDirectory) {
    std::vector<std::string> shownAuthors;
    std::vector<std::string> shownDirs;
    DialogButton button = DialogButton::Cancel;
    windows.Setup().fillOptions = [&](frmOptions& dialog) {
        shownAuthors.push_back(dialog.Controls().txtAuthor);
        shownDirs.push_back(dialog.LastDir());
        dialog.Controls().txtAuthor = "Someone Else";
        dialog.SetLastDir("D:\\Chosen\\");
        return button;
    };
    vbe.Click("Brindle Options...");
    EXPECT_EQ(addin.Fields().msAuthor, "Ann Author");
    EXPECT_EQ(addin.Fields().msLastDir, "C:\\");

    button = DialogButton::OK;
    vbe.Click("Brindle Options...");
    EXPECT_EQ(shownAuthors, (std::vector<std::string>{"Ann Author", "Ann Author"}));
    EXPECT_EQ(shownDirs, (std::vector<std::string>{"C:\\", "D:\\Chosen\\"}));
    EXPECT_EQ(addin.Fields().msAuthor, "Someone Else");
    EXPECT_EQ(addin.Fields().msLastDir, "D:\\Chosen\\");
}

TEST_F(Commands, ADisconnectionWhileTheOptionsDialogIsOpenLeavesTheDialogUntilItCloses) {
    windows.Setup().fillOptions = [&](frmOptions& dialog) {
        dialog.Controls().txtAuthor = "Too Late";
        vbe.Shutdown();  // unloads the form, which the OK below then finds closed
        EXPECT_EQ(dialog.LastDir(), "C:\\");
        return DialogButton::OK;
    };
    vbe.Click("Brindle Options...");
    EXPECT_EQ(addin.Fields().msAuthor, "Ann Author");
    EXPECT_EQ(settings.GetSetting(kAppName, "Options", "Author", ""), "Ann Author");
    EXPECT_TRUE(sink.reported.empty());
}

// The event-source fields behave as the host's WithEvents fields: a field delivers the clicks
// of the source it holds, and only while it holds it.
TEST_F(Commands, AnEventSourceFieldDeliversTheClicksOfTheSourceItHolds) {
    Select(*module, 1, 1);
    addin.gevtAddModHdr = nullptr;
    EXPECT_TRUE(vbe.Click("Add Module Header"));
    EXPECT_EQ(Text(*module), kModule);

    CommandBar& bar = *vbe.CommandBars().Item("Code Window");
    std::shared_ptr<CommandBarControl> button;
    for (std::int32_t i = 1; i <= bar.Controls().Count(); ++i) {
        if (bar.Controls().Item(i)->Caption() == "Add Module Header") {
            button = bar.Controls().Item(i);
        }
    }
    ASSERT_TRUE(button);
    addin.gevtAddModHdr = vbe.Events().CommandBarEvents(*button);
    vbe.Click("Add Module Header");
    EXPECT_EQ(Count(Text(*module), "' Module Module1"), 1);
}

}  // namespace
}  // namespace brindle

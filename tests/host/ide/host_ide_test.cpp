// Our IDE in memory: command bars and their clicks, the add-in list's connection protocol and
// code windows; the code module and its pane as the core uses them (lines, edits, selection,
// Find, code pages, the IDE's error numbers, undo); the block store behind a module's lines.

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "host/files/ModuleFile.h"
#include "host/ide/Ide.h"
#include "host/ide/LineStore.h"
#include "host/ide/MemoryProject.h"
#include "host/ide/UndoHistory.h"
#include "model/VbError.h"

namespace brindle::host {
namespace {

// The captions of a command bar's controls or of the IDE's windows.
template <typename Collection>
std::vector<std::string> Captions(Collection& items) {
    std::vector<std::string> captions;
    for (std::int32_t i = 1; i <= items.Count(); ++i) {
        captions.push_back(items.Item(i)->Caption());
    }
    return captions;
}

// An add-in that only notes what the host tells it.
class NotingAddin : public IDTExtensibility {
public:
    void OnConnection(VBE&, std::int32_t mode, AddIn* entry, CustomArgs&) override {
        calls.push_back("connect " + std::to_string(mode) + (entry ? " listed" : " unlisted"));
        if (onConnection) {
            onConnection();
        }
    }
    void OnDisconnection(std::int32_t mode, CustomArgs&) override {
        calls.push_back("disconnect " + std::to_string(mode));
    }
    void OnStartupComplete(CustomArgs&) override { calls.push_back("startup complete"); }
    void OnAddInsUpdate(CustomArgs&) override { calls.push_back("addins update"); }

    std::vector<std::string> calls;
    std::function<void()> onConnection;
};

// Bars are found by name in any letter case.
TEST(IdeCommandBars, ControlsGoAtTheEndOrBeforeAPositionAndTemporaryOnesGoAtShutdown) {
    MemoryVBE vbe;
    EXPECT_EQ(vbe.CommandBars().Item("Menu Bar 2"), nullptr);
    CommandBarControls& controls = vbe.CommandBars().Item("tools")->Controls();
    const std::vector<std::string> own = Captions(controls);

    auto last = controls.Add(msoControlButton, std::nullopt, std::nullopt, std::nullopt, true);
    last->SetCaption("Last");
    auto first = controls.Add(msoControlButton, std::nullopt, std::nullopt, 1, true);
    first->SetCaption("First");
    auto kept = controls.Add(msoControlButton, std::nullopt, std::nullopt, std::nullopt, false);
    kept->SetCaption("Kept");

    std::vector<std::string> expected = {"First"};
    expected.insert(expected.end(), own.begin(), own.end());
    expected.insert(expected.end(), {"Last", "Kept"});
    EXPECT_EQ(Captions(controls), expected);

    EXPECT_THROW(controls.Add(msoControlButton, std::nullopt, std::nullopt, 99, true), VbError);
    EXPECT_THROW(controls.Item(0), VbError);

    auto deleted = controls.Add(msoControlButton, std::nullopt, std::nullopt, std::nullopt, false);
    deleted->SetCaption("Deleted");
    vbe.DeleteControl(*deleted);
    EXPECT_EQ(Captions(controls), expected);
    EXPECT_FALSE(vbe.Click("Deleted"));
    EXPECT_THROW(vbe.DeleteControl(*deleted), VbError);

    vbe.Shutdown();
    expected = own;
    expected.push_back("Kept");
    EXPECT_EQ(Captions(controls), expected);
}

TEST(IdeCommandBars, ClicksReachEverySourceForAsLongAsItLivesAndOnlyVisibleControls) {
    MemoryVBE vbe;
    CommandBarControls& controls = vbe.CommandBars().Item("Code Window")->Controls();
    auto control = controls.Add(msoControlButton, std::nullopt, std::nullopt, std::nullopt, true);
    control->SetCaption("Do It");

    int clicks = 0;
    auto source = vbe.Events().CommandBarEvents(*control);
    source->OnClick([&](CommandBarControl& clicked, bool& handled, bool& cancelDefault) {
        EXPECT_EQ(&clicked, control.get());
        EXPECT_FALSE(handled);
        EXPECT_FALSE(cancelDefault);
        ++clicks;
    });
    auto second = vbe.Events().CommandBarEvents(*control);
    second->OnClick([&](CommandBarControl&, bool&, bool&) { clicks += 10; });

    EXPECT_TRUE(vbe.Click("Do It"));
    EXPECT_EQ(clicks, 11);

    second.reset();
    EXPECT_TRUE(vbe.Click("Code Window", "Do It"));
    EXPECT_EQ(clicks, 12);
    EXPECT_FALSE(vbe.Click("Tools", "Do It"));

    control->SetVisible(false);
    EXPECT_FALSE(vbe.Click("Do It"));
    EXPECT_EQ(clicks, 12);

    source.reset();
    control->SetVisible(true);
    EXPECT_TRUE(vbe.Click("Do It"));
    EXPECT_EQ(clicks, 12);
}

TEST(IdeAddins, ConnectingAndDisconnectingThroughTheAddinListOrUnlisted) {
    MemoryVBE vbe;
    NotingAddin addin;
    vbe.Connect(addin, ext_cm_Startup);
    EXPECT_TRUE(vbe.IsConnected(addin));
    EXPECT_TRUE(vbe.Addins().Item("Visual Basic Brindle").Connect());

    vbe.Addins().Item("Visual Basic Brindle").SetConnect(false);
    EXPECT_TRUE(vbe.IsConnected(addin)) << "nothing happens before Update";
    vbe.Addins().Update();
    EXPECT_FALSE(vbe.IsConnected(addin));

    vbe.Addins().Item("Visual Basic Brindle").SetConnect(true);
    vbe.Addins().Update();
    EXPECT_TRUE(vbe.IsConnected(addin));
    vbe.Shutdown();
    vbe.Shutdown();

    EXPECT_EQ(addin.calls,
              (std::vector<std::string>{"connect 1 listed", "startup complete", "disconnect 1",
                                        "connect 0 listed", "addins update", "disconnect 0"}));
    EXPECT_THROW(vbe.Addins().Item("Some Other Add-In"), VbError);

    // An add-in that disconnects itself while connecting gets no startup complete; one without
    // an entry in the list is connected unlisted until shutdown.
    MemoryVBE again;
    NotingAddin quitter;
    quitter.onConnection = [&] {
        again.Addins().Item("Visual Basic Brindle").SetConnect(false);
        again.Addins().Update();
    };
    again.Connect(quitter, ext_cm_Startup);
    EXPECT_FALSE(again.IsConnected(quitter));
    EXPECT_EQ(quitter.calls, (std::vector<std::string>{"connect 1 listed", "disconnect 1"}));

    MemoryVBE unlisted({.addins = {}});
    NotingAddin plain;
    unlisted.Connect(plain, ext_cm_CommandLine);
    EXPECT_THROW(unlisted.Addins().Item("Visual Basic Brindle"), VbError);
    EXPECT_TRUE(unlisted.IsConnected(plain));
    unlisted.Shutdown();
    EXPECT_EQ(plain.calls, (std::vector<std::string>{"connect 3 unlisted", "disconnect 0"}));

    // While the environment starts, start-up add-ins hear that it is complete only at its end.
    MemoryVBE starting({.startingUp = true});
    NotingAddin early;
    starting.Connect(early, ext_cm_Startup);
    EXPECT_EQ(early.calls, (std::vector<std::string>{"connect 1 listed"}));
    starting.CompleteStartup();
    starting.CompleteStartup();
    EXPECT_EQ(early.calls, (std::vector<std::string>{"connect 1 listed", "startup complete"}));
}

TEST(IdeWindows, ClosingAWindowTakesItOutOfTheListAndLeavesNoPaneActive) {
    auto project = std::make_shared<MemoryProject>("Project1");
    MemoryComponent& module =
        project->AddComponent("Module1", vbext_ct_StdModule, "Sub A()\r\nEnd Sub\r\n");
    MemoryComponent& form = project->AddComponent("Form1", vbext_ct_VBForm, "Option Explicit\r\n");
    MemoryVBE vbe;
    EXPECT_EQ(vbe.ActiveVBProject(), nullptr);
    vbe.AddProject(project);
    EXPECT_EQ(vbe.ActiveVBProject(), project.get());
    EXPECT_EQ(vbe.ActiveCodePane(), nullptr);

    int viewsClosed = 0;
    auto moduleWindow = vbe.OpenCodeWindow(module.CodeModule().CodePane(), [&] { ++viewsClosed; });
    vbe.OpenDesigner("Form1 (Form)");
    auto formWindow = vbe.OpenCodeWindow(form.CodeModule().CodePane());
    EXPECT_EQ(vbe.OpenCodeWindow(form.CodeModule().CodePane()), formWindow);
    EXPECT_EQ(vbe.ActiveCodePane(), &form.CodeModule().CodePane());
    EXPECT_EQ(Captions(vbe.Windows()),
              (std::vector<std::string>{"Project", "Properties", "Immediate", "Module1 (Code)",
                                        "Form1 (Form)", "Form1 (Code)"}));
    EXPECT_EQ(formWindow->Type(), vbext_wt_CodeWindow);

    moduleWindow->Close();
    moduleWindow->Close();
    EXPECT_EQ(viewsClosed, 1);
    EXPECT_EQ(vbe.ActiveCodePane(), &form.CodeModule().CodePane());
    formWindow->Close();
    formWindow->Close();
    EXPECT_EQ(vbe.ActiveCodePane(), nullptr);
    EXPECT_EQ(Captions(vbe.Windows()),
              (std::vector<std::string>{"Project", "Properties", "Immediate", "Form1 (Form)"}));

    auto other = std::make_shared<MemoryProject>("Project2");
    EXPECT_THROW(vbe.SetActiveVBProject(other.get()), VbError);
    vbe.AddProject(other);
    EXPECT_EQ(vbe.ActiveVBProject(), project.get());
    vbe.SetActiveVBProject(other.get());
    EXPECT_EQ(vbe.ActiveVBProject(), other.get());
    vbe.RemoveProject(*other);
    EXPECT_EQ(vbe.ActiveVBProject(), project.get());
    vbe.RemoveProject(*project);
    EXPECT_EQ(vbe.ActiveVBProject(), nullptr);
}

constexpr std::string_view kModule =
    "Option Explicit\r\n"
    "Private mCount As Long\r\n"
    "\r\n"
    "' Adds one.\r\n"
    "Public Sub Increment()\r\n"
    "    mCount = mCount + 1\r\n"
    "End Sub\r\n"
    "\r\n"
    "Public Property Get Count() As Long\r\n"
    "    Count = mCount\r\n"
    "End Property\r\n"
    "\r\n"
    "Public Property Let Count(ByVal value As Long)\r\n"
    "    mCount = value\r\n"
    "End Property\r\n"
    "\r\n";

// Start line and column, end line and column.
using Selection = std::array<std::int32_t, 4>;

Selection Selected(CodeModule& module) {
    Selection s{};
    module.CodePane().GetSelection(s[0], s[1], s[2], s[3]);
    return s;
}

void Select(CodeModule& module, Selection s) {
    module.CodePane().SetSelection(s[0], s[1], s[2], s[3]);
}

class CodeModuleTest : public ::testing::Test {
protected:
    MemoryProject project;
    MemoryComponent& component = project.AddComponent("Counter", vbext_ct_ClassModule, kModule);
    CodeModule& module = component.CodeModule();
};

// Text is broken at CR LF, lone CR and lone LF. A trailing break adds an empty line when
// inserted, but not in the text a component is made from.
TEST_F(CodeModuleTest, LinesAndInsertedText) {
    EXPECT_EQ(module.CountOfLines(), 16);
    EXPECT_EQ(module.Lines(6, 2), "    mCount = mCount + 1\r\nEnd Sub");
    EXPECT_EQ(module.Lines(17, 0), "");
    module.InsertLines(6, "    ' one\r\n    ' two\r    ' three\n");
    EXPECT_EQ(module.Lines(5, 6),
              "Public Sub Increment()\r\n    ' one\r\n    ' two\r\n    ' three\r\n\r\n"
              "    mCount = mCount + 1");
    module.InsertLines(1, "");
    EXPECT_EQ(module.Lines(1, 2), "\r\nOption Explicit");
    module.InsertLines(module.CountOfLines() + 1, "' appended");
    EXPECT_EQ(module.Lines(module.CountOfLines(), 1), "' appended");
    EXPECT_EQ(module.CountOfLines(), 22);

    CodeModule& made = project.AddComponent("M", vbext_ct_StdModule, "a\nb\rc\r\n").CodeModule();
    EXPECT_EQ(VisibleText(made), "a\r\nb\r\nc\r\n");
    EXPECT_EQ(project.AddComponent("E", vbext_ct_StdModule, "").CodeModule().CountOfLines(), 0);
}

TEST_F(CodeModuleTest, BadArgumentsRaiseTheIdesNumbersAndChangeNothing) {
    auto& resources = project.AddComponentWithoutCode("Resources", vbext_ct_ResFile);
    // The line after the last is a place to select; an end before the start is swapped.
    Select(module, {1, 1, 17, 1});
    EXPECT_EQ(Selected(module), (Selection{1, 1, 17, 1}));
    Select(module, {9, 4, 2, 3});
    vbext_ProcKind kind = vbext_pk_Proc;
    std::int32_t line = 1, column = 1;
    const struct {
        std::function<void()> call;
        std::int32_t number;
        std::string_view source;
    } cases[] = {
        {[&] { module.Lines(0, 1); }, 9, "CodeModule.Lines"},
        {[&] { module.Lines(1, -1); }, 5, "CodeModule.Lines"},
        {[&] { module.InsertLines(18, "x"); }, 9, "CodeModule.InsertLines"},
        {[&] { module.DeleteLines(15, 3); }, 9, "CodeModule.DeleteLines"},
        {[&] { module.DeleteLines(1, 0); }, 5, "CodeModule.DeleteLines"},
        {[&] { module.ProcOfLine(17, kind); }, 9, "CodeModule.ProcOfLine"},
        {[&] { module.ProcStartLine("Nothing", vbext_pk_Proc); }, 35, "CodeModule.ProcStartLine"},
        {[&] { module.ProcCountLines("Count", vbext_pk_Set); }, 35, "CodeModule.ProcCountLines"},
        {[&] { module.ProcBodyLine("Count", static_cast<vbext_ProcKind>(7)); }, 5,
         "CodeModule.ProcBodyLine"},
        {[&] { module.Find("", line, column, line, column); }, 5, "CodeModule.Find"},
        {[&] { module.Members().Item(0); }, 9, "Members.Item"},
        {[&] { project.VBComponents().Item(3); }, 9, "VBComponents.Item"},
        {[&] { resources.CodeModule(); }, 91, "VBComponent.CodeModule"},
        {[&] { module.CodePane().SetSelection(1, 1, 18, 1); }, 9, "CodePane.SetSelection"},
        {[&] { module.CodePane().SetSelection(1, 0, 1, 1); }, 5, "CodePane.SetSelection"},
    };
    for (const auto& c : cases) {
        try {
            c.call();
            ADD_FAILURE() << c.source << " raised nothing";
        } catch (const VbError& e) {
            EXPECT_EQ(e.Number(), c.number) << c.source;
            EXPECT_EQ(e.Source(), "VBIDE." + std::string(c.source));
        }
    }
    EXPECT_EQ(module.CountOfLines(), 16);
    EXPECT_EQ(Selected(module), (Selection{2, 3, 9, 4}));
}

// The selection stays on its text through edits above, inside and below it. Deleting the lines
// that hold its end (or end at column 1 after them) ends it at the end of the line above; one
// wholly in them is left empty, its end before its start.
TEST_F(CodeModuleTest, SelectionFollowsItsTextThroughEdits) {
    const struct {
        Selection select;  // made before the edit unless all zero
        std::int32_t line;
        std::string_view inserted;
        std::int32_t deleted;
        Selection after;
    } steps[] = {
        {{6, 5, 7, 8}, 2, "' a\r\n' b", 0, {8, 5, 9, 8}},
        {{}, 8, "' at the start line", 0, {9, 5, 10, 8}},
        {{}, 1, "", 3, {6, 5, 7, 8}},
        {{}, 8, "' below", 0, {6, 5, 7, 8}},
        {{}, 9, "", 1, {6, 5, 7, 8}},
        {{5, 1, 11, 13}, 7, "    ' one\r\n    ' two", 0, {5, 1, 13, 13}},
        {{}, 13, "    ' before the end line", 0, {5, 1, 14, 13}},
        {{}, 7, "", 3, {5, 1, 11, 13}},
        {{}, 10, "", 4, {5, 1, 9, 18}},
        {{}, 4, "", 3, {4, 1, 6, 18}},
        {{3, 2, 5, 1}, 3, "", 2, {3, 1, 2, 0}},
        {{}, 3, "' inserted where it was", 0, {4, 1, 2, 0}},
        {{1, 1, 2, 1}, 1, "", 1, {1, 1, 0, 1}},
    };
    for (const auto& step : steps) {
        if (step.select[0] != 0) {
            Select(module, step.select);
        }
        if (step.deleted > 0) {
            module.DeleteLines(step.line, step.deleted);
        } else {
            module.InsertLines(step.line, step.inserted);
        }
        EXPECT_EQ(Selected(module), step.after) << "edit at line " << step.line;
    }
}

// A match begins at or after the start position and may run to the module's end, whatever end
// is passed in; a failed search leaves the position alone.
TEST_F(CodeModuleTest, FindFromTheStartToTheModulesEnd) {
    const struct {
        std::string_view target;
        std::int32_t line, column;
        bool wholeWord, matchCase;
        Selection found;  // all zero: not found
    } cases[] = {
        {"mcount", 1, 1, false, false, {2, 9, 2, 15}},
        {"mcount", 2, 10, false, false, {6, 5, 6, 11}},
        {"MCOUNT", 1, 1, false, true, {}},
        {"mCount", 1, 1, false, true, {2, 9, 2, 15}},
        {"count", 1, 1, true, false, {9, 21, 9, 26}},
        {"End", 16, 1, false, false, {}},
        // A first byte that is no letter: the second " = m" is the match, in any case.
        {" = MCOUNT", 6, 12, false, false, {10, 10, 10, 19}},
        // A letter first: candidates in both cases are passed over until one matches.
        {"count = m", 1, 1, false, false, {6, 6, 6, 15}},
    };
    for (const auto& c : cases) {
        Selection s{c.line, c.column, 1, 1};
        bool found = module.Find(c.target, s[0], s[1], s[2], s[3], c.wholeWord, c.matchCase);
        EXPECT_EQ(found, c.found[0] != 0) << c.target << " from " << c.line;
        EXPECT_EQ(s, (found ? c.found : Selection{c.line, c.column, 1, 1}))
            << c.target << " from " << c.line;
    }
}

// Find folds only ASCII letters and never a second byte; FromUnicode gives the module's code
// page (what the code page cannot hold is the code page suite's).
TEST(CodeModuleCodePages, FindAndFromUnicode) {
    MemoryProject project;
    auto& western = project.AddComponent("W", vbext_ct_StdModule, "' caf\xC9 caf\xE9\r\n");
    std::int32_t sl = 1, sc = 1, el = 1, ec = 1;
    ASSERT_TRUE(western.CodeModule().Find("CAF\xE9", sl, sc, el, ec));
    EXPECT_EQ(sc, 8);
    // A line replaced or inserted is searched by its new text.
    western.Code()->ReplaceLine(1, "' Brindle: SKIP");
    western.CodeModule().InsertLines(2, "x = 1\r\n' [Brindle Begin]");
    sl = 1, sc = 1;
    ASSERT_TRUE(western.CodeModule().Find("skip", sl, sc, el, ec));
    EXPECT_EQ(sc, 12);
    ASSERT_TRUE(western.CodeModule().Find("[brindle b", sl, sc, el, ec));
    EXPECT_EQ(std::pair(sl, sc), std::pair(3, 3));
    EXPECT_EQ(western.CodeModule().FromUnicode("Ren\xC3\xA9 \xE2\x82\xAC"), "Ren\xE9 \x80");
    // "ア" is 0x83 0x41 in Shift-JIS: its second byte is no "A".
    auto& japanese = project.AddComponent("J", vbext_ct_StdModule, "' \x83\x41 a\r\n");
    japanese.SetCodePage(932);
    sl = 1, sc = 1;
    ASSERT_TRUE(japanese.CodeModule().Find("A", sl, sc, el, ec));
    EXPECT_EQ(sc, 6);
    // Looked for by its rarer "[", "A[" still begins only where a character begins.
    japanese.CodeModule().InsertLines(2, "' \x83\x41[ A[");
    sl = 1, sc = 1;
    ASSERT_TRUE(japanese.CodeModule().Find("A[", sl, sc, el, ec));
    EXPECT_EQ(std::pair(sl, sc), std::pair(2, 7));
    EXPECT_EQ(japanese.CodeModule().FromUnicode("\xE3\x82\xA2\xE2\x82\xAC"), "\x83\x41?");
    japanese.SetCodePage(65001);
    EXPECT_EQ(japanese.CodeModule().FromUnicode("Ren\xC3\xA9"), "Ren\xC3\xA9");
}

// Undo puts back every byte of a command's step: the lines, their breaks and the member
// attribute lines that a deletion dropped or moved. Edits outside a step run together until
// the step is closed.
TEST(CodeModuleUndo, StepsComeBackByteForByte) {
    const std::string file =
        "VERSION 1.0 CLASS\r\nBEGIN\r\n  MultiUse = -1  'True\r\nEND\r\n"
        "Attribute VB_Name = \"C\"\r\n"
        "' note\r\nAttribute mNote.VB_VarHelpID = -1\r\n"
        "Public Property Get Item() As Long\r\nAttribute Item.VB_UserMemId = 0\r\n"
        "End Property\n\r\n";
    auto component = ParseModule(file, "C.cls", 1252);
    auto& module = *component->Code();
    UndoHistory history(module);
    history.BeginStep("Remove Code");
    module.DeleteLines(1, 1);  // its attribute line moves to the line below
    module.DeleteLines(1, 1);  // the declaration goes with its attribute
    module.InsertLines(1, "' [Brindle Begin]");
    history.EndStep();
    module.ReplaceLine(2, "End Sub");
    module.ReplaceLine(2, "End Function");
    EXPECT_EQ(history.UndoName(), "Typing");
    EXPECT_EQ(history.Undo(), 2);
    EXPECT_EQ(history.UndoName(), "Remove Code");
    EXPECT_EQ(history.Undo(), 1);
    EXPECT_EQ(component->Serialize(), file);
    EXPECT_FALSE(history.CanUndo());
    history.Redo();
    EXPECT_EQ(VisibleText(module), "' [Brindle Begin]\r\nEnd Property\r\n\r\n");
    history.Redo();
    EXPECT_EQ(module.Lines(2, 1), "End Function");
    EXPECT_THROW(module.ReplaceLine(1, "a\r\nb"), VbError);
}

std::vector<CodeLine> Lines(int first, std::size_t count) {
    std::vector<CodeLine> lines;
    for (std::size_t i = 0; i < count; ++i) {
        lines.push_back({std::to_string(first + static_cast<int>(i)), LineBreak::None, nullptr});
    }
    return lines;
}

std::vector<std::string> Texts(const LineStore& store) {
    std::vector<std::string> texts;
    for (const CodeLine& line : store) {
        texts.push_back(line.text.str());
    }
    return texts;
}

// The block store, against a plain vector doing the same edits.
TEST(LineStore, EditsAcrossBlocksKeepOrderAndIndexes) {
    LineStore store(Lines(0, 1500));
    std::vector<std::string> model = Texts(store);
    std::mt19937 random(11);
    int next = 100000;
    for (int step = 0; step < 2000; ++step) {
        auto pick = [&](std::size_t n) {
            return std::uniform_int_distribution<std::size_t>(0, n)(random);
        };
        std::size_t at = pick(model.size());
        if (step % 3 == 0 && !model.empty()) {
            at = std::min(at, model.size() - 1);
            std::size_t count = std::min(pick(700) + 1, model.size() - at);
            store.Erase(at, count);
            model.erase(model.begin() + static_cast<std::ptrdiff_t>(at),
                        model.begin() + static_cast<std::ptrdiff_t>(at + count));
        } else {
            std::size_t count = pick(step % 50 == 0 ? 900 : 3) + 1;
            auto added = Lines(next, count);
            for (const CodeLine& line : added) {
                model.insert(model.begin() + static_cast<std::ptrdiff_t>(at++), line.text.str());
            }
            store.Insert(at - count, std::move(added));
            next += static_cast<int>(count);
        }
        ASSERT_EQ(store.size(), model.size());
        if (!model.empty()) {
            std::size_t probe = pick(model.size() - 1);
            ASSERT_EQ(store[probe].text, model[probe]) << "step " << step;
            auto walk = store.At(probe);
            for (std::size_t i = probe; i < std::min(model.size(), probe + 300); ++i, ++walk) {
                ASSERT_EQ(walk->text, model[i]) << "step " << step << ", from " << probe;
            }
        }
    }
    EXPECT_EQ(Texts(store), model);
    store.Erase(0, store.size());
    EXPECT_TRUE(store.empty());
    EXPECT_EQ(store.begin(), store.end());
    store.Insert(0, Lines(1, 2));
    EXPECT_EQ(Texts(store), (std::vector<std::string>{"1", "2"}));
}

}  // namespace
}  // namespace brindle::host

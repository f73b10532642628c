// The code module and its pane as the core uses them: lines, edits, selection, Find, code pages
// and the IDE's error numbers.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "host/files/ModuleFile.h"
#include "host/ide/MemoryProject.h"
#include "host/ide/UndoHistory.h"
#include "model/VbError.h"

namespace brindle::host {
namespace {

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

struct Selection {
    std::int32_t startLine, startColumn, endLine, endColumn;
    bool operator==(const Selection&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Selection& s) {
    return out << s.startLine << "," << s.startColumn << " - " << s.endLine << "," << s.endColumn;
}

Selection Selected(CodeModule& module) {
    Selection s{};
    module.CodePane().GetSelection(s.startLine, s.startColumn, s.endLine, s.endColumn);
    return s;
}

void Select(CodeModule& module, Selection s) {
    module.CodePane().SetSelection(s.startLine, s.startColumn, s.endLine, s.endColumn);
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

// The selection stays on its text: edits above move it, edits inside widen or shrink it, edits
// below leave it. Deleting the lines that hold its end brings the end to the end of the line
// above them; an end at column 1 of the line after them holds nothing of it and goes too. A
// selection that lay wholly in them is left empty, its end before its start.
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
        if (step.select.startLine != 0) {
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
        bool found = module.Find(c.target, s.startLine, s.startColumn, s.endLine, s.endColumn,
                                 c.wholeWord, c.matchCase);
        EXPECT_EQ(found, c.found.startLine != 0) << c.target << " from " << c.line;
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

}  // namespace
}  // namespace brindle::host

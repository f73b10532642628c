// The code module, its pane and its members as the core uses them: lines, edits, spans after
// edits, selection, Find, conversions and failures.

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "host/MemoryProject.h"
#include "host/model/VbError.h"

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

// The number and source of the failure `call` raises; 0 when it raises none.
std::pair<std::int32_t, std::string> Failure(const std::function<void()>& call) {
    try {
        call();
    } catch (const VbError& e) {
        return {e.Number(), e.Source()};
    }
    return {0, ""};
}

struct Selection {
    std::int32_t startLine, startColumn, endLine, endColumn;
    bool operator==(const Selection&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Selection& s) {
    return out << s.startLine << "," << s.startColumn << " - " << s.endLine << "," << s.endColumn;
}

class CodeModuleTest : public ::testing::Test {
protected:
    Selection Selected() {
        Selection s{};
        module.CodePane().GetSelection(s.startLine, s.startColumn, s.endLine, s.endColumn);
        return s;
    }
    void Select(Selection s) {
        module.CodePane().SetSelection(s.startLine, s.startColumn, s.endLine, s.endColumn);
    }

    MemoryProject project;
    MemoryComponent& component = project.AddComponent("Counter", vbext_ct_ClassModule, kModule);
    CodeModule& module = component.CodeModule();
};

TEST_F(CodeModuleTest, LinesAndSpans) {
    EXPECT_EQ(module.CountOfLines(), 16);
    EXPECT_EQ(module.Lines(5, 1), "Public Sub Increment()");
    EXPECT_EQ(module.Lines(6, 2), "    mCount = mCount + 1\r\nEnd Sub");
    EXPECT_EQ(module.Lines(17, 0), "");
    EXPECT_EQ(module.ProcStartLine("increment", vbext_pk_Proc), 3);
    EXPECT_EQ(module.ProcBodyLine("Increment", vbext_pk_Proc), 5);
    EXPECT_EQ(module.ProcCountLines("Increment", vbext_pk_Proc), 5);
    EXPECT_EQ(module.ProcStartLine("Count", vbext_pk_Get), 8);
    EXPECT_EQ(module.ProcStartLine("Count", vbext_pk_Let), 12);
    EXPECT_EQ(module.ProcCountLines("Count", vbext_pk_Let), 5);
    vbext_ProcKind kind = vbext_pk_Get;
    EXPECT_EQ(module.ProcOfLine(2, kind), "");
    EXPECT_EQ(kind, vbext_pk_Proc);
    EXPECT_EQ(module.ProcOfLine(12, kind), "Count");
    EXPECT_EQ(kind, vbext_pk_Let);
    EXPECT_EQ(&module.Parent(), &component);
    EXPECT_EQ(&module.CodePane().CodeModule(), &module);
}

TEST_F(CodeModuleTest, InsertLinesBreaksTextAtEveryKindOfBreak) {
    module.InsertLines(6, "    ' one\r\n    ' two\r    ' three\n");
    EXPECT_EQ(module.Lines(6, 4), "    ' one\r\n    ' two\r\n    ' three\r\n");
    EXPECT_EQ(module.ProcCountLines("Increment", vbext_pk_Proc), 9);
    EXPECT_EQ(module.ProcBodyLine("Count", vbext_pk_Get), 13);
    module.DeleteLines(6, 4);
    EXPECT_EQ(module.ProcBodyLine("Count", vbext_pk_Get), 9);
    module.InsertLines(1, "");
    EXPECT_EQ(module.Lines(1, 2), "\r\nOption Explicit");
    module.InsertLines(module.CountOfLines() + 1, "' appended");
    EXPECT_EQ(module.Lines(module.CountOfLines(), 1), "' appended");
    EXPECT_EQ(module.ProcCountLines("Count", vbext_pk_Let), 6);
}

TEST_F(CodeModuleTest, OutOfRangeAndBadArgumentsRaiseTheIdesNumbers) {
    using Result = std::pair<std::int32_t, std::string>;
    vbext_ProcKind kind = vbext_pk_Proc;
    EXPECT_EQ(Failure([&] { module.Lines(0, 1); }), Result(9, "VBIDE.CodeModule.Lines"));
    EXPECT_EQ(Failure([&] { module.Lines(16, 2); }), Result(9, "VBIDE.CodeModule.Lines"));
    EXPECT_EQ(Failure([&] { module.Lines(1, -1); }), Result(5, "VBIDE.CodeModule.Lines"));
    EXPECT_EQ(Failure([&] { module.InsertLines(18, "x"); }),
              Result(9, "VBIDE.CodeModule.InsertLines"));
    EXPECT_EQ(Failure([&] { module.DeleteLines(17, 1); }),
              Result(9, "VBIDE.CodeModule.DeleteLines"));
    EXPECT_EQ(Failure([&] { module.DeleteLines(15, 3); }),
              Result(9, "VBIDE.CodeModule.DeleteLines"));
    EXPECT_EQ(Failure([&] { module.DeleteLines(1, 0); }),
              Result(5, "VBIDE.CodeModule.DeleteLines"));
    EXPECT_EQ(Failure([&] { module.ProcOfLine(0, kind); }),
              Result(9, "VBIDE.CodeModule.ProcOfLine"));
    EXPECT_EQ(Failure([&] { module.ProcOfLine(17, kind); }),
              Result(9, "VBIDE.CodeModule.ProcOfLine"));
    EXPECT_EQ(Failure([&] { module.ProcStartLine("Nothing", vbext_pk_Proc); }),
              Result(35, "VBIDE.CodeModule.ProcStartLine"));
    EXPECT_EQ(Failure([&] { module.ProcCountLines("Count", vbext_pk_Set); }),
              Result(35, "VBIDE.CodeModule.ProcCountLines"));
    EXPECT_EQ(Failure([&] { module.ProcBodyLine("Count", static_cast<vbext_ProcKind>(7)); }),
              Result(5, "VBIDE.CodeModule.ProcBodyLine"));
    EXPECT_EQ(Failure([&] { module.Members().Item(0); }), Result(9, "VBIDE.Members.Item"));
    EXPECT_EQ(Failure([&] { project.VBComponents().Item(2); }),
              Result(9, "VBIDE.VBComponents.Item"));
    auto& resources = project.AddComponentWithoutCode("Resources", vbext_ct_ResFile);
    EXPECT_EQ(Failure([&] { resources.CodeModule(); }), Result(91, "VBIDE.VBComponent.CodeModule"));
    EXPECT_EQ(module.CountOfLines(), 16) << "a failed edit changes nothing";
}

TEST_F(CodeModuleTest, SelectionMovesWithInsertionsAndDeletionsAbove) {
    Select({6, 5, 7, 8});
    module.InsertLines(2, "' a\r\n' b");
    EXPECT_EQ(Selected(), (Selection{8, 5, 9, 8}));
    module.InsertLines(8, "' at the start line");
    EXPECT_EQ(Selected(), (Selection{9, 5, 10, 8}));
    module.DeleteLines(1, 3);
    EXPECT_EQ(Selected(), (Selection{6, 5, 7, 8}));
    module.InsertLines(8, "' below");
    module.DeleteLines(9, 1);
    EXPECT_EQ(Selected(), (Selection{6, 5, 7, 8}));
}

TEST_F(CodeModuleTest, SelectionWidensAndShrinksWithEditsInside) {
    Select({5, 1, 11, 13});
    module.InsertLines(7, "    ' one\r\n    ' two");
    EXPECT_EQ(Selected(), (Selection{5, 1, 13, 13}));
    module.InsertLines(13, "    ' before the end line");
    EXPECT_EQ(Selected(), (Selection{5, 1, 14, 13}));
    module.DeleteLines(7, 3);
    EXPECT_EQ(Selected(), (Selection{5, 1, 11, 13}));
    // Deleting the lines that hold the selection's end brings it to the start of what follows.
    module.DeleteLines(10, 4);
    EXPECT_EQ(Selected(), (Selection{5, 1, 10, 1}));
    module.DeleteLines(4, 3);
    EXPECT_EQ(Selected(), (Selection{4, 1, 7, 1}));
}

TEST_F(CodeModuleTest, SetSelectionTakesTheLineAfterTheLast) {
    Select({1, 1, module.CountOfLines() + 1, 1});
    EXPECT_EQ(Selected(), (Selection{1, 1, 17, 1}));
    Select({9, 4, 2, 3});
    EXPECT_EQ(Selected(), (Selection{2, 3, 9, 4}));
    using Result = std::pair<std::int32_t, std::string>;
    EXPECT_EQ(Failure([&] { Select({1, 1, 18, 1}); }), Result(9, "VBIDE.CodePane.SetSelection"));
    EXPECT_EQ(Failure([&] { Select({0, 1, 1, 1}); }), Result(9, "VBIDE.CodePane.SetSelection"));
    EXPECT_EQ(Failure([&] { Select({1, 0, 1, 1}); }), Result(5, "VBIDE.CodePane.SetSelection"));
    EXPECT_EQ(Selected(), (Selection{2, 3, 9, 4}));
}

TEST_F(CodeModuleTest, FindSearchesToTheModulesEndWhateverEndIsPassed) {
    std::int32_t sl = 1, sc = 1, el = 1, ec = 1;
    ASSERT_TRUE(module.Find("mcount", sl, sc, el, ec));
    EXPECT_EQ((Selection{sl, sc, el, ec}), (Selection{2, 9, 2, 15}));
    // A match must begin at or after the start position.
    sc = 10;
    el = ec = 1;
    ASSERT_TRUE(module.Find("mcount", sl, sc, el, ec));
    EXPECT_EQ((Selection{sl, sc, el, ec}), (Selection{6, 5, 6, 11}));
    sl = 6, sc = 6;
    ASSERT_TRUE(module.Find("MCOUNT", sl, sc, el, ec));
    EXPECT_EQ((Selection{sl, sc, el, ec}), (Selection{6, 14, 6, 20}));
    sl = 1, sc = 1;
    EXPECT_FALSE(module.Find("MCOUNT", sl, sc, el, ec, false, true));
    EXPECT_EQ((Selection{sl, sc, el, ec}), (Selection{1, 1, 6, 20})) << "untouched";
    ASSERT_TRUE(module.Find("mCount", sl, sc, el, ec, false, true));
    EXPECT_EQ(sl, 2);
    sl = 1, sc = 1;
    ASSERT_TRUE(module.Find("count", sl, sc, el, ec, true));
    EXPECT_EQ((Selection{sl, sc, el, ec}), (Selection{9, 21, 9, 26}));
    sl = 16, sc = 1;
    EXPECT_FALSE(module.Find("End", sl, sc, el, ec));
    EXPECT_EQ(Failure([&] { module.Find("", sl, sc, el, ec); }).first, 5);
}

TEST(CodeModuleBytes, FindFoldsOnlyAsciiLettersAndNeverASecondByte) {
    MemoryProject project;
    auto& western = project.AddComponent("W", vbext_ct_StdModule, "' caf\xC9 caf\xE9\r\n");
    std::int32_t sl = 1, sc = 1, el = 1, ec = 1;
    ASSERT_TRUE(western.CodeModule().Find("CAF\xE9", sl, sc, el, ec));
    EXPECT_EQ(sc, 8);
    // "ア" is 0x83 0x41 in Shift-JIS: its second byte is no "A".
    auto& japanese = project.AddComponent("J", vbext_ct_StdModule, "' \x83\x41 a\r\n");
    japanese.SetCodePage(932);
    sl = 1, sc = 1;
    ASSERT_TRUE(japanese.CodeModule().Find("A", sl, sc, el, ec));
    EXPECT_EQ(sc, 6);
}

TEST(CodeModuleBytes, FromUnicodeGivesTheModulesCodePage) {
    MemoryProject project;
    auto& component = project.AddComponent("M", vbext_ct_StdModule, "");
    CodeModule& module = component.CodeModule();
    EXPECT_EQ(module.FromUnicode("Ren\xC3\xA9 \xE2\x82\xAC \xCE\xA9 \xF0\x9F\x98\x80 x"),
              "Ren\xE9 \x80 ? ? x");
    EXPECT_EQ(module.FromUnicode("bad \xC3 byte"), "bad ? byte");
    component.SetCodePage(932);
    EXPECT_EQ(module.FromUnicode("\xE3\x82\xA2\xE2\x82\xAC"), "\x83\x41?");
    component.SetCodePage(65001);
    EXPECT_EQ(module.FromUnicode("Ren\xC3\xA9"), "Ren\xC3\xA9");
    EXPECT_EQ(module.CountOfLines(), 0);
}

TEST(CodeModuleText, VisibleTextEndsEveryLineWithCrLf) {
    MemoryProject project;
    CodeModule& module = project.AddComponent("M", vbext_ct_StdModule, "a\nb\rc\r\n").CodeModule();
    EXPECT_EQ(module.CountOfLines(), 3);
    EXPECT_EQ(VisibleText(module), "a\r\nb\r\nc\r\n");
}

// After any edit the index answers as a fresh scan of the same text does, whether it followed
// the edit or was rebuilt.
TEST(CodeModuleIndex, EditsAnswerAsAFreshScan) {
    std::string code = "Option Explicit\r\nPrivate mValue As Long\r\n";
    for (int i = 0; i < 12; ++i) {
        std::string name = "P" + std::to_string(i);
        code += "\r\n' " + name + "\r\nPublic Function " + name + "(ByVal a As Long, _\r\n" +
                "    ByVal b As Long) As Long\r\n    " + name + " = a + b\r\nEnd Function\r\n";
    }
    const std::vector<std::string> pieces = {
        "' comment",
        "",
        "    x = 1",
        "    On Error GoTo ErrHandler\r\n    Exit Function\r\nErrHandler:",
        "' note _",
        "Sub Inserted()\r\nEnd Sub",
        "End Function",
        "#If A Then",
        "Private y As Long",
        "    s = \"End Function\" ' End Function",
        "Dim z: z = 1",
        "    Call Foo(a, _",
        "    Err.Raise 5, _\r\n        \"Source\"",
        "' swallows _\r\nEnd Function"};
    MemoryProject project;
    auto& module = *project.AddComponent("M", vbext_ct_StdModule, code).Code();
    std::mt19937 random(7);
    for (int step = 0; step < 400; ++step) {
        auto pick = [&](std::size_t n) {
            return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
        };
        auto line =
            static_cast<std::int32_t>(pick(static_cast<std::size_t>(module.CountOfLines()))) + 1;
        if (pick(3) == 0 && module.CountOfLines() > 20) {
            module.DeleteLines(line, std::min<std::int32_t>(static_cast<std::int32_t>(pick(3)) + 1,
                                                            module.CountOfLines() - line + 1));
        } else {
            module.InsertLines(line, pieces[pick(pieces.size())]);
        }
        MemoryProject fresh;
        auto& expected = *fresh.AddComponent("M", vbext_ct_StdModule, VisibleText(module)).Code();
        auto describe = [](MemoryCodeModule& m) {
            std::vector<std::string> text;
            for (const ProcedureInfo& info : m.Procedures()) {
                const Procedure& p = info.procedure;
                text.push_back(p.name + " " + std::to_string(p.startLine) + " " +
                               std::to_string(p.bodyLine) + " " + std::to_string(p.declLastLine) +
                               " " + std::to_string(p.endLine) + " " +
                               std::to_string(info.lastLine));
            }
            for (const DeclaredMember& member : m.DeclaredMembers()) {
                text.push_back(member.name + " " + std::to_string(member.line));
            }
            return text;
        };
        ASSERT_EQ(describe(module), describe(expected)) << "after step " << step;
    }
}

}  // namespace
}  // namespace brindle::host

// The statement scanner's rules, one group of real-world forms at a time, seen through the
// code module's answers.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/MemoryProject.h"
#include "host/model/VbError.h"

namespace brindle::host {
namespace {

// name, kind, start line, body line, End line, last line of the span.
struct Span {
    std::string name;
    vbext_ProcKind kind;
    std::int32_t start, body, end, last;
    bool operator==(const Span&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Span& s) {
    return out << s.name << "/" << s.kind << " start " << s.start << " body " << s.body << " end "
               << s.end << " last " << s.last;
}

class ScannerTest : public ::testing::Test {
protected:
    MemoryCodeModule& Module(std::vector<std::string_view> lines) {
        std::string code;
        for (std::string_view line : lines) {
            code.append(line).append("\r\n");
        }
        return *project.AddComponent("Module" + std::to_string(++count), vbext_ct_StdModule, code)
                    .Code();
    }

    static std::vector<Span> Spans(MemoryCodeModule& module) {
        std::vector<Span> spans;
        for (const ProcedureInfo& info : module.Procedures()) {
            const Procedure& p = info.procedure;
            spans.push_back({p.name, p.kind, p.startLine, p.bodyLine, p.endLine, info.lastLine});
        }
        return spans;
    }

    static std::string Owner(MemoryCodeModule& module, std::int32_t line) {
        vbext_ProcKind kind = vbext_pk_Proc;
        return module.ProcOfLine(line, kind);
    }

    MemoryProject project;
    int count = 0;
};

TEST_F(ScannerTest, ScopeKeywordsStaticAndNone) {
    auto& m = Module({
        "Sub Main()",                       // 1
        "End Sub",                          // 2
        "Private Sub A()",                  // 3
        "End Sub",                          // 4
        "Public Function B() As Long",      // 5
        "End Function",                     // 6
        "Friend Property Get C() As Long",  // 7
        "End Property",                     // 8
        "Public Static Sub D()",            // 9
        "    Static calls As Long",         // 10
        "End Sub",                          // 11
        "Static Function E()",              // 12
        "End Function",                     // 13
        "Global Sub F()",                   // 14
        "End Sub",                          // 15
    });
    EXPECT_EQ(Spans(m), (std::vector<Span>{{"Main", vbext_pk_Proc, 1, 1, 2, 2},
                                           {"A", vbext_pk_Proc, 3, 3, 4, 4},
                                           {"B", vbext_pk_Proc, 5, 5, 6, 6},
                                           {"C", vbext_pk_Get, 7, 7, 8, 8},
                                           {"D", vbext_pk_Proc, 9, 9, 11, 11},
                                           {"E", vbext_pk_Proc, 12, 12, 13, 13},
                                           {"F", vbext_pk_Proc, 14, 14, 15, 15}}));
}

TEST_F(ScannerTest, AnyLetterCaseTabsAndIrregularSpacing) {
    auto& m = Module({
        "PRIVATE SUB Shout ( )",
        "end sub",
        "\tpublic\t  function   Tabbed$(ByVal x As Long)",
        "  END   FUNCTION",
        "   property   let   Value(ByVal v As Long)",
        "\tEnd Property",
    });
    EXPECT_EQ(Spans(m), (std::vector<Span>{{"Shout", vbext_pk_Proc, 1, 1, 2, 2},
                                           {"Tabbed", vbext_pk_Proc, 3, 3, 4, 4},
                                           {"Value", vbext_pk_Let, 5, 5, 6, 6}}));
    EXPECT_EQ(m.ProcBodyLine("SHOUT", vbext_pk_Proc), 1);
}

// Blank and comment lines above a declaration belong to the procedure below; the first
// procedure starts after the declarations section's last statement; the last runs to the end.
TEST_F(ScannerTest, SpansAsTheIdeGivesThem) {
    auto& m = Module({
        "Option Explicit",     // 1
        "Private x As Long",   // 2
        "",                    // 3
        "' About First.",      // 4
        "Sub First()",         // 5
        "End Sub",             // 6
        "",                    // 7
        "'' About Second",     // 8
        "Sub Second()",        // 9
        "    x = 1",           // 10
        "End Sub",             // 11
        "' trailing comment",  // 12
        "",                    // 13
    });
    EXPECT_EQ(Spans(m), (std::vector<Span>{{"First", vbext_pk_Proc, 3, 5, 6, 6},
                                           {"Second", vbext_pk_Proc, 7, 9, 11, 13}}));
    EXPECT_EQ(Owner(m, 2), "");
    EXPECT_EQ(Owner(m, 3), "First");
    EXPECT_EQ(Owner(m, 7), "Second");
    EXPECT_EQ(Owner(m, 13), "Second");
    EXPECT_EQ(m.ProcCountLines("Second", vbext_pk_Proc), 7);
}

TEST_F(ScannerTest, PropertyProceduresAreSeparateSpansAndOneMember) {
    auto& m = Module({
        "Private mName As String",                          // 1
        "Public Property Get Name() As String",             // 2
        "    Name = mName",                                 // 3
        "End Property",                                     // 4
        "Public Property Let Name(ByVal value As String)",  // 5
        "    mName = value",                                // 6
        "End Property",                                     // 7
        "Public Property Set Name(ByVal value As Object)",  // 8
        "End Property",                                     // 9
    });
    EXPECT_EQ(m.ProcBodyLine("name", vbext_pk_Get), 2);
    EXPECT_EQ(m.ProcBodyLine("name", vbext_pk_Let), 5);
    EXPECT_EQ(m.ProcBodyLine("name", vbext_pk_Set), 8);
    vbext_ProcKind kind = vbext_pk_Proc;
    EXPECT_EQ(m.ProcOfLine(6, kind), "Name");
    EXPECT_EQ(kind, vbext_pk_Let);
    EXPECT_EQ(m.Members().Count(), 2);
    EXPECT_EQ(m.Members().Item("NAME")->Type(), vbext_mt_Property);
    EXPECT_THROW(m.ProcBodyLine("Name", vbext_pk_Proc), VbError);
}

TEST_F(ScannerTest, DeclareIsAMethodWithoutASpan) {
    auto& m = Module({
        "Private Declare Sub Sleep Lib \"kernel32\" (ByVal ms As Long)",
        "Public Declare PtrSafe Function GetTickCount Lib \"kernel32\" () As Long",
        "Declare Function Beep& Lib \"kernel32\" (ByVal f As Long, ByVal d As Long)",
        "",
        "Sub Main()",
        "End Sub",
    });
    EXPECT_EQ(Spans(m), (std::vector<Span>{{"Main", vbext_pk_Proc, 4, 5, 6, 6}}));
    EXPECT_EQ(Owner(m, 1), "");
    EXPECT_EQ(m.Members().Item("sleep")->Type(), vbext_mt_Method);
    EXPECT_EQ(m.Members().Item("GetTickCount")->Type(), vbext_mt_Method);
    EXPECT_EQ(m.Members().Item("Beep")->Type(), vbext_mt_Method);
    try {
        m.ProcStartLine("Sleep", vbext_pk_Proc);
        FAIL();
    } catch (const VbError& e) {
        EXPECT_EQ(e.Number(), 35);
    }
}

TEST_F(ScannerTest, MembersOfEveryKindInDeclarationOrder) {
    auto& m = Module({
        "Implements IWidget",
        "Public Event Changed(ByVal what As String)",
        "Private Const A As Long = 1, B = \"x, y\"",
        "Dim first As Long, second(1 To 3, 2) As String",
        "Public WithEvents Button As CommandButton",
        "Global Counter",
        "Private Enum Colour",
        "    Red = 1",
        "    Sub_ = 2",
        "End Enum",
        "Private Type Pair",
        "    Left As Long",
        "    Right As Long",
        "End Type",
        "Public Sub Run()",
        "    Dim local As Long",
        "    Const inner = 3",
        "End Sub",
        "Function Total() As Long",
        "End Function",
    });
    std::vector<std::pair<std::string, vbext_MemberType>> members;
    for (std::int32_t i = 1; i <= m.Members().Count(); ++i) {
        auto member = m.Members().Item(i);
        members.emplace_back(member->Name(), member->Type());
    }
    EXPECT_EQ(members,
              (std::vector<std::pair<std::string, vbext_MemberType>>{{"Changed", vbext_mt_Event},
                                                                     {"A", vbext_mt_Const},
                                                                     {"B", vbext_mt_Const},
                                                                     {"first", vbext_mt_Variable},
                                                                     {"second", vbext_mt_Variable},
                                                                     {"Button", vbext_mt_Variable},
                                                                     {"Counter", vbext_mt_Variable},
                                                                     {"Run", vbext_mt_Method},
                                                                     {"Total", vbext_mt_Method}}));
    EXPECT_EQ(Spans(m).front(), (Span{"Run", vbext_pk_Proc, 15, 15, 18, 18}));
    for (std::string_view unknown : {"local", "Colour", "Red", "Pair", "Left", ""}) {
        try {
            m.Members().Item(unknown);
            ADD_FAILURE() << unknown;
        } catch (const VbError& e) {
            EXPECT_EQ(e.Number(), 5);
            EXPECT_EQ(e.Source(), "VBIDE.Members.Item");
        }
    }
}

TEST_F(ScannerTest, AnEventAndAMethodOfOneNameAreTwoMembers) {
    auto& m = Module({
        "Public Event Connect()",
        "Public Sub Connect()",
        "    RaiseEvent Connect",
        "End Sub",
    });
    ASSERT_EQ(m.Members().Count(), 2);
    EXPECT_EQ(m.Members().Item(1)->Type(), vbext_mt_Event);
    EXPECT_EQ(m.Members().Item(2)->Type(), vbext_mt_Method);
    EXPECT_EQ(m.Members().Item("connect")->Type(), vbext_mt_Event) << "the first declared";
}

TEST_F(ScannerTest, ContinuationsJoinLinesButNotInsideStrings) {
    auto& m = Module({
        "Private Function Joined(ByVal a As Long, _",  // 1
        "                        ByVal b As Long) _",  // 2
        "                        As Long",             // 3
        "    Joined = a + _",                          // 4
        "        b",                                   // 5
        "    Debug.Print \"End Function _\"",          // 6
        "End _",                                       // 7
        "Function",                                    // 8
        "Sub After()",                                 // 9
        "    s = \"text _",                            // 10 (an open string ends the line)
        "End Sub",                                     // 11
    });
    EXPECT_EQ(Spans(m), (std::vector<Span>{{"Joined", vbext_pk_Proc, 1, 1, 7, 8},
                                           {"After", vbext_pk_Proc, 9, 9, 11, 11}}));
    EXPECT_EQ(m.Procedures().front().procedure.declLastLine, 3);
}

TEST_F(ScannerTest, CommentsAndStringsEndNothing) {
    auto& m = Module({
        "Sub Quoted()",                          // 1
        "    s = \"He said \"\"End Sub\"\" \"",  // 2
        "    ' End Sub",                         // 3
        "    Rem End Sub",                       // 4
        "    x = 1: REM End Sub",                // 5
        "    x = 2 ' a comment that goes on _",  // 6
        "End Sub",                               // 7 (swallowed by the comment)
        "    Rem this one too _",                // 8
        "    End Sub",                           // 9 (swallowed)
        "    Remark = 1",                        // 10 (a variable, not Rem)
        "    x = \"'\": End Sub",                // 11
        "'______________________",               // 12 (no blank before the underscore)
        "Sub Next_()",                           // 13
        "End Sub",                               // 14
    });
    EXPECT_EQ(Spans(m), (std::vector<Span>{{"Quoted", vbext_pk_Proc, 1, 1, 11, 11},
                                           {"Next_", vbext_pk_Proc, 12, 13, 14, 14}}));
}

TEST_F(ScannerTest, LabelsLineNumbersAndColons) {
    auto& m = Module({
        "Public Sub Numbered()",                     // 1
        "10    On Error GoTo 100",                   // 2
        "20    x = 1: y = 2",                        // 3
        "Retry:",                                    // 4
        "      Exit Sub",                            // 5
        "100   MsgBox Erl",                          // 6
        "110 End Sub",                               // 7
        "Private Sub OneLine(): x = 1: End Sub",     // 8
        "Private Sub Twin(): End Sub",               // 9
        "Sub Named(a, b): Call Foo(x:=1): End Sub",  // 10
    });
    EXPECT_EQ(Spans(m), (std::vector<Span>{{"Numbered", vbext_pk_Proc, 1, 1, 7, 7},
                                           {"OneLine", vbext_pk_Proc, 8, 8, 8, 8},
                                           {"Twin", vbext_pk_Proc, 9, 9, 9, 9},
                                           {"Named", vbext_pk_Proc, 10, 10, 10, 10}}));
    EXPECT_EQ(m.ProcCountLines("OneLine", vbext_pk_Proc), 1);
}

// Directives closing a block of declarations belong to the declarations section; a #Const
// or an #If right above a procedure belongs to it.
TEST_F(ScannerTest, DirectivesAroundDeclarationsAndProcedures) {
    auto& m = Module({
        "#Const DEBUGGING = 1",                                                   // 1
        "#If VBA7 Then",                                                          // 2
        "Private Declare PtrSafe Sub Sleep Lib \"kernel32\" (ByVal ms As Long)",  // 3
        "#Else",                                                                  // 4
        "Private Declare Sub Sleep Lib \"kernel32\" (ByVal ms As Long)",          // 5
        "#End If",                                                                // 6
        "",                                                                       // 7
        "#Const TRACE = 0",                                                       // 8
        "Sub First()",                                                            // 9
        "#If TRACE Then",                                                         // 10
        "    Debug.Print \"First\"",                                              // 11
        "#End If",                                                                // 12
        "End Sub",                                                                // 13
        "#If DEBUGGING Then",                                                     // 14
        "Sub Dump()",                                                             // 15
        "End Sub",                                                                // 16
        "#End If",                                                                // 17
        "Sub Last()",                                                             // 18
        "End Sub",                                                                // 19
    });
    EXPECT_EQ(Spans(m), (std::vector<Span>{{"First", vbext_pk_Proc, 7, 9, 13, 13},
                                           {"Dump", vbext_pk_Proc, 14, 15, 16, 16},
                                           {"Last", vbext_pk_Proc, 17, 18, 19, 19}}));
    EXPECT_EQ(m.Members().Item("Sleep")->Type(), vbext_mt_Method);
}

TEST_F(ScannerTest, AlternativeDeclarationsSharingOneEndAreOneProcedure) {
    auto& m = Module({
        "Option Explicit",                                        // 1
        "",                                                       // 2
        "#If VBA7 Then",                                          // 3
        "Public Function Handle(ByVal h As LongPtr) As LongPtr",  // 4
        "#ElseIf Win16 Then",                                     // 5
        "Public Function Handle(ByVal h As Integer) As Integer",  // 6
        "#Else",                                                  // 7
        "Public Function Handle(ByVal h As Long) As Long",        // 8
        "#End If",                                                // 9
        "    Handle = h",                                         // 10
        "End Function",                                           // 11
        "",                                                       // 12
        "#If VBA7 Then",                                          // 13
        "Private Sub Whole(ByVal p As LongPtr)",                  // 14
        "End Sub",                                                // 15
        "#Else",                                                  // 16
        "Private Sub Whole(ByVal p As Long)",                     // 17
        "End Sub",                                                // 18
        "#End If",                                                // 19
    });
    EXPECT_EQ(Spans(m), (std::vector<Span>{{"Handle", vbext_pk_Proc, 2, 4, 11, 11},
                                           {"Whole", vbext_pk_Proc, 12, 14, 15, 15},
                                           {"Whole", vbext_pk_Proc, 16, 17, 18, 19}}));
    EXPECT_EQ(Owner(m, 8), "Handle");
    EXPECT_EQ(m.ProcBodyLine("Whole", vbext_pk_Proc), 14);
    EXPECT_EQ(m.Members().Count(), 2);
}

TEST_F(ScannerTest, DateLiteralsAndFileNumbers) {
    auto& m = Module({
        "Sub Dates()",                               // 1
        "    If Now > #12:30:00 PM# Then Exit Sub",  // 2
        "    Print #1, \"x\": Close #1",             // 3
        "    d = #1/2/2003#: End Sub",               // 4
        "Sub Second()",                              // 5
        "End Sub",                                   // 6
    });
    EXPECT_EQ(Spans(m), (std::vector<Span>{{"Dates", vbext_pk_Proc, 1, 1, 4, 4},
                                           {"Second", vbext_pk_Proc, 5, 5, 6, 6}}));
}

// Real code is not always complete; the scanner still gives every line one owner.
TEST_F(ScannerTest, MissingEndStatements) {
    auto& m = Module({
        "Sub Open1()",  // 1
        "    x = 1",    // 2
        "",             // 3
        "Sub Open2()",  // 4
        "    y = 2",    // 5
    });
    EXPECT_EQ(Spans(m), (std::vector<Span>{{"Open1", vbext_pk_Proc, 1, 1, 0, 2},
                                           {"Open2", vbext_pk_Proc, 3, 4, 0, 5}}));
    EXPECT_EQ(m.ProcEndLine("Open1", vbext_pk_Proc), 0);
}

TEST_F(ScannerTest, ShiftJisTrailBytesAreNoSyntax) {
    // "ソ" is 0x83 0x5C and "ダ" 0x83 0x5F in Shift-JIS: a backslash and an underscore as
    // second bytes.
    MemoryComponent& component =
        project.AddComponent("Kana", vbext_ct_StdModule,
                             "Sub \x83\x5C\x83\x5F()\r\n    s = \"\x83\x5F\" ' \x83\x5F\r\nEnd "
                             "Sub\r\nSub B()\r\nEnd Sub\r\n");
    component.SetCodePage(932);
    auto& m = *component.Code();
    EXPECT_EQ(Spans(m), (std::vector<Span>{{"\x83\x5C\x83\x5F", vbext_pk_Proc, 1, 1, 3, 3},
                                           {"B", vbext_pk_Proc, 4, 4, 5, 5}}));
}

}  // namespace
}  // namespace brindle::host

// Source analysis: comments, declarations, parameters, End lines and the selected procedures.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "analysis/LineHelpers.h"
#include "analysis/ProcDecl.h"
#include "analysis/SelectedProcs.h"
#include "host/ide/MemoryProject.h"
#include "model/VbError.h"

namespace brindle {
namespace {

using Pieces = std::vector<std::string>;

struct Module {
    host::MemoryProject project;
    CodeModule& code;
    explicit Module(std::string_view text)
        : code(project.AddComponent("Module1", vbext_ct_StdModule, text).CodeModule()) {}
};

// The number and the outermost operation of the failure that `call` raises; empty for none.
std::string FailureOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const VbError& e) {
        return std::to_string(e.Number()) + " " + e.Source().substr(0, e.Source().find(" | "));
    }
    return "";
}

// A comment starts at an apostrophe outside string literals, or at Rem as a statement of its own.
// Each case marks with "|" where the comment starts.
TEST(NonCommentPart, EndsWhereTheCommentStarts) {
    for (const std::string marked : {
             "x = 1 |' note",
             "|' whole line",
             "x = 1",
             "",
             "|REM old code",
             "    |rem indented",
             "|Rem",
             "x = 1: |Rem set x",
             "Retry:|Rem label",
             "  20\t|rem spaced",
             "20 x = 1 Rem no",
             "Dim lRem As Long",
             "RemoveItem 3",
             "x = y Rem z",
             "s = \"it's\" |' says",
             "s = \"a: Rem b\"",
             "s = \"say \"\"'hi\"\"\" |' c",
             "MsgBox \"End Sub\": |Rem x",
         }) {
        const auto bar = marked.find('|');
        const auto line =
            bar == std::string::npos ? marked : marked.substr(0, bar) + marked.substr(bar + 1);
        EXPECT_EQ(GetNonCommentPartOfLine(line), marked.substr(0, bar)) << marked;
    }
}

TEST(SplitString, CutsAtEverySeparatorInAnyCase) {
    struct Case {
        const char* text;
        const char* separator;
        Pieces pieces;
    };
    const Case cases[] = {
        {"a, b, c", ", ", {"a", "b", "c"}},
        {"a,b", ", ", {"a,b"}},
        {"a, b, ", ", ", {"a", "b"}},
        {", a, , b", ", ", {"", "a", "", "b"}},
        {"oneANDtwoandthree", "and", {"one", "two", "three"}},
        {"", ", ", {"kept"}},  // no piece leaves the array as it was
    };
    for (const auto& c : cases) {
        Pieces pieces = {"kept"};
        EXPECT_EQ(SplitString(c.text, c.separator, pieces),
                  c.text[0] == '\0' ? 0 : std::ssize(c.pieces))
            << c.text;
        EXPECT_EQ(pieces, c.pieces) << c.text;
    }
    Pieces pieces;
    EXPECT_EQ(FailureOf([&] { SplitString("abc", "", pieces); }), "5 Brindle.SplitString");
}

TEST(DeclLine, JoinsContinuationLinesAsTheyStand) {
    Module m(
        "Sub One(a As Long)   \r\n"
        "Public Function Two(ByVal a As Long, _   \r\n"
        "                    ByVal b As Long) As Long\r\n"
        "Sub Three(a, _\r\n"
        "\r\n"
        "Sub Four(a,_\r\n"
        "b)\r\n"
        "Sub Five() ' see my_\r\n"
        "Sub Six(a,\t_\r\n"
        "b)\r\n");
    // Only a blank before the underscore makes it a continuation.
    const std::tuple<std::int32_t, const char*, std::int32_t> cases[] = {
        {1, "Sub One(a As Long)", 1},
        {2, "Public Function Two(ByVal a As Long,                     ByVal b As Long) As Long", 2},
        {4, "Sub Three(a, ", 2},
        {6, "Sub Four(a,_", 1},
        {8, "Sub Five() ' see my_", 1},
        {9, "Sub Six(a,\tb)", 2}};
    for (const auto& [line, declaration, lines] : cases) {
        std::int32_t count = 0;
        EXPECT_EQ(GetProcDeclLine(m.code, line, count), declaration) << line;
        EXPECT_EQ(count, lines) << line;
    }
}

// The parameter list ends at its own closing bracket; commas inside brackets or string
// literals separate nothing.
TEST(Parms, SplitAtTheCommasOfTheParameterList) {
    const std::pair<const char*, Pieces> cases[] = {
        {"Sub A(x As Long, ByRef y() As String)", {"x As Long", "ByRef y() As String"}},
        {"Sub A(a,b)", {"a", "b"}},
        {"Sub A(ByVal x As Long,         ByVal y As Long)",
         {"ByVal x As Long", "        ByVal y As Long"}},
        {"Function F(a() As Long) As String()", {"a() As Long"}},
        {"Sub A(x As Long) ' see (notes)", {"x As Long"}},
        {"Sub A(Optional n As Long = (1 + 2) * 3, m)", {"Optional n As Long = (1 + 2) * 3", "m"}},
        {"Sub A(Optional s As String = \"a, b)\", n As Long)",
         {"Optional s As String = \"a, b)\"", "n As Long"}},
        {"Declare Function X Lib \"a(b\" (ByVal h As Long) As Long", {"ByVal h As Long"}},
        // No parameters leave the array alone.
        {"Sub A()", {"kept"}},
        {"Sub A( )", {"kept"}},
        {"Property Get Count", {"kept"}},
        {"Sub A ' (not a list)", {"kept"}}};
    for (const auto& [declaration, expected] : cases) {
        Pieces parms = {"kept"};
        const auto count = GetParms(declaration, parms);
        EXPECT_EQ(parms, expected) << declaration;
        EXPECT_EQ(count, parms[0] == "kept" ? 0 : std::ssize(expected)) << declaration;
    }
    // A list never closed is no declaration to describe.
    Pieces parms;
    EXPECT_EQ(FailureOf([&] { GetParms("Sub A(x As Long", parms); }), "5 Brindle.GetParms");
}

TEST(ProcedureType, ComesFromTheLeadingWords) {
    const std::pair<const char*, std::vector<const char*>> cases[] = {
        {"Function",
         {"Private Static Function F() As Long", "Function F()",
          "Static Function Counter() As Long"}},
        {"Property", {"Public Property Get Name() As String", "property let Value(ByVal v)"}},
        {"Sub",
         {"Friend Sub Run()", "Sub Main()", "Public Sub Function_Keys()",
          "Public Sub Run(Optional Property As Long)", "Option Explicit", ""}}};
    for (const auto& [type, declarations] : cases) {
        for (const char* declaration : declarations) {
            EXPECT_EQ(ProcedureTypeOf(declaration), type) << declaration;
        }
    }
}

TEST(LastLine, TheEndStatementOfTheProceduresKindOutsideCommentsAndStrings) {
    Module m(
        "Option Explicit\r\n\r\n"                                            // 1-2
        "Sub Main()\r\n    Debug.Print \"End Function\"\r\nEnd Sub\r\n\r\n"  // 3-6
        "Function F() As Long\r\n    F = 1\r\nEnd Function ' done\r\n"       // 7-9
        "'End Function\r\nPublic Property Get Name() As String\r\n"          // 10-11
        "End Property\r\nPublic Property Let Name(ByVal v As String)\r\n"    // 12-13
        "    Rem End Property\r\n  End Property\r\n"                         // 14-15
        "Private Sub OneLine(): End Sub\r\nPrivate Function Last()\r\n"      // 16-17
        "End Function\r\nProperty Get Status()\r\nEnd Function\r\n"          // 18-20
        "Sub Split()\r\nEnd _\r\n  Sub\r\n"                                  // 21-23
        "Sub Tail(): End Sub\r\n\r\n\r\n");                                  // 24-26
    const std::tuple<const char*, vbext_ProcKind, std::int32_t> cases[] = {
        {"Main", vbext_pk_Proc, 5},  {"F", vbext_pk_Proc, 9},        {"Name", vbext_pk_Get, 12},
        {"Name", vbext_pk_Let, 15},  {"OneLine", vbext_pk_Proc, 16}, {"last", vbext_pk_Proc, 18},
        {"Status", vbext_pk_Get, 0}, {"Split", vbext_pk_Proc, 22},   {"Tail", vbext_pk_Proc, 24}};
    for (const auto& [name, kind, line] : cases) {
        EXPECT_EQ(GetProcLastLineNum(m.code, name, kind), line) << name << " " << kind;
    }
}

using Keys = std::vector<std::string>;

constexpr std::string_view kCode =
    "Option Explicit\r\n"                          // 1
    "Private mValue As Long\r\n"                   // 2
    "\r\n"                                         // 3
    "' Says hello\r\n"                             // 4
    "Sub Hello()\r\n"                              // 5
    "End Sub\r\n"                                  // 6
    "\r\n"                                         // 7
    "Property Get Value() As Long\r\n"             // 8
    "End Property\r\n"                             // 9
    "Property Let Value(ByVal v As Long)\r\n"      // 10
    "End Property\r\n"                             // 11
    "\r\n"                                         // 12
    "Function Twice(ByVal n As Long) As Long\r\n"  // 13
    "End Function\r\n";                            // 14

TEST(SelectedProcs, EachTouchedProcedureOnceInModuleOrder) {
    Module m(kCode);
    CodeModule& code = m.code;
    struct Case {
        std::int32_t startLine, startColumn, endLine, endColumn;
        Keys keys;
    };
    const Case cases[] = {
        {5, 3, 5, 3, {"Hello_0"}},
        {4, 1, 4, 1, {"Hello_0"}},  // the comment above belongs to the procedure
        {2, 1, 2, 1, {}},
        {1, 1, 5, 2, {"Hello_0"}},
        {1, 1, 14, 13, {"Hello_0", "Value_3", "Value_1", "Twice_0"}},
        {9, 1, 10, 5, {"Value_3", "Value_1"}},
        // An end at column 1 of a later line is pulled back to the end of the
        // line above; line 7, blank, opens the span of the property below.
        {5, 1, 7, 1, {"Hello_0"}},
        {5, 1, 8, 1, {"Hello_0", "Value_3"}},
    };
    for (const auto& c : cases) {
        code.CodePane().SetSelection(c.startLine, c.startColumn, c.endLine, c.endColumn);
        Keys keys;
        for (const ProcInfo& info : GetSelectedProcs(code)) {
            keys.push_back(ProcList::KeyOf(info));
        }
        EXPECT_EQ(keys, c.keys) << c.startLine << ":" << c.startColumn << "-" << c.endLine << ":"
                                << c.endColumn;
    }
    code.CodePane().SetSelection(4, 1, 6, 1);
    std::int32_t startLine = 0, startColumn = 0, endLine = 0, endColumn = 0;
    GetSelection(code.CodePane(), startLine, startColumn, endLine, endColumn);
    EXPECT_EQ(endLine, 5);
    EXPECT_EQ(endColumn, 11);
}

TEST(ProcList, KeysIgnoreCaseAndTheFirstEntryStays) {
    ProcList list;
    list.Add({"Value", vbext_pk_Get});
    list.Add({"Value", vbext_pk_Let});
    EXPECT_FALSE(list.TryAdd({"VALUE", vbext_pk_Get}));
    EXPECT_EQ(FailureOf([&] { list.Add({"value", vbext_pk_Let}); }), "457 VBBrindle");
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].gsProcName, "Value");
    EXPECT_EQ(ProcList::KeyOf(list[1]), "Value_1");
}

}  // namespace
}  // namespace brindle

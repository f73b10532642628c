#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/ProcDecl.h"
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
    try {
        GetParms("Sub A(x As Long", parms);
        ADD_FAILURE() << "no failure";
    } catch (const VbError& e) {
        EXPECT_EQ(e.Number(), 5);
        EXPECT_TRUE(e.Source().starts_with("Brindle.GetParms | ")) << e.Source();
    }
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

}  // namespace
}  // namespace brindle

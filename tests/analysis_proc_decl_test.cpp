#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/ProcDecl.h"
#include "host/MemoryProject.h"
#include "host/model/VbError.h"

namespace brindle {
namespace {

using Pieces = std::vector<std::string>;

struct Module {
    host::MemoryProject project;
    CodeModule& code;
    explicit Module(std::string_view text)
        : code(project.AddComponent("Module1", vbext_ct_StdModule, text).CodeModule()) {}
};

template <class Body>
VbError FailureOf(Body&& body) {
    try {
        body();
    } catch (const VbError& e) {
        return e;
    }
    ADD_FAILURE() << "no failure";
    return VbError(0, "", "");
}

TEST(DeclLine, JoinsContinuationLinesAsTheyStand) {
    Module m(
        "Sub One(a As Long)   \r\n"
        "Public Function Two(ByVal a As Long, _   \r\n"
        "                    ByVal b As Long) As Long\r\n"
        "Sub Three(a, _\r\n"
        "\r\n"
        "Sub Four(a,_\r\n"
        "b)\r\n");
    std::int32_t count = 0;
    EXPECT_EQ(GetProcDeclLine(m.code, 1, count), "Sub One(a As Long)");
    EXPECT_EQ(count, 1);
    const std::int32_t line = 2;
    EXPECT_EQ(GetProcDeclLine(m.code, line, count),
              "Public Function Two(ByVal a As Long,                     ByVal b As Long) As Long");
    EXPECT_EQ(count, 2);
    EXPECT_EQ(line, 2);
    EXPECT_EQ(GetProcDeclLine(m.code, 4, count), "Sub Three(a, ");
    EXPECT_EQ(count, 2);
    EXPECT_EQ(GetProcDeclLine(m.code, 6, count), "Sub Four(a,b)");
}

TEST(DeclLine, AContinuationOnTheLastLineFailsInTheHost) {
    Module m("Sub A(a, _\r\n");
    std::int32_t count = 0;
    const VbError e = FailureOf([&] { GetProcDeclLine(m.code, 1, count); });
    EXPECT_EQ(e.Number(), 9);
    EXPECT_EQ(e.Source().rfind("Brindle.GetProcDeclLine | ", 0), 0u) << e.Source();
}

TEST(Parms, SplitAtTheCommasOfTheParameterList) {
    Pieces parms;
    EXPECT_EQ(GetParms("Sub A(x As Long, ByRef y() As String)", parms), 2);
    EXPECT_EQ(parms, (Pieces{"x As Long", "ByRef y() As String"}));
    EXPECT_EQ(GetParms("Sub A(a,b)", parms), 2);
    EXPECT_EQ(parms, (Pieces{"a", "b"}));
}

TEST(Parms, AContinuedParameterKeepsItsIndentation) {
    Pieces parms;
    EXPECT_EQ(GetParms("Sub A(ByVal x As Long,         ByVal y As Long)", parms), 2);
    EXPECT_EQ(parms[1], "        ByVal y As Long");
}

TEST(Parms, NoParametersLeaveTheArrayAlone) {
    Pieces parms = {"kept"};
    EXPECT_EQ(GetParms("Sub A()", parms), 0);
    EXPECT_EQ(GetParms("Sub A( )", parms), 0);
    EXPECT_EQ(GetParms("Property Get Count", parms), 0);
    EXPECT_EQ(GetParms("Sub A ' (not a list)", parms), 0);
    EXPECT_EQ(parms, (Pieces{"kept"}));
}

TEST(Parms, TheListEndsAtItsOwnClosingBracket) {
    Pieces parms;
    EXPECT_EQ(GetParms("Function F(a() As Long) As String()", parms), 1);
    EXPECT_EQ(parms, (Pieces{"a() As Long"}));
    EXPECT_EQ(GetParms("Sub A(x As Long) ' see (notes)", parms), 1);
    EXPECT_EQ(parms, (Pieces{"x As Long"}));
    EXPECT_EQ(GetParms("Sub A(Optional n As Long = (1 + 2) * 3, m)", parms), 2);
    EXPECT_EQ(parms, (Pieces{"Optional n As Long = (1 + 2) * 3", "m"}));
}

TEST(Parms, StringLiteralsHideCommasAndBrackets) {
    Pieces parms;
    EXPECT_EQ(GetParms("Sub A(Optional s As String = \"a, b)\", n As Long)", parms), 2);
    EXPECT_EQ(parms, (Pieces{"Optional s As String = \"a, b)\"", "n As Long"}));
    EXPECT_EQ(GetParms("Declare Function X Lib \"a(b\" (ByVal h As Long) As Long", parms), 1);
    EXPECT_EQ(parms, (Pieces{"ByVal h As Long"}));
}

TEST(Parms, AListNeverClosedFails) {
    Pieces parms;
    const VbError e = FailureOf([&] { GetParms("Sub A(x As Long", parms); });
    EXPECT_EQ(e.Number(), 5);
    EXPECT_EQ(e.Source().rfind("Brindle.GetParms | ", 0), 0u);
}

TEST(ProcedureType, ComesFromTheLeadingWords) {
    EXPECT_EQ(ProcedureTypeOf("Private Static Function F() As Long"), "Function");
    EXPECT_EQ(ProcedureTypeOf("Public Property Get Name() As String"), "Property");
    EXPECT_EQ(ProcedureTypeOf("Friend Sub Run()"), "Sub");
    EXPECT_EQ(ProcedureTypeOf("Function F()"), "Function");
    EXPECT_EQ(ProcedureTypeOf("property let Value(ByVal v)"), "Property");
    EXPECT_EQ(ProcedureTypeOf("Static Function Counter() As Long"), "Function");
    EXPECT_EQ(ProcedureTypeOf("Sub Main()"), "Sub");
    EXPECT_EQ(ProcedureTypeOf("Public Sub Function_Keys()"), "Sub");
    EXPECT_EQ(ProcedureTypeOf("Public Sub Run(Optional Property As Long)"), "Sub");
    EXPECT_EQ(ProcedureTypeOf("Option Explicit"), "Sub");
    EXPECT_EQ(ProcedureTypeOf(""), "Sub");
}

TEST(LastLine, TheEndStatementOfEachKindIsFound) {
    Module m(
        "Option Explicit\r\n"                              // 1
        "\r\n"                                             // 2
        "Sub Main()\r\n"                                   // 3
        "    Debug.Print \"End Function\"\r\n"             // 4
        "End Sub\r\n"                                      // 5
        "\r\n"                                             // 6
        "Function F() As Long\r\n"                         // 7
        "    F = 1\r\n"                                    // 8
        "End Function ' done\r\n"                          // 9
        "'End Function\r\n"                                // 10
        "Public Property Get Name() As String\r\n"         // 11
        "End Property\r\n"                                 // 12
        "Public Property Let Name(ByVal v As String)\r\n"  // 13
        "    Rem End Property\r\n"                         // 14
        "  End Property\r\n"                               // 15
        "Private Sub OneLine(): End Sub\r\n"               // 16
        "Private Function Last()\r\n"                      // 17
        "End Function\r\n"                                 // 18
        "\r\n"                                             // 19
        "\r\n");                                           // 20
    EXPECT_EQ(GetProcLastLineNum(m.code, "Main", vbext_pk_Proc), 5);
    EXPECT_EQ(GetProcLastLineNum(m.code, "F", vbext_pk_Proc), 9);
    EXPECT_EQ(GetProcLastLineNum(m.code, "Name", vbext_pk_Get), 12);
    EXPECT_EQ(GetProcLastLineNum(m.code, "Name", vbext_pk_Let), 15);
    EXPECT_EQ(GetProcLastLineNum(m.code, "OneLine", vbext_pk_Proc), 16);
    EXPECT_EQ(GetProcLastLineNum(m.code, "last", vbext_pk_Proc), 18);
}

TEST(LastLine, AnUnknownProcedureFailsInTheHost) {
    Module m("Sub A()\r\nEnd Sub\r\n");
    const VbError e = FailureOf([&] { GetProcLastLineNum(m.code, "B", vbext_pk_Proc); });
    EXPECT_EQ(e.Number(), 35);
    EXPECT_EQ(e.Source().rfind("Brindle.GetProcLastLineNum | ", 0), 0u);
}

}  // namespace
}  // namespace brindle

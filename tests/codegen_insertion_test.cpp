// Marked insertion, and the placement of procedure headers and error handlers for one procedure.

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "codegen/Insertion.h"
#include "codegen_support.h"
#include "host/model/VbError.h"

namespace brindle {
namespace {

using test::CodegenFields;
using test::Markers;
using test::ModuleUnderTest;
using Lines = std::vector<std::string>;

const std::string kBegin(kBeginMarker);
const std::string kEnd(kEndMarker);

template <class Case>
std::string CaseName(const ::testing::TestParamInfo<Case>& param) {
    return param.param.name;
}

// --- Marked insertion ------------------------------------------------------------------------

TEST(MarkedInsertion, MarkersWrapTheTextInTwoLinesOfTheirOwnOnlyWhileTheOptionIsOn) {
    ModuleUnderTest on("Sub A()\r\nEnd Sub\r\n");
    InsertErrFooter(CodegenFields(Markers::On), on.module(), "    x = 1\n    y = 2", 2);
    EXPECT_EQ(on.lines(), (Lines{"Sub A()", kBegin, "    x = 1", "    y = 2", kEnd, "End Sub"}));

    ModuleUnderTest off("Sub A()\r\nEnd Sub\r\n");
    InsertErrFooter(CodegenFields(Markers::Off), off.module(), "    x = 1\n    y = 2", 2);
    EXPECT_EQ(off.lines(), (Lines{"Sub A()", "    x = 1", "    y = 2", "End Sub"}));
}

TEST(MarkedInsertion, AnEmptyTextIsOneEmptyLine) {
    ModuleUnderTest on("Sub A()\r\nEnd Sub\r\n");
    InsertErrFooter(CodegenFields(Markers::On), on.module(), "", 2);
    EXPECT_EQ(on.lines(), (Lines{"Sub A()", kBegin, "", kEnd, "End Sub"}));

    ModuleUnderTest off("Sub A()\r\nEnd Sub\r\n");
    InsertErrFooter(CodegenFields(Markers::Off), off.module(), "", 2);
    EXPECT_EQ(off.lines(), (Lines{"Sub A()", "", "End Sub"}));
}

TEST(MarkedInsertion, EveryKindOfLineBreakSeparatesLinesAndIndentationStaysAsWritten) {
    ModuleUnderTest m("Sub A()\r\nEnd Sub\r\n");
    InsertErrFooter(CodegenFields(Markers::On), m.module(), "a\nb\r\n\tc\rd", 2);
    EXPECT_EQ(m.lines(), (Lines{"Sub A()", kBegin, "a", "b", "\tc", "d", kEnd, "End Sub"}));
}

// --- Procedure header position ----------------------------------------------------------------

struct HeaderCase {
    const char* name;
    const char* code;
    std::int32_t declarationLine;
    std::int32_t headerLine;
    friend void PrintTo(const HeaderCase& c, std::ostream* os) { *os << c.name; }
};

class ProcHeaderPosition : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(ProcHeaderPosition, GoesAboveTheCommentBlockThatStartsInTheFirstColumn) {
    const auto& c = GetParam();
    ModuleUnderTest m(c.code);
    const auto before = m.lines();
    InsertProcHeader(CodegenFields(Markers::Off), m.module(), "' HEADER", c.declarationLine);

    auto expected = before;
    expected.insert(expected.begin() + (c.headerLine - 1), "' HEADER");
    EXPECT_EQ(m.lines(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProcHeaderPosition,
    ::testing::Values(
        HeaderCase{"BlankLineAbove", "Option Explicit\r\n\r\nSub A()\r\nEnd Sub\r\n", 3, 3},
        HeaderCase{"ThreeCommentLines",
                   "Option Explicit\r\n\r\n' one\r\n' two\r\n' three\r\nSub A()\r\nEnd Sub\r\n", 6,
                   3},
        HeaderCase{"IndentedCommentStops",
                   "Dim x\r\n' top\r\n  ' indented\r\nSub A()\r\nEnd Sub\r\n", 4, 4},
        HeaderCase{"RemCommentStops", "Dim x\r\nRem note\r\n' note\r\nSub A()\r\nEnd Sub\r\n", 4,
                   3},
        HeaderCase{"CodeLineStops", "Dim x\r\n'\r\nSub A()\r\nEnd Sub\r\n", 3, 2},
        HeaderCase{"DeclarationOnLineOne", "Sub A()\r\nEnd Sub\r\n", 1, 1},
        HeaderCase{"OnlyCommentsAbove", "' one\r\n' two\r\nSub A()\r\nEnd Sub\r\n", 3, 1}),
    CaseName<HeaderCase>);

TEST(ProcHeaderPlacement, ASecondHeaderGoesAboveTheFirst) {
    ModuleUnderTest m("Dim x\r\n\r\nPublic Sub A()\r\nEnd Sub\r\n");
    const auto fields = CodegenFields(Markers::On);
    AddHeaderToProc(fields, m.module(), "A", vbext_pk_Proc);
    InsertProcHeader(fields, m.module(), "' SECOND", m.module().ProcBodyLine("A", vbext_pk_Proc));
    EXPECT_EQ(m.lines(), (Lines{"Dim x", "", kBegin, "' SECOND", kEnd, kBegin, "'----", "' A (Sub)",
                                "' Parameters:", kEnd, "Public Sub A()", "End Sub"}));
}

// --- Error header position ---------------------------------------------------------------------

TEST(ErrHeaderPlacement, GoesBelowTheLastContinuationLineOfTheDeclaration) {
    ModuleUnderTest m(
        "Public Function F(ByVal a As Long, _\r\n    ByVal b As Long, _\r\n    ByVal c As Long) As "
        "Long\r\n    F = a\r\nEnd Function\r\n");
    InsertErrHeader(CodegenFields(Markers::Off), m.module(), "' ERR", 1);
    EXPECT_EQ(m.line(3), "    ByVal c As Long) As Long");
    EXPECT_EQ(m.line(4), "' ERR");
    EXPECT_EQ(m.line(5), "    F = a");
}

struct AlternativeCase {
    const char* name;
    const char* code;
    const char* procedure;
    std::int32_t headerLine;
    vbext_ProcKind kind = vbext_pk_Proc;
    friend void PrintTo(const AlternativeCase& c, std::ostream* os) { *os << c.name; }
};

class AlternativeDeclarations : public ::testing::TestWithParam<AlternativeCase> {};

TEST_P(AlternativeDeclarations, ErrHeaderGoesWhereTheSharedBodyBegins) {
    const auto& c = GetParam();
    ModuleUnderTest m(c.code);
    const auto before = m.lines();
    InsertErrHeader(CodegenFields(Markers::Off), m.module(), "' ERR",
                    m.module().ProcBodyLine(c.procedure, c.kind));
    auto expected = before;
    expected.insert(expected.begin() + (c.headerLine - 1), "' ERR");
    EXPECT_EQ(m.lines(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AlternativeDeclarations,
    ::testing::Values(AlternativeCase{"IfVba7Else",
                                      "#If VBA7 Then\r\n"
                                      "Private Function GetHandle(ByVal o As Object) As LongPtr\r\n"
                                      "#Else\r\n"
                                      "Private Function GetHandle(ByVal o As Object) As Long\r\n"
                                      "#End If\r\n"
                                      "    GetHandle = 0\r\n"
                                      "End Function\r\n",
                                      "GetHandle", 6},
                      AlternativeCase{"ElseIfBranchesContinuationsAndComments",
                                      "#If Win64 Then\r\n"
                                      "Public Sub Send(ByVal h As LongLong, _\r\n"
                                      "                ByVal n As Long)\r\n"
                                      "#ElseIf VBA7 Then ' 32-bit Office\r\n"
                                      "' the pointer-sized handle\r\n"
                                      "Public Sub Send(ByVal h As LongPtr, _\r\n"
                                      "                ByVal n As Long)\r\n"
                                      "#Else\r\n"
                                      "Public Sub Send(ByVal h As Long, ByVal n As Long)\r\n"
                                      "  #End If\r\n"
                                      "    Debug.Print n\r\n"
                                      "End Sub\r\n",
                                      "Send", 11},
                      AlternativeCase{"PropertyWithoutScope",
                                      "#If ImplUseTls Then\r\n"
                                      "Property Get Socket() As cTlsSocket\r\n"
                                      "#Else\r\n"
                                      "Property Get Socket() As cAsyncSocket\r\n"
                                      "#End If\r\n"
                                      "    Set Socket = m_oSocket\r\n"
                                      "End Property\r\n",
                                      "Socket", 6, vbext_pk_Get},
                      AlternativeCase{"ConditionalProcedureIsNoGroup",
                                      "#If DEBUG_BUILD Then\r\n"
                                      "Private Sub Trace(ByVal s As String)\r\n"
                                      "    Debug.Print s\r\n"
                                      "End Sub\r\n"
                                      "#End If\r\n",
                                      "Trace", 3},
                      AlternativeCase{"ConditionalCodeAtTheTopOfTheBodyIsNoGroup",
                                      "Private Sub Trace(ByVal s As String)\r\n"
                                      "#If DEBUG_BUILD Then\r\n"
                                      "    Debug.Print s\r\n"
                                      "#Else\r\n"
                                      "    s = vbNullString\r\n"
                                      "#End If\r\n"
                                      "End Sub\r\n",
                                      "Trace", 2}),
    CaseName<AlternativeCase>);

// --- Error handler for one procedure -----------------------------------------------------------

TEST(ErrHandlerPlacement, HeaderBelowTheDeclarationAndFooterAboveTheEndEvenAfterExitAndLabel) {
    ModuleUnderTest m(
        "Private Function Parse(ByVal s As String) As Long\r\n"
        "    On Error GoTo Fail\r\n"
        "    Parse = CLng(s)\r\n"
        "    Exit Function\r\n"
        "Fail:\r\n"
        "    Parse = -1\r\n"
        "End Function\r\n"
        "\r\n");
    AddErrHandlerToProc(CodegenFields(Markers::On), m.module(), "Parse", vbext_pk_Proc);
    EXPECT_EQ(m.lines(),
              (Lines{"Private Function Parse(ByVal s As String) As Long", kBegin,
                     "    On Error GoTo ErrHandler", kEnd, "    On Error GoTo Fail",
                     "    Parse = CLng(s)", "    Exit Function", "Fail:", "    Parse = -1", kBegin,
                     "    Exit Function",
                     "ErrHandler:", "    Err.Raise Err.Number, \"Module1.Parse\", Err.Description",
                     kEnd, "End Function", ""}));
}

TEST(ErrHandlerPlacement, GetAndLetOfOnePropertyEachGetTheirOwnHandler) {
    ModuleUnderTest m(
        "Public Property Get Size() As Long\r\n    Size = m_Size\r\nEnd Property\r\n\r\n"
        "Public Property Let Size(ByVal v As Long)\r\n    m_Size = v\r\nEnd Property\r\n");
    const auto fields = CodegenFields(Markers::Off);
    AddErrHandlerToProc(fields, m.module(), "Size", vbext_pk_Let);
    AddErrHandlerToProc(fields, m.module(), "Size", vbext_pk_Get);
    EXPECT_EQ(m.lines(),
              (Lines{"Public Property Get Size() As Long", "    On Error GoTo ErrHandler",
                     "    Size = m_Size", "    Exit Property",
                     "ErrHandler:", "    Err.Raise Err.Number, \"Module1.Size\", Err.Description",
                     "End Property", "", "Public Property Let Size(ByVal v As Long)",
                     "    On Error GoTo ErrHandler", "    m_Size = v", "    Exit Property",
                     "ErrHandler:", "    Err.Raise Err.Number, \"Module1.Size\", Err.Description",
                     "End Property"}));
}

TEST(ErrHandlerPlacement, ASecondCallAddsASecondHeaderAndFooter) {
    ModuleUnderTest m("Sub A()\r\n    x = 1\r\nEnd Sub\r\n");
    auto fields = CodegenFields(Markers::Off);
    fields.msErrHdrTmplt = "' H\n";
    fields.msErrFtrTmplt = "' F\n";
    AddErrHandlerToProc(fields, m.module(), "A", vbext_pk_Proc);
    AddErrHandlerToProc(fields, m.module(), "A", vbext_pk_Proc);
    EXPECT_EQ(m.lines(), (Lines{"Sub A()", "' H", "' H", "    x = 1", "' F", "' F", "End Sub"}));
}

TEST(ErrHandlerPlacement, AMethodThatSharesItsNameWithAnEventGetsItsHandler) {
    ModuleUnderTest m(
        "Public Event Connect()\r\n\r\nPublic Sub Connect()\r\n    x = 1\r\nEnd Sub\r\n",
        vbext_ct_ClassModule);
    auto fields = CodegenFields(Markers::Off);
    fields.msErrHdrTmplt = "' H\n";
    fields.msErrFtrTmplt = "' F\n";
    AddErrHandlerToProc(fields, m.module(), "Connect", vbext_pk_Proc);
    EXPECT_EQ(m.lines(), (Lines{"Public Event Connect()", "", "Public Sub Connect()", "' H",
                                "    x = 1", "' F", "End Sub"}));
}

TEST(ErrHandlerPlacement, AlternativeDeclarationsGetOneHandlerAroundTheSharedBody) {
    ModuleUnderTest m(
        "#If VBA7 Then\r\n"
        "Public Function Ptr(ByVal o As Object) As LongPtr\r\n"
        "#Else\r\n"
        "Public Function Ptr(ByVal o As Object) As Long\r\n"
        "#End If\r\n"
        "    Ptr = ObjPtr(o)\r\n"
        "End Function\r\n");
    auto fields = CodegenFields(Markers::Off);
    fields.msErrHdrTmplt = "' H\n";
    fields.msErrFtrTmplt = "' F\n";
    AddErrHandlerToProc(fields, m.module(), "Ptr", vbext_pk_Proc);
    EXPECT_EQ(m.lines(),
              (Lines{"#If VBA7 Then", "Public Function Ptr(ByVal o As Object) As LongPtr", "#Else",
                     "Public Function Ptr(ByVal o As Object) As Long", "#End If", "' H",
                     "    Ptr = ObjPtr(o)", "' F", "End Function"}));
}

// When the footer cannot be placed the module is left as it was and the failure passes on.
struct NoFooterCase {
    const char* name;
    const char* code;
    const char* procedure;
    std::int32_t number;         // 0: any
    const char* errHeader = "";  // "": the usual template
    friend void PrintTo(const NoFooterCase& c, std::ostream* os) { *os << c.name; }
};

class NoHalfErrHandler : public ::testing::TestWithParam<NoFooterCase> {};

TEST_P(NoHalfErrHandler, TheModuleStaysAsItWasAndTheFailureIsPassedOn) {
    const auto& c = GetParam();
    ModuleUnderTest m(c.code);
    const auto before = m.lines();
    auto fields = CodegenFields(Markers::On);
    if (*c.errHeader != '\0') {
        fields.msErrHdrTmplt = c.errHeader;
    }
    try {
        AddErrHandlerToProc(fields, m.module(), c.procedure, vbext_pk_Proc);
        FAIL() << "no failure";
    } catch (const VbError& e) {
        if (c.number != 0) {
            EXPECT_EQ(e.Number(), c.number);
        }
        EXPECT_EQ(e.Source().rfind("Brindle.AddErrHandlerToProc | ", 0), 0u) << e.Source();
    }
    EXPECT_EQ(m.lines(), before);
    // The module is still whole: the next procedure gets its handler as usual.
    AddErrHandlerToProc(CodegenFields(Markers::Off), m.module(), "Last", vbext_pk_Proc);
    EXPECT_EQ(m.module().CountOfLines(), static_cast<std::int32_t>(before.size()) + 4);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NoHalfErrHandler,
    ::testing::Values(
        // GetProcLastLineNum finds no End statement and gives 0, where nothing can be inserted.
        NoFooterCase{"EndStatementSplitOverTwoLines",
                     "Sub Split()\r\n    x = 1\r\nEnd _\r\nSub\r\n\r\nSub Last()\r\nEnd Sub\r\n",
                     "Split", 9},
        // The End statement shares the declaration's line, so the header went in below it.
        NoFooterCase{"OneLineProcedure",
                     "Sub Short(): x = 1: End Sub\r\n\r\nSub Last()\r\nEnd Sub\r\n", "Short", 0},
        // A header of comments below it belongs to the next procedure: the End line lies above.
        NoFooterCase{"OneLineProcedureCommentHeader",
                     "Sub Short(): x = 1: End Sub\r\n\r\nSub Last()\r\nEnd Sub\r\n", "Short", 5,
                     "' handler\n"}),
    CaseName<NoFooterCase>);

TEST(ErrHandlerPlacement, UnknownProcedureFailsWithTheHostsNumberAndNothingChanges) {
    ModuleUnderTest m("Sub A()\r\nEnd Sub\r\n");
    const auto before = m.lines();
    try {
        AddErrHandlerToProc(CodegenFields(Markers::On), m.module(), "Missing", vbext_pk_Proc);
        FAIL() << "no failure";
    } catch (const VbError& e) {
        EXPECT_EQ(e.Number(), 35);
        EXPECT_EQ(e.Source().rfind("Brindle.AddErrHandlerToProc | VBIDE.", 0), 0u) << e.Source();
    }
    try {
        AddHeaderToProc(CodegenFields(Markers::On), m.module(), "A", vbext_pk_Get);
        FAIL() << "no failure";
    } catch (const VbError& e) {
        EXPECT_EQ(e.Number(), 35);
        EXPECT_EQ(e.Source().rfind("Brindle.AddHeaderToProc | VBIDE.", 0), 0u) << e.Source();
    }
    EXPECT_EQ(m.lines(), before);
}

}  // namespace
}  // namespace brindle

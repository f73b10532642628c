// Marked insertion, and where headers and error handlers for one procedure go.

#include <gtest/gtest.h>

#include <string>

#include "codegen/Insertion.h"
#include "codegen_support.h"
#include "host/model/VbError.h"

namespace brindle {
namespace {

using test::CodegenFields;
using test::kBegin;
using test::kEnd;
using test::Lines;
using test::Markers;
using test::ModuleUnderTest;

TEST(MarkedInsertion, TextGoesInLineByLineBetweenMarkerLinesOnlyWhileTheOptionIsOn) {
    struct Case {
        Markers markers;
        const char* text;
        Lines inserted;
    };
    const Case cases[] = {
        {Markers::On, "    x = 1\n    y = 2", {kBegin, "    x = 1", "    y = 2", kEnd}},
        {Markers::Off, "    x = 1\n    y = 2", {"    x = 1", "    y = 2"}},
        {Markers::On, "", {kBegin, "", kEnd}},
        {Markers::Off, "", {""}},
        {Markers::Off, "a\nb\r\n\tc\rd", {"a", "b", "\tc", "d"}}};
    for (const auto& c : cases) {
        ModuleUnderTest m("Sub A()\r\nEnd Sub\r\n");
        InsertErrFooter(CodegenFields(c.markers), m.module(), c.text, 2);
        EXPECT_EQ(m.lines(), test::Concat({{"Sub A()"}, c.inserted, {"End Sub"}}))
            << "markers " << (c.markers == Markers::On) << ", text " << c.text;
    }
}

TEST(Placement, HeadersGoAboveTheCommentBlockAndErrorHeadersWhereTheBodyBegins) {
    using Insert = void (*)(const AddinFields&, CodeModule&, std::string, std::int32_t);
    struct Case {
        const char* name;
        Insert insert;
        const char* code;
        const char* procedure;
        std::int32_t line;  // where the inserted line lands
        vbext_ProcKind kind = vbext_pk_Proc;
    };
    const Insert proc = InsertProcHeader;
    const Insert err = InsertErrHeader;
    const Case cases[] = {
        {"IndentedCommentStops", proc, "Dim x\r\n' top\r\n  ' indented\r\nSub A()\r\nEnd Sub\r\n",
         "A", 4},
        {"RemStops", proc, "Dim x\r\nRem note\r\n' note\r\nSub A()\r\nEnd Sub\r\n", "A", 3},
        {"EmptyCommentCounts", proc, "Dim x\r\n'\r\nSub A()\r\nEnd Sub\r\n", "A", 2},
        {"DeclarationOnLineOne", proc, "Sub A()\r\nEnd Sub\r\n", "A", 1},
        {"OnlyCommentsAbove", proc, "' one\r\n' two\r\nSub A()\r\nEnd Sub\r\n", "A", 1},
        {"AboveAMarkedHeader", proc,
         "Dim x\r\n' [Brindle Begin]\r\n' A\r\n' [Brindle End]\r\nSub A()\r\nEnd Sub\r\n", "A", 2},
        {"AlternativeDeclarationsWithElseIfContinuationsAndComments", err,
         "#If Win64 Then\r\nPublic Sub Send(ByVal h As LongLong, _\r\n    ByVal n As Long)\r\n"
         "#ElseIf VBA7 Then ' 32-bit Office\r\n' the pointer-sized handle\r\n"
         "Public Sub Send(ByVal h As LongPtr, _\r\n    ByVal n As Long)\r\n#Else\r\n"
         "Public Sub Send(ByVal h As Long, ByVal n As Long)\r\n  #End If\r\n"
         "    Debug.Print n\r\nEnd Sub\r\n",
         "Send", 11},
        {"AlternativePropertiesWithoutScope", err,
         "#If ImplUseTls Then\r\nProperty Get Socket() As cTlsSocket\r\n#Else\r\n"
         "Property Get Socket() As cAsyncSocket\r\n#End If\r\n    Set Socket = m_oSocket\r\n"
         "End Property\r\n",
         "Socket", 6, vbext_pk_Get}};
    for (const auto& c : cases) {
        ModuleUnderTest m(c.code);
        auto expected = m.lines();
        expected.insert(expected.begin() + (c.line - 1), "' NEW");
        c.insert(CodegenFields(Markers::Off), m.module(), "' NEW",
                 m.module().ProcBodyLine(c.procedure, c.kind));
        EXPECT_EQ(m.lines(), expected) << c.name;
    }
}

TEST(ErrHandlerPlacement, EachCallAddsOneToTheMethodEvenWhenAnEventSharesItsName) {
    ModuleUnderTest m(
        "Public Event Connect()\r\n\r\nPublic Sub Connect()\r\n    x = 1\r\nEnd Sub\r\n",
        vbext_ct_ClassModule);
    AddErrHandlerToProc(test::OneLineFields(), m.module(), "Connect", vbext_pk_Proc);
    AddErrHandlerToProc(test::OneLineFields(), m.module(), "Connect", vbext_pk_Proc);
    EXPECT_EQ(m.lines(), (Lines{"Public Event Connect()", "", "Public Sub Connect()", "' H", "' H",
                                "    x = 1", "' F", "' F", "End Sub"}));
}

// A failure leaves the module as it was, with no half error handler, and passes on its chain.
TEST(ErrHandlerPlacement, AFailureLeavesTheModuleAsItWas) {
    using Add = void (*)(const AddinFields&, CodeModule&, std::string_view, vbext_ProcKind);
    struct Case {
        const char* name;
        const char* code;
        Add add;
        const char* procedure;
        vbext_ProcKind kind;
        std::int32_t number;  // 0: any
        const char* source;
        const char* errHeader = nullptr;  // the usual template
    };
    const Case cases[] = {
        // No End statement is found, and the footer would go at line 0.
        {"EndStatementSplitOverTwoLines", "Sub Split()\r\n    x = 1\r\nEnd _\r\nSub\r\n",
         AddErrHandlerToProc, "Split", vbext_pk_Proc, 9, "Brindle.AddErrHandlerToProc | "},
        // The End statement shares the declaration's line, above the error header.
        {"OneLineProcedure", "Sub Short(): x = 1: End Sub\r\n", AddErrHandlerToProc, "Short",
         vbext_pk_Proc, 0, "Brindle.AddErrHandlerToProc | "},
        // A header of comments below it belongs to the next procedure.
        {"OneLineProcedureCommentHeader", "Sub Short(): x = 1: End Sub\r\n", AddErrHandlerToProc,
         "Short", vbext_pk_Proc, 5, "Brindle.AddErrHandlerToProc | ", "' handler\n"},
        {"UnknownProcedure", "Sub A()\r\nEnd Sub\r\n", AddErrHandlerToProc, "Missing",
         vbext_pk_Proc, 35, "Brindle.AddErrHandlerToProc | VBIDE."},
        {"UnknownKind", "Sub A()\r\nEnd Sub\r\n", AddHeaderToProc, "A", vbext_pk_Get, 35,
         "Brindle.AddHeaderToProc | VBIDE."}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ModuleUnderTest m(std::string(c.code) + "\r\nSub Last()\r\nEnd Sub\r\n");
        const auto before = m.lines();
        auto fields = CodegenFields(Markers::On);
        if (c.errHeader != nullptr) {
            fields.msErrHdrTmplt = c.errHeader;
        }
        try {
            c.add(fields, m.module(), c.procedure, c.kind);
            ADD_FAILURE() << "no failure";
        } catch (const VbError& e) {
            EXPECT_TRUE(c.number == 0 || e.Number() == c.number) << e.Number();
            EXPECT_TRUE(e.Source().starts_with(c.source)) << e.Source();
        }
        EXPECT_EQ(m.lines(), before);
        // The module is still whole: the next procedure gets its handler as usual.
        AddErrHandlerToProc(test::OneLineFields(), m.module(), "Last", vbext_pk_Proc);
        EXPECT_EQ(m.lines().size(), before.size() + 2);
    }
}

}  // namespace
}  // namespace brindle

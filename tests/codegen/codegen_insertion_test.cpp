// Marked insertion, and where headers and error handlers for one procedure go.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "codegen/BlockText.h"
#include "codegen/Insertion.h"
#include "codegen/codegen_support.h"
#include "model/VbError.h"
#include "support/RecordingSink.h"

namespace brindle {
namespace {

using test::CodegenFields;
using test::kBegin;
using test::kEnd;
using test::Lines;
using test::Markers;
using test::ModuleUnderTest;

// A name between two "%" that is no keyword, and a keyword without its closing "%", are told of
// at their line.
TEST(TemplateKeywords, UnknownAndUnclosedOnesAreToldAtTheirLine) {
    std::vector<std::string> told;
    for (const auto& unknown : UnknownKeywords("' %ProcedureName%\n' %ProcName%\n' by %Author\n")) {
        told.push_back(std::to_string(unknown.line) + ": " + unknown.Problem());
    }
    EXPECT_EQ(told, (std::vector<std::string>{
                        "2: %ProcName% is no template keyword; it stays in the text as it is",
                        "3: %Author has no closing \"%\"; it stays in the text as it is"}));
}

TEST(MarkedInsertion, TextGoesInLineByLineBetweenMarkerLinesOnlyWhileTheOptionIsOn) {
    struct Case {
        Markers markers;
        const char* text;
        Lines inserted;
    };
    const Case cases[] = {
        {Markers::On, "    x = 1\n    y = 2", {kBegin, "    x = 1", "    y = 2", kEnd}},
        {Markers::Off, "    x = 1\n    y = 2", {"    x = 1", "    y = 2"}},
        {Markers::Off, "", {""}},
    };
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
        {"DeclarationOnLineOne", proc, "Sub A()\r\nEnd Sub\r\n", "A", 1},
        {"BelowAnEarlierBlock", proc,
         "Option Explicit\r\n' [Brindle Begin]\r\n' Module1\r\n' [Brindle End]\r\n' Runs A\r\n"
         "Sub A()\r\nEnd Sub\r\n",
         "A", 5},
        {"AboveTheIfOfAlternativeDeclarations", proc,
         "Dim x\r\n' The window's handle\r\n#If VBA7 Then\r\n' 64-bit\r\n"
         "Private Function Handle() As LongPtr\r\n#Else\r\nPrivate Function Handle() As Long\r\n"
         "#End If\r\n    Handle = 0\r\nEnd Function\r\n",
         "Handle", 2},
        {"InsideTheIfOfAWholeConditionalProcedure", proc,
         "#If DEBUG_BUILD Then\r\nSub Trace()\r\nEnd Sub\r\n#End If\r\n", "Trace", 2},
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

// Each call adds one, to the method even when an event shares its name; the footer goes above
// an End statement split over lines.
TEST(ErrHandlerPlacement, EachCallAddsOneAroundTheBody) {
    ModuleUnderTest m(
        "Public Event Connect()\r\n\r\nPublic Sub Connect()\r\n    x = 1\r\nEnd _\r\n"
        "  Sub\r\n",
        vbext_ct_ClassModule);
    AddErrHandlerToProc(test::OneLineFields(), m.module(), "Connect", vbext_pk_Proc, nullptr);
    AddErrHandlerToProc(test::OneLineFields(), m.module(), "Connect", vbext_pk_Proc, nullptr);
    EXPECT_EQ(m.lines(), (Lines{"Public Event Connect()", "", "Public Sub Connect()", "' H", "' H",
                                "    x = 1", "' F", "' F", "End _", "  Sub"}));
}

// Where a header below the declaration and a footer above the End statement would not enclose
// the body as written, the procedure is told of and left as it is; without both templates no
// procedure gets a handler, and the command tells why. The next procedure is still whole.
TEST(ErrHandlerPlacement, NoHandlerGoesInHalfOrWhereItWouldNotEncloseTheBody) {
    struct Case {
        const char* code;
        const char* procedure;
        vbext_ProcKind kind;
        const char* warning;  // null: none
        const char* errHeader = "' H\n";
        const char* errFooter = "' F\n";
    };
    const Case cases[] = {
        {"Sub Short(): x = 1: End Sub\r\n", "Short", vbext_pk_Proc,
         "Sub Short, line 1: its End Sub shares the declaration's line"},
        {"Private Property Get StatusText() As String\r\n    StatusText = m_Text\r\nEnd "
         "Function\r\n",
         "StatusText", vbext_pk_Get, "Property Get StatusText, line 1: no End Property"},
        {"Sub NeverEnds()\r\n    Beep\r\n", "NeverEnds", vbext_pk_Proc,
         "Sub NeverEnds, line 1: no End Sub"},
        {"Sub Early(): x = 1\r\n    y = 2\r\nEnd Sub\r\n", "Early", vbext_pk_Proc,
         "Sub Early, line 1: other statements share the declaration's line"},
        {"Function Late() As Long\r\n    Late = 1: End _\r\n    Function\r\n", "Late",
         vbext_pk_Proc,
         "Function Late, line 1: other statements share line 2 with its End Function"},
        {"Sub A()\r\nEnd Sub\r\n", "A", vbext_pk_Proc, nullptr, ""},
        {"Sub A()\r\nEnd Sub\r\n", "A", vbext_pk_Proc, nullptr, "' H\n", ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        ModuleUnderTest m(std::string(c.code) + "\r\nSub Last()\r\nEnd Sub\r\n");
        const auto before = m.lines();
        auto fields = test::OneLineFields();
        fields.msErrHdrTmplt = c.errHeader;
        fields.msErrFtrTmplt = c.errFooter;
        test::RecordingSink sink;
        AddErrHandlerToProc(fields, m.module(), c.procedure, c.kind, &sink);
        EXPECT_EQ(m.lines(), before);
        std::vector<std::string> expected;
        if (c.warning != nullptr) {
            expected.push_back(std::string("Module1: ") + c.warning + "; no error handler added");
        }
        EXPECT_EQ(sink.warnings, expected);
        AddErrHandlerToProc(test::OneLineFields(), m.module(), "Last", vbext_pk_Proc, nullptr);
        EXPECT_EQ(m.lines().size(), before.size() + 2);
    }
}

// A failure leaves the module as it was and passes on its chain.
TEST(ErrHandlerPlacement, AFailureLeavesTheModuleAsItWas) {
    ModuleUnderTest m("Sub A()\r\nEnd Sub\r\n");
    const auto before = m.lines();
    const auto fields = CodegenFields(Markers::On);
    for (const auto& [add, source] : std::vector<std::pair<std::function<void()>, std::string>>{
             {[&] { AddErrHandlerToProc(fields, m.module(), "Missing", vbext_pk_Proc, nullptr); },
              "Brindle.AddErrHandlerToProc | VBIDE."},
             {[&] { AddHeaderToProc(fields, m.module(), "A", vbext_pk_Get); },
              "Brindle.AddHeaderToProc | VBIDE."}}) {
        try {
            add();
            ADD_FAILURE() << "no failure";
        } catch (const VbError& e) {
            EXPECT_EQ(e.Number(), 35);
            EXPECT_TRUE(e.Source().starts_with(source)) << e.Source();
        }
        EXPECT_EQ(m.lines(), before);
    }
}

}  // namespace
}  // namespace brindle

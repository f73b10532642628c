// Marked insertion and where headers and error handlers for one procedure go; the module header,
// and headers and error handlers for the procedures a selection touches; bringing marked blocks
// up to date, and what check finds wrong with them.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "codegen/BlockText.h"
#include "codegen/Insertion.h"
#include "codegen/ModuleCommands.h"
#include "codegen/Refresh.h"
#include "codegen/codegen_support.h"
#include "model/VbError.h"
#include "support/RecordingSink.h"

namespace brindle {
namespace {

using test::CodegenFields;
using test::Concat;
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

TEST(ModuleHeader, GoesBelowAFirstLineThatMentionsOptionExplicitAndElseAtTheTop) {
    const Lines header = {"'----", "' Module: Module1", "' Author: Ann Author", "'----"};
    struct Case {
        const char* name;
        const char* code;
        Markers markers;
        Lines expected;
        const char* tmplt = nullptr;  // the usual one
    };
    const Case cases[] = {
        {"OptionExplicit", "Option Explicit\r\nDim x\r\n", Markers::On,
         Concat({{"Option Explicit", kBegin}, header, {kEnd, "Dim x"}})},
        {"CommentInAnyCase", "' every module has option explicit\r\nDim x\r\n", Markers::Off,
         Concat({{"' every module has option explicit"}, header, {"Dim x"}})},
        {"OptionExplicitOnTheSecondLine", "Option Base 1\r\nOption Explicit\r\n", Markers::Off,
         Concat({header, {"Option Base 1", "Option Explicit"}})},
        {"EmptyModule", "", Markers::On, Concat({{kBegin}, header, {kEnd}})},
        {"EmptyTemplateAddsNothing", "Dim x\r\n", Markers::On, {"Dim x"}, ""}};
    for (const auto& c : cases) {
        ModuleUnderTest m(c.code);
        auto fields = CodegenFields(c.markers);
        if (c.tmplt != nullptr) {
            fields.msModHdrTmplt = c.tmplt;
        }
        AddModuleHeader(fields, m.module());
        EXPECT_EQ(m.lines(), c.expected) << c.name;
    }
}

// The last declaration runs past the module's end: that procedure gets nothing and is told,
// the one before it gets its header and handler (the removal is the round-trip fuzzer's).
TEST(SelectedProcedures, OneCutOffByTheModulesEndGetsNothingAndIsToldOf) {
    for (const char* last : {"Sub Two(ByVal a As Long, _", "Sub Two(ByVal a As Long, _\r\n"}) {
        SCOPED_TRACE(last);
        ModuleUnderTest m(std::string("Option Explicit\r\nSub One()\r\nEnd Sub\r\n") + last);
        auto fields = test::OneLineFields();
        fields.mbAddCodeMarkers = true;
        test::RecordingSink sink;
        AddModuleHeader(fields, m.module(), &sink);
        test::SelectAll(m.module());
        AddHeaders(fields, m.module(), &sink);
        AddErrHandlers(fields, m.module(), &sink);
        EXPECT_EQ(sink.warnings,
                  (std::vector<std::string>{
                      "Module1: Sub Two, line 13: its declaration runs on past the module's last "
                      "line; no procedure header added",
                      "Module1: Sub Two, line 19: its declaration runs on past the module's last "
                      "line; no error handler added"}));
        EXPECT_EQ(sink.Count(Work::ProcedureHeaderAdded), 1);
        EXPECT_EQ(sink.Count(Work::ErrorHandlerAdded), 1);
        EXPECT_TRUE(sink.reported.empty());
    }
}

// What people wrote in a procedure header or an error footer stays through a refresh, at its
// template line; a block the template in use has no place for is left and told at its line.
// check --stale calls a block stale exactly when the refresh would change or leave it.
TEST(Refresh, KeepsWhatPeopleWroteAndCheckAgrees) {
    const std::string usual =
        "'---\n' Procedure: %ProcedureName%\n' Purpose:\n' Parameters:%Parameters%\n"
        "' Returns:\n' Author: %Author%, %Date%\n'---\n";
    const Lines filled = {"'---",
                          "' Procedure: Halve",
                          "' Purpose: Halves X",
                          "' Parameters:",
                          "'\tByVal X As Long",
                          "' Returns: X / 2, rounded down",
                          "' Author: Old Name, 01/02/2024",
                          "'---"};
    const auto with = [&](std::size_t at, const Lines& lines) {
        Lines changed = filled;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            changed[at + i] = lines[i];
        }
        return changed;
    };
    const auto added = [](Lines lines, std::size_t at, const std::string& line) {
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), line);
        return lines;
    };
    const auto renewed = [](Lines lines) {
        lines[6] = "' Author: Ann Author, 01/02/2024";
        return lines;
    };
    struct Case {
        const char* name;
        Lines block;               // between the markers, the first on line 2
        Lines refreshed = {};      // empty: left as it is
        std::string warning = {};  // "" for none
        const char* author = "Ann Author";
        std::string declaration = "Function Halve(ByVal X As Long) As Long";
        std::string tmplt = {};                       // the usual one
        BlockRole role = BlockRole::ProcedureHeader;  // an error footer closes the body
        Lines overwritten = {};                       // with Unplaced::Replace, when given
    };
    const std::string footer = "    Exit %ProcedureType%\nBrindleErrorHandler:\n";
    const std::string logging =
        footer + "    LogError \"%ModuleName%.%ProcedureName%\"\n    Err.Raise Err.Number\n";
    const Lines handled = {"    Exit Function", "BrindleErrorHandler:"};
    const auto raising = [&](const std::string& line) { return Concat({handled, {line}}); };
    const auto unplaced = [](int line, const std::string& block) {
        return "Module1: Function Halve, line " + std::to_string(line) + ": text in the marked " +
               block + " that the template in use has no place for; the block is left as it is";
    };
    const Case cases[] = {
        {"filled in, after an author change", filled, renewed(filled)},
        {"filled in, nothing else changed", filled, {}, "", "Old Name"},
        {"a line added inside", added(filled, 3, "'          (rounding down)"),
         added(renewed(filled), 3, "'          (rounding down)")},
        {.name = "a renamed parameter with a note",
         .block = with(4, {"'\tByVal X As Long   the number"}),
         .refreshed = renewed(with(4, {"'\tByVal Y As Integer   the number"})),
         .declaration = "Function Halve(ByVal Y As Integer) As Long"},
        {.name = "a new parameter",
         .block = filled,
         .refreshed = added(renewed(filled), 5, "'\tOptional Z = \"a\""),
         .declaration = "Function Halve(ByVal X As Long, Optional Z = \"a\") As Long"},
        {.name = "the filled line renamed in the template",
         .block = filled,
         .warning = unplaced(5, "procedure header"),
         .tmplt = "'---\n' Procedure: %ProcedureName%\n' Summary:\n' Parameters:%Parameters%\n"
                  "' Returns:\n' Author: %Author%, %Date%\n'---\n"},
        {.name = "text after a trailing date",
         .block = {"' Created 01/02/2024 (UTC)"},
         .warning = unplaced(3, "procedure header"),
         .tmplt = "' Created %Date%\n"},
        {.name = "text put after a trailing date",
         .block = {"' Created 01/02/2024"},
         .refreshed = {"' Created 01/02/2024 (UTC)"},
         .tmplt = "' Created %Date% (UTC)\n"},
        // On a code line only a comment after the code can be a person's; other text there is
        // an older template's.
        {.name = "a code line split in two in the template",
         .block = raising("    Err.Raise Err.Number, \"Module1.Halve\""),
         .warning = unplaced(7, "error footer"),
         .tmplt = logging,
         .role = BlockRole::ErrorFooter,
         .overwritten =
             Concat({handled, {"    LogError \"Module1.Halve\"", "    Err.Raise Err.Number"}})},
        {.name = "a comment after a code line",
         .block = raising("    Err.Raise Err.Number ' to the caller"),
         .refreshed = Concat(
             {handled,
              {"    LogError \"Module1.Halve\"", "    Err.Raise Err.Number ' to the caller"}}),
         .tmplt = logging,
         .role = BlockRole::ErrorFooter},
        {.name = "a code line grown in the template",
         .block = raising("    Err.Raise Err.Number"),
         .refreshed = raising("    Err.Raise Err.Number, \"Module1.Halve\""),
         .tmplt = footer + "    Err.Raise Err.Number, \"%ModuleName%.%ProcedureName%\"\n",
         .role = BlockRole::ErrorFooter},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const bool header = c.role == BlockRole::ProcedureHeader;
        const auto module = [&](const Lines& block) {
            return header ? Concat({{"Private m_Count As Long", kBegin},
                                    block,
                                    {kEnd, c.declaration, "End Function"}})
                          : Concat({{"Private m_Count As Long", c.declaration, "    Halve = X \\ 2",
                                     kBegin},
                                    block,
                                    {kEnd, "End Function"}});
        };
        ModuleUnderTest m(module(c.block));
        auto fields = CodegenFields(Markers::On);
        (header ? fields.msProcHdrTmplt : fields.msErrFtrTmplt) = c.tmplt.empty() ? usual : c.tmplt;
        fields.msAuthor = c.author;
        const auto before = m.lines();

        auto findings = CheckModule(fields, m.module(), {false, false, false, true});
        std::erase_if(findings, [](const Finding& f) { return f.rule != "stale"; });
        const bool same = c.refreshed.empty() && c.warning.empty();
        EXPECT_EQ(findings.size(), same ? 0u : 1u);
        test::RecordingSink sink;
        RefreshModule(fields, m.module(), &sink);
        EXPECT_EQ(sink.warnings, c.warning.empty() ? Lines{} : Lines{c.warning});
        EXPECT_EQ(m.lines(), c.refreshed.empty() ? before : module(c.refreshed));
        if (!c.warning.empty() && !findings.empty()) {
            EXPECT_TRUE(c.warning.find(", line " + std::to_string(findings[0].line) + ":") !=
                        std::string::npos);
        }
        if (!c.overwritten.empty()) {
            RefreshModule(fields, m.module(), nullptr, Unplaced::Replace);
            EXPECT_EQ(m.lines(), module(c.overwritten));
        }
    }
}

// What check finds wrong with the code Brindle added: each finding at its code line under a
// rule of its own, whatever the rules of what a module lacks ask for.
TEST(Check, FindsWhatBrokeTheCodeUnderARuleOfItsOwn) {
    const auto& b = kBegin;
    const auto& e = kEnd;
    const std::string nothing =
        "a skip comment above no procedure keeps Brindle from nothing: "
        "only comment lines may stand between it and the declaration";
    struct Row {
        const char* name;
        Lines code;
        std::vector<std::string> found;  // "line rule: text"
    };
    const Row rows[] = {
        {"BlockAcrossTwoProcedures",
         {"Sub A()", b, "    x = 1", "End Sub", "Sub B()", e, "End Sub"},
         {"2 markers: a marked block across the End of Sub A and the declaration of Sub B"}},
        {"ErrorHandlerAddedTwice",
         {"Sub A()", b, "    On Error GoTo Handler", e, b, "    On Error GoTo Handler", e, b,
          "    Exit Sub", "Handler:", e, b, "    Exit Sub", "Handler:", e, "End Sub"},
         {"14 duplicate: a second label Handler in Sub A, so the module does not compile (a "
          "marked error handler added twice)"}},
        {"LabelOfTheProceduresOwnAndOfAMarkedErrorHandler",
         {"Sub A()", "    On Error GoTo Handler", "Handler:", b, "    Exit Sub", "Handler:", e,
          "End Sub"},
         {"6 duplicate: a second label Handler in Sub A, so the module does not compile (one of "
          "them in a marked block)"}},
        {"ProcedureHeaderAddedTwice",
         {"Private x As Long", b, "' Procedure A, 1999", e, b, "' Procedure A, 2000", e, "Sub A()",
          "End Sub"},
         {"5 duplicate: a second marked procedure header above Sub A"}},
        {"ProcedureHeaderTakenForTheModuleHeader",
         {"Option Explicit", b, "' Procedure Main, 1999", e, b, "' Procedure Main, 2000", e,
          "Sub Main()", "End Sub"},
         {"2 role: the marked block taken for the module header reads as the procedure header "
          "of Sub Main"}},
        {"SkipCommentAboveABlankLine",
         {"Sub A()", "End Sub", "' brindle: skip (called through AddressOf)", "", "Sub B()",
          "End Sub"},
         {"3 skip: " + nothing}},
        {"SkipCommentInABody",
         {"Sub A()", "    REM brindle: skip", "End Sub"},
         {"2 skip: " + nothing}},
        {"RemSkipCommentWithAReason",
         {"Sub A()", "End Sub", "Rem  Brindle : SKIP\tcalled through AddressOf", "Sub B()", b,
          "End Sub"},
         {}},
        {"NoSkipCommentButAWordThatStartsSo",
         {"' brindle: skipped", "Sub A()", b, "End Sub"},
         {"3 markers: a begin marker without its end marker"}},
    };
    // The procedure header of the upkeep the rows come from, which a block is read against.
    auto fields = test::CodegenFields(test::Markers::On);
    fields.msProcHdrTmplt = "' Procedure %ProcedureName%, %Date%\n";
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        test::ModuleUnderTest m(row.code);
        std::vector<std::string> found;
        for (const auto& finding : CheckModule(fields, m.module(), {false, false, false, false})) {
            found.push_back(std::to_string(finding.line) + " " + finding.rule + ": " +
                            finding.text);
        }
        EXPECT_EQ(found, row.found);
    }
}

}  // namespace
}  // namespace brindle

// What check finds wrong with the code Brindle added: each finding at its code line under a
// rule of its own, whatever the rules of what a module lacks ask for.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codegen/Refresh.h"
#include "codegen/codegen_support.h"

namespace brindle {
namespace {

using test::kBegin;
using test::kEnd;
using test::Lines;

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

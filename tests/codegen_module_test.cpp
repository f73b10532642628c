// The module header, and headers and error handlers for the procedures a selection touches.

#include <gtest/gtest.h>

#include <string>

#include "codegen/ModuleCommands.h"
#include "codegen_support.h"
#include "host/model/VbError.h"

namespace brindle {
namespace {

using test::CodegenFields;
using test::Concat;
using test::kBegin;
using test::kEnd;
using test::Lines;
using test::Markers;
using test::ModuleUnderTest;

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

// Many modules have no declarations: the first procedure follows Option Explicit, or the hidden
// header, directly. Its header goes below the module header, never above it.
TEST(ModuleHeader, StaysFirstWhenTheFirstProcedureFollowsDirectly) {
    auto fields = CodegenFields(Markers::On);
    fields.msModHdrTmplt = "' Module\n";
    fields.msProcHdrTmplt = "' header %ProcedureName%\n";
    const Lines headers = {kBegin, "' Module", kEnd, kBegin, "' header A", kEnd};
    for (const bool optionExplicit : {true, false}) {
        ModuleUnderTest m(std::string(optionExplicit ? "Option Explicit\r\n" : "") +
                          "Sub A()\r\nEnd Sub\r\n");
        AddModuleHeader(fields, m.module());
        test::SelectAll(m.module());
        AddHeaders(fields, m.module());
        EXPECT_EQ(m.lines(), Concat({optionExplicit ? Lines{"Option Explicit"} : Lines{},
                                     headers,
                                     {"Sub A()", "End Sub"}}));
    }
}

TEST(SelectedProcedures, EveryTouchedProcedureOnceAndNoOther) {
    ModuleUnderTest m(
        "Sub First()\r\nEnd Sub\r\nProperty Get Size() As Long\r\n    Size = 1\r\nEnd Property\r\n"
        "Property Let Size(ByVal v As Long)\r\n    x = v\r\nEnd Property\r\n"
        "Sub Last()\r\nEnd Sub\r\n");
    // From inside the Get to inside the Let: two entries of one property member. The selection
    // grows with the lines inserted inside it, so the headers follow.
    m.Select(4, 3, 7, 3);
    AddErrHandlers(test::OneLineFields(), m.module(), nullptr);
    AddHeaders(test::OneLineFields(), m.module());
    EXPECT_EQ(m.lines(),
              (Lines{"Sub First()", "End Sub", "' header Size", "Property Get Size() As Long",
                     "' H", "    Size = 1", "' F", "End Property", "' header Size",
                     "Property Let Size(ByVal v As Long)", "' H", "    x = v", "' F",
                     "End Property", "Sub Last()", "End Sub"}));
}

TEST(SelectedProcedures, AFailureEndsTheRunAfterTheProceduresBeforeIt) {
    // The last declaration goes on past the module's last line.
    ModuleUnderTest m("Sub One()\r\nEnd Sub\r\n\r\nSub Two(ByVal a As Long, _");
    test::SelectAll(m.module());
    try {
        AddErrHandlers(test::OneLineFields(), m.module(), nullptr);
        ADD_FAILURE() << "no failure";
    } catch (const VbError& e) {
        EXPECT_EQ(e.Number(), 9);
        EXPECT_TRUE(
            e.Source().starts_with("Brindle.AddErrHandlers | Brindle.AddErrHandlerToProc | "
                                   "Brindle.GetProcDeclLine | VBIDE."))
            << e.Source();
    }
    EXPECT_EQ(m.lines(),
              (Lines{"Sub One()", "' H", "' F", "End Sub", "", "Sub Two(ByVal a As Long, _"}));
}

}  // namespace
}  // namespace brindle

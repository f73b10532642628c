// The module header, and headers and error handlers for the procedures a selection touches.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codegen/Insertion.h"
#include "codegen/ModuleCommands.h"
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
const Lines kHeader = {"'----", "' Module: Module1", "' Author: Ann Author", "'----"};

Lines Concat(std::initializer_list<Lines> parts) {
    Lines all;
    for (const auto& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

// --- Module header -------------------------------------------------------------------------------

TEST(ModuleHeader, GoesBelowAFirstLineThatMentionsOptionExplicitInAnyCase) {
    ModuleUnderTest m("Option Explicit\r\nDim x\r\n");
    AddModuleHeader(CodegenFields(Markers::On), m.module());
    EXPECT_EQ(m.lines(), Concat({{"Option Explicit", kBegin}, kHeader, {kEnd, "Dim x"}}));

    ModuleUnderTest comment("' every module has option explicit\r\nDim x\r\n");
    AddModuleHeader(CodegenFields(Markers::Off), comment.module());
    EXPECT_EQ(comment.lines(),
              Concat({{"' every module has option explicit"}, kHeader, {"Dim x"}}));
}

TEST(ModuleHeader, GoesAboveEverythingWhenOptionExplicitIsNotOnTheFirstLine) {
    ModuleUnderTest m("Option Base 1\r\nOption Explicit\r\n");
    AddModuleHeader(CodegenFields(Markers::Off), m.module());
    EXPECT_EQ(m.lines(), Concat({kHeader, {"Option Base 1", "Option Explicit"}}));
}

TEST(ModuleHeader, AnEmptyTemplateGivesTheMarkersAroundOneEmptyLine) {
    ModuleUnderTest m("Dim x\r\n");
    auto fields = CodegenFields(Markers::On);
    fields.msModHdrTmplt.clear();
    AddModuleHeader(fields, m.module());
    EXPECT_EQ(m.lines(), (Lines{kBegin, "", kEnd, "Dim x"}));
}

TEST(ModuleHeader, ASecondHeaderGoesBetweenOptionExplicitAndTheFirst) {
    ModuleUnderTest m("Option Explicit\r\n");
    auto fields = CodegenFields(Markers::Off);
    AddModuleHeader(fields, m.module());
    fields.msModHdrTmplt = "' second\n";
    AddModuleHeader(fields, m.module());
    EXPECT_EQ(m.lines(), Concat({{"Option Explicit", "' second"}, kHeader}));
}

TEST(ModuleHeader, AnEmptyModuleGetsItsHeader) {
    ModuleUnderTest m("");
    AddModuleHeader(CodegenFields(Markers::On), m.module());
    EXPECT_EQ(m.lines(), Concat({{kBegin}, kHeader, {kEnd}}));
}

// --- Headers and error handlers for the selection ---------------------------------------------

const char* const kModule =
    "Option Explicit\r\n"                            // 1
    "Private m_Size As Long\r\n"                     // 2
    "\r\n"                                           // 3
    "Public Sub First()\r\n"                         // 4
    "End Sub\r\n"                                    // 5
    "\r\n"                                           // 6
    "Public Property Get Size() As Long\r\n"         // 7
    "    Size = m_Size\r\n"                          // 8
    "End Property\r\n"                               // 9
    "\r\n"                                           // 10
    "Public Property Let Size(ByVal v As Long)\r\n"  // 11
    "    m_Size = v\r\n"                             // 12
    "End Property\r\n"                               // 13
    "\r\n"                                           // 14
    "Public Sub Last()\r\n"                          // 15
    "End Sub\r\n";                                   // 16

TEST(SelectedProcedures, ASelectionInTheDeclarationsSectionChangesNothing) {
    ModuleUnderTest m(kModule);
    const auto before = m.lines();
    m.Select(1, 1, 2, 5);
    AddHeaders(CodegenFields(Markers::On), m.module());
    AddErrHandlers(CodegenFields(Markers::On), m.module());
    EXPECT_EQ(m.lines(), before);
}

TEST(SelectedProcedures, EveryTouchedProcedureOnceAndNoOther) {
    ModuleUnderTest m(kModule);
    auto fields = CodegenFields(Markers::Off);
    fields.msProcHdrTmplt = "' header %ProcedureName%\n";
    fields.msErrHdrTmplt = "' H\n";
    fields.msErrFtrTmplt = "' F\n";
    // From inside the Get to inside the Let: two entries of one property member.
    m.Select(8, 3, 12, 3);
    AddErrHandlers(fields, m.module());
    EXPECT_EQ(m.lines(), (Lines{"Option Explicit",
                                "Private m_Size As Long",
                                "",
                                "Public Sub First()",
                                "End Sub",
                                "",
                                "Public Property Get Size() As Long",
                                "' H",
                                "    Size = m_Size",
                                "' F",
                                "End Property",
                                "",
                                "Public Property Let Size(ByVal v As Long)",
                                "' H",
                                "    m_Size = v",
                                "' F",
                                "End Property",
                                "",
                                "Public Sub Last()",
                                "End Sub"}));

    // The selection has grown with the lines inserted inside it; the headers follow.
    AddHeaders(fields, m.module());
    EXPECT_EQ(m.line(7), "' header Size");
    EXPECT_EQ(m.line(8), "Public Property Get Size() As Long");
    EXPECT_EQ(m.line(14), "' header Size");
    EXPECT_EQ(m.line(15), "Public Property Let Size(ByVal v As Long)");
    EXPECT_EQ(m.module().CountOfLines(), 22);
}

TEST(SelectedProcedures, AFailureEndsTheRunAfterTheProceduresBeforeIt) {
    ModuleUnderTest m(
        "Sub One()\r\nEnd Sub\r\n\r\n"
        "Sub Two()\r\nEnd _\r\nSub\r\n\r\n"  // an End statement split over two lines
        "Sub Three()\r\nEnd Sub\r\n");
    auto fields = CodegenFields(Markers::Off);
    fields.msErrHdrTmplt = "' H\n";
    fields.msErrFtrTmplt = "' F\n";
    m.SelectAll();
    try {
        AddErrHandlers(fields, m.module());
        FAIL() << "no failure";
    } catch (const VbError& e) {
        EXPECT_EQ(e.Number(), 9);
        EXPECT_EQ(e.Source().rfind("Brindle.AddErrHandlers | Brindle.AddErrHandlerToProc | "
                                   "Brindle.InsertErrFooter | VBIDE.",
                                   0),
                  0u)
            << e.Source();
    }
    EXPECT_EQ(m.lines(), (Lines{"Sub One()", "' H", "' F", "End Sub", "", "Sub Two()", "End _",
                                "Sub", "", "Sub Three()", "End Sub"}));
}

}  // namespace
}  // namespace brindle

#include <gtest/gtest.h>

#include "host/MemoryProject.h"
#include "host/model/VbError.h"

namespace brindle::host {
namespace {

constexpr std::string_view kModule =
    "Option Explicit\r\n"
    "Private mCount As Long\r\n"
    "\r\n"
    "' Adds one.\r\n"
    "Public Sub Increment()\r\n"
    "    mCount = mCount + 1\r\n"
    "End Sub\r\n"
    "\r\n"
    "Public Property Get Count() As Long\r\n"
    "    Count = mCount\r\n"
    "End Property\r\n"
    "\r\n"
    "Public Property Let Count(ByVal value As Long)\r\n"
    "    mCount = value\r\n"
    "End Property\r\n"
    "\r\n";

class CodeModuleTest : public ::testing::Test {
protected:
    MemoryProject project;
    CodeModule& module =
        project.AddComponent("Counter", vbext_ct_ClassModule, kModule).CodeModule();
};

TEST_F(CodeModuleTest, LinesAndSpans) {
    EXPECT_EQ(module.CountOfLines(), 16);
    EXPECT_EQ(module.Lines(5, 1), "Public Sub Increment()");
    EXPECT_EQ(module.Lines(6, 2), "    mCount = mCount + 1\r\nEnd Sub");
    EXPECT_EQ(module.ProcStartLine("increment", vbext_pk_Proc), 3);
    EXPECT_EQ(module.ProcBodyLine("Increment", vbext_pk_Proc), 5);
    EXPECT_EQ(module.ProcCountLines("Increment", vbext_pk_Proc), 5);
    EXPECT_EQ(module.ProcStartLine("Count", vbext_pk_Get), 8);
    EXPECT_EQ(module.ProcStartLine("Count", vbext_pk_Let), 12);
    EXPECT_EQ(module.ProcCountLines("Count", vbext_pk_Let), 5);
    vbext_ProcKind kind = vbext_pk_Get;
    EXPECT_EQ(module.ProcOfLine(2, kind), "");
    EXPECT_EQ(kind, vbext_pk_Proc);
    EXPECT_EQ(module.ProcOfLine(12, kind), "Count");
    EXPECT_EQ(kind, vbext_pk_Let);
}

TEST_F(CodeModuleTest, InsertMovesTheProceduresBelow) {
    module.InsertLines(6, "    ' one\n    ' two\n");
    EXPECT_EQ(module.Lines(8, 1), "");
    EXPECT_EQ(module.ProcCountLines("Increment", vbext_pk_Proc), 8);
    EXPECT_EQ(module.ProcBodyLine("Count", vbext_pk_Get), 12);
    module.DeleteLines(6, 3);
    EXPECT_EQ(module.ProcBodyLine("Count", vbext_pk_Get), 9);
}

TEST_F(CodeModuleTest, UnknownProcedureRaises35) {
    try {
        module.ProcBodyLine("Count", vbext_pk_Set);
        FAIL();
    } catch (const VbError& e) {
        EXPECT_EQ(e.Number(), 35);
        EXPECT_EQ(e.Source(), "VBIDE.CodeModule.ProcBodyLine");
    }
}

}  // namespace
}  // namespace brindle::host

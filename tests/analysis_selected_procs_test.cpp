#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/SelectedProcs.h"
#include "host/MemoryProject.h"
#include "host/model/VbError.h"

namespace brindle {
namespace {

constexpr std::string_view kCode =
    "Option Explicit\r\n"                          // 1
    "Private mValue As Long\r\n"                   // 2
    "\r\n"                                         // 3
    "' Says hello\r\n"                             // 4
    "Sub Hello()\r\n"                              // 5
    "End Sub\r\n"                                  // 6
    "\r\n"                                         // 7
    "Property Get Value() As Long\r\n"             // 8
    "End Property\r\n"                             // 9
    "Property Let Value(ByVal v As Long)\r\n"      // 10
    "End Property\r\n"                             // 11
    "\r\n"                                         // 12
    "Function Twice(ByVal n As Long) As Long\r\n"  // 13
    "End Function\r\n";                            // 14

class Selection : public ::testing::Test {
protected:
    host::MemoryProject project;
    CodeModule& code = project.AddComponent("Module1", vbext_ct_StdModule, kCode).CodeModule();

    std::vector<std::string> Selected(std::int32_t startLine, std::int32_t startColumn,
                                      std::int32_t endLine, std::int32_t endColumn) {
        code.CodePane().SetSelection(startLine, startColumn, endLine, endColumn);
        std::vector<std::string> keys;
        for (const ProcInfo& info : GetSelectedProcs(code)) {
            keys.push_back(ProcList::KeyOf(info));
        }
        return keys;
    }
};

using Keys = std::vector<std::string>;

TEST_F(Selection, ACaretGivesTheProcedureThatHoldsIt) {
    EXPECT_EQ(Selected(5, 3, 5, 3), Keys{"Hello_0"});
    EXPECT_EQ(Selected(4, 1, 4, 1), Keys{"Hello_0"});
    EXPECT_EQ(Selected(2, 1, 2, 1), Keys{});
}

TEST_F(Selection, AnEndAtColumnOneOfALaterLineIsPulledBack) {
    // Line 7, blank, opens the span of the property below.
    EXPECT_EQ(Selected(5, 1, 7, 1), Keys{"Hello_0"});
    EXPECT_EQ(Selected(5, 1, 8, 1), (Keys{"Hello_0", "Value_3"}));
    std::int32_t startLine = 0, startColumn = 0, endLine = 0, endColumn = 0;
    GetSelection(code.CodePane(), startLine, startColumn, endLine, endColumn);
    EXPECT_EQ(endLine, 7);
    EXPECT_EQ(endColumn, 0);

    code.CodePane().SetSelection(4, 1, 6, 1);
    GetSelection(code.CodePane(), startLine, startColumn, endLine, endColumn);
    EXPECT_EQ(endLine, 5);
    EXPECT_EQ(endColumn, 11);

    EXPECT_EQ(Selected(8, 1, 8, 1), Keys{"Value_3"});
}

TEST_F(Selection, EachTouchedProcedureOnceInModuleOrder) {
    EXPECT_EQ(Selected(1, 1, 5, 2), Keys{"Hello_0"});
    EXPECT_EQ(Selected(1, 1, 14, 13), (Keys{"Hello_0", "Value_3", "Value_1", "Twice_0"}));
    EXPECT_EQ(Selected(9, 1, 10, 5), (Keys{"Value_3", "Value_1"}));
    EXPECT_EQ(Selected(1, 1, 2, 5), Keys{});
}

TEST(ProcList, KeysIgnoreCaseAndTheFirstEntryStays) {
    ProcList list;
    list.Add({"Value", vbext_pk_Get});
    list.Add({"Value", vbext_pk_Let});
    EXPECT_FALSE(list.TryAdd({"VALUE", vbext_pk_Get}));
    try {
        list.Add({"value", vbext_pk_Let});
        FAIL() << "no failure";
    } catch (const VbError& e) {
        EXPECT_EQ(e.Number(), 457);
    }
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].gsProcName, "Value");
    EXPECT_EQ(ProcList::KeyOf(list[1]), "Value_1");
}

}  // namespace
}  // namespace brindle

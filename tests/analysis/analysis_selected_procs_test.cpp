#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/SelectedProcs.h"
#include "host/ide/MemoryProject.h"
#include "model/VbError.h"

namespace brindle {
namespace {

using Keys = std::vector<std::string>;

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

TEST(SelectedProcs, EachTouchedProcedureOnceInModuleOrder) {
    host::MemoryProject project;
    CodeModule& code = project.AddComponent("Module1", vbext_ct_StdModule, kCode).CodeModule();
    struct Case {
        std::int32_t startLine, startColumn, endLine, endColumn;
        Keys keys;
    };
    const Case cases[] = {
        {5, 3, 5, 3, {"Hello_0"}},
        {4, 1, 4, 1, {"Hello_0"}},  // the comment above belongs to the procedure
        {2, 1, 2, 1, {}},
        {1, 1, 5, 2, {"Hello_0"}},
        {1, 1, 14, 13, {"Hello_0", "Value_3", "Value_1", "Twice_0"}},
        {9, 1, 10, 5, {"Value_3", "Value_1"}},
        // An end at column 1 of a later line is pulled back to the end of the
        // line above; line 7, blank, opens the span of the property below.
        {5, 1, 7, 1, {"Hello_0"}},
        {5, 1, 8, 1, {"Hello_0", "Value_3"}},
    };
    for (const auto& c : cases) {
        code.CodePane().SetSelection(c.startLine, c.startColumn, c.endLine, c.endColumn);
        Keys keys;
        for (const ProcInfo& info : GetSelectedProcs(code)) {
            keys.push_back(ProcList::KeyOf(info));
        }
        EXPECT_EQ(keys, c.keys) << c.startLine << ":" << c.startColumn << "-" << c.endLine << ":"
                                << c.endColumn;
    }
    code.CodePane().SetSelection(4, 1, 6, 1);
    std::int32_t startLine = 0, startColumn = 0, endLine = 0, endColumn = 0;
    GetSelection(code.CodePane(), startLine, startColumn, endLine, endColumn);
    EXPECT_EQ(endLine, 5);
    EXPECT_EQ(endColumn, 11);
}

TEST(ProcList, KeysIgnoreCaseAndTheFirstEntryStays) {
    ProcList list;
    list.Add({"Value", vbext_pk_Get});
    list.Add({"Value", vbext_pk_Let});
    EXPECT_FALSE(list.TryAdd({"VALUE", vbext_pk_Get}));
    try {
        list.Add({"value", vbext_pk_Let});
        ADD_FAILURE() << "no failure";
    } catch (const VbError& e) {
        EXPECT_EQ(e.Number(), 457);
    }
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].gsProcName, "Value");
    EXPECT_EQ(ProcList::KeyOf(list[1]), "Value_1");
}

}  // namespace
}  // namespace brindle

// Removal of marker lines and of marked blocks within the selection.

#include <gtest/gtest.h>

#include <string>

#include "codegen/ModuleCommands.h"
#include "codegen_support.h"

namespace brindle {
namespace {

using test::Lines;
using test::ModuleUnderTest;

const std::string B(kBeginMarker);
const std::string E(kEndMarker);

struct Selection {
    std::int32_t startLine, startColumn, endLine, endColumn;
};

struct Case {
    const char* name;
    Lines code;
    Lines afterRemoveCode;
    Lines afterRemoveCodeMarkers;
    Selection selection = {};  // none: the whole module
};

// A marker line is exactly a marker, in any case. RemoveCode pairs each Begin with the next End
// found anywhere in a line, and blocks do not nest.
const Case kCases[] = {
    {"ThreeBlocks",
     {"Option Explicit", B, "' Module header", E, "Sub A()", B, "    On Error GoTo ErrHandler", E,
      "    x = 1", B, "    Exit Sub", "ErrHandler:", E, "End Sub"},
     {"Option Explicit", "Sub A()", "    x = 1", "End Sub"},
     {"Option Explicit", "' Module header", "Sub A()", "    On Error GoTo ErrHandler", "    x = 1",
      "    Exit Sub", "ErrHandler:", "End Sub"}},
    {"AnyCase",
     {"a", "' [brindle begin]", "b", "' [BRINDLE END]", "c"},
     {"a", "c"},
     {"a", "b", "c"}},
    {"LinesThatMerelyHoldAMarker",
     {B, "x = 1", E, "  " + B, "y = 2 " + E + " kept", B, "z = 3", E},
     {},
     {"x = 1", "  " + B, "y = 2 " + E + " kept", "z = 3"}},
    {"BeginAndEndOnOneLine", {"a", B + " " + E, "b"}, {"a", "b"}, {"a", B + " " + E, "b"}},
    {"UnpairedMarkersStay",
     {E, "keep 1", B, "gone 1", B, "gone 2", E, "keep 2", E, "keep 3", B, "keep 4"},
     {E, "keep 1", "keep 2", E, "keep 3", B, "keep 4"},
     {"keep 1", "gone 1", "gone 2", "keep 2", "keep 3", "keep 4"}},
    {"SelectionStartsInsideTheFirstMarker",
     {B, "a", E, B, "b", E, B, "c", E},
     {B, "a", E, B, "c", E},
     {B, "a", "b", B, "c", E},
     {1, 2, 6, 16}},
    {"BlockEndsBelowTheSelection",
     {B, "a", E, B, "b", E, B, "c", E},
     {B, "b", E, B, "c", E},
     {"a", "b", E, B, "c", E},
     {1, 1, 5, 2}},
    {"SelectionDraggedToTheStartOfTheNextLine",
     {"x", B, "a", E, "y"},
     {"x", B, "a", E, "y"},
     {"x", "a", E, "y"},
     {1, 1, 4, 1}},
    {"NoMarkers",
     {"Option Explicit", "' [Brindle]", "Sub A()", "End Sub"},
     {"Option Explicit", "' [Brindle]", "Sub A()", "End Sub"},
     {"Option Explicit", "' [Brindle]", "Sub A()", "End Sub"}},
    {"MarkersToTheLastLine", {B, "b", E, B, E}, {}, {"b"}}};

TEST(Removal, TakesWhatTheSelectionHolds) {
    for (const auto& c : kCases) {
        for (const bool code : {true, false}) {
            ModuleUnderTest m(c.code);
            if (c.selection.startLine == 0) {
                test::SelectAll(m.module());
            } else {
                m.Select(c.selection.startLine, c.selection.startColumn, c.selection.endLine,
                         c.selection.endColumn);
            }
            code ? RemoveCode(m.module()) : RemoveCodeMarkers(m.module());
            EXPECT_EQ(m.lines(), code ? c.afterRemoveCode : c.afterRemoveCodeMarkers)
                << c.name << (code ? ": RemoveCode" : ": RemoveCodeMarkers");
        }
    }
}

}  // namespace
}  // namespace brindle

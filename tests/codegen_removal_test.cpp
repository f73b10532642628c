// Removal of marker lines and of marked blocks within the selection.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codegen/ModuleCommands.h"
#include "codegen_support.h"

namespace brindle {
namespace {

using test::ModuleUnderTest;
using Lines = std::vector<std::string>;

std::string Join(const Lines& lines) {
    std::string text;
    for (const auto& line : lines) {
        text += line + "\r\n";
    }
    return text;
}

// Three marked blocks with code between them.
const Lines kThreeBlocks = {
    "Option Explicit",               // 1
    "' [Brindle Begin]",             // 2
    "' Module header",               // 3
    "' [Brindle End]",               // 4
    "Sub A()",                       // 5
    "' [Brindle Begin]",             // 6
    "    On Error GoTo ErrHandler",  // 7
    "' [Brindle End]",               // 8
    "    x = 1",                     // 9
    "' [Brindle Begin]",             // 10
    "    Exit Sub",                  // 11
    "ErrHandler:",                   // 12
    "' [Brindle End]",               // 13
    "End Sub",                       // 14
};

TEST(RemoveCode, RemovesEveryBlockInTheSelectionWithItsMarkersAndKeepsTheCodeBetween) {
    ModuleUnderTest m(Join(kThreeBlocks));
    m.SelectAll();
    RemoveCode(m.module());
    EXPECT_EQ(m.lines(), (Lines{"Option Explicit", "Sub A()", "    x = 1", "End Sub"}));
}

TEST(RemoveCodeMarkers, RemovesTheSixMarkerLinesAndKeepsAllOthers) {
    ModuleUnderTest m(Join(kThreeBlocks));
    m.SelectAll();
    RemoveCodeMarkers(m.module());
    EXPECT_EQ(m.lines(), (Lines{"Option Explicit", "' Module header", "Sub A()",
                                "    On Error GoTo ErrHandler", "    x = 1", "    Exit Sub",
                                "ErrHandler:", "End Sub"}));
}

TEST(Removal, MarkersInAnotherCaseAreRecognised) {
    const Lines code = {"a", "' [brindle begin]", "b", "' [BRINDLE END]", "c"};
    ModuleUnderTest markers(Join(code));
    markers.SelectAll();
    RemoveCodeMarkers(markers.module());
    EXPECT_EQ(markers.lines(), (Lines{"a", "b", "c"}));

    ModuleUnderTest blocks(Join(code));
    blocks.SelectAll();
    RemoveCode(blocks.module());
    EXPECT_EQ(blocks.lines(), (Lines{"a", "c"}));
}

TEST(Removal, ALineThatMerelyHoldsAMarkerIsNoMarkerLineButRemoveCodeTakesItAsOne) {
    const Lines code = {
        "' [Brindle Begin]",          "x = 1", "' [Brindle End]",
        "  ' [Brindle Begin]",         // indented
        "y = 2 ' [Brindle End] kept",  // after code
        "' [Brindle Begin]",          "z = 3", "' [Brindle End]",
    };
    ModuleUnderTest markers(Join(code));
    markers.SelectAll();
    RemoveCodeMarkers(markers.module());
    // The exact marker lines below the two that only hold the text are removed as well.
    EXPECT_EQ(markers.lines(),
              (Lines{"x = 1", "  ' [Brindle Begin]", "y = 2 ' [Brindle End] kept", "z = 3"}));

    ModuleUnderTest blocks(Join(code));
    blocks.SelectAll();
    RemoveCode(blocks.module());
    EXPECT_TRUE(blocks.lines().empty());
}

TEST(RemoveCode, BeginAndEndOnOneLineDeleteJustThatLine) {
    ModuleUnderTest m(Join({"a", "' [Brindle Begin] ' [Brindle End]", "b"}));
    m.SelectAll();
    RemoveCode(m.module());
    EXPECT_EQ(m.lines(), (Lines{"a", "b"}));
}

TEST(RemoveCode, BlocksDoNotNestAndOnlyPairedMarkersGo) {
    ModuleUnderTest m(Join({
        "' [Brindle End]",  // closes nothing
        "keep 1",
        "' [Brindle Begin]",  // outer
        "gone 1",
        "' [Brindle Begin]",  // inner
        "gone 2",
        "' [Brindle End]",  // closes the outer begin
        "keep 2",
        "' [Brindle End]",  // closes nothing
        "keep 3",
        "' [Brindle Begin]",  // never closed: it and all below stay
        "keep 4",
    }));
    m.SelectAll();
    RemoveCode(m.module());
    EXPECT_EQ(m.lines(), (Lines{"' [Brindle End]", "keep 1", "keep 2", "' [Brindle End]", "keep 3",
                                "' [Brindle Begin]", "keep 4"}));
}

TEST(Removal, OnlyTheSelectionCounts) {
    const Lines code = {
        "' [Brindle Begin]",  // 1: before the selection's start column
        "a",                  // 2
        "' [Brindle End]",    // 3
        "' [Brindle Begin]",  // 4
        "b",                  // 5
        "' [Brindle End]",    // 6: last selected line
        "' [Brindle Begin]",  // 7: directly below the selection
        "c",                  // 8
        "' [Brindle End]",    // 9
    };
    ModuleUnderTest blocks(Join(code));
    blocks.Select(1, 2, 6, 16);
    RemoveCode(blocks.module());
    // The selection began inside the first block: its end marker closes nothing that was found.
    EXPECT_EQ(blocks.lines(), (Lines{"' [Brindle Begin]", "a", "' [Brindle End]",
                                     "' [Brindle Begin]", "c", "' [Brindle End]"}));

    ModuleUnderTest markers(Join(code));
    markers.Select(1, 2, 6, 16);
    RemoveCodeMarkers(markers.module());
    EXPECT_EQ(markers.lines(),
              (Lines{"' [Brindle Begin]", "a", "b", "' [Brindle Begin]", "c", "' [Brindle End]"}));
}

TEST(RemoveCode, ABlockThatEndsBelowTheSelectionEndsTheRun) {
    ModuleUnderTest m(Join({"' [Brindle Begin]", "a", "' [Brindle End]", "' [Brindle Begin]", "b",
                            "' [Brindle End]", "' [Brindle Begin]", "c", "' [Brindle End]"}));
    m.Select(1, 1, 5, 2);
    RemoveCode(m.module());
    EXPECT_EQ(m.lines(), (Lines{"' [Brindle Begin]", "b", "' [Brindle End]", "' [Brindle Begin]",
                                "c", "' [Brindle End]"}));
}

TEST(Removal, ASelectionDraggedToTheStartOfTheNextLineLeavesThatLine) {
    ModuleUnderTest m(Join({"x", "' [Brindle Begin]", "a", "' [Brindle End]", "y"}));
    m.Select(1, 1, 4, 1);
    RemoveCodeMarkers(m.module());
    EXPECT_EQ(m.lines(), (Lines{"x", "a", "' [Brindle End]", "y"}));
}

TEST(Removal, AModuleWithoutMarkersStaysAsItIs) {
    const Lines code = {"Option Explicit", "' [Brindle]", "Sub A()", "End Sub"};
    ModuleUnderTest m(Join(code));
    m.SelectAll();
    RemoveCode(m.module());
    RemoveCodeMarkers(m.module());
    EXPECT_EQ(m.lines(), code);
}

TEST(Removal, MarkersOnTheLastLinesOfTheModule) {
    ModuleUnderTest m(Join({"a", "' [Brindle Begin]", "' [Brindle End]"}));
    m.SelectAll();
    RemoveCodeMarkers(m.module());
    EXPECT_EQ(m.lines(), (Lines{"a"}));

    ModuleUnderTest only(Join({"' [Brindle Begin]", "b", "' [Brindle End]"}));
    only.SelectAll();
    RemoveCode(only.module());
    EXPECT_TRUE(only.lines().empty());
}

}  // namespace
}  // namespace brindle

// Removal of marker lines and of marked blocks within the selection: what each removal leaves,
// and what it reports, for every layout of markers that real code holds.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "codegen/ModuleCommands.h"
#include "codegen/codegen_support.h"
#include "support/RecordingSink.h"

namespace brindle {
namespace {

using test::Lines;
using test::ModuleUnderTest;
using Warnings = std::vector<std::string>;

const std::string B(kBeginMarker);
const std::string E(kEndMarker);

std::string Begin(int line) {
    return "Module1: line " + std::to_string(line) +
           ": a begin marker without its end marker; left as it is";
}
std::string End(int line) {
    return "Module1: line " + std::to_string(line) +
           ": an end marker without its begin marker; left as it is";
}
std::string Inside(int first, int last) {
    return "Module1: lines " + std::to_string(first) + " to " + std::to_string(last) +
           ": a marked block with other marker lines inside; its markers are left as they are";
}
std::string Across(int first, int last, const std::string& what) {
    return "Module1: lines " + std::to_string(first) + " to " + std::to_string(last) +
           ": a marked block across " + what + "; left as it is";
}
std::string Outside(int first, int last) {
    return "Module1: lines " + std::to_string(first) + " to " + std::to_string(last) +
           ": a marked block that reaches outside the selection; left as it is";
}
std::string With(const std::string& warning, const std::string& half) {
    return warning + "; the " + half + " of Sub A is left with it, as the one needs the other";
}

struct Selection {
    std::int32_t startLine, startColumn, endLine, endColumn;

    // No start line: the whole module.
    void SelectIn(ModuleUnderTest& m) const {
        if (startLine == 0) {
            test::SelectAll(m.module());
        } else {
            m.Select(startLine, startColumn, endLine, endColumn);
        }
    }
};

struct Removed {
    Lines lines;
    Warnings warnings = {};
};

struct Case {
    const char* name;
    Lines code;
    Removed byRemoveCode;
    Removed byRemoveCodeMarkers;
    Selection selection = {};  // none: the whole module
};

// Modules that some removals leave as they are.
const Lines kAlternatives = {"Option Explicit", B,
                             "#If VBA7 Then",   "Function F() As LongPtr",
                             "#Else",           "Function F() As Long",
                             "#End If",         E,
                             "End Function"};
const Lines kFooterUnended = {
    "Sub A()", B, "    On Error GoTo H", E, "    x = 1", B, "    Exit Sub", "H:", "End Sub"};
const Lines kHandled = {
    "Sub A()", B, "    On Error GoTo H", E, "    x = 1", B, "    Exit Sub", "H:", E, "End Sub"};

// Only a begin marker line whose next marker line is an end marker line opens a block; a marker
// line is one that holds a marker alone, blanks and tabs around it allowed, in any case.
const Case kCases[] = {
    {"ThreeBlocks",
     {"Option Explicit", B, "' Module header", E, "Sub A()", B, "    On Error GoTo ErrHandler", E,
      "    x = 1", B, "    Exit Sub", "ErrHandler:", E, "End Sub"},
     {{"Option Explicit", "Sub A()", "    x = 1", "End Sub"}},
     {{"Option Explicit", "' Module header", "Sub A()", "    On Error GoTo ErrHandler", "    x = 1",
       "    Exit Sub", "ErrHandler:", "End Sub"}}},
    {"IndentedAndInAnyCase",
     {"a", "    ' [brindle begin]", "b", "\t' [BRINDLE END] \t", "c"},
     {{"a", "c"}},
     {{"a", "b", "c"}}},
    {"MarkerTextAfterCodeInAStringOrALongerComment",
     {"Sub A()", "    x = 1 ' [Brindle Begin] is what we write", "    s = \"" + E + "\"", "End Sub",
      "' " + B + " and " + E, "Sub B()", B, "    On Error GoTo H", E, "End Sub"},
     {{"Sub A()", "    x = 1 ' [Brindle Begin] is what we write", "    s = \"" + E + "\"",
       "End Sub", "' " + B + " and " + E, "Sub B()", "End Sub"}},
     {{"Sub A()", "    x = 1 ' [Brindle Begin] is what we write", "    s = \"" + E + "\"",
       "End Sub", "' " + B + " and " + E, "Sub B()", "    On Error GoTo H", "End Sub"}}},
    // What is left after a removal of markers cut a block in half: the procedure between the
    // lone begin marker and the next block stays.
    {"BeginWithoutEnd",
     {B, "' Header A", "Sub A()", "    x = 1", "End Sub", B, "' Header B", E, "Sub B()", "End Sub"},
     {{B, "' Header A", "Sub A()", "    x = 1", "End Sub", "Sub B()", "End Sub"}, {Begin(1)}},
     {{B, "' Header A", "Sub A()", "    x = 1", "End Sub", "' Header B", "Sub B()", "End Sub"},
      {Begin(1)}}},
    {"EndWithoutBegin",
     {"Sub A()", "    x = 1", E, "End Sub", B, "' Header B", E, "Sub B()", "End Sub"},
     {{"Sub A()", "    x = 1", E, "End Sub", "Sub B()", "End Sub"}, {End(3)}},
     {{"Sub A()", "    x = 1", E, "End Sub", "' Header B", "Sub B()", "End Sub"}, {End(3)}}},
    {"NestedAndUnpaired",
     {E, "keep 1", B, "keep 2", B, "gone", E, "keep 3", E, "keep 4", B, "keep 5"},
     {{E, "keep 1", B, "keep 2", "keep 3", E, "keep 4", B, "keep 5"},
      {End(1), Inside(3, 6), Begin(8)}},
     {{E, "keep 1", B, "keep 2", "gone", "keep 3", E, "keep 4", B, "keep 5"},
      {End(1), Inside(3, 7), Begin(9)}}},
    // Brindle never writes a block across a procedure's bounds: markers that would enclose its
    // declaration or End statement stay, with what they enclose.
    {"AcrossTheEndOfOneProcedureAndTheDeclarationOfTheNext",
     {"Sub A()", B, "    x = 1", "End Sub", "", "Private Function B() As Long", E, "End Function",
      "Sub C()", B, "' Footer", E, "End Sub"},
     {{"Sub A()", B, "    x = 1", "End Sub", "", "Private Function B() As Long", E, "End Function",
       "Sub C()", "End Sub"},
      {Across(2, 7, "the End of Sub A and the declaration of Function B")}},
     {{"Sub A()", B, "    x = 1", "End Sub", "", "Private Function B() As Long", E, "End Function",
       "Sub C()", "' Footer", "End Sub"},
      {Across(2, 7, "the End of Sub A and the declaration of Function B")}}},
    {"FromTheDeclarationsIntoAlternativeDeclarations",
     kAlternatives,
     {kAlternatives, {Across(2, 8, "the declaration of Function F")}},
     {kAlternatives, {Across(2, 8, "the declaration of Function F")}}},
    {"AdjacentBlocksToTheLastLine", {B, "a", E, B, "b", E, B, E}, {{}}, {{"a", "b"}}},
    // A selection that starts after the first character of a marker line does not hold it.
    {"SelectionStartsAfterTheFirstMarkersStart",
     {B, "a", E, B, "b", E, B, "c", E},
     {{B, "a", E, B, "c", E}, {Outside(1, 3)}},
     {{B, "a", E, "b", B, "c", E}, {Outside(1, 3)}},
     {1, 2, 6, 16}},
    {"BlockEndsBelowTheSelection",
     {B, "a", E, B, "b", E, B, "c", E},
     {{B, "b", E, B, "c", E}, {Outside(1, 3)}},
     {{"a", B, "b", E, B, "c", E}, {Outside(2, 4)}},
     {1, 1, 5, 2}},
    {"SelectionDraggedToTheStartOfTheNextLine",
     {"x", B, "a", E, "y"},
     {{"x", B, "a", E, "y"}, {Outside(2, 4)}},
     {{"x", B, "a", E, "y"}, {Outside(2, 4)}},
     {1, 1, 4, 1}},
    // Once the selection's lines are deleted the selection is empty: the search ends with it,
    // and the block that moved up into its place stays.
    {"SelectionOfABlockDirectlyAboveAnother",
     {B, "a", E, B, "b", E},
     {{B, "b", E}},
     {{"a", B, "b", E}},
     {1, 1, 4, 1}},
    // An error header's On Error GoTo names its footer's label: a removal takes neither
    // without the other. A procedure's header goes alone.
    {"AnErrorHeaderWithoutItsEndMarker",
     {B, "' Header A", E, "Sub A()", B, "    On Error GoTo H", "    x = 1", B, "    Exit Sub",
      "H:", E, "End Sub"},
     {{"Sub A()", B, "    On Error GoTo H", "    x = 1", B, "    Exit Sub", "H:", E, "End Sub"},
      {With(Begin(2), "error footer")}},
     {{"' Header A", "Sub A()", B, "    On Error GoTo H", "    x = 1", "    Exit Sub",
       "H:", "End Sub"},
      {Begin(3)}}},
    {"AnErrorFooterWithoutItsEndMarker",
     kFooterUnended,
     {kFooterUnended, {With(Begin(6), "error header")}},
     {{"Sub A()", "    On Error GoTo H", "    x = 1", B, "    Exit Sub", "H:", "End Sub"},
      {Begin(4)}}},
    // Only a header whose On Error GoTo names the footer's label needs it.
    {"AStrayMarkerAboveABlockThatNoGoToNames",
     {"Sub A()", B, "    x = 1", B, "    Exit Sub", "H:", E, "End Sub"},
     {{"Sub A()", B, "    x = 1", "End Sub"}, {Begin(2)}},
     {{"Sub A()", B, "    x = 1", "    Exit Sub", "H:", "End Sub"}, {Begin(2)}}},
    {"SelectionOfAnErrorFooterAlone",
     kHandled,
     {kHandled,
      {"Module1: Sub A, lines 6 to 9: the marked error footer; left as it is, as the error "
       "header above it stays and the one needs the other"}},
     {{"Sub A()", B, "    On Error GoTo H", E, "    x = 1", "    Exit Sub", "H:", "End Sub"}},
     {6, 1, 10, 1}},
    {"SelectionOfAnErrorHeaderThatCutsItsFooter",
     kHandled,
     {kHandled, {With(Outside(6, 9), "error header")}},
     {{"Sub A()", "    On Error GoTo H", "    x = 1", B, "    Exit Sub", "H:", E, "End Sub"},
      {Outside(4, 7)}},
     {1, 1, 7, 1}},
};

TEST(Removal, TakesOnlyWholeWellFormedBlocksInTheSelectionAndReportsTheRest) {
    for (const auto& c : kCases) {
        for (const bool code : {true, false}) {
            SCOPED_TRACE(std::string(c.name) + (code ? ": RemoveCode" : ": RemoveCodeMarkers"));
            ModuleUnderTest m(c.code);
            c.selection.SelectIn(m);
            test::RecordingSink sink;
            code ? RemoveCode({}, m.module(), &sink) : RemoveCodeMarkers({}, m.module(), &sink);
            const auto& expected = code ? c.byRemoveCode : c.byRemoveCodeMarkers;
            EXPECT_EQ(m.lines(), expected.lines);
            EXPECT_EQ(sink.warnings, expected.warnings);
            // The summary counts the pairs of marker lines that went.
            const auto markers = [](const Lines& lines) {
                return std::count_if(lines.begin(), lines.end(), IsMarkerLine);
            };
            EXPECT_EQ(sink.Count(code ? Work::BlockRemoved : Work::MarkersRemoved) * 2,
                      markers(c.code) - markers(m.lines()));
        }
    }
}

struct LeftCase {
    const char* name;
    const char* excluded;  // the Excluded Procedures option
    int skipped;           // blocks left for a skip comment
    int byName;            // blocks left for an excluded name
    int removed;
    Lines code;
    Selection selection = {};  // none: the whole module
};

const Lines kSkipAbove = {B, "' Header A",          E, "' brindle: skip", "Sub A()",
                          B, "    On Error GoTo H", E, "End Sub",         "Sub B()",
                          B, "    On Error GoTo H", E, "End Sub"};
const Lines kExcludedNames = {
    "' brindle: skip", "Sub Form_Load()",      B, "    On Error GoTo H", E,
    "End Sub",         "Sub Timer_Callback()", B, "    On Error GoTo H", E,
    "End Sub"};
const Lines kSkipInDeclarations = {
    "Option Explicit", "' brindle: skip", B, "' Module header", E, "Sub A()", B, "    x = 1", E,
    "End Sub"};

const LeftCase kLeftCases[] = {
    {"SkipCommentAboveAProcedure", "", 2, 0, 1, kSkipAbove},
    {"ExcludedNameCountsBeforeASkipComment", "Form_*, *Callback", 0, 2, 0, kExcludedNames},
    {"SkipCommentInTheDeclarations", "", 2, 0, 0, kSkipInDeclarations},
    {"OnlyWhatTheSelectionHolds", "", 1, 0, 0, kSkipInDeclarations, {6, 1, 10, 8}},
};

// What a removal leaves because the user keeps Brindle from it is counted by why, for a host's
// summary; with the exclusions ignored it goes too.
TEST(Removal, CountsTheBlocksItLeavesForTheExclusionsByWhy) {
    for (const auto& c : kLeftCases) {
        for (const bool ignore : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (ignore ? ": exclusions ignored" : ""));
            ModuleUnderTest m(c.code);
            c.selection.SelectIn(m);
            AddinFields fields;
            fields.msExcludedProcs = c.excluded;
            fields.mbIgnoreExclusions = ignore;
            test::RecordingSink sink;
            RemoveCode(fields, m.module(), &sink);
            EXPECT_EQ(sink.Count(Work::BlockLeftSkipped), ignore ? 0 : c.skipped);
            EXPECT_EQ(sink.Count(Work::BlockLeftExcluded), ignore ? 0 : c.byName);
            EXPECT_EQ(sink.Count(Work::BlockRemoved),
                      ignore ? c.removed + c.skipped + c.byName : c.removed);
            EXPECT_TRUE(sink.warnings.empty());
        }
    }
}

}  // namespace
}  // namespace brindle

// The command line's own pieces: argument parsing, selections and unified diffs.

#include <gtest/gtest.h>

#include <string>
#include <variant>
#include <vector>

#include "cli/CommandLine.h"
#include "cli/Selection.h"
#include "cli/UnifiedDiff.h"
#include "host/MemoryProject.h"

namespace brindle::cli {
namespace {

std::variant<Request, Exit> Parse(std::vector<const char*> args) {
    args.insert(args.begin(), "brindle");
    return ParseCommandLine(static_cast<int>(args.size()), args.data());
}

TEST(CommandLineParsing, CommandsTakeTheirFilesAndFlags) {
    const auto parsed =
        Parse({"add-headers", "modMain.bas", "--proc", "Main", "-y", "--codepage", "1251"});
    ASSERT_TRUE(std::holds_alternative<Request>(parsed));
    const auto& request = std::get<Request>(parsed);
    EXPECT_EQ(request.command, Command::AddHeaders);
    EXPECT_EQ(request.files, std::vector<std::string>{"modMain.bas"});
    EXPECT_EQ(request.proc, "Main");
    EXPECT_FALSE(request.select);
    EXPECT_TRUE(request.yes);
    EXPECT_FALSE(request.diff);
    EXPECT_EQ(request.codepage, 1251);

    const auto options =
        std::get<Request>(Parse({"options", "--markers", "off", "--splash", "on"}));
    EXPECT_EQ(options.options.markers, false);
    EXPECT_EQ(options.options.splash, true);
    EXPECT_FALSE(options.options.author);
    EXPECT_TRUE(options.options.Any());
    EXPECT_FALSE(std::get<Request>(Parse({"options"})).options.Any());
}

TEST(CommandLineParsing, HelpExitsWithZeroAndMistakesWithTwo) {
    const auto help = std::get<Exit>(Parse({"remove-code-all", "--help"}));
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Example:\n  brindle remove-code-all"), std::string::npos);
    EXPECT_NE(help.out.find("group file"), std::string::npos);

    for (const auto& args :
         std::vector<std::vector<const char*>>{{},
                                               {"frobnicate"},
                                               {"add-headers"},
                                               {"remove-markers", "m.bas", "--proc", "Main"},
                                               {"options", "--markers", "maybe"},
                                               {"add-all", "p.vbp", "--codepage", "-3"}}) {
        const auto parsed = Parse(args);
        ASSERT_TRUE(std::holds_alternative<Exit>(parsed)) << (args.empty() ? "" : args[0]);
        EXPECT_EQ(std::get<Exit>(parsed).status, 2);
        EXPECT_FALSE(std::get<Exit>(parsed).err.empty());
    }
}

TEST(Selections, ParseLinesColumnsAndRanges) {
    const auto line = ParseSelection("12");
    ASSERT_TRUE(line);
    EXPECT_EQ(line->start.line, 12);
    EXPECT_FALSE(line->start.column);
    EXPECT_EQ(line->end.line, 12);

    const auto range = ParseSelection("3:5-10:2");
    ASSERT_TRUE(range);
    EXPECT_EQ(range->start.column, 5);
    EXPECT_EQ(range->end.line, 10);
    EXPECT_EQ(range->end.column, 2);

    for (const char* bad : {"", "0", "a", "3-", "-3", "3:", "3:0", "1-2-3", "2 - 4", "1:x"}) {
        EXPECT_FALSE(ParseSelection(bad)) << bad;
    }
}

TEST(Selections, ALineWithoutAColumnIsTakenWholeAndMustLieInTheModule) {
    host::MemoryProject project;
    auto& module = project
                       .AddComponent("Module1", vbext_ct_StdModule,
                                     "Option Explicit\r\n\r\nSub Main()\r\nEnd Sub\r\n")
                       .CodeModule();
    const auto whole = PlaceSelection(*ParseSelection("1-3"), module);
    ASSERT_TRUE(whole.selection);
    EXPECT_EQ(whole.selection->startColumn, 1);
    EXPECT_EQ(whole.selection->endLine, 3);
    EXPECT_EQ(whole.selection->endColumn, 11);  // after "Sub Main()"

    EXPECT_TRUE(PlaceSelection(*ParseSelection("4:8"), module).selection);
    EXPECT_NE(PlaceSelection(*ParseSelection("5"), module).problem.find("last line, 4"),
              std::string::npos);
    EXPECT_FALSE(PlaceSelection(*ParseSelection("4:9"), module).selection);
    EXPECT_FALSE(PlaceSelection(*ParseSelection("3-2"), module).selection);
    EXPECT_FALSE(PlaceSelection(*ParseSelection("3:5-3:2"), module).selection);
}

TEST(UnifiedDiffs, KeepEachLinesOwnBreakAndMarkAMissingLastBreak) {
    EXPECT_EQ(UnifiedDiff("m.bas", "a\r\nb\r\n", "a\r\nb\r\n"), "");
    EXPECT_EQ(UnifiedDiff("m.bas", "a\r\nb\r\n", "a\r\nx\r\nb\r\n"),
              "--- a/m.bas\n+++ b/m.bas\n@@ -1,2 +1,3 @@\n a\r\n+x\r\n b\r\n");
    EXPECT_EQ(UnifiedDiff("m.bas", "", "x\r\ny\r\n"),
              "--- a/m.bas\n+++ b/m.bas\n@@ -0,0 +1,2 @@\n+x\r\n+y\r\n");
    EXPECT_EQ(UnifiedDiff("m.bas", "a\r\nb", "a\r\nc"),
              "--- a/m.bas\n+++ b/m.bas\n@@ -1,2 +1,2 @@\n a\r\n-b\n\\ No newline at end of "
              "file\n+c\n\\ No newline at end of file\n");
}

TEST(UnifiedDiffs, ChangesFarApartGetHunksOfTheirOwn) {
    std::string before;
    for (int i = 1; i <= 20; ++i) {
        before += "line " + std::to_string(i) + "\r\n";
    }
    auto near = before;
    near.replace(near.find("line 2\r\n"), 8, "two\r\n");
    near.replace(near.find("line 8\r\n"), 8, "eight\r\n");
    auto far = near;
    far.replace(far.find("line 17\r\n"), 9, "seventeen\r\n");

    const auto one = UnifiedDiff("m.bas", before, near);
    EXPECT_NE(one.find("@@ -1,11 +1,11 @@\n"), std::string::npos) << one;
    const auto two = UnifiedDiff("m.bas", before, far);
    EXPECT_NE(two.find("@@ -1,11 +1,11 @@\n"), std::string::npos) << two;
    EXPECT_NE(two.find("@@ -14,7 +14,7 @@\n"), std::string::npos) << two;
}

}  // namespace
}  // namespace brindle::cli

// The command line's own pieces: argument parsing, selections and unified diffs.

#include <gtest/gtest.h>

#include <array>
#include <regex>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

#include "analysis/SelectedProcs.h"
#include "cli/args/CommandLine.h"
#include "cli/commands/HelpTopics.h"
#include "cli/commands/Selection.h"
#include "cli/report/CheckRules.h"
#include "cli/report/UnifiedDiff.h"
#include "host/ide/MemoryProject.h"
#include "templates/Expansion.h"
#include "templates/Keywords.h"

namespace brindle::cli {
namespace {

std::variant<Request, Exit> Parse(std::vector<const char*> args) {
    args.insert(args.begin(), "brindle");
    return ParseCommandLine(static_cast<int>(args.size()), args.data());
}

// Each command's help has an example and fits the width it is given, but for examples, which
// cannot be broken; --help-all holds every command's.
TEST(CommandLineParsing, HelpWithAnExampleExitsWithZeroAndMistakesWithTwo) {
    const auto all = std::get<Exit>(Parse({"--help-all"})).out;
    for (const std::string command :
         {"add-module-header", "add-headers", "add-error-handlers", "remove-markers", "remove-code",
          "add-all", "remove-markers-all", "remove-code-all", "procedures", "options", "check",
          "refresh"}) {
        const char* args[] = {"brindle", command.c_str(), "--help"};
        const auto help = std::get<Exit>(ParseCommandLine(3, args, 50));
        EXPECT_EQ(help.status, 0);
        EXPECT_TRUE(std::regex_search(help.out, std::regex("Examples?:\n  \\$ brindle " + command)))
            << help.out;
        std::istringstream lines(help.out);
        for (std::string line; std::getline(lines, line);) {
            EXPECT_TRUE(line.size() <= 50 || line.starts_with("  $ ")) << line;
        }
        EXPECT_NE(all.find("\nbrindle " + command + ":\n"), std::string::npos) << command;
    }

    for (const auto& args :
         std::vector<std::vector<const char*>>{{"add-headers"},
                                               {"options", "--markers", "maybe"},
                                               {"add-all", "p.vbp", "--codepage", "-3"},
                                               {"procedures", "m.bas", "--format", "xml"},
                                               {"add-headers", "m.bas", "--lines", "file"},
                                               {"--generate", "complete-tcsh"}}) {
        const auto parsed = Parse(args);
        ASSERT_TRUE(std::holds_alternative<Exit>(parsed)) << args[0];
        EXPECT_EQ(std::get<Exit>(parsed).status, 2);
        EXPECT_FALSE(std::get<Exit>(parsed).err.empty());
    }
}

// `brindle help templates` and the manual page's section list every keyword the expansion
// knows, with what it gives and an example, `brindle help rules` every rule of check with what
// to do about it; `brindle help COMMAND` is that command's help.
TEST(CommandLineParsing, HelpTellsEveryTemplateKeyword) {
    const auto help = [](std::vector<const char*> args) {
        args.insert(args.begin(), "brindle");
        const auto parsed =
            ParseCommandLine(static_cast<int>(args.size()), args.data(), 60, HelpTopics());
        return std::get<Exit>(parsed);
    };
    const auto templates = help({"help", "templates"});
    EXPECT_EQ(templates.status, 0);
    const auto manual = ManualSections();
    for (const TemplateKeyword& keyword : kTemplateKeywords) {
        const std::string reference = ReferenceTo(keyword);
        EXPECT_TRUE(IsTemplateKeyword(keyword.name));
        EXPECT_NE(templates.out.find("\n" + reference + "\n  In a module header: "),
                  std::string::npos)
            << reference << templates.out;
        EXPECT_NE(manual.find(".B " + reference + "\n"), std::string::npos) << reference;
    }
    const auto rules = help({"help", "rules"});
    const auto flowingRules = std::regex_replace(rules.out, std::regex("\\s+"), " ");
    for (const CheckRule& rule : kCheckRules) {
        const std::string heading = std::string(rule.id) + " (" + std::string(rule.severity) + ")";
        EXPECT_NE(rules.out.find("\n" + heading + "\n"), std::string::npos) << heading;
        EXPECT_NE(flowingRules.find(std::string(rule.help)), std::string::npos) << heading;
        EXPECT_NE(manual.find(".B " + std::string(rule.id) + "\n"), std::string::npos) << heading;
    }
    const auto flowing = std::regex_replace(templates.out, std::regex("\\s+"), " ");
    EXPECT_NE(flowing.find("%%Date% gives a \"%\" and the date"), std::string::npos);
    for (const char* section :
         {"[TEMPLATE KEYWORDS]", "[CHECK RULES]\n", "[ENVIRONMENT]\n", "[FILES]\n",
          "[EXIT STATUS]\n", ".B BRINDLE_SETTINGS\n", ".B brindle.ini\n", ".B .brindleignore\n",
          ".B 143\n", "\n    ' Module: %ModuleName%\n"}) {
        EXPECT_NE(manual.find(section), std::string::npos) << section;
    }
    EXPECT_NE(help({"help", "refresh"}).out.find("Usage: brindle refresh"), std::string::npos);
    const auto lsp = help({"help", "lsp"}).out;
    for (const char* option : {"\ncodePage: ", "\nrequire: ", "\nstale: "}) {
        EXPECT_NE(lsp.find(option), std::string::npos) << option << lsp;
    }
    EXPECT_NE(help({"help"}).out.find("'brindle help templates'"), std::string::npos);
    EXPECT_EQ(help({"help", "colours"}).status, 2);
}

TEST(Selections, ALineWithoutAColumnIsTakenWholeAndMustLieInTheModule) {
    for (const char* bad : {"", "0", "a", "3-", "-3", "3:", "3:0", "1-2-3", "2 - 4", "1:x"}) {
        EXPECT_FALSE(ParseSelection(bad)) << bad;
    }
    host::MemoryProject project;
    auto& module = project
                       .AddComponent("Module1", vbext_ct_StdModule,
                                     "Option Explicit\r\n\r\nSub Main()\r\nEnd Sub\r\n")
                       .CodeModule();
    // To the start of the next line, which the add-in reads as the end of line 2, empty as it is.
    const auto whole = PlaceSelection(*ParseSelection("1-2"), module, 1252);
    ASSERT_TRUE(whole.selection);
    const auto& s = *whole.selection;
    module.CodePane().SetSelection(s.startLine, s.startColumn, s.endLine, s.endColumn);
    std::array<std::int32_t, 4> read{};
    GetSelection(module.CodePane(), read[0], read[1], read[2], read[3]);
    EXPECT_EQ(read, (std::array<std::int32_t, 4>{1, 1, 2, 0}));

    EXPECT_TRUE(PlaceSelection(*ParseSelection("4:8"), module, 1252).selection);
    EXPECT_NE(PlaceSelection(*ParseSelection("5"), module, 1252).problem.find("last line, 4"),
              std::string::npos);
    EXPECT_FALSE(PlaceSelection(*ParseSelection("4:9"), module, 1252).selection);
    EXPECT_FALSE(PlaceSelection(*ParseSelection("3-2"), module, 1252).selection);
    EXPECT_FALSE(PlaceSelection(*ParseSelection("3:5-3:2"), module, 1252).selection);

    // In Shift-JIS a column counts characters, as the IDE's code window does: "x = \"日本\"" is
    // eight characters in ten bytes, and the trail byte 0x7B of 本 is no column of its own.
    auto& japanese =
        project.AddComponent("Module2", vbext_ct_StdModule, "x = \"\x93\xfa\x96\x7b\"\r\n")
            .CodeModule();
    const auto at = [&](const char* text) {
        const auto placed = PlaceSelection(*ParseSelection(text), japanese, 932);
        return placed.selection ? std::array<std::int32_t, 2>{placed.selection->startColumn,
                                                              placed.selection->endColumn}
                                : std::array<std::int32_t, 2>{};
    };
    EXPECT_EQ(at("1:7-1:9"), (std::array<std::int32_t, 2>{8, 11}));
    EXPECT_EQ(at("1:6-1:7"), (std::array<std::int32_t, 2>{6, 8}));
    EXPECT_FALSE(PlaceSelection(*ParseSelection("1:10"), japanese, 932).selection);
    EXPECT_TRUE(PlaceSelection(*ParseSelection("1:10"), japanese, 1252).selection);
}

TEST(UnifiedDiffs, KeepEachLinesOwnBreakAndGiveChangesFarApartHunksOfTheirOwn) {
    EXPECT_EQ(UnifiedDiff("m.bas", "a\r\nb\r\n", "a\r\nb\r\n"), "");
    EXPECT_EQ(UnifiedDiff("m.bas", "a\r\nb\r\n", "a\r\nx\r\nb\r\n"),
              "--- a/m.bas\n+++ b/m.bas\n@@ -1,2 +1,3 @@\n a\r\n+x\r\n b\r\n");
    EXPECT_EQ(UnifiedDiff("m.bas", "", "x\r\ny\r\n"),
              "--- a/m.bas\n+++ b/m.bas\n@@ -0,0 +1,2 @@\n+x\r\n+y\r\n");
    EXPECT_EQ(UnifiedDiff("m.bas", "a\r\nb", "a\r\nc"),
              "--- a/m.bas\n+++ b/m.bas\n@@ -1,2 +1,2 @@\n a\r\n-b\n\\ No newline at end of "
              "file\n+c\n\\ No newline at end of file\n");

    std::string before;
    std::string after;
    for (int i = 1; i <= 20; ++i) {
        before += "line " + std::to_string(i) + "\r\n";
        after += (i == 2 || i == 8 || i == 17 ? "changed " : "line ") + std::to_string(i) + "\r\n";
    }
    const auto diff = UnifiedDiff("m.bas", before, after);
    EXPECT_NE(diff.find("@@ -1,11 +1,11 @@\n"), std::string::npos) << diff;
    EXPECT_NE(diff.find("@@ -14,7 +14,7 @@\n"), std::string::npos) << diff;
}

}  // namespace
}  // namespace brindle::cli

// Keeping a code base in shape, end to end: brindle check, --skip-existing, a team's brindle.ini,
// exclusions by comment, by name and by .brindleignore, and brindle refresh.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "cli_support.h"
#include "support/TestPaths.h"

namespace fs = std::filesystem;

namespace brindle::test {
namespace {

// Lines joined by CR LF, each ended by one.
std::string Crlf(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) {
        text += line + "\r\n";
    }
    return text;
}

const std::string kModuleTemplate = "' Module %ModuleName%\r\n";
const std::string kProcTemplate = "' Procedure %ProcedureName%, %Date%\r\n";
const std::string kErrHdrTemplate = "    On Error GoTo Handler\r\n";
const std::string kErrFtrTemplate =
    "    Exit %ProcedureType%\r\nHandler:\r\n    Err.Raise Err.Number\r\n";

// A project folder with a team's brindle.ini that names its own templates.
class Upkeep : public UserFolder {
protected:
    Upkeep() : UserFolder("Shop") {}
    void SetUp() override {
        Write("T/module.txt", kModuleTemplate);
        Write("T/proc.txt", kProcTemplate);
        Write("T/errhdr.txt", kErrHdrTemplate);
        Write("T/errftr.txt", kErrFtrTemplate);
        Write("brindle.ini",
              "[Options]\n"
              "Module Header Filename=T\\module.txt\n"
              "Procedure Header Template Filename=T\\proc.txt\n"
              "Error Header Template Filename=T\\errhdr.txt\n"
              "Error Footer Template Filename=T\\errftr.txt\n"
              "Excluded Procedures=Form_*, *Callback\n");
    }

    void WriteModule(const std::string& file, const std::vector<std::string>& code) const {
        const auto name = fs::path(file).stem().string();
        Write(file, Crlf({"Attribute VB_Name = \"" + name + "\""}) + Crlf(code));
    }
    void WriteProject(const std::vector<std::string>& modules) const {
        std::string text = "Type=Exe\r\n";
        for (const auto& module : modules) {
            auto name = fs::path(module).stem().string();
            std::replace(name.begin(), name.end(), '/', '\\');
            text += "Module=" + name + "; " + module + "\r\n";
        }
        Write("Shop.vbp", text + "Name=\"Shop\"\r\n");
    }
};

// Every kind of finding, at the line the file on disk has it on (the hidden attribute lines
// counted), and what --require, --stale and --format json make of them.
TEST_F(Upkeep, CheckReportsEachFindingAtItsFileLine) {
    Write("T/module.txt", "' Module %ModuleName% %ProcName%\r\n");
    WriteModule("Checks.bas", {
                                  "Option Explicit",                             // 2
                                  "' [Brindle Begin]",                           // 3
                                  "' Module Checks %ProcName%",                  // 4
                                  "' [Brindle End]",                             // 5
                                  "",                                            // 6
                                  "' [Brindle Begin]",                           // 7
                                  "' Procedure OldName, 01/02/03",               // 8
                                  "' [Brindle End]",                             // 9
                                  "Public Function Renamed() As Long",           // 10
                                  "Attribute Renamed.VB_Description = \"Sum\"",  // 11
                                  "' [Brindle Begin]",                           // 12
                                  "    On Error GoTo Handler",                   // 13
                                  "' [Brindle End]",                             // 14
                                  "    Renamed = 1",                             // 15
                                  "' [Brindle Begin]",                           // 16
                                  "    Exit Sub",                                // 17
                                  "Handler:",                                    // 18
                                  "    Err.Raise Err.Number",                    // 19
                                  "' [Brindle End]",                             // 20
                                  "End Function",                                // 21
                                  "",                                            // 22
                                  "Sub Bare()",                                  // 23
                                  "End Sub",                                     // 24
                                  "' [Brindle Begin]",                           // 25
                                  "Sub Trapping()",                              // 26
                                  "    On Error Resume Next",                    // 27
                                  "End Sub",                                     // 28
                                  "'  Brindle :SKIP",                            // 29
                                  "Sub Skipped()",                               // 30
                                  "End Sub",                                     // 31
                                  "Sub Form_Load()",                             // 32
                                  "End Sub",                                     // 33
                              });
    const std::string keyword =
        std::string(kOnWindows ? "T\\module.txt" : "T/module.txt") +
        ":1: %ProcName% is no template keyword; it stays in the text as it is\n";
    const std::string findings =
        "Checks.bas:7: the marked procedure header names OldName, not Function Renamed\n"
        "Checks.bas:17: Exit Sub in the marked error footer of Function Renamed (it is a "
        "Function now)\n"
        "Checks.bas:23: Sub Bare has no marked procedure header\n"
        "Checks.bas:23: Sub Bare has no error handler\n"
        "Checks.bas:25: a begin marker without its end marker\n"
        "Checks.bas:26: Sub Trapping has no marked procedure header\n";
    const auto before = File("Checks.bas");
    const auto all = Run({"check", "Checks.bas"});
    EXPECT_EQ(all.status, 1) << all.err;
    EXPECT_EQ(all.out, keyword + findings);
    EXPECT_TRUE(Has(all.err, "brindle: 7 findings in 1 module\n"));
    EXPECT_EQ(File("Checks.bas"), before);

    const auto handlers = Run({"check", "Checks.bas", "--require", "handler", "-q"});
    EXPECT_FALSE(Has(handlers.out, "marked procedure header\n"));
    EXPECT_TRUE(Has(handlers.out, "Checks.bas:23: Sub Bare has no error handler\n"));
    EXPECT_EQ(handlers.err, "");

    const auto stale = Run({"check", "Checks.bas", "--stale"});
    for (const auto* line :
         {"Checks.bas:7: a marked procedure header that the templates and options in use would "
          "make otherwise",
          "Checks.bas:16: a marked error footer that the templates"}) {
        EXPECT_TRUE(Has(stale.out, line));
    }

    const auto json = Run({"check", "Checks.bas", "--format", "json"});
    EXPECT_EQ(json.status, 1);
    const auto document = nlohmann::json::parse(json.out);
    ASSERT_EQ(document["findings"].size(), 7u);
    EXPECT_EQ(document["findings"][4], nlohmann::json::parse(R"({"file": "Checks.bas", "line": 23,
        "rule": "handler", "message": "Sub Bare has no error handler"})"));
    EXPECT_EQ(document["modules"], 1);

    // After add-all and with the template mended, nothing is left; usage errors are 2.
    Write("T/module.txt", "' Module %ModuleName%\r\n");
    WriteModule("Clean.bas", {"Option Explicit", "Sub Main()", "End Sub"});
    for (const std::string command : {"add-module-header", "add-headers", "add-error-handlers"}) {
        ASSERT_EQ(Run({command, "Clean.bas"}).status, 0);
    }
    const auto clean = Run({"check", "Clean.bas", "--stale"});
    EXPECT_EQ(clean.status, 0) << clean.out << clean.err;
    EXPECT_EQ(clean.out, "");
    EXPECT_EQ(Run({"check", "Clean.bas", "--format", "json"}).out,
              "{\n  \"findings\": [],\n  \"ignored\": 0,\n  \"modules\": 1\n}\n");
    for (const auto& args :
         std::vector<std::vector<std::string>>{{"check", "Clean.bas", "--require", "headers"},
                                               {"check", "Clean.bas", "--format", "xml"},
                                               {"check", "Missing.bas"},
                                               {"check"}}) {
        EXPECT_EQ(Run(args).status, 2) << args.back();
    }
}

// With --skip-existing a second add-all changes nothing; a procedure that traps errors itself,
// or has a marked handler or header, gets none.
TEST_F(Upkeep, SkipExistingAddsOnlyWhatIsMissing) {
    WriteModule("Half.bas", {
                                "Option Explicit",
                                "Sub Trapping()",
                                "    On Error Resume Next",
                                "End Sub",
                                "Sub Marked()",
                                "' [Brindle Begin]",
                                "    On Error GoTo Handler",
                                "' [Brindle End]",
                                "End Sub",
                                "Sub Bare()",
                                "End Sub",
                            });
    WriteModule("Other.bas", {"Sub Main()", "End Sub"});
    WriteProject({"Half.bas", "Other.bas"});
    ASSERT_EQ(Run({"add-all", "Shop.vbp", "--yes", "--skip-existing", "-q"}).status, 0);
    EXPECT_EQ(Count("Half.bas", "    On Error GoTo Handler"), 2);
    EXPECT_TRUE(
        Has(File("Half.bas"), "Sub Bare()\r\n' [Brindle Begin]\r\n    On Error GoTo Handler"));
    EXPECT_EQ(Run({"check", "Shop.vbp"}).status, 0);
    const auto once = Snapshot(folder());
    const auto twice = Run({"add-all", "Shop.vbp", "--yes", "--skip-existing"});
    EXPECT_EQ(twice.status, 0);
    EXPECT_TRUE(Has(twice.err, "brindle: nothing to change\n"));
    EXPECT_EQ(Snapshot(folder()), once);

    // As a team setting, and shown as one.
    Write("brindle.ini", File("brindle.ini") + "Skip Existing=True\n");
    const auto options = Run({"options"}).out;
    EXPECT_TRUE(
        std::regex_search(options, std::regex("\nskip-existing +on +\\(from brindle.ini\\)\n")))
        << options;
    EXPECT_TRUE(Run({"add-headers", "Other.bas"}).err.ends_with("brindle: nothing to change\n"));
}

// A skip comment above a procedure or in the declarations, a name that a team's pattern
// excludes, and a module that .brindleignore names: no command touches them, and the removals
// count what they left there. --ignore-exclusions takes that too.
TEST_F(Upkeep, ExclusionsKeepEveryCommandAway) {
    WriteModule("Mixed.bas", {
                                 "Option Explicit",
                                 "Sub Form_Load()",
                                 "End Sub",
                                 "' Called from Windows",
                                 "' brindle: skip",
                                 "Sub Hook()",
                                 "' [Brindle Begin]",
                                 "    On Error GoTo Handler",
                                 "' [Brindle End]",
                                 "End Sub",
                                 "Sub TimerCallback()",
                                 "' [Brindle Begin]",
                                 "' [Brindle End]",
                                 "End Sub",
                                 "Sub Done()",
                                 "End Sub",
                             });
    WriteModule("Whole.bas", {"Option Explicit", "' brindle: skip", "", "Sub Main()", "End Sub"});
    WriteModule("Legacy/Old.bas",
                {"' [Brindle Begin]", "' [Brindle End]", "Sub Main()", "End Sub"});
    Write(".brindleignore", "# generated and legacy code\nlegacy/*.bas\n");
    WriteProject({"Mixed.bas", "Whole.bas", "Legacy/Old.bas"});
    const auto original = Snapshot(folder());

    const auto added = Run({"add-all", "Shop.vbp", "--yes", "-q"});
    ASSERT_EQ(added.status, 0) << added.err;
    const auto mixed = File("Mixed.bas");
    // The module header, Hook's and TimerCallback's own blocks and Done's three.
    EXPECT_EQ(CountLines(mixed, kBeginMarker), 6);
    EXPECT_TRUE(Has(mixed, "' [Brindle End]\r\nSub Done()"));
    EXPECT_TRUE(Has(mixed, "Sub Form_Load()\r\nEnd Sub\r\n' Called"));
    EXPECT_EQ(File("Whole.bas"), original.at("Whole.bas"));
    EXPECT_EQ(File("Legacy/Old.bas"), original.at("Legacy/Old.bas"));

    const auto checked = Run({"check", "Shop.vbp"});
    EXPECT_EQ(checked.status, 0) << checked.out;
    EXPECT_TRUE(Has(checked.err, "brindle: 1 module left out by .brindleignore\n"));

    Write("T/proc.txt", "' Changed %ProcedureName%\r\n");
    ASSERT_EQ(Run({"refresh", "Shop.vbp", "--yes", "-q"}).status, 0);
    EXPECT_EQ(Count("Mixed.bas", "' Changed Done"), 1);

    Write("T/proc.txt", kProcTemplate);
    EXPECT_TRUE(Has(Run({"remove-code-all", "Shop.vbp", "--diff"}).err,
                    "brindle: 3 marked blocks would be left: 1 in code"));
    const auto removed = Run({"remove-code-all", "Shop.vbp", "--yes"});
    EXPECT_EQ(removed.status, 0) << removed.err;
    EXPECT_TRUE(removed.err.ends_with(
        "brindle: 3 marked blocks left: 1 in code that a ' brindle: skip comment keeps out, 1 in "
        "procedures that an excluded name pattern matches, 1 in modules that .brindleignore "
        "leaves out (--ignore-exclusions takes them too)\n"))
        << removed.err;
    EXPECT_EQ(Snapshot(folder()), original);

    const auto markers = Run({"remove-markers", "Mixed.bas", "--proc", "Hook", "--yes"});
    EXPECT_EQ(markers.status, 0) << markers.err;
    EXPECT_TRUE(markers.err.ends_with(
        "brindle: nothing to change\nbrindle: 1 marked block left in code that a ' brindle: skip "
        "comment keeps out (--ignore-exclusions takes it too)\n"))
        << markers.err;

    const auto all = Run({"remove-code-all", "Shop.vbp", "--yes", "--ignore-exclusions"});
    EXPECT_EQ(all.status, 0) << all.err;
    EXPECT_TRUE(all.err.ends_with("brindle: 2 modules: 3 marked blocks removed\n")) << all.err;
    EXPECT_EQ(CountLines(File("Mixed.bas"), kBeginMarker), 0);
    EXPECT_EQ(File("Legacy/Old.bas"),
              Crlf({"Attribute VB_Name = \"Old\"", "Sub Main()", "End Sub"}));
}

// After a template change every block is rewritten as add-all would write it now, its date
// kept; a module without blocks gets none.
TEST_F(Upkeep, RefreshRewritesEveryBlockAndAddsNone) {
    WriteModule("Shop.bas",
                {"Option Explicit", "", "Public Function Total(ByVal n As Long) As Long",
                 "    Total = n", "End Function", "", "Private Sub Reset()", "End Sub"});
    WriteModule("Bare.bas", {"Sub Main()", "End Sub"});
    const auto bare = File("Bare.bas");
    WriteProject({"Shop.bas"});
    const auto original = File("Shop.bas");
    ASSERT_EQ(Run({"add-all", "Shop.vbp", "--yes", "-q"}).status, 0);
    // An old date, which the refresh keeps.
    Write("Shop.bas",
          std::regex_replace(File("Shop.bas"), std::regex("Total, [^\r]*"), "Total, 1999"));

    Write("T/proc.txt", "' ---\r\n' Procedure %ProcedureName%, %Date%\r\n' By %Author%\r\n");
    Write("T/errftr.txt", "    Exit %ProcedureType%\r\nHandler:\r\n    Err.Raise 5\r\n");
    EXPECT_EQ(Run({"refresh", "Shop.vbp", "Bare.bas", "--yes"}).status, 2);  // project or modules
    const auto diff = Run({"refresh", "Shop.vbp", "--diff"});
    ASSERT_EQ(diff.status, 0) << diff.err;
    const auto refreshed = Run({"refresh", "Shop.vbp", "--yes"});
    ASSERT_EQ(refreshed.status, 0);
    // Two procedure headers and two error footers; the headers of the module and of the errors
    // are as the templates give them.
    EXPECT_TRUE(refreshed.err.ends_with("brindle: 1 module: 4 marked blocks rewritten\n"))
        << refreshed.err;
    const auto result = File("Shop.bas");
    EXPECT_EQ(CountLines(result, "' By J. R. Tollard"), 2);
    EXPECT_EQ(CountLines(result, "    Err.Raise 5"), 2);
    EXPECT_TRUE(Has(result, "' Procedure Total, 1999\r\n"));

    // What add-all gives now with the new templates, the dates apart.
    Write("Again.bas", original);
    WriteProject({"Again.bas"});
    ASSERT_EQ(Run({"add-all", "Shop.vbp", "--yes", "-q"}).status, 0);
    const auto fresh =
        std::regex_replace(File("Again.bas"), std::regex("Total, [^\r]*"), "Total, 1999");
    EXPECT_EQ(result, fresh);

    const auto again = Run({"refresh", "Shop.bas", "Bare.bas", "--yes"});
    EXPECT_EQ(again.status, 0);
    EXPECT_TRUE(Has(again.err, "brindle: nothing to change\n"));
    EXPECT_EQ(File("Bare.bas"), bare);
    EXPECT_EQ(Run({"refresh", "Shop.bas"}).status, 2);  // asks, and has no terminal
}

}  // namespace
}  // namespace brindle::test

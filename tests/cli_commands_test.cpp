// The brindle command line end to end, run as a user runs it, on copies of the example project.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "cli_support.h"
#include "support/TestPaths.h"

namespace fs = std::filesystem;

namespace brindle::test {
namespace {

const std::vector<std::string> kModules = {"modMain.bas", "CStockItem.cls", "frmMain.frm",
                                           "Controls/ctlGauge.ctl"};
const std::string kAddingAll = "Adding module header, procedure headers, and error handlers to ";

class ExampleProject : public ::testing::Test {
protected:
    void SetUp() override {
        CopyFolder(SourceDir() / "examples", folder());
        original = Snapshot(folder());
    }

    fs::path folder() const { return temp.path() / "Inventory"; }
    std::string File(const std::string& name) const { return ReadBytes(folder() / name); }
    BrindleRun Run(const std::vector<std::string>& args,
                   const std::optional<std::string>& typed = std::nullopt) const {
        return RunBrindle(folder(), temp.path() / "settings.ini", args, typed);
    }

    TempDir temp;
    std::map<std::string, std::string> original;
};

TEST_F(ExampleProject, AddAllWritesWhatItsDiffShowsAndRemoveCodeAllGivesBackEveryByte) {
    // --diff needs no answer: it writes nothing.
    const auto diff = Run({"add-all", "Inventory.vbp", "--diff"});
    ASSERT_EQ(diff.status, 0) << diff.err;
    EXPECT_EQ(Snapshot(folder()), original);
    for (const auto& module : kModules) {
        EXPECT_NE(diff.out.find("--- a/" + module + "\n+++ b/" + module + "\n@@ "),
                  std::string::npos)
            << module;
    }
    EXPECT_NE(diff.err.find("4 modules would change; nothing written"), std::string::npos);
    std::ptrdiff_t plus = 0;
    std::istringstream in(diff.out);
    for (std::string line; std::getline(in, line);) {
        plus += line.starts_with("+") && !line.starts_with("+++ b/") ? 1 : 0;
    }

    const auto added = Run({"add-all", "Inventory.vbp", "--yes"});
    ASSERT_EQ(added.status, 0) << added.err;
    EXPECT_NE(added.err.find("[1/4] " + kAddingAll + "modMain\n"), std::string::npos) << added.err;
    EXPECT_NE(added.err.find("[4/4] " + kAddingAll + "ctlGauge\n"), std::string::npos);
    EXPECT_EQ(File("Inventory.vbp"), original["Inventory.vbp"]);
    const auto once = Snapshot(folder());
    std::ptrdiff_t lines = 0;
    for (const auto& module : kModules) {
        lines += std::count(once.at(module).begin(), once.at(module).end(), '\n') -
                 std::count(original[module].begin(), original[module].end(), '\n');
    }
    EXPECT_EQ(lines, plus);
    ASSERT_EQ(Run({"remove-code-all", "Inventory.vbp", "--yes"}).status, 0);
    EXPECT_EQ(Snapshot(folder()), original);

    // Nothing looks for earlier copies: a second run adds everything again.
    ASSERT_EQ(Run({"add-all", "Inventory.vbp", "--yes", "-q"}).status, 0);
    ASSERT_EQ(Run({"add-all", "Inventory.vbp", "--yes", "-q"}).status, 0);
    for (const auto& module : kModules) {
        EXPECT_EQ(CountLines(File(module), kBeginMarker),
                  2 * CountLines(once.at(module), kBeginMarker));
    }
    ASSERT_EQ(Run({"remove-code-all", "Inventory.vbp", "--yes", "-q"}).status, 0);
    EXPECT_EQ(Snapshot(folder()), original);
}

TEST_F(ExampleProject, RemoveMarkersAllKeepsEveryGeneratedLineAndLeavesNothingToRemove) {
    ASSERT_EQ(Run({"add-all", "Inventory.vbp", "--yes", "--quiet"}).status, 0);
    auto expected = Snapshot(folder());
    for (auto& [name, bytes] : expected) {
        bytes = WithoutMarkerLines(bytes);
    }
    ASSERT_NE(expected, Snapshot(folder()));

    const auto removed = Run({"remove-markers-all", "Inventory.vbp", "--yes"});
    ASSERT_EQ(removed.status, 0) << removed.err;
    EXPECT_EQ(Snapshot(folder()), expected);

    const auto again = Run({"remove-code-all", "Inventory.vbp", "--yes"});
    EXPECT_EQ(again.status, 0);
    EXPECT_NE(again.err.find("nothing to change"), std::string::npos);
    EXPECT_EQ(Snapshot(folder()), expected);
}

TEST_F(ExampleProject, OnATerminalTheQuestionIsAskedAndOnlyYesProceeds) {
    if (std::system("command -v script >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "no script(1) to make a terminal with";
    }
    ASSERT_EQ(Run({"add-all", "Inventory.vbp", "--yes", "-q"}).status, 0);
    const auto added = Snapshot(folder());
    const auto no = Run({"remove-code-all", "Inventory.vbp"}, "n\n");
    EXPECT_EQ(no.status, 0);
    EXPECT_NE(no.out.find("Are you sure you want to remove code added by Brindle from this "
                          "project? [y/N]"),
              std::string::npos)
        << no.out;
    EXPECT_NE(no.out.find("not answered Yes; left as it was"), std::string::npos);
    EXPECT_EQ(Snapshot(folder()), added);

    const auto yes = Run({"remove-code-all", "Inventory.vbp"}, "y\n");
    EXPECT_EQ(yes.status, 0) << yes.out;
    EXPECT_EQ(Snapshot(folder()), original);
}

// A question without a terminal is refused as an input error.
TEST_F(ExampleProject, InputErrorsExitWithTwoAndWriteNothing) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"add-module-header", "modMain.bas", "Gone.bas"}, "brindle: Gone.bas: no such file\n"},
        {{"add-headers", "Inventory.vbp"}, "Inventory.vbp: not a VB6 module"},
        {{"add-all", "modMain.bas", "--yes"}, "modMain.bas: is a module"},
        {{"add-all", "Gone.vbp", "--yes"}, "Gone.vbp: no such file"},
        {{"add-all", "Controls", "--yes"}, "Controls: is a folder"},
        {{"add-headers", "modMain.bas", "--select", "500"}, "past the module's last line, 69"},
        {{"add-headers", "modMain.bas", "--select", "9-3"}, "ends before it starts"},
        {{"add-headers", "modMain.bas", "--select", "three"}, "--select three: expected"},
        {{"add-headers", "modMain.bas", "--proc", "NoSuchProc"}, "no procedure named NoSuchProc"},
        {{"add-headers", "modMain.bas", "--proc", "Main", "--select", "1"}, "excludes"},
        {{"add-all", "Inventory.vbp", "--yes", "--codepage", "4242"}, "code page 4242"},
        {{"add-everything", "Inventory.vbp"}, "brindle: unknown command 'add-everything'"},
        {{"remove-code-all", "Inventory.vbp"}, "--yes"},
        {{"add-all", "Inventory.vbp"}, "--yes"},
        {{"remove-markers", "modMain.bas", "--select", "1-5"}, "--yes"},
        {{}, "--help"},
    };
    for (const auto& [args, message] : cases) {
        const auto run = Run(args);
        EXPECT_EQ(run.status, 2) << message;
        EXPECT_NE(run.err.find(message), std::string::npos) << run.err;
    }
    EXPECT_EQ(Snapshot(folder()), original);
    EXPECT_FALSE(fs::exists(temp.path() / "settings.ini"));
}

// In a project, what cannot be done is reported and every other module is still done.
TEST_F(ExampleProject, BadComponentsAndFailuresAreReportedAndEveryOtherModuleIsDone) {
    WriteBytes(folder() / "notes.txt", "Shopping list\r\n- tea\r\n");
    WriteBytes(folder() / "modBroken.bas",
               "Attribute VB_Name = \"modBroken\"\r\nOption Explicit\r\n\r\n"
               "Sub NeverEnds()\r\n    Beep\r\n\r\nSub Last()\r\nEnd Sub\r\n");
    WriteBytes(folder() / "Inventory.vbp", original["Inventory.vbp"] +
                                               "Class=CGone; Classes\\CGone.cls\r\n"
                                               "Module=modNotes; notes.txt\r\n"
                                               "Module=modBroken; modBroken.bas\r\n");
    fs::permissions(folder() / "frmMain.frm",
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    const auto before = Snapshot(folder());

    const auto run = Run({"add-all", "Inventory.vbp", "--yes"});
    EXPECT_EQ(run.status, 1);
    for (const std::string& message : std::vector<std::string>{
             "brindle: Inventory.vbp: line 36: Classes\\CGone.cls: no such file",
             "brindle: notes.txt: not a VB6 module",
             "brindle: frmMain.frm: the file is read-only; not written",
             "[3/5] " + kAddingAll + "frmMain", "brindle: modBroken.bas: Sub NeverEnds, line ",
             ": no End Sub; no error handler added\n"}) {
        EXPECT_NE(run.err.find(message), std::string::npos) << message << "\n" << run.err;
    }
    for (const std::string file : {"frmMain.frm", "notes.txt", "Inventory.vbp", "modMain.bas",
                                   "CStockItem.cls", "Controls/ctlGauge.ctl", "modBroken.bas"}) {
        const bool left = file == "frmMain.frm" || file == "notes.txt" || file == "Inventory.vbp";
        EXPECT_EQ(File(file) == before.at(file), left) << file;
    }
}

// What a command found and left as it was is told with its module and makes the exit status 1;
// what it could do is done and written.
TEST_F(ExampleProject, WhatACommandLeavesAsItWasIsToldWithItsModule) {
    const std::string header = "Attribute VB_Name = \"modMarks\"\r\n";
    const std::string kept = "' [Brindle Begin]\r\n' cut in half\r\nSub A()\r\nEnd Sub\r\n";
    const std::string sub = "Sub B()\r\n    x = 1 ' [Brindle End] is what we write\r\nEnd Sub\r\n";
    WriteBytes(folder() / "modMarks.bas",
               header + kept + "' [Brindle Begin]\r\n' Header B\r\n' [Brindle End]\r\n" + sub);
    WriteBytes(folder() / "modTwice.bas",
               "Attribute VB_Name = \"modTwice\"\r\n#If Win64 Then\r\nSub Go()\r\nEnd Sub\r\n"
               "#Else\r\nSub Go()\r\nEnd Sub\r\n#End If\r\n");
    WriteBytes(folder() / "modEmpty.bas", "Attribute VB_Name = \"modEmpty\"\r\n");

    const auto removed = Run({"remove-code", "modMarks.bas", "--yes"});
    EXPECT_EQ(removed.status, 1);
    EXPECT_NE(removed.err.find("brindle: modMarks.bas: line 1: a begin marker without its end "
                               "marker; left as it is\n"),
              std::string::npos)
        << removed.err;
    EXPECT_EQ(File("modMarks.bas"), header + kept + sub);

    const auto twice = Run({"add-headers", "modTwice.bas", "--proc", "go"});
    EXPECT_EQ(twice.status, 1);
    EXPECT_NE(twice.err.find("brindle: modTwice.bas: Go, line "), std::string::npos) << twice.err;
    EXPECT_NE(twice.err.find(": another definition, not reached; --proc works on the first one, "
                             "at line "),
              std::string::npos);
    EXPECT_EQ(CountLines(File("modTwice.bas"), "' Procedure:   Go"), 1);

    for (const std::string command : {"add-headers", "add-error-handlers"}) {
        const auto empty = Run({command, "modEmpty.bas"});
        EXPECT_EQ(empty.status, 0) << empty.err;
        EXPECT_NE(empty.err.find("nothing to change"), std::string::npos) << empty.err;
    }

    // A template that cannot be read is told of once however many modules the run is on.
    ASSERT_EQ(Run({"options", "--module-header-template", "Gone.txt"}).status, 0);
    const auto headers = Run({"add-module-header", "modMain.bas", "CStockItem.cls"});
    EXPECT_EQ(headers.status, 1);
    const std::string missing = "brindle: the module header template \"" +
                                (folder() / "Gone.txt").string() +
                                "\" is missing, unreadable or empty; module headers added "
                                "without its text\n";
    EXPECT_NE(headers.err.find(missing), std::string::npos) << headers.err;
    EXPECT_EQ(headers.err.find(missing), headers.err.rfind(missing));
}

TEST_F(ExampleProject, ModuleCommandsWorkOnEachNamedModuleOnceOrOnTheNamedLinesOrProcedure) {
    // Line 31 is Sub Main's declaration, 43 ElapsedSince's End Function.
    ASSERT_EQ(Run({"add-error-handlers", "modMain.bas", "--select", "31:5-43"}).status, 0);
    EXPECT_EQ(CountLines(File("modMain.bas"), "    On Error GoTo BrindleErrorHandler"), 2);

    const auto proc = Run({"add-headers", "CStockItem.cls", "--proc", "quantity"});
    ASSERT_EQ(proc.status, 0) << proc.err;
    EXPECT_EQ(CountLines(File("CStockItem.cls"), "' Procedure:   Quantity"), 2);  // Get and Let
    EXPECT_EQ(CountLines(File("CStockItem.cls"), "' Procedure:   Code"), 0);

    const auto headers =
        Run({"add-module-header", "modMain.bas", "Controls/ctlGauge.ctl", "./modMain.bas"});
    ASSERT_EQ(headers.status, 0) << headers.err;
    EXPECT_EQ(CountLines(File("modMain.bas"), "' Module:   modMain"), 1);
    EXPECT_EQ(CountLines(File("Controls/ctlGauge.ctl"), "' Module:   ctlGauge"), 1);
    EXPECT_TRUE(headers.err.starts_with("[1/2] Adding module header to modMain\n")) << headers.err;

    for (const std::string module : {"CStockItem.cls", "modMain.bas", "Controls/ctlGauge.ctl"}) {
        ASSERT_EQ(Run({"remove-code", module, "--yes", "-q"}).status, 0);
    }
    EXPECT_EQ(Snapshot(folder()), original);
}

TEST_F(ExampleProject, ProceduresAreListedAsTheHostSeesThem) {
    const auto run = Run({"procedures", "CStockItem.cls"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              "Name      Kind  Start  Body  Lines  End  Member\n"
              "Code      Get   10     11    4      13   Property\n"
              "Code      Let   14     15    4      17   Property\n"
              "Quantity  Get   18     19    4      21   Property\n"
              "Quantity  Let   22     23    8      29   Property\n"
              "Supplier  Get   30     32    5      34   Property\n"
              "Supplier  Set   35     36    4      38   Property\n"
              "Adjust    Proc  39     40    4      42   Method\n");
}

TEST_F(ExampleProject, OptionsAreShownChangedAndUsedByTheNextRun) {
    const auto shown = Run({"options"});
    ASSERT_EQ(shown.status, 0) << shown.err;
    EXPECT_NE(shown.out.find("author                     J. R. Tollard\n"), std::string::npos)
        << shown.out;
    EXPECT_NE(shown.out.find("markers                    on\n"), std::string::npos);

    const auto changed = Run({"options", "--author", "Zo\xC3\xAB Example", "--markers", "off"});
    ASSERT_EQ(changed.status, 0) << changed.err;
    EXPECT_NE(changed.out.find("markers                    off\n"), std::string::npos);
    EXPECT_NE(Run({"options"}).out.find("author                     Zo\xC3\xAB Example\n"),
              std::string::npos);

    // The author reaches the module in its own code page, and no marker line comes with it.
    ASSERT_EQ(Run({"add-module-header", "modMain.bas"}).status, 0);
    EXPECT_NE(File("modMain.bas").find("' Author:   Zo\xEB Example\r\n"), std::string::npos);
    EXPECT_EQ(CountLines(File("modMain.bas"), kBeginMarker), 0);
}

}  // namespace
}  // namespace brindle::test

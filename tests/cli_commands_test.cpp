// The brindle command line end to end, run as a user runs it, on copies of the example project.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "cli_support.h"
#include "support/TestPaths.h"

namespace fs = std::filesystem;

namespace brindle::test {
namespace {

const std::vector<std::string> kModules = {"modMain.bas", "CStockItem.cls", "frmMain.frm",
                                           "Controls/ctlGauge.ctl"};

class ExampleProject : public ::testing::Test {
protected:
    void SetUp() override {
        CopyFolder(SourceDir() / "examples", folder());
        original = Snapshot(folder());
    }

    fs::path folder() const { return temp.path() / "Inventory"; }
    fs::path settings() const { return temp.path() / "settings.ini"; }
    std::string File(const std::string& name) const { return ReadBytes(folder() / name); }
    BrindleRun Run(const std::vector<std::string>& args) const {
        return RunBrindle(folder(), settings(), args);
    }

    int CountInModules(const std::string& line) const {
        int count = 0;
        for (const auto& module : kModules) {
            count += CountLines(File(module), line);
        }
        return count;
    }

    TempDir temp;
    std::map<std::string, std::string> original;
};

TEST_F(ExampleProject, AddAllThenRemoveCodeAllGivesBackEveryByte) {
    const auto added = Run({"add-all", "Inventory.vbp", "--yes"});
    ASSERT_EQ(added.status, 0) << added.err;
    for (const auto& module : kModules) {
        EXPECT_NE(File(module), original[module]) << module;
    }
    EXPECT_EQ(File("Inventory.vbp"), original["Inventory.vbp"]);
    EXPECT_NE(added.err.find("[1/4] Adding module header, procedure headers, and error handlers "
                             "to modMain\n"),
              std::string::npos)
        << added.err;
    EXPECT_NE(added.err.find("[4/4] Adding module header, procedure headers, and error handlers "
                             "to ctlGauge\n"),
              std::string::npos);

    const auto removed = Run({"remove-code-all", "Inventory.vbp", "--yes"});
    ASSERT_EQ(removed.status, 0) << removed.err;
    EXPECT_EQ(Snapshot(folder()), original);
}

TEST_F(ExampleProject, RemoveMarkersAllLeavesNoMarkerAndKeepsEveryGeneratedLine) {
    ASSERT_EQ(Run({"add-all", "Inventory.vbp", "--yes", "--quiet"}).status, 0);
    std::map<std::string, std::string> expected;
    for (const auto& module : kModules) {
        for (const auto& line : SplitLines(File(module))) {
            if (line != kBeginMarker && line != kEndMarker) {
                expected[module] += line + "\r\n";
            }
        }
    }

    const auto removed = Run({"remove-markers-all", "Inventory.vbp", "--yes"});
    ASSERT_EQ(removed.status, 0) << removed.err;
    for (const auto& module : kModules) {
        EXPECT_EQ(File(module), expected[module]) << module;
    }

    // Without markers there is nothing left that Brindle may remove.
    const auto snapshot = Snapshot(folder());
    const auto again = Run({"remove-code-all", "Inventory.vbp", "--yes"});
    EXPECT_EQ(again.status, 0);
    EXPECT_NE(again.err.find("nothing to change"), std::string::npos);
    EXPECT_EQ(Snapshot(folder()), snapshot);
}

TEST_F(ExampleProject, AddAllTwiceGivesTwoCopies) {
    ASSERT_EQ(Run({"add-all", "Inventory.vbp", "--yes", "-q"}).status, 0);
    const int once = CountInModules(kBeginMarker);
    ASSERT_GT(once, 20);
    ASSERT_EQ(Run({"add-all", "Inventory.vbp", "--yes", "-q"}).status, 0);
    EXPECT_EQ(CountInModules(kBeginMarker), 2 * once);
    EXPECT_EQ(CountLines(File("modMain.bas"), "' Module:   modMain"), 2);

    ASSERT_EQ(Run({"remove-code-all", "Inventory.vbp", "--yes", "-q"}).status, 0);
    EXPECT_EQ(Snapshot(folder()), original);
}

TEST_F(ExampleProject, DiffPrintsWhatWouldChangeAndWritesNothing) {
    // --diff needs no answer: it changes nothing.
    const auto diff = Run({"add-all", "Inventory.vbp", "--diff"});
    ASSERT_EQ(diff.status, 0) << diff.err;
    EXPECT_EQ(Snapshot(folder()), original);
    for (const auto& module : kModules) {
        EXPECT_NE(diff.out.find("--- a/" + module + "\n+++ b/" + module + "\n@@ "),
                  std::string::npos)
            << module;
    }
    EXPECT_NE(diff.err.find("4 modules would change; nothing written"), std::string::npos);

    // Its added lines are the lines that the command adds when it runs.
    int plus = 0;
    for (const auto& line : SplitLines(diff.out)) {
        plus += line.rfind("+", 0) == 0 && line.rfind("+++ b/", 0) != 0 ? 1 : 0;
    }
    ASSERT_EQ(Run({"add-all", "Inventory.vbp", "--yes", "-q"}).status, 0);
    int added = 0;
    for (const auto& module : kModules) {
        added +=
            static_cast<int>(SplitLines(File(module)).size() - SplitLines(original[module]).size());
    }
    EXPECT_EQ(plus, added);
}

TEST_F(ExampleProject, WithoutATerminalAQuestionIsRefusedAndNothingChanges) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"remove-code-all", "Inventory.vbp"},
          {"add-all", "Inventory.vbp"},
          {"remove-markers", "modMain.bas", "--select", "1-5"}}) {
        const auto run = Run(args);
        EXPECT_EQ(run.status, 2) << args.front();
        EXPECT_NE(run.err.find("--yes"), std::string::npos) << run.err;
    }
    EXPECT_EQ(Snapshot(folder()), original);

    // A command that asks nothing runs all the same.
    EXPECT_EQ(Run({"add-module-header", "modMain.bas"}).status, 0);
}

TEST_F(ExampleProject, OnATerminalTheQuestionIsAskedAndOnlyYesProceeds) {
    if (std::system("command -v script >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "no script(1) to make a terminal with";
    }
    ASSERT_EQ(Run({"add-all", "Inventory.vbp", "--yes", "-q"}).status, 0);
    const auto added = Snapshot(folder());

    const auto no =
        RunBrindleOnTerminal(folder(), settings(), {"remove-code-all", "Inventory.vbp"}, "n\n");
    EXPECT_EQ(no.status, 0);
    EXPECT_NE(no.out.find("Are you sure you want to remove code added by Brindle from this "
                          "project? [y/N]"),
              std::string::npos)
        << no.out;
    EXPECT_NE(no.out.find("not answered Yes; left as it was"), std::string::npos);
    EXPECT_EQ(Snapshot(folder()), added);

    const auto yes =
        RunBrindleOnTerminal(folder(), settings(), {"remove-code-all", "Inventory.vbp"}, "y\n");
    EXPECT_EQ(yes.status, 0) << yes.out;
    EXPECT_EQ(Snapshot(folder()), original);
}

TEST_F(ExampleProject, InputErrorsExitWithTwoAndWriteNothing) {
    const std::vector<std::vector<std::string>> cases = {
        {"add-module-header", "modMain.bas", "Gone.bas"},
        {"add-headers", "Inventory.vbp"},
        {"add-all", "modMain.bas", "--yes"},
        {"add-all", "Gone.vbp", "--yes"},
        {"add-all", "Controls", "--yes"},
        {"add-headers", "modMain.bas", "--select", "500"},
        {"add-headers", "modMain.bas", "--select", "9-3"},
        {"add-headers", "modMain.bas", "--select", "three"},
        {"add-headers", "modMain.bas", "--proc", "NoSuchProc"},
        {"add-headers", "modMain.bas", "--proc", "Main", "--select", "1"},
        {"add-all", "Inventory.vbp", "--yes", "--codepage", "4242"},
        {"add-everything", "Inventory.vbp"},
        {},
    };
    for (const auto& args : cases) {
        const auto run = Run(args);
        EXPECT_EQ(run.status, 2) << (args.empty() ? "" : args[0]) << " " << run.err;
        EXPECT_FALSE(run.err.empty());
    }
    EXPECT_EQ(Snapshot(folder()), original);

    const auto missing = Run({"add-module-header", "modMain.bas", "Gone.bas"});
    EXPECT_EQ(missing.err, "brindle: Gone.bas: no such file\n");
    const auto notModule = Run({"add-headers", "Inventory.vbp"});
    EXPECT_NE(notModule.err.find("Inventory.vbp: not a VB6 module"), std::string::npos)
        << notModule.err;
}

TEST_F(ExampleProject, BadComponentsAreReportedAndEveryOtherModuleIsDone) {
    WriteBytes(folder() / "notes.txt", "Shopping list\r\n- tea\r\n");
    WriteBytes(folder() / "Inventory.vbp", original["Inventory.vbp"] +
                                               "Class=CGone; Classes\\CGone.cls\r\n"
                                               "Module=modNotes; notes.txt\r\n");
    fs::permissions(folder() / "frmMain.frm", fs::perms::all & ~fs::perms::owner_write &
                                                  ~fs::perms::group_write &
                                                  ~fs::perms::others_write);
    const auto before = Snapshot(folder());

    const auto run = Run({"add-all", "Inventory.vbp", "--yes"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("brindle: Inventory.vbp: line 36: Classes\\CGone.cls: no such file"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("brindle: notes.txt: not a VB6 module"), std::string::npos);
    EXPECT_NE(run.err.find("brindle: frmMain.frm: the file is read-only; not written"),
              std::string::npos);
    EXPECT_NE(run.err.find("[3/4] Adding module header, procedure headers, and error handlers "
                           "to frmMain"),
              std::string::npos);

    for (const std::string unchanged : {"frmMain.frm", "notes.txt", "Inventory.vbp"}) {
        EXPECT_EQ(File(unchanged), before.at(unchanged)) << unchanged;
    }
    for (const std::string changed : {"modMain.bas", "CStockItem.cls", "Controls/ctlGauge.ctl"}) {
        EXPECT_NE(File(changed), before.at(changed)) << changed;
    }
}

TEST_F(ExampleProject, AFailureInsideTheAddinNamesItsModuleAndSourceChain) {
    WriteBytes(folder() / "modBroken.bas",
               "Attribute VB_Name = \"modBroken\"\r\nOption Explicit\r\n\r\n"
               "Sub NeverEnds()\r\n    Beep\r\n\r\nSub Last()\r\nEnd Sub\r\n");
    WriteBytes(folder() / "Inventory.vbp",
               original["Inventory.vbp"] + "Module=modBroken; modBroken.bas\r\n");

    const auto run = Run({"add-all", "Inventory.vbp", "--yes"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("brindle: modBroken.bas: error "), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(", in Brindle.AddErrHandlers | Brindle.AddErrHandlerToProc | "),
              std::string::npos)
        << run.err;
    for (const auto& module : kModules) {
        EXPECT_NE(File(module), original[module]) << module;
    }
}

TEST_F(ExampleProject, SelectionCommandsWorkOnTheNamedLinesOrProcedure) {
    const auto headers = Run({"add-headers", "CStockItem.cls", "--proc", "quantity"});
    ASSERT_EQ(headers.status, 0) << headers.err;
    const auto cls = File("CStockItem.cls");
    EXPECT_EQ(CountLines(cls, "' Procedure:   Quantity"), 2);  // its Get and its Let
    EXPECT_EQ(CountLines(cls, "' Procedure:   Code"), 0);
    EXPECT_NE(headers.err.find("[2/2] Adding procedure header(s) to CStockItem"),
              std::string::npos);

    // Line 31 is Sub Main's declaration, 43 ElapsedSince's End Function.
    ASSERT_EQ(Run({"add-error-handlers", "modMain.bas", "--select", "31:5-43"}).status, 0);
    const auto bas = File("modMain.bas");
    EXPECT_EQ(CountLines(bas, "    On Error GoTo BrindleErrorHandler"), 2);

    ASSERT_EQ(Run({"remove-code", "CStockItem.cls", "--yes", "-q"}).status, 0);
    ASSERT_EQ(Run({"remove-code", "modMain.bas", "--yes", "-q"}).status, 0);
    EXPECT_EQ(Snapshot(folder()), original);
}

TEST_F(ExampleProject, ModuleHeadersGoToEveryModuleNamedOnce) {
    const auto run =
        Run({"add-module-header", "modMain.bas", "Controls/ctlGauge.ctl", "./modMain.bas"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(CountLines(File("modMain.bas"), "' Module:   modMain"), 1);
    EXPECT_EQ(CountLines(File("Controls/ctlGauge.ctl"), "' Module:   ctlGauge"), 1);
    EXPECT_EQ(SplitLines(run.err).front(), "[1/2] Adding module header to modMain");
    // Directly below the Option Explicit first line of the code.
    EXPECT_EQ(SplitLines(File("modMain.bas"))[2], kBeginMarker);
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
    const auto bas = File("modMain.bas");
    EXPECT_NE(bas.find("' Author:   Zo\xEB Example\r\n"), std::string::npos);
    EXPECT_EQ(CountLines(bas, kBeginMarker), 0);
}

TEST(CommandLineHelp, EachCommandHasHelpWithAnExample) {
    TempDir temp;
    for (const std::string command :
         {"add-module-header", "add-headers", "add-error-handlers", "remove-markers", "remove-code",
          "add-all", "remove-markers-all", "remove-code-all", "procedures", "options"}) {
        const auto run = RunBrindle(temp.path(), temp.path() / "s.ini", {command, "--help"});
        EXPECT_EQ(run.status, 0) << command;
        EXPECT_NE(run.out.find("Example:\n  brindle " + command), std::string::npos) << run.out;
    }
    EXPECT_FALSE(fs::exists(temp.path() / "s.ini"));
}

}  // namespace
}  // namespace brindle::test

// The brindle command line end to end, run as a user runs it, on copies of the example project.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "cli/cli_support.h"
#include "host/files/FileSystem.h"
#include "support/TestPaths.h"

namespace fs = std::filesystem;

namespace brindle::test {
namespace {

const std::vector<std::string> kModules = {"modMain.bas", "CStockItem.cls", "frmMain.frm",
                                           "Controls/ctlGauge.ctl"};
const std::string kAddingAll = "Adding module header, procedure headers, and error handlers to ";

class ExampleProject : public UserFolder {
protected:
    ExampleProject() : UserFolder("Inventory") {}
    void SetUp() override {
        CopyFolder(SourceDir() / "examples", folder());
        original = Snapshot(folder());
    }

    std::map<std::string, std::string> original;
};

// Each run that changes code ends with what it did, counted. remove-code-all gives back every
// byte; remove-markers-all keeps every generated line, and leaves nothing to remove.
TEST_F(ExampleProject, AddAllWritesWhatItsDiffShowsAndTheRemovalsTakeOutItsCodeOrItsMarkers) {
    // --diff needs no answer: it writes nothing.
    const auto diff = Run({"add-all", "Inventory.vbp", "--diff"});
    ASSERT_EQ(diff.status, 0) << diff.err;
    EXPECT_EQ(Snapshot(folder()), original);
    for (const auto& module : kModules) {
        EXPECT_TRUE(Has(diff.out, "--- a/" + module + "\n+++ b/" + module + "\n@@ "));
    }
    EXPECT_TRUE(
        diff.err.ends_with("brindle: 4 modules: 4 module headers, 22 procedure headers, "
                           "22 error handlers would be added; nothing written\n"))
        << diff.err;
    std::ptrdiff_t plus = 0;
    std::istringstream in(diff.out);
    for (std::string line; std::getline(in, line);) {
        plus += line.starts_with("+") && !line.starts_with("+++ b/") ? 1 : 0;
    }

    const auto added = Run({"add-all", "Inventory.vbp", "--yes"});
    ASSERT_EQ(added.status, 0) << added.err;
    EXPECT_TRUE(Has(added.err, "[1/4] " + kAddingAll + "modMain\n"));
    EXPECT_TRUE(Has(added.err, "[4/4] " + kAddingAll + "ctlGauge\n"));
    EXPECT_TRUE(
        added.err.ends_with("brindle: 4 modules: 4 module headers, 22 procedure headers, "
                            "22 error handlers added\n"));
    EXPECT_EQ(File("Inventory.vbp"), original["Inventory.vbp"]);
    const auto once = Snapshot(folder());
    std::ptrdiff_t lines = 0;
    for (const auto& module : kModules) {
        lines += std::count(once.at(module).begin(), once.at(module).end(), '\n') -
                 std::count(original[module].begin(), original[module].end(), '\n');
    }
    EXPECT_EQ(lines, plus);
    const auto removed = Run({"remove-code-all", "Inventory.vbp", "--yes"});
    ASSERT_EQ(removed.status, 0);
    EXPECT_TRUE(removed.err.ends_with("brindle: 4 modules: 70 marked blocks removed\n"))
        << removed.err;
    EXPECT_EQ(Snapshot(folder()), original);

    // Nothing looks for earlier copies: a second run adds everything again.
    ASSERT_EQ(Run({"add-all", "Inventory.vbp", "--yes", "-q"}).status, 0);
    ASSERT_EQ(Run({"add-all", "Inventory.vbp", "--yes", "--quiet"}).status, 0);
    auto expected = Snapshot(folder());
    for (auto& [name, bytes] : expected) {
        EXPECT_EQ(CountLines(bytes, kBeginMarker), 2 * CountLines(once.at(name), kBeginMarker));
        bytes = WithoutMarkerLines(bytes);
    }
    const auto unmarked = Run({"remove-markers-all", "Inventory.vbp", "--yes"});
    ASSERT_EQ(unmarked.status, 0) << unmarked.err;
    EXPECT_TRUE(unmarked.err.ends_with("brindle: 4 modules: 280 marker lines removed\n"))
        << unmarked.err;
    EXPECT_EQ(Snapshot(folder()), expected);
    const auto again = Run({"remove-code-all", "Inventory.vbp", "--yes"});
    EXPECT_EQ(again.status, 0);
    EXPECT_TRUE(Has(again.err, "nothing to change"));
    EXPECT_EQ(Snapshot(folder()), expected);
}

// One command, one question, with what it is about; No changes nothing and exits with 1, which
// a script tells from "nothing to change" (0).
TEST_F(ExampleProject, OnATerminalOneQuestionIsAskedAndOnlyYesProceeds) {
    if (const auto why = NoTerminalToTypeOn()) {
        GTEST_SKIP() << *why;
    }
    ASSERT_EQ(Run({"add-all", "Inventory.vbp", "--yes", "-q"}).status, 0);
    const auto added = Snapshot(folder());
    const std::string project =
        "Remove Code Added by Brindle from Entire Project\r\nAre you sure "
        "you want to remove code added by Brindle from this project?";
    const std::string selection =
        "Remove Code Added by Brindle from Selection\r\nAre you sure "
        "you want to remove code added by Brindle from selected text?";
    const std::vector<std::tuple<std::vector<std::string>, std::string, std::string>> cases = {
        {{"remove-code-all", "Inventory.vbp"},
         "brindle: remove-code-all works on every module of Inventory.vbp\r\n",
         project},
        {{"remove-code", "modMain.bas", "CStockItem.cls"},
         "brindle: remove-code works on the whole module of each of 2 modules: modMain.bas, "
         "CStockItem.cls\r\n",
         selection},
        {{"remove-markers", "modMain.bas"},
         "brindle: remove-markers works on the whole module modMain.bas\r\n",
         "Remove Code Markers\r\nRemoving code markers from selected code"},
        {{"remove-code", "CStockItem.cls", "--proc", "Quantity"},
         "brindle: remove-code works on the procedure Quantity in CStockItem.cls\r\n",
         selection},
        {{"remove-code", "frmMain.frm", "--select", "80-90", "--lines", "file"},
         "brindle: remove-code works on file lines 80-90 of frmMain.frm\r\n",
         selection},
    };
    for (const auto& [args, about, question] : cases) {
        const auto no = Run(args, "n\n");
        EXPECT_EQ(no.status, 1) << no.out;
        EXPECT_TRUE(Has(no.out, about + question));
        EXPECT_TRUE(no.out.ends_with("brindle: not answered Yes; nothing was changed\r\n"))
            << no.out;
        EXPECT_EQ(Snapshot(folder()), added);
    }

    const auto yes = Run(
        {"remove-code", "modMain.bas", "CStockItem.cls", "frmMain.frm", "Controls/ctlGauge.ctl"},
        "y\n");
    EXPECT_EQ(yes.status, 0) << yes.out;
    EXPECT_TRUE(HasOnce(yes.out, "Are you sure"));
    EXPECT_EQ(Snapshot(folder()), original);
}

// -q and --codepage may stand before the command, and every command takes --yes.
TEST_F(ExampleProject, ScriptsMayPassTheSameFlagsToEveryCommand) {
    for (const std::vector<std::string>& command :
         {std::vector<std::string>{"check", "Inventory.vbp"},
          {"procedures", "modMain.bas"},
          {"add-module-header", "modMain.bas"},
          {"options"}}) {
        // Before the options command, --codepage would read as a new default.
        std::vector<std::string> args = {"-q"};
        if (command.front() != "options") {
            args.insert(args.end(), {"--codepage", "1252"});
        }
        args.insert(args.end(), command.begin(), command.end());
        args.push_back("--yes");
        const auto run = Run(args);
        EXPECT_LT(run.status, 2) << run.err;
        EXPECT_EQ(run.err, "") << command.front();
    }
    EXPECT_EQ(Count("modMain.bas", kBeginMarker),
              CountLines(original.at("modMain.bas"), kBeginMarker) + 1);
}

// A question without a terminal is refused as an input error, after what is wrong with the
// files or the selection has been told.
TEST_F(ExampleProject, InputErrorsExitWithTwoAndWriteNothing) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"add-module-header", "modMain.bas", "Gone.bas"}, "brindle: Gone.bas: no such file\n"},
        {{"add-headers", "Inventory.vbp"}, "Inventory.vbp: not a VB6 module"},
        {{"add-all", "modMain.bas", "Inventory.vbp"}, "--yes"},
        {{"remove-code-all", "Gone.vbp"}, "Gone.vbp: no such file"},
        {{"add-all", "Controls", "--yes"}, "brindle: no project or group file below Controls\n"},
        {{"add-headers", "Controls"}, "Controls: is a folder"},
        {{"add-all", "Inventory.vbp", "Gone.bas", "--only-named", "--yes"},
         "brindle: Gone.bas: no such file\n"},
        {{"remove-markers", "modMain.bas", "--select", "500"}, "past the module's last line, 69"},
        {{"add-headers", "modMain.bas", "--select", "9-3"}, "ends before it starts"},
        {{"add-headers", "modMain.bas", "--select", "three"}, "--select three: expected"},
        {{"add-headers", "modMain.bas", "--proc", "NoSuchProc"}, "no procedure named NoSuchProc"},
        {{"add-headers", "modMain.bas", "--proc", "Main", "--select", "1"},
         " cannot be given together\nRun 'brindle help add-headers' for its flags.\n"},
        {{"add-headers", "modMain.bas", "CStockItem.cls", "--proc", "Main"},
         "brindle: add-headers: --proc works on one module; 2 were given\n"},
        {{"add-headers", "modMain.bas", "CStockItem.cls", "--select", "1"},
         "brindle: add-headers: --select works on one module; 2 were given\n"},
        {{"add-all", "Inventory.vbp", "--yes", "--codepage", "4242"}, "code page 4242"},
        {{"procedures", "modMain.bas", "--codepage", "1200"}, "code page 1200"},
        {{"options", "--author", "Ann\nAuthor"}, "control character"},
        {{"options", "--codepage", "4242"}, "code page 4242"},
        {{"add-everything", "Inventory.vbp"}, "brindle: unknown command 'add-everything'"},
        {{"remove-code-all", "Inventory.vbp"}, "--yes"},
        {{"add-all", "Inventory.vbp"}, "--yes"},
        {{"remove-markers", "modMain.bas", "--select", "1-5"}, "--yes"},
        {{}, "brindle: a command is required\nRun 'brindle help' for the commands.\n"},
        // The argument parser's own words become ours.
        {{"check", "Inventory.vbp", "--require", "header", "--require", "handler"},
         "brindle: check: --require is given 2 times; give it once\n"
         "Run 'brindle help check' for its flags.\n"},
        {{"check", "Inventory.vbp", "--stale", "-x"}, "brindle: check: unexpected argument: -x\n"},
        {{"procedures", "modMain.bas", "-q"}, "brindle: procedures: unexpected argument: -q\n"},
        {{"add-all", "-q"}, "brindle: add-all: FILE is missing"},
        {{"options", "--author"}, "brindle: options: --author needs a value (TEXT)\n"},
        {{"add-all", "Inventory.vbp", "--exit-code", "--yes"},
         "brindle: add-all: --exit-code works only with --diff\n"},
        {{"--codepage", "1252", "options"}, "to keep a default, put it after 'options'"},
    };
    for (const auto& [args, message] : cases) {
        const auto run = Run(args);
        EXPECT_EQ(run.status, 2) << message;
        EXPECT_TRUE(Has(run.err, message));
    }
    EXPECT_EQ(Snapshot(folder()), original);
    EXPECT_FALSE(fs::exists(settings()));
}

// Strange input, each a row: the run's status, what it says (the file and the problem), which
// files it changes, and that the removal named gives back every byte. A folder in which no
// temporary file can be made (it needs another user than root) and a module changed on disk
// while Brindle works (it needs a moment between load and save) have tests of their own.
TEST_F(ExampleProject, HostileInputIsToldWithItsFileAndCostsNoByte) {
    std::string big;
    for (int i = 0; i < 10000; ++i) {
        big += "' " + std::to_string(i) + " %ModuleName% " + std::string(90, 'x') + "\r\n";
    }
    const std::string modules = original.at("Inventory.vbp");
    const std::vector<std::string> all = {"modMain.bas", "CStockItem.cls", "frmMain.frm",
                                          "Controls/ctlGauge.ctl"};
    struct Row {
        std::string name;
        std::map<std::string, std::string> files;  // written before the run
        std::vector<std::string> options;          // set before the run
        std::vector<std::string> args;
        int status;
        std::vector<std::string> messages;
        std::vector<std::string> changed;
        std::vector<std::string> undo;
    };
    const std::vector<Row> rows = {
        {"a group that lists itself and a missing project",
         {{"G.vbg",
           "VBGROUP 5.0\r\nStartupProject=Inventory.vbp\r\nProject=G.vbg\r\n"
           "Project=Gone.vbp\r\n"}},
         {},
         {"add-all", "G.vbg", "--yes", "-q"},
         1,
         {"G.vbg:3: G.vbg: is this group itself, not a project", "G.vbg:4: Gone.vbp: no such file"},
         all,
         {"remove-code-all", "G.vbg", "--yes"}},
        {"a project that names itself as a module, and a folder as one",
         {{"Inventory.vbp", modules + "Module=Self; Inventory.vbp\r\nModule=Dir; Controls\r\n"}},
         {},
         {"add-all", "Inventory.vbp", "--yes", "-q"},
         1,
         {"Inventory.vbp:36: Inventory.vbp: not a VB6 module",
          "Inventory.vbp:37: Controls: is a folder"},
         all,
         {"remove-code-all", "Inventory.vbp", "--yes"}},
        {"a template of a megabyte goes in whole",
         {{"Templates/Big.txt", big}},
         {"--module-header-template", "Templates\\Big.txt"},
         {"add-module-header", "modMain.bas"},
         0,
         {"1 module header added"},
         {"modMain.bas"},
         {"remove-code", "modMain.bas", "--yes"}},
        {"a template keyword without its closing %",
         {{"Templates/Open.txt", "' %ModuleName\r\n"}},
         {"--module-header-template", "Templates\\Open.txt"},
         {"add-module-header", "modMain.bas"},
         1,
         {"Templates\\Open.txt\", line 1: %ModuleName has no closing \"%\"; it stays in the text"},
         {"modMain.bas"},
         {"remove-code", "modMain.bas", "--yes"}},
        {"a column past a Shift-JIS line's characters, inside its bytes",
         {{"modJ.bas",
           "Attribute VB_Name = \"modJ\"\r\nSub A()\r\n    x = \"\x93\xfa\x96\x7b\"\r\n"
           "End Sub\r\n"}},
         {},
         {"add-headers", "modJ.bas", "--codepage", "932", "--select", "2:14"},
         2,
         {"modJ.bas: --select 2:14: line 2 column 14 is past the end of its line"},
         {},
         {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        for (const auto& [name, bytes] : row.files) {
            Write(name, bytes);
        }
        if (!row.options.empty()) {
            auto set = row.options;
            set.insert(set.begin(), "options");
            ASSERT_EQ(Run(set).status, 0);
        }
        const auto before = Snapshot(folder());
        const auto run = Run(row.args);
        EXPECT_EQ(run.status, row.status) << run.err;
        for (const auto& message : row.messages) {
            EXPECT_TRUE(Has(run.err + run.out, message));
        }
        for (const auto& [name, bytes] : Snapshot(folder())) {
            const bool changes =
                std::find(row.changed.begin(), row.changed.end(), name) != row.changed.end();
            EXPECT_EQ(bytes != before.at(name), changes) << name;
        }
        if (!row.undo.empty()) {
            Run(row.undo);
            EXPECT_EQ(Snapshot(folder()), before);
        }
        ASSERT_EQ(Run({"options", "--reset"}).status, 0);
        for (const auto& [name, bytes] : original) {
            Write(name, bytes);
        }
    }
}

// In a project, what cannot be done is reported and every other module is still done.
TEST_F(ExampleProject, BadComponentsAndFailuresAreReportedAndEveryOtherModuleIsDone) {
    Write("notes.txt", "Shopping list\r\n- tea\r\n");
    Write("modBroken.bas",
          "Attribute VB_Name = \"modBroken\"\r\nOption Explicit\r\n\r\n"
          "Sub NeverEnds()\r\n    Beep\r\n\r\nSub Last()\r\nEnd Sub\r\n");
    Write("Inventory.vbp", original["Inventory.vbp"] +
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
             "Inventory.vbp:36: Classes\\CGone.cls: no such file",
             "Inventory.vbp:37: notes.txt: not a VB6 module",
             "brindle: frmMain.frm: the file is read-only; not written",
             "[3/5] " + kAddingAll + "frmMain",
             // Below the module header and its own procedure header.
             "modBroken.bas:23: Sub NeverEnds: no End Sub; no error handler added\n"}) {
        EXPECT_TRUE(Has(run.err, message));
    }
    for (const std::string file : {"frmMain.frm", "notes.txt", "Inventory.vbp", "modMain.bas",
                                   "CStockItem.cls", "Controls/ctlGauge.ctl", "modBroken.bas"}) {
        const bool left = file == "frmMain.frm" || file == "notes.txt" || file == "Inventory.vbp";
        EXPECT_EQ(File(file) == before.at(file), left) << file;
    }
}

// What a command found and left as it was is told at its module's file line and makes the exit
// status 1; what it could do is done and written.
TEST_F(ExampleProject, WhatACommandLeavesAsItWasIsToldWithItsModule) {
    const std::string header = "Attribute VB_Name = \"modMarks\"\r\n";
    const std::string kept = "' [Brindle Begin]\r\n' cut in half\r\nSub A()\r\nEnd Sub\r\n";
    const std::string sub = "Sub B()\r\n    x = 1 ' [Brindle End] is what we write\r\nEnd Sub\r\n";
    Write("modMarks.bas",
          header + kept + "' [Brindle Begin]\r\n' Header B\r\n' [Brindle End]\r\n" + sub);
    Write("modTwice.bas",
          "Attribute VB_Name = \"modTwice\"\r\n#If Win64 Then\r\nSub Go()\r\nEnd Sub\r\n"
          "#Else\r\nSub Go()\r\nEnd Sub\r\n#End If\r\n");
    Write("modEmpty.bas", "Attribute VB_Name = \"modEmpty\"\r\n");
    // A marker that the removal leaves is told at its line in the file, which on a form and a
    // class counts the lines that the code pane hides.
    auto form = File("frmMain.frm");
    form.insert(form.find("Private Sub Form_Unload"), "' [Brindle Begin]\r\n");
    Write("frmMain.frm", form);
    auto cls = File("CStockItem.cls");
    cls.insert(cls.find("    Quantity = mQuantity\r\n"), "' [Brindle End]\r\n");
    Write("CStockItem.cls", cls);

    const auto removed =
        Run({"remove-code", "modMarks.bas", "frmMain.frm", "CStockItem.cls", "--yes"});
    EXPECT_EQ(removed.status, 1);
    for (const std::string message :
         {"modMarks.bas:2: a begin marker without its end marker; left as it is\n",
          "frmMain.frm:99: a begin marker without its end marker; left as it is\n",
          "CStockItem.cls:35: an end marker without its begin marker; left as it is\n"}) {
        EXPECT_TRUE(Has(removed.err, message));
    }
    EXPECT_EQ(File("modMarks.bas"), header + kept + sub);

    const auto twice = Run({"add-headers", "modTwice.bas", "--proc", "go"});
    EXPECT_EQ(twice.status, 1);
    // At their lines once the header is in.
    EXPECT_TRUE(Has(twice.err,
                    "modTwice.bas:16: Go: another definition, not reached; --proc works "
                    "on the first one, at line 13\n"));
    EXPECT_EQ(Count("modTwice.bas", "' Procedure:   Go"), 1);

    for (const std::string command : {"add-headers", "add-error-handlers"}) {
        const auto empty = Run({command, "modEmpty.bas"});
        EXPECT_EQ(empty.status, 0) << empty.err;
        EXPECT_TRUE(Has(empty.err, "nothing to change"));
    }

    // A template that cannot be read is told of once however many modules the run is on.
    ASSERT_EQ(Run({"options", "--module-header-template", "Gone.txt"}).status, 0);
    const auto headers = Run({"add-module-header", "modMain.bas", "CStockItem.cls"});
    EXPECT_EQ(headers.status, 1);
    const std::string missing =
        "brindle: the module header template \"Gone.txt\" is missing, unreadable or empty; no "
        "module headers added\n";
    EXPECT_TRUE(HasOnce(headers.err, missing));
}

// Every module command takes any number of modules, each done once; --proc works for the
// removals too.
TEST_F(ExampleProject, ModuleCommandsWorkOnEachNamedModuleOnceOrOnTheNamedLinesOrProcedure) {
    const std::vector<std::string> modules = {"modMain.bas", "CStockItem.cls", "frmMain.frm",
                                              "Controls/ctlGauge.ctl", "./modMain.bas"};
    const auto with = [&](std::vector<std::string> args) {
        args.insert(args.end(), modules.begin(), modules.end());
        return Run(args);
    };
    const auto headers = with({"add-module-header"});
    ASSERT_EQ(headers.status, 0) << headers.err;
    EXPECT_TRUE(headers.err.starts_with("[1/4] Adding module header to modMain\n")) << headers.err;
    EXPECT_TRUE(headers.err.ends_with("brindle: 4 modules: 4 module headers added\n"));
    const auto handlers = with({"add-error-handlers"});
    EXPECT_TRUE(handlers.err.ends_with("brindle: 4 modules: 22 error handlers added\n"))
        << handlers.err;
    EXPECT_EQ(Count("CStockItem.cls", "    On Error GoTo BrindleErrorHandler"), 7);
    EXPECT_TRUE(with({"add-headers", "-q"}).err.empty());
    EXPECT_EQ(Count("frmMain.frm", "' Procedure:   Form_Load"), 1);
    const auto all = Snapshot(folder());

    const auto proc = Run({"remove-code", "CStockItem.cls", "--proc", "quantity", "-y"});
    ASSERT_EQ(proc.status, 0) << proc.err;
    EXPECT_TRUE(proc.err.ends_with("brindle: 1 module: 6 marked blocks removed\n")) << proc.err;
    EXPECT_EQ(Count("CStockItem.cls", "' Procedure:   Quantity"), 0);  // Get and Let
    EXPECT_EQ(Count("CStockItem.cls", "' Procedure:   Code"), 2);
    ASSERT_EQ(Run({"add-headers", "CStockItem.cls", "--proc", "Quantity", "-q"}).status, 0);
    ASSERT_EQ(Run({"add-error-handlers", "CStockItem.cls", "--proc", "Quantity", "-q"}).status, 0);
    EXPECT_EQ(Snapshot(folder()), all);

    ASSERT_EQ(with({"remove-markers", "--yes", "-q"}).status, 0);
    EXPECT_EQ(Count("modMain.bas", kBeginMarker), 0);
    ASSERT_EQ(with({"remove-code", "--yes"}).status, 0);
    EXPECT_EQ(Count("modMain.bas", "' Procedure:   Main"), 1);  // no markers left
}

// --lines file reads --select as an editor numbers the file: on a form below its designer block
// and on a class with attribute lines, the same lines as the code pane's numbers give. Messages
// name lines the same way.
TEST_F(ExampleProject, FileLinesSelectAndNameWhatAnEditorShowsAtThem) {
    struct Case {
        std::string module;
        std::string fileLines;
        std::string codeLines;
    };
    for (const auto& [module, fileLines, codeLines] : std::vector<Case>{
             {"frmMain.frm", "94-97", "23-26"},  // mCurrent_QuantityChanged
             {"frmMain.frm", "1-80", "1-9"},     // from the designer block into Form_Load
             {"frmMain.frm", "85:9-86:5", "14:9-15:5"},
             {"CStockItem.cls", "34-36", "20-21"},  // from Quantity's attribute line
             {"CStockItem.cls", "24-25", "11-11"},  // to Code's attribute line
             {"CStockItem.cls", "10-200", "1-42"}}) {
        const auto byFile =
            Run({"add-error-handlers", module, "--select", fileLines, "--lines", "file", "--diff"});
        EXPECT_EQ(byFile.status, 0) << byFile.err;
        EXPECT_FALSE(byFile.out.empty()) << fileLines;
        EXPECT_EQ(byFile.out,
                  Run({"add-error-handlers", module, "--select", codeLines, "--diff"}).out)
            << module << " " << fileLines;
    }
    for (const auto& [lines, problem] : std::vector<std::pair<std::string, std::string>>{
             {"1-8", "file lines 1 to 8 hold no code"},
             {"25:1-25:9", "file line 25 holds no code"},
             {"300", "file line 300 is past the module's last code line, at file line 57"},
             {"30-20", "the selection ends before it starts"}}) {
        const auto run =
            Run({"add-headers", "CStockItem.cls", "--select", lines, "--lines", "file"});
        EXPECT_EQ(run.status, 2) << lines;
        EXPECT_TRUE(
            Has(run.err, "CStockItem.cls: --select " + lines + " --lines file: " + problem));
    }
}

// Sub or Function, the lines of the code and of the file; as a table, and as JSON.
TEST_F(ExampleProject, ProceduresAreListedWithTheLinesOfTheCodeAndOfTheFile) {
    const auto run = Run({"procedures", "CStockItem.cls", "modMain.bas"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(run.out.starts_with(
        "CStockItem.cls:\n"
        "Name      Kind  Start  Body  Lines  End  Member    File-Start  File-Body  File-End\n"
        "Code      Get   10     11    4      13   Property  23          24         27\n"
        "Code      Let   14     15    4      17   Property  28          29         31\n"
        "Quantity  Get   18     19    4      21   Property  32          33         36\n"))
        << run.out;
    EXPECT_TRUE(Has(run.out, "Adjust    Sub   39     40    4      42   Method    54          55"));
    EXPECT_TRUE(Has(run.out, "\n\nmodMain.bas:\nName "));
    EXPECT_TRUE(Has(run.out, "\nElapsedSince  Function  "));

    Write("modOpen.bas", "Attribute VB_Name = \"modOpen\"\r\nSub Open()\r\n");
    const auto json =
        nlohmann::json::parse(Run({"procedures", "CStockItem.cls", "modOpen.bas", "--json"}).out);
    ASSERT_EQ(json["modules"].size(), 2u);
    EXPECT_EQ(json["modules"][0]["file"], "CStockItem.cls");
    EXPECT_EQ(json["modules"][0]["procedures"][2], nlohmann::json::parse(R"({
        "name": "Quantity", "kind": "Get", "member": "Property", "start": 18, "body": 19,
        "lines": 4, "end": 21, "fileStart": 32, "fileBody": 33, "fileEnd": 36})"));
    EXPECT_TRUE(json["modules"][1]["procedures"][0]["end"].is_null());
    EXPECT_TRUE(json["modules"][1]["procedures"][0]["fileEnd"].is_null());
}

// A diff names the files from where it was made, so patch -p1 applies it there.
TEST_F(ExampleProject, ADiffMadeOutsideTheProjectFolderAppliesWithPatch) {
    if (kOnWindows || std::system("command -v patch >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "no patch(1) here (there is none on Windows)";
    }
    const auto diff =
        RunBrindle(temp.path(), settings(), {"add-all", "Inventory/Inventory.vbp", "--diff"});
    ASSERT_EQ(diff.status, 0) << diff.err;
    WriteBytes(temp.path() / "added.patch", diff.out);
    ASSERT_EQ(std::system(
                  ("cd " + ShellQuote(temp.path().string()) + " && patch -p1 --quiet <added.patch")
                      .c_str()),
              0);
    CopyFolder(SourceDir() / "examples", temp.path() / "Direct");
    ASSERT_EQ(RunBrindle(temp.path() / "Direct", settings(), {"add-all", "Inventory.vbp", "--yes"})
                  .status,
              0);
    EXPECT_EQ(Snapshot(folder()), Snapshot(temp.path() / "Direct"));

    // From beside the project the names climb out of the current folder.
    const auto beside = RunBrindle(temp.path() / "Direct", settings(),
                                   {"remove-code", "../Inventory/modMain.bas", "--diff"});
    EXPECT_TRUE(beside.out.starts_with("--- a/../Inventory/modMain.bas\n")) << beside.out;
}

// The options are shown and changed, and the settings file is written only when a value
// changes; a failure to write it names it.
TEST_F(ExampleProject, SettingsAreWrittenOnlyWhenAnOptionChanges) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"add-all", "Inventory.vbp", "--diff"},
          {"options"},
          {"options", "--author", host::UserName(), "--markers", "ON"},
          {"add-module-header", "modMain.bas"},
          {"remove-code", "modMain.bas", "--yes"}}) {
        EXPECT_EQ(Run(args).status, 0);
        EXPECT_FALSE(fs::exists(settings())) << args.front();
    }
    const auto changed = Run({"options", "--author", "Zo\xC3\xAB", "--markers", "off", "--splash",
                              "Off", "--codepage", "1250"});
    ASSERT_EQ(changed.status, 0) << changed.err;
    EXPECT_TRUE(Has(changed.out, "markers                    off\n"));
    const auto written = ReadBytes(settings());
    const auto time = fs::last_write_time(settings());
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"add-all", "Inventory.vbp", "--diff"},
          {"options"},
          {"options", "--author", "Zo\xC3\xAB"},
          {"add-module-header", "modMain.bas"}}) {
        EXPECT_EQ(Run(args).status, 0);
        EXPECT_EQ(ReadBytes(settings()), written) << args.front();
        EXPECT_EQ(fs::last_write_time(settings()), time) << args.front();
    }
    // The next run takes the author, in the modules' code page, and no marker line.
    EXPECT_EQ(Count("modMain.bas", "' Author:   Zo\xEB"), 1);
    EXPECT_EQ(Count("modMain.bas", kBeginMarker), 0);
    // Which Brindle can never take out again: the adding commands say so, once a run.
    const auto unmarked = Run({"add-all", "Inventory.vbp", "--diff"}).err;
    EXPECT_TRUE(HasOnce(unmarked, "brindle: warning: markers are off in your settings file "));
    EXPECT_TRUE(Has(unmarked,
                    " ('brindle options --markers on' turns them on), so what this adds "
                    "has no marker lines and Brindle cannot remove it later"));

    const auto reset = Run({"options", "--reset"});
    EXPECT_EQ(reset.status, 0) << reset.err;
    EXPECT_EQ(Run({"options"}).out, reset.out);
    for (const std::string& row : std::vector<std::string>{
             "author                     " + host::UserName() + "\n",
             "splash                     on\n", "codepage                   1252\n",
             "settings-file              " + settings().string() + "\n"}) {
        EXPECT_TRUE(Has(reset.out, row));
    }

    WriteBytes(temp.path() / "plain", "not a folder");
    const auto failed = RunBrindle(folder(), temp.path() / "plain" / "settings.ini",
                                   {"options", "--author", "Bob"});
    EXPECT_EQ(failed.status, 1);
    EXPECT_TRUE(Has(failed.err, "brindle: settings file " +
                                    (temp.path() / "plain" / "settings.ini").string() +
                                    ": error 75, "));
    EXPECT_TRUE(Has(failed.err, "; the options were not saved\n"));
}

// A template is text: UTF-8 with or without a byte order mark, or the code page's own bytes.
// It reaches each module in the module's code page, a character the code page lacks as "?".
TEST_F(ExampleProject, TemplatesAreTextInWhateverEncodingTheyWereSaved) {
    Write("Templates/Bom.txt", "\xEF\xBB\xBF' F\xC3\xBCr %ModuleName%\r\n");
    Write("Templates/Utf8.txt", "' F\xC3\xBCr %ProcedureName%\r\n");
    Write("Templates/Ansi.txt", "' F\xFCr\r\n");
    // Kept as typed and looked for as it will be at each use: no warning for these.
    const auto set =
        Run({"options", "--module-header-template", "Templates\\Bom.txt",
             "--procedure-header-template", ".\\Templates\\Utf8.txt", "--error-header-template",
             "Templates/Ansi.txt", "--error-footer-template", "Gone.txt"});
    ASSERT_EQ(set.status, 0) << set.err;
    EXPECT_TRUE(Has(set.out, "module-header-template     Templates\\Bom.txt"));
    EXPECT_TRUE(Has(set.out, "-> " + (folder() / "Templates" / "Bom.txt").string() + "\n"));
    EXPECT_TRUE(
        std::regex_search(set.out, std::regex("error-footer-template +Gone.txt +-> not found\n")));
    EXPECT_TRUE(HasOnce(set.err, "warning"));
    EXPECT_TRUE(Has(set.err, "warning: no template file Gone.txt"));
    // Without an error footer no error handler would go in at all.
    ASSERT_EQ(
        Run({"options", "--error-footer-template", ".\\Templates\\StandardVBErrFooter.txt"}).status,
        0);

    ASSERT_EQ(Run({"add-error-handlers", "modMain.bas", "--proc", "Main"}).status, 0);
    ASSERT_EQ(Run({"add-all", "Inventory.vbp", "--yes", "-q"}).status, 0);
    EXPECT_EQ(Count("CStockItem.cls", "' F\xFCr CStockItem"), 1);
    EXPECT_EQ(Count("CStockItem.cls", "' F\xFCr Adjust"), 1);
    EXPECT_EQ(Count("modMain.bas", "' F\xFCr"), 6);

    // Code page 1251 has no "\xC3\xBC": one warning for each UTF-8 template. The other one is
    // taken to be in 1251.
    ASSERT_EQ(Run({"remove-code-all", "Inventory.vbp", "--yes"}).status, 0);
    const auto cyrillic = Run({"add-all", "Inventory.vbp", "--yes", "--codepage", "1251"});
    ASSERT_EQ(cyrillic.status, 0) << cyrillic.err;
    EXPECT_EQ(Count("modMain.bas", "' F?r modMain"), 1);
    EXPECT_EQ(Count("modMain.bas", "' F\xFCr"), 5);
    for (const char* name : {"Templates\\Bom.txt", ".\\Templates\\Utf8.txt"}) {
        const std::string warning = "brindle: warning: template " + std::string(name) +
                                    ": code page 1251 lacks these characters, each is written "
                                    "as \"?\": \xC3\xBC\n";
        EXPECT_TRUE(HasOnce(cyrillic.err, warning));
    }
    EXPECT_FALSE(Has(cyrillic.err, "Ansi.txt"));
}

}  // namespace
}  // namespace brindle::test

// The commands run as a user runs them, on copies of the example project: what each says, its
// exit status, and the files it writes or leaves; --select and the modules, projects, groups,
// folders and lists one run takes.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "analysis/SelectedProcs.h"
#include "cli/cli_support.h"
#include "cli/commands/Selection.h"
#include "host/files/FileSystem.h"
#include "host/ide/MemoryProject.h"
#include "host/vb6/CodePage.h"

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace brindle::test {
namespace {

const std::string kModules = "modMain.bas CStockItem.cls frmMain.frm Controls/ctlGauge.ctl";
const std::string kAddingAll = "Adding module header, procedure headers, and error handlers to ";

// A folder of the test's own, with the settings file of its runs beside it.
class Folder : public ::testing::Test {
protected:
    fs::path settings() const { return temp.path() / "settings.ini"; }
    std::string File(const std::string& name) const { return ReadBytes(folder / name); }
    int Count(const std::string& name, const std::string& line) const {
        return CountLines(File(name), line);
    }
    void Write(const std::string& name, const std::string& bytes) const {
        WriteBytes(folder / PathOf(name), bytes);
    }
    BrindleRun Run(const std::vector<std::string>& args,
                   const std::optional<std::string>& typed = std::nullopt) const {
        return RunBrindle(folder, settings(), args, typed);
    }

    TempDir temp;
    fs::path folder = temp.path() / "work";
};
using SeveralParts = Folder;
using FilesFrom = Folder;
using Exclusions = Folder;
using TeamSettings = Folder;
using ProjectsFromEveryLocale = Folder;

// A copy of the example project.
class ExampleProject : public Folder {
protected:
    void SetUp() override {
        CopyFolder(SourceDir() / "examples", folder);
        original = Snapshot(folder);
    }
    void Restore() const {
        for (const auto& [name, bytes] : original) {
            Write(name, bytes);
        }
    }

    std::map<std::string, std::string> original;
};

// A module of one procedure, named after it.
std::string Bas(const std::string& name) {
    return "Attribute VB_Name = \"" + name + "\"\r\nSub " + name + "Now()\r\nEnd Sub\r\n";
}

// --diff writes nothing; each run that changes code ends with what it did, counted; a
// module command takes any number of modules, each done once; --proc takes each of a
// property's Get, Let and Set.
TEST_F(ExampleProject, EachRunSaysWhatItDidAndTheRemovalsUndoIt) {
    const auto diff = Run({"add-all", "Inventory.vbp", "--diff"});
    ASSERT_EQ(diff.status, 0) << diff.err;
    EXPECT_EQ(Snapshot(folder), original);
    EXPECT_TRUE(
        diff.err.ends_with("brindle: 4 modules: 4 module headers, 22 procedure headers, "
                           "22 error handlers would be added; nothing written\n"))
        << diff.err;
    const auto added = Run({"add-all", "Inventory.vbp", "--yes"});
    EXPECT_TRUE(Has(added.err, "[4/4] " + kAddingAll + "ctlGauge\n"));
    EXPECT_TRUE(added.err.ends_with(
        "brindle: 4 modules: 4 module headers, 22 procedure headers, 22 error handlers added\n"));
    const auto proc = Run({"remove-code", "CStockItem.cls", "--proc", "quantity", "-y"});
    EXPECT_TRUE(proc.err.ends_with("brindle: 1 module: 6 marked blocks removed\n")) << proc.err;
    EXPECT_EQ(Count("CStockItem.cls", "' Procedure:   Quantity"), 0);
    EXPECT_EQ(Count("CStockItem.cls", "' Procedure:   Code"), 2);
    const auto removed = Run({"remove-code-all", "Inventory.vbp", "--yes"});
    EXPECT_TRUE(removed.err.ends_with("brindle: 4 modules: 64 marked blocks removed\n"));
    EXPECT_EQ(Snapshot(folder), original);

    const auto headers = Run(Words("add-module-header " + kModules + " ./modMain.bas"));
    EXPECT_TRUE(headers.err.starts_with("[1/4] Adding module header to modMain\n")) << headers.err;
    EXPECT_TRUE(headers.err.ends_with("brindle: 4 modules: 4 module headers added\n"));
    const auto unmarked = Run({"remove-markers-all", "Inventory.vbp", "--yes"});
    EXPECT_TRUE(unmarked.err.ends_with("brindle: 4 modules: 8 marker lines removed\n"));
}

// One command, one question, with what it is about; No changes nothing and exits with 1, which
// a script tells from "nothing to change" (0).
TEST_F(ExampleProject, OnATerminalOneQuestionIsAskedAndOnlyYesProceeds) {
    if (const auto why = NoTerminalToTypeOn()) {
        GTEST_SKIP() << *why;
    }
    ASSERT_EQ(Run({"add-all", "Inventory.vbp", "--yes", "-q"}).status, 0);
    const auto added = Snapshot(folder);
    // The add-in's question follows (its words are the add-in's suite's).
    const std::pair<std::string, std::string> cases[] = {
        {"remove-code-all Inventory.vbp",
         "remove-code-all works on every module of Inventory.vbp\r\nRemove Code Added by "},
        {"remove-code modMain.bas CStockItem.cls",
         "remove-code works on the whole module of each of 2 modules: modMain.bas, "
         "CStockItem.cls\r\n"},
        {"remove-code CStockItem.cls --proc Quantity",
         "remove-code works on the procedure Quantity in CStockItem.cls\r\n"},
        {"remove-code frmMain.frm --select 80-90 --lines file",
         "remove-code works on file lines 80-90 of frmMain.frm\r\n"},
    };
    for (const auto& [line, about] : cases) {
        const auto no = Run(Words(line), "n\n");
        EXPECT_EQ(no.status, 1) << no.out;
        EXPECT_TRUE(Has(no.out, "brindle: " + about));
        EXPECT_TRUE(no.out.ends_with("brindle: not answered Yes; nothing was changed\r\n"));
        EXPECT_EQ(Snapshot(folder), added);
    }
    const auto yes = Run(Words("remove-code " + kModules), "y\n");
    EXPECT_EQ(yes.status, 0) << yes.out;
    EXPECT_TRUE(HasOnce(yes.out, "Are you sure"));
    EXPECT_EQ(Snapshot(folder), original);
}

// What is wrong with the files, the selection or the options is told, exits with 2 and writes
// nothing, the settings file included; a question without a terminal is refused alike.
TEST_F(ExampleProject, InputErrorsExitWithTwoAndWriteNothing) {
    const std::pair<std::string, std::string> cases[] = {
        {"add-module-header modMain.bas Gone.bas", "brindle: Gone.bas: no such file\n"},
        {"add-headers Inventory.vbp", "Inventory.vbp: not a VB6 module"},
        {"add-all modMain.bas Inventory.vbp", "--yes"},
        {"remove-code-all Gone.vbp", "Gone.vbp: no such file"},
        {"add-all Controls --yes",
         "brindle: no project, group file or Office document with VBA below Controls\n"},
        {"add-headers Controls", "Controls: is a folder"},
        {"remove-markers modMain.bas --select 500", "past the module's last line, 69"},
        {"add-headers modMain.bas --select three", "--select three: expected"},
        {"add-headers modMain.bas --proc NoSuchProc", "no procedure named NoSuchProc"},
        {"add-headers modMain.bas CStockItem.cls --proc Main",
         "brindle: add-headers: --proc works on one module; 2 were given\n"},
        {"add-all Inventory.vbp --yes --codepage 4242", "code page 4242"},
        {"options --author Ann\nAuthor", "control character"},
        {"options --date-format dd.mmm", "dd.mmm"},
    };
    for (const auto& [line, message] : cases) {
        const auto run = Run(Words(line));
        EXPECT_EQ(run.status, 2) << message;
        EXPECT_TRUE(Has(run.err, message));
    }
    EXPECT_EQ(Snapshot(folder), original);
    EXPECT_FALSE(fs::exists(settings()));
}

// A module that cannot be written is told and every other module is still done (bad project
// lines and broken markers are behaviour cases).
TEST_F(ExampleProject, AReadOnlyModuleIsToldAndTheRestIsDone) {
    const auto writes = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    fs::permissions(folder / "frmMain.frm", writes, fs::perm_options::remove);
    const auto run = Run({"add-all", "Inventory.vbp", "--yes"});
    fs::permissions(folder / "frmMain.frm", fs::perms::owner_write, fs::perm_options::add);
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Has(run.err, "brindle: frmMain.frm: the file is read-only; not written"));
    EXPECT_TRUE(Has(run.err, "[3/4] " + kAddingAll + "frmMain"));
    for (const auto& module : Words(kModules)) {
        EXPECT_EQ(File(module) == original.at(module), module == "frmMain.frm") << module;
    }

    Write("modTwice.bas",
          "Attribute VB_Name = \"modTwice\"\r\n#If Win64 Then\r\nSub Go()\r\nEnd Sub\r\n"
          "#Else\r\nSub Go()\r\nEnd Sub\r\n#End If\r\n");
    const auto twice = Run({"add-headers", "modTwice.bas", "--proc", "go"});
    EXPECT_EQ(twice.status, 1);
    // At their lines once the header is in.
    EXPECT_TRUE(Has(twice.err,
                    "modTwice.bas:16: Go: another definition, not reached; --proc "
                    "works on the first one, at line 13\n"));
}

// --lines file reads --select as an editor numbers the file: on a form below its designer block
// and on a class with attribute lines, the same lines as the code pane's numbers give.
TEST_F(ExampleProject, FileLinesSelectWhatAnEditorShowsAtThem) {
    for (const auto& [module, fileLines, codeLines] : std::vector<std::array<std::string, 3>>{
             {"frmMain.frm", "1-80", "1-9"},  // from the designer block into Form_Load
             {"frmMain.frm", "85:9-86:5", "14:9-15:5"},
             {"CStockItem.cls", "34-36", "20-21"},     // from Quantity's attribute line
             {"CStockItem.cls", "24-25", "11-11"}}) {  // to Code's attribute line
        const auto byFile =
            Run({"add-error-handlers", module, "--select", fileLines, "--lines", "file", "--diff"});
        EXPECT_FALSE(byFile.out.empty()) << fileLines << byFile.err;
        EXPECT_EQ(byFile.out,
                  Run({"add-error-handlers", module, "--select", codeLines, "--diff"}).out)
            << module << " " << fileLines;
    }
    for (const auto& [lines, problem] : std::vector<std::pair<std::string, std::string>>{
             {"25:1-25:9", "file line 25 holds no code"},
             {"300", "file line 300 is past the module's last code line, at file line 57"}}) {
        const auto run =
            Run({"add-headers", "CStockItem.cls", "--select", lines, "--lines", "file"});
        EXPECT_EQ(run.status, 2) << lines;
        EXPECT_TRUE(
            Has(run.err, "CStockItem.cls: --select " + lines + " --lines file: " + problem));
    }
}

TEST(Selections, ALineWithoutAColumnIsTakenWholeAndAColumnCountsCharacters) {
    for (const char* bad : {"", "0", "a", "3-", "-3", "3:", "3:0", "1-2-3", "2 - 4", "1:x"}) {
        EXPECT_FALSE(cli::ParseSelection(bad)) << bad;
    }
    host::MemoryProject project;
    auto& module = project
                       .AddComponent("Module1", vbext_ct_StdModule,
                                     "Option Explicit\r\n\r\nSub Main()\r\nEnd Sub\r\n")
                       .CodeModule();
    const auto place = [](const char* text, CodeModule& code, int codePage) {
        return cli::PlaceSelection(*cli::ParseSelection(text), code, codePage);
    };
    // To the start of the next line, which the add-in reads as the end of line 2, empty as it is.
    const auto s = *place("1-2", module, 1252).selection;
    module.CodePane().SetSelection(s.startLine, s.startColumn, s.endLine, s.endColumn);
    std::array<std::int32_t, 4> read{};
    brindle::GetSelection(module.CodePane(), read[0], read[1], read[2], read[3]);
    EXPECT_EQ(read, (std::array<std::int32_t, 4>{1, 1, 2, 0}));
    EXPECT_FALSE(place("3:5-3:2", module, 1252).selection);

    // In Shift-JIS a column counts characters, as the IDE's code window does: "x = \"日本\"" is
    // eight characters in ten bytes, and the trail byte 0x7B of 本 is no column of its own.
    auto& japanese =
        project.AddComponent("Module2", vbext_ct_StdModule, "x = \"\x93\xfa\x96\x7b\"\r\n")
            .CodeModule();
    const auto columns = [&](const char* text) {
        const auto placed = place(text, japanese, 932).selection.value();
        return std::pair{placed.startColumn, placed.endColumn};
    };
    EXPECT_EQ(columns("1:7-1:9"), std::pair(8, 11));
    EXPECT_EQ(columns("1:6-1:7"), std::pair(6, 8));
    EXPECT_FALSE(place("1:10", japanese, 932).selection);
    EXPECT_TRUE(place("1:10", japanese, 1252).selection);
}

// Sub or Function, the lines of the code and of the file; as a table, and as JSON.
TEST_F(ExampleProject, ProceduresAreListedWithTheLinesOfTheCodeAndOfTheFile) {
    const auto run = Run({"procedures", "CStockItem.cls", "modMain.bas"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(run.out.starts_with(
        "CStockItem.cls:\n"
        "Name      Kind  Start  Body  Lines  End  Member    File-Start  File-Body  File-End\n"
        "Code      Get   10     11    4      13   Property  23          24         27\n"))
        << run.out;
    EXPECT_TRUE(Has(run.out, "\n\nmodMain.bas:\nName "));
    Write("modOpen.bas", "Attribute VB_Name = \"modOpen\"\r\nSub Open()\r\n");
    const auto json =
        nlohmann::json::parse(Run({"procedures", "CStockItem.cls", "modOpen.bas", "--json"}).out);
    EXPECT_EQ(json["modules"][0]["file"], "CStockItem.cls");
    EXPECT_EQ(json["modules"][0]["procedures"][2], nlohmann::json::parse(R"({
        "name": "Quantity", "kind": "Get", "member": "Property", "start": 18, "body": 19,
        "lines": 4, "end": 21, "fileStart": 32, "fileBody": 33, "fileEnd": 36})"));
    EXPECT_TRUE(json["modules"][1]["procedures"][0]["end"].is_null());
}

// The options are shown and changed, and the settings file is written only when a value
// changes: no other command writes it, nor the defaults over it. A failure to write it names it.
TEST_F(ExampleProject, SettingsAreWrittenOnlyWhenAnOptionChanges) {
    const auto changed = Run({"options", "--author", "Zo\xC3\xAB \xC5\xA6", "--markers", "off",
                              "--codepage", "1250", "--date-format", "ISO"});
    ASSERT_EQ(changed.status, 0) << changed.err;
    EXPECT_TRUE(Has(changed.out, "markers                    off\n"));
    const auto written = ReadBytes(settings());
    const auto time = fs::last_write_time(settings());
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"add-all", "Inventory.vbp", "--diff"},
          {"options", "--author", "Zo\xC3\xAB \xC5\xA6"},
          {"add-module-header", "modMain.bas", "CStockItem.cls", "--codepage", "1252"}}) {
        const auto run = Run(args);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(ReadBytes(settings()), written) << args.front();
        EXPECT_EQ(fs::last_write_time(settings()), time) << args.front();
    }
    // Told once a run, not once a module.
    const auto unmarked = Run({"add-all", "Inventory.vbp", "--diff"}).err;
    EXPECT_TRUE(HasOnce(unmarked, "brindle: warning: markers are off in your settings file "));
    EXPECT_EQ(Count("modMain.bas", kBeginMarker), 0);

    const auto reset = Run({"options", "--reset"});
    EXPECT_TRUE(Has(reset.out, "author                     " + host::UserName() + "\n"));
    EXPECT_TRUE(Has(Flow(reset.out), "date-format Short Date (regional: "));
    WriteBytes(temp.path() / "plain", "not a folder");
    const auto failed =
        RunBrindle(folder, temp.path() / "plain" / "settings.ini", {"options", "--author", "Bob"});
    EXPECT_EQ(failed.status, 1);
    EXPECT_TRUE(Has(failed.err, "brindle: settings file " +
                                    (temp.path() / "plain" / "settings.ini").string() +
                                    ": error 75, "));
    EXPECT_TRUE(Has(failed.err, "; the options were not saved\n"));
}

// A template that is missing adds nothing, told once however many modules the run is on (1);
// one that is refused stops a command before any module changes (2).
TEST_F(ExampleProject, TemplatesAreToldOfOnceAndRefusedOnesStopTheRun) {
    const auto set = Run({"options", "--error-footer-template", "Gone.txt"});
    EXPECT_TRUE(Has(Flow(set.out), "error-footer-template Gone.txt -> not found "));
    EXPECT_TRUE(HasOnce(set.err, "warning: no template file Gone.txt"));
    const auto handlers = Run({"add-error-handlers", "modMain.bas", "CStockItem.cls"});
    EXPECT_EQ(handlers.status, 1);
    EXPECT_TRUE(HasOnce(handlers.err, "brindle: the error footer template \"Gone.txt\" is "));
    Restore();

    Write("Templates/Bad.txt", "' x\r\n\t' [BRINDLE END]\r\n");
    ASSERT_EQ(Run({"options", "--module-header-template", "Templates/Bad.txt"}).status, 0);
    const auto before = Snapshot(folder);
    for (const std::string command : {"add-all", "refresh"}) {
        const auto run = Run({command, "Inventory.vbp", "--yes"});
        EXPECT_EQ(run.status, 2);
        EXPECT_TRUE(HasOnce(run.err, "Bad.txt: the module header template is refused"));
        EXPECT_EQ(Snapshot(folder), before);
    }
}

// Several projects, groups and modules in one run: each under the brindle.ini and the
// .brindleignore that apply to it, each module done once, one summary, one exit status. A
// folder stands for the projects and groups below it; its own .brindleignore may leave some out.
TEST_F(SeveralParts, EachKeepsItsOwnTeamSettingsAndOneSummaryTellsThemAll) {
    for (const std::string name : {"Shop", "Other/Keep", "Other/Skip", "Other/Loose"}) {
        Write(name + ".bas", Bas(fs::path(name).filename().string()));
    }
    Write("Shop.vbp", "Type=Exe\r\nModule=Shop; Shop.bas\r\n");
    Write("Other/Other.vbp", "Type=Exe\r\nModule=Keep; Keep.bas\r\nModule=Skip; Skip.bas\r\n");
    Write("Other/brindle.ini", "[Options]\nModule Header Filename=other.txt\n");
    Write("Other/other.txt", "' Other %ModuleName%\r\n");
    Write("Other/.brindleignore", "Skip.bas\nInner/\n");
    Write("Other/Inner/Inner.vbp", "Type=Exe\r\nModule=Loose; ..\\Loose.bas\r\n");
    Write("All.vbg", "VBGROUP 5.0\r\nStartupProject=Shop.vbp\r\nProject=Other\\Other.vbp\r\n");
    const auto skipped = File("Other/Skip.bas");
    // Named from a folder beside them, as a diff names them.
    const auto outside =
        RunBrindle(folder / "Other", settings(), {"check", "../Shop.vbp", "Loose.bas"});
    EXPECT_TRUE(Has(outside.out, (kOnWindows ? "..\\"s : "../"s) +
                                     "Shop.bas:2: Sub ShopNow has no error handler\n"));
    EXPECT_TRUE(Has(outside.out, "Loose.bas:2: no marked module header\n"));
    const std::string parts = "add-all Shop.vbp Other/Other.vbp Other/Loose.bas Shop.bas";
    const std::string added = parts + " --yes --skip-existing";
    const struct {
        std::string line;
        int status;
        std::string said;
    } runs[] = {
        {parts + " --diff --exit-code", 1,
         "brindle: add-all would change 3 modules; run it without --diff to make the change\n"},
        {added, 0,
         "Loose.bas: 1 module header, 1 procedure header, 1 error handler added\n"
         "brindle: 3 modules: 3 module headers, 3 procedure headers, 3 error handlers added\n"},
        {added, 0, "brindle: nothing to change\n"},
        {"check .", 0, "brindle: no findings in 2 modules\n"},
        {"check Other --no-ignore", 1, " findings in 3 modules\n"},
        {"check Other/Skip.bas", 0,
         "brindle: no module was checked: .brindleignore leaves out every one named\n"},
        {"remove-code Other/Skip.bas --yes", 0, "brindle: nothing to change\n"},
    };
    for (const auto& [line, status, said] : runs) {
        const auto result = Run(Words(line));
        EXPECT_EQ(result.status, status) << result.err;
        EXPECT_TRUE(Has(result.err, said));
        EXPECT_EQ(Count("Other/Keep.bas", "' Other Keep"), &line == &runs[0].line ? 0 : 1);
        EXPECT_EQ(Count("Other/Loose.bas", "' Other Loose"), &line == &runs[0].line ? 0 : 1);
    }
    EXPECT_EQ(File("Other/Skip.bas"), skipped);
    // A template that both parts lack is told once.
    ASSERT_EQ(Run({"options", "--procedure-header-template", "Gone.txt"}).status, 0);
    const auto lacking = Run(Words("check Shop.vbp Other/Other.vbp --format json"));
    EXPECT_EQ(nlohmann::json::parse(lacking.out)["errors"].size(), 1u) << lacking.out;
    EXPECT_TRUE(HasOnce(lacking.err, "Gone.txt")) << lacking.err;
}

// --files-from limits a run to the modules listed, under each project's settings and
// .brindleignore; without a project the modules listed are those named. Paths may come as git
// quotes them, or NUL-separated; those that no longer exist are passed over.
TEST_F(FilesFrom, LimitsARunToTheModulesListed) {
    std::string project = "Type=Exe\r\n";
    for (const std::string name : {"A", "B", "C", "Stray"}) {
        Write(name + ".bas", Bas(name));
        project += name == "Stray" ? "" : "Module=" + name + "; " + name + ".bas\r\n";
    }
    Write("Shop.vbp", project + "Module=Gone; Gone.bas\r\n");
    Write(".brindleignore", "C.bas\n");
    Write("staged.txt", "A.bas\r\nC.bas\r\nStray.bas\r\nGone.bas\r\nShop.vbp\r\n\r\n");
    Write("none.txt", "");
    Write("quoted.txt", "\"\\101.bas\"\n\"B\\056bas\"\n");
    Write("separated.txt", "B.bas\0Gone.bas\0"s);
    Write("stray.txt", "Stray.bas\n");
    const struct {
        std::string line;
        int status;
        std::string checked;  // the modules with findings
        std::string said;
    } cases[] = {
        {"check Shop.vbp --files-from staged.txt", 1, "A",
         "brindle: warning: Stray.bas: listed in --files-from but in no project given; left out\n"},
        {"check Shop.vbp --files-from none.txt", 0, "",
         "brindle: no module of the list was checked\n"},
        {"check --files-from none.txt", 0, "", "nothing to check"},
        {"check --files-from staged.txt", 1, "A", "brindle: 1 module left out by .brindleignore\n"},
        {"check Shop.vbp --files-from quoted.txt", 1, "AB", ""},
        {"check Shop.vbp --files-from separated.txt -z", 1, "B", ""},
        {"check Shop.vbp B.bas --only-named", 1, "B", ""},
        {"check Shop.vbp --files-from stray.txt", 1, "",
         "brindle: no module of the list was checked: the 1 module it names is in no project "
         "given\n"},
        {"check Shop.vbp --files-from absent.txt", 2, "", "--files-from absent.txt"},
    };
    for (const auto& [line, status, checked, said] : cases) {
        const auto run = Run(Words(line));
        EXPECT_EQ(run.status, status) << run.err;
        EXPECT_TRUE(Has(run.err, said));
        EXPECT_EQ(run.err.find("Gone.bas"), std::string::npos) << run.err;
        for (const char name : "ABC"s) {
            EXPECT_EQ(Has(run.out, name + ".bas:"s), checked.find(name) != std::string::npos)
                << name;
        }
    }
}

// A removal counts the marked blocks it left where the user keeps Brindle away, and
// --ignore-exclusions takes them too. What add-all leaves out is the case add-all-exclusions.
TEST_F(Exclusions, TheBlocksARemovalLeavesAreCountedByWhy) {
    folder = LayOutCase(CasesDir() / "add-all-exclusions", temp.path());
    const auto removed = Run(Words("remove-code-all Shop.vbp --yes"));
    EXPECT_EQ(removed.status, 0) << removed.err;
    EXPECT_TRUE(removed.err.ends_with(
        "brindle: 3 marked blocks left: 1 in code that a ' brindle: skip comment keeps out, 1 in "
        "procedures that an excluded name pattern matches, 1 in modules that .brindleignore "
        "leaves out (--ignore-exclusions takes them too)\n"))
        << removed.err;
    const auto all = Run(Words("remove-code-all Shop.vbp --yes --ignore-exclusions"));
    EXPECT_TRUE(all.err.ends_with("brindle: 2 modules: 3 marked blocks removed\n")) << all.err;
}

// options shows what a team's brindle.ini sets and keeps the user's own value; --codepage wins
// for one run. A file that cannot be taken stops a command (2); what is not ours is warned of.
TEST_F(TeamSettings, AreShownAndWhatIsWrongInThemIsTold) {
    const std::string shop =
        "Attribute VB_Name = \"Shop\"\r\nSub \x93\xFA\x95\x74()\r\nEnd Sub\r\n";
    Write("Shop.bas", shop);
    const std::string team = "[Command Line]\nCode Page=932\n[Options]\nSkip Existing=True\n";
    Write("brindle.ini", team);
    const auto options = Run(Words("options --codepage 1251"));
    EXPECT_TRUE(Has(Flow(options.out), " codepage 932 (from brindle.ini) "));
    EXPECT_TRUE(Has(options.err, "\"Code Page\" is set by "));
    EXPECT_TRUE(Has(ReadBytes(settings()), "Code%20Page=1251"));
    const std::string name = "\xE6\x97\xA5\xE4\xBB\x98";  // 日付
    EXPECT_TRUE(Has(Run(Words("procedures Shop.bas")).out, name));
    EXPECT_FALSE(Has(Run(Words("procedures Shop.bas --codepage 1252")).out, name));

    // Their messages are the team files' own.
    for (const auto& [ini, status] : {std::pair{team + "Add Code Markers=maybe\n", 2},
                                      std::pair{team + "[Optoins]\nSkip Existing=True\n", 0}}) {
        Write("brindle.ini", ini);
        const auto added = Run(Words("add-all Shop.bas --yes -q"));
        EXPECT_EQ(added.status, status) << added.err;
        EXPECT_TRUE(Has(added.err, "brindle.ini:5: "));
        EXPECT_EQ(File("Shop.bas") == shop, status == 2);
        Write("Shop.bas", shop);
    }
}

// A project that a machine of another locale wrote, read in the default code page: one whose
// names read as a double-byte code page is told which, another is not.
TEST_F(ProjectsFromEveryLocale, ADoubleByteCodePageIsNamed) {
    for (const auto& [codePage, module] : {std::pair{932, "時計"}, std::pair{1251, "Модуль"}}) {
        folder = temp.path() / std::to_string(codePage);
        Write(module + ".bas"s,
              host::FromUtf8("Attribute VB_Name = \""s + module + "\"\r\n", codePage));
        Write("P.vbp", host::FromUtf8("Type=Exe\r\nModule="s + module + "; " + module + ".bas\r\n",
                                      codePage));
        const auto run = Run({"check", "P.vbp"});
        EXPECT_EQ(Has(run.err, "warning: P.vbp reads as code page " + std::to_string(codePage)),
                  codePage == 932)
            << run.err;
    }
}

}  // namespace
}  // namespace brindle::test

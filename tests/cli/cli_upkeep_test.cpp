// Keeping a code base in shape, end to end: brindle check, --skip-existing, a team's brindle.ini,
// exclusions by comment, by name and by .brindleignore, and brindle refresh.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_support.h"
#include "host/files/FileSystem.h"
#include "support/TestPaths.h"
#include "util/Unicode.h"

namespace fs = std::filesystem;
using namespace std::string_literals;

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
// counted), and what --require and --stale make of them; the report formats are tried below.
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
    EXPECT_TRUE(Has(all.err, "brindle: 1 finding in the templates, 6 findings in 1 module\n"));
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

    // After add-all and with the template mended, nothing is left; usage errors are 2.
    Write("T/module.txt", "' Module %ModuleName%\r\n");
    WriteModule("Clean.bas", {"Option Explicit", "Sub Main()", "End Sub"});
    for (const std::string command : {"add-module-header", "add-headers", "add-error-handlers"}) {
        ASSERT_EQ(Run({command, "Clean.bas"}).status, 0);
    }
    const auto clean = Run({"check", "Clean.bas", "--stale"});
    EXPECT_EQ(clean.status, 0) << clean.out << clean.err;
    EXPECT_EQ(clean.out, "");
    EXPECT_EQ(nlohmann::json::parse(Run({"check", "Clean.bas", "--format", "json"}).out),
              nlohmann::json::parse(R"({"findings": [], "errors": [], "counts": {}, "modules": 1,
                  "ignored": 0, "baselined": 0})"));
    for (const auto& args :
         std::vector<std::vector<std::string>>{{"check", "Clean.bas", "--require", "headers"},
                                               {"check", "Clean.bas", "--format", "xml"},
                                               {"check", "Missing.bas"},
                                               {"check"}}) {
        EXPECT_EQ(Run(args).status, 2) << args.back();
    }
}

// A template that is no text, or holds a marker line, never goes in: a command that would
// insert from it stops before any module changes (2), and check reports it. One that is missing
// or empty adds nothing, and an unknown keyword goes in as it stands: each is told once (1).
TEST_F(Upkeep, BrokenTemplatesAreToldOfAndRefusedOnesNeverGoIn) {
    struct Row {
        std::string file;
        std::optional<std::string> bytes;  // nothing: no file
        int status;
        std::string told;     // on standard error by add-all; {file}: the template's file
        std::string finding;  // of check, after the file's name
    };
    const std::string sep = kOnWindows ? "\\" : "/";
    const std::vector<Row> rows = {
        {"module.txt", "'\0 \0M\0\r\0\n\0"s, 2,
         "module.txt: the module header template is refused: it looks like UTF-16 without a byte "
         "order mark; save it as UTF-8, or as UTF-16 with a byte order mark; nothing was changed\n",
         ":1: the module header template is refused: it looks like UTF-16"},
        {"errftr.txt", "    Exit Sub\r\nHandler:\0\r\n"s, 2,
         "errftr.txt: the error footer template is refused: it holds NUL bytes, so it is no text",
         ":1: the error footer template is refused: it holds NUL bytes"},
        {"errhdr.txt", "    On Error GoTo Handler\r\n\t' [BRINDLE END]\r\n", 2,
         "errhdr.txt: the error header template is refused: its line 2 is a marker line",
         ":2: the error header template is refused: its line 2 is a marker line"},
        {"proc.txt", "' %ProcedureName%\r\n' %ProcName%\r\n", 1,
         "brindle: the procedure header template \"{file}\", line 2: %ProcName% is no "
         "template keyword; it stays in the text as it is\n",
         ":2: %ProcName% is no template keyword"},
        {"proc.txt", std::nullopt, 1,
         "brindle: the procedure header template \"T\\proc.txt\" is missing, unreadable or empty; "
         "no procedure headers added\n",
         ":1: the procedure header template is missing"},
        {"module.txt", "", 1,
         "brindle: the module header template \"{file}\" is missing, unreadable or empty; "
         "no module headers added\n",
         ":1: the module header template is empty; nothing goes in from it"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.told);
        SetUp();
        fs::remove(folder() / "T" / row.file);
        if (row.bytes) {
            Write("T/" + row.file, *row.bytes);
        }
        WriteModule("One.bas", {"Option Explicit", "Sub Main()", "End Sub"});
        WriteModule("Two.bas", {"Function Two() As Long", "End Function"});
        WriteProject({"One.bas", "Two.bas"});
        const auto before = Snapshot(folder());
        const auto added = Run({"add-all", "Shop.vbp", "--yes"});
        EXPECT_EQ(added.status, row.status);
        // A team's template path is taken from its folder when the file is there.
        const auto told = std::regex_replace(row.told, std::regex("\\{file\\}"),
                                             (folder() / "T" / row.file).string());
        EXPECT_TRUE(HasOnce(added.err, told));
        if (row.status == 2) {
            EXPECT_EQ(Snapshot(folder()), before);
            EXPECT_EQ(Run({"refresh", "Shop.vbp", "--yes"}).status, 2);
            EXPECT_EQ(Run({"remove-code-all", "Shop.vbp", "--yes"}).status, 0);
        } else {
            EXPECT_FALSE(Has(File("One.bas"), "' [Brindle Begin]\r\n' [Brindle End]"));
            EXPECT_EQ(Count("Two.bas", "' %ProcName%"), row.bytes && !row.bytes->empty() ? 1 : 0);
        }
        if (Has(row.finding, "keyword")) {
            const auto refreshed = Run({"refresh", "Shop.vbp", "--yes"});
            EXPECT_EQ(refreshed.status, 1);
            EXPECT_TRUE(HasOnce(refreshed.err, "T" + sep + row.file + row.finding));
        }
        // A template that gives no text is an error of the run, an unknown keyword a finding.
        const auto check = Run({"check", "Shop.vbp", "--format", "json"});
        EXPECT_EQ(check.status, 1);
        const auto document = nlohmann::json::parse(check.out);
        const bool keyword = Has(row.finding, "keyword");
        const auto first = document[keyword ? "findings" : "errors"][0];
        EXPECT_TRUE(Has(first["file"].get<std::string>() + ":" +
                            std::to_string(first["line"].get<int>()) + ": " +
                            first["message"].get<std::string>(),
                        "T" + sep + row.file + row.finding));
        EXPECT_EQ(document["errors"].empty(), keyword);
        fs::remove_all(folder());
    }
}

// An author that the modules' code page cannot hold is written with "?", and told once.
TEST_F(Upkeep, AnAuthorTheCodePageLacksIsToldOnce) {
    Write("T/module.txt", "' %ModuleName% by %Author%\r\n");
    WriteModule("One.bas", {"Sub Main()", "End Sub"});
    WriteModule("Two.bas", {"Sub Main()", "End Sub"});
    ASSERT_EQ(Run({"options", "--author", "Zo\xC3\xAB \xC5\xA6"}).status, 0);
    const auto added = Run({"add-module-header", "One.bas", "Two.bas"});
    EXPECT_EQ(added.status, 0);
    EXPECT_TRUE(HasOnce(added.err,
                        "brindle: warning: author Zo\xC3\xAB \xC5\xA6: code page 1252 lacks these "
                        "characters, each is written as \"?\": \xC5\xA6\n"));
    EXPECT_EQ(Count("Two.bas", "' Two by Zo\xEB ?"), 1);
}

// What no longer compiles, or is not what it seems, and what Brindle would take out with code:
// each found at its file line under a rule of its own, whatever --require asks for.
TEST_F(Upkeep, CheckFindsWhatBrokeTheCodeUnderARuleOfItsOwn) {
    const std::string b = "' [Brindle Begin]";
    const std::string e = "' [Brindle End]";
    struct Row {
        const char* name;
        std::vector<std::string> code;   // file lines from 2 on
        std::vector<std::string> found;  // "line rule: message", the --require rules left out
    };
    const Row rows[] = {
        {"BlockAcrossTwoProcedures",
         {"Sub A()", b, "    x = 1", "End Sub", "Sub B()", e, "End Sub"},
         {"3 markers: a marked block across the End of Sub A and the declaration of Sub B"}},
        {"ErrorHandlerAddedTwice",
         {"Sub A()", b, "    On Error GoTo Handler", e, b, "    On Error GoTo Handler", e, b,
          "    Exit Sub", "Handler:", e, b, "    Exit Sub", "Handler:", e, "End Sub"},
         {"15 duplicate: a second label Handler in Sub A, so the module does not compile (a "
          "marked error handler added twice)"}},
        {"LabelOfTheProceduresOwnAndOfAMarkedErrorHandler",
         {"Sub A()", "    On Error GoTo Handler", "Handler:", b, "    Exit Sub", "Handler:", e,
          "End Sub"},
         {"7 duplicate: a second label Handler in Sub A, so the module does not compile (one of "
          "them in a marked block)"}},
        {"ProcedureHeaderAddedTwice",
         {"Private x As Long", b, "' Procedure A, 1999", e, b, "' Procedure A, 2000", e, "Sub A()",
          "End Sub"},
         {"6 duplicate: a second marked procedure header above Sub A"}},
        {"ProcedureHeaderTakenForTheModuleHeader",
         {"Option Explicit", b, "' Procedure Main, 1999", e, b, "' Procedure Main, 2000", e,
          "Sub Main()", "End Sub"},
         {"3 role: the marked block taken for the module header reads as the procedure header "
          "of Sub Main"}},
        {"SkipCommentAboveABlankLine",
         {"Sub A()", "End Sub", "' brindle: skip (called through AddressOf)", "", "Sub B()",
          "End Sub"},
         {"4 skip: a skip comment above no procedure keeps Brindle from nothing: only comment "
          "lines may stand between it and the declaration"}},
        {"SkipCommentInABody",
         {"Sub A()", "    REM brindle: skip", "End Sub"},
         {"3 skip: a skip comment above no procedure keeps Brindle from nothing: only comment "
          "lines may stand between it and the declaration"}},
        {"RemSkipCommentWithAReason",
         {"Sub A()", "End Sub", "Rem  Brindle : SKIP\tcalled through AddressOf", "Sub B()", b,
          "End Sub"},
         {}},
        {"NoSkipCommentButAWordThatStartsSo",
         {"' brindle: skipped", "Sub A()", b, "End Sub"},
         {"4 markers: a begin marker without its end marker"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        WriteModule("Row.bas", row.code);
        const auto run = Run({"check", "Row.bas", "--json", "-q"});
        EXPECT_EQ(run.status, 1) << run.err;
        std::vector<std::string> found;
        const auto document = nlohmann::json::parse(run.out);
        for (const auto& finding : document["findings"]) {
            const auto rule = finding["rule"].get<std::string>();
            if (rule != "module-header" && rule != "header" && rule != "handler") {
                found.push_back(std::to_string(finding["line"].get<int>()) + " " + rule + ": " +
                                finding["message"].get<std::string>());
            }
        }
        EXPECT_EQ(found, row.found);
    }

    // Neither refresh nor a removal touches a block across procedures.
    WriteModule("Row.bas", rows[0].code);
    const auto before = File("Row.bas");
    for (const std::string command : {"refresh", "remove-code", "remove-markers"}) {
        const auto run = Run({command, "Row.bas", "--yes", "-q"});
        EXPECT_EQ(run.status, 1) << command;
        EXPECT_TRUE(Has(run.err,
                        "Row.bas:3: lines 3 to 7: a marked block across the End of Sub "
                        "A and the declaration of Sub B; left as it is\n"));
        EXPECT_EQ(File("Row.bas"), before) << command;
    }
}

// A component that is missing or no module is an error of the JSON; a run that checked no
// module, or that no rule was asked of, cannot pass.
TEST_F(Upkeep, CheckThatMissesAComponentOrChecksNothingFails) {
    WriteModule("Main.bas", {"Sub Main()", "End Sub"});
    Write("Notes.cls", "just some notes\r\n");
    Write("Shop.vbp",
          "Type=Exe\r\nModule=Main; Main.bas\r\nModule=Gone; Gone.bas\r\n"
          "Class=Notes; Notes.cls\r\nForm=\r\n");
    const auto json = Run({"check", "Shop.vbp", "--json", "--require", "header", "-q"});
    EXPECT_EQ(json.status, 1);
    std::vector<std::string> missing;
    const auto document = nlohmann::json::parse(json.out);
    for (const auto& error : document["errors"]) {
        missing.push_back(error["file"].get<std::string>() + ":" +
                          std::to_string(error["line"].get<int>()));
    }
    EXPECT_EQ(missing, (std::vector<std::string>{"Shop.vbp:3", "Shop.vbp:5", "Shop.vbp:4"}))
        << json.out;
    EXPECT_TRUE(Has(json.err, "Shop.vbp:5: Form= names no file; the other modules are done\n"));

    Write("Shop.vbp", "Type=Exe\r\nModule=Main; Main.bas\r\n");
    Write(".brindleignore", "*.bas\n");
    const auto ignored = Run({"check", "Shop.vbp"});
    EXPECT_EQ(ignored.status, 1);
    EXPECT_TRUE(Has(ignored.err,
                    "brindle: no module was checked: .brindleignore leaves out "
                    "every one\n"));

    const auto nothing = Run({"check", "Main.bas", "--require", ""});
    EXPECT_EQ(nothing.status, 1);
    EXPECT_TRUE(Has(nothing.err,
                    "brindle: --require lists no rule, so no module was checked for "
                    "what it lacks\n"));
}

// Several projects in one run, and modules beside them: each under the brindle.ini and the
// .brindleignore that apply to it, each module done once, one summary, one exit status.
TEST_F(Upkeep, SeveralProjectsInOneRunKeepTheirOwnTeamSettings) {
    WriteModule("Shop.bas", {"Sub Sell()", "End Sub"});
    WriteProject({"Shop.bas"});
    for (const std::string name : {"Keep", "Skip", "Loose"}) {
        WriteModule("Other/" + name + ".bas", {"Sub " + name + "Now()", "End Sub"});
    }
    Write("Other/Other.vbp", "Type=Exe\r\nModule=Keep; Keep.bas\r\nModule=Skip; Skip.bas\r\n");
    Write("Other/brindle.ini", "[Options]\nModule Header Filename=other.txt\n");
    Write("Other/other.txt", "' Other %ModuleName%\r\n");
    Write("Other/.brindleignore", "Skip.bas\n");
    const auto skipped = File("Other/Skip.bas");

    // Named from a folder beside them, as a diff names them.
    const auto outside =
        RunBrindle(folder() / "Other", settings(), {"check", "../Shop.vbp", "Loose.bas"});
    const std::string up = test::kOnWindows ? "..\\" : "../";
    EXPECT_TRUE(Has(outside.out, up + "Shop.bas:2: Sub Sell has no error handler\n"));
    EXPECT_TRUE(Has(outside.out, "Loose.bas:2: no marked module header\n"));
    const auto pending = Run({"add-all", "Shop.vbp", "Other/Other.vbp", "Other/Loose.bas",
                              "Shop.bas", "--diff", "--exit-code"});
    EXPECT_EQ(pending.status, 1) << pending.err;
    EXPECT_TRUE(Has(pending.err,
                    "brindle: add-all would change 3 modules; run it without "
                    "--diff to make the change\n"));
    const auto added = Run({"add-all", "Shop.vbp", "Other/Other.vbp", "Other/Loose.bas", "Shop.bas",
                            "--yes", "--skip-existing"});
    EXPECT_EQ(added.status, 0) << added.err;
    EXPECT_TRUE(Has(added.err,
                    "brindle: Shop.bas: 1 module header, 1 procedure header, 1 error handler "
                    "added\nbrindle: "));
    EXPECT_TRUE(Has(added.err,
                    "brindle: 3 modules: 3 module headers, 3 procedure headers, 3 "
                    "error handlers added\n"));
    EXPECT_EQ(Count("Shop.bas", "' Module Shop"), 1);
    EXPECT_EQ(Count("Other/Keep.bas", "' Other Keep"), 1);
    EXPECT_EQ(Count("Other/Loose.bas", "' Other Loose"), 1);
    EXPECT_EQ(File("Other/Skip.bas"), skipped);

    const auto again = Run({"add-all", "Shop.vbp", "Other/Other.vbp", "Other/Loose.bas",
                            "--skip-existing", "--diff", "--exit-code"});
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(again.out, "");
    const auto checked = Run({"check", "Other/Other.vbp", "Shop.vbp", "Other/Loose.bas"});
    EXPECT_EQ(checked.status, 0) << checked.out;
    EXPECT_TRUE(Has(checked.err, "brindle: no findings in 3 modules\n"));

    // A folder stands for the projects and groups below it; a group's projects are done once,
    // and a folder that .brindleignore leaves out is not looked into.
    Write("All.vbg", "VBGROUP 5.0\r\nStartupProject=Shop.vbp\r\nProject=Other\\Other.vbp\r\n");
    Write("Other/Inner/Inner.vbp", "Type=Exe\r\nModule=Loose; ..\\Loose.bas\r\n");
    Write("Other/.brindleignore", "Skip.bas\nInner/\n");
    const struct {
        std::vector<std::string> args;
        int status;
        std::string said;
    } folders[] = {
        {{"check", "."}, 0, "brindle: no findings in 2 modules\n"},
        {{"check", "Other", "--no-ignore"}, 1, " findings in 3 modules\n"},
        {{"refresh", "Other", "--yes"}, 0, "brindle: nothing to change\n"},
        {{"check", "T"}, 2, "brindle: no project or group file below T\n"},
    };
    for (const auto& [args, status, said] : folders) {
        const auto run = Run(args);
        EXPECT_EQ(run.status, status) << run.err;
        EXPECT_TRUE(Has(run.err, said));
    }
}

// --files-from limits a run to the modules listed, under each project's settings and
// .brindleignore; without a project the modules listed are those named. Paths may come as git
// quotes them, or NUL-separated; those that no longer exist are passed over.
TEST_F(Upkeep, FilesFromLimitsARunToTheModulesListed) {
    for (const std::string name : {"A", "B", "C", "Stray"}) {
        WriteModule(name + ".bas", {"Sub " + name + "Now()", "End Sub"});
    }
    WriteProject({"A.bas", "B.bas", "C.bas", "Gone.bas"});
    Write(".brindleignore", "C.bas\n");
    Write("staged.txt", "A.bas\r\nC.bas\r\nStray.bas\r\nGone.bas\r\nShop.vbp\r\n\r\n");
    Write("none.txt", "");
    Write("quoted.txt", "\"\\101.bas\"\n\"B\\056bas\"\n");
    Write("separated.txt", "B.bas\0Gone.bas\0"s);
    Write("stray.txt", "Stray.bas\n");
    const struct {
        std::vector<std::string> args;
        int status;
        std::vector<std::string> checked;  // the modules with findings
        std::string said;
    } cases[] = {
        {{"check", "Shop.vbp", "--files-from", "staged.txt"},
         1,
         {"A.bas"},
         "brindle: warning: Stray.bas: listed in --files-from but in no project given; left "
         "out\n"},
        {{"check", "Shop.vbp", "--files-from", "none.txt"},
         0,
         {},
         "brindle: no module of the list was checked\n"},
        {{"check", "--files-from", "none.txt"}, 0, {}, "nothing to check"},
        {{"check", "--files-from", "staged.txt"},
         1,
         {"A.bas"},
         "brindle: 1 module left out by .brindleignore\n"},
        {{"check", "--files-from", "staged.txt", "--no-ignore"}, 1, {"A.bas", "C.bas"}, ""},
        {{"check", "Shop.vbp", "--files-from", "quoted.txt"}, 1, {"A.bas", "B.bas"}, ""},
        {{"check", "Shop.vbp", "--files-from", "separated.txt", "-z"}, 1, {"B.bas"}, ""},
        {{"check", "Shop.vbp", "B.bas", "--only-named"}, 1, {"B.bas"}, ""},
        {{"check", "Shop.vbp", "--files-from", "stray.txt"},
         1,
         {},
         "brindle: no module of the list was checked: the 1 module it names is in no project "
         "given\n"},
        {{"check", "Shop.vbp", "--files-from", "absent.txt"}, 2, {}, "--files-from absent.txt"},
    };
    for (const auto& [args, status, checked, said] : cases) {
        const auto run = Run(args);
        EXPECT_EQ(run.status, status) << run.err;
        EXPECT_TRUE(Has(run.err, said));
        EXPECT_EQ(run.err.find("Gone.bas"), std::string::npos) << run.err;
        for (const std::string name : {"A.bas", "B.bas", "C.bas"}) {
            const bool found = std::find(checked.begin(), checked.end(), name) != checked.end();
            EXPECT_EQ(run.out.find(name + ":") != std::string::npos, found) << name << run.out;
        }
    }
    Write("modules.txt", "A.bas\nB.bas\n");
    const auto named = Run({"add-all", "--files-from", "modules.txt", "--yes", "-q"});
    EXPECT_EQ(named.status, 0) << named.err;
    EXPECT_EQ(Count("A.bas", "' Module A") + Count("B.bas", "' Module B"), 2);
    EXPECT_EQ(Count("C.bas", "' Module C"), 0);
}

// One set of findings and errors, as each report format gives it: every finding at its file line
// with its severity, every file that could not be checked as an error (the text format tells
// errors on standard error).
TEST_F(Upkeep, EachReportFormatGivesTheSameFindingsAndErrors) {
    Write("T/module.txt", "' Module %ModuleName% %Nothing%\r\n");
    WriteModule("Checks.bas", {"Sub Bare()", "End Sub", kBeginMarker, "Sub Handled()",
                               "    On Error Resume Next", "End Sub"});
    Write("Shop.vbp", "Type=Exe\r\nModule=Checks; Checks.bas\r\nModule=Gone; Gone.bas\r\n");
    const std::string keyword =
        std::string(kOnWindows ? "T\\module.txt" : "T/module.txt") +
        ":1: %Nothing% is no template keyword; it stays in the text as it is";
    const std::vector<std::string> findings = {
        "warning " + keyword,
        "warning Checks.bas:2: no marked module header",
        "warning Checks.bas:2: Sub Bare has no marked procedure header",
        "warning Checks.bas:2: Sub Bare has no error handler",
        "error Checks.bas:4: a begin marker without its end marker",
        "warning Checks.bas:5: Sub Handled has no marked procedure header",
    };
    const std::string error = "Shop.vbp:3: Gone.bas: no such file; the other modules are done";

    struct Found {
        std::vector<std::string> findings;  // "severity file:line: message"
        std::vector<std::string> errors;    // "file:line: message"
    };
    const auto place = [](const auto& file, const auto& line, const auto& message) {
        return std::string(file) + ":" + std::to_string(line) + ": " + std::string(message);
    };
    const auto fromJson = [&](const std::string& out) {
        Found found;
        const auto document = nlohmann::json::parse(out);
        for (const auto& f : document["findings"]) {
            found.findings.push_back(f["severity"].get<std::string>() + " " +
                                     place(f["file"].get<std::string>(), f["line"].get<int>(),
                                           f["message"].get<std::string>()));
        }
        for (const auto& e : document["errors"]) {
            found.errors.push_back(place(e["file"].get<std::string>(), e["line"].get<int>(),
                                         e["message"].get<std::string>()));
        }
        return found;
    };
    std::vector<std::string> fingerprints;
    const auto fromSarif = [&](const std::string& out) {
        Found found;
        const auto run = nlohmann::json::parse(out)["runs"][0];
        const auto where = [&](const nlohmann::json& location) {
            const auto& physical = location["physicalLocation"];
            return std::make_pair(physical["artifactLocation"]["uri"].get<std::string>(),
                                  physical["region"]["startLine"].get<int>());
        };
        for (const auto& r : run["results"]) {
            const auto [uri, line] = where(r["locations"][0]);
            const auto& rule = run["tool"]["driver"]["rules"][r["ruleIndex"].get<std::size_t>()];
            EXPECT_EQ(rule["id"], r["ruleId"]);
            EXPECT_FALSE(rule["help"]["text"].get<std::string>().empty());
            fingerprints.push_back(r["partialFingerprints"]["brindleFinding/v1"]);
            found.findings.push_back(r["level"].get<std::string>() + " " +
                                     place(uri, line, r["message"]["text"].get<std::string>()));
        }
        for (const auto& n : run["invocations"][0]["toolExecutionNotifications"]) {
            const auto [uri, line] = where(n["locations"][0]);
            found.errors.push_back(place(uri, line, n["message"]["text"].get<std::string>()));
        }
        return found;
    };
    const auto fromGithub = [&](const std::string& out) {
        Found found;
        const std::regex annotation(
            "::(warning|error) file=([^,]*),line=(\\d+),title=([^:]*)::(.*)");
        std::istringstream lines(out);
        for (std::string line; std::getline(lines, line);) {
            std::smatch m;
            EXPECT_TRUE(std::regex_match(line, m, annotation)) << line;
            const auto file = std::regex_replace(m[2].str(), std::regex("%3A"), ":");
            const auto message = std::regex_replace(m[5].str(), std::regex("%25"), "%");
            if (m[4] == "brindle") {
                found.errors.push_back(place(file, std::stoi(m[3].str()), message));
            } else {
                found.findings.push_back(m[1].str() + " " +
                                         place(file, std::stoi(m[3].str()), message));
            }
        }
        return found;
    };
    const auto fromText = [&](const std::string& out) {
        Found found;
        std::istringstream lines(out);
        for (std::string line; std::getline(lines, line);) {
            found.findings.push_back(line);
        }
        return found;
    };
    struct Row {
        const char* format;
        std::function<Found(const std::string&)> read;
    };
    const std::vector<Row> rows = {
        {"text", fromText}, {"json", fromJson}, {"github", fromGithub}, {"sarif", fromSarif}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.format);
        const auto run = Run({"check", "Shop.vbp", "--format", row.format});
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(Has(run.err, "brindle: 1 finding in the templates, 5 findings in 1 module\n"));
        const auto found = row.read(run.out);
        if (row.format == std::string("text")) {
            auto plain = findings;
            for (auto& line : plain) {
                line = line.substr(line.find(' ') + 1);
            }
            EXPECT_EQ(found.findings, plain);
            EXPECT_TRUE(Has(run.err, error));
        } else {
            auto shown = findings;
            if (row.format == std::string("sarif")) {
                shown[0] = "warning T/module.txt" + keyword.substr(12);  // a URI
            }
            EXPECT_EQ(found.findings, shown);
            EXPECT_EQ(found.errors, std::vector<std::string>{error});
        }
    }

    // A result's fingerprint is its own, and stays when lines above it come or go.
    const auto before = fingerprints;
    EXPECT_EQ(std::set<std::string>(before.begin(), before.end()).size(), findings.size());
    WriteModule("Checks.bas", {"Option Explicit", "", "Sub Bare()", "End Sub", kBeginMarker,
                               "Sub Handled()", "    On Error Resume Next", "End Sub"});
    fingerprints.clear();
    fromSarif(Run({"check", "Shop.vbp", "--format", "sarif"}).out);
    EXPECT_EQ(fingerprints, before);
}

// The JSON report has the shape the README gives, when it found something and when a file or the
// team's settings cannot even be loaded (2): a script always gets a document to read.
TEST_F(Upkeep, CheckJsonHasTheDocumentedShape) {
    using Json = nlohmann::json;
    WriteModule("Main.bas", {"Sub Main()", "End Sub", "' [Brindle End]"});
    Write("Shop.vbp", "Type=Exe\r\nModule=Main; Main.bas\r\nModule=Gone; Gone.bas\r\n");
    const auto found = Run({"check", "Shop.vbp", "--json", "-q"});
    EXPECT_EQ(found.status, 1);
    EXPECT_EQ(Json::parse(found.out), Json::parse(R"({"findings": [
        {"file": "Main.bas", "line": 2, "rule": "module-header", "severity": "warning",
         "procedure": null, "message": "no marked module header"},
        {"file": "Main.bas", "line": 2, "rule": "header", "severity": "warning",
         "procedure": "Sub Main", "message": "Sub Main has no marked procedure header"},
        {"file": "Main.bas", "line": 2, "rule": "handler", "severity": "warning",
         "procedure": "Sub Main", "message": "Sub Main has no error handler"},
        {"file": "Main.bas", "line": 4, "rule": "markers", "severity": "error",
         "procedure": "Sub Main", "message": "an end marker without its begin marker"}],
      "errors": [{"file": "Shop.vbp", "line": 3,
                  "message": "Gone.bas: no such file; the other modules are done"}],
      "counts": {"handler": 1, "header": 1, "markers": 1, "module-header": 1},
      "modules": 1, "ignored": 0, "baselined": 0})"));
    const auto missing = Run({"check", "Missing.vbp", "--json", "-q"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(Json::parse(missing.out), Json::parse(R"({"findings": [],
      "errors": [{"file": "", "line": 0, "message": "Missing.vbp: no such file"}],
      "counts": {}, "modules": 0, "ignored": 0, "baselined": 0})"));

    // A team file that cannot be taken: the error at its line.
    Write("Team/brindle.ini", "[Options]\nAdd Code Markers=maybe\n");
    WriteModule("Team/Main.bas", {"Sub Main()", "End Sub"});
    const auto team = Json::parse(Run({"check", "Team/Main.bas", "--json", "-q"}).out);
    EXPECT_EQ(team["errors"][0]["line"], 2) << team;
    EXPECT_TRUE(Has(team["errors"][0]["file"].get<std::string>(), "brindle.ini"));
}

// A baseline written by one run is honoured by the next after lines moved above the procedures,
// from another folder too; what is new is reported, a second finding of a rule in one procedure
// included. A baseline is never written from a run that could not check every file, nor over a
// file that is no baseline.
TEST_F(Upkeep, BaselineKeepsKnownFindingsAcrossMovedLines) {
    const std::vector<std::string> twice = {
        "Sub A()",  "    On Error GoTo Handler", "Handler:", kBeginMarker, "    Exit Sub",
        "Handler:", "' [Brindle End]",           "End Sub"};
    WriteModule("Old.bas", twice);
    Write("Shop.vbp", "Type=Exe\r\nModule=Old; Old.bas\r\n");
    const auto written = Run({"check", "Shop.vbp", "--baseline", "base.json", "--update-baseline"});
    EXPECT_EQ(written.status, 0) << written.err;
    EXPECT_EQ(written.out, "");
    EXPECT_EQ(nlohmann::json::parse(File("base.json")), nlohmann::json::parse(R"({"version": 1,
        "findings": [
          {"file": "Old.bas", "procedure": null, "rule": "module-header", "count": 1},
          {"file": "Old.bas", "procedure": "Sub A", "rule": "duplicate", "count": 1},
          {"file": "Old.bas", "procedure": "Sub A", "rule": "header", "count": 1}]})"));

    auto moved = twice;
    moved.insert(moved.begin(), {"Option Explicit", "Private Count As Long", ""});
    WriteModule("Old.bas", moved);
    const auto known = Run({"check", "Shop.vbp", "--baseline", "base.json"});
    EXPECT_EQ(known.status, 0) << known.out;
    EXPECT_EQ(known.out, "");
    EXPECT_TRUE(Has(known.err, "no new findings in 1 module (3 in the baseline)\n"));
    fs::create_directories(folder() / "sub");
    const auto elsewhere = RunBrindle(folder() / "sub", settings(),
                                      {"check", "../Shop.vbp", "--baseline", "../base.json"});
    EXPECT_EQ(elsewhere.status, 0) << elsewhere.out;

    moved.insert(moved.end() - 2, {"Handler:"});
    moved.insert(moved.end(), {"Sub B()", "    On Error Resume Next", "End Sub"});
    WriteModule("Old.bas", moved);
    const auto fresh = Run({"check", "Shop.vbp", "--baseline", "base.json", "--format", "json"});
    EXPECT_EQ(fresh.status, 1);
    std::vector<std::string> reported;
    const auto document = nlohmann::json::parse(fresh.out);
    for (const auto& finding : document["findings"]) {
        reported.push_back(finding["procedure"].get<std::string>() + " " +
                           finding["rule"].get<std::string>() + " " +
                           std::to_string(finding["line"].get<int>()));
    }
    EXPECT_EQ(reported, (std::vector<std::string>{"Sub A duplicate 11", "Sub B header 14"}))
        << fresh.out << fresh.err;

    const auto before = File("base.json");
    Write("Shop.vbp", "Type=Exe\r\nModule=Old; Old.bas\r\nModule=Gone; Gone.bas\r\n");
    const auto refused = Run({"check", "Shop.vbp", "--baseline", "base.json", "--update-baseline"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(Has(refused.err, "base.json: the baseline was not written"));
    EXPECT_EQ(File("base.json"), before);

    Write("base.json", "{\"findings\": [{\"file\": \"Old.bas\"}]}");
    const auto broken = Run({"check", "Shop.vbp", "--baseline", "base.json"});
    EXPECT_EQ(broken.status, 2);
    EXPECT_TRUE(Has(broken.err, "base.json: no baseline of brindle check"));
    const auto overBroken =
        Run({"check", "Shop.vbp", "--baseline", "base.json", "--update-baseline"});
    EXPECT_EQ(overBroken.status, 2);
    EXPECT_TRUE(Has(overBroken.err, "--update-baseline leaves it")) << overBroken.err;
    EXPECT_EQ(File("base.json"), "{\"findings\": [{\"file\": \"Old.bas\"}]}");
    EXPECT_EQ(Run({"check", "Shop.vbp", "--update-baseline"}).status, 2);
}

// Several projects in one run give one report and take one baseline: the findings of every
// part, a template they share told once, and what each part could not check among the errors;
// a run on a part of them reads and rewrites the baseline for that part alone.
TEST_F(Upkeep, OneReportAndOneBaselineForEveryPartOfARun) {
    Write("T/module.txt", "' Module %ModuleName% %Nothing%\r\n");
    WriteModule("Shop.bas", {"Sub Sell()", "End Sub"});
    Write("Shop.vbp", "Type=Exe\r\nModule=Shop; Shop.bas\r\nModule=Gone; Gone.bas\r\n");
    WriteModule("Other/Keep.bas", {"Sub Keep()", "End Sub"});
    Write("Other/Other.vbp", "Type=Exe\r\nModule=Keep; Keep.bas\r\nModule=Lost; Lost.bas\r\n");
    const std::string other = kOnWindows ? "Other\\" : "Other/";
    const std::vector<std::string> projects = {"check", "Shop.vbp", "Other/Other.vbp", "-q"};
    const auto with = [&](std::vector<std::string> more) {
        more.insert(more.begin(), projects.begin(), projects.end());
        return more;
    };

    const auto json = Run(with({"--format", "json"}));
    EXPECT_EQ(json.status, 1);
    const auto document = nlohmann::json::parse(json.out);
    std::map<std::string, int> files;
    for (const auto& finding : document["findings"]) {
        ++files[finding["file"].get<std::string>()];
    }
    const std::string keyword = kOnWindows ? "T\\module.txt" : "T/module.txt";
    EXPECT_EQ(files,
              (std::map<std::string, int>{{keyword, 1}, {"Shop.bas", 3}, {other + "Keep.bas", 3}}))
        << json.out;
    std::vector<std::string> errors;
    for (const auto& error : document["errors"]) {
        errors.push_back(error["file"].get<std::string>() + ":" +
                         std::to_string(error["line"].get<int>()));
    }
    EXPECT_EQ(errors, (std::vector<std::string>{"Shop.vbp:3", other + "Other.vbp:3"}));
    EXPECT_EQ(document["modules"], 2);

    // Not written while a part misses a module; written once both are whole, then honoured.
    EXPECT_EQ(Run(with({"--baseline", "base.json", "--update-baseline"})).status, 1);
    EXPECT_FALSE(fs::exists(folder() / "base.json"));
    Write("Shop.vbp", "Type=Exe\r\nModule=Shop; Shop.bas\r\n");
    Write("Other/Other.vbp", "Type=Exe\r\nModule=Keep; Keep.bas\r\n");
    EXPECT_EQ(Run(with({"--baseline", "base.json", "--update-baseline"})).status, 0);
    const auto known = Run({"check", "Shop.vbp", "Other/Other.vbp", "--baseline", "base.json"});
    EXPECT_EQ(known.status, 0) << known.out;
    EXPECT_TRUE(Has(known.err, "no new findings in 2 modules (7 in the baseline)\n")) << known.err;

    // A run on part of the code base (a module named alone, a list of staged files) counts as
    // gone only what the baseline holds of the files it checked, and rewrites those alone.
    const auto alone = Run({"check", "Shop.bas", "--baseline", "base.json"});
    EXPECT_EQ(alone.status, 0) << alone.err;
    EXPECT_TRUE(Has(alone.err, "no new findings in 1 module (4 in the baseline)\n")) << alone.err;
    EXPECT_FALSE(Has(alone.err, "no longer found")) << alone.err;
    WriteModule("Shop.bas", {"Sub Sell()", "End Sub", "Sub Buy()", "End Sub"});
    Write("staged.txt", "Shop.bas\n");
    const std::vector<std::string> staged = {"check",      "Shop.vbp",         "Other/Other.vbp",
                                             "--baseline", "base.json",        "--files-from",
                                             "staged.txt", "--update-baseline"};
    const auto update = Run(staged);
    EXPECT_EQ(update.status, 0) << update.err;
    EXPECT_TRUE(Has(update.err, "base.json: baseline written with 9 findings")) << update.err;
    const auto whole = Run({"check", "Shop.vbp", "Other/Other.vbp", "--baseline", "base.json"});
    EXPECT_TRUE(Has(whole.err, "no new findings in 2 modules (9 in the baseline)\n")) << whole.err;
    EXPECT_FALSE(Has(whole.err, "no longer found")) << whole.err;

    // What it holds of a module file that is no longer there is gone, whatever was checked.
    fs::remove(folder() / "Other" / "Keep.bas");
    const auto deleted = Run({"check", "Shop.bas", "--baseline", "base.json"});
    EXPECT_TRUE(Has(deleted.err, "3 findings of the baseline no longer found")) << deleted.err;
    EXPECT_EQ(Run({"check", "Shop.bas", "--baseline", "base.json", "--update-baseline"}).status, 0);
    EXPECT_FALSE(Has(File("base.json"), "Keep.bas"));
    WriteModule("Other/Keep.bas", {"Sub Keep()", "End Sub"});

    // A template both parts lack is told once.
    fs::remove(folder() / "T" / "proc.txt");
    const auto lacking = Run({"check", "Shop.vbp", "Other/Other.vbp", "--format", "json"});
    EXPECT_EQ(lacking.status, 1);
    EXPECT_EQ(nlohmann::json::parse(lacking.out)["errors"].size(), 1u) << lacking.out;
    EXPECT_EQ(lacking.err.find("proc.txt"), lacking.err.rfind("proc.txt")) << lacking.err;
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
// count what they left there. --ignore-exclusions takes that too. A pattern that cannot be read
// is warned of at its line.
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
    Write(".brindleignore", "# generated and legacy code\nlegacy/*.bas\nmod[AB\n");
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
    EXPECT_TRUE(Has(checked.err,
                    "warning: .brindleignore:3: the pattern \"mod[AB\" has a \"[\" that "
                    "is not closed; it is ignored\n"));

    // Named on its own, the module is left out as its project leaves it out, by every command
    // that checks or changes code; --no-ignore takes it.
    const struct {
        std::vector<std::string> args;
        int status;
        std::string said;
    } alone[] = {
        {{"check", "Legacy/Old.bas", "Whole.bas"},
         0,
         "brindle: 1 module left out by .brindleignore\n"},
        {{"check", "Legacy/Old.bas", "--json"},
         0,
         "brindle: no module was checked: .brindleignore leaves out every one named\n"},
        {{"add-all", "Legacy/Old.bas", "--yes"}, 0, "brindle: nothing to change\n"},
        {{"add-headers", "Legacy/Old.bas", "--proc", "Main"}, 0, "left out by .brindleignore"},
        {{"refresh", "Legacy/Old.bas", "--yes"}, 0, "brindle: nothing to change\n"},
        {{"remove-code", "Legacy/Old.bas", "--yes"},
         0,
         "1 marked block left in modules that .brindleignore leaves out"},
        {{"check", "Legacy/Old.bas", "--no-ignore"}, 1, "1 module"},
    };
    for (const auto& [args, status, said] : alone) {
        const auto run = Run(args);
        EXPECT_EQ(run.status, status) << run.err;
        EXPECT_TRUE(Has(run.err, said));
        if (args.back() == "--json") {
            EXPECT_EQ(nlohmann::json::parse(run.out)["ignored"], 1) << run.out;
        }
    }
    EXPECT_EQ(File("Legacy/Old.bas"), original.at("Legacy/Old.bas"));

    Write("T/proc.txt", kProcTemplate + "' Changed %ProcedureName%\r\n");
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

// A team's file that is wrong says so: one that cannot be taken stops the command before it
// writes anything, one that holds what is not ours is warned of and the run goes on.
TEST_F(Upkeep, TeamFilesThatAreWrongSaySo) {
    WriteModule("Shop.bas", {"Option Explicit", "Sub Main()", "End Sub"});
    WriteProject({"Shop.bas"});
    const auto shared = File("brindle.ini");
    const std::string utf16 =
        "\xFF\xFE" + BytesFromUtf16(Utf16FromUtf8(shared + "Skip Existing=On\n"), false);
    struct Case {
        std::string ini;
        int status;
        std::string err;
    };
    const Case cases[] = {
        {utf16, 0, ""},
        {"\xEF\xBB\xBF" + shared, 0, ""},
        {std::string("MZ\x90\0\x03\0\0\0", 8), 2,
         "brindle: brindle.ini: is no text file; team settings are read in UTF-8, UTF-16 or the "
         "code page\n"},
        {shared + "Add Code Markers=maybe\n", 2,
         "brindle.ini:7: \"maybe\" is no value for Add Code Markers: True or False (or "
         "1/0, yes/no, on/off)\n"},
        {"[Command Line]\nCode Page=66\n" + shared, 2,
         "brindle.ini:2: \"66\" is no code page Brindle knows, for Code Page in [Command "
         "Line]\n"},
        {shared + "[Optoins]\nSkip Existing=True\n", 0,
         "warning: brindle.ini:7: unknown section [Optoins]; did you mean [Options]?\n"},
    };
    const auto original = File("Shop.bas");
    for (const Case& c : cases) {
        Write("brindle.ini", c.ini);
        const auto run = Run({"add-all", "Shop.vbp", "--yes", "-q"});
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_TRUE(Has(run.err, c.err));
        EXPECT_EQ(File("Shop.bas") == original, c.status == 2) << c.ini;
        Write("Shop.bas", original);
    }
    // The UTF-16 file's Skip Existing applies.
    Write("brindle.ini", utf16);
    const auto options = Run({"options"});
    EXPECT_TRUE(
        std::regex_search(options.out, std::regex("\nskip-existing +on +\\(from brindle.ini\\)\n")))
        << options.out;

    // Markers off: the warning says where, and how to turn them on there.
    Write("brindle.ini", shared + "Add Code Markers=no\n");
    EXPECT_TRUE(HasOnce(Run({"add-all", "Shop.vbp", "--diff"}).err,
                        "brindle: warning: markers are off in brindle.ini (Add Code Markers=True "
                        "there turns them on), so what this adds has no marker lines"));
}

// A Japanese team's code page in its brindle.ini applies to everyone on the tree; --codepage
// still wins for one run.
TEST_F(Upkeep, TheTeamsCodePageAppliesWithoutAFlag) {
    // A procedure named in Japanese, in code page 932.
    const std::string name = "\x93\xFA\x95\x74";  // 日付
    WriteModule("Shop.bas", {"Sub " + name + "()", "End Sub"});
    WriteProject({"Shop.bas"});
    Write("brindle.ini", File("brindle.ini") + "[Command Line]\nCode Page=932\n");
    const auto listed = Run({"procedures", "Shop.bas"});
    EXPECT_EQ(listed.status, 0) << listed.err;
    EXPECT_TRUE(Has(listed.out, "\xE6\x97\xA5\xE4\xBB\x98"));
    EXPECT_FALSE(
        Has(Run({"procedures", "Shop.bas", "--codepage", "1252"}).out, "\xE6\x97\xA5\xE4\xBB\x98"));
    const auto options = Run({"options", "--codepage", "1251"});
    EXPECT_TRUE(
        std::regex_search(options.out, std::regex("\ncodepage +932 +\\(from brindle.ini\\)\n")))
        << options.out;
    EXPECT_TRUE(Has(options.err, "\"Code Page\" is set by "));
    EXPECT_TRUE(Has(ReadBytes(settings()), "Code%20Page=1251"));  // the user's own, for elsewhere
    ASSERT_EQ(Run({"add-all", "Shop.vbp", "--yes", "-q"}).status, 0);
    EXPECT_TRUE(Has(File("Shop.bas"), "' Procedure " + name + ", "));
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
    Write("T/errftr.txt",
          "    Exit %ProcedureType%\r\nHandler:\r\n    Debug.Print \"%ProcedureName%\"\r\n"
          "    Err.Raise Err.Number\r\n");
    // A project and a module beside it, each under its team settings.
    const auto both = Run({"refresh", "Shop.vbp", "Bare.bas", "--diff", "--exit-code"});
    EXPECT_EQ(both.status, 1) << both.err;
    EXPECT_TRUE(Has(both.out, "Shop.bas"));
    EXPECT_FALSE(Has(both.out, "Bare.bas"));
    EXPECT_TRUE(Has(both.err, "refresh would change 1 module"));
    const auto diff = Run({"refresh", "Shop.vbp", "--diff"});
    ASSERT_EQ(diff.status, 0) << diff.err;
    const auto refreshed = Run({"refresh", "Shop.vbp", "--yes"});
    ASSERT_EQ(refreshed.status, 0);
    // Two procedure headers and two error footers; the headers of the module and of the errors
    // are as the templates give them.
    EXPECT_TRUE(refreshed.err.ends_with("brindle: 1 module: 4 marked blocks rewritten\n"))
        << refreshed.err;
    const auto result = File("Shop.bas");
    EXPECT_EQ(CountLines(result, "' By " + host::UserName()), 2);
    EXPECT_EQ(CountLines(result, "    Debug.Print \"Reset\""), 1);
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

// %Date% follows the Date Format: Short Date by default, the regional short date that options
// shows, the user's own option, a team's over it; a format that is none is refused where it is
// given. Refresh keeps the date a block shows in the format it was written with, also when it
// rewrites the block.
TEST_F(Upkeep, DatesFollowTheDateFormatAndRefreshKeepsTheirs) {
    WriteModule("Half.bas", {"Option Explicit", "", "Public Sub Halve()", "End Sub"});
    const auto header = [&](const std::string& date) {
        return std::regex("' Procedure Halve, " + date + "\r\n");
    };
    const auto added = [&](const std::string& date) {
        EXPECT_EQ(Run({"remove-code", "Half.bas", "--yes"}).status, 0);
        EXPECT_EQ(Run({"add-headers", "Half.bas"}).status, 0);
        return std::regex_search(File("Half.bas"), header(date));
    };
    std::smatch shown;
    const std::string options = Run({"options"}).out;
    ASSERT_TRUE(std::regex_search(options, shown,
                                  std::regex("date-format +Short Date \\(regional: ([^)]+)\\)\n")))
        << options;
    const std::string regional =
        std::regex_replace(shown[1].str(), std::regex("[.^$|()\\[\\]{}*+?\\\\]"), "\\$&");
    const char* const iso = "\\d{4}-\\d\\d-\\d\\d";
    EXPECT_TRUE(added(regional)) << File("Half.bas");

    EXPECT_EQ(Run({"options", "--date-format", "dd.mmm"}).status, 2);
    const auto isoSet = Run({"options", "--date-format", "ISO"});
    ASSERT_EQ(isoSet.status, 0) << isoSet.err;
    EXPECT_TRUE(Has(isoSet.out, "date-format                ISO\n")) << isoSet.out;
    const auto written = File("Half.bas");
    EXPECT_EQ(Run({"refresh", "Half.bas", "--yes"}).status, 0);
    EXPECT_EQ(File("Half.bas"), written);  // the old date, in its own format, stays
    EXPECT_TRUE(added(iso)) << File("Half.bas");

    Write("brindle.ini", File("brindle.ini") + "Date Format=dd.mm.yyyy\n");
    EXPECT_TRUE(std::regex_search(
        Run({"options"}).out, std::regex("date-format +dd\\.mm\\.yyyy +\\(from brindle.ini\\)")));
    Write("T/proc.txt", kProcTemplate + "' Purpose:\r\n");
    const auto refreshed = Run({"refresh", "Half.bas", "--yes"});
    EXPECT_EQ(refreshed.status, 0) << refreshed.err;
    EXPECT_TRUE(std::regex_search(File("Half.bas"), header(iso))) << File("Half.bas");
    EXPECT_TRUE(Has(File("Half.bas"), "' Purpose:\r\n"));
    EXPECT_TRUE(added("\\d\\d\\.\\d\\d\\.\\d{4}")) << File("Half.bas");

    Write("brindle.ini", File("brindle.ini") + "Date Format=yyyy/q\n");
    const auto refused = Run({"check", "Half.bas"});
    EXPECT_EQ(refused.status, 2);
    EXPECT_TRUE(Has(refused.err, "brindle.ini:8: \"yyyy/q\" is no date format")) << refused.err;
}

// What people write in a procedure header stays through a new author and a refresh, and check
// --stale does not count it; a template with no place for it leaves the header, told once,
// unless --overwrite asks for the template's lines.
TEST_F(Upkeep, RefreshKeepsWhatPeopleWrote) {
    Write("T/proc.txt",
          "'---\r\n' Procedure: %ProcedureName%\r\n' Purpose:\r\n' Parameters:%Parameters%\r\n"
          "' Returns:\r\n' Author: %Author%, %Date%\r\n'---\r\n");
    WriteModule("Half.bas",
                {"Option Explicit", "", "Public Function Halve(ByVal X As Long) As Long",
                 "    Halve = X \\ 2", "End Function"});
    ASSERT_EQ(Run({"add-headers", "Half.bas"}).status, 0);
    auto text =
        std::regex_replace(File("Half.bas"), std::regex("' Purpose:"), "' Purpose: Halves X");
    text = std::regex_replace(text, std::regex("' Returns:"), "' Returns: X / 2, rounded down");
    text = std::regex_replace(text, std::regex("(Author: [^,]*), [^\r]*"), "$1, 1999");
    Write("Half.bas", text);
    const auto stale = Run({"check", "Half.bas", "--stale", "--require", "header"});
    EXPECT_EQ(stale.status, 0) << stale.out;
    EXPECT_EQ(stale.out, "");

    ASSERT_EQ(Run({"options", "--author", "Pat Doe"}).status, 0);
    const auto refreshed = Run({"refresh", "Half.bas", "--yes"});
    EXPECT_EQ(refreshed.status, 0) << refreshed.err;
    const auto kept = File("Half.bas");
    EXPECT_EQ(kept,
              std::regex_replace(text, std::regex("Author: .*, 1999"), "Author: Pat Doe, 1999"));

    Write("T/proc.txt", std::regex_replace(File("T/proc.txt"), std::regex("Purpose"), "Summary"));
    const std::string place = "Half.bas:7: ";
    const std::string noPlace =
        "text in the marked procedure header that the template in use has no place for";
    const auto left = Run({"refresh", "Half.bas", "--yes"});
    EXPECT_EQ(left.status, 1);
    EXPECT_TRUE(
        HasOnce(left.err, place + "Function Halve: " + noPlace + "; the block is left as it is\n"));
    EXPECT_EQ(File("Half.bas"), kept);
    const auto found = Run({"check", "Half.bas", "--stale", "--require", "header", "-q"});
    EXPECT_EQ(found.status, 1);
    EXPECT_EQ(found.out, place + noPlace + " (brindle refresh leaves the block as it is)\n");

    // Asked to, the template's line takes the place of what it has no place for; the rest of
    // what people wrote stays.
    const auto overwritten = Run({"refresh", "Half.bas", "--yes", "--overwrite"});
    EXPECT_EQ(overwritten.status, 0) << overwritten.err;
    EXPECT_EQ(File("Half.bas"),
              std::regex_replace(kept, std::regex("' Purpose: Halves X"), "' Summary:"));
}

}  // namespace
}  // namespace brindle::test

// Project and group files: what they name, where those files are on disk, and the plan of a
// project's modules that every front end loads or streams.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "host/files/FileSystem.h"
#include "host/files/ProjectFile.h"
#include "host/files/ProjectLoader.h"
#include "host/vb6/CodePage.h"
#include "support/TestPaths.h"

namespace fs = std::filesystem;

namespace brindle::host {
namespace {

using test::TempDir;
using test::WriteBytes;

const char* const kProject =
    "Type=Exe\r\n"
    "Reference=*\\G{00020430-0000-0000-C000-000000000046}#2.0#0#stdole2.tlb#OLE Automation\r\n"
    "Object={831FDD16-0C5C-11D2-A9FC-0000F8754DA1}#2.0#0; MSCOMCTL.OCX\r\n"
    "Form=frmMain.frm\r\n"
    "Module=modMain; Code\\modMain.bas\r\n"
    "class=CWidget ;  Code\\Widget.cls\r\n"
    "UserControl=Controls\\Gauge.ctl\r\n"
    "RelatedDoc=readme.txt\r\n"
    "ResFile32=\"app.res\"\r\n"
    "PropertyPage=Pages\\pgGauge.pag\r\n"
    "UserDocument=Doc.dob\r\n"
    "Designer=Report.dsr\r\n"
    "Startup=\"frmMain\"\r\n"
    "Name=\"Inventory\"\r\n"
    "\r\n"
    "[VBCompiler]\r\n"
    "Module=NotAComponent\r\n";

// Keys are found in any letter case and with blanks around the "Name; path" separator; keys
// that name no code module, and any section after the first, are left out.
TEST(ProjectFileParsing, ComponentsInFileOrderWithNamesAndLines) {
    const auto contents = ParseProjectFile(kProject, 1252);
    EXPECT_EQ(contents.name, "Inventory");
    std::vector<std::string> entries;
    for (const ProjectEntry& entry : contents.entries) {
        entries.push_back(std::to_string(entry.line) + " " + entry.key + "|" + entry.name + "|" +
                          entry.path);
    }
    EXPECT_EQ(entries, (std::vector<std::string>{
                           "4 Form||frmMain.frm", "5 Module|modMain|Code\\modMain.bas",
                           "6 class|CWidget|Code\\Widget.cls", "7 UserControl||Controls\\Gauge.ctl",
                           "10 PropertyPage||Pages\\pgGauge.pag", "11 UserDocument||Doc.dob",
                           "12 Designer||Report.dsr"}));

    const auto bare = ParseProjectFile("Type=OleDll\nClass=A; A.cls\n", 1252);
    EXPECT_EQ(bare.name, "");
    ASSERT_EQ(bare.entries.size(), 1u);
    EXPECT_EQ(bare.entries[0].path, "A.cls");

    for (const std::string& text :
         {std::string("Attribute VB_Name = \"Module1\"\r\nOption Explicit\r\n"),
          std::string("Type=Exe\r\n\0\x01\x02", 13),
          std::string("Name=\"NoType\"\r\nForm=a.frm\r\n"), std::string()}) {
        EXPECT_THROW(ParseProjectFile(text, 1252), ProjectFileError) << text;
    }
}

TEST(GroupFileParsing, ProjectsInFileOrderWithTheStartupProjectMarked) {
    std::vector<std::string> projects;
    for (const GroupEntry& project :
         ParseGroupFile("VBGROUP 5.0\r\nProject=..\\Lib\\Lib.vbp\r\n"
                        "StartupProject=App.vbp\r\nProject=x.vbp\r\n")) {
        projects.push_back(std::to_string(project.line) + " " + project.path +
                           (project.startup ? " startup" : ""));
    }
    EXPECT_EQ(projects,
              (std::vector<std::string>{"2 ..\\Lib\\Lib.vbp", "3 App.vbp startup", "4 x.vbp"}));
    EXPECT_THROW(ParseGroupFile("Type=Exe\r\nProject=a.vbp\r\n"), ProjectFileError);
}

// The exact path first; otherwise each folder and the file without regard to letter case. On
// Windows the file system ignores letter case itself (two names that differ only in it are one
// file), and drive and network paths are followed.
TEST(ProjectPaths, ResolveFromTheProjectsFolder) {
    TempDir temp;
    const fs::path root = temp.path();
    WriteBytes(root / "App" / "App.vbp", "Type=Exe\r\n");
    WriteBytes(root / "Shared" / "Lib" / "MLibs.bas", "x");
    WriteBytes(root / "Twice" / "a.bas", "1");
    WriteBytes(root / "Twice" / "A.BAS", "2");
    const struct {
        std::string_view path;
        PathStatus status;
        fs::path found;  // as far as it was found; empty: not checked
        PathStatus onWindows;
    } cases[] = {
        {"..\\Shared\\Lib\\MLibs.bas", PathStatus::Found, "Shared/Lib/MLibs.bas",
         PathStatus::Found},
        {"..\\shared\\LIB\\mlibs.BAS", PathStatus::Found, "Shared/Lib/MLibs.bas",
         PathStatus::Found},
        {".\\App.VBP", PathStatus::Found, "App/App.vbp", PathStatus::Found},
        {"..\\twice\\a.bas", PathStatus::Found, "Twice/a.bas", PathStatus::Found},
        {"..\\Shared\\Gone\\x.bas", PathStatus::Missing, "Shared/Gone", PathStatus::Missing},
        {"..\\Twice\\A.bas", PathStatus::Ambiguous, "", PathStatus::Found},
        {"C:\\Code\\a.bas", PathStatus::Absolute, "", PathStatus::Missing},
        {"\\\\server\\share\\a.bas", PathStatus::Absolute, "", PathStatus::Missing},
    };
    for (const auto& c : cases) {
        const auto resolved = ResolveProjectPath(root / "App", c.path, 1252);
        EXPECT_EQ(resolved.status, test::kOnWindows ? c.onWindows : c.status) << c.path;
        if (c.found.empty()) {
            continue;
        }
        const fs::path expected = (root / c.found).lexically_normal();
        if (resolved.status == PathStatus::Found) {
            EXPECT_TRUE(fs::equivalent(resolved.path, expected)) << c.path;
        } else {
            EXPECT_EQ(resolved.path, expected) << c.path;
        }
    }
    if (test::kOnWindows) {
        const auto absolute = TextOf(root / "Shared" / "Lib" / "MLibs.bas");
        EXPECT_EQ(ResolveProjectPath(root / "App", absolute, 1252).status, PathStatus::Found);
    }
}

// The plan reads project and group files only: a module two projects name (any case) goes to
// the first, an ignored one is counted, a missing one or (once loaded) one of no VB6 a problem.
TEST(ProjectPlan, PlannedOnceThenLoaded) {
    TempDir temp;
    const fs::path root = temp.path();
    const std::string module = "Attribute VB_Name = \"Shared\"\r\nSub Main()\r\nEnd Sub\r\n";
    WriteBytes(root / "Shared.bas", module);
    WriteBytes(root / "A" / "Old.bas", module);
    WriteBytes(root / "A" / "Binary.bas", std::string("MZ\0\0", 4));
    WriteBytes(root / "A" / ".brindleignore", "Old.bas\n");
    WriteBytes(root / "A" / "A.vbp",
               "Type=Exe\r\nModule=Shared; ..\\Shared.bas\r\nModule=Old; Old.bas\r\n"
               "Module=Binary; Binary.bas\r\nModule=Gone; Gone.bas\r\nName=\"Alpha\"\r\n");
    WriteBytes(root / "B" / "B.vbp", "Type=Exe\r\nModule=Shared; ..\\SHARED.BAS\r\n");
    WriteBytes(root / "All.vbg", "VBGROUP 5.0\r\nStartupProject=A\\A.vbp\r\nProject=B\\B.vbp\r\n");

    const auto plan = PlanProjects(root / "All.vbg", 1252);
    ASSERT_EQ(plan.projects.size(), 2U);
    EXPECT_EQ(plan.projects[0].name, "Alpha");
    EXPECT_EQ(plan.projects[1].name, "B");
    std::vector<fs::path> planned;
    for (const auto& entry : plan.projects[0].modules) {
        planned.push_back(entry.path.filename());
    }
    EXPECT_EQ(planned, (std::vector<fs::path>{"Shared.bas", "Binary.bas"}));
    EXPECT_TRUE(plan.projects[1].modules.empty());
    ASSERT_EQ(plan.projects[0].ignored.size(), 1U);
    EXPECT_EQ(plan.projects[0].ignored[0].pattern, "Old.bas");
    ASSERT_EQ(plan.problems.size(), 1U);
    EXPECT_NE(plan.problems[0].subject.find("A.vbp:5"), std::string::npos);

    std::vector<std::size_t> told;
    const auto loaded = LoadProjects(root / "All.vbg", 1252,
                                     [&](std::size_t done, std::size_t) { told.push_back(done); });
    EXPECT_EQ(told, (std::vector<std::size_t>{0, 1, 2}));
    ASSERT_EQ(loaded.projects.size(), 2U);
    ASSERT_EQ(loaded.projects[0].modules.size(), 1U);
    EXPECT_EQ(loaded.projects[0].modules[0].original, module);
    EXPECT_EQ(loaded.Ignored(), 1);
    ASSERT_EQ(loaded.problems.size(), 2U);
    EXPECT_NE(loaded.problems[1].text.find("binary content"), std::string::npos);
}

// A group as a machine of each locale writes it, its files named here in UTF-8 but for one
// copied byte for byte; a missing module or project stops nothing and is told in UTF-8.
TEST(ProjectsFromEveryLocale, AreFoundAndToldInUtf8) {
    const struct {
        int codePage;
        std::string folder, module, copied;
    } locales[] = {
        {932, "表示", "時計", "ソフト"},  // 表 and ソ end in the byte of a backslash
        {1251, "Отчёты", "Модуль", "Настройки"},
    };
    for (const auto& locale : locales) {
        SCOPED_TRACE(locale.codePage);
        const auto bytes = [&](const std::string& utf8) { return FromUtf8(utf8, locale.codePage); };
        const auto module = [&](const std::string& name) {
            return bytes("Attribute VB_Name = \"" + name + "\"\r\nSub Go()\r\nEnd Sub\r\n");
        };
        test::TempDir temp;
        const auto root = temp.path();
        const auto project = root / test::PathOf(locale.folder);
        test::WriteBytes(project / "Code" / test::PathOf(locale.module + ".bas"),
                         module(locale.module));
        // Windows names every file in Unicode, whatever code page a copy came from.
        const auto copied = test::kOnWindows
                                ? test::PathOf(locale.folder) / test::PathOf(locale.copied + ".bas")
                                : fs::path(bytes(locale.folder)) / bytes(locale.copied + ".bas");
        test::WriteBytes(project / copied, module(locale.copied));
        test::WriteBytes(
            project / test::PathOf(locale.folder + ".vbp"),
            bytes("Type=Exe\r\nModule=" + locale.module + "; code\\" + locale.module +
                  ".BAS\r\nModule=" + locale.copied + "; " + locale.folder + "\\" + locale.copied +
                  ".bas\r\nModule=Gone; " + locale.module + "\\Gone.bas\r\n"));
        test::WriteBytes(
            root / "Group.vbg",
            bytes("VBGROUP 5.0\r\nStartupProject=" + locale.folder + "\\" + locale.folder +
                  ".vbp\r\nProject=Gone\\Gone.vbp\r\nProject=Group.vbg\r\n"));

        const auto loaded = LoadProjects(root / "Group.vbg", locale.codePage);
        ASSERT_EQ(loaded.projects.size(), 1u);
        ASSERT_EQ(loaded.projects[0].modules.size(), 2u);
        for (std::size_t i = 0; i < 2; ++i) {
            // The extension's case is the file system's: Windows keeps the project's ".BAS".
            EXPECT_EQ(test::PathOf(loaded.projects[0].modules[i].label).stem(),
                      test::PathOf(i == 0 ? locale.module : locale.copied));
        }
        std::vector<std::string> problems;
        for (const auto& problem : loaded.problems) {
            problems.push_back(problem.subject.substr(problem.subject.find_last_of("/\\") + 1) +
                               ": " + problem.text);
        }
        EXPECT_EQ(
            problems,
            (std::vector<std::string>{
                locale.folder + ".vbp:4: " + locale.module +
                    "\\Gone.bas: no such file; the other modules are done",
                "Group.vbg:3: Gone\\Gone.vbp: no such file; the other projects are done",
                "Group.vbg:4: Group.vbg: is this group itself, not a project; the other projects "
                "are done"}));
    }
}

// Modules named inside one document share it: saving one writes the document whole with that
// module changed and the other as it was.
TEST(DocumentModules, AreSavedInTheirDocument) {
    test::TempDir temp;
    const auto book = temp.path() / "Book.xls";
    fs::copy_file(test::SourceDir() / "corpus/office/apache__poi/test-data/spreadsheet/30070.xls",
                  book);
    auto loaded = LoadModules({book / "Module1", book / "Sheet1"}, 1252);
    auto& modules = loaded.projects.front().modules;
    ASSERT_EQ(modules.size(), 2U);
    EXPECT_EQ(modules[0].label.substr(modules[0].label.size() - 16), "Book.xls/Module1");
    EXPECT_EQ(modules[0].document, modules[1].document);
    modules[0].component->CodeModule().InsertLines(1, "' saved");
    ASSERT_EQ(SaveModule(modules[0]).problem, "");
    const auto again = LoadModules({book}, 1252);
    for (const auto& module : again.projects.front().modules) {
        const bool saved = module.component->Name() == "Module1";
        auto& code = module.component->CodeModule();
        EXPECT_EQ(code.CountOfLines() > 0 && code.Lines(1, 1) == "' saved", saved) << module.label;
    }
}

}  // namespace
}  // namespace brindle::host

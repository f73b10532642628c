// The brindle command line on whole projects and groups: the real projects of the corpus, and
// groups of our own in every locale.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "cli/cli_support.h"
#include "host/files/ProjectFile.h"
#include "host/vb6/CodePage.h"
#include "support/TestPaths.h"

namespace fs = std::filesystem;

namespace brindle::test {
namespace {

using Files = std::map<fs::path, std::string>;

// The module files a project names that exist, with their bytes; the paths of those that do
// not are added to `missing`.
Files ModulesOf(const fs::path& project, std::vector<std::string>& missing) {
    Files modules;
    for (const auto& entry : host::ParseProjectFile(host::ReadFileBytes(project), 1252).entries) {
        const auto found = host::ResolveProjectPath(project.parent_path(), entry.path, 1252);
        if (found.status == host::PathStatus::Found) {
            modules[found.path] = ReadBytes(found.path);
        } else {
            missing.push_back(entry.path);
        }
    }
    return modules;
}

// The files whose bytes are not these.
std::vector<fs::path> Differing(const Files& files) {
    std::vector<fs::path> differing;
    for (const auto& [file, bytes] : files) {
        if (ReadBytes(file) != bytes) {
            differing.push_back(file);
        }
    }
    return differing;
}

// Every project of the corpus: add-all changes the modules it names and finds, and only the one
// file that its authors left out of their repository is missing. remove-code-all gives back every
// byte; in a few, remove-markers-all keeps every generated line instead.
TEST(CorpusProjects, AddAllThenARemovalTakesOutItsCodeOrItsMarkers) {
    BRINDLE_NEEDS_CORPUS();
    TempDir temp;
    const auto corpus = temp.path() / "corpus";
    CopyFolder(CorpusDir(), corpus);
    const auto run = [&](const fs::path& project, const std::string& command) {
        return RunBrindle(project.parent_path(), temp.path() / "settings.ini",
                          {command, project.filename().string(), "--yes", "--quiet"});
    };
    const std::set<fs::path> unmarked = {
        corpus / "wqweto__ZipArchive/test/basic/Project1.vbp",
        corpus / "jpbro__VbFcgi/src/VbFcgiAppDemo/VbFcgiApp.vbp",
        corpus / "tannerhelland__vb6-code/Map-editor-2D/Map Editor.vbp"};
    const auto projects = FilesEndingIn({".vbp"}, corpus);
    EXPECT_GT(projects.size(), 50u);
    std::vector<std::string> missing;
    for (const auto& project : projects) {
        SCOPED_TRACE(project);
        const auto missed = missing.size();
        auto before = ModulesOf(project, missing);
        const auto added = run(project, "add-all");
        EXPECT_EQ(added.status, missing.size() > missed ? 1 : 0) << added.err;
        EXPECT_FALSE(Differing(before).empty());
        if (unmarked.contains(project)) {
            for (auto& [file, bytes] : before) {
                bytes = WithoutMarkerLines(ReadBytes(file));
            }
            const auto removed = run(project, "remove-markers-all");
            EXPECT_EQ(removed.status, 0) << removed.err;
        } else {
            const auto removed = run(project, "remove-code-all");
            EXPECT_EQ(removed.status, missing.size() > missed ? 1 : 0) << removed.err;
        }
        EXPECT_EQ(Differing(before), std::vector<fs::path>{});
    }
    EXPECT_EQ(missing, std::vector<std::string>{"cCommonDialog.cls"});
}

// A group and its projects as a machine of each locale writes them: the files name folders,
// components and procedures in its code page. Checked out here, the files are named in UTF-8,
// but for one that was copied byte for byte from Windows. A module that a second project names
// in another letter case is done once, and a missing module or project stops nothing.
TEST(ProjectsFromEveryLocale, AreFoundAndTheirNamesShownInUtf8) {
    const struct {
        int codePage;
        std::string folder, module, procedure, copied;
    } locales[] = {
        {932, "表示", "時計", "開始", "ソフト"},  // 表 and ソ end in the byte of a backslash
        {936, "报表", "时钟", "开始", "设置"},
        {1251, "Отчёты", "Модуль", "Старт", "Настройки"},
        {1252, "Relatórios", "Relatório", "Início", "Configuração"},
    };
    for (const auto& locale : locales) {
        SCOPED_TRACE(locale.codePage);
        const auto bytes = [&](const std::string& utf8) {
            return host::FromUtf8(utf8, locale.codePage);
        };
        const auto module = [&](const std::string& name) {
            return bytes("Attribute VB_Name = \"" + name +
                         "\"\r\nOption Explicit\r\n\r\nPublic Sub " + locale.procedure +
                         "()\r\n    Debug.Print \"" + name + "\"\r\nEnd Sub\r\n");
        };
        TempDir temp;
        const auto root = temp.path() / "work";
        const auto project = root / PathOf(locale.folder);
        const auto file = project / "Code" / PathOf(locale.module + ".bas");
        WriteBytes(file, module(locale.module));
        // Windows names every file in Unicode, whatever code page a copy came from.
        const auto copied = kOnWindows
                                ? PathOf(locale.folder) / PathOf(locale.copied + ".bas")
                                : fs::path(bytes(locale.folder)) / bytes(locale.copied + ".bas");
        WriteBytes(project / copied, module(locale.copied));
        WriteBytes(
            project / PathOf(locale.folder + ".vbp"),
            bytes("Type=Exe\r\nModule=" + locale.module + "; code\\" + locale.module +
                  ".BAS\r\nModule=" + locale.copied + "; " + locale.folder + "\\" + locale.copied +
                  ".bas\r\nModule=Gone; " + locale.module + "\\Gone.bas\r\n"));
        WriteBytes(root / "Again.vbp",
                   bytes("Type=Exe\r\nModule=" + locale.module + "; " + locale.folder + "\\CODE\\" +
                         locale.module + ".bas\r\n"));
        WriteBytes(root / "Group.vbg",
                   bytes("VBGROUP 5.0\r\nStartupProject=" + locale.folder + "\\" + locale.folder +
                         ".vbp\r\nProject=Again.vbp\r\nProject=Gone\\Gone.vbp\r\n"
                         "Project=Group.vbg\r\n"));
        const auto before = Snapshot(root);
        const auto settings = temp.path() / "settings.ini";
        // The code page is given, or kept as the default by the options command.
        std::vector<std::string> codePage = {"--codepage", std::to_string(locale.codePage)};
        if (locale.codePage == 932) {
            ASSERT_EQ(RunBrindle(root, settings, {"options", "--codepage", "932"}).status, 0);
            codePage.clear();
        }
        const auto run = [&](std::vector<std::string> args) {
            args.insert(args.end(), codePage.begin(), codePage.end());
            return RunBrindle(root, settings, args);
        };

        // Read in the default code page, a double-byte one is recognised and named.
        const auto unset = RunBrindle(root, temp.path() / "fresh.ini", {"check", "Group.vbg"});
        const std::string hint =
            "brindle: warning: Group.vbg reads as code page " + std::to_string(locale.codePage);
        EXPECT_EQ(Has(unset.err, hint), host::IsDoubleByteCodePage(locale.codePage)) << unset.err;

        const auto added = run({"add-all", "Group.vbg", "--yes"});
        EXPECT_EQ(added.status, 1);
        for (const std::string& message :
             {locale.folder + (kOnWindows ? "\\" : "/") + locale.folder +
                  ".vbp:4: " + locale.module + "\\Gone.bas: no such file",
              std::string("Group.vbg:4: Gone\\Gone.vbp: no such file"),
              std::string("Group.vbg:5: Group.vbg: is this group itself, not a project"),
              "[1/2] Adding module header, procedure headers, and error handlers to " +
                  locale.module + "\n",
              "[2/2] Adding module header, procedure headers, and error handlers to " +
                  locale.copied + "\n"}) {
            EXPECT_TRUE(Has(added.err, message));
        }
        EXPECT_EQ(CountLines(ReadBytes(file), bytes("' Module:   " + locale.module)), 1);

        const auto listed = run({"procedures", Generic(file.lexically_relative(root))});
        EXPECT_TRUE(Has(listed.out, "\n" + locale.procedure + "  "));
        const auto handler = run({"add-error-handlers", Generic(file.lexically_relative(root)),
                                  "--proc", locale.procedure});
        EXPECT_EQ(handler.status, 0) << handler.err;
        EXPECT_EQ(CountLines(ReadBytes(file), "    On Error GoTo BrindleErrorHandler"), 2);

        EXPECT_EQ(run({"remove-code-all", "Group.vbg", "--yes"}).status, 1);
        EXPECT_EQ(Snapshot(root), before);
    }
}

}  // namespace
}  // namespace brindle::test

// The brindle command line on whole projects and groups: the real projects of the corpus, and a
// group of our own with a shared module and a missing project.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "cli_support.h"
#include "host/files/ProjectFile.h"
#include "host/vb6/CodePage.h"
#include "support/TestPaths.h"

namespace fs = std::filesystem;

namespace brindle::test {
namespace {

using Files = std::map<fs::path, std::string>;

// The module files a project names that exist, with their bytes.
Files ModulesOf(const fs::path& project) {
    Files modules;
    for (const auto& entry : host::ParseProjectFile(host::ReadFileBytes(project), 1252).entries) {
        const auto found = host::ResolveProjectPath(project.parent_path(), entry.path, 1252);
        if (found.status == host::PathStatus::Found) {
            modules[found.path] = ReadBytes(found.path);
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

class CorpusProjects : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fs::exists(CorpusDir())) {
            GTEST_SKIP() << "no corpus";
        }
        CopyFolder(CorpusDir(), corpus());
    }

    fs::path corpus() const { return temp.path() / "corpus"; }
    BrindleRun Run(const fs::path& file, const std::string& command) const {
        return RunBrindle(file.parent_path(), temp.path() / "settings.ini",
                          {command, file.filename().string(), "--yes", "--quiet"});
    }

    // add-all: every module the project names changes, or the run says why not.
    void AddAll(const fs::path& project, const Files& before) {
        const auto run = Run(project, "add-all");
        const bool missing =
            run.err.find(": no such file; the other modules are done") != std::string::npos;
        EXPECT_EQ(run.status, missing ? 1 : 0) << project << "\n" << run.err;
        EXPECT_FALSE(Differing(before).empty()) << project;
    }

    TempDir temp;
};

TEST_F(CorpusProjects, AddAllThenRemoveCodeAllGivesBackEveryByte) {
    std::vector<fs::path> projects;
    for (const auto& entry : fs::recursive_directory_iterator(corpus())) {
        auto ext = entry.path().extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (ext == ".vbp") {
            projects.push_back(entry.path());
        }
    }
    EXPECT_GT(projects.size(), 50u);
    for (const auto& project : projects) {
        const auto before = ModulesOf(project);
        AddAll(project, before);
        const auto run = Run(project, "remove-code-all");
        EXPECT_LE(run.status, 1) << project << run.err;
        EXPECT_EQ(Differing(before), std::vector<fs::path>{});
    }
}

TEST_F(CorpusProjects, RemoveMarkersAllKeepsEveryGeneratedLine) {
    for (const char* name : {"wqweto__ZipArchive/test/basic/Project1.vbp",
                             "jpbro__VbFcgi/src/VbFcgiAppDemo/VbFcgiApp.vbp",
                             "tannerhelland__vb6-code/Map-editor-2D/Map Editor.vbp"}) {
        const auto project = corpus() / name;
        AddAll(project, ModulesOf(project));
        auto expected = ModulesOf(project);
        for (auto& [file, bytes] : expected) {
            bytes = WithoutMarkerLines(bytes);
        }
        const auto run = Run(project, "remove-markers-all");
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(Differing(expected), std::vector<fs::path>{});
    }
}

// A group of the example and a second project that shares the example's standard module,
// found in another letter case, and a project that is not there.
TEST(GroupFile, SharedModulesAreDoneOnceAndAMissingProjectStopsNothing) {
    TempDir temp;
    const auto shop = temp.path() / "Shop";
    CopyFolder(SourceDir() / "examples", shop / "Inventory");
    WriteBytes(shop / "Tools" / "modTools.bas",
               "Attribute VB_Name = \"modTools\"\r\nOption Explicit\r\n\r\n"
               "Public Function Twice(ByVal Value As Long) As Long\r\n"
               "    Twice = 2 * Value\r\nEnd Function\r\n");
    WriteBytes(shop / "Tools" / "Tools.vbp",
               "Type=OleDll\r\nModule=modTools; modTools.bas\r\n"
               "Module=modMain; ..\\INVENTORY\\MODMAIN.BAS\r\nName=\"Tools\"\r\n");
    WriteBytes(shop / "Shop.vbg",
               "VBGROUP 5.0\r\nStartupProject=inventory\\inventory.vbp\r\n"
               "Project=Tools\\Tools.vbp\r\nProject=Gone\\Gone.vbp\r\n");
    const auto before = Snapshot(shop);
    const auto settings = temp.path() / "settings.ini";

    const auto added = RunBrindle(shop, settings, {"add-all", "Shop.vbg", "--yes"});
    EXPECT_EQ(added.status, 1);
    EXPECT_NE(added.err.find("brindle: Shop.vbg:4: Gone\\Gone.vbp: no such file"),
              std::string::npos)
        << added.err;
    EXPECT_NE(added.err.find("[5/5] Adding module header, procedure headers, and error handlers "
                             "to modTools"),
              std::string::npos);
    EXPECT_EQ(CountLines(ReadBytes(shop / "Inventory" / "modMain.bas"), "' Module:   modMain"), 1);
    EXPECT_EQ(CountLines(ReadBytes(shop / "Tools" / "modTools.bas"), "' Module:   modTools"), 1);

    EXPECT_EQ(RunBrindle(shop, settings, {"remove-code-all", "Shop.vbg", "--yes"}).status, 1);
    EXPECT_EQ(Snapshot(shop), before);
}

// A group and its project as a machine of each locale writes them: the files name folders,
// components and procedures in its code page. Checked out here, the files are named in UTF-8,
// but for one that was copied byte for byte from Windows.
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
        WriteBytes(root / "Group.vbg", bytes("VBGROUP 5.0\r\nStartupProject=" + locale.folder +
                                             "\\" + locale.folder + ".vbp\r\n"));
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

        const auto added = run({"add-all", "Group.vbg", "--yes"});
        EXPECT_EQ(added.status, 1);
        for (const std::string& message :
             {"brindle: " + locale.folder + (kOnWindows ? "\\" : "/") + locale.folder +
                  ".vbp:4: " + locale.module + "\\Gone.bas: no such file",
              "[1/2] Adding module header, procedure headers, and error handlers to " +
                  locale.module + "\n",
              "[2/2] Adding module header, procedure headers, and error handlers to " +
                  locale.copied + "\n"}) {
            EXPECT_NE(added.err.find(message), std::string::npos) << message << "\n" << added.err;
        }
        EXPECT_EQ(CountLines(ReadBytes(file), bytes("' Module:   " + locale.module)), 1);

        const auto listed = run({"procedures", Generic(file.lexically_relative(root))});
        EXPECT_TRUE(listed.out.find("\n" + locale.procedure + "  ") != std::string::npos)
            << listed.out;
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

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
#include "support/TestPaths.h"

namespace fs = std::filesystem;

namespace brindle::test {
namespace {

using Files = std::map<fs::path, std::string>;

// The module files a project names that exist, with their bytes.
Files ModulesOf(const fs::path& project) {
    Files modules;
    for (const auto& entry : host::ParseProjectFile(host::ReadFileBytes(project)).entries) {
        const auto found = host::ResolveProjectPath(project.parent_path(), entry.path);
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
    EXPECT_NE(added.err.find("brindle: Shop.vbg: line 4: Gone\\Gone.vbp: no such file"),
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

}  // namespace
}  // namespace brindle::test

// The brindle command line on whole projects and groups: the real projects of the corpus, and a
// group of our own with a shared module and a missing project.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "cli_support.h"
#include "host/ProjectFile.h"
#include "support/TestPaths.h"

namespace fs = std::filesystem;

namespace brindle::test {
namespace {

bool HasExtension(const fs::path& file, const std::string& extension) {
    auto ext = file.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == extension;
}

// The module files a project names that exist.
std::vector<fs::path> ModulesOf(const fs::path& project) {
    std::vector<fs::path> modules;
    const auto contents = host::ParseProjectFile(host::ReadFileBytes(project));
    for (const auto& entry : contents.entries) {
        const auto found = host::ResolveProjectPath(project.parent_path(), entry.path);
        if (found.status == host::PathStatus::Found) {
            modules.push_back(found.path);
        }
    }
    return modules;
}

std::map<fs::path, std::string> Contents(const std::vector<fs::path>& files) {
    std::map<fs::path, std::string> contents;
    for (const auto& file : files) {
        contents[file] = ReadBytes(file);
    }
    return contents;
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
    BrindleRun Run(const fs::path& folder, const std::vector<std::string>& args) const {
        return RunBrindle(folder, temp.path() / "settings.ini", args);
    }

    std::vector<fs::path> Projects() const {
        std::vector<fs::path> projects;
        for (const auto& entry : fs::recursive_directory_iterator(corpus())) {
            if (HasExtension(entry.path(), ".vbp")) {
                projects.push_back(entry.path());
            }
        }
        std::sort(projects.begin(), projects.end());
        return projects;
    }

    // add-all: every module the project names changes, or the run says why not.
    void AddAll(const fs::path& project, const std::map<fs::path, std::string>& before) {
        const auto run = Run(project.parent_path(),
                             {"add-all", project.filename().string(), "--yes", "--quiet"});
        const bool missing =
            run.err.find(": no such file; the other modules are done") != std::string::npos;
        EXPECT_EQ(run.status, missing ? 1 : 0) << project << "\n" << run.err;
        int changed = 0;
        for (const auto& [file, bytes] : before) {
            changed += ReadBytes(file) != bytes ? 1 : 0;
        }
        EXPECT_GT(changed, 0) << project;
    }

    TempDir temp;
};

TEST_F(CorpusProjects, AddAllThenRemoveCodeAllGivesBackEveryByte) {
    int projects = 0;
    for (const auto& project : Projects()) {
        ++projects;
        const auto modules = ModulesOf(project);
        const auto before = Contents(modules);
        AddAll(project, before);
        const auto run = Run(project.parent_path(),
                             {"remove-code-all", project.filename().string(), "--yes", "-q"});
        EXPECT_LE(run.status, 1) << project << run.err;
        for (const auto& [file, bytes] : before) {
            EXPECT_TRUE(ReadBytes(file) == bytes) << file;
        }
    }
    EXPECT_GT(projects, 50);
}

TEST_F(CorpusProjects, RemoveMarkersAllKeepsEveryGeneratedLine) {
    for (const char* name : {"wqweto__ZipArchive/test/basic/Project1.vbp",
                             "jpbro__VbFcgi/src/VbFcgiAppDemo/VbFcgiApp.vbp",
                             "tannerhelland__vb6-code/Map-editor-2D/Map Editor.vbp"}) {
        const auto project = corpus() / name;
        const auto modules = ModulesOf(project);
        AddAll(project, Contents(modules));
        std::map<fs::path, std::string> expected;
        for (const auto& [file, bytes] : Contents(modules)) {
            const bool breakAtEnd = bytes.size() >= 2 && bytes.substr(bytes.size() - 2) == "\r\n";
            const auto lines = SplitLines(bytes);
            for (std::size_t i = 0; i < lines.size(); ++i) {
                if (lines[i] != kBeginMarker && lines[i] != kEndMarker) {
                    expected[file] += lines[i] + (i + 1 < lines.size() || breakAtEnd ? "\r\n" : "");
                }
            }
        }
        const auto run = Run(project.parent_path(),
                             {"remove-markers-all", project.filename().string(), "--yes"});
        EXPECT_EQ(run.status, 0) << run.err;
        for (const auto& [file, bytes] : expected) {
            EXPECT_TRUE(ReadBytes(file) == bytes) << file;
        }
    }
}

TEST_F(CorpusProjects, AGroupRunsOnEachOfItsProjects) {
    const auto group = corpus() / "dzzie__js4vb/examples/1_basic/Group_w_DLL.vbg";
    auto modules = ModulesOf(group.parent_path() / "Project1.vbp");
    const auto library = ModulesOf(corpus() / "dzzie__js4vb/_vbjs_dll.vbp");
    modules.insert(modules.end(), library.begin(), library.end());
    const auto before = Contents(modules);

    const auto added = Run(group.parent_path(), {"add-all", group.filename().string(), "--yes"});
    ASSERT_EQ(added.status, 0) << added.err;
    for (const auto& [file, bytes] : before) {
        EXPECT_FALSE(ReadBytes(file) == bytes) << file;
    }
    const auto total = "/" + std::to_string(modules.size()) + "] ";
    EXPECT_NE(added.err.find("[1" + total), std::string::npos) << added.err;
    EXPECT_NE(added.err.find("[" + std::to_string(modules.size()) + total), std::string::npos);

    const auto removed =
        Run(group.parent_path(), {"remove-code-all", group.filename().string(), "--yes"});
    ASSERT_EQ(removed.status, 0) << removed.err;
    for (const auto& [file, bytes] : before) {
        EXPECT_TRUE(ReadBytes(file) == bytes) << file;
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

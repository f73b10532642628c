#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "host/ProjectFile.h"
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

TEST(ProjectFileParsing, ComponentsInFileOrderWithNamesAndWithoutTheOtherKeys) {
    const auto contents = ParseProjectFile(kProject);
    EXPECT_EQ(contents.name, "Inventory");
    ASSERT_EQ(contents.entries.size(), 7u);
    const std::vector<std::string> keys = {"Form",         "Module",       "class",   "UserControl",
                                           "PropertyPage", "UserDocument", "Designer"};
    const std::vector<std::string> paths = {
        "frmMain.frm",        "Code\\modMain.bas", "Code\\Widget.cls", "Controls\\Gauge.ctl",
        "Pages\\pgGauge.pag", "Doc.dob",           "Report.dsr"};
    for (std::size_t i = 0; i < keys.size(); ++i) {
        EXPECT_EQ(contents.entries[i].key, keys[i]);
        EXPECT_EQ(contents.entries[i].path, paths[i]);
    }
    EXPECT_EQ(contents.entries[0].name, "");
    EXPECT_EQ(contents.entries[1].name, "modMain");
    EXPECT_EQ(contents.entries[2].name, "CWidget");
    EXPECT_EQ(contents.entries[1].line, 5);
}

TEST(ProjectFileParsing, AcceptsLineFeedsAndAMissingName) {
    const auto contents = ParseProjectFile("Type=OleDll\nClass=A; A.cls\n");
    EXPECT_EQ(contents.name, "");
    ASSERT_EQ(contents.entries.size(), 1u);
    EXPECT_EQ(contents.entries[0].path, "A.cls");
}

TEST(ProjectFileParsing, RefusesWhatIsNoProjectFile) {
    EXPECT_THROW(ParseProjectFile("Attribute VB_Name = \"Module1\"\r\nOption Explicit\r\n"),
                 ProjectFileError);
    EXPECT_THROW(ParseProjectFile(std::string("Type=Exe\r\n\0\x01\x02", 13)), ProjectFileError);
    EXPECT_THROW(ParseProjectFile("Name=\"NoType\"\r\nForm=a.frm\r\n"), ProjectFileError);
    EXPECT_THROW(ParseProjectFile(""), ProjectFileError);
}

TEST(GroupFileParsing, ProjectsInFileOrderWithTheStartupProjectMarked) {
    const auto projects = ParseGroupFile(
        "VBGROUP 5.0\r\nProject=..\\Lib\\Lib.vbp\r\nStartupProject=App.vbp\r\nProject=x.vbp\r\n");
    ASSERT_EQ(projects.size(), 3u);
    EXPECT_EQ(projects[0].path, "..\\Lib\\Lib.vbp");
    EXPECT_FALSE(projects[0].startup);
    EXPECT_EQ(projects[1].path, "App.vbp");
    EXPECT_TRUE(projects[1].startup);
    EXPECT_EQ(projects[2].line, 4);
    EXPECT_THROW(ParseGroupFile("Type=Exe\r\nProject=a.vbp\r\n"), ProjectFileError);
}

class PathResolution : public ::testing::Test {
protected:
    void SetUp() override {
        WriteBytes(root() / "App" / "App.vbp", "Type=Exe\r\n");
        WriteBytes(root() / "Shared" / "Lib" / "MLibs.bas", "x");
        WriteBytes(root() / "Twice" / "a.bas", "1");
        WriteBytes(root() / "Twice" / "A.BAS", "2");
    }
    fs::path root() const { return temp.path(); }
    fs::path app() const { return root() / "App"; }
    TempDir temp;
};

TEST_F(PathResolution, ExactPathWithBackslashesAndParentFolders) {
    const auto found = ResolveProjectPath(app(), "..\\Shared\\Lib\\MLibs.bas");
    EXPECT_EQ(found.status, PathStatus::Found);
    EXPECT_EQ(found.path, (root() / "Shared" / "Lib" / "MLibs.bas").lexically_normal());
}

TEST_F(PathResolution, FindsEachFolderAndTheFileIgnoringCase) {
    const auto found = ResolveProjectPath(app(), "..\\shared\\LIB\\mlibs.BAS");
    EXPECT_EQ(found.status, PathStatus::Found);
    EXPECT_EQ(found.path, (root() / "Shared" / "Lib" / "MLibs.bas").lexically_normal());
    EXPECT_EQ(ResolveProjectPath(app(), ".\\App.VBP").path, (app() / "App.vbp"));
}

TEST_F(PathResolution, ReportsMissingAmbiguousAndAbsolutePaths) {
    const auto missing = ResolveProjectPath(app(), "..\\Shared\\Gone\\x.bas");
    EXPECT_EQ(missing.status, PathStatus::Missing);
    EXPECT_EQ(missing.path, (root() / "Shared" / "Gone").lexically_normal());
    EXPECT_NE(DescribeResolution(missing, "..\\Shared\\Gone\\x.bas").find("no such file"),
              std::string::npos);

    EXPECT_EQ(ResolveProjectPath(app(), "..\\twice\\a.bas").status, PathStatus::Found);
    EXPECT_EQ(ResolveProjectPath(app(), "..\\Twice\\A.bas").status, PathStatus::Ambiguous);
    EXPECT_EQ(ResolveProjectPath(app(), "C:\\Code\\a.bas").status, PathStatus::Absolute);
    EXPECT_EQ(ResolveProjectPath(app(), "\\\\server\\share\\a.bas").status, PathStatus::Absolute);
}

// Every project of the corpus parses, and every component it names is found, except the one
// file that its authors left out of their repository.
TEST(ProjectFileCorpus, EveryProjectParsesAndItsComponentsResolve) {
    if (!fs::exists(test::CorpusDir())) {
        GTEST_SKIP() << "no corpus";
    }
    int projects = 0;
    int components = 0;
    std::vector<std::string> missing;
    for (const auto& entry : fs::recursive_directory_iterator(test::CorpusDir())) {
        if (entry.path().extension() != ".vbp") {
            continue;
        }
        ++projects;
        const auto contents = ParseProjectFile(ReadFileBytes(entry.path()));
        EXPECT_FALSE(contents.name.empty()) << entry.path();
        for (const auto& component : contents.entries) {
            ++components;
            const auto found = ResolveProjectPath(entry.path().parent_path(), component.path);
            if (found.status != PathStatus::Found) {
                missing.push_back(component.path);
            }
        }
    }
    EXPECT_GT(projects, 50);
    EXPECT_GT(components, 300);
    EXPECT_EQ(missing, std::vector<std::string>{"cCommonDialog.cls"});
}

}  // namespace
}  // namespace brindle::host

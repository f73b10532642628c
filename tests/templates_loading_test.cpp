#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "host/TemplateFileReader.h"
#include "support/TestPaths.h"
#include "templates/OptionStore.h"

namespace brindle {
namespace {

namespace fs = std::filesystem;
using host::TemplateFileReader;

// Runs a test from a folder of its own, as a user starting Brindle there.
class InFolder {
public:
    explicit InFolder(const fs::path& folder) : previous_(fs::current_path()) {
        fs::current_path(folder);
    }
    ~InFolder() { fs::current_path(previous_); }
    InFolder(const InFolder&) = delete;
    InFolder& operator=(const InFolder&) = delete;

private:
    fs::path previous_;
};

class Loading : public ::testing::Test {
protected:
    test::TempDir work;
    test::TempDir installed;
    InFolder inWork{work.path()};
    TemplateFileReader files{{installed.path()}};
    AddinFields fields;

    std::string Loaded(const std::string& bytes) {
        test::WriteBytes(work.path() / "t.txt", bytes);
        LoadTemplates(files, "t.txt", "", "", "", fields);
        return fields.msModHdrTmplt;
    }
};

TEST_F(Loading, EachLineEndsInOneLineFeed) {
    EXPECT_EQ(Loaded("a\r\nb\r\nc\r\n"), "a\nb\nc\n");
    EXPECT_EQ(Loaded("a\r\nb\r\nc"), "a\nb\nc\n");
    EXPECT_EQ(Loaded("a\r\nb\r\n\r\n"), "a\nb\n\n");
    EXPECT_EQ(Loaded("a\rb\r"), "a\nb\n");
    EXPECT_EQ(Loaded("a\r\r\nb"), "a\n\nb\n");
    EXPECT_EQ(Loaded(""), "");
}

TEST_F(Loading, ALoneLineFeedStaysInsideItsLine) {
    EXPECT_EQ(Loaded("a\nb"), "a\nb\n");
    EXPECT_EQ(Loaded("a\nb\n"), "a\nb\n\n");
    EXPECT_EQ(Loaded("a\n\r\nb"), "a\n\nb\n");
}

TEST_F(Loading, BytesAreKeptAsTheyAre) {
    EXPECT_EQ(Loaded("' Caf\xE9 \x80\t%Author%\r\n"), "' Caf\xE9 \x80\t%Author%\n");
}

TEST_F(Loading, AnUnreadableFileLeavesItsTemplateEmptyAndTheNextIsRead) {
    test::WriteBytes(work.path() / "three.txt", "3\r\n");
    test::WriteBytes(work.path() / "four.txt", "4\r\n");
    fs::create_directory(work.path() / "folder.txt");
    fields.msModHdrTmplt = "old";
    fields.msProcHdrTmplt = "old";
    LoadTemplates(files, "missing.txt", "folder.txt", "three.txt", "four.txt", fields);
    EXPECT_EQ(fields.msModHdrTmplt, "");
    EXPECT_EQ(fields.msProcHdrTmplt, "");
    EXPECT_EQ(fields.msErrHdrTmplt, "3\n");
    EXPECT_EQ(fields.msErrFtrTmplt, "4\n");

    LoadTemplates(files, "", "", "", "", fields);
    EXPECT_EQ(fields.msErrFtrTmplt, "");
}

TEST_F(Loading, BackslashesSeparateFoldersAndTheCurrentFolderComesFirst) {
    test::WriteBytes(work.path() / "Templates" / "StandardVBErrHeader.txt", "local\r\n");
    test::WriteBytes(installed.path() / "StandardVBErrHeader.txt", "installed\r\n");
    test::WriteBytes(installed.path() / "StandardVBErrFooter.txt", "installed footer\r\n");
    LoadTemplates(files, kDefaultModHdrFname, kDefaultProcHdrFname, kDefaultErrHdrFname,
                  kDefaultErrFtrFname, fields);
    EXPECT_EQ(fields.msModHdrTmplt, "");
    EXPECT_EQ(fields.msErrHdrTmplt, "local\n");
    EXPECT_EQ(fields.msErrFtrTmplt, "installed footer\n");
}

TEST_F(Loading, OnlyTheTemplatesFolderIsLookedUpInTheInstalledFolders) {
    test::WriteBytes(installed.path() / "Custom.txt", "x\r\n");
    test::WriteBytes(installed.path() / "Sub" / "Custom.txt", "y\r\n");
    EXPECT_FALSE(files.Read("Custom.txt"));
    EXPECT_FALSE(files.Read(".\\Other\\Custom.txt"));
    EXPECT_EQ(files.Read("templates\\Sub\\Custom.txt"), "y\r\n");
    EXPECT_EQ(files.Read((installed.path() / "Custom.txt").string()), "x\r\n");
    EXPECT_FALSE(files.Read(".\\Templates"));
}

TEST_F(Loading, TheDefaultsAreFoundFromAnyFolder) {
    TemplateFileReader defaults;
    AddinFields loaded;
    LoadTemplates(defaults, kDefaultModHdrFname, kDefaultProcHdrFname, kDefaultErrHdrFname,
                  kDefaultErrFtrFname, loaded);
    EXPECT_NE(loaded.msModHdrTmplt, "");
    EXPECT_NE(loaded.msProcHdrTmplt, "");
    EXPECT_NE(loaded.msErrHdrTmplt, "");
    EXPECT_NE(loaded.msErrFtrTmplt, "");
}

TEST(DefaultTemplates, AreCommentsOrAnErrorHandlerWithCrLfLineEnds) {
    const fs::path folder = test::SourceDir() / "Templates";
    for (const char* name : {"StandardVBModuleHeader.txt", "StandardVBProcedureHeader.txt",
                             "StandardVBErrHeader.txt", "StandardVBErrFooter.txt"}) {
        const std::string bytes = test::ReadBytes(folder / name);
        ASSERT_GE(bytes.size(), 2u) << name;
        EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n") << name;
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            if (bytes[i] == '\n') {
                EXPECT_EQ(bytes[i - 1], '\r') << name << " has a bare LF";
            }
        }
    }
    const std::string header = test::ReadBytes(folder / "StandardVBProcedureHeader.txt");
    EXPECT_NE(header.find("%ProcedureName%"), std::string::npos);
    EXPECT_NE(header.find("%Parameters%"), std::string::npos);
}

}  // namespace
}  // namespace brindle

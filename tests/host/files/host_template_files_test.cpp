// Template files: where a path leads, and their text in UTF-8 whatever the editor saved them in.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "host/files/FileSystem.h"
#include "host/files/TemplateFileReader.h"
#include "support/TestPaths.h"

namespace brindle::host {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

// From a folder of its own, as a user starting Brindle there.
class TemplateFiles : public ::testing::Test {
protected:
    void SetUp() override { fs::current_path(work.path()); }
    void TearDown() override { fs::current_path(previous); }

    fs::path previous = fs::current_path();
    test::TempDir work;
    test::TempDir installed;
    TemplateFileReader files{{installed.path()}};
};

// UTF-8 after its byte order mark or when valid, UTF-16 after its mark, otherwise the code page;
// the mark is dropped. The characters the code page lacks are told once a file, each once.
TEST_F(TemplateFiles, AreReadInTheEncodingTheyWereSavedIn) {
    const std::tuple<int, std::string, std::string> cases[] = {
        {1252, "\xEF\xBB\xBF' Zo\xC3\xAB\r\n", "' Zo\xC3\xAB\r\n"},
        {1252, "' Zo\xEB\r\n", "' Zo\xC3\xAB\r\n"},
        {1252, "\xFF\xFE'\0 \0Z\0o\0\xEB\0\r\0\n\0"s, "' Zo\xC3\xAB\r\n"},
        {1252, "\xFE\xFF\0'\0 \0Z\0o\0\xEB\0\r\0\n"s, "' Zo\xC3\xAB\r\n"},
        {932, "' \x8E\x9E\x8C\x76\r\n", "' \xE6\x99\x82\xE8\xA8\x88\r\n"},
        {932, "\xEF\xBB\xBF", ""}};
    std::vector<std::string> warnings;
    for (const auto& [codePage, bytes, text] : cases) {
        files.SetCodePage(codePage, [&](std::string_view w) { warnings.emplace_back(w); });
        test::WriteBytes(work.path() / "t.txt", bytes);
        EXPECT_EQ(files.Read("t.txt"), text) << testing::PrintToString(bytes);
    }
    test::WriteBytes(work.path() / "zoe.txt", "' Zo\xC3\xAB \xE2\x82\xAC\xC3\xAB\r\n");
    files.Read("zoe.txt");
    files.Read("zoe.txt");
    EXPECT_EQ(warnings, std::vector<std::string>{"template zoe.txt: code page 932 lacks these "
                                                 "characters, each is written as \"?\": "
                                                 "\xC3\xAB\xE2\x82\xAC"});
}

// A file that is no text would reach every module as it is: it is refused, with the reason.
TEST_F(TemplateFiles, OneThatIsNoTextIsRefusedWithTheReason) {
    const std::pair<std::string, std::string> cases[] = {
        {"' a\0b\r\n"s, "it holds NUL bytes, so it is no text"},
        {"'\0 \0a\0\r\0\n\0"s,
         "it looks like UTF-16 without a byte order mark; save it as UTF-8, or as UTF-16 with a "
         "byte order mark"},
        {"\xEF\xBB\xBF' \xFF\r\n",
         "it starts with the byte order mark of UTF-8 but is no valid UTF-8"},
        {"\xFF\xFE'\0a"s,
         "it starts with the byte order mark of UTF-16 LE but is no valid UTF-16 LE"},
        {"\xFF\xFE'\0\0\0"s, "it holds NUL characters, so it is no text"},
    };
    for (const auto& [bytes, why] : cases) {
        test::WriteBytes(work.path() / "t.txt", bytes);
        EXPECT_FALSE(files.Read("t.txt")) << testing::PrintToString(bytes);
        EXPECT_EQ(files.WhyRefused("t.txt"), why);
    }
    test::WriteBytes(work.path() / "t.txt", "' a\r\n");
    EXPECT_EQ(files.Read("t.txt"), "' a\r\n");
    EXPECT_EQ(files.WhyRefused("t.txt"), "");
}

// Backslashes separate folders; the current folder comes first, and only the Templates folder
// is looked up in the installed folders. A DLL in another program's current folder looks for a
// relative path missing there beside the DLL, the default templates in its Templates folder.
TEST_F(TemplateFiles, TheCurrentFolderComesFirstThenTheInstalledTemplatesFolder) {
    test::WriteBytes(work.path() / "Templates" / "StandardVBErrHeader.txt", "local\r\n");
    test::WriteBytes(installed.path() / "StandardVBErrHeader.txt", "installed\r\n");
    test::WriteBytes(installed.path() / "Custom.txt", "x\r\n");
    test::WriteBytes(installed.path() / "Sub" / "Custom.txt", "y\r\n");
    EXPECT_EQ(files.Read(".\\Templates\\StandardVBErrHeader.txt"), "local\r\n");
    EXPECT_EQ(files.Read(".\\Templates\\Custom.txt"), "x\r\n");
    EXPECT_FALSE(files.Read("Custom.txt"));
    EXPECT_FALSE(files.Read(".\\Other\\Custom.txt"));
    EXPECT_EQ(files.Read("templates\\Sub\\Custom.txt"), "y\r\n");
    EXPECT_EQ(files.Read(TextOf(installed.path() / "Custom.txt")), "x\r\n");
    EXPECT_FALSE(files.Read(".\\Templates"));

    TemplateFileReader beside = TemplateFileReader::Beside(installed.path());
    test::WriteBytes(installed.path() / "Templates" / "StandardVBErrFooter.txt", "dll\r\n");
    test::WriteBytes(installed.path() / "Team" / "Header.txt", "team\r\n");
    test::WriteBytes(work.path() / "Team" / "Footer.txt", "here\r\n");
    test::WriteBytes(installed.path() / "Team" / "Footer.txt", "dll footer\r\n");
    EXPECT_EQ(beside.Read(".\\Templates\\StandardVBErrFooter.txt"), "dll\r\n");
    EXPECT_EQ(beside.Read("Team\\Header.txt"), "team\r\n");
    EXPECT_EQ(beside.Read("Team\\Footer.txt"), "here\r\n");
    EXPECT_FALSE(beside.Read("Team\\Missing.txt"));
}

// From a folder without templates the defaults are found; they have CR LF line ends.
TEST_F(TemplateFiles, TheDefaultsAreFoundFromAnyFolder) {
    TemplateFileReader defaults;
    for (const char* name : {"StandardVBModuleHeader.txt", "StandardVBProcedureHeader.txt",
                             "StandardVBErrHeader.txt", "StandardVBErrFooter.txt"}) {
        const std::string bytes = test::ReadBytes(test::SourceDir() / "Templates" / name);
        EXPECT_NE(defaults.Read(".\\Templates\\"s + name).value_or(""), "") << name;
        EXPECT_TRUE(bytes.ends_with("\r\n")) << name;
        for (std::size_t i = 1; i < bytes.size(); ++i) {
            EXPECT_FALSE(bytes[i] == '\n' && bytes[i - 1] != '\r') << name << " has a bare LF";
        }
    }
}

}  // namespace
}  // namespace brindle::host

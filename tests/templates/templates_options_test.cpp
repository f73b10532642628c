#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <tuple>

#include "host/files/FileSystem.h"
#include "host/files/TemplateFileReader.h"
#include "host/settings/SettingsFile.h"
#include "support/TestPaths.h"
#include "templates/OptionStore.h"

namespace brindle {
namespace {

namespace fs = std::filesystem;
using host::SettingsFile;
using host::TemplateFileReader;
using namespace std::string_literals;

auto Tied(const AddinFields& f) {
    return std::tie(f.msModHdrFname, f.msProcHdrFname, f.msErrHdrFname, f.msErrFtrFname, f.msAuthor,
                    f.mbAddCodeMarkers, f.msLastDir, f.mbDisableSplash, f.mbSkipExisting);
}

class Options : public ::testing::Test {
protected:
    test::TempDir dir;
    SettingsFile store{dir.path() / "settings.ini"};

    // The store as another run, or a user editing it, finds it.
    SettingsFile Fresh() { return SettingsFile(dir.path() / "settings.ini"); }
    void Store(const char* section, const char* key, const char* text) {
        Fresh().SaveSetting(kAppName, section, key, text);
    }
    AddinFields Load() {
        SettingsFile fresh = Fresh();
        AddinFields fields;
        LoadOptions(fresh, fields);
        return fields;
    }
    void Save(const AddinFields& fields) {
        SettingsFile fresh = Fresh();
        SaveOptions(fresh, fields);
    }
    std::string Stored(const char* section, const char* key) {
        return Fresh().GetSetting(kAppName, section, key, "<absent>");
    }
};

// An empty store gives the defaults, and saving them leaves it empty: a value is written only
// when it changed since it was loaded, as text under its section and key. Every field loads as
// it was saved.
TEST_F(Options, OnlyChangedValuesAreSavedAndEveryFieldLoadsAsSaved) {
    AddinFields fields;
    LoadOptions(store, fields);
    EXPECT_EQ(Tied(fields), std::make_tuple(".\\Templates\\StandardVBModuleHeader.txt"s,
                                            ".\\Templates\\StandardVBProcedureHeader.txt"s,
                                            ".\\Templates\\StandardVBErrHeader.txt"s,
                                            ".\\Templates\\StandardVBErrFooter.txt"s,
                                            host::UserName(), true, "C:\\"s, false, false));
    SaveOptions(store, fields);
    EXPECT_FALSE(fs::exists(dir.path() / "settings.ini"));
    EXPECT_EQ(Stored("Options", "Author"), "<absent>");

    fields.mbAddCodeMarkers = false;
    fields.mbDisableSplash = true;
    fields.msLastDir = "D:\\";
    SaveOptions(store, fields);
    EXPECT_EQ(Stored("Options", "Add Code Markers"), "False");
    EXPECT_EQ(Stored("Options", "Disable Splash"), "True");
    EXPECT_EQ(Stored("State", "Last Directory"), "D:\\");
    EXPECT_EQ(Stored("Options", "Author"), "<absent>");
    EXPECT_EQ(Stored("State", "Disable Splash"), "<absent>");

    AddinFields saved;
    saved.msModHdrFname = "";
    saved.msProcHdrFname = "/opt/team/Proc Header.txt";
    saved.msErrHdrFname = "..\\shared\\Err, Header.txt";
    saved.msErrFtrFname = "  spaced  ";
    saved.msAuthor = "Zo\xC3\xAB \"Q\" O'Brien; #1 = @dev \xE6\x97\xA5\xE6\x9C\xAC";
    saved.mbAddCodeMarkers = false;
    saved.msLastDir = "/home/me/vb";
    saved.mbDisableSplash = true;
    saved.mbSkipExisting = true;
    Save(saved);
    EXPECT_EQ(Tied(Load()), Tied(saved));
    EXPECT_EQ(Stored("Options", "Skip Existing"), "True");
}

// As the host language converts text. A text that is no Boolean gives the default (Add Code
// Markers on, Disable Splash off), the rest still loads, and saving keeps that text: it was
// never read from it. Saving keeps a text that reads as the value too. A value the user chose
// is written.
TEST_F(Options, BooleansReadAsTheHostLanguageConvertsText) {
    const std::pair<const char*, std::optional<bool>> cases[] = {
        {"false", false},      {"FALSE", false},     {"0", false},           {" 0 ", false},
        {"0.0", false},        {"True", true},       {"tRUE", true},         {"-1", true},
        {"1", true},           {"2.5", true},        {"yes", std::nullopt},  {"", std::nullopt},
        {"nan", std::nullopt}, {"1x", std::nullopt}, {"&H0", false},         {"&o1", true},
        {"&HfF", true},        {"&H", std::nullopt}, {"&H-1", std::nullopt}, {"&O8", std::nullopt}};
    AddinFields fields;
    for (const auto& [text, value] : cases) {
        Store("Options", "Add Code Markers", text);
        Store("Options", "Disable Splash", text);
        Store("State", "Last Directory", "D:\\Projects\\");
        fields = Load();
        EXPECT_EQ(fields.mbAddCodeMarkers, value.value_or(true)) << text;
        EXPECT_EQ(fields.mbDisableSplash, value.value_or(false)) << text;
        EXPECT_EQ(fields.msLastDir, "D:\\Projects\\") << text;
        Save(fields);
        EXPECT_EQ(Stored("Options", "Add Code Markers"), text);
        EXPECT_EQ(Stored("Options", "Disable Splash"), text);
    }
    fields.mbAddCodeMarkers = false;
    fields.mbDisableSplash = true;
    Save(fields);
    EXPECT_EQ(Stored("Options", "Add Code Markers"), "False");
    EXPECT_EQ(Stored("Options", "Disable Splash"), "True");
}

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
};

// Lines end at CR or CR LF, and a lone LF stays inside its line. The text is UTF-8 after its
// byte order mark or when valid, UTF-16 after its mark, otherwise in the code page; the mark is
// dropped.
TEST_F(Loading, TextIsReadInTheEncodingItWasSavedInEachLineEndedByOneLineFeed) {
    const std::tuple<int, std::string, std::string> cases[] = {
        {1252, "a\r\nb\r\nc\r\n", "a\nb\nc\n"},
        {1252, "a\r\nb\r\nc", "a\nb\nc\n"},
        {1252, "a\rb\r", "a\nb\n"},
        {1252, "a\r\r\nb", "a\n\nb\n"},
        {1252, "", ""},
        {1252, "a\nb\n", "a\nb\n\n"},
        {1252, "a\n\r\nb", "a\n\nb\n"},
        {1252, "\xEF\xBB\xBF' Zo\xC3\xAB\r\n", "' Zo\xC3\xAB\n"},
        {1252, "' Zo\xEB\r\n", "' Zo\xC3\xAB\n"},
        {1252, "\xFF\xFE'\0 \0Z\0o\0\xEB\0\r\0\n\0"s, "' Zo\xC3\xAB\n"},
        {1252, "\xFE\xFF\0'\0 \0Z\0o\0\xEB\0\r\0\n"s, "' Zo\xC3\xAB\n"},
        {932, "' \x8E\x9E\x8C\x76\r\n", "' \xE6\x99\x82\xE8\xA8\x88\n"},
        {932, "\xEF\xBB\xBF", ""}};
    std::vector<std::string> warnings;
    for (const auto& [codePage, bytes, text] : cases) {
        files.SetCodePage(codePage, [&](std::string_view w) { warnings.emplace_back(w); });
        test::WriteBytes(work.path() / "t.txt", bytes);
        LoadTemplates(files, "t.txt", "", "", "", fields);
        EXPECT_EQ(fields.msModHdrTmplt, text) << testing::PrintToString(bytes);
    }
    // The characters the code page lacks are told once a file, each once.
    test::WriteBytes(work.path() / "zoe.txt", "' Zo\xC3\xAB \xE2\x82\xAC\xC3\xAB\r\n");
    LoadTemplates(files, "zoe.txt", "zoe.txt", "t.txt", "", fields);
    EXPECT_EQ(warnings, std::vector<std::string>{"template zoe.txt: code page 932 lacks these "
                                                 "characters, each is written as \"?\": "
                                                 "\xC3\xAB\xE2\x82\xAC"});
}

// A file that is no text would reach every module as it is: it is refused, with the reason,
// and its template stays empty. Once mended, it is read again. A file missing or unreadable
// leaves its template empty too, and the next one is still read.
TEST_F(Loading, AFileThatIsNoTextIsRefusedWithTheReason) {
    const std::string utf16 =
        "it looks like UTF-16 without a byte order mark; save it as UTF-8, "
        "or as UTF-16 with a byte order mark";
    const std::pair<std::string, std::string> cases[] = {
        {"' a\0b\r\n"s, "it holds NUL bytes, so it is no text"},
        {"'\0 \0a\0\r\0\n\0"s, utf16},
        {"\xEF\xBB\xBF' \xFF\r\n",
         "it starts with the byte order mark of UTF-8 but is no valid UTF-8"},
        {"\xFF\xFE'\0a"s,
         "it starts with the byte order mark of UTF-16 LE but is no valid UTF-16 LE"},
        {"\xFF\xFE'\0\0\0"s, "it holds NUL characters, so it is no text"},
    };
    for (const auto& [bytes, why] : cases) {
        test::WriteBytes(work.path() / "t.txt", bytes);
        fields.msModHdrTmplt = "old";
        LoadTemplates(files, "t.txt", "", "", "", fields);
        EXPECT_EQ(fields.msModHdrTmplt, "") << testing::PrintToString(bytes);
        ASSERT_TRUE(fields.templateRefusals.contains("t.txt")) << testing::PrintToString(bytes);
        EXPECT_EQ(fields.templateRefusals.at("t.txt").why, why);
    }
    test::WriteBytes(work.path() / "t.txt", "' a\r\n");
    test::WriteBytes(work.path() / "four.txt", "4\r\n");
    fs::create_directory(work.path() / "folder.txt");
    fields.msProcHdrTmplt = "old";
    LoadTemplates(files, "t.txt", "missing.txt", "folder.txt", "four.txt", fields);
    EXPECT_EQ(fields.msModHdrTmplt, "' a\n");
    EXPECT_EQ(fields.msProcHdrTmplt, "");
    EXPECT_EQ(fields.msErrHdrTmplt, "");
    EXPECT_EQ(fields.msErrFtrTmplt, "4\n");
    EXPECT_TRUE(fields.templateRefusals.empty());
}

// Backslashes separate folders; the current folder comes first, and only the Templates folder
// is looked up in the installed folders. A DLL in another program's current folder looks for a
// relative path missing there beside the DLL, the default templates in its Templates folder.
TEST_F(Loading, TheCurrentFolderComesFirstThenTheInstalledTemplatesFolder) {
    test::WriteBytes(work.path() / "Templates" / "StandardVBErrHeader.txt", "local\r\n");
    test::WriteBytes(installed.path() / "StandardVBErrHeader.txt", "installed\r\n");
    test::WriteBytes(installed.path() / "StandardVBErrFooter.txt", "installed footer\r\n");
    LoadTemplates(files, kDefaultModHdrFname, kDefaultProcHdrFname, kDefaultErrHdrFname,
                  kDefaultErrFtrFname, fields);
    EXPECT_EQ(fields.msModHdrTmplt, "");
    EXPECT_EQ(fields.msErrHdrTmplt, "local\n");
    EXPECT_EQ(fields.msErrFtrTmplt, "installed footer\n");

    test::WriteBytes(installed.path() / "Custom.txt", "x\r\n");
    test::WriteBytes(installed.path() / "Sub" / "Custom.txt", "y\r\n");
    EXPECT_FALSE(files.Read("Custom.txt"));
    EXPECT_FALSE(files.Read(".\\Other\\Custom.txt"));
    EXPECT_EQ(files.Read("templates\\Sub\\Custom.txt"), "y\r\n");
    EXPECT_EQ(files.Read(host::TextOf(installed.path() / "Custom.txt")), "x\r\n");
    EXPECT_FALSE(files.Read(".\\Templates"));

    TemplateFileReader beside = TemplateFileReader::Beside(installed.path());
    test::WriteBytes(installed.path() / "Templates" / "StandardVBErrFooter.txt", "dll\r\n");
    test::WriteBytes(installed.path() / "Team" / "Header.txt", "team\r\n");
    test::WriteBytes(work.path() / "Team" / "Footer.txt", "here\r\n");
    test::WriteBytes(installed.path() / "Team" / "Footer.txt", "dll footer\r\n");
    EXPECT_EQ(beside.Read(kDefaultErrFtrFname), "dll\r\n");
    EXPECT_EQ(beside.Read("Team\\Header.txt"), "team\r\n");
    EXPECT_EQ(beside.Read("Team\\Footer.txt"), "here\r\n");
    EXPECT_FALSE(beside.Read("Team\\Missing.txt"));
}

// From a folder without templates, the defaults load: comments, or an error handler, with
// CR LF line ends.
TEST_F(Loading, TheDefaultsAreFoundFromAnyFolder) {
    TemplateFileReader defaults;
    LoadTemplates(defaults, kDefaultModHdrFname, kDefaultProcHdrFname, kDefaultErrHdrFname,
                  kDefaultErrFtrFname, fields);
    for (const auto* text : {&fields.msModHdrTmplt, &fields.msProcHdrTmplt, &fields.msErrHdrTmplt,
                             &fields.msErrFtrTmplt}) {
        EXPECT_NE(*text, "");
    }
    for (const char* name : {"StandardVBModuleHeader.txt", "StandardVBProcedureHeader.txt",
                             "StandardVBErrHeader.txt", "StandardVBErrFooter.txt"}) {
        const std::string bytes = test::ReadBytes(test::SourceDir() / "Templates" / name);
        EXPECT_TRUE(bytes.ends_with("\r\n")) << name;
        for (std::size_t i = 1; i < bytes.size(); ++i) {
            EXPECT_FALSE(bytes[i] == '\n' && bytes[i - 1] != '\r') << name << " has a bare LF";
        }
    }
}

}  // namespace
}  // namespace brindle

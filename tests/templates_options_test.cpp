#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QSettings>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <tuple>

#include "host/files/SettingsFile.h"
#include "host/files/TemplateFileReader.h"
#include "host/model/VbError.h"
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
                    f.mbAddCodeMarkers, f.msLastDir, f.mbDisableSplash);
}

class Options : public ::testing::Test {
protected:
    test::TempDir dir;
    fs::path file = dir.path() / "settings.ini";

    // Stores texts as a user editing the file would leave them.
    void Store(const char* section, const char* key, const char* text) {
        SettingsFile(file).SaveSetting(kAppName, section, key, text);
    }
    AddinFields Load() {
        SettingsFile store(file);
        AddinFields fields;
        LoadOptions(store, fields);
        return fields;
    }
    void Save(const AddinFields& fields) {
        SettingsFile store(file);
        SaveOptions(store, fields);
    }
    std::string Stored(const char* section, const char* key) {
        return SettingsFile(file).GetSetting(kAppName, section, key, "<absent>");
    }
};

// Values that did not change since they were loaded are not written: saving the defaults an
// empty store gave leaves it empty.
TEST_F(Options, AnEmptyStoreGivesTheDefaultsWhichSaveAsTextUnderTheirSectionsAndKeys) {
    SettingsFile store(file);
    AddinFields fields;
    LoadOptions(store, fields);
    EXPECT_EQ(Tied(fields), std::make_tuple(".\\Templates\\StandardVBModuleHeader.txt"s,
                                            ".\\Templates\\StandardVBProcedureHeader.txt"s,
                                            ".\\Templates\\StandardVBErrHeader.txt"s,
                                            ".\\Templates\\StandardVBErrFooter.txt"s,
                                            "J. R. Tollard"s, true, "C:\\"s, false));
    SaveOptions(store, fields);
    EXPECT_FALSE(fs::exists(file));

    fields.mbAddCodeMarkers = false;
    fields.mbDisableSplash = true;
    fields.msLastDir = "D:\\";
    SaveOptions(store, fields);
    QSettings ini(QString::fromStdString(file.string()), QSettings::IniFormat);
    EXPECT_EQ(ini.value("Options/Add Code Markers").toString(), "False");
    EXPECT_EQ(ini.value("Options/Disable Splash").toString(), "True");
    EXPECT_EQ(ini.value("State/Last Directory").toString(), "D:\\");
    EXPECT_EQ(ini.childGroups(), (QStringList{"Options", "State"}));
    EXPECT_EQ(ini.childKeys(), QStringList{});
    ini.beginGroup("Options");
    EXPECT_EQ(ini.childKeys(), (QStringList{"Add Code Markers", "Disable Splash"}));
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

TEST_F(Options, SaveThenLoadRestoresEveryField) {
    AddinFields saved;
    saved.msModHdrFname = "";
    saved.msProcHdrFname = "/opt/team/Proc Header.txt";
    saved.msErrHdrFname = "..\\shared\\Err, Header.txt";
    saved.msErrFtrFname = "  spaced  ";
    saved.msAuthor = "Zoë \"Q\" O'Brien; #1 = @dev";
    saved.mbAddCodeMarkers = false;
    saved.msLastDir = "/home/me/vb";
    saved.mbDisableSplash = true;
    Save(saved);
    EXPECT_EQ(Tied(Load()), Tied(saved));

    // A hand-edited value with a bare comma is read whole.
    test::WriteBytes(file, "[Options]\nAuthor=Smith, John\n");
    EXPECT_EQ(Load().msAuthor, "Smith, John");
}

ino_t Inode(const fs::path& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

TEST_F(Options, TheFileIsWrittenOnlyWhenATextChangesAndAFailureToWriteRaises75) {
    SettingsFile store(file);
    store.SaveSetting(kAppName, "Options", "Author", "Ann");
    const ino_t written = Inode(file);
    ASSERT_NE(written, 0u);
    store.SaveSetting(kAppName, "Options", "Author", "Ann");
    EXPECT_EQ(Inode(file), written);
    store.SaveSetting(kAppName, "Options", "Author", "Bob");
    EXPECT_NE(Inode(file), written);

    test::WriteBytes(dir.path() / "plain", "not a folder");
    SettingsFile unwritable(dir.path() / "plain" / "settings.ini");
    try {
        unwritable.SaveSetting(kAppName, "Options", "Author", "Ann");
        ADD_FAILURE() << "no failure";
    } catch (const VbError& e) {
        EXPECT_EQ(e.Number(), 75);
    }
}

TEST(SettingsFileLocation, TheEnvironmentNamesTheFile) {
    const char* named = std::getenv("BRINDLE_SETTINGS");
    ASSERT_NE(named, nullptr);
    EXPECT_EQ(SettingsFile().FileName(), fs::path(named));
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

// Lines end at CR or CR LF, and a lone LF stays inside its line.
TEST_F(Loading, EachLineEndsInOneLineFeed) {
    const std::pair<const char*, const char*> cases[] = {{"a\r\nb\r\nc\r\n", "a\nb\nc\n"},
                                                         {"a\r\nb\r\nc", "a\nb\nc\n"},
                                                         {"a\r\nb\r\n\r\n", "a\nb\n\n"},
                                                         {"a\rb\r", "a\nb\n"},
                                                         {"a\r\r\nb", "a\n\nb\n"},
                                                         {"", ""},
                                                         {"a\nb", "a\nb\n"},
                                                         {"a\nb\n", "a\nb\n\n"},
                                                         {"a\n\r\nb", "a\n\nb\n"}};
    for (const auto& [bytes, text] : cases) {
        test::WriteBytes(work.path() / "t.txt", bytes);
        LoadTemplates(files, "t.txt", "", "", "", fields);
        EXPECT_EQ(fields.msModHdrTmplt, text) << testing::PrintToString(bytes);
    }
}

// UTF-8 after its byte order mark or when valid, UTF-16 after its mark, otherwise the code
// page; the mark is dropped.
TEST_F(Loading, TextIsReadInTheEncodingItWasSavedIn) {
    const std::tuple<int, std::string, std::string> cases[] = {
        {1252, "' Zo\xC3\xAB\r\n", "' Zo\xC3\xAB\n"},
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

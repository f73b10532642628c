#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QSettings>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "host/SettingsFile.h"
#include "host/model/VbError.h"
#include "support/TestPaths.h"
#include "templates/OptionStore.h"

namespace brindle {
namespace {

namespace fs = std::filesystem;
using host::SettingsFile;

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
    std::string Stored(const char* section, const char* key) {
        return SettingsFile(file).GetSetting(kAppName, section, key, "<absent>");
    }
};

TEST_F(Options, AnEmptyStoreGivesTheDefaults) {
    const AddinFields fields = Load();
    EXPECT_EQ(fields.msModHdrFname, ".\\Templates\\StandardVBModuleHeader.txt");
    EXPECT_EQ(fields.msProcHdrFname, ".\\Templates\\StandardVBProcedureHeader.txt");
    EXPECT_EQ(fields.msErrHdrFname, ".\\Templates\\StandardVBErrHeader.txt");
    EXPECT_EQ(fields.msErrFtrFname, ".\\Templates\\StandardVBErrFooter.txt");
    EXPECT_EQ(fields.msAuthor, "J. R. Tollard");
    EXPECT_TRUE(fields.mbAddCodeMarkers);
    EXPECT_EQ(fields.msLastDir, "C:\\");
    EXPECT_FALSE(fields.mbDisableSplash);
}

TEST_F(Options, BooleansReadAsTheHostLanguageConvertsText) {
    for (const char* text : {"false", "FALSE", "0", " 0 ", "0.0"}) {
        Store("Options", "Add Code Markers", text);
        EXPECT_FALSE(Load().mbAddCodeMarkers) << text;
    }
    for (const char* text : {"True", "tRUE", "-1", "1", "2.5"}) {
        Store("Options", "Disable Splash", text);
        EXPECT_TRUE(Load().mbDisableSplash) << text;
    }
}

TEST_F(Options, ABooleanThatIsNoBooleanTakesItsDefaultAndTheRestStillLoads) {
    for (const char* text : {"yes", "", "nan", "1x"}) {
        Store("Options", "Add Code Markers", "False");
        Store("Options", "Add Code Markers", text);
        Store("State", "Last Directory", "D:\\Projects\\");
        Store("Options", "Disable Splash", "True");
        const AddinFields fields = Load();
        EXPECT_TRUE(fields.mbAddCodeMarkers) << text;
        EXPECT_EQ(fields.msLastDir, "D:\\Projects\\") << text;
        EXPECT_TRUE(fields.mbDisableSplash) << text;
    }
}

TEST_F(Options, SavingNeverReplacesAnUnreadableTextWithOneNotReadFromIt) {
    Store("Options", "Add Code Markers", "yes");
    Store("Options", "Disable Splash", "maybe");
    Store("State", "Last Directory", "/home/me/vb");
    AddinFields fields = Load();
    {
        SettingsFile store(file);
        SaveOptions(store, fields);
    }
    EXPECT_EQ(Stored("Options", "Add Code Markers"), "yes");
    EXPECT_EQ(Stored("Options", "Disable Splash"), "maybe");
    EXPECT_EQ(Stored("State", "Last Directory"), "/home/me/vb");

    // A value the user chose in the dialog is written.
    fields.mbAddCodeMarkers = false;
    fields.mbDisableSplash = true;
    {
        SettingsFile store(file);
        SaveOptions(store, fields);
    }
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
    saved.msLastDir = "C:\\";
    saved.mbDisableSplash = true;
    {
        SettingsFile store(file);
        SaveOptions(store, saved);
    }
    const AddinFields loaded = Load();
    EXPECT_EQ(loaded.msModHdrFname, saved.msModHdrFname);
    EXPECT_EQ(loaded.msProcHdrFname, saved.msProcHdrFname);
    EXPECT_EQ(loaded.msErrHdrFname, saved.msErrHdrFname);
    EXPECT_EQ(loaded.msErrFtrFname, saved.msErrFtrFname);
    EXPECT_EQ(loaded.msAuthor, saved.msAuthor);
    EXPECT_EQ(loaded.mbAddCodeMarkers, saved.mbAddCodeMarkers);
    EXPECT_EQ(loaded.msLastDir, saved.msLastDir);
    EXPECT_EQ(loaded.mbDisableSplash, saved.mbDisableSplash);
}

TEST_F(Options, TheFileHoldsTextUnderTheTablesSectionsAndKeys) {
    AddinFields fields = Load();
    {
        SettingsFile store(file);
        SaveOptions(store, fields);
    }
    QSettings ini(QString::fromStdString(file.string()), QSettings::IniFormat);
    EXPECT_EQ(ini.value("Options/Add Code Markers").toString(), "True");
    EXPECT_EQ(ini.value("Options/Disable Splash").toString(), "False");
    EXPECT_EQ(ini.value("Options/Error Footer Template Filename").toString(),
              ".\\Templates\\StandardVBErrFooter.txt");
    EXPECT_EQ(ini.value("State/Last Directory").toString(), "C:\\");
    EXPECT_EQ(ini.childGroups(), (QStringList{"Options", "State"}));
}

TEST_F(Options, AHandEditedValueWithABareCommaIsReadWhole) {
    test::WriteBytes(file, "[Options]\nAuthor=Smith, John\n");
    EXPECT_EQ(Load().msAuthor, "Smith, John");
}

ino_t Inode(const fs::path& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

TEST_F(Options, TheFileIsWrittenOnlyWhenATextChanges) {
    SettingsFile store(file);
    store.SaveSetting(kAppName, "Options", "Author", "Ann");
    const ino_t written = Inode(file);
    ASSERT_NE(written, 0u);
    store.SaveSetting(kAppName, "Options", "Author", "Ann");
    EXPECT_EQ(Inode(file), written);
    store.SaveSetting(kAppName, "Options", "Author", "Bob");
    EXPECT_NE(Inode(file), written);
}

TEST_F(Options, AFileThatCannotBeWrittenRaises75) {
    test::WriteBytes(dir.path() / "plain", "not a folder");
    SettingsFile store(dir.path() / "plain" / "settings.ini");
    try {
        store.SaveSetting(kAppName, "Options", "Author", "Ann");
        FAIL() << "no failure";
    } catch (const VbError& e) {
        EXPECT_EQ(e.Number(), 75);
    }
}

TEST(SettingsFileLocation, TheEnvironmentNamesTheFile) {
    const char* named = std::getenv("BRINDLE_SETTINGS");
    ASSERT_NE(named, nullptr);
    EXPECT_EQ(SettingsFile().FileName(), fs::path(named));
}

}  // namespace
}  // namespace brindle

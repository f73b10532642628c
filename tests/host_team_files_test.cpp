// The host's part in keeping a code base in shape: .brindleignore patterns, and a team's
// brindle.ini laid over the user's settings.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "host/files/IgnoreFile.h"
#include "host/files/IniFile.h"
#include "host/files/SettingsFile.h"
#include "host/files/TeamSettings.h"
#include "host/model/SettingsKeys.h"
#include "support/TestPaths.h"

namespace fs = std::filesystem;

namespace brindle::host {
namespace {

TEST(IgnorePatterns, MatchAsGitDoesWithFoldersAndLetterCaseAsOnWindows) {
    struct Case {
        const char* pattern;
        const char* path;
        bool matches;
    };
    const Case cases[] = {
        {"Forms/Legacy*.frm", "Forms/LegacyOrders.frm", true},
        {"Forms/Legacy*.frm", "forms/legacy.FRM", true},
        {"Forms/Legacy*.frm", "Old/Forms/Legacy.frm", false},  // a "/" anchors it
        {"/Legacy.frm", "Legacy.frm", true},
        {"Forms\\Legacy?.frm", "Forms/Legacy2.frm", true},  // folders as project files write them
        {"Legacy?.frm", "Forms/Legacy22.frm", false},
        {"*.frm", "Deep/Down/Here.frm", true},  // no "/": any depth
        {"*.frm", "Here.frm.bak", false},
        {"**/Generated/*", "Generated/Types.bas", true},
        {"**/Generated/*", "A/B/Generated/Types.bas", true},
        {"**/Generated/*", "A/Generated.bas", false},
        {"Generated/", "A/Generated/Deep/Types.bas", true},  // a folder takes what is below it
        {"mod[A-C]*.bas", "Src/modBilling.bas", true},
        {"mod[!A-C]*.bas", "Src/modBilling.bas", false},
        {"mod[!A-C]*.bas", "Src/modZeta.bas", true},
        {"a/**/b.bas", "a/b.bas", true},
        {"a/**/b.bas", "a/x/y/b.bas", true},
        {"[unclosed.bas", "[unclosed.bas", true},
        {"\xC3\x84*.bas", "Forms/\xC3\xA4pfel.bas", true},  // any letter's case, as on Windows
        {"Legacy?.frm", "Legacy\xC3\x84.frm", true},        // one character, two bytes
        {"[\xC3\xA4\xC3\xB6]x.bas", "\xC3\x96x.bas", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MatchesPathPattern(c.pattern, c.path), c.matches) << c.pattern << " " << c.path;
    }

    const IgnoreFile file("/p", "# legacy code\n\n  Old/*  \r\n*.dsr\n");
    EXPECT_EQ(file.Why("/p/Old/modOld.bas"), "Old/*");
    EXPECT_EQ(file.Why("/p/Designers/Report.dsr"), "*.dsr");
    EXPECT_FALSE(file.Why("/p/modMain.bas"));
    EXPECT_FALSE(file.Why("/elsewhere/Old/modOld.bas"));

    // The folder is told as the system tells files apart: on Windows in any letter case.
    test::TempDir dir;
    fs::create_directories(dir.path() / "Proj" / "Old");
    const IgnoreFile real(dir.path() / "Proj", "old/*\n");
    EXPECT_TRUE(real.Why(dir.path() / "Proj" / "Old" / "x.bas"));
    EXPECT_EQ(real.Why(dir.path() / "PROJ" / "Old" / "x.bas").has_value(), test::kOnWindows);
}

// What the team's file holds wins, read as written by hand (a backslash is a backslash);
// saving it writes nothing to the user's file, while a value of the user's own is saved there.
TEST(TeamSettings, LieOverTheUsersOwnAndAreNeverWrittenIntoThem) {
    test::TempDir dir;
    const auto templates = dir.path() / "proj" / "sub" / test::PathOf("Vorl\xC3\xA4ge");
    test::WriteBytes(templates / "Head.txt", "' %ModuleName%\n");
    const auto ini = dir.path() / "proj" / "sub" / "brindle.ini";
    test::WriteBytes(ini,
                     "\xEF\xBB\xBF# shared\r\n[options]\r\n"
                     "module header filename=Vorl\xC3\xA4ge\\Head.txt\r\n"
                     "  Procedure Header Template Filename = Nowhere\\new.txt\r\n"
                     "Add Code Markers=False ; off for everyone\r\nAuthor=Not shared\r\n"
                     "Excluded Procedures=*_Click, Class_Terminate\r\n");
    EXPECT_EQ(FindTeamSettings(templates), ini);
    EXPECT_FALSE(FindTeamSettings(dir.path() / "proj"));

    SettingsFile user(dir.path() / "user.ini");
    LayeredSettings layers(user);
    layers.SetTeam(OpenTeamSettings(ini), ini);
    layers.Override(settings::kSkipExistingKey, "True");
    const auto get = [&](std::string_view key) {
        return layers.GetSetting(settings::kApp, settings::kOptions, key, "default");
    };
    EXPECT_EQ(test::PathOf(get(settings::kModHdrKey)), templates / "Head.txt");
    EXPECT_EQ(get(settings::kProcHdrKey), "Nowhere\\new.txt");  // no such file: as written
    EXPECT_EQ(get(settings::kMarkersKey), "False");
    EXPECT_EQ(get(settings::kExcludedProcsKey), "*_Click, Class_Terminate");
    EXPECT_EQ(get(settings::kAuthorKey), "default");  // not a key a team shares
    EXPECT_EQ(get(settings::kSkipExistingKey), "True");
    EXPECT_EQ(layers.OriginOf(settings::kOptions, settings::kMarkersKey), SettingOrigin::Team);
    EXPECT_EQ(layers.OriginOf(settings::kOptions, settings::kAuthorKey), SettingOrigin::User);
    EXPECT_EQ(layers.OriginOf(settings::kOptions, settings::kSkipExistingKey),
              SettingOrigin::CommandLine);

    layers.SaveSetting(settings::kApp, settings::kOptions, settings::kMarkersKey, "False");
    layers.SaveSetting(settings::kApp, settings::kOptions, settings::kSkipExistingKey, "True");
    EXPECT_FALSE(fs::exists(dir.path() / "user.ini"));
    layers.SaveSetting(settings::kApp, settings::kOptions, settings::kMarkersKey, "True");
    EXPECT_EQ(user.GetSetting(settings::kApp, settings::kOptions, settings::kMarkersKey, ""),
              "True");
    EXPECT_EQ(get(settings::kMarkersKey), "False");

    layers.SetTeam(nullptr, ini);
    EXPECT_EQ(get(settings::kMarkersKey), "True");
    EXPECT_TRUE(layers.TeamFile().empty());

    IniFile plain("[Options]\r\nA=1\r\n", IniForm::Plain);
    plain.SetValue("options", "Path", "C:\\T\\new.txt");
    EXPECT_EQ(plain.Text(), "[Options]\r\nA=1\r\nPath=C:\\T\\new.txt\r\n");
}

}  // namespace
}  // namespace brindle::host

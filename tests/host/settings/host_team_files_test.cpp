// The host's part in keeping a code base in shape: .brindleignore patterns, and a team's
// brindle.ini laid over the user's settings.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "host/files/FileSystem.h"
#include "host/files/IgnoreFile.h"
#include "host/files/ProjectLoader.h"
#include "host/settings/IniFile.h"
#include "host/settings/SettingsFile.h"
#include "host/settings/TeamSettings.h"
#include "model/SettingsKeys.h"
#include "support/TestPaths.h"
#include "util/Unicode.h"

namespace fs = std::filesystem;

namespace brindle::host {
namespace {

// UTF-16 the way editors and PowerShell write it.
std::string Utf16(std::string_view text, bool bigEndian) {
    return BytesFromUtf16(Utf16FromUtf8(text), bigEndian);
}

TEST(IgnorePatterns, MatchAsGitDoesWithFoldersAndLetterCaseAsOnWindows) {
    struct Case {
        const char* pattern;
        const char* path;
        bool matches;
    };
    const Case cases[] = {
        {"Forms/Legacy*.frm", "Forms/LegacyOrders.frm", true},
        {"Forms/Legacy*.frm", "Old/Forms/Legacy.frm", false},  // a "/" anchors it
        {"/Legacy.frm", "Legacy.frm", true},
        {"Forms\\Legacy?.frm", "Forms/Legacy2.frm", true},  // folders as project files write them
        {"*.frm", "Deep/Down/Here.frm", true},              // no "/": any depth
        {"**/Generated/*", "A/B/Generated/Types.bas", true},
        {"**/Generated/*", "A/Generated.bas", false},
        {"Generated/", "A/Generated/Deep/Types.bas", true},  // a folder takes what is below it
        {"mod[A-C]*.bas", "Src/modBilling.bas", true},
        {"mod[!A-C]*.bas", "Src/modZeta.bas", true},
        {"a/**/b.bas", "a/x/y/b.bas", true},
        {"[unclosed.bas", "[unclosed.bas", true},
        {"\xC3\x84*.bas", "Forms/\xC3\xA4pfel.bas", true},  // any letter's case, as on Windows
        {"Legacy?.frm", "Legacy\xC3\x84.frm", true},        // one character, two bytes
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

// As in git: the last pattern that matches decides, "!" takes a module back unless a folder
// above it is left out, and a pattern with an unclosed "[" is told of and ignored.
TEST(IgnorePatterns, TakeBackWithExclamationMarkAsGitDoes) {
    const IgnoreFile file("/p",
                          "Legacy/*\n!Legacy/modKeep.bas\nGenerated/\n!Generated/Keep.bas\n"
                          "*.dsr\n!Main.dsr\nmod[AB.bas\nData/\n",
                          ".brindleignore");
    struct Case {
        const char* module;
        const char* why;  // "" for kept
    };
    const Case cases[] = {
        {"/p/Legacy/modOld.bas", "Legacy/*"},
        {"/p/Legacy/modKeep.bas", ""},
        {"/p/Generated/Keep.bas", "Generated/"},  // its folder is left out
        {"/p/Report.dsr", "*.dsr"},
        {"/p/Main.dsr", ""},
        {"/p/mod[AB.bas", ""},  // the pattern is ignored
        {"/p/Data", ""},        // "/" at the end: folders only
        {"/p/Data/x.bas", "Data/"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(file.Why(c.module).value_or(""), c.why) << c.module;
    }
    ASSERT_EQ(file.Warnings().size(), 1U);
    EXPECT_EQ(file.Warnings().front(),
              ".brindleignore:7: the pattern \"mod[AB.bas\" has a \"[\" that is not closed; it "
              "is ignored");
}

// The nearest .brindleignore above the project applies (read as a team's file: its encodings
// are tried on brindle.ini, below); one that is no text stops the command.
TEST(IgnorePatterns, AreFoundAboveTheProject) {
    test::TempDir dir;
    const auto project = dir.path() / "Repo" / "App" / "App.vbp";
    test::WriteBytes(project, "Type=Exe\r\n");
    EXPECT_FALSE(IgnoreFile::Nearest(project, 1252));
    const auto ignore = dir.path() / "Repo" / ".brindleignore";
    test::WriteBytes(ignore, "App/Old/*\r\n");
    const auto found = IgnoreFile::Nearest(project, 1252);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->Folder(), dir.path() / "Repo");
    EXPECT_EQ(found->Why(dir.path() / "Repo" / "App" / "Old" / "x.bas"), "App/Old/*");
    test::WriteBytes(ignore, std::string("\x00\x01\x02\x03junk", 8));
    EXPECT_THROW(IgnoreFile::Nearest(project, 1252), LoadError);
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
    layers.SetTeam(ReadTeamSettings(ini, 1252).store, ini);
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

// Read the way the editor that saved it wrote it; values come out in UTF-8.
TEST(TeamSettings, AreReadInTheEncodingTheyWereSavedIn) {
    const std::string ini = "[Options]\r\nAdd Code Markers=False\r\n";
    struct Case {
        const char* what;
        std::string bytes;
        std::string template_;  // what Module Header Filename gives, "" for none
    };
    const Case cases[] = {
        {"UTF-8 with BOM", "\xEF\xBB\xBF" + ini + "Module Header Filename=\xC3\x84.txt\r\n",
         "\xC3\x84.txt"},
        {"UTF-16 LE with BOM", "\xFF\xFE" + Utf16(ini, false), ""},
        {"UTF-16 LE without BOM", Utf16(ini, false), ""},
        {"the code page", ini + "Module Header Filename=\xC4.txt\r\n", "\xC3\x84.txt"},
        {"its own code page",
         ini + "[Command Line]\r\nCode Page=932\r\n[Options]\r\n" +
             "Module Header Filename=\x93\xFA.txt\r\n",
         "\xE6\x97\xA5.txt"},
    };
    test::TempDir dir;
    const auto file = dir.path() / "brindle.ini";
    for (const Case& c : cases) {
        test::WriteBytes(file, c.bytes);
        const auto team = ReadTeamSettings(file, 1252);
        EXPECT_TRUE(team.warnings.empty()) << c.what;
        const auto get = [&](std::string_view key) {
            return team.store->GetSetting(settings::kApp, settings::kOptions, key, "");
        };
        EXPECT_EQ(get(settings::kMarkersKey), "False") << c.what;
        EXPECT_EQ(get(settings::kModHdrKey), c.template_) << c.what;
    }

    for (const std::string& junk : {std::string("\x7F"
                                                "ELF\x02\x01\x01\0\0\0",
                                                10),
                                    std::string("[Options]\r\nA=\x01\x02\r\n")}) {
        test::WriteBytes(file, junk);
        try {
            ReadTeamSettings(file, 1252);
            ADD_FAILURE() << "no error for " << junk;
        } catch (const TeamSettingsError& e) {
            EXPECT_EQ(std::string(e.what()), Label(file, 1252) +
                                                 ": is no text file; team settings are read "
                                                 "in UTF-8, UTF-16 or the code page");
        }
    }
}

// What is not ours is told at its line, with the nearest name we know; what stays each user's
// is told to be ignored. None of it stops a command.
TEST(TeamSettings, TellOfWhatIsNotOurs) {
    struct Case {
        const char* text;
        const char* warning;  // after "file:line: "; "" for none
    };
    const Case cases[] = {
        {"[Optoins]\nAdd Code Markers=True",
         "1: unknown section [Optoins]; did you mean [Options]?"},
        {"[Build]\nTarget=x", "1: unknown section [Build]"},
        {"; shared\n[Options]\nModule Header Filenme=a.txt",
         "3: unknown key \"Module Header Filenme\" in [Options]; did you mean "
         "\"Module Header Filename\"?"},
        {"[Options]\nColour=Red", "2: unknown key \"Colour\" in [Options]"},
        {"[Options]\nCode Page=932",
         "2: unknown key \"Code Page\" in [Options]; it belongs in [Command Line]"},
        {"Add Code Markers=True",
         "1: unknown key \"Add Code Markers\" before any section; it belongs in [Options]"},
        {"[Options]\r\n\r\nAuthor=Team",
         "3: \"Author\" in [Options] stays each user's own setting and is ignored in a team's "
         "file"},
        {"[Options]\nAdd Code Markers False",
         "2: \"Add Code Markers False\" is no section, key=value or comment; it is ignored"},
        {"# all ours\n[OPTIONS]\nadd code markers=on\n[command line]\ncode page=1251", ""},
    };
    test::TempDir dir;
    const auto file = dir.path() / "brindle.ini";
    for (const Case& c : cases) {
        test::WriteBytes(file, c.text);
        const auto team = ReadTeamSettings(file, 1252);
        if (*c.warning == '\0') {
            EXPECT_TRUE(team.warnings.empty()) << c.text;
            continue;
        }
        ASSERT_EQ(team.warnings.size(), 1U) << c.text;
        EXPECT_EQ(team.warnings.front(), Label(file, 1252) + ":" + c.warning);
    }
}

// A Boolean is one of the usual words in any case, given to the add-in as True or False; any
// other value, like a code page Brindle does not know, stops the command at its line.
TEST(TeamSettings, TakeOnlyValuesThatMeanSomething) {
    struct Case {
        const char* line;
        const char* value;  // of Skip Existing, or the error after "file:2: "
    };
    const Case cases[] = {
        {"Skip Existing=yes", "True"},
        {"Skip Existing=1", "True"},
        {"Skip Existing=No", "False"},
        {"Skip Existing=0", "False"},
        {"Skip Existing=maybe",
         "\"maybe\" is no value for Skip Existing: True or False (or 1/0, "
         "yes/no, on/off)"},
        {"Add Code Markers=",
         "\"\" is no value for Add Code Markers: True or False (or 1/0, "
         "yes/no, on/off)"},
    };
    test::TempDir dir;
    const auto file = dir.path() / "brindle.ini";
    for (const Case& c : cases) {
        test::WriteBytes(file, std::string("[Options]\n") + c.line + "\n");
        try {
            const auto team = ReadTeamSettings(file, 1252);
            EXPECT_EQ(team.store->GetSetting(settings::kApp, settings::kOptions,
                                             settings::kSkipExistingKey, ""),
                      c.value)
                << c.line;
        } catch (const TeamSettingsError& e) {
            EXPECT_EQ(std::string(e.what()), Label(file, 1252) + ":2: " + c.value);
        }
    }

    test::WriteBytes(file, "[Command Line]\nCode Page=932\n");
    EXPECT_EQ(ReadTeamSettings(file, 1252).codePage, 932);
    for (const char* wrong : {"Code Page=Japanese", "Code Page=12345", "Code Page=1200"}) {
        test::WriteBytes(file, std::string("[Command Line]\n") + wrong + "\n");
        EXPECT_THROW(ReadTeamSettings(file, 1252), TeamSettingsError) << wrong;
    }
}

}  // namespace
}  // namespace brindle::host

// The INI files that Brindle writes without Qt are the files QSettings writes, and it reads what
// QSettings reads: one settings file means the same on every platform, and a user's file that
// an older Brindle wrote through QSettings stays in use.

#include <gtest/gtest.h>

#include <QSettings>
#include <QStringList>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "host/settings/IniFile.h"
#include "host/settings/SettingsBackend.h"
#include "model/SettingsKeys.h"
#include "model/VbError.h"
#include "support/TestPaths.h"

namespace brindle {
namespace {

namespace fs = std::filesystem;
using host::IniFile;

// Sections and keys with the characters that need escaping, values with those that need
// quotes or escapes, UTF-8 beyond Latin-1 and beyond the BMP.
const std::vector<std::pair<std::string, std::string>> kValues = {
    {"Options/Module Header Filename", ".\\Templates\\StandardVBModuleHeader.txt"},
    {"Options/Author",
     "Zo\xC3\xAB \"Q\" O'Brien; #1 = @dev, \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80"},
    {"Options/Lead", "  lead and trail  "},
    {"Options/At", "@at"},
    {"Options/AtAt", "@@twice"},
    {"Options/Empty", ""},
    {"Options/Controls",
     "a\tb\x01z\r\nd\x7F"
     "e\\"},
    {"State/Last Directory", "C:\\"},
    {"Command Line/Code Page", "932"},
    {"Other App/Section/K\xC3\xA4y \xE6\x97\xA5", "v"},
    {"Options/Key=[x]%;#", "semi;colon"},
};

std::pair<std::string, std::string> Split(const std::string& path) {
    const auto slash = path.find('/');
    return {path.substr(0, slash), path.substr(slash + 1)};
}

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// kValues, written by QSettings; the file is complete when this returns.
void WriteWithQt(const fs::path& file) {
    QSettings settings(Q(file.string()), QSettings::IniFormat);
    for (const auto& [path, value] : kValues) {
        settings.setValue(Q(path), Q(value));
    }
}

std::string ReadWithQt(QSettings& settings, const std::string& path) {
    const QVariant value = settings.value(Q(path));
    if (!value.isValid()) {
        return "<absent>";
    }
    return (value.typeId() == QMetaType::QStringList ? value.toStringList().join(", ")
                                                     : value.toString())
        .toStdString();
}

// What QSettings writes the settings store reads, through the one INI code path; what that
// path writes QSettings reads, whether a new file or values written into the file QSettings
// wrote, which keeps all the rest. A new file has QSettings' line breaks.
TEST(IniFormat, WhatQtWritesIsReadAndWhatIsWrittenQtReads) {
    test::TempDir dir;
    const fs::path file = dir.path() / "VBBrindle.ini";
    WriteWithQt(file);
    const auto store = host::OpenSettingsFile(file);
    IniFile written;
    for (const auto& [path, value] : kValues) {
        const auto [section, key] = Split(path);
        EXPECT_EQ(store->Read(settings::kApp, section, key), value) << path;
        written.SetValue(section, key, value);
    }
    test::WriteBytes(dir.path() / "ours.ini", written.Text());
    QSettings ours(Q((dir.path() / "ours.ini").string()), QSettings::IniFormat);
    EXPECT_EQ(ours.status(), QSettings::NoError);
    for (const auto& [path, value] : kValues) {
        EXPECT_EQ(ReadWithQt(ours, path), value) << path;
    }

    store->Write(settings::kApp, "Options", "Author", "Zo\xC3\xAB, \"new\"");
    store->Write(settings::kApp, "Options", "Added Key", "50% off");
    store->Write("Other App", "Section", "K\xC3\xA4y \xE6\x97\xA5", "w");
    QSettings settings(Q(file.string()), QSettings::IniFormat);
    EXPECT_EQ(ReadWithQt(settings, "Options/Author"), "Zo\xC3\xAB, \"new\"");
    EXPECT_EQ(ReadWithQt(settings, "Options/Added Key"), "50% off");
    EXPECT_EQ(ReadWithQt(settings, "Other App/Section/K\xC3\xA4y \xE6\x97\xA5"), "w");
    EXPECT_EQ(ReadWithQt(settings, "Options/Lead"), "  lead and trail  ");
    EXPECT_EQ(ReadWithQt(settings, "Command Line/Code Page"), "932");

    const fs::path fresh = dir.path() / "new" / "VBBrindle.ini";
    host::OpenSettingsFile(fresh)->Write(settings::kApp, "Command Line", "Code Page", "932");
    EXPECT_EQ(test::ReadBytes(fresh), "[Command%20Line]\nCode%20Page=932\n");
}

// The user's own settings are the file where QSettings keeps the application's.
TEST(IniFormat, TheUsersFileIsTheOneQtUses) {
    test::TempDir dir;
    setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
    const QSettings settings(QSettings::IniFormat, QSettings::UserScope, "VBBrindle", "VBBrindle");
    EXPECT_EQ(host::OpenUserSettings()->Location(), settings.fileName().toStdString());
}

// Files edited by hand, read by both alike.
TEST(IniFormat, HandWrittenFilesReadAsQtReadsThem) {
    const std::vector<std::pair<std::string, std::string>> files = {
        {"[Options]\nAuthor = Hand Written  \n", "Options/Author"},
        {"[Options]\nAuthor=\"a, b\" , c\n", "Options/Author"},
        {"[Options]\nAuthor=a ; comment\n", "Options/Author"},
        {"; comment\n[Options]\r\nAuthor=1\r\nAuthor=2\r\n", "Options/Author"},
        {"[Options]\nAuthor=a\\qb\\x41\\101\\t\n", "Options/Author"},
        {"[Options]\nAuthor=\"quoted \\\"inner\\\" ; x\"\n", "Options/Author"},
        {"[Options]\nAuthor=@String(abc)\n", "Options/Author"},
        {"[Options]\nAuthor=@@at\n", "Options/Author"},
        {"[Options]\nAuthor=a\\\nb\n", "Options/Author"},
        {"[State]\nLast Directory=C:\\\\Temp\\\\\n", "State/Last Directory"},
        {"[Command%20Line]\nCode%20Page=936\n", "Command Line/Code Page"},
        {"[Other%20App]\nSection\\Key=v\n", "Other App/Section/Key"},
        {"\xEF\xBB\xBF[Options]\r\nAuthor=Bom\r\n", "Options/Author"},
    };
    test::TempDir dir;
    int number = 0;
    for (const auto& [text, path] : files) {
        // A file of its own each: QSettings keeps what it read of a file for the process.
        const fs::path file = dir.path() / (std::to_string(++number) + ".ini");
        test::WriteBytes(file, text);
        QSettings settings(Q(file.string()), QSettings::IniFormat);
        const auto [section, key] = Split(path);
        EXPECT_EQ(IniFile(text).Value(section, key).value_or("<absent>"),
                  ReadWithQt(settings, path))
            << text;
    }
}

// A value changes in place; comments, other sections and the line ends stay.
TEST(IniFormat, EditingKeepsEveryOtherLine) {
    IniFile ini("; kept\r\n[Options]\r\nAuthor=Ann ; note\r\nOther=1\r\n\r\n[State]\r\nX=1\r\n");
    ini.SetValue("options", "author", "Bob");
    ini.SetValue("Options", "Disable Splash", "True");
    ini.SetValue("Command Line", "Code Page", "932");
    EXPECT_EQ(ini.Text(),
              "; kept\r\n[Options]\r\nauthor=Bob ; note\r\nOther=1\r\nDisable%20Splash=True\r\n\r\n"
              "[State]\r\nX=1\r\n\r\n[Command%20Line]\r\nCode%20Page=932\r\n");
    EXPECT_EQ(ini.Value("OPTIONS", "Author"), "Bob");
}

// A quote never closed takes the rest of the file into its value, as in QSettings: a key added
// below it would be lost, so the store refuses to write it and leaves the file as it was.
TEST(IniFormat, AValueThatCannotBeReadBackIsNotWritten) {
    const std::string text = "[Options]\nAuthor=\"Ann\" \"Author\nDate%20Format=ISO\n";
    test::TempDir dir;
    const fs::path file = dir.path() / "VBBrindle.ini";
    test::WriteBytes(file, text);
    EXPECT_THROW(
        host::OpenSettingsFile(file)->Write(settings::kApp, "State", "Last Directory", "C:\\"),
        VbError);
    EXPECT_EQ(test::ReadBytes(file), text);
}

}  // namespace
}  // namespace brindle

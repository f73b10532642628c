// The files a team keeps beside its project, and the --select argument.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "checks/Properties.h"
#include "cli/commands/Selection.h"
#include "host/files/FileSystem.h"
#include "host/files/IgnoreFile.h"
#include "host/files/ModuleFile.h"
#include "host/files/ProjectFile.h"
#include "host/ide/MemoryProject.h"
#include "host/ide/SourceLine.h"
#include "host/settings/IniFile.h"
#include "host/settings/TeamSettings.h"
#include "host/vb6/CodePage.h"
#include "model/VbError.h"

namespace brindle::fuzz {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kMostBytes = 16 * 1024;

// A folder of this process's own for the files that must be on disk, removed when it ends.
class OwnFolder {
public:
    OwnFolder() {
        std::random_device random;
        path_ = fs::temp_directory_path() /
                ("brindle-fuzz-" + std::to_string(random()) + std::to_string(random()));
        fs::create_directories(path_ / "Forms");
    }
    ~OwnFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    OwnFolder(const OwnFolder&) = delete;
    OwnFolder& operator=(const OwnFolder&) = delete;
    const fs::path& Path() const { return path_; }

private:
    fs::path path_;
};

const fs::path& Folder() {
    static const OwnFolder folder;
    return folder.Path();
}

void WriteFile(const fs::path& file, std::string_view bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Setting a value keeps every other value, and reading the text again gives the value set.
void ExpectSetValue(std::string_view text, host::IniForm form, const std::string& section,
                    const std::string& key, const std::string& value) {
    host::IniFile ini{std::string(text), form};
    std::vector<host::IniFile::Item> before;
    if (form == host::IniForm::Plain) {
        before = ini.Items();
    }
    std::vector<std::optional<std::string>> values;
    for (const auto& item : before) {
        values.push_back(ini.Value(item.section, item.key));
    }
    const std::string where = std::string(form == host::IniForm::Plain ? "plain" : "QSettings") +
                              " INI, [" + section + "] " + key;
    if (!ini.SetValue(section, key, value)) {
        Expect(ini.Text() == text, where + ": a SetValue refused changed the text");
        return;
    }
    const auto read = ini.Value(section, key);
    Expect(read == value, where + ": SetValue is not read back at once but as " +
                              (read ? "\"" + *read + "\"" : "nothing") + " from\n" + ini.Text());
    const host::IniFile again{ini.Text(), form};
    Expect(again.Value(section, key) == value, where + ": SetValue is not read back from the text");
    for (std::size_t i = 0; i < before.size(); ++i) {
        const auto& item = before[i];
        if (item.kind != host::IniFile::Item::Kind::Entry) {
            continue;
        }
        if (host::EqualsIgnoringCase(item.section, section) &&
            host::EqualsIgnoringCase(item.key, key)) {
            continue;
        }
        Expect(again.Value(item.section, item.key) == values[i],
               where + ": SetValue changed [" + item.section + "] " + item.key);
    }
}

std::string Position(const cli::TextPosition& position) {
    std::string text = std::to_string(position.line);
    if (position.column) {
        text += ':';
        text += std::to_string(*position.column);
    }
    return text;
}

bool operator==(const cli::TextPosition& a, const cli::TextPosition& b) {
    return a.line == b.line && a.column == b.column;
}

}  // namespace

void TeamFiles(std::string_view bytes) {
    if (bytes.size() > kMostBytes) {
        return;
    }
    // Lines as the parsers split them: a CR, an LF or both end one.
    const auto lines = std::max(1, static_cast<int>(host::LineTexts(bytes).size()));
    try {
        const auto project = host::ParseProjectFile(bytes, 1252);
        int previous = 0;
        for (const host::ProjectEntry& entry : project.entries) {
            Expect(entry.line > previous && entry.line <= lines,
                   "a project entry's line is out of order or outside the file");
            previous = entry.line;
        }
    } catch (const host::ProjectFileError&) {
    }
    try {
        int previous = 0;
        for (const host::GroupEntry& entry : host::ParseGroupFile(bytes)) {
            Expect(entry.line > previous && entry.line <= lines,
                   "a group entry's line is out of order or outside the file");
            previous = entry.line;
        }
    } catch (const host::ProjectFileError&) {
    }

    // brindle.ini as a team writes it, and the user's settings file as QSettings writes it.
    const std::string plainValue = "Team\\Header %ModuleName%.txt";
    const std::string qtValue = "a \"quoted\" \\ value; \xC3\xA9 = \t x";
    host::IniFile plain{std::string(bytes), host::IniForm::Plain};
    std::string section = "Options";
    std::string key = "Module Header Filename";
    for (const auto& item : plain.Items()) {
        if (item.kind == host::IniFile::Item::Kind::Entry && !item.key.empty()) {
            section = item.section;
            key = item.key;
            break;
        }
    }
    ExpectSetValue(bytes, host::IniForm::Plain, section, key, plainValue);
    ExpectSetValue(bytes, host::IniForm::Plain, "Options", "Date Format", plainValue);
    ExpectSetValue(bytes, host::IniForm::QSettings, "Options", "Author", qtValue);
    ExpectSetValue(bytes, host::IniForm::QSettings, "Options", "Module Header Filename",
                   plainValue);

    const fs::path folder = Folder();
    WriteFile(folder / host::kTeamSettingsName, bytes);
    try {
        host::ReadTeamSettings(folder / host::kTeamSettingsName, 1252);
    } catch (const host::TeamSettingsError&) {
    }

    const host::IgnoreFile ignore(folder, bytes);
    for (const char* module :
         {"Module1.bas", "Forms/frmMain.frm", "Forms/Sub/Deep.cls", "\xC3\x89t\xC3\xA9.bas"}) {
        ignore.Why(folder / module);
    }
    std::size_t begin = 0;
    while (begin <= bytes.size()) {
        const std::size_t end = std::min(bytes.find('\n', begin), bytes.size());
        const std::string_view pattern = bytes.substr(begin, end - begin);
        for (const std::string_view path : {"Module1.bas", "Forms/frmMain.frm", "a/b/c/d.cls"}) {
            host::MatchesPathPattern(pattern, path);
        }
        begin = end + 1;
    }
}

void SelectArgument(std::string_view bytes) {
    if (bytes.size() > 256) {
        return;
    }
    const auto range = cli::ParseSelection(bytes);
    if (!range) {
        return;
    }
    Expect(range->start.line >= 1 && range->end.line >= 1 &&
               (!range->start.column || *range->start.column >= 1) &&
               (!range->end.column || *range->end.column >= 1),
           "ParseSelection gives a position below 1");
    const std::string written = Position(range->start) + "-" + Position(range->end);
    const auto again = cli::ParseSelection(written);
    Expect(again && again->start == range->start && again->end == range->end,
           "ParseSelection reads " + written + " otherwise than it read the argument");

    static const std::string file =
        "VERSION 1.0 CLASS\r\nBEGIN\r\n  MultiUse = -1  'True\r\nEND\r\n"
        "Attribute VB_Name = \"C\"\r\nOption Explicit\r\n\r\n"
        "Public Property Get Item() As Long\r\nAttribute Item.VB_UserMemId = 0\r\n"
        "    Item = 1 ' \x93\xfa\x96\x7b\r\nEnd Property\r\n";
    // Shift-JIS, whose trail bytes may look like ASCII: a column counts characters.
    auto component = host::ParseModule(file, "C.cls", 932);
    CodeModule& module = component->CodeModule();
    const std::int32_t lines = module.CountOfLines();
    const auto placed = cli::PlaceSelection(*range, module, 932);
    if (placed.selection) {
        const cli::PaneSelection& s = *placed.selection;
        const auto bytesOf = [&](std::int32_t line) {
            return line > lines ? 0 : static_cast<std::int32_t>(module.Lines(line, 1).size());
        };
        Expect(s.startLine >= 1 && s.startLine <= s.endLine && s.endLine <= lines + 1 &&
                   s.startColumn >= 1 && s.endColumn >= 1 &&
                   s.startColumn <= bytesOf(s.startLine) + 1 &&
                   s.endColumn <= bytesOf(s.endLine) + 1,
               "PlaceSelection gives a selection outside the module");
        module.CodePane().SetSelection(s.startLine, s.startColumn, s.endLine, s.endColumn);
    } else {
        Expect(!placed.problem.empty(), "PlaceSelection refuses without saying why");
    }
    const host::FileLines fileLines(*component);
    const auto code = cli::FromFileLines(*range, fileLines, lines);
    if (code.range) {
        Expect(code.range->start.line >= 1 && code.range->end.line <= lines &&
                   code.range->start.line <= code.range->end.line,
               "FromFileLines gives code lines outside the module");
    } else {
        Expect(!code.problem.empty(), "FromFileLines refuses without saying why");
    }
}

}  // namespace brindle::fuzz

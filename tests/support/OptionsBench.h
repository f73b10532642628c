#pragma once
// The add-in connected to our IDE with a set of windows of its own kind, its options in a
// settings file of its own and a module header template in a temporary folder: where the tests
// of each options dialog start.

#include <cctype>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "addin/Brindle.h"
#include "host/files/TemplateFileReader.h"
#include "host/ide/Ide.h"
#include "host/settings/SettingsFile.h"
#include "model/SettingsKeys.h"
#include "support/RecordingSink.h"
#include "support/TestPaths.h"

namespace brindle::test {

// The access keys (the letter after a single '&') that more than one of the captions takes,
// letter case aside; empty when each caption has its own or none.
inline std::string RepeatedAccessKeys(const std::vector<std::string>& captions) {
    std::string seen;
    std::string repeated;
    for (const std::string& caption : captions) {
        for (std::size_t at = caption.find('&'); at != std::string::npos && at + 1 < caption.size();
             at = caption.find('&', at + 2)) {
            if (caption[at + 1] == '&') {
                continue;
            }
            const char key =
                static_cast<char>(std::tolower(static_cast<unsigned char>(caption[at + 1])));
            (seen.find(key) == std::string::npos ? seen : repeated) += key;
            break;
        }
    }
    return repeated;
}

template <class Windows>
struct OptionsBench {
    OptionsBench() {
        Write("module.txt", "' Module %ModuleName%\r\n");
        Save("Module Header Filename", (dir.path() / "module.txt").string());
        Save("Author", "Ann Author");
        Save("Add Code Markers", "True");
        settings.SaveSetting(settings::kApp, "State", "Last Directory",
                             dir.path().string() + "\\start\\");
        std::filesystem::create_directories(dir.path() / "start");
        vbe.Connect(addin, ext_cm_AfterStartup);
    }
    ~OptionsBench() { vbe.Shutdown(); }
    OptionsBench(const OptionsBench&) = delete;
    OptionsBench& operator=(const OptionsBench&) = delete;

    void Write(const std::filesystem::path& name, const std::string& text) {
        std::filesystem::create_directories((dir.path() / name).parent_path());
        WriteBytes(dir.path() / name, text);
    }
    void Save(std::string_view key, std::string_view value) {
        settings.SaveSetting(settings::kApp, "Options", key, value);
    }
    const AddinFields& Fields() const { return addin.Fields(); }

    TempDir dir;
    host::SettingsFile settings{dir.path() / "settings.ini"};
    host::TemplateFileReader templates{
        std::vector<std::filesystem::path>{SourceDir() / "Templates"}};
    RecordingSink sink;
    host::MemoryVBE vbe;
    Windows windows;
    Brindle addin{settings, templates, windows, &sink};
};

}  // namespace brindle::test

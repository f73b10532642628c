#pragma once
// The add-in connected to our IDE with a set of windows of its own kind, its options in a
// settings file of its own and a module header template in a temporary folder: where the tests
// of each options dialog start.

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

// The settings on Windows: in the registry where the IDE's own settings functions keep an
// add-in's, or in an INI file of QSettings' format that BRINDLE_SETTINGS names.

#include <windows.h>

#include <fstream>
#include <iterator>
#include <system_error>

#include "host/files/FileSystem.h"
#include "host/files/ModuleFile.h"
#include "host/settings/IniFile.h"
#include "host/settings/SettingsBackend.h"
#include "host/settings/windows/Registry.h"
#include "host/vb6/windows/Wide.h"
#include "model/SettingsKeys.h"
#include "model/VbError.h"

namespace fs = std::filesystem;

namespace brindle::host {
namespace {

// Sections of another application than "VBBrindle" are kept under a section of its name, the
// key behind the section's name, as QSettings keeps them.
std::pair<std::string, std::string> IniPath(std::string_view appName, std::string_view section,
                                            std::string_view key) {
    if (appName == settings::kApp) {
        return {std::string(section), std::string(key)};
    }
    return {std::string(appName), std::string(section) + "/" + std::string(key)};
}

class IniSettings : public SettingsBackend {
public:
    explicit IniSettings(fs::path file) : file_(std::move(file)) {}

    std::optional<std::string> Read(std::string_view appName, std::string_view section,
                                    std::string_view key) override {
        const auto [group, name] = IniPath(appName, section, key);
        return Load().Value(group, name);
    }

    void Write(std::string_view appName, std::string_view section, std::string_view key,
               std::string_view text) override {
        const auto [group, name] = IniPath(appName, section, key);
        IniFile ini = Load();
        ini.SetValue(group, name, text);
        try {
            ReplaceFileContents(file_, ini.Text(), file_);
        } catch (const ModuleFileError&) {
            Raise(Err::PathFileAccess, std::string(settings::kApp));
        }
    }

    std::string Location() const override {
        std::error_code error;
        return TextOf(fs::absolute(file_, error));
    }
    bool IsFile() const override { return true; }

private:
    IniFile Load() const {
        std::ifstream in(file_, std::ios::binary);
        return IniFile(std::string(std::istreambuf_iterator<char>(in), {}));
    }

    fs::path file_;
};

}  // namespace

std::unique_ptr<SettingsBackend> OpenSettingsFile(const fs::path& file) {
    return std::make_unique<IniSettings>(file);
}

std::unique_ptr<SettingsBackend> OpenUserSettings() {
    return std::make_unique<RegistrySettings>();
}

}  // namespace brindle::host

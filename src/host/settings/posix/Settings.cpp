// The user's own settings on Linux: the INI file where QSettings keeps those of the
// application "VBBrindle" for the user, so that a file an older Brindle wrote stays in use.

#include "host/files/FileSystem.h"
#include "host/settings/SettingsBackend.h"
#include "model/SettingsKeys.h"

namespace fs = std::filesystem;

namespace brindle::host {
namespace {

// $XDG_CONFIG_HOME when it is an absolute path, else ~/.config.
fs::path ConfigFolder() {
    if (const auto config = EnvironmentValue("XDG_CONFIG_HOME")) {
        if (const fs::path folder = PathOf(*config); folder.is_absolute()) {
            return folder;
        }
    }
    return PathOf(EnvironmentValue("HOME").value_or("/")) / ".config";
}

}  // namespace

std::unique_ptr<SettingsBackend> OpenUserSettings() {
    const std::string app(settings::kApp);
    return OpenSettingsFile(ConfigFolder() / app / (app + ".ini"));
}

}  // namespace brindle::host

#pragma once
// Where the settings' texts are kept: an INI file of QSettings' format on every platform
// (through IniFile, without Qt), and on Windows the registry, as the IDE's own settings
// functions keep them.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace brindle::host {

// Texts are UTF-8.
class SettingsBackend {
public:
    virtual ~SettingsBackend() = default;
    // The stored text; nothing when no such key exists.
    virtual std::optional<std::string> Read(std::string_view appName, std::string_view section,
                                            std::string_view key) = 0;
    // Stores the text at once. Raises 75 when it cannot.
    virtual void Write(std::string_view appName, std::string_view section, std::string_view key,
                       std::string_view text) = 0;
    // Where the texts are: a file's path, or a registry key.
    virtual std::string Location() const = 0;
    virtual bool IsFile() const = 0;
};

// An INI file, which BRINDLE_SETTINGS names on every platform.
std::unique_ptr<SettingsBackend> OpenSettingsFile(const std::filesystem::path& file);

// The user's own settings of the application "VBBrindle".
std::unique_ptr<SettingsBackend> OpenUserSettings();

}  // namespace brindle::host

#pragma once
// The per-user settings store, every value kept as text: the INI file that BRINDLE_SETTINGS
// names, or else the user's own store (an INI file on Linux, the registry on Windows).

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "host/settings/SettingsBackend.h"
#include "model/Runtime.h"

namespace brindle::host {

// Where the command line keeps the code page its commands take without --codepage; the
// workbench opens a project in it when no code page of the project's own is set.
inline constexpr std::string_view kDefaultCodePageSection = "Command Line";
inline constexpr std::string_view kDefaultCodePageKey = "Code Page";

class SettingsFile : public SettingsStore {
public:
    // The file that BRINDLE_SETTINGS names, or else the user's own settings of the application
    // "VBBrindle".
    SettingsFile();
    explicit SettingsFile(const std::filesystem::path& file);
    explicit SettingsFile(std::unique_ptr<SettingsBackend> backend);
    ~SettingsFile() override;
    SettingsFile(const SettingsFile&) = delete;
    SettingsFile& operator=(const SettingsFile&) = delete;

    // Sections of another application than "VBBrindle" are kept under its name. An author never
    // stored, asked for with an empty fallback (the add-in's default), is the user's name as
    // the system knows it.
    std::string GetSetting(std::string_view appName, std::string_view section, std::string_view key,
                           std::string_view fallback) override;
    // Writes at once, and only when the value changes: neither a text equal to the stored one
    // nor, for an absent key, the fallback that GetSetting gave for it. Raises 75 when it
    // cannot write.
    void SaveSetting(std::string_view appName, std::string_view section, std::string_view key,
                     std::string_view value) override;

    // Where the settings are, in UTF-8: the file's path, or the registry key.
    std::string Location() const;
    bool IsFile() const;

private:
    std::unique_ptr<SettingsBackend> backend_;
    std::map<std::string, std::string> fallbacks_;  // what GetSetting gave for absent keys
};

}  // namespace brindle::host

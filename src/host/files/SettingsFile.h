#pragma once
// The per-user settings store: an INI file through QSettings, every value kept as text.

#include <QString>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "host/model/Runtime.h"

class QSettings;

namespace brindle::host {

// Where the command line keeps the code page its commands take without --codepage; the
// workbench opens a project in it when no code page of the project's own is set.
inline constexpr std::string_view kDefaultCodePageSection = "Command Line";
inline constexpr std::string_view kDefaultCodePageKey = "Code Page";

class SettingsFile : public SettingsStore {
public:
    // The file that BRINDLE_SETTINGS names, or else the user's own settings file of the
    // application "VBBrindle".
    SettingsFile();
    explicit SettingsFile(const std::filesystem::path& file);
    ~SettingsFile() override;
    SettingsFile(const SettingsFile&) = delete;
    SettingsFile& operator=(const SettingsFile&) = delete;

    // Sections of another application than "VBBrindle" are kept under a group of its name.
    std::string GetSetting(std::string_view appName, std::string_view section, std::string_view key,
                           std::string_view fallback) override;
    // Writes the file at once, and only when the value changes: neither a text equal to the
    // stored one nor, for an absent key, the fallback that GetSetting gave for it. Raises 75
    // when it cannot write.
    void SaveSetting(std::string_view appName, std::string_view section, std::string_view key,
                     std::string_view value) override;

    std::filesystem::path FileName() const;

private:
    std::unique_ptr<QSettings> settings_;
    std::map<QString, QString> fallbacks_;  // what GetSetting gave for absent keys
};

}  // namespace brindle::host

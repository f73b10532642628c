#include "host/files/TeamSettings.h"

#include <algorithm>
#include <array>
#include <system_error>

#include "host/files/FileSystem.h"
#include "host/files/IniFile.h"
#include "host/files/ProjectFile.h"
#include "host/model/SettingsKeys.h"

namespace fs = std::filesystem;

namespace brindle::host {
namespace {

// What no stored text is: tells an absent key from any value.
constexpr std::string_view kAbsent =
    "\x01"
    "absent";

constexpr std::array<std::string_view, 4> kTemplateKeys = {
    settings::kModHdrKey, settings::kProcHdrKey, settings::kErrHdrKey, settings::kErrFtrKey};
constexpr std::array<std::string_view, 3> kOtherTeamKeys = {
    settings::kMarkersKey, settings::kSkipExistingKey, settings::kExcludedProcsKey};

bool IsOneOf(std::string_view key, const auto& keys) {
    return std::find(keys.begin(), keys.end(), key) != keys.end();
}

bool IsTeamKey(std::string_view appName, std::string_view section, std::string_view key) {
    return appName == settings::kApp && section == settings::kOptions &&
           (IsOneOf(key, kTemplateKeys) || IsOneOf(key, kOtherTeamKeys));
}

// A template path of the team's file: from the file's folder when a file is there, else as
// written (a "Templates\..." path may name an installed template).
std::string TeamTemplatePath(const fs::path& teamFile, const std::string& path) {
    std::string native = path;
    std::replace(native.begin(), native.end(), '\\', '/');
    const fs::path relative = PathOf(native);
    const fs::path candidate = teamFile.parent_path() / relative;
    std::error_code error;
    if (native.empty() || relative.is_absolute() || !fs::exists(candidate, error)) {
        return path;
    }
    return TextOf(fs::absolute(candidate, error).lexically_normal());
}

std::string TextOfFile(const fs::path& file) {
    try {
        return ReadFileBytes(file);
    } catch (const ProjectFileError&) {
        return {};
    }
}

// An INI file written by hand, read as it stands: a backslash is a backslash, sections and
// keys are found in any letter case, as Windows reads INI files. Never written.
class TeamFile final : public SettingsStore {
public:
    explicit TeamFile(const fs::path& file) : ini_(TextOfFile(file), IniForm::Plain) {}

    std::string GetSetting(std::string_view /*appName*/, std::string_view section,
                           std::string_view key, std::string_view fallback) override {
        return ini_.Value(section, key).value_or(std::string(fallback));
    }
    void SaveSetting(std::string_view, std::string_view, std::string_view,
                     std::string_view) override {}

private:
    IniFile ini_;
};

}  // namespace

std::optional<fs::path> FindTeamSettings(const fs::path& folder) {
    std::error_code error;
    for (fs::path at = fs::absolute(folder, error).lexically_normal();; at = at.parent_path()) {
        const fs::path file = at / kTeamSettingsName;
        if (fs::is_regular_file(file, error)) {
            return file;
        }
        if (at == at.parent_path() || at.empty()) {
            return std::nullopt;
        }
    }
}

std::unique_ptr<SettingsStore> OpenTeamSettings(const fs::path& file) {
    return std::make_unique<TeamFile>(file);
}

LayeredSettings::LayeredSettings(SettingsStore& user) : user_(user) {}

void LayeredSettings::SetTeam(std::unique_ptr<SettingsStore> team, fs::path file) {
    team_ = std::move(team);
    teamFile_ = team_ ? std::move(file) : fs::path();
}

void LayeredSettings::Override(std::string_view key, std::string value) {
    overrides_[std::string(key)] = std::move(value);
}

std::optional<std::string> LayeredSettings::Above(std::string_view appName,
                                                  std::string_view section, std::string_view key) {
    if (appName == settings::kApp && section == settings::kOptions) {
        if (const auto given = overrides_.find(key); given != overrides_.end()) {
            return given->second;
        }
    }
    if (!team_ || !IsTeamKey(appName, section, key)) {
        return std::nullopt;
    }
    auto value = team_->GetSetting(appName, section, key, kAbsent);
    if (value == kAbsent) {
        return std::nullopt;
    }
    return IsOneOf(key, kTemplateKeys) ? TeamTemplatePath(teamFile_, value) : value;
}

std::string LayeredSettings::GetSetting(std::string_view appName, std::string_view section,
                                        std::string_view key, std::string_view fallback) {
    if (auto value = Above(appName, section, key)) {
        return *value;
    }
    return user_.GetSetting(appName, section, key, fallback);
}

void LayeredSettings::SaveSetting(std::string_view appName, std::string_view section,
                                  std::string_view key, std::string_view value) {
    if (Above(appName, section, key) == value) {
        return;
    }
    user_.SaveSetting(appName, section, key, value);
}

SettingOrigin LayeredSettings::OriginOf(std::string_view section, std::string_view key) {
    if (section == settings::kOptions && overrides_.contains(key)) {
        return SettingOrigin::CommandLine;
    }
    return Above(settings::kApp, section, key) ? SettingOrigin::Team : SettingOrigin::User;
}

}  // namespace brindle::host

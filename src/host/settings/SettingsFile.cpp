#include "host/settings/SettingsFile.h"

#include <optional>

#include "host/files/FileSystem.h"
#include "model/SettingsKeys.h"

namespace brindle::host {
namespace {

std::string KeyPath(std::string_view appName, std::string_view section, std::string_view key) {
    std::string path(appName);
    path += '\0';
    path += section;
    path += '\0';
    path += key;
    return path;
}

std::unique_ptr<SettingsBackend> OpenDefault() {
    if (const auto file = EnvironmentValue("BRINDLE_SETTINGS")) {
        return OpenSettingsFile(PathOf(*file));
    }
    return OpenUserSettings();
}

}  // namespace

SettingsFile::SettingsFile() : backend_(OpenDefault()) {}

SettingsFile::SettingsFile(const std::filesystem::path& file) : backend_(OpenSettingsFile(file)) {}

SettingsFile::SettingsFile(std::unique_ptr<SettingsBackend> backend)
    : backend_(std::move(backend)) {}

SettingsFile::~SettingsFile() = default;

std::string SettingsFile::GetSetting(std::string_view appName, std::string_view section,
                                     std::string_view key, std::string_view fallback) {
    if (auto value = backend_->Read(appName, section, key)) {
        return std::move(*value);
    }
    std::string userName;
    if (fallback.empty() && appName == settings::kApp && section == settings::kOptions &&
        key == settings::kAuthorKey) {
        // No author chosen, and none by default: the user's own name, as the system knows it.
        userName = UserName();
        fallback = userName;
    }
    fallbacks_[KeyPath(appName, section, key)] = std::string(fallback);
    return std::string(fallback);
}

void SettingsFile::SaveSetting(std::string_view appName, std::string_view section,
                               std::string_view key, std::string_view value) {
    const std::optional<std::string> stored = backend_->Read(appName, section, key);
    const auto fallback = fallbacks_.find(KeyPath(appName, section, key));
    const bool unchanged =
        stored ? *stored == value : fallback != fallbacks_.end() && fallback->second == value;
    if (!unchanged) {
        backend_->Write(appName, section, key, value);
    }
}

std::string SettingsFile::Location() const {
    return backend_->Location();
}

bool SettingsFile::IsFile() const {
    return backend_->IsFile();
}

}  // namespace brindle::host

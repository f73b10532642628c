#include "host/session/HostedAddin.h"

#include "host/files/FileSystem.h"
#include "host/files/RegionalDate.h"
#include "host/session/DefaultCodePage.h"
#include "host/vb6/CodePage.h"
#include "model/SettingsKeys.h"
#include "templates/AddinFields.h"

namespace brindle::host {
namespace {

// Answers as the store below does and writes nothing.
class ReadOnlySettings final : public SettingsStore {
public:
    explicit ReadOnlySettings(SettingsStore& store) : store_(store) {}
    std::string GetSetting(std::string_view appName, std::string_view section, std::string_view key,
                           std::string_view fallback) override {
        return store_.GetSetting(appName, section, key, fallback);
    }
    void SaveSetting(std::string_view, std::string_view, std::string_view,
                     std::string_view) override {}

private:
    SettingsStore& store_;
};

}  // namespace

HostedAddin::HostedAddin(AddinWindows& windows, Diagnostics* sink, const AddinOptions& options,
                         TemplateFileReader templates)
    : teamWarning_(options.teamWarning), templates_(std::move(templates)) {
    if (options.teamFile) {
        auto team = ReadTeam(*options.teamFile, options.codePage);
        layers_.SetTeam(std::move(team), *options.teamFile);
    }
    for (const auto& [key, value] : options.overrides) {
        layers_.Override(key, value);
    }
    templates_.SetCodePage(options.codePage, options.templateWarning);
    if (!options.saveOptions) {
        readOnly_ = std::make_unique<ReadOnlySettings>(layers_);
    }
    SettingsStore& store = readOnly_ ? *readOnly_ : static_cast<SettingsStore&>(layers_);
    addin_ =
        std::make_unique<Brindle>(store, templates_, windows, sink, Clock(), RegionalShortDate);
    addin_->IgnoreExclusions(options.ignoreExclusions);
}

std::unique_ptr<SettingsStore> HostedAddin::ReadTeam(const std::filesystem::path& file,
                                                     int codePage) {
    auto team = ReadTeamSettings(file, codePage);
    for (const auto& warning : team.warnings) {
        if (teamWarning_) {
            teamWarning_(warning);
        }
    }
    return std::move(team.store);
}

void HostedAddin::SetTeam(std::unique_ptr<SettingsStore> team, const std::filesystem::path& file) {
    addin_->ReloadOptions([&] { layers_.SetTeam(std::move(team), file); });
}

bool HostedAddin::UseTeam(const std::optional<std::filesystem::path>& file, bool reread,
                          int codePage, const std::function<void(std::string_view text)>& problem) {
    const std::filesystem::path wanted = file.value_or(std::filesystem::path());
    if (wanted == teamWanted_ && !reread) {
        return false;
    }
    teamWanted_ = wanted;
    std::unique_ptr<SettingsStore> team;
    if (file) {
        try {
            team = ReadTeam(*file, codePage);
        } catch (const TeamSettingsError& e) {
            if (problem) {
                problem(std::string(e.what()) + "; your own options apply until it is fixed");
            }
        }
    }
    SetTeam(std::move(team), wanted);
    return true;
}

std::vector<std::string_view> HostedAddin::TeamKeys() {
    std::vector<std::string_view> keys;
    if (layers_.TeamFile().empty()) {
        return keys;
    }
    std::vector<std::string_view> fields = {settings::kMarkersKey, settings::kSkipExistingKey,
                                            settings::kDateFormatKey};
    for (const TemplateSlot& slot : kTemplateSlots) {
        fields.push_back(slot.key);
    }
    for (const std::string_view key : fields) {
        if (layers_.OriginOf(settings::kOptions, key) == SettingOrigin::Team) {
            keys.push_back(key);
        }
    }
    return keys;
}

int HostedAddin::DefaultCodePage(const std::optional<std::filesystem::path>& teamFile) {
    if (teamFile) {
        try {
            if (const auto team = ReadTeamSettings(*teamFile, SystemDefaultCodePage()).codePage) {
                return *team;
            }
        } catch (const TeamSettingsError&) {
            // Told when the add-in takes the team settings.
        }
    }
    try {
        return StoredDefaultCodePage(settings_);
    } catch (const UnknownCodePage&) {
        return SystemDefaultCodePage();
    }
}

}  // namespace brindle::host

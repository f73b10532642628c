#include "host/session/AddinSession.h"

#include <charconv>

#include "codegen/Refresh.h"
#include "host/ide/MemoryCodeModule.h"
#include "host/ide/MemoryProject.h"
#include "host/vb6/CodePage.h"
#include "model/SettingsKeys.h"

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

constexpr int kFallbackCodePage = 1252;

}  // namespace

AddinSession::AddinSession(AddinWindows& windows, Diagnostics* sink, SessionOptions options)
    : options_(std::move(options)), sink_(sink), vbe_(options_.ide) {
    if (options_.teamFile) {
        auto team = ReadTeam(*options_.teamFile, options_.codePage);
        layers_.SetTeam(std::move(team), *options_.teamFile);
    }
    for (const auto& [key, value] : options_.overrides) {
        layers_.Override(key, value);
    }
    templates_.SetCodePage(options_.codePage, options_.templateWarning);
    if (!options_.saveOptions) {
        readOnly_ = std::make_unique<ReadOnlySettings>(layers_);
    }
    SettingsStore& store = readOnly_ ? *readOnly_ : static_cast<SettingsStore&>(layers_);
    addin_ = std::make_unique<Brindle>(store, templates_, windows, sink_);
    addin_->IgnoreExclusions(options_.ignoreExclusions);
}

AddinSession::~AddinSession() {
    vbe_.Shutdown();
}

std::unique_ptr<SettingsStore> AddinSession::ReadTeam(const std::filesystem::path& file,
                                                      int codePage) {
    auto team = ReadTeamSettings(file, codePage);
    for (const auto& warning : team.warnings) {
        if (options_.teamWarning) {
            options_.teamWarning(warning);
        }
    }
    return std::move(team.store);
}

void AddinSession::SetTeam(std::unique_ptr<SettingsStore> team, const std::filesystem::path& file) {
    addin_->ReloadOptions([&] { layers_.SetTeam(std::move(team), file); });
}

int AddinSession::DefaultCodePage(const std::optional<std::filesystem::path>& teamFile) {
    if (teamFile) {
        try {
            if (const auto team = ReadTeamSettings(*teamFile, kFallbackCodePage).codePage) {
                return *team;
            }
        } catch (const TeamSettingsError&) {
            // Told when the add-in takes the team settings.
        }
    }
    try {
        return StoredDefaultCodePage(settings_);
    } catch (const UnknownCodePage&) {
        return kFallbackCodePage;
    }
}

std::size_t AddinSession::Refresh(const ComponentList& components, Unplaced unplaced,
                                  const std::function<void(std::size_t index)>& starting) {
    addin_->Fields().todayText.reset();  // it may be another day since the last command
    std::size_t changed = 0;
    for (std::size_t i = 0; i < components.count; ++i) {
        VBComponent* component = components.at(i);
        if (component == nullptr) {
            break;
        }
        const auto* memory = dynamic_cast<const MemoryComponent*>(component);
        if (memory == nullptr || memory->Code() == nullptr) {
            continue;
        }
        if (starting) {
            starting(i);
        }
        if (options_.status) {
            options_.status("Refreshing Brindle code in " + component->Name());
        }
        const std::uint64_t version = memory->Code()->Version();
        IgnoreStep(sink_, [&] {
            RefreshModule(addin_->Fields(), component->CodeModule(), sink_, unplaced);
        });
        if (memory->Code()->Version() != version) {
            ++changed;
        }
    }
    return changed;
}

int StoredDefaultCodePage(SettingsStore& store) {
    const std::string text =
        store.GetSetting(settings::kApp, kDefaultCodePageSection, kDefaultCodePageKey,
                         std::to_string(kFallbackCodePage));
    int codePage = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), codePage);
    if (error != std::errc() || end != text.data() + text.size() || !IsModuleCodePage(codePage)) {
        throw UnknownCodePage(text);
    }
    return codePage;
}

void StoreDefaultCodePage(SettingsStore& store, int codePage) {
    const std::string text = std::to_string(codePage);
    if (store.GetSetting(settings::kApp, kDefaultCodePageSection, kDefaultCodePageKey,
                         std::to_string(kFallbackCodePage)) != text) {
        store.SaveSetting(settings::kApp, kDefaultCodePageSection, kDefaultCodePageKey, text);
    }
}

}  // namespace brindle::host

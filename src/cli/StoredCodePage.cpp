#include "cli/StoredCodePage.h"

#include <charconv>
#include <filesystem>
#include <string>

#include "cli/stream/Inputs.h"
#include "host/files/SettingsFile.h"
#include "host/files/TeamSettings.h"
#include "host/vb6/CodePage.h"
#include "templates/OptionStore.h"

namespace brindle::cli {
namespace {

constexpr std::string_view kSection = host::kDefaultCodePageSection;
constexpr std::string_view kKey = host::kDefaultCodePageKey;

}  // namespace

int StoredCodePage(SettingsStore& store) {
    const std::string text =
        store.GetSetting(kAppName, kSection, kKey, std::to_string(kDefaultCodePage));
    int codePage = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), codePage);
    if (error != std::errc() || end != text.data() + text.size() ||
        !host::IsModuleCodePage(codePage)) {
        throw InputError("the settings hold \"" + text +
                         "\" as the default code page, which is not one Brindle knows; change "
                         "it with brindle options --codepage N");
    }
    return codePage;
}

void StoreCodePage(SettingsStore& store, int codePage) {
    const std::string text = std::to_string(codePage);
    if (store.GetSetting(kAppName, kSection, kKey, std::to_string(kDefaultCodePage)) != text) {
        store.SaveSetting(kAppName, kSection, kKey, text);
    }
}

int UserCodePage() {
    host::SettingsFile settings;
    return StoredCodePage(settings);
}

std::optional<int> TeamCodePage(const Request& request) {
    const auto file = request.files.empty()
                          ? host::FindTeamSettings(std::filesystem::current_path())
                          : TeamSettingsFor(request.files);
    if (!file) {
        return std::nullopt;
    }
    try {
        return host::ReadTeamSettings(*file, kDefaultCodePage).codePage;
    } catch (const host::TeamSettingsError& e) {
        throw InputError(e.what());
    }
}

int CodePageOf(const Request& request) {
    if (request.codepage) {
        return *request.codepage;
    }
    if (const auto team = TeamCodePage(request)) {
        return *team;
    }
    return UserCodePage();
}

}  // namespace brindle::cli

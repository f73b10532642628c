#include "cli/commands/StoredCodePage.h"

#include <filesystem>
#include <string>

#include "cli/stream/Inputs.h"
#include "host/session/AddinSession.h"
#include "host/settings/SettingsFile.h"
#include "host/settings/TeamSettings.h"

namespace brindle::cli {

int StoredCodePage(SettingsStore& store) {
    try {
        return host::StoredDefaultCodePage(store);
    } catch (const host::UnknownCodePage& e) {
        throw InputError("the settings hold \"" + e.Text() +
                         "\" as the default code page, which is not one Brindle knows; change "
                         "it with brindle options --codepage N");
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

#include "cli/commands/StoredCodePage.h"

#include <filesystem>
#include <string>

#include "cli/stream/Inputs.h"
#include "host/files/DocumentFile.h"
#include "host/files/FileSystem.h"
#include "host/files/ProjectLoader.h"
#include "host/session/AddinSession.h"
#include "host/settings/SettingsFile.h"
#include "host/settings/TeamSettings.h"
#include "host/vb6/CodePage.h"

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
    // An Office document's VBA project says which code page its text is in.
    if (request.files.size() == 1 && host::IsOfficeDocument(host::PathOf(request.files.front()))) {
        try {
            return host::DocumentFile::Open(host::PathOf(request.files.front()), kDefaultCodePage)
                ->CodePage();
        } catch (const host::LoadError&) {
            // Told when the document is planned.
        }
    }
    if (request.codepage) {
        return *request.codepage;
    }
    if (const auto team = TeamCodePage(request)) {
        return *team;
    }
    return UserCodePage();
}

namespace {

std::string NamedCodePage(int codePage) {
    return std::to_string(codePage) + (codePage == 932 ? " (Japanese)" : " (Chinese)");
}

}  // namespace

void HintCodePage(const Request& request, int codePage, RunLog& log) {
    if (request.codepage || request.files.empty() || host::IsDoubleByteCodePage(codePage)) {
        return;
    }
    const auto file = host::PathOf(request.files.front());
    if (!host::IsProjectOrGroupFile(file) || host::IsOfficeDocument(file) ||
        TeamCodePage(request)) {
        return;
    }
    std::vector<int> readings;
    try {
        readings = host::DoubleByteReadingsOf(host::ReadFileBytes(file));
    } catch (const host::FileError&) {
        return;
    }
    if (readings.empty()) {
        return;
    }
    std::string which = NamedCodePage(readings.front());
    for (std::size_t i = 1; i < readings.size(); ++i) {
        which += " or " + NamedCodePage(readings[i]);
    }
    const std::string page = std::to_string(readings.front());
    log.Warning(host::Label(file, codePage) + " reads as code page " + which + ", not " +
                std::to_string(codePage) + ": if it was saved so, give --codepage " + page +
                ", or set Code Page=" + page + " under [Command Line] in the team's brindle.ini");
}

}  // namespace brindle::cli

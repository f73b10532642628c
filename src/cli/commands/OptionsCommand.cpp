#include "cli/commands/OptionsCommand.h"

#include <array>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "addin/Commands.h"
#include "cli/commands/Session.h"
#include "cli/commands/StoredCodePage.h"
#include "cli/report/RunLog.h"
#include "cli/report/Table.h"
#include "cli/stream/Inputs.h"
#include "host/files/FileSystem.h"
#include "host/files/RegionalDate.h"
#include "host/settings/TeamSettings.h"
#include "host/vb6/CodePage.h"
#include "model/SettingsKeys.h"
#include "templates/OptionStore.h"
#include "util/DateFormat.h"

namespace fs = std::filesystem;

namespace brindle::cli {
namespace {

// The file a template path leads to now, or nothing.
std::optional<fs::path> Found(const host::TemplateFileReader& reader, const std::string& path) {
    std::error_code error;
    const fs::path file = reader.Resolve(path);
    if (file.empty() || !fs::is_regular_file(file, error)) {
        return std::nullopt;
    }
    return fs::absolute(file, error).lexically_normal();
}

// For each of kTemplateSlots: its row in the list of the options, and its change.
struct TemplateOption {
    const char* name;
    std::optional<std::string> OptionChanges::*change;
};
constexpr std::array<TemplateOption, kTemplateSlots.size()> kTemplateOptions = {{
    {"module-header-template", &OptionChanges::moduleHeaderTemplate},
    {"procedure-header-template", &OptionChanges::procedureHeaderTemplate},
    {"error-header-template", &OptionChanges::errorHeaderTemplate},
    {"error-footer-template", &OptionChanges::errorFooterTemplate},
}};

void Reset(frmOptions& dialog) {
    auto& controls = dialog.Controls();
    controls.txtAuthor = host::UserName();
    controls.chkCodeMarkers = 1;
    controls.chkDisableSplash = 0;
    controls.chkSkipExisting = 0;
    controls.txtDateFormat = kDefaultDateFormat;
    for (std::size_t i = 0; i < kTemplateSlots.size(); ++i) {
        controls.*kTemplateBoxes[i] = kTemplateSlots[i].defaultFile;
    }
    dialog.SetLastDir(kDefaultLastDir);
}

// A template path is kept as typed, and looked for as it will be at each use.
void Apply(const OptionChanges& changes, OptionsControls& controls,
           const host::TemplateFileReader& reader, RunLog& log) {
    if (changes.author) {
        controls.txtAuthor = *changes.author;
    }
    if (changes.markers) {
        controls.chkCodeMarkers = *changes.markers ? 1 : 0;
    }
    if (changes.splash) {
        controls.chkDisableSplash = *changes.splash ? 0 : 1;
    }
    if (changes.skipExisting) {
        controls.chkSkipExisting = *changes.skipExisting ? 1 : 0;
    }
    if (changes.dateFormat) {
        controls.txtDateFormat = *changes.dateFormat;
    }
    const auto take = [&](const std::optional<std::string>& path, std::string& box) {
        if (!path) {
            return;
        }
        box = *path;
        if (!path->empty() && !Found(reader, *path)) {
            log.Warning("no template file " + *path +
                        " in the current folder or among the installed templates; that "
                        "template will be empty until there is one");
        }
    };
    for (std::size_t i = 0; i < kTemplateSlots.size(); ++i) {
        take(changes.*kTemplateOptions[i].change, controls.*kTemplateBoxes[i]);
    }
}

std::string OnOff(bool on) {
    return on ? "on" : "off";
}

// Short Date with today as the user's regional settings write it, which differs from place to
// place.
std::string DateFormatShown(const std::string& format) {
    if (!IsShortDate(format)) {
        return format;
    }
    const std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    if (local == nullptr) {
        return format;
    }
    const CalendarDate today{local->tm_year + 1900, local->tm_mon + 1, local->tm_mday};
    return format + " (regional: " + FormatDate(format, today, host::RegionalShortDate) + ")";
}

struct Shown {
    AddinFields fields;  // as the commands run here take them
    int codePage = host::SystemDefaultCodePage();
    bool codePageFromTeam = false;
    std::string settings;  // the file, or the registry key
    bool settingsInFile = true;
    std::string teamFile;
};

// Each row's value, and where it comes from when that is the team's brindle.ini.
void Print(const Shown& shown, host::LayeredSettings& layers,
           const host::TemplateFileReader& reader, std::ostream& out) {
    const auto& fields = shown.fields;
    const auto from = [&](std::string_view key) {
        return layers.OriginOf(settings::kOptions, key) == host::SettingOrigin::Team
                   ? std::string("(from brindle.ini)")
                   : std::string();
    };
    const auto row = [&](const char* name, const std::string& value, std::string_view key) {
        auto origin = from(key);
        return origin.empty() ? std::vector<std::string>{name, value}
                              : std::vector<std::string>{name, value, origin};
    };
    const auto templateRow = [&](const char* name, const std::string& path, std::string_view key) {
        const auto found = Found(reader, path);
        std::vector<std::string> cells{name, path,
                                       "-> " + (found ? host::TextOf(*found) : "not found")};
        if (auto origin = from(key); !origin.empty()) {
            cells.push_back(origin);
        }
        return cells;
    };
    std::vector<std::vector<std::string>> rows = {
        {shown.settingsInFile ? "settings-file" : "settings-key", shown.settings},
        {"team-settings", shown.teamFile.empty() ? "none" : shown.teamFile},
        {"author", fields.msAuthor},
        row("markers", OnOff(fields.mbAddCodeMarkers), settings::kMarkersKey),
        {"splash", OnOff(!fields.mbDisableSplash)},
        row("skip-existing", OnOff(fields.mbSkipExisting), settings::kSkipExistingKey),
        row("date-format", DateFormatShown(fields.msDateFormat), settings::kDateFormatKey),
        row("excluded-procedures", fields.msExcludedProcs.empty() ? "none" : fields.msExcludedProcs,
            settings::kExcludedProcsKey),
        shown.codePageFromTeam
            ? std::vector<std::string>{"codepage", std::to_string(shown.codePage),
                                       "(from brindle.ini)"}
            : std::vector<std::string>{"codepage", std::to_string(shown.codePage)}};
    for (std::size_t i = 0; i < kTemplateSlots.size(); ++i) {
        rows.push_back(templateRow(kTemplateOptions[i].name, fields.*kTemplateSlots[i].path,
                                   kTemplateSlots[i].key));
    }
    rows.push_back({"last-directory", fields.msLastDir});
    PrintColumns(rows, out);
}

void WarnOfTeamValue(std::string_view key, const fs::path& teamFile, int codePage, RunLog& log) {
    std::string text(1, '"');
    text.append(key).append("\" is set by ");
    text.append(host::ShownAsUtf8(host::TextOf(teamFile), codePage));
    log.Warning(text + ", which applies here; your own setting was changed for elsewhere");
}

// A change to a value that the team's brindle.ini gives is kept in the user's own settings,
// where it applies outside this folder's projects.
void WarnOfTeamValues(const OptionChanges& changes, host::LayeredSettings& layers, int codePage,
                      RunLog& log) {
    std::vector<std::pair<bool, std::string_view>> changed = {
        {changes.markers.has_value(), settings::kMarkersKey},
        {changes.skipExisting.has_value(), settings::kSkipExistingKey},
        {changes.dateFormat.has_value(), settings::kDateFormatKey},
    };
    for (std::size_t i = 0; i < kTemplateSlots.size(); ++i) {
        changed.emplace_back((changes.*kTemplateOptions[i].change).has_value(),
                             kTemplateSlots[i].key);
    }
    for (const auto& [given, key] : changed) {
        if (given && layers.OriginOf(settings::kOptions, key) == host::SettingOrigin::Team) {
            WarnOfTeamValue(key, layers.TeamFile(), codePage, log);
        }
    }
}

// The code page as it is to be kept: the one given, the default after --reset, or the stored
// one. A stored text that is no code page is kept and told in `problem`.
int NewCodePage(const OptionChanges& changes, std::string& problem) {
    if (changes.codepage) {
        CheckCodePage(*changes.codepage);
        return *changes.codepage;
    }
    if (changes.reset) {
        return host::SystemDefaultCodePage();
    }
    try {
        return UserCodePage();
    } catch (const InputError& e) {
        problem = e.what();
        return host::SystemDefaultCodePage();
    }
}

}  // namespace

int RunOptions(const Request& request, const Streams& io) {
    const auto& changes = request.options;
    std::string problem;
    const int codePage = NewCodePage(changes, problem);
    const std::optional<int> teamCodePage = TeamCodePage({});
    RunLog log(io.err, Progress::Quiet, teamCodePage.value_or(codePage));
    if (!problem.empty()) {
        log.Warning(problem);
    }
    host::TemplateFileReader reader;
    bool filled = false;
    SessionSetup setup;
    setup.codePage = codePage;
    setup.teamFile = host::FindTeamSettings(fs::current_path());
    setup.fillOptions = [&](frmOptions& dialog) {
        if (changes.reset) {
            Reset(dialog);
        }
        Apply(changes, dialog.Controls(), reader, log);
        filled = true;
        return changes.Any() ? DialogButton::OK : DialogButton::Cancel;
    };
    Session session(log, setup);
    session.Connect();
    session.Run(CommandId::Options);
    if (problem.empty()) {
        log.SetCurrent(session.SettingsLabel(), "the code page was not saved");
        IgnoreStep(&log, [&] { host::StoreDefaultCodePage(session.Settings(), codePage); });
    }
    session.Disconnect();
    if (!filled) {
        log.Problem("options", "the add-in did not connect; the options were not shown");
        return 1;
    }
    WarnOfTeamValues(changes, session.Layers(), codePage, log);
    if (changes.codepage && teamCodePage) {
        WarnOfTeamValue(host::kDefaultCodePageKey, session.Layers().TeamFile(), codePage, log);
    }
    Shown shown;
    LoadOptions(session.Layers(), shown.fields);
    shown.codePage = teamCodePage.value_or(codePage);
    shown.codePageFromTeam = teamCodePage.has_value();
    shown.settings = session.SettingsLabel(false);
    shown.settingsInFile = session.Settings().IsFile();
    if (setup.teamFile) {
        shown.teamFile = host::ShownAsUtf8(host::TextOf(*setup.teamFile), codePage);
    }
    Print(shown, session.Layers(), reader, io.out);
    return log.Failures() > 0 ? 1 : 0;
}

}  // namespace brindle::cli

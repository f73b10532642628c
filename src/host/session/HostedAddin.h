#pragma once
// The add-in with what every host gives it, whichever IDE it runs in (ours in memory, or the
// real one through the DLL): the user's settings with a team's brindle.ini laid over them, and
// the template files. The host brings the IDE and the windows.

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "addin/AddinWindows.h"
#include "addin/Brindle.h"
#include "host/files/TemplateFileReader.h"
#include "host/settings/SettingsFile.h"
#include "host/settings/TeamSettings.h"
#include "host/vb6/CodePage.h"
#include "model/Diagnostics.h"

namespace brindle::host {

struct AddinOptions {
    // Of templates that are not UTF-8, and of a team file that names none.
    int codePage = SystemDefaultCodePage();
    // Laid over the user's settings from the start; values for this session over both
    // ("Options" keys).
    std::optional<std::filesystem::path> teamFile;
    std::map<std::string, std::string> overrides;
    bool saveOptions = true;        // false: the add-in's options are never written
    bool ignoreExclusions = false;  // see AddinFields::mbIgnoreExclusions
    // What the team's file warns of, a line each; and the characters of a template that the
    // code page lacks, once a file.
    std::function<void(std::string_view text)> teamWarning;
    std::function<void(std::string_view text)> templateWarning;
};

class HostedAddin {
public:
    // Raises TeamSettingsError for a team file that cannot be taken.
    HostedAddin(AddinWindows& windows, Diagnostics* sink, const AddinOptions& options,
                TemplateFileReader templates = TemplateFileReader());
    HostedAddin(const HostedAddin&) = delete;
    HostedAddin& operator=(const HostedAddin&) = delete;

    Brindle& Addin() { return *addin_; }
    const Brindle& Addin() const { return *addin_; }
    SettingsFile& Settings() { return settings_; }
    const SettingsFile& Settings() const { return settings_; }
    LayeredSettings& Layers() { return layers_; }
    const LayeredSettings& Layers() const { return layers_; }
    TemplateFileReader& Templates() { return templates_; }

    // The team's file read in `codePage` (unless it names its own), its warnings told. Raises
    // TeamSettingsError for a file that cannot be taken.
    std::unique_ptr<SettingsStore> ReadTeam(const std::filesystem::path& file, int codePage);
    // Lays `team` (read from `file`; null for none) over the user's settings: the add-in saves
    // its options first and reads them again after.
    void SetTeam(std::unique_ptr<SettingsStore> team, const std::filesystem::path& file);

    // Lays the team's `file` over the user's settings (none: the user's own alone) unless it
    // is the file asked for last and `reread` is false; true when it did. A file that is not
    // in UTF-8 or UTF-16 is read in `codePage` (unless it names its own). One that cannot be
    // taken is told to `problem`, and the user's own options apply until it is fixed.
    bool UseTeam(const std::optional<std::filesystem::path>& file, bool reread, int codePage,
                 const std::function<void(std::string_view text)>& problem);
    // The settings keys of the options dialog's fields that the team's file gives now.
    std::vector<std::string_view> TeamKeys();

    // The code page a project opens in when it has none of its own: the team's, else the
    // user's default; 1252 when neither is stored or can be taken.
    int DefaultCodePage(const std::optional<std::filesystem::path>& teamFile);

private:
    std::function<void(std::string_view text)> teamWarning_;
    std::filesystem::path teamWanted_;  // the team file last asked for, taken or not
    SettingsFile settings_;
    LayeredSettings layers_{settings_};
    std::unique_ptr<SettingsStore> readOnly_;
    TemplateFileReader templates_;
    std::unique_ptr<Brindle> addin_;
};

}  // namespace brindle::host

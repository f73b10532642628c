#pragma once
// The add-in as every front end runs it: the user's settings with a team's brindle.ini laid
// over them, the template files, our IDE in memory and the add-in object in it. A front end
// brings its windows (headless, Qt, the real IDE's) and where its reports go.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "addin/AddinWindows.h"
#include "addin/Brindle.h"
#include "codegen/BlockText.h"
#include "host/files/TemplateFileReader.h"
#include "host/ide/Ide.h"
#include "host/settings/SettingsFile.h"
#include "host/settings/TeamSettings.h"
#include "model/Diagnostics.h"

namespace brindle::host {

struct SessionOptions {
    IdeSetup ide;
    int codePage = 1252;  // of templates that are not UTF-8, and of a team file that names none
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
    // Each module as a refresh comes to it: "Refreshing Brindle code in NAME" (the name in the
    // module's code page).
    std::function<void(std::string_view message)> status;
};

// The components a refresh walks, in order; `at` gives each and null ends the walk early.
struct ComponentList {
    std::size_t count = 0;
    std::function<VBComponent*(std::size_t index)> at;
};

class AddinSession {
public:
    // Raises TeamSettingsError for a team file that cannot be taken.
    AddinSession(AddinWindows& windows, Diagnostics* sink, SessionOptions options);
    // Disconnects every add-in.
    ~AddinSession();
    AddinSession(const AddinSession&) = delete;
    AddinSession& operator=(const AddinSession&) = delete;

    MemoryVBE& Ide() { return vbe_; }
    const MemoryVBE& Ide() const { return vbe_; }
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

    // The code page a project opens in when it has none of its own: the team's, else the
    // user's default; 1252 when neither is stored or can be taken.
    int DefaultCodePage(const std::optional<std::filesystem::path>& teamFile);

    // Rewrites the marked blocks of each component with code, in turn, with the add-in's
    // templates and options (RefreshModule). `starting` is told of each first. A failure in one
    // module is told to the sink and the walk goes on. Returns how many modules changed.
    std::size_t Refresh(const ComponentList& components, Unplaced unplaced,
                        const std::function<void(std::size_t index)>& starting = {});

private:
    SessionOptions options_;
    Diagnostics* sink_;
    SettingsFile settings_;
    LayeredSettings layers_{settings_};
    std::unique_ptr<SettingsStore> readOnly_;
    TemplateFileReader templates_;
    MemoryVBE vbe_;
    std::unique_ptr<Brindle> addin_;
};

// The code page the user stored as the default of the command line ("Code Page" in [Command
// Line]); 1252 when none is stored. Raises UnknownCodePage for a stored text that is no code
// page Brindle knows.
int StoredDefaultCodePage(SettingsStore& store);
// Writes it only when it differs from the stored one.
void StoreDefaultCodePage(SettingsStore& store, int codePage);

class UnknownCodePage : public std::runtime_error {
public:
    explicit UnknownCodePage(std::string text)
        : std::runtime_error("unknown code page " + text), text_(std::move(text)) {}
    const std::string& Text() const { return text_; }

private:
    std::string text_;
};

}  // namespace brindle::host

#pragma once
// The add-in as the front ends over our IDE in memory run it: the add-in with its settings and
// templates (HostedAddin.h), and our IDE with the add-in in it. A front end brings its windows
// (headless or Qt) and where its reports go.

#include <cstddef>
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
#include "codegen/BlockText.h"
#include "host/files/TemplateFileReader.h"
#include "host/ide/Ide.h"
#include "host/session/DefaultCodePage.h"
#include "host/session/HostedAddin.h"
#include "host/settings/SettingsFile.h"
#include "host/settings/TeamSettings.h"
#include "model/Diagnostics.h"

namespace brindle::host {

struct SessionOptions : AddinOptions {
    IdeSetup ide;
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
    Brindle& Addin() { return hosted_.Addin(); }
    const Brindle& Addin() const { return hosted_.Addin(); }
    SettingsFile& Settings() { return hosted_.Settings(); }
    const SettingsFile& Settings() const { return hosted_.Settings(); }
    LayeredSettings& Layers() { return hosted_.Layers(); }
    const LayeredSettings& Layers() const { return hosted_.Layers(); }
    TemplateFileReader& Templates() { return hosted_.Templates(); }
    // Where the add-in's failures and warnings go.
    Diagnostics* Sink() const { return sink_; }

    // See HostedAddin.
    std::unique_ptr<SettingsStore> ReadTeam(const std::filesystem::path& file, int codePage) {
        return hosted_.ReadTeam(file, codePage);
    }
    void SetTeam(std::unique_ptr<SettingsStore> team, const std::filesystem::path& file) {
        hosted_.SetTeam(std::move(team), file);
    }
    bool UseTeam(const std::optional<std::filesystem::path>& file, bool reread, int codePage,
                 const std::function<void(std::string_view text)>& problem) {
        return hosted_.UseTeam(file, reread, codePage, problem);
    }
    std::vector<std::string_view> TeamKeys() { return hosted_.TeamKeys(); }
    int DefaultCodePage(const std::optional<std::filesystem::path>& teamFile) {
        return hosted_.DefaultCodePage(teamFile);
    }

    // Rewrites the marked blocks of each component with code, in turn, with the add-in's
    // templates and options (RefreshModule). `starting` is told of each first. A failure in one
    // module is told to the sink and the walk goes on. Returns how many modules changed.
    std::size_t Refresh(const ComponentList& components, Unplaced unplaced,
                        const std::function<void(std::size_t index)>& starting = {});

private:
    SessionOptions options_;
    Diagnostics* sink_;
    MemoryVBE vbe_;
    HostedAddin hosted_;  // after the IDE, so that the add-in goes first
};

}  // namespace brindle::host

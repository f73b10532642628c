#pragma once
// The workbench as the add-in's host: our IDE in memory with the workbench's own command bars
// and windows, the add-in object with its settings, templates and Qt windows, connected and
// disconnected as the Add-In Manager says, and clicks on the add-in's buttons as the IDE
// delivers them.

#include <QWidget>
#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "addin/Brindle.h"
#include "addin/Commands.h"
#include "host/files/ProjectLoader.h"
#include "host/session/AddinSession.h"
#include "host/session/CommandRunner.h"
#include "ui/qt/QtWindows.h"

namespace brindle::workbench {

class OutputWindow;
class Workspace;

// The workbench's own entries on the command bars, before the add-in's.
inline constexpr std::string_view kCut = "Cut";
inline constexpr std::string_view kCopy = "Copy";
inline constexpr std::string_view kPaste = "Paste";
inline constexpr std::string_view kSelectAll = "Select All";
inline constexpr std::string_view kDefinition = "Definition";
inline constexpr std::string_view kCodePage = "Code Page...";
inline constexpr std::string_view kSaveProject = "Save Project";
inline constexpr std::string_view kCloseProject = "Close Project";

class AddinHost {
public:
    // The add-in's settings are those the command line uses, under the team settings of the
    // active project; `owner` owns its windows.
    AddinHost(QWidget* owner, OutputWindow& output, Workspace& workspace);
    ~AddinHost();
    AddinHost(const AddinHost&) = delete;
    AddinHost& operator=(const AddinHost&) = delete;

    host::MemoryVBE& Ide() { return session_.Ide(); }
    ui::qt::QtWindows& Windows() { return windows_; }
    const Brindle& Addin() const { return session_.Addin(); }

    bool Loaded() const { return session_.Ide().IsConnected(session_.Addin()); }
    // At start-up (told that it is complete by CompleteStartup), or later.
    void Load(bool atStartup);
    // Disconnects the add-in, which hides its buttons and saves its options.
    void Unload();
    void CompleteStartup() { Ide().CompleteStartup(); }

    // Runs the add-in's command as the IDE delivers a click on its button, after what the
    // command line warns of too: every module's edits in it become one step of its history,
    // named after the button, and what is reported is told with the module it concerns.
    // `around` is called before and after (true, then false).
    void Click(CommandId command);
    std::function<void(bool starting)> around;

    // Not a button of the add-in but the host's own command, run as a click is: asks first,
    // reads the options and templates again, then rewrites the marked blocks of the active
    // pane's module (for the code window's bar) or of every module of the active project (for
    // the project window's bar).
    void Refresh(std::string_view bar, const host::LoadProgress& progress = {});

    // The team settings (a brindle.ini) that the add-in's options are taken from, or none.
    // The options are saved and read again when the file changes, or when `reread`; true
    // then. A file that is not in UTF-8 or UTF-16 is read in `codePage` (unless it names its
    // own); what is wrong in it is shown in the output window.
    bool UseTeamSettings(const std::optional<std::filesystem::path>& file, bool reread = false,
                         int codePage = 1252);
    const std::filesystem::path& TeamFile() const { return session_.Layers().TeamFile(); }

    // The visible controls of a bar in order: caption, whether a group begins there, and the
    // add-in's command behind it (none for the workbench's own).
    struct Entry {
        std::string caption;
        bool beginGroup;
        std::optional<CommandId> command;
    };
    std::vector<Entry> Entries(std::string_view bar);

    // Disconnects every add-in; happens once.
    void Shutdown();

    // The code page the command line takes by default: the team's (`Code Page` in the
    // [Command Line] of its brindle.ini), else the user's (`brindle options --codepage`), 1252
    // when none is stored or the stored one is unknown.
    int DefaultCodePage(const std::optional<std::filesystem::path>& teamFile = std::nullopt) {
        return session_.DefaultCodePage(teamFile);
    }

private:
    std::vector<VBComponent*> ComponentsConcerned(std::string_view bar);
    // Whether the output window sums up a command: always, when it did some work, or never.
    enum class Summary { Always, OfWork, None };
    void Run(std::string_view step, const std::vector<VBComponent*>& concerned,
             const std::function<void()>& work, Summary summary);
    int ActiveCodePage();
    void KeepTeamValues();
    ui::qt::FixedOptions TeamOptions();
    void WarnOfTemplates();

    OutputWindow& output_;
    Workspace& workspace_;
    ui::qt::QtWindows windows_;
    host::AddinSession session_;
    host::CommandRunner runner_{session_};
    bool running_ = false;
};

}  // namespace brindle::workbench

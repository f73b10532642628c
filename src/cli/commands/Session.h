#pragma once
// One run of the add-in in our headless IDE: the settings and template files, the windows,
// the add-in connected in command-line mode, and clicks on its buttons.

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
#include "addin/Commands.h"
#include "host/session/AddinSession.h"
#include "host/session/CommandRunner.h"
#include "ui/Headless.h"

namespace brindle::cli {

class RunLog;

// How the add-in's confirmations are answered. On the terminal the first question is asked and
// its answer holds for the rest of the run: one command, one question.
enum class Confirmation { Yes, AskOnTerminal };

struct SessionSetup {
    int codePage = 1252;  // of the modules, and of templates that are not UTF-8
    Confirmation confirmation = Confirmation::Yes;
    std::istream* terminalIn = nullptr;
    std::ostream* terminalOut = nullptr;
    // Shown above the question: what the command works on, in the command line's words.
    std::string questionAbout;
    ui::OptionsFiller fillOptions;
    // The team's brindle.ini over the user's settings, and values for this run over both
    // ("Options" keys).
    std::optional<std::filesystem::path> teamFile;
    std::map<std::string, std::string> overrides;
    bool saveOptions = true;        // false: the add-in's options are never written
    bool ignoreExclusions = false;  // see AddinFields::mbIgnoreExclusions
};

class Session {
public:
    Session(RunLog& log, SessionSetup setup);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    host::MemoryVBE& Ide() { return session_.Ide(); }
    host::SettingsFile& Settings() { return session_.Settings(); }
    host::LayeredSettings& Layers() { return session_.Layers(); }
    // The add-in's options and templates as it loaded them.
    const AddinFields& Fields() const { return session_.Addin().Fields(); }
    host::TemplateFileReader& Templates() { return session_.Templates(); }
    host::AddinSession& Addin() { return session_; }

    // Connects the add-in as the IDE does for a command line (mode 3).
    void Connect();
    enum class ClickResult { Done, NotSelected, NoButton, Declined };
    // Runs the add-in's command (host::CommandRunner) on what is active, on a selection of a
    // module or on a project. NoButton when the add-in has no such button (it did not
    // connect); Declined when a confirmation was not answered Yes.
    ClickResult Run(CommandId id);
    ClickResult Run(CommandId id, CodeModule& module, const host::PaneSelection& selection);
    ClickResult Run(CommandId id, VBProject& project);
    // What to tell before the command adds text (host::CommandRunner::WarningsBeforeAdding).
    std::vector<std::string> WarningsBeforeAdding(CommandId id, int codePage);
    // The run's question was answered Yes before this session: it is not asked again.
    void AnsweredYesBefore() { answered_ = vbYes; }
    // Puts a question of the host's own, answered as the add-in's confirmations are.
    bool Confirm(std::string_view prompt, std::string_view title);
    // Disconnects the add-in, which saves its options; happens once. A failure to save them is
    // reported against the settings file, followed by `afterword`.
    void Disconnect(const std::string& afterword = "the options were not saved");

    // How the settings are named in messages: "settings file " and the file as a user named it,
    // or "settings " and the registry key. Without `named`, the absolute file or the key alone.
    std::string SettingsLabel(bool named = true) const;

private:
    host::SessionOptions OptionsOf(const SessionSetup& setup);
    VbMsgBoxResult Answer(std::string_view prompt, std::int32_t buttons, std::string_view title);
    ClickResult Outcome(host::CommandRunner::Result result) const;

    RunLog& log_;
    SessionSetup setup_;
    ui::HeadlessWindows windows_;
    host::AddinSession session_;
    host::CommandRunner runner_{session_};
    bool declined_ = false;
    std::optional<VbMsgBoxResult> answered_;
    bool disconnected_ = false;
};

}  // namespace brindle::cli

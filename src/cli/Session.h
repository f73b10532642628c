#pragma once
// One run of the add-in in our headless IDE: the settings and template files, the windows,
// the add-in connected in command-line mode, and clicks on its buttons.

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "addin/AddinWindows.h"
#include "addin/Brindle.h"
#include "host/files/SettingsFile.h"
#include "host/files/TemplateFileReader.h"
#include "host/ide/Ide.h"
#include "ui/Headless.h"

namespace brindle::cli {

class RunLog;

// How the add-in's confirmations are answered.
enum class Confirmation { Yes, AskOnTerminal };

struct SessionSetup {
    int codePage = 1252;  // of the modules, and of templates that are not UTF-8
    Confirmation confirmation = Confirmation::Yes;
    std::istream* terminalIn = nullptr;
    std::ostream* terminalOut = nullptr;
    ui::OptionsFiller fillOptions;
};

class Session {
public:
    Session(RunLog& log, SessionSetup setup);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    host::MemoryVBE& Ide() { return vbe_; }
    host::SettingsFile& Settings() { return settings_; }
    host::TemplateFileReader& Templates() { return templates_; }

    // Connects the add-in as the IDE does for a command line (mode 3).
    void Connect();
    enum class ClickResult { Done, NoButton, Declined };
    // Clicks the add-in's button. NoButton when the add-in has no such button (it did not
    // connect); Declined when a confirmation was not answered Yes.
    ClickResult Click(std::string_view commandBar, std::string_view caption);
    // Disconnects the add-in, which saves its options; happens once. A failure to save them is
    // reported against the settings file, followed by `afterword`.
    void Disconnect(const std::string& afterword = "the options were not saved");

    // How the settings file is named in messages.
    std::string SettingsLabel() const;

private:
    VbMsgBoxResult Answer(std::string_view prompt, std::int32_t buttons, std::string_view title);

    RunLog& log_;
    SessionSetup setup_;
    host::SettingsFile settings_;
    host::TemplateFileReader templates_;
    ui::HeadlessWindows windows_;
    host::MemoryVBE vbe_;
    std::unique_ptr<Brindle> addin_;
    bool declined_ = false;
    bool disconnected_ = false;
};

}  // namespace brindle::cli

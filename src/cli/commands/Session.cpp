#include "cli/commands/Session.h"

#include <filesystem>

#include "cli/report/RunLog.h"
#include "cli/stream/Inputs.h"

#include "host/files/FileSystem.h"
#include "host/vb6/CodePage.h"

namespace fs = std::filesystem;

namespace brindle::cli {

// A team file that cannot be taken stops the command before anything is written.
Session::Session(RunLog& log, SessionSetup setup) try
    : log_(log), setup_(std::move(setup)), session_(windows_, &log_, OptionsOf(setup_)) {
    auto& windows = windows_.Setup();
    windows.onMessage = [this](std::string_view message) { log_.Status(message); };
    windows.fillOptions = setup_.fillOptions;
    windows.answer = [this](std::string_view prompt, std::int32_t buttons, std::string_view title) {
        return Answer(prompt, buttons, title);
    };
} catch (const host::TeamSettingsError& e) {
    throw InputError(e.what());
}

host::SessionOptions Session::OptionsOf(const SessionSetup& setup) {
    host::SessionOptions options;
    options.codePage = setup.codePage;
    options.teamFile = setup.teamFile;
    options.overrides = setup.overrides;
    options.saveOptions = setup.saveOptions;
    options.ignoreExclusions = setup.ignoreExclusions;
    options.teamWarning = [this](std::string_view warning) { log_.Warning(warning); };
    options.templateWarning = options.teamWarning;
    options.status = [this](std::string_view message) { log_.Status(message); };
    return options;
}

Session::~Session() {
    Disconnect();
}

void Session::Connect() {
    Ide().Connect(session_.Addin(), ext_cm_CommandLine);
}

Session::ClickResult Session::Run(CommandId id) {
    declined_ = false;
    return Outcome(runner_.Run(id));
}

Session::ClickResult Session::Run(CommandId id, CodeModule& module,
                                  const host::PaneSelection& selection) {
    declined_ = false;
    return Outcome(runner_.Run(id, module, selection));
}

Session::ClickResult Session::Run(CommandId id, VBProject& project) {
    declined_ = false;
    return Outcome(runner_.Run(id, project));
}

Session::ClickResult Session::Outcome(host::CommandRunner::Result result) const {
    switch (result) {
        case host::CommandRunner::Result::NotSelected:
            return ClickResult::NotSelected;
        case host::CommandRunner::Result::NoButton:
            return ClickResult::NoButton;
        case host::CommandRunner::Result::Done:
            break;
    }
    return declined_ ? ClickResult::Declined : ClickResult::Done;
}

std::vector<std::string> Session::WarningsBeforeAdding(CommandId id, int codePage) {
    return runner_.WarningsBeforeAdding(
        id, codePage,
        "your " + SettingsLabel() + " ('brindle options --markers on' turns them on)");
}

void Session::Disconnect(const std::string& afterword) {
    if (!disconnected_) {
        disconnected_ = true;
        log_.SetCurrent(SettingsLabel(), afterword);
        Ide().Shutdown();
    }
}

std::string Session::SettingsLabel(bool named) const {
    const host::SettingsFile& settings = session_.Settings();
    if (!settings.IsFile()) {
        return (named ? "settings " : "") + settings.Location();
    }
    const fs::path file = host::PathOf(settings.Location());
    const auto relative = fs::absolute(file).lexically_relative(fs::current_path());
    // Kept outside the project, so named in full unless below the current folder.
    const bool below = !relative.empty() && *relative.begin() != "..";
    if (!named || !below) {
        return (named ? "settings file " : "") +
               host::ShownAsUtf8(host::TextOf(fs::absolute(file)), setup_.codePage);
    }
    return "settings file " + Label(file, setup_.codePage);
}

bool Session::Confirm(std::string_view prompt, std::string_view title) {
    return Answer(prompt, vbYesNo + vbExclamation, title) == vbYes;
}

VbMsgBoxResult Session::Answer(std::string_view prompt, std::int32_t buttons,
                               std::string_view title) {
    VbMsgBoxResult answer = vbYes;
    const bool question = (buttons & 0xF) == vbYesNo;
    if (question && answered_) {
        answer = *answered_;
    } else if (setup_.confirmation == Confirmation::AskOnTerminal && setup_.terminalIn != nullptr &&
               setup_.terminalOut != nullptr) {
        if (!setup_.questionAbout.empty()) {
            *setup_.terminalOut << "brindle: " << setup_.questionAbout << '\n';
        }
        answer = ui::AskOnTerminal(*setup_.terminalIn, *setup_.terminalOut)(prompt, buttons, title);
        if (question) {
            answered_ = answer;
        }
    }
    declined_ = declined_ || answer != vbYes;
    return answer;
}

}  // namespace brindle::cli

#include "cli/Session.h"

#include <filesystem>

#include "cli/report/RunLog.h"
#include "cli/stream/Inputs.h"

#include "host/files/FileSystem.h"
#include "host/vb6/CodePage.h"

namespace fs = std::filesystem;

namespace brindle::cli {

Session::Session(RunLog& log, SessionSetup setup)
    : log_(log), setup_(std::move(setup)), layers_(settings_), readOnly_(layers_) {
    UseTeamSettings();
    for (const auto& [key, value] : setup_.overrides) {
        layers_.Override(key, value);
    }
    auto& windows = windows_.Setup();
    windows.onMessage = [this](std::string_view message) { log_.Status(message); };
    windows.fillOptions = setup_.fillOptions;
    windows.answer = [this](std::string_view prompt, std::int32_t buttons, std::string_view title) {
        return Answer(prompt, buttons, title);
    };
    templates_.SetCodePage(setup_.codePage,
                           [this](std::string_view warning) { log_.Warning(warning); });
    SettingsStore& store = setup_.saveOptions ? static_cast<SettingsStore&>(layers_) : readOnly_;
    addin_ = std::make_unique<Brindle>(store, templates_, windows_, &log_);
    addin_->IgnoreExclusions(setup_.ignoreExclusions);
}

// A team file that cannot be taken stops the command before anything is written.
void Session::UseTeamSettings() {
    if (!setup_.teamFile) {
        return;
    }
    try {
        auto team = host::ReadTeamSettings(*setup_.teamFile, setup_.codePage);
        for (const auto& warning : team.warnings) {
            log_.Warning(warning);
        }
        layers_.SetTeam(std::move(team.store), *setup_.teamFile);
    } catch (const host::TeamSettingsError& e) {
        throw InputError(e.what());
    }
}

Session::~Session() {
    Disconnect();
}

void Session::Connect() {
    vbe_.Connect(*addin_, ext_cm_CommandLine);
}

Session::ClickResult Session::Click(std::string_view commandBar, std::string_view caption) {
    declined_ = false;
    if (!vbe_.Click(commandBar, caption)) {
        return ClickResult::NoButton;
    }
    return declined_ ? ClickResult::Declined : ClickResult::Done;
}

void Session::Disconnect(const std::string& afterword) {
    if (!disconnected_) {
        disconnected_ = true;
        log_.SetCurrent(SettingsLabel(), afterword);
        vbe_.Shutdown();
    }
}

std::string Session::SettingsLabel(bool named) const {
    if (!settings_.IsFile()) {
        return (named ? "settings " : "") + settings_.Location();
    }
    const fs::path file = host::PathOf(settings_.Location());
    if (!named) {
        return host::ShownAsUtf8(host::TextOf(fs::absolute(file)), setup_.codePage);
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

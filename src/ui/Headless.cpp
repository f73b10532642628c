#include "ui/Headless.h"

#include <istream>
#include <ostream>
#include <utility>

#include "util/Text.h"

namespace brindle::ui {

namespace {

class HeadlessMsg final : public frmMsg {
public:
    HeadlessMsg(Diagnostics* sink, std::shared_ptr<HeadlessSetup> setup,
                std::shared_ptr<StatusState> state)
        : frmMsg(sink), setup_(std::move(setup)), state_(std::move(state)) {}

protected:
    void LoadWindow() override {
        if (!state_->loaded) {
            state_->loaded = true;
            ++state_->loads;
        }
    }
    void SetLabel(std::string_view text) override {
        LoadWindow();
        state_->label = text;
    }
    bool IsVisible() const override { return state_->visible; }
    void ShowWindow() override {
        LoadWindow();
        state_->visible = true;
    }
    // Drawing the window hands its message to the host's sink.
    void Refresh() override {
        if (setup_->onMessage) {
            setup_->onMessage(state_->label);
        }
    }
    void HideWindow() override { state_->visible = false; }
    void DoEvents() override {
        if (setup_->doEvents) {
            setup_->doEvents();
        }
    }

private:
    std::shared_ptr<HeadlessSetup> setup_;
    std::shared_ptr<StatusState> state_;
};

class HeadlessSplash final : public frmSplash {
public:
    explicit HeadlessSplash(std::shared_ptr<int> shown) : shown_(std::move(shown)) {}
    void Show() override { ++*shown_; }

private:
    std::shared_ptr<int> shown_;
};

class HeadlessOptions final : public frmOptions {
public:
    HeadlessOptions(Diagnostics* sink, std::shared_ptr<HeadlessSetup> setup)
        : frmOptions(sink), setup_(std::move(setup)) {}

    OptionsControls& Controls() override {
        if (!loaded_) {
            controls_ = OptionsControls{};
            loaded_ = true;
        }
        return controls_;
    }

    void ShowModal() override {
        Controls();
        const DialogButton button =
            setup_->fillOptions ? setup_->fillOptions(*this) : DialogButton::Cancel;
        if (!loaded_) {
            return;  // the filler closed the form itself
        }
        if (button == DialogButton::OK) {
            cmdOK_Click();
        } else {
            cmdCancel_Click();
        }
    }

    void Unload() override { loaded_ = false; }

private:
    std::shared_ptr<HeadlessSetup> setup_;
    OptionsControls controls_;
    bool loaded_ = false;
};

bool IsYes(std::string line) {
    std::erase_if(line, [](char c) { return c == ' ' || c == '\t' || c == '\r'; });
    return EqualsNoCase(line, "y") || EqualsNoCase(line, "yes");
}

std::string TerminalText(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace

MsgBoxPolicy FixedAnswer(VbMsgBoxResult answer) {
    return [answer](std::string_view, std::int32_t, std::string_view) { return answer; };
}

MsgBoxPolicy AskOnTerminal(std::istream& in, std::ostream& out) {
    return [&in, &out](std::string_view prompt, std::int32_t buttons,
                       std::string_view title) -> VbMsgBoxResult {
        out << TerminalText(title) << "\n" << TerminalText(prompt);
        if ((buttons & 0xF) != vbYesNo) {
            out << std::endl;
            return vbOK;
        }
        out << " [y/N] " << std::flush;
        std::string line;
        if (!std::getline(in, line)) {
            out << "\n";
            return vbNo;
        }
        return IsYes(line) ? vbYes : vbNo;
    };
}

HeadlessWindows::HeadlessWindows(HeadlessSetup setup)
    : setup_(std::make_shared<HeadlessSetup>(std::move(setup))),
      status_(std::make_shared<StatusState>()),
      splashes_(std::make_shared<int>(0)) {}

std::unique_ptr<frmMsg> HeadlessWindows::CreateMsg(Diagnostics* sink) {
    return std::make_unique<HeadlessMsg>(sink, setup_, status_);
}

std::shared_ptr<frmSplash> HeadlessWindows::CreateSplash() {
    return std::make_shared<HeadlessSplash>(splashes_);
}

std::unique_ptr<frmOptions> HeadlessWindows::CreateOptions(Diagnostics* sink) {
    return std::make_unique<HeadlessOptions>(sink, setup_);
}

VbMsgBoxResult HeadlessWindows::MsgBox(std::string_view prompt, std::int32_t buttons,
                                       std::string_view title) {
    return setup_->answer ? setup_->answer(prompt, buttons, title) : vbNo;
}

}  // namespace brindle::ui

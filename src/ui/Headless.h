#pragma once
// The add-in's windows without a screen, for the command line and for tests: status messages
// go to a sink of the host's choosing, there is no splash, the options dialog is filled and
// confirmed by the caller, and message boxes are answered by a policy.

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>

#include "addin/AddinWindows.h"

namespace brindle::ui {

using MsgBoxPolicy = std::function<VbMsgBoxResult(std::string_view prompt, std::int32_t buttons,
                                                  std::string_view title)>;

// Always gives the same answer.
MsgBoxPolicy FixedAnswer(VbMsgBoxResult answer);
// Puts the question on a terminal and reads the answer: "y" or "yes" (any case) is Yes, any
// other line or the end of the input is No. Line breaks in the prompt become the terminal's.
MsgBoxPolicy AskOnTerminal(std::istream& in, std::ostream& out);

// Edits the dialog's controls (and may read or change its LastDir) and chooses the button
// that closes it.
using OptionsFiller = std::function<DialogButton(frmOptions& dialog)>;

struct HeadlessSetup {
    // Receives each status message as the window draws it.
    std::function<void(std::string_view message)> onMessage = {};
    // The pass over pending window messages that the status window makes after drawing; a
    // host delivers waiting clicks here.
    std::function<void()> doEvents = {};
    // Without one the dialog closes without OK.
    OptionsFiller fillOptions = {};
    // Without one every message box is answered No.
    MsgBoxPolicy answer = {};
};

// What the status windows made by one HeadlessWindows have done.
struct StatusState {
    bool loaded = false;
    bool visible = false;
    std::string label;
    int loads = 0;
};

class HeadlessWindows final : public AddinWindows {
public:
    explicit HeadlessWindows(HeadlessSetup setup = {});

    std::unique_ptr<frmMsg> CreateMsg(Diagnostics* sink) override;
    std::shared_ptr<frmSplash> CreateSplash() override;
    std::unique_ptr<frmOptions> CreateOptions(Diagnostics* sink) override;
    VbMsgBoxResult MsgBox(std::string_view prompt, std::int32_t buttons,
                          std::string_view title) override;

    const StatusState& Status() const { return *status_; }
    // How often a splash window was shown; nothing appears.
    int SplashesShown() const { return *splashes_; }

    // Changes reach the windows made already.
    HeadlessSetup& Setup() { return *setup_; }

private:
    std::shared_ptr<HeadlessSetup> setup_;
    std::shared_ptr<StatusState> status_;
    std::shared_ptr<int> splashes_;
};

}  // namespace brindle::ui

#pragma once
// The add-in's windows as the add-in sees them: the status window, the splash window, the
// options dialog and the message box. The host supplies them through AddinWindows; the parts
// that are the same on every toolkit (the order of the steps, the events) live here.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "model/Diagnostics.h"
#include "templates/AddinFields.h"

namespace brindle {

// The button-and-icon value of a message box: the sum of one button set, one icon and one
// default button.
enum VbMsgBoxStyle : std::int32_t {
    vbOKOnly = 0,
    vbOKCancel = 1,
    vbAbortRetryIgnore = 2,
    vbYesNoCancel = 3,
    vbYesNo = 4,
    vbRetryCancel = 5,
    vbCritical = 16,
    vbQuestion = 32,
    vbExclamation = 48,
    vbInformation = 64,
    vbDefaultButton1 = 0,
    vbDefaultButton2 = 256,
    vbDefaultButton3 = 512,
};

enum VbMsgBoxResult : std::int32_t {
    vbOK = 1,
    vbCancel = 2,
    vbAbort = 3,
    vbRetry = 4,
    vbIgnore = 5,
    vbYes = 6,
    vbNo = 7,
};

// The status window. Failing steps of its operations are skipped and reported to the sink.
class frmMsg {
public:
    virtual ~frmMsg() = default;
    frmMsg(const frmMsg&) = delete;
    frmMsg& operator=(const frmMsg&) = delete;

    // The Message property: sets the label's caption (loading the window first when needed),
    // shows the window when it is hidden, repaints it, and lets the host process its pending
    // messages once before returning.
    void SetMessage(std::string_view sMsg);
    // Loads the window without showing it; loading makes it topmost.
    void Load();
    void Hide();

protected:
    explicit frmMsg(Diagnostics* sink) : sink_(sink) {}

    virtual void LoadWindow() = 0;                     // does nothing when loaded already
    virtual void SetLabel(std::string_view text) = 0;  // loads the window when needed
    virtual bool IsVisible() const = 0;
    virtual void ShowWindow() = 0;  // modeless, without owner
    virtual void Refresh() = 0;
    virtual void HideWindow() = 0;
    // One pass over the host's pending window messages: clicks may arrive during it.
    virtual void DoEvents() = 0;

private:
    Diagnostics* sink_;
};

// The splash window: shown once at start-up; it closes itself.
class frmSplash {
public:
    virtual ~frmSplash() = default;
    virtual void Show() = 0;  // modeless
};

// The values of the options dialog's controls. A check box is 1 when on, 0 when off.
struct OptionsControls {
    std::string txtAuthor;
    std::int32_t chkCodeMarkers = 0;
    std::int32_t chkDisableSplash = 0;
    std::int32_t chkSkipExisting = 0;
    std::string txtDateFormat;
    std::string txtModHdrFname;
    std::string txtProcHdrFname;
    std::string txtErrHdrFname;
    std::string txtErrFtrFname;
};

// The box of each of kTemplateSlots, in their order.
inline constexpr std::array<std::string OptionsControls::*, kTemplateSlots.size()> kTemplateBoxes =
    {&OptionsControls::txtModHdrFname, &OptionsControls::txtProcHdrFname,
     &OptionsControls::txtErrHdrFname, &OptionsControls::txtErrFtrFname};

enum class DialogButton { OK, Cancel };

// The options dialog. The object and its LastDir live as long as the connection; the form's
// controls start afresh at each load, and the form is unloaded when it closes.
class frmOptions {
public:
    using OptionsAppliedHandler = std::function<void()>;

    virtual ~frmOptions() = default;
    frmOptions(const frmOptions&) = delete;
    frmOptions& operator=(const frmOptions&) = delete;

    // The controls; the first access after an unload loads the form.
    virtual OptionsControls& Controls() = 0;
    // Shows the form modally; returns when it has closed (OK, Cancel or any other way).
    virtual void ShowModal() = 0;
    virtual void Unload() = 0;

    const std::string& LastDir() const { return lastDir_; }
    void SetLastDir(const std::string& sDir) { lastDir_ = sDir; }

    // The OptionsApplied event, raised by OK before the form unloads.
    void OnOptionsApplied(OptionsAppliedHandler handler) { optionsApplied_ = std::move(handler); }

    // The OK button: raises OptionsApplied, then unloads the form.
    void cmdOK_Click();
    // The Cancel button: unloads the form; nothing is applied.
    void cmdCancel_Click();

protected:
    explicit frmOptions(Diagnostics* sink) : sink_(sink) {}

private:
    Diagnostics* sink_;
    std::string lastDir_;
    OptionsAppliedHandler optionsApplied_;
};

// What the host provides: it makes the add-in's windows and answers its message boxes.
class AddinWindows {
public:
    virtual ~AddinWindows() = default;
    // The sink receives the failures that the window's own steps skip.
    virtual std::unique_ptr<frmMsg> CreateMsg(Diagnostics* sink) = 0;
    virtual std::shared_ptr<frmSplash> CreateSplash() = 0;
    virtual std::unique_ptr<frmOptions> CreateOptions(Diagnostics* sink) = 0;
    // A modal message box; `buttons` is the button-and-icon value (vbYesNo + vbExclamation).
    virtual VbMsgBoxResult MsgBox(std::string_view prompt, std::int32_t buttons,
                                  std::string_view title) = 0;
};

}  // namespace brindle

#pragma once
// The add-in's windows as native Win32 windows, for the add-in inside the IDE.

#include <windows.h>

#include <functional>
#include <memory>
#include <string_view>
#include <utility>

#include "addin/AddinWindows.h"
#include "ui/win32/DialogAnswers.h"
#include "ui/win32/OptionsDialog.h"

namespace brindle::ui::win32 {

class Win32Windows final : public AddinWindows {
public:
    // Message boxes belong to `owner` (the IDE's main window) when there is one; the other
    // windows have none, as the add-in shows them. The object must outlive the windows it
    // made; when the last one goes, so do the splash windows still open and the window
    // classes, so that the module can be unloaded.
    explicit Win32Windows(HWND owner = nullptr);
    ~Win32Windows() override;
    Win32Windows(const Win32Windows&) = delete;
    Win32Windows& operator=(const Win32Windows&) = delete;

    std::unique_ptr<frmMsg> CreateMsg(Diagnostics* sink) override;
    std::shared_ptr<frmSplash> CreateSplash() override;
    std::unique_ptr<frmOptions> CreateOptions(Diagnostics* sink) override;
    VbMsgBoxResult MsgBox(std::string_view prompt, std::int32_t buttons,
                          std::string_view title) override;

    // The IDE's main window, once the add-in knows it (VBE.MainWindow.hWnd at connection).
    void SetOwner(HWND owner) { owner_ = owner; }

    // Where tests and scripted hosts answer the file dialogs and message boxes in advance.
    DialogAnswers& Answers() { return answers_; }

    // The options that a file other than the user's own settings decides (a team's
    // brindle.ini), asked each time the options dialog is shown.
    void FixOptionsBy(std::function<FixedOptions()> source) { fixed_ = std::move(source); }
    // What F1 in the options dialog shows, over that dialog.
    void HelpBy(std::function<void(HWND over)> help) { help_ = std::move(help); }

    // Told of each status message as a status window made afterwards shows it.
    void ObserveStatus(std::function<void(std::string_view message)> observer) {
        statusObserver_ = std::move(observer);
    }

private:
    HWND owner_;
    DialogAnswers answers_;
    std::function<void(std::string_view message)> statusObserver_;
    std::function<FixedOptions()> fixed_;
    std::function<void(HWND over)> help_;
};

}  // namespace brindle::ui::win32

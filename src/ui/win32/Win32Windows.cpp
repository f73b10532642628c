#include "ui/win32/Win32Windows.h"

#include <utility>

#include "ui/win32/MessageBox.h"
#include "ui/win32/OptionsDialog.h"
#include "ui/win32/SplashWindow.h"
#include "ui/win32/StatusWindow.h"
#include "ui/win32/WinUtils.h"

namespace brindle::ui::win32 {
namespace {

int liveWindowSets = 0;

}  // namespace

Win32Windows::Win32Windows(HWND owner) : owner_(owner) {
    ++liveWindowSets;
}

Win32Windows::~Win32Windows() {
    if (--liveWindowSets == 0) {
        CloseSplashWindows();
        ReleaseWindowClasses();
    }
}

std::unique_ptr<frmMsg> Win32Windows::CreateMsg(Diagnostics* sink) {
    return MakeStatusWindow(sink, statusObserver_);
}

std::shared_ptr<frmSplash> Win32Windows::CreateSplash() {
    return MakeSplashWindow();
}

std::unique_ptr<frmOptions> Win32Windows::CreateOptions(Diagnostics* sink) {
    // The host may say later what it fixes and how it helps: the dialog asks each time.
    OptionsHost host{&answers_, [this] { return fixed_ ? fixed_() : FixedOptions{}; },
                     [this](HWND over) {
                         if (help_) {
                             help_(over);
                         }
                     }};
    return MakeOptionsDialog(std::move(host), sink);
}

VbMsgBoxResult Win32Windows::MsgBox(std::string_view prompt, std::int32_t buttons,
                                    std::string_view title) {
    return ShowMessageBox(owner_, prompt, buttons, title, &answers_);
}

}  // namespace brindle::ui::win32

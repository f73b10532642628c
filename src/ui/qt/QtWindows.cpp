#include "ui/qt/QtWindows.h"

#include <QDir>

#include "ui/qt/MessageBox.h"
#include "ui/qt/OptionsDialog.h"
#include "ui/qt/SplashWindow.h"
#include "ui/qt/StatusWindow.h"

namespace brindle::ui::qt {

std::unique_ptr<frmMsg> QtWindows::CreateMsg(Diagnostics* sink) {
    return MakeStatusWindow(owner_, sink, statusObserver_);
}

std::shared_ptr<frmSplash> QtWindows::CreateSplash() {
    return MakeSplashWindow(owner_);
}

std::unique_ptr<frmOptions> QtWindows::CreateOptions(Diagnostics* sink) {
    // The host may say later where to start, what it fixes and how it helps: the dialog asks
    // each time.
    OptionsHost host{&answers_, [this] { return HomeFolder(); },
                     [this] { return fixed_ ? fixed_() : FixedOptions{}; },
                     [this](QWidget* over) {
                         if (help_) {
                             help_(over);
                         }
                     }};
    return MakeOptionsDialog(owner_, sink, std::move(host));
}

QString QtWindows::HomeFolder() const {
    return home_.isEmpty() ? QDir::currentPath() : home_;
}

VbMsgBoxResult QtWindows::MsgBox(std::string_view prompt, std::int32_t buttons,
                                 std::string_view title) {
    const std::unique_ptr<QMessageBox> box = MakeMessageBox(owner_, prompt, buttons, title);
    if (const std::optional<VbMsgBoxResult> given = answers_.TakeNextAnswer()) {
        return *given;
    }
    box->exec();
    return AnswerOf(*box);
}

}  // namespace brindle::ui::qt

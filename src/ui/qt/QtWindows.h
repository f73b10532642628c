#pragma once
// The add-in's windows in Qt Widgets, for the desktop workbench.

#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "addin/AddinWindows.h"
#include "ui/qt/DialogAnswers.h"
#include "ui/qt/OptionsDialog.h"

namespace brindle::ui::qt {

class QtWindows final : public AddinWindows {
public:
    // The windows belong to `owner` when there is one: they appear on its screen and above
    // it. The object must outlive the windows it made; `owner` may go first.
    explicit QtWindows(QWidget* owner = nullptr) : owner_(owner) {}

    std::unique_ptr<frmMsg> CreateMsg(Diagnostics* sink) override;
    std::shared_ptr<frmSplash> CreateSplash() override;
    std::unique_ptr<frmOptions> CreateOptions(Diagnostics* sink) override;
    // Shows the box modally, unless an answer was given in advance.
    VbMsgBoxResult MsgBox(std::string_view prompt, std::int32_t buttons,
                          std::string_view title) override;

    // Where tests and scripted hosts answer the file dialogs and message boxes in advance.
    DialogAnswers& Answers() { return answers_; }

    // Where a file dialog starts when nothing else says: the host's project folder, or the
    // current folder while it is empty.
    void SetHomeFolder(QString folder) { home_ = std::move(folder); }
    QString HomeFolder() const;

    // The options that a file other than the user's own settings decides (a team's
    // brindle.ini), asked each time the options dialog shows: those fields are read-only there.
    void FixOptionsBy(std::function<FixedOptions()> source) { fixed_ = std::move(source); }
    // What F1 in the options dialog shows, over that dialog.
    void HelpBy(std::function<void(QWidget* over)> help) { help_ = std::move(help); }

    // Told of each status message as a status window made afterwards shows it.
    void ObserveStatus(std::function<void(std::string_view message)> observer) {
        statusObserver_ = std::move(observer);
    }

private:
    QPointer<QWidget> owner_;
    DialogAnswers answers_;
    QString home_;
    std::function<void(std::string_view message)> statusObserver_;
    std::function<FixedOptions()> fixed_;
    std::function<void(QWidget* over)> help_;
};

}  // namespace brindle::ui::qt

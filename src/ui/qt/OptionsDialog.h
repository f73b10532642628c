#pragma once
// The options dialog in Qt: two tabs of controls that mirror OptionsControls, and one file
// dialog for the four template buttons.

#include <QString>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "addin/AddinWindows.h"

class QWidget;

namespace brindle::ui::qt {

class DialogAnswers;

// Options that another file decides for the project at hand, by their settings keys.
struct FixedOptions {
    QString file;  // as the user reads its path; empty when nothing is fixed
    std::vector<std::string_view> keys;
};

// What the dialog asks of its host besides its values, each time it needs it.
struct OptionsHost {
    DialogAnswers* answers = nullptr;
    std::function<QString()> home;
    std::function<FixedOptions()> fixed;
    std::function<void(QWidget* over)> help;
};

// The form is made at each load, as a dialog of the owner's when there is one. A template
// button's file dialog takes its answer from `answers` when one is given in advance there, and
// starts in LastDir, else in `home`.
std::unique_ptr<frmOptions> MakeOptionsDialog(QWidget* owner, Diagnostics* sink, OptionsHost host);

}  // namespace brindle::ui::qt

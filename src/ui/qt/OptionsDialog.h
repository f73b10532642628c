#pragma once
// The options dialog in Qt: two tabs of controls that mirror OptionsControls, and one file
// dialog for the four template buttons.

#include <QString>
#include <memory>

#include "addin/AddinWindows.h"

class QWidget;

namespace brindle::ui::qt {

class DialogAnswers;

// The form is made at each load, as a dialog of the owner's when there is one. A template
// button's file dialog takes its answer from `answers` when one is given in advance there, and
// starts in LastDir, else in `home`.
std::unique_ptr<frmOptions> MakeOptionsDialog(QWidget* owner, DialogAnswers* answers,
                                              Diagnostics* sink, QString home);

}  // namespace brindle::ui::qt

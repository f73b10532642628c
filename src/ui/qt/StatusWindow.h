#pragma once
// The status window in Qt: a slim frameless bar with the logo and one bold line of text that
// stays above the other windows while a command works.

#include <functional>
#include <memory>
#include <string_view>

#include "addin/AddinWindows.h"

class QWidget;

namespace brindle::ui::qt {

// Told of each message as the window shows it.
using MessageObserver = std::function<void(std::string_view message)>;

// The window is made at its first load, as a window of the owner's when there is one.
std::unique_ptr<frmMsg> MakeStatusWindow(QWidget* owner, Diagnostics* sink,
                                         MessageObserver observer = {});

}  // namespace brindle::ui::qt

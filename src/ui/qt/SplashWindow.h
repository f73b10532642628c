#pragma once
// The splash window in Qt: the product's picture, closing itself three seconds after it loads.

#include <memory>

#include "addin/AddinWindows.h"

class QWidget;

namespace brindle::ui::qt {

// Each Show makes a window that closes and deletes itself; the object need not outlive it.
std::shared_ptr<frmSplash> MakeSplashWindow(QWidget* owner);

}  // namespace brindle::ui::qt

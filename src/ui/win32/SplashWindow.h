#pragma once
// The splash window in Win32: the artwork without a title bar; its timer closes it after
// three seconds.

#include <memory>

#include "addin/AddinWindows.h"

namespace brindle::ui::win32 {

std::shared_ptr<frmSplash> MakeSplashWindow();
// Closes the splash windows still open, before the module that drew them goes away.
void CloseSplashWindows();

}  // namespace brindle::ui::win32

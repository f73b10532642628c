#pragma once
// The status window in Win32: the logo, the message in bold and an outline, without a title
// bar, above all other windows.

#include <functional>
#include <memory>
#include <string_view>

#include "addin/AddinWindows.h"

namespace brindle::ui::win32 {

using MessageObserver = std::function<void(std::string_view message)>;

// The control id of lblMsg, the static control that shows the message.
inline constexpr int kLblMsgId = 101;

std::unique_ptr<frmMsg> MakeStatusWindow(Diagnostics* sink, MessageObserver observer = {});

}  // namespace brindle::ui::win32

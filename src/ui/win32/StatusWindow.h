#pragma once
// The status window in Win32: the logo, the message in bold and an outline, without a title
// bar, above all other windows.

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "addin/AddinWindows.h"

namespace brindle::ui::win32 {

using MessageObserver = std::function<void(std::string_view message)>;

// The control id of lblMsg, the static control that shows the message.
inline constexpr int kLblMsgId = 101;

// The text as it fits `width` pixels in the font selected into `dc`: whole, else with its
// middle left out for an ellipsis, so that both its start and its end (a module's name) show.
std::wstring ElidedInTheMiddle(HDC dc, std::wstring_view text, int width);

// The message's font at `dpi`: MS Sans Serif, 8.25 point, bold, as the status window has
// always had. A bitmap face does not scale, so its outline twin Microsoft Sans Serif stands in
// where it is installed. The caller deletes it.
HFONT StatusFont(UINT dpi);

std::unique_ptr<frmMsg> MakeStatusWindow(Diagnostics* sink, MessageObserver observer = {});

}  // namespace brindle::ui::win32

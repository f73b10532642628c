#pragma once
// A window of help text for the add-in inside the IDE, which has no help of its own to open.

#include <windows.h>

#include <string_view>

namespace brindle::ui::win32 {

inline constexpr wchar_t kHelpWindowClass[] = L"BrindleHelp";
// The read-only box that holds the text.
inline constexpr int kHelpTextId = 101;

// Shows `text` (UTF-8, lines broken by LF) read-only in a window owned by `owner`, centred on
// its screen. There is one at a time: asked again, it takes the new text and comes forward.
void ShowHelpWindow(HWND owner, std::string_view title, std::string_view text);

}  // namespace brindle::ui::win32

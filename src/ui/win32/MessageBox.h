#pragma once
// The message box: the system's own, with the buttons, icon and default button of a VB
// button-and-icon value.

#include <windows.h>

#include <cstdint>
#include <string_view>

#include "addin/AddinWindows.h"

namespace brindle::ui::win32 {

class DialogAnswers;

// The MessageBoxW style of a button-and-icon value: VB's values are the system's own; parts
// beyond buttons, icon and default button are dropped. Without an owner the box is modal to
// every window of the thread.
UINT MessageBoxStyle(std::int32_t buttons, bool owned);

// Shows the box and returns the button pressed. With an answer or a visit given in `answers`,
// the box is shown and that answer pressed on it.
VbMsgBoxResult ShowMessageBox(HWND owner, std::string_view prompt, std::int32_t buttons,
                              std::string_view title, DialogAnswers* answers);

}  // namespace brindle::ui::win32

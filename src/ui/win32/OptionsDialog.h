#pragma once
// The options dialog in Win32: two tabs of controls that mirror OptionsControls, laid out by
// code at the window's dots per inch, and one file-open dialog for the four template buttons.

#include <windows.h>

#include <array>
#include <memory>

#include "addin/AddinWindows.h"

namespace brindle::ui::win32 {

class DialogAnswers;

// One control of the dialog: its name in the add-in, its control id and window class, its
// caption (nullptr for a text box), and where it stands: its tab (-1 below the tabs), row
// and column there, and its place in pixels at 96 dots per inch within its tab's page (or
// within the dialog's client area below the tabs).
struct OptionsControl {
    const char* name;
    int id;
    const wchar_t* windowClass;
    const wchar_t* caption;
    int tab;
    int row;
    int column;
    RECT place;
};

inline constexpr int kTabOptionsId = 1000;
// The page of each tab is a child window with id kFirstPageId + its index.
inline constexpr int kFirstPageId = 1100;

extern const std::array<OptionsControl, 18> kOptionsControls;

// A template button's file dialog takes its answer from `answers` when one is given there.
std::unique_ptr<frmOptions> MakeOptionsDialog(DialogAnswers* answers, Diagnostics* sink);

}  // namespace brindle::ui::win32

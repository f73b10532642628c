#pragma once
// The options dialog in Win32: two tabs of controls that mirror OptionsControls, laid out by
// code at the window's dots per inch, and one file-open dialog for the four template buttons.

#include <windows.h>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "addin/AddinWindows.h"
#include "ui/OptionsForm.h"

namespace brindle::ui::win32 {

class DialogAnswers;

// Where each control of kOptionsForm stands, in its order: its control id and its place in
// pixels at 96 dots per inch within its tab's page (or within the dialog's client area below
// the tabs).
struct ControlPlace {
    int id;
    RECT place;
};

inline constexpr int kTabOptionsId = 1000;
// The page of each tab is a child window with id kFirstPageId + its index.
inline constexpr int kFirstPageId = 1100;

extern const std::array<ControlPlace, kOptionsForm.size()> kOptionsPlaces;

// The note below the tabs that names the file greyed fields come from; shown only then.
inline constexpr int kTeamNoteId = 1021;

// Options that another file decides for the project at hand, by their settings keys.
struct FixedOptions {
    std::string file;  // in UTF-8, as the user reads its path; empty when nothing is fixed
    std::vector<std::string_view> keys;
};

// What the dialog asks of its host besides its values. A template button's file dialog takes
// its answer from `answers` when one is given there; `fixed` is asked each time the dialog is
// shown; `help` shows the options' help, over the dialog, when F1 is pressed in it.
struct OptionsHost {
    DialogAnswers* answers = nullptr;
    std::function<FixedOptions()> fixed;
    std::function<void(HWND over)> help;
};

std::unique_ptr<frmOptions> MakeOptionsDialog(OptionsHost host, Diagnostics* sink);

}  // namespace brindle::ui::win32

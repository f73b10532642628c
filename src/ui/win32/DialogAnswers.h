#pragma once
// Answers to the modal dialogs given in advance: a test or a scripted host sets the next
// answer, and the next dialog of that kind takes it instead of waiting for a person. The
// options dialog and the message box are still made and shown, and the answer is given
// through their own buttons, so what they offered can be checked on screen.

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "addin/AddinWindows.h"

namespace brindle::ui::win32 {

// What a person does in a file dialog: choose a file (its full path, UTF-8), or cancel.
using FileChoice = std::optional<std::string>;

// What the file dialog was set up with, for the file dialog whose answer was given.
struct FileDialogSetup {
    std::wstring initialDir;
    std::wstring filter;  // the pairs separated by NULs, as GetOpenFileNameW takes them
    std::wstring defaultExt;
};

// Runs on the next modal dialog once it is shown, with its window.
using DialogVisit = std::function<void(HWND dialog)>;

class DialogAnswers {
public:
    void SetNextFileChoice(FileChoice choice) { nextFile_.emplace(std::move(choice)); }
    // The button pressed in the next message box. Without one, a visited box is answered
    // No, else Cancel, else OK.
    void SetNextAnswer(VbMsgBoxResult answer) { nextAnswer_ = answer; }
    // The visit may read and change the dialog's controls, press its buttons and post it
    // keys; an options dialog still open once what it posted is handled is then cancelled,
    // so that no one has to close it.
    void SetNextVisit(DialogVisit visit) { nextVisit_ = std::move(visit); }

    std::optional<FileChoice> TakeNextFileChoice() { return std::exchange(nextFile_, {}); }
    std::optional<VbMsgBoxResult> TakeNextAnswer() { return std::exchange(nextAnswer_, {}); }
    DialogVisit TakeNextVisit() { return std::exchange(nextVisit_, {}); }
    bool HasMessageBoxAnswer() const { return nextAnswer_.has_value() || bool(nextVisit_); }

    // The set-up of the last file dialog that a template button opened.
    const FileDialogSetup& LastFileDialog() const { return lastFileDialog_; }
    void NoteFileDialog(FileDialogSetup setup) { lastFileDialog_ = std::move(setup); }

private:
    std::optional<FileChoice> nextFile_;
    std::optional<VbMsgBoxResult> nextAnswer_;
    DialogVisit nextVisit_;
    FileDialogSetup lastFileDialog_;
};

}  // namespace brindle::ui::win32

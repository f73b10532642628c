#pragma once
// Answers to the modal dialogs given in advance: a test or a scripted host sets the next
// answer, and the next dialog of that kind takes it instead of waiting for a person. The
// dialog is still made and set up as it would be shown, so what it offered can be checked.

#include <QString>
#include <optional>
#include <utility>

#include "addin/AddinWindows.h"

namespace brindle::ui::qt {

// What a person does in a file dialog: choose a file, or cancel (nothing).
using FileChoice = std::optional<QString>;

class DialogAnswers {
public:
    void SetNextFileChoice(FileChoice choice) { nextFile_.emplace(std::move(choice)); }
    void SetNextAnswer(VbMsgBoxResult answer) { nextAnswer_ = answer; }

    // The answer given in advance, once; nothing when there is none.
    std::optional<FileChoice> TakeNextFileChoice() { return std::exchange(nextFile_, {}); }
    std::optional<VbMsgBoxResult> TakeNextAnswer() { return std::exchange(nextAnswer_, {}); }

private:
    std::optional<FileChoice> nextFile_;
    std::optional<VbMsgBoxResult> nextAnswer_;
};

}  // namespace brindle::ui::qt

#include "ui/win32/MessageBox.h"

#include <string>
#include <utility>

#include "ui/win32/DialogAnswers.h"
#include "ui/win32/WinText.h"
#include "ui/win32/WinUtils.h"

namespace brindle::ui::win32 {
namespace {

// The answer given in advance, for the box about to be shown on this thread.
struct PendingAnswer {
    std::wstring title;
    DialogVisit visit;
    std::optional<VbMsgBoxResult> answer;
};

thread_local PendingAnswer* pending = nullptr;

// The message box of this thread with the title, once it is shown.
HWND FindBox(const std::wstring& title) {
    for (HWND window : ThreadWindows()) {
        wchar_t name[16] = {};
        GetClassNameW(window, name, 16);
        if (std::wstring_view(name) == L"#32770" && IsWindowVisible(window) &&
            TextOf(window) == title) {
            return window;
        }
    }
    return nullptr;
}

bool Offers(HWND box, int id) {
    HWND button = GetDlgItem(box, id);
    return button != nullptr && IsWindowVisible(button);
}

// Ticks in the box's own modal loop: visits the box, then presses the answer's button, or
// the safest one the box offers when that is not among them.
void CALLBACK Answer(HWND, UINT, UINT_PTR timer, DWORD) {
    if (pending == nullptr) {
        KillTimer(nullptr, timer);
        return;
    }
    HWND box = FindBox(pending->title);
    if (box == nullptr) {
        return;  // not shown yet
    }
    KillTimer(nullptr, timer);
    PendingAnswer answer = std::move(*pending);
    pending = nullptr;
    if (answer.visit) {
        answer.visit(box);
    }
    int id = answer.answer.value_or(vbNo);
    for (int fallback :
         {id, static_cast<int>(vbNo), static_cast<int>(vbCancel), static_cast<int>(vbOK)}) {
        if (Offers(box, fallback)) {
            id = fallback;
            break;
        }
    }
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, id)));
}

}  // namespace

UINT MessageBoxStyle(std::int32_t buttons, bool owned) {
    const auto style = static_cast<UINT>(buttons) & (MB_TYPEMASK | MB_ICONMASK | MB_DEFMASK);
    return style | (owned ? MB_APPLMODAL : MB_TASKMODAL) | MB_SETFOREGROUND;
}

VbMsgBoxResult ShowMessageBox(HWND owner, std::string_view prompt, std::int32_t buttons,
                              std::string_view title, DialogAnswers* answers) {
    const std::wstring caption = Wide(title);
    PendingAnswer given;
    UINT_PTR timer = 0;
    if (answers != nullptr && answers->HasMessageBoxAnswer()) {
        given = {caption, answers->TakeNextVisit(), answers->TakeNextAnswer()};
        pending = &given;
        timer = SetTimer(nullptr, 0, 10, Answer);
    }
    const WindowScope scope;
    const int pressed = MessageBoxW(owner, Wide(prompt).c_str(), caption.c_str(),
                                    MessageBoxStyle(buttons, owner != nullptr));
    if (timer != 0) {
        KillTimer(nullptr, timer);
    }
    pending = nullptr;
    if (pressed == 0) {
        RaiseLastError("MessageBoxW");
    }
    return static_cast<VbMsgBoxResult>(pressed);
}

}  // namespace brindle::ui::win32

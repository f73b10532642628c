#pragma once
// Answers the add-in's modal windows as a user would, from outside the DLL: while it lives, a
// CBT hook of this thread sees each window as it is activated, and on a message box or the
// options dialog it presses the button the test asked for. The press is posted, so that the
// window's own modal loop handles it as it would a click.

#include <windows.h>

#include <string_view>

namespace brindle::test {

class DialogPresser {
public:
    DialogPresser() {
        current = this;
        hook_ = SetWindowsHookExW(WH_CBT, Activated, nullptr, GetCurrentThreadId());
    }
    ~DialogPresser() {
        if (hook_ != nullptr) {
            UnhookWindowsHookEx(hook_);
        }
        current = nullptr;
    }
    DialogPresser(const DialogPresser&) = delete;
    DialogPresser& operator=(const DialogPresser&) = delete;

    bool Installed() const { return hook_ != nullptr; }
    // The buttons pressed from now on: IDYES or IDNO in a message box, IDOK or IDCANCEL in the
    // options dialog.
    void Press(int messageBoxButton, int optionsButton) {
        boxButton_ = messageBoxButton;
        optionsButton_ = optionsButton;
    }
    // What was answered since the last call, and the owner of the last message box.
    void Forget() { seen_ = {}; }
    int MessageBoxes() const { return seen_.boxes; }
    int OptionsDialogs() const { return seen_.dialogs; }
    HWND LastOwner() const { return seen_.owner; }

private:
    struct Seen {
        int boxes = 0;
        int dialogs = 0;
        HWND owner = nullptr;
        HWND last = nullptr;
    };

    static LRESULT CALLBACK Activated(int code, WPARAM wParam, LPARAM lParam) {
        if (code == HCBT_ACTIVATE && current != nullptr) {
            current->Answer(reinterpret_cast<HWND>(wParam));
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    void Answer(HWND window) {
        if (window == seen_.last) {  // activated again, the press is on its way
            return;
        }
        wchar_t name[32] = {};
        GetClassNameW(window, name, 32);
        int button = 0;
        if (std::wstring_view(name) == L"#32770") {
            ++seen_.boxes;
            seen_.owner = GetWindow(window, GW_OWNER);
            button = boxButton_;
        } else if (std::wstring_view(name) == L"BrindleOptions") {
            ++seen_.dialogs;
            button = optionsButton_;
        } else {
            return;
        }
        seen_.last = window;
        PostMessageW(window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(window, button)));
    }

    static inline thread_local DialogPresser* current = nullptr;
    HHOOK hook_ = nullptr;
    int boxButton_ = IDYES;
    int optionsButton_ = IDOK;
    Seen seen_;
};

}  // namespace brindle::test

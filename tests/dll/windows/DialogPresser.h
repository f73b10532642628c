#pragma once
// Answers the add-in's modal windows as a user would, from outside the DLL: while it lives, a
// CBT hook of this thread sees each window as it is activated, and on a message box or the
// options dialog it presses the button the test asked for. The press is posted, so that the
// window's own modal loop handles it as it would a click.

#include <windows.h>

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

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
    // Runs on each options dialog as it is activated, before its button is pressed; what it
    // posts to the dialog comes first.
    void LookAtOptions(std::function<void(HWND form)> look) { look_ = std::move(look); }
    // What was answered since the test last cleared it.
    struct Seen {
        int boxes = 0;         // message boxes
        int dialogs = 0;       // options dialogs
        HWND owner = nullptr;  // of the last message box
        HWND last = nullptr;
        std::wstring text;       // of the last message box
        std::wstring helpTitle;  // of the last help window
        std::wstring helpText;
    };
    Seen seen;

private:
    static LRESULT CALLBACK Activated(int code, WPARAM wParam, LPARAM lParam) {
        if (code == HCBT_ACTIVATE && current != nullptr) {
            current->Answer(reinterpret_cast<HWND>(wParam));
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    // The box that holds a help window's text.
    static constexpr int kHelpText = 101;
    // The static control that holds a message box's text.
    static constexpr int kMessageBoxText = 0xFFFF;

    static std::wstring TextOf(HWND control) {
        std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
        text.resize(static_cast<std::size_t>(
            GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
        return text;
    }

    static void Post(HWND window, int button) {
        PostMessageW(window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(window, button)));
    }

    void Answer(HWND window) {
        if (window == seen.last) {  // activated again, the press is on its way
            return;
        }
        wchar_t name[32] = {};
        GetClassNameW(window, name, 32);
        int button = 0;
        if (std::wstring_view(name) == L"#32770") {
            ++seen.boxes;
            seen.owner = GetWindow(window, GW_OWNER);
            seen.text = TextOf(GetDlgItem(window, kMessageBoxText));
            // A box that only tells something has its OK alone.
            button = GetDlgItem(window, boxButton_) != nullptr ? boxButton_ : IDOK;
        } else if (std::wstring_view(name) == L"BrindleOptions") {
            ++seen.dialogs;
            button = optionsButton_;
            if (look_) {
                look_(window);
            }
        } else if (std::wstring_view(name) == L"BrindleHelp") {
            seen.helpTitle = TextOf(window);
            seen.helpText = TextOf(GetDlgItem(window, kHelpText));
            return;
        } else {
            return;
        }
        seen.last = window;
        Post(window, button);
    }

    static inline thread_local DialogPresser* current = nullptr;
    HHOOK hook_ = nullptr;
    int boxButton_ = IDYES;
    int optionsButton_ = IDOK;
    std::function<void(HWND form)> look_;
};

}  // namespace brindle::test

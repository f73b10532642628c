#include "ui/win32/HelpWindow.h"

#include <string>
#include <utility>

#include "ui/win32/WinText.h"
#include "ui/win32/WinUtils.h"

namespace brindle::ui::win32 {
namespace {

constexpr SIZE kSize{680, 560};

void Layout(HWND window, UINT dpi) {
    HWND text = GetDlgItem(window, kHelpTextId);
    HFONT font = MessageFont(dpi);
    auto* old = reinterpret_cast<HFONT>(SendMessageW(text, WM_GETFONT, 0, 0));
    SendMessageW(text, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    if (old != nullptr) {
        DeleteObject(old);
    }
    const int margin = Scaled(8, dpi);
    SendMessageW(text, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(margin, margin));
}

LRESULT CALLBACK HelpProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE:
            MoveWindow(GetDlgItem(window, kHelpTextId), 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
            return 0;
        case WM_DPICHANGED: {
            const auto* suggested = reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(window, nullptr, suggested->left, suggested->top,
                         suggested->right - suggested->left, suggested->bottom - suggested->top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            Layout(window, HIWORD(wParam));
            return 0;
        }
        case WM_DESTROY:
            DeleteObject(reinterpret_cast<HFONT>(
                SendMessageW(GetDlgItem(window, kHelpTextId), WM_GETFONT, 0, 0)));
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

HWND Create(HWND owner) {
    const WindowScope scope;
    const wchar_t* windowClass =
        WindowClass(kHelpWindowClass, HelpProcedure, GetSysColorBrush(COLOR_WINDOW));
    HWND window = CreateWindowExW(0, windowClass, L"", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, owner,
                                  nullptr, OwnModule(), nullptr);
    if (window == nullptr) {
        RaiseLastError("CreateWindowExW");
    }
    HWND text = CreateWindowExW(
        0, L"Edit", L"",
        WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, 0, 0, 10,
        10, window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kHelpTextId)), OwnModule(),
        nullptr);
    if (text == nullptr) {
        DestroyWindow(window);
        RaiseLastError("CreateWindowExW");
    }
    const UINT dpi = DpiOf(window);
    Layout(window, dpi);
    SetClientSize(window, {Scaled(kSize.cx, dpi), Scaled(kSize.cy, dpi)});
    CentreOnScreen(window);
    return window;
}

// The edit control breaks lines at CR LF alone.
std::wstring WithCrLf(std::string_view text) {
    std::wstring lines;
    for (const wchar_t c : Wide(text)) {
        if (c == L'\n') {
            lines += L'\r';
        }
        lines += c;
    }
    return lines;
}

}  // namespace

void ShowHelpWindow(HWND owner, std::string_view title, std::string_view text) {
    HWND window = nullptr;
    for (HWND shown : ThreadWindows()) {
        wchar_t name[32] = {};
        GetClassNameW(shown, name, 32);
        if (std::wstring_view(name) == kHelpWindowClass) {
            window = shown;
        }
    }
    if (window != nullptr && GetWindow(window, GW_OWNER) != owner) {
        DestroyWindow(std::exchange(window, nullptr));
    }
    if (window == nullptr) {
        window = Create(owner);
    }
    SetWindowTextW(window, Wide(title).c_str());
    SetWindowTextW(GetDlgItem(window, kHelpTextId), WithCrLf(text).c_str());
    ShowWindow(window, SW_SHOWNORMAL);
    SetForegroundWindow(window);
}

}  // namespace brindle::ui::win32

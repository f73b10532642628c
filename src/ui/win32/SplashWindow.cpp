#include "ui/win32/SplashWindow.h"

#include <set>

#include "ui/win32/Artwork.h"
#include "ui/win32/WinUtils.h"

namespace brindle::ui::win32 {
namespace {

constexpr UINT kLifetimeMs = 3000;
constexpr UINT_PTR kTimer1 = 1;
constexpr DWORD kSplashStyle = WS_POPUP | WS_DLGFRAME;
constexpr DWORD kSplashExStyle = WS_EX_TOOLWINDOW;

std::set<HWND>& OpenSplashes() {
    static std::set<HWND> open;
    return open;
}

void Resize(HWND window, UINT dpi) {
    const RECT client = PixelsOf(kSplashClientArea, dpi);
    SetClientSize(window, {client.right, client.bottom});
}

// Drawn off screen first, so the picture never flickers.
void PaintSplash(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, client.right, client.bottom);
    HGDIOBJ old = SelectObject(memory, bitmap);
    DrawSplash(memory, DpiOf(window));
    BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    EndPaint(window, &paint);
}

// Clicks and keys do nothing, nor does a request to close it: only the timer closes it.
LRESULT CALLBACK SplashProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT:
            PaintSplash(window);
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_TIMER:
            if (wParam == kTimer1) {
                KillTimer(window, kTimer1);
                DestroyWindow(window);
            }
            return 0;
        case WM_CLOSE:
            return 0;
        case WM_DPICHANGED: {
            const auto* suggested = reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(window, nullptr, suggested->left, suggested->top, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            Resize(window, HIWORD(wParam));
            InvalidateRect(window, nullptr, FALSE);
            return 0;
        }
        case WM_NCDESTROY:
            OpenSplashes().erase(window);
            break;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

class Win32Splash final : public frmSplash {
public:
    // Form_Load starts Timer1.
    void Show() override {
        const WindowScope scope;
        const wchar_t* name =
            WindowClass(L"BrindleSplash", SplashProcedure, GetSysColorBrush(COLOR_BTNFACE));
        HWND window = CreateWindowExW(kSplashExStyle, name, L"", kSplashStyle, 0, 0, 100, 100,
                                      nullptr, nullptr, OwnModule(), nullptr);
        if (window == nullptr) {
            RaiseLastError("CreateWindowExW");
        }
        OpenSplashes().insert(window);
        Resize(window, DpiOf(window));
        CentreOnScreen(window);
        if (SetTimer(window, kTimer1, kLifetimeMs, nullptr) == 0) {
            DestroyWindow(window);
            RaiseLastError("SetTimer");
        }
        ShowWindow(window, SW_SHOWNORMAL);
        UpdateWindow(window);
    }
};

}  // namespace

std::shared_ptr<frmSplash> MakeSplashWindow() {
    return std::make_shared<Win32Splash>();
}

void CloseSplashWindows() {
    const std::set<HWND> open = OpenSplashes();
    for (HWND window : open) {
        DestroyWindow(window);
    }
}

}  // namespace brindle::ui::win32

#include "ui/win32/WinUtils.h"

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "model/VbError.h"
#include "ui/win32/WinText.h"

namespace brindle::ui::win32 {
namespace {

constexpr UINT kDefaultDpi = 96;

// The per-monitor functions of Windows 10 1607, looked up when the windows first need them so
// that the DLL still loads on Windows 7 and 8.1, which lack them; null where missing.
struct DpiFunctions {
    UINT(WINAPI* dpiForWindow)(HWND) = nullptr;
    BOOL(WINAPI* parametersForDpi)(UINT, UINT, PVOID, UINT, UINT) = nullptr;
    DPI_AWARENESS_CONTEXT(WINAPI* setThreadContext)(DPI_AWARENESS_CONTEXT) = nullptr;
};

template <typename Function>
void Look(HMODULE user32, const char* name, Function& function) {
    const FARPROC found = user32 != nullptr ? GetProcAddress(user32, name) : nullptr;
    function = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
}

const DpiFunctions& Dpi() {
    static const DpiFunctions functions = [] {
        const HMODULE user32 = GetModuleHandleW(L"user32.dll");
        DpiFunctions found;
        Look(user32, "GetDpiForWindow", found.dpiForWindow);
        Look(user32, "SystemParametersInfoForDpi", found.parametersForDpi);
        Look(user32, "SetThreadDpiAwarenessContext", found.setThreadContext);
        return found;
    }();
    return functions;
}

// The dots per inch of the whole screen, as Windows before 10 gives every window.
UINT SystemDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen != nullptr) {
        ReleaseDC(nullptr, screen);
    }
    return dpi > 0 ? static_cast<UINT>(dpi) : kDefaultDpi;
}

DPI_AWARENESS_CONTEXT SetThreadContext(DPI_AWARENESS_CONTEXT context) {
    return Dpi().setThreadContext != nullptr ? Dpi().setThreadContext(context) : nullptr;
}

int ToPoints(double pointSize, UINT dpi) {
    return -static_cast<int>(std::lround(pointSize * dpi / 72.0));
}

std::vector<std::wstring>& RegisteredClasses() {
    static std::vector<std::wstring> classes;
    return classes;
}

BOOL CALLBACK Collect(HWND window, LPARAM windows) {
    reinterpret_cast<std::vector<HWND>*>(windows)->push_back(window);
    return TRUE;
}

HANDLE& ManifestHandle() {
    static HANDLE manifest = nullptr;
    return manifest;
}

// The activation context of the module's manifest for isolation-aware code, made once.
HANDLE ModuleManifest() {
    HANDLE& manifest = ManifestHandle();
    if (manifest == nullptr) {
        ACTCTXW context{};
        context.cbSize = sizeof(context);
        context.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
        context.hModule = OwnModule();
        context.lpResourceName = MAKEINTRESOURCEW(2);
        manifest = CreateActCtxW(&context);
    }
    return manifest;
}

}  // namespace

UINT DpiOf(HWND window) {
    if (window == nullptr) {
        return kDefaultDpi;
    }
    if (Dpi().dpiForWindow == nullptr) {
        return SystemDpi();
    }
    const UINT dpi = Dpi().dpiForWindow(window);
    return dpi != 0 ? dpi : kDefaultDpi;
}

double TwipsPerPixel(HWND window) {
    return kTwipsPerInch / DpiOf(window);
}

int Scaled(int pixels96, UINT dpi) {
    return MulDiv(pixels96, static_cast<int>(dpi), static_cast<int>(kDefaultDpi));
}

RECT PixelsOf(const TwipRect& twips, UINT dpi) {
    const double perPixel = kTwipsPerInch / dpi;
    const PixelRect pixels = ToPixels(twips, perPixel, perPixel);
    return {pixels.x, pixels.y, pixels.x + pixels.cx, pixels.y + pixels.cy};
}

void SetClientSize(HWND window, SIZE size) {
    RECT frame{};
    RECT client{};
    GetWindowRect(window, &frame);
    GetClientRect(window, &client);
    SetWindowPos(window, nullptr, 0, 0, size.cx + (frame.right - frame.left) - client.right,
                 size.cy + (frame.bottom - frame.top) - client.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HFONT MessageFont(UINT dpi, bool bold, double pointSize, const wchar_t* face) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    LOGFONTW font{};
    const auto forDpi = Dpi().parametersForDpi;
    if (forDpi != nullptr && forDpi(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0, dpi)) {
        font = metrics.lfMessageFont;
    } else if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0)) {
        // Without per-monitor metrics the system's are at the screen's dots per inch.
        font = metrics.lfMessageFont;
        font.lfHeight = MulDiv(font.lfHeight, static_cast<int>(dpi), static_cast<int>(SystemDpi()));
    } else {
        font.lfHeight = ToPoints(9, dpi);
        wcscpy_s(font.lfFaceName, L"Segoe UI");
    }
    if (pointSize > 0) {
        font.lfHeight = ToPoints(pointSize, dpi);
    }
    if (bold) {
        font.lfWeight = FW_BOLD;
    }
    if (face != nullptr && *face != L'\0') {
        wcsncpy_s(font.lfFaceName, face, _TRUNCATE);
    }
    return CreateFontIndirectW(&font);
}

void CentreOnScreen(HWND window) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    RECT frame{};
    if (!GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor) ||
        !GetWindowRect(window, &frame)) {
        return;
    }
    const RECT& area = monitor.rcMonitor;
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    SetWindowPos(window, nullptr, area.left + (area.right - area.left - width) / 2,
                 area.top + (area.bottom - area.top - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void StayOnTop(HWND form, bool onTop) {
    PassOn("WinUtils.StayOnTop", [&] {
        RECT frame{};
        if (!GetWindowRect(form, &frame)) {
            RaiseLastError("GetWindowRect");
        }
        const double perPixel = TwipsPerPixel(form);
        const PixelRect place =
            ToPixels({frame.left * perPixel, frame.top * perPixel,
                      (frame.right - frame.left) * perPixel, (frame.bottom - frame.top) * perPixel},
                     perPixel, perPixel);
        // Not activated: the status window must not take the keyboard from the code window.
        if (!SetWindowPos(form, onTop ? HWND_TOPMOST : HWND_NOTOPMOST, place.x, place.y, place.cx,
                          place.cy, SWP_NOACTIVATE)) {
            RaiseLastError("SetWindowPos");
        }
    });
}

std::vector<HWND> ThreadWindows() {
    std::vector<HWND> windows;
    EnumThreadWindows(GetCurrentThreadId(), Collect, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

std::vector<HWND> ChildWindows(HWND parent) {
    std::vector<HWND> windows;
    EnumChildWindows(parent, Collect, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

HINSTANCE OwnModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCWSTR>(&OwnModule), &module);
    return module;
}

void RaiseLastError(const char* what) {
    const DWORD code = GetLastError();
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
    std::wstring text = length != 0 ? std::wstring(buffer, length) : std::wstring();
    LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) {
        text.pop_back();
    }
    if (text.empty()) {
        text = L"Windows error " + std::to_wstring(code);
    }
    throw VbError(static_cast<std::int32_t>(HRESULT_FROM_WIN32(code)), Utf8(text), what);
}

WindowScope::WindowScope()
    : previous_(SetThreadContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2)) {
    if (previous_ == nullptr) {
        previous_ = SetThreadContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE);
    }
    HANDLE manifest = ModuleManifest();
    if (manifest != INVALID_HANDLE_VALUE && !ActivateActCtx(manifest, &activation_)) {
        activation_ = 0;
    }
}

WindowScope::~WindowScope() {
    if (activation_ != 0) {
        DeactivateActCtx(0, activation_);
    }
    if (previous_ != nullptr) {
        SetThreadContext(previous_);
    }
}

const wchar_t* WindowClass(const wchar_t* name, WNDPROC procedure, HBRUSH background) {
    for (const std::wstring& known : RegisteredClasses()) {
        if (known == name) {
            return name;
        }
    }
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = OwnModule();
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = background;
    windowClass.lpszClassName = name;
    if (RegisterClassExW(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        RaiseLastError("RegisterClassExW");
    }
    RegisteredClasses().emplace_back(name);
    return name;
}

void ReleaseWindowClasses() {
    for (const std::wstring& name : RegisteredClasses()) {
        UnregisterClassW(name.c_str(), OwnModule());
    }
    RegisteredClasses().clear();
    HANDLE& manifest = ManifestHandle();
    if (manifest != nullptr && manifest != INVALID_HANDLE_VALUE) {
        ReleaseActCtx(manifest);
    }
    manifest = nullptr;
}

}  // namespace brindle::ui::win32

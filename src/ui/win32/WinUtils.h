#pragma once
// Window helpers shared by the add-in's Win32 windows: sizes in twips and in pixels of the
// window's own dots per inch, fonts, centring, and the band of windows that stay on top.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ui/Twips.h"

namespace brindle::ui::win32 {

// The window's dots per inch (96 for no window; the screen's on Windows before 10, which has no
// per-window ones), and 1440 divided by them.
UINT DpiOf(HWND window);
double TwipsPerPixel(HWND window);
// A length in pixels at 96 dots per inch, at `dpi`.
int Scaled(int pixels96, UINT dpi);
// A place in twips as pixels at `dpi`, relative to the client area.
RECT PixelsOf(const TwipRect& twips, UINT dpi);

// Sizes the window so that its client area is `size`, keeping its place; the frame is
// measured on the window as it is drawn now.
void SetClientSize(HWND window, SIZE size);

// The system's message font at `dpi`; `pointSize` (when above 0) and `bold` change it, and
// `face` (when not empty) replaces its face. The caller deletes it.
HFONT MessageFont(UINT dpi, bool bold = false, double pointSize = 0, const wchar_t* face = L"");

// Puts the window at half of (monitor size minus window size) of the monitor it is on, or of
// the one nearest to it; its size stays.
void CentreOnScreen(HWND window);

// Puts the window into the band of windows that stay on top (true), or back among the others
// (false), keeping its place and size and whether it is shown: SetWindowPos with the window's
// place in pixels, computed by ToPixels from twips, so a window beyond the 16-bit range fails
// with an overflow before it is touched. Failures leave with "WinUtils.StayOnTop" put before
// their source.
void StayOnTop(HWND form, bool onTop);

// The top-level windows of this thread, and every window below `parent`.
std::vector<HWND> ThreadWindows();
std::vector<HWND> ChildWindows(HWND parent);

// The module these windows live in (the add-in's DLL, or the program that links them).
HINSTANCE OwnModule();

// Raises the thread's last Win32 error as a VbError: its HRESULT and the system's text.
[[noreturn]] void RaiseLastError(const char* what);

// While it lives, windows made on this thread scale with the dots per inch of their monitor,
// whatever the host process chose for its own windows (on Windows 10 1607 and later; before,
// they keep the process's), and take the common controls that the
// module's own manifest names (resource 2, as a DLL carries it; none: the process's).
class WindowScope {
public:
    WindowScope();
    ~WindowScope();
    WindowScope(const WindowScope&) = delete;
    WindowScope& operator=(const WindowScope&) = delete;

private:
    DPI_AWARENESS_CONTEXT previous_;
    ULONG_PTR activation_ = 0;
};

// A window class of ours, registered at first use in OwnModule(); `procedure` is its window
// procedure. Returns the class's name.
const wchar_t* WindowClass(const wchar_t* name, WNDPROC procedure, HBRUSH background);
// Unregisters the classes that WindowClass registered and lets go of the module's manifest,
// before the module goes away.
void ReleaseWindowClasses();

}  // namespace brindle::ui::win32

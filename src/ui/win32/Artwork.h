#pragma once
// The product's pictures, drawn by code with GDI at the dots per inch of their window, as the
// Qt windows draw them.

#include <windows.h>

namespace brindle::ui::win32 {

// Sizes in pixels at 96 dots per inch.
inline constexpr SIZE kLogoSize{154, 32};
inline constexpr SIZE kSplashSize{480, 360};

// The product's name on its emblem, for the status window, with its top-left corner at `at`.
void DrawLogo(HDC dc, POINT at, UINT dpi);
// The splash window's background: name, version and year, from the client area's corner.
void DrawSplash(HDC dc, UINT dpi);

}  // namespace brindle::ui::win32

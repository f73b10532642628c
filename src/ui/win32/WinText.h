#pragma once
// Our text is UTF-8 in standard strings; the windows take UTF-16 through the W functions.

#include <windows.h>

#include <string>
#include <string_view>

#include "util/Unicode.h"

namespace brindle::ui::win32 {

inline std::wstring Wide(std::string_view utf8) {
    const std::u16string units = Utf16FromUtf8(utf8);
    return {units.begin(), units.end()};
}

inline std::string Utf8(std::wstring_view wide) {
    return Utf8FromUtf16(std::u16string(wide.begin(), wide.end()));
}

// The text of a window or control.
inline std::wstring TextOf(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

}  // namespace brindle::ui::win32

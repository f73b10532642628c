#pragma once
// The operating system's part of code-page conversions and of comparing names: iconv and Qt on
// Linux, the Win32 code-page functions on Windows. Everything else of CodePage.h is portable.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace brindle::host {

// Given what is left of the input from an unconvertible character on, and the output so far:
// appends a replacement to the output and returns how many input bytes to skip (at least one).
using OnUnconvertible = std::function<std::size_t(std::string_view rest, std::string& output)>;

// `input` in code page `from` converted to code page `to`; each character that cannot be
// converted, or byte sequence that is no character of `from`, goes to `onBad`. An unknown code
// page raises 5.
std::string Transcode(std::string_view input, int from, int to, const OnUnconvertible& onBad);

// Whether two texts of valid UTF-8 are equal when letter case is ignored, as Windows compares
// file names.
bool EqualsIgnoringCaseUtf8(std::string_view a, std::string_view b);

}  // namespace brindle::host

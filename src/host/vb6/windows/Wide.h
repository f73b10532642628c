#pragma once
// UTF-8 text and the UTF-16 of the Win32 functions.

#include <string>
#include <string_view>

namespace brindle::host {

// A byte that is not UTF-8 becomes U+FFFD.
std::wstring Widen(std::string_view utf8);
// A lone surrogate becomes U+FFFD.
std::string Narrow(std::wstring_view wide);

}  // namespace brindle::host

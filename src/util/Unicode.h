#pragma once
// UTF-8 and UTF-16 without the operating system's tables.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace brindle {

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view text);

// The length of the UTF-8 sequence at the front of `rest` (not empty), as far as it is whole; 1
// for a byte that begins none.
std::size_t Utf8SequenceLength(std::string_view rest);

// A byte that is not UTF-8 becomes U+FFFD; characters above U+FFFF become surrogate pairs.
std::u16string Utf16FromUtf8(std::string_view utf8);
// A lone surrogate becomes U+FFFD.
std::string Utf8FromUtf16(std::u16string_view units);

// The code units of UTF-16 bytes in either order; nothing for an odd length or a lone surrogate.
std::optional<std::u16string> Utf16FromBytes(std::string_view bytes, bool bigEndian);
std::string BytesFromUtf16(std::u16string_view units, bool bigEndian);

}  // namespace brindle

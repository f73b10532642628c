#pragma once
// Conversions between UTF-8 and a module's Windows code page.

#include <string>
#include <string_view>

namespace brindle::host {

constexpr int kUtf8CodePage = 65001;

// UTF-8 text in the bytes of `codePage`; a character the code page lacks, or a byte that is
// not UTF-8, becomes "?". An unknown code page raises 5.
std::string FromUtf8(std::string_view utf8, int codePage);

// Bytes of `codePage` as UTF-8, for showing names and lines to a user; an undecodable byte
// becomes U+FFFD. An unknown code page raises 5.
std::string ToUtf8(std::string_view bytes, int codePage);

// Whether characters of `codePage` may take two bytes, the second of which can look like ASCII.
bool IsDoubleByteCodePage(int codePage);
bool IsLeadByte(unsigned char byte, int codePage);

}  // namespace brindle::host

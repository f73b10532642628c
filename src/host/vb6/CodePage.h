#pragma once
// Conversions between UTF-8 and a module's Windows code page, through the operating system's
// tables of those code pages (Transcoding.h).

#include <string>
#include <string_view>
#include <vector>

namespace brindle::host {

constexpr int kUtf8CodePage = 65001;
constexpr int kUtf16LeCodePage = 1200;
constexpr int kUtf16BeCodePage = 1201;

// The code page of text that names none (a template saved as ANSI, a module): on Windows the
// system's ANSI code page, as the IDE and Notepad read and write it; elsewhere 1252.
int SystemDefaultCodePage();

// UTF-8 text in the bytes of `codePage`; a character the code page lacks, or a byte that is
// not UTF-8, becomes "?". An unknown code page raises 5.
std::string FromUtf8(std::string_view utf8, int codePage);

// The characters of UTF-8 text that `codePage` lacks, each once, in order of appearance; empty
// when every character has bytes there. An unknown code page raises 5.
std::string MissingFrom(std::string_view utf8, int codePage);

// Bytes of `codePage` as UTF-8, for showing names and lines to a user; an undecodable byte
// becomes U+FFFD. An unknown code page raises 5.
std::string ToUtf8(std::string_view bytes, int codePage);

// Whether `codePage` is one that module files can be in: known, and ASCII in it is ASCII.
bool IsModuleCodePage(int codePage);

// Text that may be UTF-8 already (a name on disk) or bytes of `codePage` (a name from inside a
// VB6 file), as UTF-8 for a user: valid UTF-8 stays as it is, anything else is decoded.
std::string ShownAsUtf8(std::string_view text, int codePage);

// Whether two names are equal when letter case is ignored, as Windows compares file names and
// VB identifiers: every letter for valid UTF-8, the ASCII letters for other bytes.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

// Whether characters of `codePage` may take two bytes, the second of which can look like ASCII.
bool IsDoubleByteCodePage(int codePage);
bool IsLeadByte(unsigned char byte, int codePage);

// The double-byte code pages, of 932 (Japanese) and 936 (Chinese), in which `bytes` read as
// words of that script rather than as the scattered accented letters of a single-byte one; the
// likelier first, none when nothing beyond ASCII reads so.
std::vector<int> DoubleByteReadingsOf(std::string_view bytes);

}  // namespace brindle::host

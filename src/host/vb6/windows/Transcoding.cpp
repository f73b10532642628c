#include "host/vb6/Transcoding.h"

#include <windows.h>

#include <algorithm>
#include <optional>

#include "host/vb6/CodePage.h"
#include "host/vb6/windows/Wide.h"
#include "model/VbError.h"
#include "util/Unicode.h"

namespace brindle::host {
namespace {

bool IsUtf16(int codePage) {
    return codePage == kUtf16LeCodePage || codePage == kUtf16BeCodePage;
}

bool IsKnown(int codePage) {
    return codePage == kUtf8CodePage || IsUtf16(codePage) ||
           IsValidCodePage(static_cast<UINT>(codePage)) != FALSE;
}

// UTF-16 from bytes in either order; nothing for an odd length or a lone surrogate.
std::optional<std::wstring> DecodeUtf16(std::string_view bytes, bool bigEndian) {
    const auto units = Utf16FromBytes(bytes, bigEndian);
    return units ? std::optional(std::wstring(units->begin(), units->end())) : std::nullopt;
}

std::string EncodeUtf16(std::wstring_view wide, bool bigEndian) {
    return BytesFromUtf16(std::u16string(wide.begin(), wide.end()), bigEndian);
}

// The text of `bytes` in `codePage`; nothing when a byte sequence is no character of it.
std::optional<std::wstring> Decode(std::string_view bytes, int codePage) {
    if (IsUtf16(codePage)) {
        return DecodeUtf16(bytes, codePage == kUtf16BeCodePage);
    }
    if (bytes.empty()) {
        return std::wstring();
    }
    const auto cp = static_cast<UINT>(codePage);
    const int size = static_cast<int>(bytes.size());
    const int length =
        MultiByteToWideChar(cp, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
    if (length == 0) {
        return std::nullopt;
    }
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(cp, MB_ERR_INVALID_CHARS, bytes.data(), size, wide.data(), length);
    return wide;
}

// The bytes of `wide` in `codePage`; nothing when the code page lacks a character. No
// character is replaced by a look-alike: what does not come back the same is lacking.
std::optional<std::string> Encode(std::wstring_view wide, int codePage) {
    if (IsUtf16(codePage)) {
        return EncodeUtf16(wide, codePage == kUtf16BeCodePage);
    }
    if (wide.empty()) {
        return std::string();
    }
    const auto cp = static_cast<UINT>(codePage);
    const int size = static_cast<int>(wide.size());
    DWORD flags = codePage == kUtf8CodePage ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    int length = WideCharToMultiByte(cp, flags, wide.data(), size, nullptr, 0, nullptr, nullptr);
    if (length == 0 && GetLastError() == ERROR_INVALID_FLAGS) {
        flags = 0;
        length = WideCharToMultiByte(cp, flags, wide.data(), size, nullptr, 0, nullptr, nullptr);
    }
    if (length == 0) {
        return std::nullopt;
    }
    std::string bytes(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(cp, flags, wide.data(), size, bytes.data(), length, nullptr, nullptr);
    if (Decode(bytes, codePage) != std::wstring(wide)) {
        return std::nullopt;
    }
    return bytes;
}

std::optional<std::string> Convert(std::string_view input, int from, int to) {
    const std::optional<std::wstring> wide = Decode(input, from);
    return wide ? Encode(*wide, to) : std::nullopt;
}

// The length of the character at the front of `rest` in `codePage`.
std::size_t CharacterLength(std::string_view rest, int codePage) {
    if (codePage == kUtf8CodePage) {
        return Utf8SequenceLength(rest);
    }
    if (IsUtf16(codePage)) {
        const std::size_t high = codePage == kUtf16BeCodePage ? 0 : 1;
        const auto unit = rest.size() >= 2 ? static_cast<unsigned char>(rest[high]) : 0u;
        return unit >= 0xD8 && unit <= 0xDB ? 4 : 2;
    }
    const bool lead =
        IsDBCSLeadByteEx(static_cast<UINT>(codePage), static_cast<BYTE>(rest[0])) != FALSE;
    return lead ? 2 : 1;
}

}  // namespace

// The whole text at once; only when that fails, one character at a time, so that each one
// that cannot be converted is found.
std::string Transcode(std::string_view input, int from, int to, const OnUnconvertible& onBad) {
    if (!IsKnown(from) || !IsKnown(to)) {
        Raise(Err::InvalidCall, "CodePage.CP" + std::to_string(from == kUtf8CodePage ? to : from));
    }
    if (auto whole = Convert(input, from, to)) {
        return *whole;
    }
    std::string output;
    std::size_t i = 0;
    while (i < input.size()) {
        const std::string_view rest = input.substr(i);
        const std::size_t length = std::min(CharacterLength(rest, from), rest.size());
        if (auto converted = Convert(rest.substr(0, length), from, to)) {
            output += *converted;
            i += length;
        } else {
            i += onBad(rest, output);
        }
    }
    return output;
}

bool EqualsIgnoringCaseUtf8(std::string_view a, std::string_view b) {
    const std::wstring wideA = Widen(a);
    const std::wstring wideB = Widen(b);
    return CompareStringOrdinal(wideA.data(), static_cast<int>(wideA.size()), wideB.data(),
                                static_cast<int>(wideB.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace brindle::host

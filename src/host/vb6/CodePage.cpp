#include "host/vb6/CodePage.h"

#include <algorithm>
#include <map>
#include <string>

#include "host/model/VbError.h"
#include "host/vb6/Transcoding.h"

namespace brindle::host {

namespace {

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Whether ASCII text is the same bytes in `codePage` (not so in UTF-16, nor where "~" or "+"
// begin escapes), found at the first use on this thread. An unknown code page raises 5.
bool KeepsAscii(int codePage) {
    thread_local std::map<int, bool> known;
    if (const auto found = known.find(codePage); found != known.end()) {
        return found->second;
    }
    std::string ascii = "\t\n\r";
    for (char c = ' '; c < '\x7F'; ++c) {
        ascii += c;
    }
    const auto skip = [](std::string_view, std::string&) { return std::size_t{1}; };
    const bool keeps = Transcode(ascii, kUtf8CodePage, codePage, skip) == ascii &&
                       Transcode(ascii, codePage, kUtf8CodePage, skip) == ascii;
    known.emplace(codePage, keeps);
    return keeps;
}

}  // namespace

std::size_t Utf8SequenceLength(std::string_view rest) {
    auto lead = static_cast<unsigned char>(rest[0]);
    std::size_t length = lead >= 0xF0 && lead <= 0xF4   ? 4
                         : lead >= 0xE0 && lead <= 0xEF ? 3
                         : lead >= 0xC2 && lead <= 0xDF ? 2
                                                        : 1;
    std::size_t valid = 1;
    while (valid < length && valid < rest.size() &&
           (static_cast<unsigned char>(rest[valid]) & 0xC0) == 0x80) {
        ++valid;
    }
    return valid;
}

std::string FromUtf8(std::string_view utf8, int codePage) {
    if (IsAscii(utf8) && KeepsAscii(codePage)) {
        return std::string(utf8);
    }
    return Transcode(utf8, kUtf8CodePage, codePage, [](std::string_view rest, std::string& output) {
        output += '?';
        return Utf8SequenceLength(rest);
    });
}

std::string MissingFrom(std::string_view utf8, int codePage) {
    std::string missing;
    Transcode(utf8, kUtf8CodePage, codePage, [&](std::string_view rest, std::string&) {
        const std::size_t length = Utf8SequenceLength(rest);
        const std::string_view character = rest.substr(0, length);
        if (missing.find(character) == std::string::npos) {
            missing += character;
        }
        return length;
    });
    return missing;
}

std::string ToUtf8(std::string_view bytes, int codePage) {
    if (IsAscii(bytes) && KeepsAscii(codePage)) {
        return std::string(bytes);
    }
    return Transcode(bytes, codePage, kUtf8CodePage, [](std::string_view, std::string& output) {
        output += "\xEF\xBF\xBD";
        return std::size_t{1};
    });
}

bool IsModuleCodePage(int codePage) {
    constexpr std::string_view kAscii = "Attribute VB_Name = \"A\\b_1\" ' ~\r\n";
    try {
        return FromUtf8(kAscii, codePage) == kAscii && ToUtf8(kAscii, codePage) == kAscii;
    } catch (const VbError&) {
        return false;
    }
}

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        const std::size_t length = Utf8SequenceLength(text.substr(i));
        const bool whole = length == (lead >= 0xF0 ? 4u : lead >= 0xE0 ? 3u : 2u);
        if (lead < 0xC2 || lead > 0xF4 || !whole) {
            return false;
        }
        const auto second = static_cast<unsigned char>(text[i + 1]);
        if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) ||
            (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second > 0x8F)) {
            return false;
        }
        i += length;
    }
    return true;
}

std::string ShownAsUtf8(std::string_view text, int codePage) {
    return IsValidUtf8(text) ? std::string(text) : ToUtf8(text, codePage);
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (IsValidUtf8(a) && IsValidUtf8(b)) {
        return EqualsIgnoringCaseUtf8(a, b);
    }
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return LowerAscii(x) == LowerAscii(y);
           });
}

bool IsDoubleByteCodePage(int codePage) {
    return codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950;
}

bool IsLeadByte(unsigned char byte, int codePage) {
    switch (codePage) {
        case 932:
            return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
        case 936:
        case 949:
        case 950:
            return byte >= 0x81 && byte <= 0xFE;
        default:
            return false;
    }
}

}  // namespace brindle::host

#include "host/vb6/CodePage.h"

#include <map>
#include <string>

#include "host/vb6/Transcoding.h"
#include "model/VbError.h"
#include "util/Text.h"
#include "util/Unicode.h"

namespace brindle::host {

namespace {

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

std::string ShownAsUtf8(std::string_view text, int codePage) {
    return IsValidUtf8(text) ? std::string(text) : ToUtf8(text, codePage);
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (IsValidUtf8(a) && IsValidUtf8(b)) {
        return EqualsIgnoringCaseUtf8(a, b);
    }
    return EqualsNoCase(a, b);
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

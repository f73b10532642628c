#include "host/vb6/CodePage.h"

#ifdef _WIN32
#include <windows.h>
#endif

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

// Text of a double-byte code page has its bytes beyond ASCII side by side, two to a character;
// a single-byte code page's accented letters mostly stand alone between ASCII letters.
bool HighBytesComeInPairs(std::string_view bytes) {
    std::size_t high = 0;
    std::size_t paired = 0;
    for (std::size_t i = 0; i < bytes.size();) {
        std::size_t run = 0;
        while (i + run < bytes.size() && static_cast<unsigned char>(bytes[i + run]) >= 0x80) {
            ++run;
        }
        high += run;
        paired += run >= 2 ? run : 0;
        i += run == 0 ? 1 : run;
    }
    return high >= 4 && paired * 5 >= high * 3;
}

struct Reading {
    std::size_t script = 0;  // ideographs, kana and full-width forms
    std::size_t kana = 0;
    std::size_t other = 0;  // anything else beyond ASCII, an undecodable byte included
};

Reading ReadingOf(std::string_view bytes, int codePage) {
    Reading reading;
    const std::u16string units = Utf16FromUtf8(ToUtf8(bytes, codePage));
    for (const char16_t unit : units) {
        if (unit < 0x80) {
            continue;
        }
        const bool kana = unit >= 0x3040 && unit <= 0x30FF;
        const bool script = kana || (unit >= 0x3000 && unit <= 0x9FFF) ||
                            (unit >= 0xF900 && unit <= 0xFAFF) ||
                            (unit >= 0xFF01 && unit <= 0xFF60);
        reading.kana += kana ? 1 : 0;
        reading.script += script ? 1 : 0;
        reading.other += script ? 0 : 1;
    }
    return reading;
}

bool ReadsWell(const Reading& reading) {
    return reading.script >= 2 && reading.other * 10 <= reading.script;
}

// Nearly any two bytes beyond ASCII are a character of 936, but Chinese text mostly takes the
// common characters of GB 2312, which the letters of other scripts seldom give.
bool MostlyCommonChinese(std::string_view bytes) {
    std::size_t pairs = 0;
    std::size_t common = 0;
    for (std::size_t i = 0; i + 1 < bytes.size(); ++i) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x81) {
            continue;
        }
        const auto trail = static_cast<unsigned char>(bytes[++i]);
        ++pairs;
        common += lead >= 0xB0 && lead <= 0xD7 && trail >= 0xA1 && trail <= 0xFE ? 1 : 0;
    }
    return common * 2 >= pairs;
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

int SystemDefaultCodePage() {
    constexpr int kWestern = 1252;
#ifdef _WIN32
    static const int system = [] {
        const int acp = static_cast<int>(GetACP());
        return IsModuleCodePage(acp) ? acp : kWestern;
    }();
    return system;
#else
    return kWestern;
#endif
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

std::vector<int> DoubleByteReadingsOf(std::string_view bytes) {
    if (!HighBytesComeInPairs(bytes)) {
        return {};
    }
    const Reading japanese = ReadingOf(bytes, 932);
    const Reading chinese = ReadingOf(bytes, 936);
    std::vector<int> readings;
    // Kana are Japanese alone: where 932 finds them, it is the likelier.
    if (ReadsWell(japanese) && japanese.kana > 0) {
        readings.push_back(932);
    }
    if (ReadsWell(chinese) && MostlyCommonChinese(bytes)) {
        readings.push_back(936);
    }
    if (ReadsWell(japanese) && japanese.kana == 0) {
        readings.push_back(932);
    }
    return readings;
}

}  // namespace brindle::host

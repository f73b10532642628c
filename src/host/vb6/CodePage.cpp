#include "host/vb6/CodePage.h"

#include <iconv.h>

#include <QByteArrayView>
#include <QString>
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "host/model/VbError.h"

namespace brindle::host {

namespace {

std::string IconvName(int codePage) {
    switch (codePage) {
        case kUtf8CodePage:
            return "UTF-8";
        case kUtf16LeCodePage:
            return "UTF-16LE";
        case kUtf16BeCodePage:
            return "UTF-16BE";
        default:
            return "CP" + std::to_string(codePage);
    }
}

// An open conversion, closed with the object.
class Conversion {
public:
    Conversion(int from, int to) {
        handle_ = iconv_open(IconvName(to).c_str(), IconvName(from).c_str());
        if (handle_ == Invalid()) {
            Raise(Err::InvalidCall, "CodePage." + IconvName(from == kUtf8CodePage ? to : from));
        }
    }
    ~Conversion() { iconv_close(handle_); }
    Conversion(const Conversion&) = delete;
    Conversion& operator=(const Conversion&) = delete;

    // Converts `input`; `onBad` is given the unconvertible bytes at the front of what is left
    // and returns how many of them to skip, after it appended its replacement to the output.
    template <class OnBad>
    std::string Run(std::string_view input, OnBad onBad) {
        iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        std::string output;
        char* in = const_cast<char*>(input.data());
        std::size_t inLeft = input.size();
        char buffer[4096];
        while (inLeft > 0) {
            char* out = buffer;
            std::size_t outLeft = sizeof buffer;
            std::size_t result = iconv(handle_, &in, &inLeft, &out, &outLeft);
            output.append(buffer, static_cast<std::size_t>(out - buffer));
            if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
                std::size_t skip = onBad(std::string_view(in, inLeft), output);
                in += skip;
                inLeft -= skip;
                iconv(handle_, nullptr, nullptr, nullptr, nullptr);
            }
        }
        return output;
    }

private:
    static iconv_t Invalid() { return reinterpret_cast<iconv_t>(static_cast<std::intptr_t>(-1)); }
    iconv_t handle_;
};

// The conversion from one code page to another, opened at its first use on this thread.
Conversion& ConversionOf(int from, int to) {
    thread_local std::map<std::pair<int, int>, std::unique_ptr<Conversion>> open;
    auto& conversion = open[{from, to}];
    if (!conversion) {
        try {
            conversion = std::make_unique<Conversion>(from, to);
        } catch (...) {
            open.erase({from, to});
            throw;
        }
    }
    return *conversion;
}

// The length of the UTF-8 sequence at the front of `rest`, or 1 for a byte that begins none.
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

QString ToQString(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

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
    const bool keeps = ConversionOf(kUtf8CodePage, codePage).Run(ascii, skip) == ascii &&
                       ConversionOf(codePage, kUtf8CodePage).Run(ascii, skip) == ascii;
    known.emplace(codePage, keeps);
    return keeps;
}

}  // namespace

std::string FromUtf8(std::string_view utf8, int codePage) {
    if (IsAscii(utf8) && KeepsAscii(codePage)) {
        return std::string(utf8);
    }
    return ConversionOf(kUtf8CodePage, codePage)
        .Run(utf8, [](std::string_view rest, std::string& output) {
            output += '?';
            return Utf8SequenceLength(rest);
        });
}

std::string MissingFrom(std::string_view utf8, int codePage) {
    std::string missing;
    ConversionOf(kUtf8CodePage, codePage).Run(utf8, [&](std::string_view rest, std::string&) {
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
    return ConversionOf(codePage, kUtf8CodePage)
        .Run(bytes, [](std::string_view, std::string& output) {
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

bool IsValidUtf8(std::string_view text) {
    return QByteArrayView(text.data(), static_cast<qsizetype>(text.size())).isValidUtf8();
}

std::string ShownAsUtf8(std::string_view text, int codePage) {
    return IsValidUtf8(text) ? std::string(text) : ToUtf8(text, codePage);
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (IsValidUtf8(a) && IsValidUtf8(b)) {
        return ToQString(a).compare(ToQString(b), Qt::CaseInsensitive) == 0;
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

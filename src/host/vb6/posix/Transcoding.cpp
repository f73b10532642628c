#include "host/vb6/Transcoding.h"

#include <iconv.h>

#include <QString>
#include <cerrno>
#include <cstdint>
#include <map>
#include <memory>
#include <utility>

#include "host/vb6/CodePage.h"
#include "host/vb6/posix/QtText.h"
#include "model/VbError.h"

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
        case 10000:  // Mac Roman, which VBA projects saved by Office for the Mac are in
            return "MACINTOSH";
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

    std::string Run(std::string_view input, const OnUnconvertible& onBad) {
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

// The conversion from one code page to another, opened at its first use on this thread, so
// that converting many short texts costs no more than converting one long one.
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

}  // namespace

std::string Transcode(std::string_view input, int from, int to, const OnUnconvertible& onBad) {
    return ConversionOf(from, to).Run(input, onBad);
}

bool EqualsIgnoringCaseUtf8(std::string_view a, std::string_view b) {
    return ToQString(a).compare(ToQString(b), Qt::CaseInsensitive) == 0;
}

}  // namespace brindle::host

#include "host/files/RegionalDate.h"

#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <ctime>

#include "util/Unicode.h"

namespace brindle::host {
namespace {

// The locale of the environment's LC_TIME, and its character set; freed with the object.
class EnvironmentLocale {
public:
    EnvironmentLocale() : locale_(newlocale(LC_TIME_MASK | LC_CTYPE_MASK, "", nullptr)) {}
    ~EnvironmentLocale() {
        if (locale_ != nullptr) {
            freelocale(locale_);
        }
    }
    EnvironmentLocale(const EnvironmentLocale&) = delete;
    EnvironmentLocale& operator=(const EnvironmentLocale&) = delete;
    locale_t Get() const { return locale_; }

private:
    locale_t locale_;
};

std::tm TimeOf(CalendarDate date) {
    using namespace std::chrono;
    const year_month_day day{year{date.year}, month{static_cast<unsigned>(date.month)},
                             std::chrono::day{static_cast<unsigned>(date.day)}};
    const sys_days days{day};
    std::tm time{};
    time.tm_year = date.year - 1900;
    time.tm_mon = date.month - 1;
    time.tm_mday = date.day;
    time.tm_wday = static_cast<int>(weekday{days}.c_encoding());
    time.tm_yday = static_cast<int>((days - sys_days{year{date.year} / January / 1}).count());
    return time;
}

// Text of the character set as UTF-8; empty when it cannot be converted.
std::string ToUtf8(const std::string& text, const char* charset) {
    const bool ascii = std::all_of(text.begin(), text.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii || (std::strcmp(charset, "UTF-8") == 0 && IsValidUtf8(text))) {
        return text;
    }
    const iconv_t convert = iconv_open("UTF-8", charset);
    if (convert == reinterpret_cast<iconv_t>(-1)) {
        return {};
    }
    std::string in = text;
    std::string out(text.size() * 4 + 4, '\0');
    char* from = in.data();
    char* to = out.data();
    std::size_t fromLeft = in.size();
    std::size_t toLeft = out.size();
    const bool done = iconv(convert, &from, &fromLeft, &to, &toLeft) != static_cast<size_t>(-1);
    iconv_close(convert);
    if (!done) {
        return {};
    }
    out.resize(out.size() - toLeft);
    return out;
}

}  // namespace

std::string RegionalShortDate(CalendarDate date) {
    const EnvironmentLocale locale;
    if (locale.Get() == nullptr) {
        return {};  // a locale that is not installed: the C locale's
    }
    const std::tm time = TimeOf(date);
    char text[128];
    const std::size_t length = strftime_l(text, sizeof text, "%x", &time, locale.Get());
    return ToUtf8(std::string(text, length), nl_langinfo_l(CODESET, locale.Get()));
}

}  // namespace brindle::host

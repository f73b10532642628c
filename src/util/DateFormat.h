#pragma once
// The Date Format option, which the Date keyword follows: "Short Date" (the user's regional
// short date, which the host tells), "ISO" (yyyy-mm-dd), or a pattern of d, dd, m, mm, yy and
// yyyy between other characters that are neither letters nor digits ("dd.mm.yyyy", or
// "mm/dd/yy" for the same text in every locale).

#include <functional>
#include <string>
#include <string_view>

namespace brindle {

inline constexpr const char* kDefaultDateFormat = "Short Date";

struct CalendarDate {
    int year = 1970;
    int month = 1;  // 1 to 12
    int day = 1;    // 1 to 31
};

// A date in the user's regional short date format, in UTF-8; an empty text when the system
// cannot tell it. The host gives it; without one Short Date is mm/dd/yy, as in the C locale.
using RegionalDate = std::function<std::string(CalendarDate)>;

// What the formats are, for a tooltip or a note beside the option.
inline constexpr const char* kDateFormatHint =
    "Short Date: your regional short date format; ISO: yyyy-mm-dd; or a pattern of d, dd, m, "
    "mm, yy and yyyy, such as dd.mm.yyyy or mm/dd/yy";

// Whether `format` names Short Date (an empty one does too).
bool IsShortDate(std::string_view format);

// Why `format` is no date format, for a message; empty when it is one.
std::string DateFormatProblem(std::string_view format);

// `date` in `format`; a format that is none gives Short Date.
std::string FormatDate(std::string_view format, CalendarDate date,
                       const RegionalDate& regional = {});

}  // namespace brindle

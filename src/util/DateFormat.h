#pragma once
// The Date Format option, which the Date keyword follows: "Short Date" (mm/dd/yy, the same in
// every locale, so that a team's files do not depend on who last touched them), "ISO"
// (yyyy-mm-dd), or a pattern of d, dd, m, mm, yy and yyyy between other characters that are
// neither letters nor digits ("dd.mm.yyyy").

#include <string>
#include <string_view>

namespace brindle {

inline constexpr const char* kDefaultDateFormat = "Short Date";

struct CalendarDate {
    int year = 1970;
    int month = 1;  // 1 to 12
    int day = 1;    // 1 to 31
};

// Why `format` is no date format, for a message; empty when it is one.
std::string DateFormatProblem(std::string_view format);

// `date` in `format`; a format that is none gives Short Date.
std::string FormatDate(std::string_view format, CalendarDate date);

}  // namespace brindle

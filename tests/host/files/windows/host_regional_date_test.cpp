// The regional short date is that of the user's regional settings, in UTF-8.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "host/files/RegionalDate.h"
#include "host/vb6/windows/Wide.h"
#include "util/Unicode.h"

namespace brindle::host {
namespace {

// The user's short date pattern ("M/d/yyyy"), as the regional settings hold it.
std::string ShortDatePattern() {
    wchar_t pattern[80];
    const int length = GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SSHORTDATE, pattern,
                                       static_cast<int>(std::size(pattern)));
    return length > 1 ? Narrow(std::wstring_view(pattern, static_cast<std::size_t>(length - 1)))
                      : std::string();
}

// Days and months of one digit and of two, in the pattern that the settings give.
TEST(Regional, TheUsersPatternWritesTheDate) {
    const std::string pattern = ShortDatePattern();
    for (const CalendarDate date : {CalendarDate{2024, 3, 7}, CalendarDate{1999, 12, 31}}) {
        const std::string text = RegionalShortDate(date);
        EXPECT_TRUE(IsValidUtf8(text)) << text;
        EXPECT_NE(text.find(std::to_string(date.day)), std::string::npos) << text;
        if (DateFormatProblem(pattern).empty()) {  // of d, m and y alone
            EXPECT_EQ(text, FormatDate(pattern, date)) << pattern;
        }
    }
}

}  // namespace
}  // namespace brindle::host

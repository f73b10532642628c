#include "host/files/RegionalDate.h"

#include <windows.h>

#include "host/vb6/windows/Wide.h"

namespace brindle::host {

std::string RegionalShortDate(CalendarDate date) {
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(date.year);
    time.wMonth = static_cast<WORD>(date.month);
    time.wDay = static_cast<WORD>(date.day);
    wchar_t text[128];
    const int length = GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr,
                                       text, static_cast<int>(std::size(text)), nullptr);
    if (length <= 1) {
        return {};
    }
    return Narrow(std::wstring_view(text, static_cast<std::size_t>(length - 1)));
}

}  // namespace brindle::host

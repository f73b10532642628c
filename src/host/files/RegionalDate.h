#pragma once
// The user's regional short date, which the Date Format's Short Date follows: on Linux the
// date format of the environment's LC_TIME (LC_ALL, LC_TIME, LANG; the C locale's is
// mm/dd/yy), on Windows that of the user's regional settings. One implementation per platform.

#include <string>

#include "util/DateFormat.h"

namespace brindle::host {

// `date` in the user's short date format, in UTF-8; empty when the system cannot tell it.
std::string RegionalShortDate(CalendarDate date);

}  // namespace brindle::host

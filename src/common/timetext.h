// Text forms of dates, times and durations used by every display and export.
#pragma once

#include <string>

#include "common/platform.h"

namespace vantora {

// Three-letter month name, month 1-12 ("Jan" ... "Dec"); "" outside.
const char* MonthAbbrev(int month);

// "06-Mar-2005"
std::string DateText(LogTime t);
// "06-Mar-2005 14:05:09"
std::string DateTimeText(LogTime t);
// "14:05:09", or "14:05" without seconds.
std::string TimeText(LogTime t, bool withSeconds = true);
// ISO 8601 local time with its UTC offset: "2026-03-10T08:30:00+01:00".
std::string IsoLocalTime(LogTime t);
// "01 days 01:01:01" when days >= 1 and allowed, else "25:01:01" style.
std::string DurationText(long long seconds, bool allowDays);

// printf into a std::string.
std::string Format(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

}  // namespace vantora

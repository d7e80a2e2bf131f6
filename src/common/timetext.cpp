#include "common/timetext.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace vantora {

const char* MonthAbbrev(int month) {
  static const char* const kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  return month >= 1 && month <= 12 ? kMonths[month - 1] : "";
}

std::string Format(const char* format, ...) {
  char small[256];
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  int n = std::vsnprintf(small, sizeof small, format, copy);
  va_end(copy);
  std::string out;
  if (n > 0 && static_cast<std::size_t>(n) < sizeof small) {
    out.assign(small, static_cast<std::size_t>(n));
  } else if (n > 0) {
    std::vector<char> buffer(static_cast<std::size_t>(n) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), format, args);
    out.assign(buffer.data(), static_cast<std::size_t>(n));
  }
  va_end(args);
  return out;
}

std::string DateText(LogTime t) {
  std::tm f = LocalFields(t);
  return Format("%02i-%s-%i", f.tm_mday, MonthAbbrev(f.tm_mon + 1), f.tm_year + 1900);
}

std::string DateTimeText(LogTime t) {
  std::tm f = LocalFields(t);
  return Format("%s %02i:%02i:%02i", DateText(t).c_str(), f.tm_hour, f.tm_min, f.tm_sec);
}

std::string IsoLocalTime(LogTime t) {
  std::tm f = LocalFields(t);
  long offset = UtcOffsetSeconds(t);
  const char sign = offset < 0 ? '-' : '+';
  offset = offset < 0 ? -offset : offset;
  return Format("%04i-%02i-%02iT%02i:%02i:%02i%c%02li:%02li", f.tm_year + 1900, f.tm_mon + 1,
                f.tm_mday, f.tm_hour, f.tm_min, f.tm_sec, sign, offset / 3600, offset / 60 % 60);
}

std::string TimeText(LogTime t, bool withSeconds) {
  std::tm f = LocalFields(t);
  return withSeconds ? Format("%02i:%02i:%02i", f.tm_hour, f.tm_min, f.tm_sec)
                     : Format("%02i:%02i", f.tm_hour, f.tm_min);
}

std::string DurationText(long long s, bool allowDays) {
  long long days = s / 86400;
  long long hours = s / 3600 - 24 * days;
  long long minutes = s / 60 - 60 * (s / 3600);
  long long seconds = s - 60 * (s / 60);
  if (days >= 1 && allowDays)
    return Format("%02lli days %02lli:%02lli:%02lli", days, hours, minutes, seconds);
  return Format("%02lli:%02lli:%02lli", hours, minutes, seconds);
}

}  // namespace vantora

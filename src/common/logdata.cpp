#include "common/logdata.h"

#include <charconv>
#include <clocale>
#include <cstdio>

#include "common/timetext.h"

namespace vantora {

namespace {

// "%7.<d>f" without printf: to_chars gives the same correctly rounded digits.
// Only used where the C library's decimal point is '.'.
bool FastPadded(int decimals, double value, std::string& text) {
  if (decimals > 40) return false;
  const char* point = std::localeconv()->decimal_point;
  if (point[0] != '.' || point[1] != '\0') return false;
  char digits[64];
  auto result =
      std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, decimals);
  if (result.ec != std::errc()) return false;
  std::size_t n = static_cast<std::size_t>(result.ptr - digits);
  text.assign(n < 7 ? 7 - n : 0, ' ');
  text.append(digits, n);
  return true;
}

}  // namespace

std::string FormatNumber(int decimals, double value, bool padded) {
  if (value > 22000) return Format("%g", value);
  if (decimals < 0) decimals = 0;
  std::string text;
  if (padded && decimals < 200 && FastPadded(decimals, value, text)) return text;
  char format[32];
  if (decimals >= 200)
    std::snprintf(format, sizeof format, "%%#%i.%ig", decimals - 200, decimals - 200);
  else if (padded)
    std::snprintf(format, sizeof format, "%%7.%if", decimals);
  else
    std::snprintf(format, sizeof format, "%% 1.%if", decimals);
  return Format(format, value);
}

bool CLogData::FormatValue(int channel, double value, std::string& text, bool padded) const {
  text.clear();
  if (channel < 0 || channel >= ChannelCount()) return false;
  if (value < -666660) {
    text = "N/A";
  } else if (value < -200) {
    text = "OverRange";
  } else {
    int decimals = 0;
    GetChannelDecimals(channel, decimals);
    text = FormatNumber(decimals, value, padded);
  }
  return true;
}

}  // namespace vantora

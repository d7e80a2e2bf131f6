#include "common/logdata.h"

#include <cstdio>

#include "common/timetext.h"

namespace vantora {

std::string FormatNumber(int decimals, double value, bool padded) {
  if (value > 22000) return Format("%g", value);
  if (decimals < 0) decimals = 0;
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
  int decimals = 0;
  GetChannelDecimals(channel, decimals);
  text = FormatNumber(decimals, value, padded);
  if (value < -666660)
    text = "N/A";
  else if (value < -200)
    text = "OverRange";
  return true;
}

}  // namespace vantora

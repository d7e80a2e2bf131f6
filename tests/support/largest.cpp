#include "support/largest.h"

#include <cmath>
#include <stdexcept>

#include "common/logfile.h"
#include "support/locbytes.h"

namespace vantora::test {

void WriteLargestLocation(const std::string& path) {
  CLogFile log(path, false);
  log.SetVersion(3);
  log.SetTimeBits(24);
  LogTime start = MakeLocalTime(2026, 1, 5, 8, 0, 0);
  log.SetStartTime(start);
  for (int c = 0; c < kMaxChannels; ++c) {
    log.SetChannelName(c, "Channel " + std::to_string(c + 1));
    log.SetChannelParam(c, c % 18);
    log.SetChannelUnit(c, c % 12);
    log.SetChannelDecimals(c, c == 7 ? 203 : c % 3);
    log.SetChannelWidth(c, 7);
  }
  if (!log.OpenWrite(true)) throw std::runtime_error("cannot create " + path);
  double values[kMaxChannels];
  for (int r = 0; r < kMaxRecords; ++r) {
    for (int c = 0; c < kMaxChannels; ++c)
      values[c] = (r % 997 == c) ? -999999.0 : 20.0 + c + 5.0 * std::sin(r / 300.0 + c);
    log.AppendRecord(start + r, values);
  }
  log.Close();
  if (log.Error() != LogFileError::None) throw std::runtime_error("cannot write " + path);
}

const std::string& LargestLocationPath() {
  static TempDir dir;
  static const std::string path = [] {
    std::string p = dir.File("largest.loc");
    WriteLargestLocation(p);
    return p;
  }();
  return path;
}

}  // namespace vantora::test

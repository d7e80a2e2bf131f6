// libFuzzer target: the location-file reader, statistics and copy text on
// arbitrary bytes.
#include <cstdint>
#include <string>

#include "common/logfile.h"
#include "location/columnselection.h"
#include "location/statistics.h"
#include "scratch.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = fuzz::ScratchFolder("log") + "/F.loc";
  if (!fuzz::WriteScratchFile(path, data, size)) return 0;

  vantora::CLogFile log(path);
  // Keep each run short: the record count is capped for the copy text.
  std::string stats = vantora::StatisticsText(log);
  if (log.RecordCount() <= 2000) {
    vantora::ColumnSelection none;
    std::string copy = vantora::CopyReadingsText(log, none);
    (void)copy;
  }
  (void)stats;
  return 0;
}

// libFuzzer target: the location-file reader, statistics and copy text on
// arbitrary bytes.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/logfile.h"
#include "location/columnselection.h"
#include "location/statistics.h"

namespace {

const std::string& ScratchPath() {
  static std::string path = [] {
    char name[] = "/tmp/vantora-fuzz-logXXXXXX";
    int fd = mkstemp(name);
    if (fd >= 0) close(fd);
    return std::string(name);
  }();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string& path = ScratchPath();
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);

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

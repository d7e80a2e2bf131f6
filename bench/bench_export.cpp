// Exports at their largest: one location of 65,535 records x 20 channels to
// CSV, and a site of 50 such locations to one table. Throughput is the size
// of the table written.
#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "common/logfile.h"
#include "location/csvexport.h"
#include "location/sitetable.h"
#include "support/largest.h"
#include "support/locbytes.h"

namespace {

using namespace vantora;

// Peak resident memory of the process so far, in MB.
double PeakMegabytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
  return 0;
}

// Peak resident memory of the site export on its own, in MB: run in a child
// process whose high-water mark is first reset to what it holds at the start
// (-1 when the export failed).
double SiteExportPeakMegabytes(const std::string& site, const std::string& out) {
  int fds[2];
  if (::pipe(fds) != 0) return -1;
  const pid_t pid = ::fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    ::close(fds[0]);
    { std::ofstream("/proc/self/clear_refs") << "5"; }
    SiteTableStatus status;
    const double peak = ExportSiteTable(site, out, &status) ? PeakMegabytes() : -1;
    const bool sent = ::write(fds[1], &peak, sizeof peak) == sizeof peak;
    ::_exit(sent ? 0 : 1);
  }
  ::close(fds[1]);
  double peak = -1;
  if (::read(fds[0], &peak, sizeof peak) != sizeof peak) peak = -1;
  ::close(fds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  return peak;
}

void BM_LocationCsvText(benchmark::State& state) {
  CLogFile log(test::LargestLocationPath());
  std::size_t bytes = 0;
  for (auto _ : state) {
    std::string text = LocationCsvText(log, kCsvQuote, ",", kCsvLineEnd);
    bytes = text.size();
    benchmark::DoNotOptimize(text);
  }
  state.SetBytesProcessed(static_cast<int64_t>(bytes) * state.iterations());
  state.counters["table_MB"] = bytes / 1e6;
}
BENCHMARK(BM_LocationCsvText)->Unit(benchmark::kMillisecond);

void BM_ExportCsvLargest(benchmark::State& state) {
  test::TempDir dir;
  const std::string out = dir.File("largest.csv");
  for (auto _ : state) {
    CLogFile log(test::LargestLocationPath());
    if (!log.ExportCsv(out, kCsvQuote, ",", kCsvLineEnd)) state.SkipWithError("export failed");
  }
  const auto bytes = test::ReadAll(out).size();
  state.SetBytesProcessed(static_cast<int64_t>(bytes) * state.iterations());
  state.counters["table_MB"] = bytes / 1e6;
}
BENCHMARK(BM_ExportCsvLargest)->Unit(benchmark::kMillisecond);

void BM_ExportSite50Largest(benchmark::State& state) {
  test::TempDir dir;
  const std::string site = dir.path() + "/site/";
  const std::string out = dir.File("site.csv");
  std::filesystem::create_directories(site);
  for (int k = 0; k < 50; ++k)
    std::filesystem::copy_file(test::LargestLocationPath(),
                               site + "Loc" + std::to_string(k) + ".loc");
  const double before = PeakMegabytes();
  for (auto _ : state) {
    SiteTableStatus status;
    if (!ExportSiteTable(site, out, &status)) state.SkipWithError(SiteTableMessage(status));
  }
  const auto bytes = std::filesystem::file_size(out);
  state.SetBytesProcessed(static_cast<int64_t>(bytes) * state.iterations());
  state.counters["table_MB"] = bytes / 1e6;
  state.counters["peak_MB_before"] = before;
  state.counters["peak_MB"] = PeakMegabytes();
  // The table is streamed: the export alone stays small whatever its size.
  const double alone = SiteExportPeakMegabytes(site, out);
  state.counters["export_peak_MB"] = alone;
  if (alone < 0 || alone >= 64) state.SkipWithError("the site export needs 64 MB or more");
}
BENCHMARK(BM_ExportSite50Largest)->Unit(benchmark::kSecond)->Iterations(2);

}  // namespace

BENCHMARK_MAIN();

// Exports at their largest: one location of 65,535 records x 20 channels to
// CSV, and a site of 50 such locations to one table. Throughput is the size
// of the table written.
#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>

#include "common/logfile.h"
#include "location/csvexport.h"
#include "location/sitetable.h"
#include "support/locbytes.h"

namespace {

using namespace vantora;

std::vector<std::uint8_t> LargestBytes() {
  test::LocationSpec s;
  for (int c = 0; c < kMaxChannels; ++c)
    s.channels.push_back({"Channel " + std::to_string(c + 1), c % 18, c % 12, c % 3, 7});
  s.records.reserve(kMaxRecords);
  for (int r = 0; r < kMaxRecords; ++r) {
    test::LocationSpec::Record rec{static_cast<std::uint32_t>(r * 10), {}};
    for (int c = 0; c < kMaxChannels; ++c)
      rec.values.push_back(
          r % 997 == c ? -999999.0f : static_cast<float>(20.0 + c + 5.0 * std::sin(r / 300.0 + c)));
    s.records.push_back(std::move(rec));
  }
  return test::LocationBytes(s);
}

const std::vector<std::uint8_t>& Largest() {
  static const std::vector<std::uint8_t> bytes = LargestBytes();
  return bytes;
}

// Peak resident memory of the process so far, in MB.
double PeakMegabytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
  return 0;
}

void BM_LocationCsvText(benchmark::State& state) {
  test::TempDir dir;
  const std::string path = dir.File("largest.loc");
  test::WriteBytes(path, Largest());
  CLogFile log(path);
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
  const std::string path = dir.File("largest.loc");
  const std::string out = dir.File("largest.csv");
  test::WriteBytes(path, Largest());
  for (auto _ : state) {
    CLogFile log(path);
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
    test::WriteBytes(site + "Loc" + std::to_string(k) + ".loc", Largest());
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
}
BENCHMARK(BM_ExportSite50Largest)->Unit(benchmark::kSecond)->Iterations(2);

}  // namespace

BENCHMARK_MAIN();

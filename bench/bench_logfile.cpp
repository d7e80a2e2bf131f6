// Location files at their largest: 65,535 records of 20 channels.
#include <benchmark/benchmark.h>

#include "common/logfile.h"
#include "location/columnselection.h"
#include "location/statistics.h"
#include "support/largest.h"
#include "support/locbytes.h"

namespace {

using namespace vantora;

void BM_WriteLargest(benchmark::State& state) {
  test::TempDir dir;
  for (auto _ : state) test::WriteLargestLocation(dir.File("w.loc"));
}
BENCHMARK(BM_WriteLargest)->Unit(benchmark::kMillisecond);

void BM_OpenAndStatistics(benchmark::State& state) {
  const std::string& path = test::LargestLocationPath();
  for (auto _ : state) {
    CLogFile log(path);
    std::string text = StatisticsText(log);
    benchmark::DoNotOptimize(text);
  }
}
BENCHMARK(BM_OpenAndStatistics)->Unit(benchmark::kMillisecond);

void BM_CopyText(benchmark::State& state) {
  const std::string& path = test::LargestLocationPath();
  CLogFile log(path);
  ColumnSelection none;
  std::size_t bytes = 0;
  for (auto _ : state) {
    std::string text = CopyReadingsText(log, none);
    bytes = text.size();
    benchmark::DoNotOptimize(text);
  }
  state.SetBytesProcessed(static_cast<int64_t>(bytes) * state.iterations());
}
BENCHMARK(BM_CopyText)->Unit(benchmark::kMillisecond);

// Reading a record channel by channel, as the statistics and the panel do.
void BM_GetValueEveryCell(benchmark::State& state) {
  CLogFile log(test::LargestLocationPath());
  for (auto _ : state) {
    double sum = 0, v = 0;
    for (int r = 0; r < log.RecordCount(); ++r)
      for (int c = 0; c < kMaxChannels; ++c) {
        log.GetValue(r, c, v);
        sum += v;
      }
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_GetValueEveryCell)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

// Graphs at their largest: the largest location (65,535 records x 20
// channels), all 20 series, at 1600 x 1000.
//  - BuildAndJpeg/<mode>: open, build, lay out, draw and encode a JPEG.
//  - Redraw/<mode>: one layout and redraw of a built chart into an image
//    (20 repetitions after a warm-up; read the median).
//  - ReadoutHitTest: the record under the mouse and every series' value there
//    (the index built once per chart revision beforehand; its build is
//    SeriesIndexBuild).
//  - WheelStep/<mode>: one wheel notch (zoom around the mouse), then the
//    layout and redraw at the new range.
//  - ViewStatistics/Zoomed: the statistics table of a tenth of the range for
//    every series (the prefix sums built beforehand; their build is
//    ViewStatistics/Build).
//  - WholeProcess/vantora and /matplotlib: `vantora graph ... -o X.jpg` and
//    bench/plot_matplotlib.py of the same location as whole processes, with
//    their peak resident memory (maxrss_MB).
//  - WholeProcess/compare10: `vantora graph` comparing one channel of ten
//    copies of the largest location, into a PNG at 1600 x 1000 (target:
//    under 0.5 s).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPainter>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "chart/chartinteract.h"
#include "chart/gui/chartrender.h"
#include "chart/gui/imagefiles.h"
#include "chart/seriesindex.h"
#include "common/logfile.h"
#include "graph/graphdocument.h"
#include "graph/gui/graphrender.h"
#include "graph/viewstatistics.h"
#include "processrun.h"
#include "support/largest.h"
#include "support/locbytes.h"

namespace {

using namespace vantora;
using bench::WholeProcess;

constexpr int kWidth = 1600, kHeight = 1000;

graph::GraphSettings SettingsFor(int mode, int channels) {
  graph::GraphSettings s;
  s.mode = mode;
  s.axisParams[0] = 0;
  for (int c = 0; c < channels; ++c) s.axisParams[c + 1] = c + 1;
  s.axisCount = 1 + channels;
  s.title = "Largest location";
  return s;
}

void BM_BuildAndJpeg(benchmark::State& state) {
  const int mode = static_cast<int>(state.range(0));
  std::size_t bytes = 0;
  for (auto _ : state) {
    CLogFile log(test::LargestLocationPath());
    graph::GraphDocument doc;
    graph::GraphSettings s = SettingsFor(mode, log.ChannelCount());
    doc.BuildGraph(&log, &s);
    QImage image = graph::RenderGraphImage(doc, kWidth, kHeight);
    std::string jpeg, error;
    chart::JpegBytes(image, 90, jpeg, error);
    bytes = jpeg.size();
  }
  state.counters["jpeg_KB"] = bytes / 1024.0;
}
BENCHMARK(BM_BuildAndJpeg)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Redraw(benchmark::State& state) {
  const int mode = static_cast<int>(state.range(0));
  CLogFile log(test::LargestLocationPath());
  graph::GraphDocument doc;
  graph::GraphSettings s = SettingsFor(mode, log.ChannelCount());
  doc.BuildGraph(&log, &s);
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  {
    QPainter warm(&image);
    graph::RenderGraph(doc, warm, kWidth, kHeight);
  }
  for (auto _ : state) {
    QPainter painter(&image);
    graph::RenderGraph(doc, painter, kWidth, kHeight);
  }
}
BENCHMARK(BM_Redraw)
    ->Arg(1)
    ->Arg(2)
    ->Arg(3)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(20)
    ->ReportAggregatesOnly(true);

// The largest location built in `mode` and drawn once at the size (so its
// plot areas are laid out).
struct Built {
  explicit Built(int mode) : log(test::LargestLocationPath()) {
    graph::GraphSettings s = SettingsFor(mode, log.ChannelCount());
    doc.BuildGraph(&log, &s);
    QPainter painter(&image);
    graph::RenderGraph(doc, painter, kWidth, kHeight);
  }
  CLogFile log;
  graph::GraphDocument doc;
  QImage image{kWidth, kHeight, QImage::Format_RGB32};
};

void BM_SeriesIndexBuild(benchmark::State& state) {
  Built b(graph::kModeSingleY);
  for (auto _ : state) {
    chart::SeriesIndex index;
    index.Update(b.doc.GetGraph());
    benchmark::DoNotOptimize(index.PairCount());
  }
}
BENCHMARK(BM_SeriesIndexBuild)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_ReadoutHitTest(benchmark::State& state) {
  Built b(graph::kModeSingleY);
  const chart::SRGraph& chart = b.doc.GetGraph();
  chart::SeriesIndex index;
  index.Update(chart);
  const chart::Rect plot = chart.Display(0)->plotArea;
  int x = plot.left, values = 0;
  for (auto _ : state) {
    const chart::Readout r = chart::ReadoutAt(chart, index, x, (plot.top + plot.bottom) / 2);
    values = static_cast<int>(r.values.size());
    benchmark::DoNotOptimize(r.x);
    x = x + 7 < plot.right ? x + 7 : plot.left;
  }
  state.counters["series"] = values;
}
BENCHMARK(BM_ReadoutHitTest)->Unit(benchmark::kMicrosecond);

void BM_WheelStep(benchmark::State& state) {
  Built b(static_cast<int>(state.range(0)));
  chart::SRGraph& chart = b.doc.GetGraph();
  const chart::Rect plot = chart.Display(0)->plotArea;
  const double px = plot.left + plot.Width() * 0.4;
  int step = 0;
  for (auto _ : state) {
    // In and out by turns, so the range stays near the whole log.
    chart::ZoomX(chart, 0, px, chart::WheelFactor(step++ % 2 == 0 ? 1 : -1));
    QPainter painter(&b.image);
    graph::RenderGraph(b.doc, painter, kWidth, kHeight);
  }
}
BENCHMARK(BM_WheelStep)
    ->Arg(1)
    ->Arg(2)
    ->Arg(3)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(20)
    ->ReportAggregatesOnly(true);

void BM_ViewStatisticsBuild(benchmark::State& state) {
  Built b(graph::kModeSingleY);
  for (auto _ : state) {
    graph::ViewStatistics stats;
    stats.Update(b.doc.GetGraph());
    benchmark::DoNotOptimize(stats.PairCount());
  }
}
BENCHMARK(BM_ViewStatisticsBuild)
    ->Name("ViewStatistics/Build")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

void BM_ViewStatisticsZoomed(benchmark::State& state) {
  Built b(graph::kModeSingleY);
  const chart::SRGraph& chart = b.doc.GetGraph();
  graph::ViewStatistics stats;
  stats.Update(chart);
  const chart::AxisRange x = chart::DrawnXRange(chart, 0);
  const double tenth = (x.max - x.min) / 10;
  int k = 0;
  std::size_t rows = 0;
  for (auto _ : state) {
    const double lo = x.min + tenth * (k++ % 9);
    rows = graph::StatisticsTable(chart, stats, lo, lo + tenth).size();
  }
  state.counters["series"] = static_cast<double>(rows) - 1;
}
BENCHMARK(BM_ViewStatisticsZoomed)->Name("ViewStatistics/Zoomed")->Unit(benchmark::kMicrosecond);

void BM_WholeProcessVantora(benchmark::State& state) {
  static test::TempDir out;
  WholeProcess(state,
               {std::string(VANTORA_BENCH_BIN) + "/vantora", "graph", test::LargestLocationPath(),
                "--size", "1600x1000", "-o", out.File("vantora.jpg")});
}
BENCHMARK(BM_WholeProcessVantora)
    ->Name("WholeProcess/vantora")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

void BM_WholeProcessCompare(benchmark::State& state) {
  static test::TempDir dir;
  std::vector<std::string> command = {std::string(VANTORA_BENCH_BIN) + "/vantora", "graph"};
  for (int i = 0; i < 10; ++i) {
    const std::string copy = dir.File("copy " + std::to_string(i) + ".loc");
    std::error_code ec;
    std::filesystem::copy_file(test::LargestLocationPath(), copy,
                               std::filesystem::copy_options::overwrite_existing, ec);
    if (ec) {
      state.SkipWithError(("cannot copy the largest location: " + ec.message()).c_str());
      return;
    }
    command.push_back(copy);
  }
  for (const char* arg : {"--y", "Channel 1", "--size", "1600x1000", "-o"}) command.push_back(arg);
  command.push_back(dir.File("compare.png"));
  WholeProcess(state, command);
}
BENCHMARK(BM_WholeProcessCompare)
    ->Name("WholeProcess/compare10")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

void BM_WholeProcessMatplotlib(benchmark::State& state) {
  static test::TempDir out;
  WholeProcess(state,
               {"/usr/bin/python3", std::string(VANTORA_SOURCE_DIR) + "/bench/plot_matplotlib.py",
                test::LargestLocationPath(), out.File("matplotlib.jpg"), "1600x1000"});
}
BENCHMARK(BM_WholeProcessMatplotlib)
    ->Name("WholeProcess/matplotlib")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

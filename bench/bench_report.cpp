// Survey reports at their largest: a site of 50 copies of the largest
// location (65,535 records x 20 channels), as whole processes.
//  - WholeProcess/pdf: `vantora report SITE -o X.pdf` (a strip graph of
//    every channel per location); target under 60 s and 400 MB.
//  - WholeProcess/xlsx: `vantora report SITE -o X.xlsx`; target under 120 s
//    and 200 MB.
//  - WholeProcess/python_xlsxwriter: bench/report_xlsxwriter.py writing the
//    same location sheets and charts with Debian's python3-xlsxwriter in
//    constant-memory mode; ours should take at most half its time.
// Counters: peak resident memory (maxrss_MB) and the file's size (file_MB).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "processrun.h"
#include "support/largest.h"
#include "support/locbytes.h"

namespace {

using namespace vantora;
using bench::WholeProcess;

constexpr int kLocations = 50;

const std::string& Site() {
  static test::TempDir dir;
  static const std::string site = [] {
    const std::string folder = dir.File("Plant/");
    std::filesystem::create_directories(folder);
    for (int i = 1; i <= kLocations; ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "Location %02d.loc", i);
      std::filesystem::copy_file(test::LargestLocationPath(), folder + name);
    }
    return folder;
  }();
  return site;
}

std::string Vantora() { return std::string(VANTORA_BENCH_BIN) + "/vantora"; }

void BM_Pdf(benchmark::State& state) {
  static test::TempDir out;
  const std::string pdf = out.File("plant.pdf");
  WholeProcess(state, {Vantora(), "report", Site(), "-o", pdf}, "/dev/null", pdf);
}
BENCHMARK(BM_Pdf)
    ->Name("WholeProcess/pdf")
    ->UseManualTime()
    ->Unit(benchmark::kSecond)
    ->Iterations(3);

void BM_Workbook(benchmark::State& state) {
  static test::TempDir out;
  const std::string xlsx = out.File("plant.xlsx");
  WholeProcess(state, {Vantora(), "report", Site(), "-o", xlsx}, "/dev/null", xlsx);
}
BENCHMARK(BM_Workbook)
    ->Name("WholeProcess/xlsx")
    ->UseManualTime()
    ->Unit(benchmark::kSecond)
    ->Iterations(3);

void BM_PythonWorkbook(benchmark::State& state) {
  static test::TempDir out;
  const std::string xlsx = out.File("python.xlsx");
  WholeProcess(state,
               {"/usr/bin/python3", std::string(VANTORA_SOURCE_DIR) + "/bench/report_xlsxwriter.py",
                Site(), xlsx},
               xlsx);
}
BENCHMARK(BM_PythonWorkbook)
    ->Name("WholeProcess/python_xlsxwriter")
    ->UseManualTime()
    ->Unit(benchmark::kSecond)
    ->Iterations(3);

}  // namespace

BENCHMARK_MAIN();

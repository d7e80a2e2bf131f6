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
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "support/largest.h"
#include "support/locbytes.h"

extern char** environ;

namespace {

using namespace vantora;

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

// Runs a command to its end; wall seconds and the child's peak memory (MB).
bool RunProcess(const std::vector<std::string>& args, double& seconds, double& maxRssMb) {
  std::vector<char*> argv;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  auto start = std::chrono::steady_clock::now();
  // What the programs print ("plant.pdf: 153 pages") stays out of the table.
  posix_spawn_file_actions_t quiet;
  posix_spawn_file_actions_init(&quiet);
  posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &quiet, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&quiet);
  if (spawned != 0) return false;
  int status = 0;
  struct rusage usage {};
  if (wait4(pid, &status, 0, &usage) != pid) return false;
  seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  maxRssMb = usage.ru_maxrss / 1024.0;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void WholeProcess(benchmark::State& state, const std::vector<std::string>& command,
                  const std::string& output) {
  double rss = 0;
  for (auto _ : state) {
    double seconds = 0;
    if (!RunProcess(command, seconds, rss)) {
      state.SkipWithError(("failed: " + command[0]).c_str());
      return;
    }
    state.SetIterationTime(seconds);
  }
  std::error_code ec;
  state.counters["maxrss_MB"] = rss;
  state.counters["file_MB"] = std::filesystem::file_size(output, ec) / 1048576.0;
}

std::string Vantora() { return std::string(VANTORA_BENCH_BIN) + "/vantora"; }

void BM_Pdf(benchmark::State& state) {
  static test::TempDir out;
  const std::string pdf = out.File("plant.pdf");
  WholeProcess(state, {Vantora(), "report", Site(), "-o", pdf}, pdf);
}
BENCHMARK(BM_Pdf)
    ->Name("WholeProcess/pdf")
    ->UseManualTime()
    ->Unit(benchmark::kSecond)
    ->Iterations(3);

void BM_Workbook(benchmark::State& state) {
  static test::TempDir out;
  const std::string xlsx = out.File("plant.xlsx");
  WholeProcess(state, {Vantora(), "report", Site(), "-o", xlsx}, xlsx);
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

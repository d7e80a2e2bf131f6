// A full download of 128 KB of instrument memory from corvane-sim with wire
// timing at 38400 baud, against the line's own limit: the bytes sent and
// received divided by the bytes per second of 8E1 framing (11 bits a byte).
//
//   ./build/bin/bench_transfer
#include <benchmark/benchmark.h>

#ifdef _WIN32
// The simulator serves a POSIX pseudo-terminal; nothing to measure here.
int main() { return 0; }
#else
#include <sys/wait.h>
#include <unistd.h>

#include <QSettings>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/locbytes.h"
#include "transfer/transferjob.h"
#include "transfer/transferprofile.h"

namespace {

namespace fs = std::filesystem;

std::string ProgramFolder() {
  std::error_code ec;
  auto exe = fs::canonical("/proc/self/exe", ec);
  return ec ? std::string(".") : exe.parent_path().string();
}

// Starts corvane-sim on `scenario`; returns its pid and the device it serves.
pid_t StartSimulator(const std::string& scenario, std::string& device) {
  int out[2];
  if (pipe(out) != 0) return -1;
  pid_t pid = fork();
  if (pid == 0) {
    dup2(out[1], 1);
    close(out[0]);
    close(out[1]);
    std::string sim = ProgramFolder() + "/corvane-sim";
    execl(sim.c_str(), sim.c_str(), "--wire-timing", "--baud", "38400", scenario.c_str(),
          static_cast<char*>(nullptr));
    _exit(127);
  }
  close(out[1]);
  FILE* in = fdopen(out[0], "r");
  char line[256] = {0};
  if (!in || !fgets(line, sizeof line, in)) return -1;
  device = line;
  while (!device.empty() && (device.back() == '\n' || device.back() == '\r')) device.pop_back();
  return pid;
}

// Times the memory phase: from step 1 (connected, site list read, progress
// 100) to step 3 (memory read, progress 300); each step is timed when the
// progress first reaches it.
struct PhaseClock : vantora::TransferObserver {
  std::chrono::steady_clock::time_point at[6];
  bool seen[6] = {};
  void SetPos(int pos) override {
    for (int k = 0; k < 6 && k * 100 <= pos; ++k) {
      if (!seen[k]) at[k] = std::chrono::steady_clock::now();
      seen[k] = true;
    }
  }
  double Seconds(int from, int to) const {
    return std::chrono::duration<double>(at[to] - at[from]).count();
  }
};

void BM_FullDownloadAt38400(benchmark::State& state) {
  vantora::test::TempDir work;
  std::string scenario = work.File("scenario.txt");
  std::ofstream(scenario) << "site 1 Bench\nlocation 1 Loop\nfill max\n";
  std::string device;
  pid_t sim = StartSimulator(scenario, device);
  if (sim < 0) {
    state.SkipWithError("cannot start corvane-sim");
    return;
  }
  {
    QSettings s(QSettings::IniFormat, QSettings::UserScope, "Halvorn", "corvanetransfer");
    s.clear();
    s.setValue("Kestrane/TimeLimit", 300);
    s.setValue("COM1/ReadTotalTimeoutConstant", 300);
  }
  double seconds = 0, memorySeconds = 0, wireSeconds = 0, bytes = 0, files = 0;
  for (auto _ : state) {
    vantora::test::TempDir dest;
    vantora::CTransferJob job(dest.path());
    job.SetFixedDevice(device);
    auto t0 = std::chrono::steady_clock::now();
    PhaseClock clock;
    bool ok = job.Download(&clock);
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    if (!ok) {
      state.SkipWithError(("download failed: " + job.ErrorText()).c_str());
      break;
    }
    memorySeconds = clock.Seconds(1, 3);
    bytes = static_cast<double>(job.Instrument().BytesSent() + job.Instrument().BytesReceived());
    wireSeconds = bytes / (38400.0 / 11.0);
    files = static_cast<double>(job.WrittenFiles().size());
    state.SetIterationTime(seconds);
  }
  state.counters["download_s"] = seconds;
  state.counters["memory_phase_s"] = memorySeconds;
  state.counters["wire_limit_s"] = wireSeconds;
  state.counters["wire_bytes"] = bytes;
  state.counters["files"] = files;
  kill(sim, SIGTERM);
  waitpid(sim, nullptr, 0);
}
BENCHMARK(BM_FullDownloadAt38400)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
  // Settings of this run only.
  char pattern[] = "/tmp/vantora-bench-cfg-XXXXXX";
  if (char* dir = mkdtemp(pattern)) setenv("XDG_CONFIG_HOME", dir, 1);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

#endif  // _WIN32

// Whole processes timed from outside, for the benchmarks that compare our
// programs with their peers.
#pragma once

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace vantora::bench {

// Runs a command to its end, its standard output into `stdoutPath` (kept as
// the benchmark's own when empty); wall seconds and the child's peak memory
// (MB). False when it could not start or did not exit with 0.
inline bool RunProcess(const std::vector<std::string>& args, const std::string& stdoutPath,
                       double& seconds, double& maxRssMb) {
  std::vector<char*> argv;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (!stdoutPath.empty())
    posix_spawn_file_actions_addopen(&actions, 1, stdoutPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
  auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return false;
  int status = 0;
  struct rusage usage {};
  if (wait4(pid, &status, 0, &usage) != pid) return false;
  seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  maxRssMb = usage.ru_maxrss / 1024.0;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// One run of `command` per iteration, timed by its wall time (benchmarks
// registered with UseManualTime); counters: the peak memory (maxrss_MB) and,
// when `output` is given, that file's size (file_MB).
inline void WholeProcess(benchmark::State& state, const std::vector<std::string>& command,
                         const std::string& stdoutPath = "", const std::string& output = "") {
  double rss = 0;
  for (auto _ : state) {
    double seconds = 0;
    if (!RunProcess(command, stdoutPath, seconds, rss)) {
      state.SkipWithError(("failed: " + command[0]).c_str());
      return;
    }
    state.SetIterationTime(seconds);
  }
  state.counters["maxrss_MB"] = rss;
  if (!output.empty()) {
    std::error_code ec;
    state.counters["file_MB"] = std::filesystem::file_size(output, ec) / 1048576.0;
  }
}

}  // namespace vantora::bench

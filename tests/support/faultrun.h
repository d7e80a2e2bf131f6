// Runs a program with tests/support/faultshim preloaded, its writes to one
// target stalled, and ends it with a signal once it has stopped there.
#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace vantora::test {

// The "<name>.<random>.vtmp" scratch files in `folder`.
inline std::vector<std::string> ScratchFiles(const std::string& folder) {
  std::vector<std::string> found;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    if (entry.path().extension() == ".vtmp") found.push_back(entry.path().string());
  return found;
}

// `exe` with `args` (standard output discarded) stalls at its first write or
// sync of a file whose path contains `target`; then it gets `sig`. Returns
// the wait status (-1 when it never reached the write). `ready` is a free
// path the shim creates once the program has stopped.
inline int InterruptedRun(const std::string& exe, const std::vector<std::string>& args,
                          const std::string& target, int sig, const std::string& ready) {
  std::filesystem::remove(ready);
  const pid_t pid = fork();
  if (pid == 0) {
    setenv("LD_PRELOAD", VANTORA_FAULTSHIM, 1);
    setenv("ASAN_OPTIONS", "verify_asan_link_order=0", 1);
    setenv("VANTORA_FAULT", "block", 1);
    setenv("VANTORA_FAULT_PATH", target.c_str(), 1);
    setenv("VANTORA_FAULT_READY", ready.c_str(), 1);
    if (!std::freopen("/dev/null", "w", stdout)) _exit(126);
    std::vector<char*> argv{const_cast<char*>(exe.c_str())};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(exe.c_str(), argv.data());
    _exit(127);
  }
  int status = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
  while (!std::filesystem::exists(ready) && std::chrono::steady_clock::now() < deadline &&
         waitpid(pid, &status, WNOHANG) == 0)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  if (!std::filesystem::exists(ready)) {
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    ADD_FAILURE() << exe << " never reached its write of " << target;
    return -1;
  }
  kill(pid, sig);
  waitpid(pid, &status, 0);
  return status;
}

// The program named in $VANTORA_BIN (else the working folder).
inline std::string ProgramPath(const std::string& name) {
  const char* bin = std::getenv("VANTORA_BIN");
  return std::string(bin ? bin : ".") + "/" + name;
}

}  // namespace vantora::test

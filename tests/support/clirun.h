// Runs the vantora tool or another built program (from $VANTORA_BIN, else
// the working folder) as a separate process and collects its exit status and
// output, for any test program that checks a command.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/locbytes.h"

namespace vantora::test {

struct CliRun {
  int status = -1;
  std::string out;
  std::string err;
};

inline std::string ShellQuote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// Runs one of the built programs ("vantora", "VantoraPC", ...). `env` is put
// in front of the command (e.g. "LC_ALL=C").
inline CliRun RunProgram(const std::string& program, const std::string& args, const TempDir& dir,
                         const std::string& env = std::string()) {
  const char* bin = std::getenv("VANTORA_BIN");
  std::string exe = std::string(bin ? bin : ".") + "/" + program;
  std::string errFile = dir.File("stderr.txt");
  std::string cmd =
      (env.empty() ? "" : env + " ") + ShellQuote(exe) + " " + args + " 2>" + ShellQuote(errFile);
  CliRun run;
  FILE* pipe = popen(cmd.c_str(), "r");
  if (!pipe) return run;
  char buffer[4096];
  std::size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
  int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.err = ReadAll(errFile);
  return run;
}

inline CliRun RunVantora(const std::string& args, const TempDir& dir,
                         const std::string& env = std::string()) {
  return RunProgram("vantora", args, dir, env);
}

}  // namespace vantora::test

// The `vantora` command-line tool: each command registers itself here.
#pragma once

#include <CLI/CLI.hpp>
#include <functional>
#include <memory>
#include <string>

#include "common/logfile.h"

namespace vantora::cli {

// Exit status of a command: 0 success, 1 a file could not be read or written,
// 2 usage error.
enum ExitCode { kOk = 0, kFailed = 1, kUsage = 2 };

using Registrar = std::function<void(CLI::App& app, int& exitCode)>;

// Adds a command; called from a static object in each command's file.
bool RegisterCommand(Registrar registrar);

// An argument from the command line (UTF-8 on POSIX) as a core path.
std::string ArgPath(const std::string& arg);
// Writes bytes unchanged to standard output.
void WriteOut(const std::string& bytes);
// "vantora: <message>" on standard error (message in Windows-1252).
void Fail(const std::string& message);
// Opens a location for reading; when its header cannot be read, says which
// file and why on standard error and returns null.
std::unique_ptr<CLogFile> OpenLocation(const std::string& path);

}  // namespace vantora::cli

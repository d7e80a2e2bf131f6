// The `vantora` command-line tool: each command registers itself here.
#pragma once

#include <CLI/CLI.hpp>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/logfile.h"

namespace vantora::exposure {
struct LimitSet;
struct LoadedLimits;
}  // namespace vantora::exposure

namespace vantora::cli {

// Exit status of a command: 0 success, 1 a file could not be read or written,
// 2 usage error.
enum ExitCode { kOk = 0, kFailed = 1, kUsage = 2 };

using Registrar = std::function<void(CLI::App& app, int& exitCode)>;

// Adds a command; called from a static object in each command's file.
bool RegisterCommand(Registrar registrar);

// An argument from the command line (UTF-8 on POSIX) as a core path.
std::string ArgPath(const std::string& arg);
// The same made absolute (as the application names an opened file), or as
// given when that fails.
std::string AbsoluteArgPath(const std::string& arg);
// Writes bytes unchanged to standard output.
void WriteOut(const std::string& bytes);
// "vantora: <message>" on standard error (message in Windows-1252).
void Fail(const std::string& message);
// The same for a message that is UTF-8 already.
void FailUtf8(const std::string& message);
// The location files an argument names: the file itself, or a folder's
// location files in name order (empty, after saying so, for a folder
// without any).
std::vector<std::string> LocationArguments(const std::string& arg);
// Opens a location for reading; when its header cannot be read, says which
// file and why on standard error and returns null. A cut file opens with a
// warning naming the records it holds and those its header counts.
std::unique_ptr<CLogFile> OpenLocation(const std::string& path);
// After a command's output: when reads of `log` met damaged records, says how
// many on standard error, sets kFailed and returns true.
bool ReportBadRecords(const CLogFile& log, int& exitCode);
// For commands that only need the location to exist (its companion files are
// read): false after saying why when `path` is missing, a folder or not a
// regular file.
bool RequireLocationFile(const std::string& path, int& exitCode);

// The shipped limit sets, then those of FILE (--limits; empty: none), with
// every malformed row said on standard error. False (after saying why) when
// FILE cannot be read.
bool LoadLimitFiles(const std::string& file, exposure::LoadedLimits& limits);
// The same, then the set named `setName` (--set), else FILE's first set, else
// the default set. Null after saying why, with `exitCode` set (kFailed: FILE
// unreadable; kUsage: no such set).
const exposure::LimitSet* LoadLimitSet(const std::string& file, const std::string& setName,
                                       exposure::LoadedLimits& limits, int& exitCode);

}  // namespace vantora::cli

#include <cstdio>
#include <filesystem>
#include <vector>

#include "cli/cli.h"
#include "common/codepage.h"
#include "common/pathutil.h"
#include "common/platform.h"
#include "common/profile.h"
#include "common/version.h"
#include "location/sitetable.h"

namespace vantora::cli {

namespace {
std::vector<Registrar>& Registry() {
  static std::vector<Registrar> registry;
  return registry;
}
}  // namespace

bool RegisterCommand(Registrar registrar) {
  Registry().push_back(std::move(registrar));
  return true;
}

std::string ArgPath(const std::string& arg) {
#ifdef _WIN32
  return arg;
#else
  return Utf8ToCp1252(arg);
#endif
}

std::string AbsoluteArgPath(const std::string& arg) {
  std::error_code ec;
  auto absolute = std::filesystem::absolute(NativePath(ArgPath(arg)), ec);
  return ec ? ArgPath(arg) : FromNativePath(absolute);
}

void WriteOut(const std::string& bytes) {
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
  std::fflush(stdout);
}

void Fail(const std::string& message) {
  std::string text = "vantora: " + Cp1252ToUtf8(message) + "\n";
  std::fwrite(text.data(), 1, text.size(), stderr);
}

void FailUtf8(const std::string& message) {
  std::string text = "vantora: " + message + "\n";
  std::fwrite(text.data(), 1, text.size(), stderr);
}

std::vector<std::string> LocationArguments(const std::string& arg) {
  const std::string path = ArgPath(arg);
  if (!DirectoryExists(path)) return {path};
  const std::string folder = WithTrailingSeparator(path);
  std::vector<std::string> files;
  for (const std::string& name : SiteLocationFiles(folder)) files.push_back(folder + name);
  if (files.empty()) Fail(path + " holds no location files.");
  return files;
}

std::unique_ptr<CLogFile> OpenLocation(const std::string& path) {
  auto file = std::make_unique<CLogFile>(path, true);
  if (file->Problem() != LocationProblem::None) {
    Fail(CannotOpenMessage(path, file->Problem()));
    return nullptr;
  }
  if (file->MissingRecordCount() > 0)
    Fail(MissingRecordsMessage(path, file->RecordCount(), file->HeaderRecordCount()));
  return file;
}

bool ReportBadRecords(const CLogFile& log, int& exitCode) {
  if (log.BadRecordCount() == 0) return false;
  Fail(BadRecordsMessage(log.path, log.BadRecordCount()));
  exitCode = kFailed;
  return true;
}

bool RequireLocationFile(const std::string& path, int& exitCode) {
  LocationProblem problem = FileProblem(path);
  if (problem == LocationProblem::None || problem == LocationProblem::EmptyFile) return true;
  Fail(CannotOpenMessage(path, problem));
  exitCode = kFailed;
  return false;
}

}  // namespace vantora::cli

int main(int argc, char** argv) {
  using namespace vantora;
  IgnoreFileSizeSignal();
  RemoveScratchFilesOnSignals();
  SetProgramFolder(ExecutableFolder());

  CLI::App app{"vantora: location files, statistics, exports and transfers from the command line"};
  app.require_subcommand(1);
  app.set_help_all_flag("--help-all", "Help for every command");
  app.set_version_flag("--version", VersionLine("vantora"), "Print the program's version and exit");
  int exitCode = cli::kOk;
  for (auto& reg : cli::Registry()) reg(app, exitCode);
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    app.exit(e);
    return cli::kUsage;
  }
  return exitCode;
}

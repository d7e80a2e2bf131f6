// vantora info | stats | copy
#include <sstream>

#include "cli/cli.h"
#include "cli/terminal.h"
#include "common/codepage.h"
#include "common/logfile.h"
#include "common/pathutil.h"
#include "common/timetext.h"
#include "location/columnselection.h"
#include "location/statistics.h"
#include "model/vocabulary.h"

namespace vantora::cli {

namespace {

std::string InfoText(const CLogFile& log) {
  std::string text;
  text += Format("Version: %i\n", log.Version());
  text += "Start: " + DateTimeText(log.StartTime()) + "\n";
  text += Format("Records: %i\n", log.RecordCount());
  text += Format("Channels: %i\n", log.ChannelCount());
  for (int c = 0; c < log.ChannelCount(); ++c) {
    std::string name;
    int param = 0, unit = 0, decimals = 0, width = 0;
    log.GetChannelName(c, name);
    log.GetChannelParam(c, param);
    log.GetChannelUnit(c, unit);
    log.GetChannelDecimals(c, decimals);
    log.GetChannelWidth(c, width);
    text += Format("%2i: %s | %s (%i) | %s (%i) | decimals %i | width %i\n", c, name.c_str(),
                   TheParamNames().GetName(param, true).c_str(), param,
                   TheUnitNames().GetName(unit).c_str(), unit, decimals, width);
  }
  return text;
}

// "1,3,time" -> selection.
bool ParseColumns(const std::string& list, ColumnSelection& sel, std::string& bad) {
  std::stringstream in(list);
  std::string item;
  while (std::getline(in, item, ',')) {
    if (item == "time") {
      sel.SetTimeSelected(true);
      continue;
    }
    char* end = nullptr;
    long c = std::strtol(item.c_str(), &end, 10);
    if (item.empty() || *end != '\0' || c < 0 || c >= kMaxChannels) {
      bad = item;
      return false;
    }
    sel.SetSelected(static_cast<int>(c), true);
  }
  return true;
}

const bool registered = RegisterCommand([](CLI::App& app, int& exitCode) {
  auto* info = app.add_subcommand("info", "Header and channels of a location file");
  auto infoFile = std::make_shared<std::string>();
  info->add_option("file", *infoFile, "Location file (.loc)")->required();
  info->callback([infoFile, &exitCode] {
    auto log = OpenLocation(ArgPath(*infoFile));
    if (!log) {
      exitCode = kFailed;
      return;
    }
    WriteReadingText(Cp1252ToUtf8(InfoText(*log)));
  });

  auto* stats = app.add_subcommand("stats", "Statistics text of a location file");
  auto statsFile = std::make_shared<std::string>();
  auto write = std::make_shared<bool>(false);
  stats->add_option("file", *statsFile, "Location file (.loc)")->required();
  stats->add_flag("--write", *write, "Also write <base>_stats.txt beside the location");
  stats->callback([statsFile, write, &exitCode] {
    std::string path = ArgPath(*statsFile);
    if (*write && RefusesOutput(StatisticsFilePath(path), {path})) {
      Fail(LocationOutputRefusedMessage(StatisticsFilePath(path)));
      exitCode = kFailed;
      return;
    }
    auto log = OpenLocation(path);
    if (!log) {
      exitCode = kFailed;
      return;
    }
    std::string text = StatisticsText(*log);
    WriteFileText(text);
    ReportBadRecords(*log, exitCode);
    int error = 0;
    if (*write && !WriteTextFile(StatisticsFilePath(path), text, &error)) {
      Fail("cannot write " + WriteFailureLine(StatisticsFilePath(path), error));
      exitCode = kFailed;
    }
  });

  auto* copy = app.add_subcommand("copy", "The text that the location view's Copy command copies");
  auto copyFile = std::make_shared<std::string>();
  auto columns = std::make_shared<std::string>();
  copy->add_option("file", *copyFile, "Location file (.loc)")->required();
  copy->add_option("--columns", *columns,
                   "Comma-separated channel indices and the word 'time'; none: everything");
  copy->callback([copyFile, columns, &exitCode] {
    ColumnSelection sel;
    std::string bad;
    if (!columns->empty() && !ParseColumns(*columns, sel, bad)) {
      Fail("bad column '" + bad + "' (use channel numbers 0-19 and 'time')");
      exitCode = kUsage;
      return;
    }
    auto log = OpenLocation(ArgPath(*copyFile));
    if (!log) {
      exitCode = kFailed;
      return;
    }
    for (int c = 0; c < kMaxChannels; ++c) {
      if (sel.IsSelected(c) && c >= log->ChannelCount()) {
        Fail(Format("bad column '%i' (the location has %i channel%s)", c, log->ChannelCount(),
                    log->ChannelCount() == 1 ? "" : "s"));
        exitCode = kUsage;
        return;
      }
    }
    WriteFileText(CopyReadingsText(*log, sel));
    ReportBadRecords(*log, exitCode);
  });
});

}  // namespace

}  // namespace vantora::cli

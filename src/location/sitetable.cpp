#include "location/sitetable.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>

#include "common/logfile.h"
#include "common/pathutil.h"
#include "common/platform.h"
#include "common/timetext.h"
#include "location/csvexport.h"
#include "model/vocabulary.h"

namespace vantora {

namespace fs = std::filesystem;

namespace {

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool LessIgnoringCase(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return static_cast<unsigned char>(Upper(x)) < static_cast<unsigned char>(Upper(y));
  });
}

bool EndsWithLoc(const std::string& name) {
  static const char kExt[] = ".LOC";
  if (name.size() < 4) return false;
  for (int k = 0; k < 4; ++k)
    if (Upper(name[name.size() - 4 + k]) != kExt[k]) return false;
  return true;
}

struct Column {
  int param;
  int unit;
};

}  // namespace

const char* SiteTableMessage(SiteTableStatus status) {
  switch (status) {
    case SiteTableStatus::Ok: return "";
    case SiteTableStatus::NoFiles: return "No location files found.\n(Search is non-recursive.)";
    case SiteTableStatus::NoRecords: return "Error creating table.";
    case SiteTableStatus::WriteFailed: return "Error creating table.";
    case SiteTableStatus::Cancelled: return "Export cancelled. The table was not written.";
  }
  return "";
}

std::vector<std::string> SiteLocationFiles(const std::string& site) {
  std::vector<std::string> names;
  std::error_code ec;
  fs::directory_iterator it(NativePath(site.empty() ? std::string(".") : site), ec);
  if (ec) return names;
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    if (ec) break;
    std::string name = FromNativePath(it->path().filename());
    if (!EndsWithLoc(name)) continue;
    std::error_code dirEc;
    if (it->is_directory(dirEc)) continue;
    names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end(), LessIgnoringCase);
  return names;
}

namespace {

// Receives the table: the heading once, before the first record line, then
// each record line. Returning false stops the table (the write failed).
using LineSink = std::function<bool(const std::string& heading, const std::string& line)>;

// The columns of the table: each parameter and unit measured by a location
// with records, in file and channel order. Only the headers are read.
std::vector<Column> TableColumns(const std::string& site, const std::vector<std::string>& files,
                                 std::string& heading) {
  const std::string& quote = kCsvQuote;
  const std::string separator = CsvSeparator();
  heading = CsvQuoted("Location", quote) + separator + CsvQuoted("Date", quote) + separator +
            CsvQuoted("Time", quote);
  std::vector<Column> columns;
  for (const std::string& file : files) {
    CLogFile log(JoinPath(site, file), true);
    if (log.Problem() != LocationProblem::None || log.RecordCount() <= 0) continue;
    for (int c = 0; c < log.ChannelCount(); ++c) {
      int param = 0, unit = 0;
      log.GetChannelParam(c, param);
      log.GetChannelUnit(c, unit);
      if (std::any_of(columns.begin(), columns.end(),
                      [&](const Column& k) { return k.param == param && k.unit == unit; }))
        continue;
      columns.push_back({param, unit});
      heading += separator;
      heading += CsvQuoted(
          TheParamNames().GetName(param, true) + " " + TheUnitNames().GetName(unit), quote);
    }
  }
  heading += kCsvLineEnd;
  return columns;
}

// Column of each channel of `log` in the table.
std::vector<int> ChannelColumns(CLogFile& log, const std::vector<Column>& columns) {
  std::vector<int> result;
  for (int c = 0; c < log.ChannelCount(); ++c) {
    int param = 0, unit = 0;
    log.GetChannelParam(c, param);
    log.GetChannelUnit(c, unit);
    auto found = std::find_if(columns.begin(), columns.end(),
                              [&](const Column& k) { return k.param == param && k.unit == unit; });
    result.push_back(static_cast<int>(found - columns.begin()));
  }
  return result;
}

SiteTableStatus BuildTable(const std::string& site, const LineSink& sink,
                           const SiteTableProgress& progress, std::vector<std::string>* notices) {
  auto notice = [notices](std::string text) {
    if (notices) notices->push_back(std::move(text));
  };
  const std::string& quote = kCsvQuote;
  const std::string separator = CsvSeparator();
  const std::string& lineEnd = kCsvLineEnd;
  const std::vector<std::string> files = SiteLocationFiles(site);
  const int fileCount = static_cast<int>(files.size());
  if (fileCount == 0) {
    if (progress && !progress(0, 0)) return SiteTableStatus::Cancelled;
    return SiteTableStatus::NoFiles;
  }
  std::string heading;
  const std::vector<Column> columns = TableColumns(site, files, heading);
  std::vector<std::string> rowValues(columns.size());
  std::string line;
  bool anyLine = false;

  for (int f = 0; f < fileCount; ++f) {
    if (progress && !progress(f, fileCount)) return SiteTableStatus::Cancelled;
    // One location open at a time.
    const std::string path = JoinPath(site, files[f]);
    CLogFile log(path, true);
    if (log.Problem() != LocationProblem::None) {
      notice(CannotOpenMessage(path, log.Problem()));
      continue;
    }
    if (log.MissingRecordCount() > 0)
      notice(MissingRecordsMessage(path, log.RecordCount(), log.HeaderRecordCount()));
    if (log.RecordCount() <= 0) continue;
    const int channels = log.ChannelCount();
    const std::string name = CsvQuoted(FileTitle(files[f]).first, quote);
    const std::vector<int> channelColumn = ChannelColumns(log, columns);
    std::string value;
    for (int r = 0; r <= log.LastRecordIndex(); ++r) {
      std::size_t used = 0;
      LogTime t = 0;
      const bool timeOk = log.GetTime(r, t);
      for (int c = 0; timeOk && c < channels; ++c) {
        if (!log.GetValueText(r, c, value)) break;
        const std::size_t k = static_cast<std::size_t>(channelColumn[static_cast<std::size_t>(c)]);
        if (k >= rowValues.size()) break;  // the file changed since its header was read
        for (; used <= k; ++used) rowValues[used].clear();
        rowValues[k] = value;
      }
      line = name;
      line += separator;
      line += CsvQuoted(timeOk ? DateText(t) : std::string("error"), quote);
      line += separator;
      line += CsvQuoted(timeOk ? TimeText(t, true) : std::string("error"), quote);
      line += separator;
      for (std::size_t k = 0; k < used; ++k) {
        if (k) line += separator;
        line += rowValues[k];
      }
      line += lineEnd;
      anyLine = true;
      if (!sink(heading, line)) return SiteTableStatus::WriteFailed;
    }
    if (log.BadRecordCount() > 0) notice(BadRecordsMessage(path, log.BadRecordCount()));
  }
  if (progress && !progress(fileCount, fileCount)) return SiteTableStatus::Cancelled;
  return anyLine ? SiteTableStatus::Ok : SiteTableStatus::NoRecords;
}

}  // namespace

SiteTableStatus BuildSiteTable(const std::string& site, std::string& heading, std::string& body,
                               const SiteTableProgress& progress,
                               std::vector<std::string>* notices) {
  heading.clear();
  body.clear();
  auto sink = [&](const std::string& head, const std::string& line) {
    if (heading.empty()) heading = head;
    body += line;
    return true;
  };
  return BuildTable(site, sink, progress, notices);
}

bool ExportSiteTable(const std::string& site, const std::string& output, SiteTableStatus* status,
                     const SiteTableProgress& progress, std::vector<std::string>* notices,
                     int* error) {
  // The scratch file is created with the first record line: a site without
  // records leaves nothing behind.
  FileWriter writer(output);
  auto sink = [&](const std::string& heading, const std::string& line) {
    if (!writer.IsOpen() && (!writer.Open() || !writer.Write(heading))) return false;
    return writer.Write(line);
  };
  SiteTableStatus result = BuildTable(site, sink, progress, notices);
  if (result == SiteTableStatus::Ok && !writer.Commit()) result = SiteTableStatus::WriteFailed;
  if (status) *status = result;
  if (error) *error = result == SiteTableStatus::WriteFailed ? writer.Error() : 0;
  return result == SiteTableStatus::Ok;
}

std::string ProposedSiteTablePath(const std::string& site) {
  std::string folder = site;
  while (folder.size() > 1 && IsPathSeparator(folder.back())) folder.pop_back();
  return folder + ".csv";
}

}  // namespace vantora

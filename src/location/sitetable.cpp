#include "location/sitetable.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
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

// Writes the parts one after the other into a file beside `path`, then moves
// it over `path`; on failure the old file is left as it was.
bool WritePartsAtomically(const std::string& path, const std::string& first,
                          const std::string& second) {
  auto target = NativePath(path);
  std::error_code ec;
  if (fs::is_directory(target, ec)) return false;
  auto temp = target;
  temp += ".vtmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(first.data(), static_cast<std::streamsize>(first.size()));
    out.write(second.data(), static_cast<std::streamsize>(second.size()));
    out.flush();
    if (!out) {
      out.close();
      fs::remove(temp, ec);
      return false;
    }
  }
  if (fs::exists(target, ec))
    fs::permissions(target, fs::perms::owner_write, fs::perm_options::add, ec);
  fs::rename(temp, target, ec);
  if (ec) {
    fs::remove(temp, ec);
    return false;
  }
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

SiteTableStatus BuildSiteTable(const std::string& site, std::string& heading, std::string& body,
                               const SiteTableProgress& progress) {
  const std::string& quote = kCsvQuote;
  const std::string separator = CsvSeparator();
  const std::string& lineEnd = kCsvLineEnd;
  heading = CsvQuoted("Location", quote) + separator + CsvQuoted("Date", quote) + separator +
            CsvQuoted("Time", quote);
  body.clear();
  std::vector<Column> columns;
  std::vector<std::string> rowValues;

  const std::vector<std::string> files = SiteLocationFiles(site);
  const int fileCount = static_cast<int>(files.size());
  for (int f = 0; f < fileCount; ++f) {
    if (progress && !progress(f, fileCount)) return SiteTableStatus::Cancelled;
    // One location open at a time.
    CLogFile log(JoinPath(site, files[f]), true);
    const int records = log.RecordCount();
    if (records <= 0) continue;
    const int channels = log.ChannelCount();
    const std::string name = CsvQuoted(FileTitle(files[f]).first, quote);
    // Column of each channel, found when one of its values is first read.
    std::vector<int> channelColumn(static_cast<std::size_t>(channels), -1);
    std::string value;
    for (int r = 0; r <= log.LastRecordIndex(); ++r) {
      std::size_t used = 0;
      LogTime t = 0;
      const bool timeOk = log.GetTime(r, t);
      for (int c = 0; timeOk && c < channels; ++c) {
        if (!log.GetValueText(r, c, value)) break;
        int& column = channelColumn[static_cast<std::size_t>(c)];
        if (column < 0) {
          int param = 0, unit = 0;
          log.GetChannelParam(c, param);
          log.GetChannelUnit(c, unit);
          auto found = std::find_if(columns.begin(), columns.end(), [&](const Column& k) {
            return k.param == param && k.unit == unit;
          });
          column = static_cast<int>(found - columns.begin());
          if (found == columns.end()) {
            columns.push_back({param, unit});
            heading += separator;
            heading += CsvQuoted(
                TheParamNames().GetName(param, true) + " " + TheUnitNames().GetName(unit), quote);
          }
        }
        const std::size_t k = static_cast<std::size_t>(column);
        if (rowValues.size() <= k) rowValues.resize(k + 1);
        for (; used <= k; ++used) rowValues[used].clear();
        rowValues[k] = value;
      }
      body += name;
      body += separator;
      body += CsvQuoted(timeOk ? DateText(t) : std::string("error"), quote);
      body += separator;
      body += CsvQuoted(timeOk ? TimeText(t, true) : std::string("error"), quote);
      body += separator;
      for (std::size_t k = 0; k < used; ++k) {
        if (k) body += separator;
        body += rowValues[k];
      }
      body += lineEnd;
    }
  }
  heading += lineEnd;
  if (progress && !progress(fileCount, fileCount)) return SiteTableStatus::Cancelled;
  if (body.empty()) return fileCount == 0 ? SiteTableStatus::NoFiles : SiteTableStatus::NoRecords;
  return SiteTableStatus::Ok;
}

bool ExportSiteTable(const std::string& site, const std::string& output, SiteTableStatus* status,
                     const SiteTableProgress& progress) {
  std::string heading, body;
  SiteTableStatus result = BuildSiteTable(site, heading, body, progress);
  if (result == SiteTableStatus::Ok && !WritePartsAtomically(output, heading, body))
    result = SiteTableStatus::WriteFailed;
  if (status) *status = result;
  return result == SiteTableStatus::Ok;
}

std::string ProposedSiteTablePath(const std::string& site) {
  std::string folder = site;
  while (folder.size() > 1 && IsPathSeparator(folder.back())) folder.pop_back();
  return folder + ".csv";
}

}  // namespace vantora

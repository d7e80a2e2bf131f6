#include "location/sitetable.h"

#include <algorithm>
#include <filesystem>
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

// Text kept as a list of blocks of about a megabyte: growing it never copies
// what is already there, so memory stays close to the text's own size.
class ChunkedText {
 public:
  static constexpr std::size_t kBlock = 1 << 20;
  void Add(const std::string& text) {
    if (blocks_.empty() || blocks_.back().size() + text.size() > kBlock) {
      blocks_.emplace_back();
      blocks_.back().reserve(std::max(kBlock, text.size()));
    }
    blocks_.back() += text;
    size_ += text.size();
  }
  bool empty() const { return size_ == 0; }
  std::size_t size() const { return size_; }
  const std::vector<std::string>& blocks() const { return blocks_; }

 private:
  std::vector<std::string> blocks_;
  std::size_t size_ = 0;
};

// Writes the heading and the blocks beside `path`, then moves them over it; on
// failure the old file is left as it was.
bool WriteTable(const std::string& path, const std::string& heading, const ChunkedText& body) {
  std::vector<std::string_view> pieces{heading};
  for (const auto& block : body.blocks()) pieces.emplace_back(block);
  return WriteFilePieces(path, pieces);
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

SiteTableStatus BuildTable(const std::string& site, std::string& heading, ChunkedText& body,
                           const SiteTableProgress& progress, std::vector<std::string>* notices) {
  auto notice = [notices](std::string text) {
    if (notices) notices->push_back(std::move(text));
  };
  const std::string& quote = kCsvQuote;
  const std::string separator = CsvSeparator();
  const std::string& lineEnd = kCsvLineEnd;
  heading = CsvQuoted("Location", quote) + separator + CsvQuoted("Date", quote) + separator +
            CsvQuoted("Time", quote);
  std::vector<Column> columns;
  std::vector<std::string> rowValues;
  std::string line;

  const std::vector<std::string> files = SiteLocationFiles(site);
  const int fileCount = static_cast<int>(files.size());
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
      body.Add(line);
    }
    if (log.BadRecordCount() > 0) notice(BadRecordsMessage(path, log.BadRecordCount()));
  }
  heading += lineEnd;
  if (progress && !progress(fileCount, fileCount)) return SiteTableStatus::Cancelled;
  if (body.empty()) return fileCount == 0 ? SiteTableStatus::NoFiles : SiteTableStatus::NoRecords;
  return SiteTableStatus::Ok;
}

}  // namespace

SiteTableStatus BuildSiteTable(const std::string& site, std::string& heading, std::string& body,
                               const SiteTableProgress& progress,
                               std::vector<std::string>* notices) {
  ChunkedText blocks;
  SiteTableStatus status = BuildTable(site, heading, blocks, progress, notices);
  body.clear();
  body.reserve(blocks.size());
  for (const auto& block : blocks.blocks()) body += block;
  return status;
}

bool ExportSiteTable(const std::string& site, const std::string& output, SiteTableStatus* status,
                     const SiteTableProgress& progress, std::vector<std::string>* notices) {
  std::string heading;
  ChunkedText body;
  SiteTableStatus result = BuildTable(site, heading, body, progress, notices);
  if (result == SiteTableStatus::Ok && !WriteTable(output, heading, body))
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

#include "location/csvexport.h"

#include <filesystem>

#include "common/pathutil.h"
#include "common/platform.h"
#include "common/timetext.h"

namespace vantora {

std::string SeparatorForNumberText(const std::string& sample) {
  return sample.find(',') != std::string::npos ? ";" : ",";
}

std::string CsvSeparator() { return SeparatorForNumberText(Format("%6.2f", 12.24)); }

std::string CsvQuoted(const std::string& text, const std::string& quote) {
  std::string out = quote;
  if (quote.empty()) return text;
  std::string::size_type start = 0;
  for (;;) {
    auto at = text.find(quote, start);
    if (at == std::string::npos) break;
    out.append(text, start, at + quote.size() - start);
    out += quote;
    start = at + quote.size();
  }
  out.append(text, start, std::string::npos);
  out += quote;
  return out;
}

std::string LocationCsvText(const CLogData& data, const std::string& quote,
                            const std::string& separator, const std::string& lineEnd) {
  const int channels = data.ChannelCount();
  const int records = data.RecordCount();
  std::string text;
  text.reserve(64 + static_cast<std::size_t>(records > 0 ? records : 0) *
                        (24 + static_cast<std::size_t>(channels) * 10));
  text += CsvQuoted("Date", quote);
  text += separator;
  text += CsvQuoted("Time", quote);
  for (int c = 0; c < channels; ++c) {
    std::string name;
    data.GetChannelName(c, name);
    text += separator;
    text += CsvQuoted(name, quote);
  }
  text += lineEnd;

  std::string value;
  for (int r = 0; r < records; ++r) {
    if (channels > 0) {
      LogTime t = 0;
      if (data.GetTime(r, t)) {
        text += DateText(t);
        text += separator;
        text += TimeText(t, true);
      } else {
        // One word per cell keeps the values under their headings.
        text += "error";
        text += separator;
        text += "error";
      }
      for (int c = 0; c < channels; ++c) {
        text += separator;
        if (data.GetValueText(r, c, value))
          text += value;
        else
          text += "0.00";
      }
    }
    text += lineEnd;
  }
  return text;
}

bool CLogData::ExportCsv(const std::string& file, const std::string& quote,
                         const std::string& separator, const std::string& lineEnd,
                         int* error) const {
  if (error) *error = 0;
  // The table never replaces the location it is made from.
  std::error_code ec;
  if (!path.empty() && std::filesystem::equivalent(NativePath(file), NativePath(path), ec))
    return false;
  return WriteTextFile(file, LocationCsvText(*this, quote, separator, lineEnd), error);
}

std::string ProposedCsvPath(const std::string& locationPath) {
  return PathWithoutExtension(locationPath) + ".csv";
}

}  // namespace vantora

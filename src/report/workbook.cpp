#include "report/workbook.h"

#include <xlsxwriter.h>

#include <QString>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "common/codepage.h"
#include "common/logfile.h"
#include "common/pathutil.h"
#include "exposure/exposuretext.h"

namespace vantora::report {

namespace {

constexpr const char* kDateTimeFormat = "dd-mmm-yyyy hh:mm:ss";
constexpr lxw_row_t kMaxRows = 1048576;
// Sheet names Excel keeps for itself or this workbook uses.
constexpr const char* kSummarySheet = "Summary";
constexpr const char* kExposureSheet = "Exposure";
constexpr int kMaxSheetName = 31;
// Column widths in characters.
constexpr double kMinWidth = 8, kMaxWidth = 60;
// Bytes a number cell takes in the sheet's XML, to tell when the archive
// needs ZIP64.
constexpr double kCellBytes = 45;
constexpr double kZip64Bytes = 3.0e9;

// Days from 1970-01-01 to a civil date (proleptic Gregorian).
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - 719468;
}

// XML cannot hold most control characters: they become spaces.
std::string CellText(const std::string& utf8) {
  std::string out = utf8;
  for (char& ch : out) {
    const auto c = static_cast<unsigned char>(ch);
    if ((c < 0x20 && c != '\t' && c != '\n') || c == 0x7F) ch = ' ';
  }
  return out;
}

std::size_t CodePoints(const std::string& utf8) {
  std::size_t n = 0;
  for (unsigned char c : utf8) n += (c & 0xC0) != 0x80;
  return n;
}

// Readings are stored in single precision. As a double, a float carries
// binary digits that print as noise ("21.29999923706055"); the shortest
// decimal that reads back as the same float is the stored value whole, in
// half the digits, which keeps the sheets small and quick to pack.
double StoredReading(double v) {
  const float f = static_cast<float>(v);
  if (static_cast<double>(f) != v) return v;
  char text[32];
  const auto printed = std::to_chars(text, text + sizeof text, f);
  double shortest = v;
  if (printed.ec != std::errc() || std::from_chars(text, printed.ptr, shortest).ec != std::errc() ||
      static_cast<float>(shortest) != f)
    return v;
  return shortest;
}

lxw_color_t Colour(const chart::Rgb& c) {
  return (static_cast<lxw_color_t>(c.r) << 16) | (static_cast<lxw_color_t>(c.g) << 8) | c.b;
}

// A sheet with the widths its cells need.
class Sheet {
 public:
  explicit Sheet(lxw_worksheet* ws) : ws_(ws) {}
  lxw_worksheet* Handle() const { return ws_; }

  void Text(lxw_row_t row, lxw_col_t col, const std::string& utf8, lxw_format* f = nullptr) {
    if (utf8.empty() && !f) return;
    worksheet_write_string(ws_, row, col, CellText(utf8).c_str(), f);
    Fit(col, static_cast<double>(CodePoints(utf8)));
  }
  void Number(lxw_row_t row, lxw_col_t col, double v, lxw_format* f = nullptr, double width = 10) {
    if (!std::isfinite(v)) return;
    worksheet_write_number(ws_, row, col, v, f);
    Fit(col, width);
  }
  void Bool(lxw_row_t row, lxw_col_t col, bool v) {
    worksheet_write_boolean(ws_, row, col, v ? 1 : 0, nullptr);
    Fit(col, 5);
  }
  void Fit(lxw_col_t col, double chars) {
    if (widths_.size() <= col) widths_.resize(col + 1, 0);
    widths_[col] = std::max(widths_[col], chars);
  }
  void ApplyWidths() {
    for (std::size_t c = 0; c < widths_.size(); ++c)
      worksheet_set_column(ws_, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c),
                           std::clamp(widths_[c] + 2, kMinWidth, kMaxWidth), nullptr);
  }

 private:
  lxw_worksheet* ws_;
  std::vector<double> widths_;
};

class Book {
 public:
  explicit Book(lxw_workbook* wb) : wb_(wb) {
    heading_ = workbook_add_format(wb_);
    format_set_bold(heading_);
    format_set_bg_color(heading_, 0xD9D9D9);
    format_set_bottom(heading_, LXW_BORDER_THIN);
    title_ = workbook_add_format(wb_);
    format_set_bold(title_);
    format_set_font_size(title_, 14);
    dateTime_ = NumberFormat(kDateTimeFormat);
    duration_ = NumberFormat("[h]:mm:ss");
    for (auto v : {exposure::Verdict::Exceeded, exposure::Verdict::InsufficientData,
                   exposure::Verdict::Within}) {
      const VerdictColours colours = ColoursOf(v);
      lxw_format* f = workbook_add_format(wb_);
      format_set_bg_color(f, Colour(colours.fill));
      format_set_font_color(f, Colour(colours.text));
      format_set_pattern(f, LXW_PATTERN_SOLID);
      verdicts_[static_cast<int>(v)] = f;
    }
  }
  lxw_workbook* Handle() const { return wb_; }
  lxw_format* Heading() const { return heading_; }
  lxw_format* Title() const { return title_; }
  lxw_format* DateTime() const { return dateTime_; }
  lxw_format* Duration() const { return duration_; }
  lxw_format* VerdictFormat(exposure::Verdict v) const {
    auto it = verdicts_.find(static_cast<int>(v));
    return it == verdicts_.end() ? nullptr : it->second;
  }
  lxw_format* NumberFormat(const std::string& code) {
    auto it = numbers_.find(code);
    if (it != numbers_.end()) return it->second;
    lxw_format* f = workbook_add_format(wb_);
    format_set_num_format(f, code.c_str());
    numbers_[code] = f;
    return f;
  }

 private:
  lxw_workbook* wb_;
  lxw_format *heading_, *title_, *dateTime_, *duration_;
  std::map<int, lxw_format*> verdicts_;
  std::map<std::string, lxw_format*> numbers_;
};

// The period and figures of a location as the PDF's summary shows them, with
// times and the duration as numbers.
void WriteSummary(Book& book, Sheet& sheet, const SurveyReport& report) {
  lxw_worksheet* ws = sheet.Handle();
  worksheet_write_string(ws, 0, 0, CellText(report.title).c_str(), book.Title());
  // The facts above the table run over the cells beside them: they leave
  // the columns as wide as the table needs.
  const std::pair<const char*, std::string> facts[] = {
      {"Site folder", report.siteFolder},
      {"Limit set", report.limitSet.name.empty() ? std::string("none") : report.limitSet.name},
      {"Written", report.written + " by " + report.program}};
  lxw_row_t at = 1;
  for (const auto& [key, value] : facts) {
    sheet.Text(at, 0, key);
    worksheet_write_string(ws, at++, 1, CellText(value).c_str(), nullptr);
  }
  const lxw_row_t top = 5;
  const std::vector<std::string> heading = {"Location", "Start",   "End",          "Duration",
                                            "Points",   "Verdict", "Worst result", "File"};
  for (std::size_t c = 0; c < heading.size(); ++c)
    sheet.Text(top, static_cast<lxw_col_t>(c), heading[c], book.Heading());
  lxw_row_t row = top + 1;
  for (const LocationContent& loc : report.locations) {
    const exposure::LocationResult& e = loc.exposure;
    sheet.Text(row, 0, loc.name);
    if (e.hasStart) {
      sheet.Number(row, 1, ExcelSerial(e.start), book.DateTime(), 20);
      sheet.Number(row, 2, ExcelSerial(e.end), book.DateTime(), 20);
      sheet.Number(row, 3, static_cast<double>(e.end - e.start) / 86400.0, book.Duration());
    }
    sheet.Number(row, 4, loc.points);
    sheet.Text(row, 5, exposure::VerdictText(e.verdict), book.VerdictFormat(e.verdict));
    sheet.Text(row, 6, exposure::WorstResultText(e));
    sheet.Text(row, 7, Cp1252ToUtf8(loc.path));
    ++row;
  }
  for (const ExcludedFile& x : report.excluded) {
    sheet.Text(row, 0, x.fileName);
    sheet.Text(row, 6, "not included: " + x.reason);
    sheet.Text(row, 7, Cp1252ToUtf8(x.path));
    ++row;
  }
  worksheet_freeze_panes(ws, top + 1, 0);
  worksheet_set_landscape(ws);
  worksheet_fit_to_pages(ws, 1, 0);
  sheet.ApplyWidths();
}

// One row per location and channel: every number of the exposure result, and
// per limit its text, result and figures.
void WriteExposure(Book& book, Sheet& sheet, const SurveyReport& report) {
  std::size_t limits = 0;
  for (const LocationContent& loc : report.locations)
    for (const exposure::ChannelResult& ch : loc.exposure.channels)
      limits = std::max(limits, ch.limits.size());
  std::vector<std::string> heading = {
      "Location",   "Channel",       "Parameter",    "Unit",         "Readings",
      "Over range", "Not available", "Sampled (s)",  "Span (s)",     "Coverage (%)",
      "Sample TWA", "8-h TWA",       "8-h TWA from", "Short sample", "STEL",
      "STEL from",  "Lower bound",   "Verdict",      "Reason"};
  const std::size_t fixed = heading.size();
  const std::vector<std::string> perLimit = {
      "Limit", "Result",     "Limit in channel unit", "Applicable", "Exceeded", "Ratio", "Periods",
      "Count", "Excursions", "Longest (s)",           "Total (s)",  "Percent"};
  for (std::size_t k = 0; k < limits; ++k)
    for (const std::string& h : perLimit)
      heading.push_back(h + (limits > 1 ? " " + std::to_string(k + 1) : std::string()));
  for (std::size_t c = 0; c < heading.size(); ++c)
    sheet.Text(0, static_cast<lxw_col_t>(c), heading[c], book.Heading());

  lxw_row_t row = 1;
  for (const LocationContent& loc : report.locations) {
    const exposure::ExposureTable table = exposure::BuildTable(loc.exposure);
    for (const exposure::ChannelResult& ch : loc.exposure.channels) {
      sheet.Text(row, 0, loc.name);
      sheet.Text(row, 1, ch.name);
      sheet.Text(row, 2, ch.parameter);
      sheet.Text(row, 3, ch.unit);
      sheet.Number(row, 4, ch.readings);
      sheet.Number(row, 5, ch.overRange);
      sheet.Number(row, 6, ch.notAvailable);
      sheet.Number(row, 7, static_cast<double>(ch.sampledSeconds));
      sheet.Number(row, 8, static_cast<double>(ch.spanSeconds));
      if (ch.computed) sheet.Number(row, 9, ch.coverage);
      if (ch.twaSample) sheet.Number(row, 10, *ch.twaSample);
      if (ch.twa8h) {
        sheet.Number(row, 11, ch.twa8h->value);
        sheet.Number(row, 12, ExcelSerial(ch.twa8h->windowStart), book.DateTime(), 20);
        sheet.Bool(row, 13, ch.twa8h->shortSample);
      }
      if (ch.stel) {
        sheet.Number(row, 14, ch.stel->value);
        sheet.Number(row, 15, ExcelSerial(ch.stel->windowStart), book.DateTime(), 20);
      }
      sheet.Bool(row, 16, ch.lowerBound);
      sheet.Text(row, 17, exposure::VerdictText(ch.verdict), book.VerdictFormat(ch.verdict));
      sheet.Text(row, 18, ch.reason);
      // The table's rows of this channel carry its limits' texts, in order.
      std::vector<const exposure::TableRow*> rows;
      for (const exposure::TableRow& r : table.rows)
        if (r.channel == ch.index) rows.push_back(&r);
      for (std::size_t k = 0; k < ch.limits.size(); ++k) {
        const exposure::LimitResult& l = ch.limits[k];
        const auto col = static_cast<lxw_col_t>(fixed + k * perLimit.size());
        if (k < rows.size()) {
          sheet.Text(row, col, rows[k]->cells[6]);
          sheet.Text(row, col + 1, rows[k]->cells[7]);
        }
        if (l.applicable) sheet.Number(row, col + 2, l.valueInChannelUnit);
        sheet.Bool(row, col + 3, l.applicable);
        sheet.Bool(row, col + 4, l.exceeded);
        if (l.ratio) sheet.Number(row, col + 5, *l.ratio);
        if (!l.applicable || !ch.computed) continue;
        if (l.kind == exposure::LimitKind::Stel) sheet.Number(row, col + 6, l.periods);
        if (l.kind == exposure::LimitKind::Ceiling || l.kind == exposure::LimitKind::High ||
            l.kind == exposure::LimitKind::Low) {
          sheet.Number(row, col + 7, l.count);
          sheet.Number(row, col + 8, l.excursions);
          sheet.Number(row, col + 9, static_cast<double>(l.longestSeconds));
          sheet.Number(row, col + 10, static_cast<double>(l.totalSeconds));
          sheet.Number(row, col + 11, l.percent);
        }
      }
      ++row;
    }
  }
  worksheet_freeze_panes(sheet.Handle(), 1, 2);
  worksheet_set_landscape(sheet.Handle());
  worksheet_repeat_rows(sheet.Handle(), 0, 0);
  sheet.ApplyWidths();
}

// A location sheet's rows: set up on the calling thread, written on any.
struct LocationRows {
  lxw_worksheet* ws = nullptr;
  std::string path;
  std::vector<lxw_format*> formats;  // per channel
  lxw_format* dateTime = nullptr;
  int channels = 0;
  // What writing gave.
  std::string problem;  // the location could not be opened
  lxw_row_t rows = 1;   // the heading and the records written
  LogTime first = 0, end = 0;
};

// The heading row, the formats and the widths of a location sheet. The
// formats get their indices here: a worker only reads them.
void PrepareLocation(Book& book, Sheet& sheet, const LocationContent& loc, LocationRows& out) {
  lxw_worksheet* ws = sheet.Handle();
  const auto& channels = loc.exposure.channels;
  const int n = static_cast<int>(std::min<std::size_t>(channels.size(), kMaxChannels));
  sheet.Text(0, 0, "Date and time", book.Heading());
  sheet.Fit(0, 20);
  for (int c = 0; c < n; ++c) {
    const auto& ch = channels[static_cast<std::size_t>(c)];
    sheet.Text(0, static_cast<lxw_col_t>(c + 1), ch.name + " (" + ch.unit + ")", book.Heading());
    const double magnitude =
        static_cast<std::size_t>(c) < loc.magnitude.size() ? loc.magnitude[c] : 0.0;
    out.formats.push_back(book.NumberFormat(NumberFormatOf(ch.decimals, magnitude)));
    sheet.Fit(static_cast<lxw_col_t>(c + 1), 10);
  }
  // Widths and the frozen heading are kept apart from the rows, so they may
  // be given before them.
  sheet.ApplyWidths();
  worksheet_freeze_panes(ws, 1, 0);
  worksheet_repeat_rows(ws, 0, 0);
  out.ws = ws;
  out.path = loc.path;
  out.channels = n;
  out.dateTime = book.DateTime();
  lxw_format_get_xf_index(out.dateTime);
  for (lxw_format* f : out.formats) lxw_format_get_xf_index(f);
}

// The records of a location, one row each. Touches nothing but its own
// sheet, so several locations are written at once. Stops early when `stop`
// is set.
void WriteRows(LocationRows& out, const std::atomic<bool>& stop) {
  // Numbers are printed by the C library: "C" rules on every thread.
  CNumericLocale numbers;
  CLogFile log(out.path, true);
  if (log.Problem() != LocationProblem::None) {
    out.problem = Cp1252ToUtf8(CannotOpenMessage(out.path, log.Problem()));
    return;
  }
  lxw_worksheet* ws = out.ws;
  const int records = log.RecordCount();
  const int channelCount = std::min(log.ChannelCount(), out.channels);
  const std::size_t stride = static_cast<std::size_t>(std::max(log.ChannelCount(), 1));
  // Read a block of records at a time.
  constexpr int kBlock = 4096;
  std::vector<LogTime> times(kBlock);
  std::vector<double> values(kBlock * stride);
  std::unique_ptr<bool[]> ok(new bool[kBlock]);
  lxw_row_t row = 1;
  for (int at = 0; at < records && row < kMaxRows && !stop; at += kBlock) {
    const int count = std::min(kBlock, records - at);
    if (log.ReadRecords(at, count, times.data(), values.data(), ok.get()) == 0) continue;
    for (int i = 0; i < count && row < kMaxRows; ++i) {
      if (!ok[i]) continue;
      const LogTime t = times[static_cast<std::size_t>(i)];
      const double* v = &values[static_cast<std::size_t>(i) * stride];
      worksheet_write_number(ws, row, 0, ExcelSerial(t), out.dateTime);
      for (int c = 0; c < channelCount; ++c)
        if (exposure::Classify(v[c]) == exposure::Reading::Real)
          worksheet_write_number(ws, row, static_cast<lxw_col_t>(c + 1), StoredReading(v[c]),
                                 out.formats[static_cast<std::size_t>(c)]);
      if (row == 1 || t < out.first) out.first = t;
      if (row == 1 || t > out.end) out.end = t;
      ++row;
    }
  }
  out.rows = row;
  out.channels = channelCount;
}

// The chart of a location's channels beside its records.
void AddChart(Book& book, const std::string& sheetName, const LocationContent& loc,
              const LocationRows& rows, int columns) {
  const lxw_row_t row = rows.rows;
  const int channelCount = rows.channels;
  if (row <= 1 || channelCount == 0) return;
  lxw_chart* chart = workbook_add_chart(book.Handle(), LXW_CHART_SCATTER_STRAIGHT);
  const std::string name = CellText(loc.name);
  chart_title_set_name(chart, name.c_str());
  for (int c = 0; c < channelCount; ++c) {
    lxw_chart_series* series = chart_add_series(chart, nullptr, nullptr);
    const auto col = static_cast<lxw_col_t>(c + 1);
    chart_series_set_categories(series, sheetName.c_str(), 1, 0, row - 1, 0);
    chart_series_set_values(series, sheetName.c_str(), 1, col, row - 1, col);
    chart_series_set_name_range(series, sheetName.c_str(), 0, col);
    lxw_chart_line line{};
    line.color = Colour(chart::SeriesColour(c));
    line.width = 1;
    chart_series_set_line(series, &line);
    chart_series_set_marker_type(series, LXW_CHART_MARKER_NONE);
  }
  chart_axis_set_num_format(chart->x_axis, "dd-mmm hh:mm");
  chart_axis_set_min(chart->x_axis, ExcelSerial(rows.first));
  chart_axis_set_max(chart->x_axis, ExcelSerial(std::max(rows.end, rows.first + 1)));
  chart_show_blanks_as(chart, LXW_CHART_BLANKS_AS_GAP);
  chart_legend_set_position(chart, LXW_CHART_LEGEND_BOTTOM);
  lxw_chart_options options{};
  options.x_offset = 10;
  options.x_scale = 2.0;
  options.y_scale = 1.8;
  worksheet_insert_chart_opt(rows.ws, 1, static_cast<lxw_col_t>(columns + 2), chart, &options);
}

// A scratch name beside `target`, created empty for this writer only and
// removed by a signal that ends the program. `error`: why it could not be.
bool CreateScratch(const std::string& target, std::string& scratch, RemoveOnSignal& removal,
                   int& error) {
  auto [folder, name] = SplitPath(target);
  if (name.size() > 75) name.resize(75);
  for (int attempt = 0; attempt < 100; ++attempt) {
    scratch = folder + name + "." + RandomNamePart() + ".vtmp";
    PlatformFile file;
    removal.Begin(scratch);
    const bool created = file.CreateNew(scratch);
    removal.End(created);
    if (created) return true;
    error = file.LastError();
    if (!FileExists(scratch)) break;
  }
  scratch.clear();
  return false;
}

void RemoveScratch(const std::string& scratch) {
  std::error_code ec;
  std::filesystem::remove(NativePath(scratch), ec);
}

}  // namespace

std::vector<std::string> SheetNames(const std::vector<std::string>& names,
                                    const std::vector<std::string>& taken) {
  std::vector<QString> used;
  for (const std::string& t : taken) used.push_back(QString::fromStdString(t));
  used.push_back(QStringLiteral("History"));
  auto isTaken = [&used](const QString& name) {
    return std::any_of(used.begin(), used.end(), [&name](const QString& u) {
      return u.compare(name, Qt::CaseInsensitive) == 0;
    });
  };
  // The first `count` UTF-16 units, never half a surrogate pair, with no
  // apostrophe at either end.
  auto cut = [](const QString& text, int count) {
    QString out = text.left(count);
    if (!out.isEmpty() && out.back().isHighSurrogate()) out.chop(1);
    if (out.endsWith(QLatin1Char('\''))) out.back() = QLatin1Char('_');
    return out;
  };
  std::vector<std::string> out;
  for (const std::string& name : names) {
    QString clean;
    for (QChar ch : QString::fromStdString(name)) {
      const bool bad =
          ch.unicode() < 0x20 || ch.unicode() == 0x7F || QStringLiteral("[]:*?/\\").contains(ch);
      clean += bad ? QLatin1Char('_') : ch;
    }
    if (clean.trimmed().isEmpty()) clean = QStringLiteral("Location");
    if (clean.startsWith(QLatin1Char('\''))) clean.front() = QLatin1Char('_');
    QString candidate = cut(clean, kMaxSheetName);
    for (int k = 2; isTaken(candidate); ++k) {
      const QString suffix = QStringLiteral(" (%1)").arg(k);
      candidate = cut(clean, kMaxSheetName - static_cast<int>(suffix.size())) + suffix;
    }
    used.push_back(candidate);
    out.push_back(candidate.toStdString());
  }
  return out;
}

double ExcelSerial(LogTime t) {
  const std::tm tm = LocalFields(t);
  const long long days = DaysFromCivil(tm.tm_year + 1900LL, static_cast<unsigned>(tm.tm_mon + 1),
                                       static_cast<unsigned>(tm.tm_mday)) +
                         25569;
  return static_cast<double>(days) + (tm.tm_hour * 3600.0 + tm.tm_min * 60.0 + tm.tm_sec) / 86400.0;
}

std::string NumberFormatOf(int decimals, double magnitude) {
  int d = decimals;
  if (decimals >= 200) {
    const int digits = std::max(1, decimals - 200);
    d = digits - 1;
    if (std::isfinite(magnitude) && magnitude > 0)
      d = digits - 1 - static_cast<int>(std::floor(std::log10(magnitude)));
  }
  d = std::clamp(d, 0, 15);
  return d == 0 ? std::string("0") : "0." + std::string(static_cast<std::size_t>(d), '0');
}

bool WriteWorkbook(const SurveyReport& report, const std::string& path, const Progress& progress,
                   std::string& error, bool* cancelled, int* sheets) {
  if (cancelled) *cancelled = false;
  if (DirectoryExists(path)) {
    error = "cannot write " + Cp1252ToUtf8(path) + ": it is a folder";
    return false;
  }
  const auto failed = [&path](int err) {
    return "cannot write " + Cp1252ToUtf8(WriteFailureLine(path, err));
  };
  std::string scratch;
  RemoveOnSignal removal;
  int err = 0;
  if (!CreateScratch(path, scratch, removal, err)) {
    error = failed(err);
    return false;
  }
  // libxlsxwriter prints numbers with the C library, which follows the
  // locale: a decimal comma would break every number of the file.
  CNumericLocale numbers;
  double cells = 0;
  for (const LocationContent& loc : report.locations)
    cells += static_cast<double>(loc.points) * (static_cast<double>(loc.statistics.size()) + 1);
  std::error_code ec;
  std::string tmpdir = std::filesystem::temp_directory_path(ec).u8string();
  lxw_workbook_options options{};
  options.constant_memory = LXW_TRUE;
  options.tmpdir = tmpdir.empty() ? nullptr : tmpdir.data();
  options.use_zip64 = cells * kCellBytes > kZip64Bytes ? LXW_TRUE : LXW_FALSE;
  const std::string native = NativePath(scratch).u8string();
  lxw_workbook* wb = workbook_new_opt(native.c_str(), &options);
  if (!wb) {
    RemoveScratch(scratch);
    error = "cannot write " + Cp1252ToUtf8(path) + ": the workbook could not be started";
    return false;
  }
  std::vector<lxw_worksheet*> created;
  auto add = [&](const std::string& name) {
    lxw_worksheet* ws = workbook_add_worksheet(wb, name.c_str());
    if (ws) created.push_back(ws);
    return ws;
  };
  auto abandon = [&] {
    // The sheets' scratch files are closed here: freeing an unclosed
    // workbook leaves them open.
    for (lxw_worksheet* ws : created)
      if (ws->optimize_tmpfile) {
        fclose(ws->optimize_tmpfile);
        ws->optimize_tmpfile = nullptr;
      }
    lxw_workbook_free(wb);
    RemoveScratch(scratch);
  };

  lxw_doc_properties properties{};
  std::string title = CellText(report.title), program = CellText(report.program);
  properties.title = title.data();
  properties.comments = program.data();
  workbook_set_properties(wb, &properties);

  Book book(wb);
  std::vector<std::string> names;
  for (const LocationContent& loc : report.locations) names.push_back(loc.name);
  const std::vector<std::string> sheetNames = SheetNames(names, {kSummarySheet, kExposureSheet});
  lxw_worksheet* summary = add(kSummarySheet);
  lxw_worksheet* exposureSheet = add(kExposureSheet);
  std::vector<lxw_worksheet*> locationSheets;
  for (const std::string& name : sheetNames) locationSheets.push_back(add(name));
  if (!summary || !exposureSheet ||
      std::find(locationSheets.begin(), locationSheets.end(), nullptr) != locationSheets.end()) {
    abandon();
    error = "cannot write " + Cp1252ToUtf8(path) + ": a sheet could not be added";
    return false;
  }
  {
    Sheet s(summary);
    WriteSummary(book, s, report);
  }
  {
    Sheet s(exposureSheet);
    WriteExposure(book, s, report);
  }
  const int total = static_cast<int>(report.locations.size());
  std::vector<LocationRows> rows(static_cast<std::size_t>(total));
  for (int i = 0; i < total; ++i) {
    Sheet s(locationSheets[static_cast<std::size_t>(i)]);
    PrepareLocation(book, s, report.locations[static_cast<std::size_t>(i)],
                    rows[static_cast<std::size_t>(i)]);
  }
  // The records of the location sheets, several locations at once (each
  // sheet writes to a scratch file of its own); this thread reports the
  // progress and passes on a cancel.
  std::atomic<bool> stop{false};
  std::atomic<int> next{0}, finished{0};
  std::mutex mutex;
  std::condition_variable changed;
  const int workers =
      std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, std::min(4, total));
  std::vector<std::thread> threads;
  for (int w = 0; w < workers && total > 0; ++w)
    threads.emplace_back([&] {
      for (int i = next++; i < total && !stop; i = next++) {
        WriteRows(rows[static_cast<std::size_t>(i)], stop);
        std::lock_guard<std::mutex> lock(mutex);
        ++finished;
        changed.notify_all();
      }
    });
  bool stopped = false;
  {
    std::unique_lock<std::mutex> lock(mutex);
    int reported = -1;
    while (finished < total && !stopped) {
      const int done = finished;
      if (done != reported) {
        reported = done;
        const std::string& name = report.locations[static_cast<std::size_t>(done)].name;
        lock.unlock();
        stopped = progress && !progress({done, total, name});
        lock.lock();
        continue;
      }
      changed.wait_for(lock, std::chrono::milliseconds(100));
    }
  }
  if (stopped) stop = true;
  for (std::thread& t : threads) t.join();
  if (stopped) {
    abandon();
    if (cancelled) *cancelled = true;
    return false;
  }
  for (int i = 0; i < total; ++i) {
    const LocationRows& r = rows[static_cast<std::size_t>(i)];
    if (!r.problem.empty()) {
      Sheet s(r.ws);
      s.Text(1, 0, r.problem);
    } else if (report.options.graphs) {
      const LocationContent& loc = report.locations[static_cast<std::size_t>(i)];
      AddChart(book, sheetNames[static_cast<std::size_t>(i)], loc, r,
               static_cast<int>(std::min<std::size_t>(loc.exposure.channels.size(), kMaxChannels)));
    }
  }
  // Packing takes long for a large site and cannot be stopped; a cancel
  // asked for meanwhile is honoured after it, before the file is replaced.
  const ProgressStep packing{total, total, std::string(), "Packing the workbook"};
  if (progress && !progress(packing)) {
    abandon();
    if (cancelled) *cancelled = true;
    return false;
  }
  errno = 0;
  const lxw_error closed = workbook_close(wb);
  if (closed != LXW_NO_ERROR) {
    // The library gives its own words only; the system's, where a file
    // operation failed, are what errno holds.
    err = errno;
    RemoveScratch(scratch);
    error = "cannot write " + Cp1252ToUtf8(path) + ": " +
            (err ? CLibraryErrorText(err) : std::string(lxw_strerror(closed)));
    return false;
  }
  if (progress && !progress(packing)) {
    RemoveScratch(scratch);
    if (cancelled) *cancelled = true;
    return false;
  }
  // The complete file takes the permission bits of the one it replaces.
  PlatformFile done;
  const bool ready =
      done.OpenReadWrite(scratch, false) && done.TakePermissionsOf(path) && done.Sync();
  err = done.LastError();
  done.Close();
  const bool replaced = ready && ReplaceFile(scratch, path);
  if (ready && !replaced) err = LastSystemError();
  if (!replaced) {
    RemoveScratch(scratch);
    error = failed(err);
    return false;
  }
  removal.Forget();
  if (sheets) *sheets = 2 + total;
  return true;
}

}  // namespace vantora::report

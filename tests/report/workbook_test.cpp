// The survey workbook: sheet names, serials and formats, and the file read
// back by openpyxl and by LibreOffice as a client would open it.
#include "report/workbook.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "common/logfile.h"
#include "common/timetext.h"
#include "exposure/limits.h"
#include "location/samplesite.h"
#include "model/vocabulary.h"
#include "support/clirun.h"
#include "support/locbytes.h"
#include "support/samples.h"

namespace vantora {
namespace {

using report::SheetNames;

std::string Shell(const std::string& command, int* status = nullptr) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return out;
  char buffer[65536];
  std::size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  const int s = pclose(pipe);
  if (status) *status = WIFEXITED(s) ? WEXITSTATUS(s) : -1;
  return out;
}

// Every sheet's cells as openpyxl reads them: date-times as local
// "YYYY-MM-DDTHH:MM:SS", numbers as Python's repr, blanks as null.
constexpr const char* kDumpScript = R"(
import datetime, json, sys
import openpyxl
wb = openpyxl.load_workbook(sys.argv[1])
out = {"sheets": wb.sheetnames, "data": {}}
for ws in wb.worksheets:
    rows = []
    for row in ws.iter_rows(values_only=True):
        cells = []
        for v in row:
            if isinstance(v, datetime.datetime):
                v = v + datetime.timedelta(microseconds=500000)
                cells.append({"t": v.strftime("%Y-%m-%dT%H:%M:%S")})
            elif isinstance(v, bool):
                cells.append({"b": v})
            elif isinstance(v, (int, float)):
                cells.append({"n": repr(float(v))})
            elif v is None:
                cells.append(None)
            else:
                cells.append({"s": str(v)})
        rows.append(cells)
    formats = [c.number_format for c in ws[2]] if ws.max_row >= 2 else []
    out["data"][ws.title] = {"rows": rows, "charts": len(ws._charts),
                             "freeze": ws.freeze_panes, "formats": formats}
print(json.dumps(out))
)";

class WorkbookTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    files = WriteSampleSite(site, error);
    ASSERT_FALSE(files.empty()) << error;
    test::WriteBytes(site + "Z Survey.loc", test::LocationBytes(test::DstSurveySpec()));
    files.push_back(site + "Z Survey.loc");
    // A name the sheet references must quote.
    test::WriteBytes(site + "O'Brien's Room.loc", test::LocationBytes(test::DstSurveySpec()));
    files.push_back(site + "O'Brien's Room.loc");
    limits = exposure::LoadLimitLibrary("", "", TheParamNames().compounds());
  }
  report::SurveyReport Gather() {
    report::SurveyReport r;
    EXPECT_TRUE(report::GatherReport(files, {}, exposure::ChooseLimitSet(limits, ""), r));
    return r;
  }
  // The workbook as openpyxl reads it; skipped without Debian's openpyxl.
  QJsonObject ReadBack(const std::string& xlsx) {
    const std::string script = dir.File("dump.py");
    test::WriteBytes(
        script, std::vector<std::uint8_t>(kDumpScript, kDumpScript + std::strlen(kDumpScript)));
    int status = -1;
    const std::string json = Shell(
        "/usr/bin/python3 " + test::ShellQuote(script) + " " + test::ShellQuote(xlsx), &status);
    EXPECT_EQ(status, 0);
    return QJsonDocument::fromJson(QByteArray::fromStdString(json)).object();
  }
  static bool HasOpenpyxl() {
    int status = -1;
    Shell("/usr/bin/python3 -c 'import openpyxl' 2>/dev/null", &status);
    return status == 0;
  }

  test::TempDir dir;
  std::string site = dir.path() + "/North Wing/";
  std::vector<std::string> files;
  exposure::LoadedLimits limits;
  test::ScopedTz tz{"Europe/Berlin"};
};

TEST(SheetNames, HostileLocationNamesBecomeValidUniqueNames) {
  const std::vector<std::string> names = {
      "Boiler [A]: 1/2?*\\",
      "A name that is far longer than thirty-one characters",
      "A name that is far longer than thirty-one characters too",
      "summary",
      "'quoted'",
      "",
      "Tab\there",
      "Boiler [A]: 1/2?*\\",
      "history",
      "\xC3\xA9t\xC3\xA9 \xE2\x80\x94 \xC2\xB0"
      "C"};
  const std::vector<std::string> got = SheetNames(names, {"Summary", "Exposure"});
  const std::vector<std::string> expected = {"Boiler _A__ 1_2___",
                                             "A name that is far longer than ",
                                             "A name that is far longer t (2)",
                                             "summary (2)",
                                             "_quoted_",
                                             "Location",
                                             "Tab_here",
                                             "Boiler _A__ 1_2___ (2)",
                                             "history (2)",
                                             "\xC3\xA9t\xC3\xA9 \xE2\x80\x94 \xC2\xB0"
                                             "C"};
  EXPECT_EQ(got, expected);
}

TEST(WorkbookNumbers, SerialsFollowLocalTimeAndFormatsTheDecimals) {
  test::ScopedTz tz("Europe/Berlin");
  // 10-Mar-2026 is day 46091 after 30-Dec-1899; 08:30 is 0.354166... of a day.
  EXPECT_DOUBLE_EQ(report::ExcelSerial(MakeLocalTime(2026, 3, 10, 8, 30, 0)), 46091 + 8.5 / 24);
  // Across the change to summer time the serial shows the wall clock.
  EXPECT_DOUBLE_EQ(report::ExcelSerial(MakeLocalTime(2026, 3, 29, 3, 0, 0)), 46110 + 3.0 / 24);
  EXPECT_EQ(report::NumberFormatOf(0, 500), "0");
  EXPECT_EQ(report::NumberFormatOf(2, 21.5), "0.00");
  EXPECT_EQ(report::NumberFormatOf(203, 0.0284), "0.0000");  // 3 significant digits
  EXPECT_EQ(report::NumberFormatOf(203, 215.0), "0");
  EXPECT_EQ(report::NumberFormatOf(203, 0), "0.00");
  EXPECT_EQ(report::NumberFormatOf(-4, 1), "0");
}

TEST_F(WorkbookTest, ReadBackSheetsCellsChartsAndCounts) {
  if (!HasOpenpyxl()) GTEST_SKIP() << "/usr/bin/python3 with openpyxl is not installed";
  const report::SurveyReport content = Gather();
  const std::string xlsx = dir.File("site.xlsx");
  std::string error;
  int sheets = 0;
  ASSERT_TRUE(report::WriteWorkbook(content, xlsx, {}, error, nullptr, &sheets)) << error;
  EXPECT_EQ(sheets, 2 + static_cast<int>(files.size()));
  const QJsonObject book = ReadBack(xlsx);
  QStringList expectedSheets = {"Summary", "Exposure"};
  for (const auto& loc : content.locations) expectedSheets << QString::fromStdString(loc.name);
  EXPECT_EQ(book["sheets"].toVariant().toStringList(), expectedSheets);
  const QJsonObject data = book["data"].toObject();

  // Every location sheet against its file, record by record.
  for (const auto& loc : content.locations) {
    SCOPED_TRACE(loc.name);
    const QJsonObject sheet = data[QString::fromStdString(loc.name)].toObject();
    const QJsonArray rows = sheet["rows"].toArray();
    CLogFile log(loc.path);
    ASSERT_EQ(rows.size(), log.RecordCount() + 1);
    EXPECT_EQ(sheet["freeze"].toString(), "A2");
    EXPECT_EQ(sheet["charts"].toInt(), log.RecordCount() > 0 ? 1 : 0);
    const QJsonArray heading = rows[0].toArray();
    ASSERT_EQ(heading.size(), log.ChannelCount() + 1);
    EXPECT_EQ(heading[0].toObject()["s"].toString(), "Date and time");
    for (const auto& ch : loc.exposure.channels)
      EXPECT_EQ(heading[ch.index + 1].toObject()["s"].toString().toStdString(),
                ch.name + " (" + ch.unit + ")");
    std::vector<int> blanks(static_cast<std::size_t>(log.ChannelCount()), 0);
    for (int r = 0; r < log.RecordCount(); ++r) {
      const QJsonArray row = rows[r + 1].toArray();
      LogTime t = 0;
      double values[kMaxChannels];
      ASSERT_TRUE(log.ReadRecord(r, values, t));
      EXPECT_EQ(row[0].toObject()["t"].toString().toStdString(), IsoLocalTime(t).substr(0, 19));
      for (int c = 0; c < log.ChannelCount(); ++c) {
        const QJsonValue cell = c + 1 < row.size() ? row[c + 1] : QJsonValue();
        if (values[c] < -200) {
          EXPECT_TRUE(cell.isNull()) << "record " << r << " channel " << c;
          ++blanks[static_cast<std::size_t>(c)];
          continue;
        }
        const double got =
            std::strtod(cell.toObject()["n"].toString().toUtf8().constData(), nullptr);
        // The stored single-precision value, whole: it reads back as the
        // very float of the file.
        EXPECT_EQ(static_cast<float>(got), static_cast<float>(values[c]));
      }
    }
    // The marks left blank are the Exposure sheet's counts.
    const QJsonArray exposure = data["Exposure"].toObject()["rows"].toArray();
    int matched = 0;
    for (const QJsonValue& v : exposure) {
      const QJsonArray row = v.toArray();
      if (row[0].toObject()["s"].toString().toStdString() != loc.name) continue;
      const auto& ch = loc.exposure.channels[static_cast<std::size_t>(matched)];
      EXPECT_EQ(row[1].toObject()["s"].toString().toStdString(), ch.name);
      EXPECT_EQ(row[5].toObject()["n"].toString().toDouble() +
                    row[6].toObject()["n"].toString().toDouble(),
                blanks[static_cast<std::size_t>(matched)]);
      ++matched;
    }
    EXPECT_EQ(matched, log.ChannelCount());
  }
  // The marks of the survey across the daylight-saving change: one over
  // range, one not available, both counted.
  const QJsonArray z = data["Z Survey"].toObject()["rows"].toArray();
  EXPECT_TRUE(z[2].toArray()[2].isNull());
  EXPECT_EQ(z[4].toArray()[0].toObject()["t"].toString(), "2026-03-29T03:00:00");
  const QJsonArray formats = data["Z Survey"].toObject()["formats"].toArray();
  EXPECT_EQ(formats[0].toString(), "dd-mmm-yyyy hh:mm:ss");
  EXPECT_EQ(formats[1].toString(), "0.0");
  EXPECT_EQ(formats[3].toString(), "0.0000");

  // The summary: real date-times and numbers, the verdict as text.
  const QJsonArray summary = data["Summary"].toObject()["rows"].toArray();
  const QJsonArray office = summary[6].toArray();  // the heading on row 5, Office 101 first
  EXPECT_EQ(office[0].toObject()["s"].toString(), "Office 101");
  EXPECT_EQ(office[1].toObject()["t"].toString(), "2026-03-10T08:30:00");
  EXPECT_EQ(office[4].toObject()["n"].toString(), "540.0");
  EXPECT_EQ(office[5].toObject()["s"].toString(), "exceeded");
}

TEST_F(WorkbookTest, CancelAndFailureLeaveTheOldFileAndNoScratch) {
  const report::SurveyReport content = Gather();
  const std::string xlsx = dir.File("site.xlsx");
  test::WriteBytes(xlsx, {'o', 'l', 'd'});
  std::string error;
  bool cancelled = false;
  int calls = 0;
  EXPECT_FALSE(report::WriteWorkbook(
      content, xlsx, [&](const report::ProgressStep& s) { return ++calls < 3 && s.total > 0; },
      error, &cancelled));
  EXPECT_TRUE(cancelled);
  EXPECT_EQ(test::ReadAll(xlsx), "old");
  // A folder in the way, and a folder that does not exist.
  EXPECT_FALSE(report::WriteWorkbook(content, site, {}, error));
  EXPECT_FALSE(report::WriteWorkbook(content, dir.File("none/x.xlsx"), {}, error));
  EXPECT_NE(error.find("none/x.xlsx"), std::string::npos);
  int entries = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir.path()))
    entries += e.path().extension() == ".vtmp";
  EXPECT_EQ(entries, 0);
  // Completed, it replaces the old file.
  ASSERT_TRUE(report::WriteWorkbook(content, xlsx, {}, error)) << error;
  EXPECT_EQ(test::ReadAll(xlsx).substr(0, 2), "PK");
}

// LibreOffice, as a client opens the file: the sheet of Office 101 as shown.
TEST_F(WorkbookTest, LibreOfficeShowsTheLocationSheet) {
  int status = -1;
  Shell("command -v libreoffice >/dev/null 2>&1", &status);
  if (status != 0) GTEST_SKIP() << "libreoffice is not installed";
  const report::SurveyReport content = Gather();
  const std::string xlsx = dir.File("site.xlsx");
  std::string error;
  ASSERT_TRUE(report::WriteWorkbook(content, xlsx, {}, error)) << error;
  // Sheet 3 (Office 101), cells as shown, UTF-8, comma-separated.
  const std::string out = dir.File("csv");
  Shell("cd " + test::ShellQuote(dir.path()) + " && libreoffice -env:UserInstallation=file://" +
            dir.path() + "/lo --headless --convert-to " +
            test::ShellQuote("csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,true,false,"
                             "false,3") +
            " --outdir " + test::ShellQuote(out) + " site.xlsx >/dev/null 2>&1",
        &status);
  // LibreOffice names the file after the sheet.
  std::string csv;
  for (const auto& e : std::filesystem::directory_iterator(out))
    csv = test::ReadAll(e.path().string());
  ASSERT_FALSE(csv.empty()) << "libreoffice wrote no CSV";
  CLogFile log(site + "Office 101.loc");
  std::vector<std::string> lines;
  for (std::size_t pos = 0; pos < csv.size();) {
    std::size_t end = csv.find('\n', pos);
    if (end == std::string::npos) end = csv.size();
    lines.push_back(csv.substr(pos, end - pos));
    pos = end + 1;
  }
  ASSERT_EQ(static_cast<int>(lines.size()), log.RecordCount() + 1);
  EXPECT_EQ(lines[0],
            "Date and time,Temperature (\xC2\xB0"
            "C),Humidity (%RH),CO2 (ppm),CO (ppm)");
  for (int r = 0; r < log.RecordCount(); ++r) {
    LogTime t = 0;
    double values[kMaxChannels];
    ASSERT_TRUE(log.ReadRecord(r, values, t));
    std::vector<std::string> cells;
    std::string line = lines[static_cast<std::size_t>(r + 1)], cell;
    for (char ch : line + ",") {
      if (ch == ',') {
        cells.push_back(cell);
        cell.clear();
      } else if (ch != '"') {
        cell += ch;
      }
    }
    ASSERT_EQ(cells.size(), 5u) << line;
    EXPECT_EQ(cells[0], DateTimeText(t));
    for (int c = 0; c < 4; ++c) {
      int decimals = 0;
      log.GetChannelDecimals(c, decimals);
      if (values[c] < -200) {
        EXPECT_EQ(cells[static_cast<std::size_t>(c + 1)], "") << line;
        continue;
      }
      // Shown with the channel's decimals: within half a unit of the last.
      EXPECT_NEAR(std::stod(cells[static_cast<std::size_t>(c + 1)]), values[c],
                  0.5 * std::pow(10.0, -decimals) + 1e-9)
          << line;
      const auto dot = cells[static_cast<std::size_t>(c + 1)].find('.');
      EXPECT_EQ(
          dot == std::string::npos ? 0 : cells[static_cast<std::size_t>(c + 1)].size() - dot - 1,
          static_cast<std::size_t>(decimals));
    }
  }
}

}  // namespace
}  // namespace vantora

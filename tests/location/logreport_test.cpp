// Layout of printed location reports, measured with a canvas of known metrics.
#include "location/logreport.h"

#include <gtest/gtest.h>

#include <array>

#include "common/logfile.h"
#include "support/locbytes.h"

namespace vantora {
namespace {

using test::ChannelSpec;
using test::LocationSpec;

// Every character is 0.6 of the font size wide; a line is 1.25 sizes high.
class FakeCanvas : public ReportCanvas {
 public:
  explicit FakeCanvas(int dpi) : dpi_(dpi) {}
  int DpiY() const override { return dpi_; }
  void SetFontSize(int size) override { size_ = size; }
  int TextWidth(const std::string& line) override {
    return static_cast<int>(line.size()) * size_ * 6 / 10;
  }
  int LineHeight() override { return size_ + size_ / 4; }
  void DrawText(int x, int y, const std::string& line) override {
    texts.push_back({x, y, size_, line});
  }
  void DrawRule(int x1, int x2, int y, int thickness) override {
    rules.push_back({x1, x2, y, thickness});
  }
  struct Text {
    int x, y, size;
    std::string text;
  };
  std::vector<Text> texts;
  std::vector<std::array<int, 4>> rules;

 private:
  int dpi_;
  int size_ = 0;
};

LocationSpec ThreeChannels() {
  LocationSpec s;
  s.channels = {{"Temp", 0, 0, 1, 6}, {"RH", 1, 3, 0, 6}, {"CO2", 4, 4, 0, 6}};
  s.records = {{0, {21.5f, 45, 400}}, {60, {-700000.0f, -250, 410}}, {120, {22, 46, 420}}};
  return s;
}

class LogReportTest : public ::testing::Test {
 protected:
  std::string Write(const LocationSpec& spec) {
    auto path = dir.File("Loc1.loc");
    test::WriteBytes(path, test::LocationBytes(spec));
    return path;
  }
  test::TempDir dir;
  // Letter-sized at 300 dpi: 8 x 11 inches.
  ReportRect page{10, 20, 2410, 3320};
};

TEST(ReportHeadings, WrapWordsBreaksAtMostTwice) {
  EXPECT_EQ(WrapWords(SplitWords("Relative Humidity Sensor Probe"), 8),
            "Relative \r\nHumidity \r\nSensor Probe ");
  EXPECT_EQ(WrapWords(SplitWords("  Time (H:M:S) "), 13), "Time (H:M:S) ");
  // A word longer than the limit stays whole; the first word never breaks.
  EXPECT_EQ(WrapWords({"Temperature", "A"}, 4), "Temperature \r\nA ");
  EXPECT_EQ(WrapWords({"a", "b", "c", "d"}, 1), "a \r\nb \r\nc d ");
  EXPECT_EQ(WrapWords({}, 5), "");
  EXPECT_EQ(HeadingLines("a \r\nb "), (std::vector<std::string>{"a ", "b "}));
  EXPECT_EQ(HeadingLines(""), std::vector<std::string>{""});
}

TEST_F(LogReportTest, HeadingsUseTheChannelWidthOr13) {
  LocationSpec s;
  // Names hold at most 25 characters.
  s.channels = {{"Rel Humidity Sensor Probe", 1, 3, 0, 8}, {"Carbon Dioxide Level", 4, 4, 0, 0}};
  CLogFile log(Write(s));
  EXPECT_EQ(BuildHeadings(log),
            (std::vector<std::string>{"Time (H:M:S) ", "Rel \r\nHumidity \r\nSensor Probe ",
                                      "Carbon Dioxide \r\nLevel "}));
}

TEST_F(LogReportTest, ShortHeadingsFitAtTwelvePoints) {
  CLogFile log(Write(ThreeChannels()));
  FakeCanvas canvas(300);
  CLogReport report(&log);
  report.Prepare(canvas, page);
  const ReportLayout& l = report.layout();
  // 300 dpi: 12-point text is 49 units high; sizes stay below that.
  EXPECT_EQ(l.maxFontSize, 49);
  EXPECT_EQ(l.fontSize, 48);
  // Gap 5 x "00" = 5 x 57; headings of 13, 5, 3 and 4 characters.
  EXPECT_EQ(l.columnX, (std::vector<int>{0, 659, 1088, 1459, 1859}));
  EXPECT_EQ(l.lineHeight, 60);
  EXPECT_EQ(l.lineGap, 6);
  EXPECT_EQ(l.linesPerPage, (3300 - 6) / 60 - 6);
  EXPECT_EQ(report.PageCount(), 1);
}

TEST_F(LogReportTest, HighResolutionDevicesStillGetTwelvePoints) {
  CLogFile log(Write(ThreeChannels()));
  FakeCanvas canvas(1200);
  CLogReport report(&log);
  report.Prepare(canvas, ReportRect{0, 0, 9600, 13200});
  EXPECT_EQ(report.layout().maxFontSize, 199);
  EXPECT_EQ(report.layout().fontSize, 198);
}

TEST_F(LogReportTest, TwentyChannelsGetTheLargestFittingSmallerFont) {
  LocationSpec s;
  for (int c = 0; c < 20; ++c)
    s.channels.push_back({"Channel " + std::to_string(c + 1), 0, 0, 1, 6});
  CLogFile log(Write(s));
  FakeCanvas canvas(300);
  CLogReport report(&log);
  report.Prepare(canvas, page);
  const int size = report.layout().fontSize;
  EXPECT_GT(size, 6);
  EXPECT_LT(size, 48);
  EXPECT_LT(page.left + report.layout().columnX.back(), page.right);
  canvas.SetFontSize(size + 1);
  EXPECT_GE(page.left + ComputeColumns(report.headings(), canvas).back(), page.right);
  EXPECT_EQ(report.layout().columnX.size(), 22u);

  // Nothing fits on a narrow page: the smallest size is kept.
  CLogReport narrow(&log);
  narrow.Prepare(canvas, ReportRect{0, 0, 300, 3000});
  EXPECT_EQ(narrow.layout().fontSize, 6);
}

TEST(ReportPages, CountWithoutAnEmptyLastPage) {
  EXPECT_EQ(ReportPageCount(100, 50), 2);
  EXPECT_EQ(ReportPageCount(101, 50), 3);
  EXPECT_EQ(ReportPageCount(50, 50), 1);
  EXPECT_EQ(ReportPageCount(1, 50), 1);
  EXPECT_EQ(ReportPageCount(0, 50), 1);
  EXPECT_EQ(ReportPageCount(5, 0), 5);
}

TEST_F(LogReportTest, PageDrawsTitleHeadingsRuleDateAndTabbedRows) {
  CLogFile log(Write(ThreeChannels()));
  FakeCanvas canvas(300);
  CLogReport report(&log);
  report.PrintPage(canvas, 1);  // not prepared: nothing
  EXPECT_TRUE(canvas.texts.empty());
  report.Prepare(canvas, page);
  EXPECT_EQ(report.RowText(1), "09:01:00\tN/A\tOverRange\t 410");
  report.PrintPage(canvas, 1);

  std::vector<std::string> expected = {"Page 1 - " + log.path,
                                       "Time (H:M:S) ",
                                       "Temp ",
                                       "RH ",
                                       "CO2 ",
                                       "01-Jun-2026",
                                       "09:00:00",
                                       " 21.5",
                                       " 45",
                                       " 400",
                                       "09:01:00",
                                       "N/A",
                                       "OverRange",
                                       " 410",
                                       "09:02:00",
                                       " 22.0",
                                       " 46",
                                       " 420"};
  ASSERT_EQ(canvas.texts.size(), expected.size());
  for (std::size_t k = 0; k < expected.size(); ++k) {
    EXPECT_EQ(canvas.texts[k].text, expected[k]) << k;
    EXPECT_EQ(canvas.texts[k].size, 48) << k;
  }
  auto at = [&](std::size_t k) { return std::make_pair(canvas.texts[k].x, canvas.texts[k].y); };
  EXPECT_EQ(at(0), std::make_pair(10, 20));
  EXPECT_EQ(at(1), std::make_pair(10, 140));
  EXPECT_EQ(at(2), std::make_pair(10 + 659, 140));
  EXPECT_EQ(at(4), std::make_pair(10 + 1459, 140));
  ASSERT_EQ(canvas.rules.size(), 1u);
  EXPECT_EQ(canvas.rules[0], (std::array<int, 4>{10, 2410, 200, 6}));
  EXPECT_EQ(at(5), std::make_pair(10, 206));
  EXPECT_EQ(at(6), std::make_pair(10, 266));
  EXPECT_EQ(at(7), std::make_pair(10 + 659, 266));
  EXPECT_EQ(at(11), std::make_pair(10 + 659, 326));
  EXPECT_EQ(at(12), std::make_pair(10 + 1088, 326));
  EXPECT_EQ(at(13), std::make_pair(10 + 1459, 326));
}

TEST(ReportTabs, PiecesMoveToTheNextStopRightOfTheirPredecessor) {
  FakeCanvas canvas(300);
  canvas.SetFontSize(10);  // 6 units a character
  auto pieces = ExpandTabs(std::string(20, 'a') + "\tb\tc", {0, 100, 200, 300}, canvas);
  ASSERT_EQ(pieces.size(), 3u);
  // The first piece runs past the stop at 100.
  EXPECT_EQ(pieces[1].x, 200);
  EXPECT_EQ(pieces[1].text, "b");
  EXPECT_EQ(pieces[2].x, 300);
  // Past the last stop a piece follows its predecessor; empty cells count.
  pieces = ExpandTabs("x\t\ty", {0, 100}, canvas);
  ASSERT_EQ(pieces.size(), 3u);
  EXPECT_EQ(pieces[1].x, 100);
  EXPECT_EQ(pieces[2].x, 100);
}

TEST_F(LogReportTest, DateLineSpansMidnight) {
  LocationSpec s = ThreeChannels();
  s.hour = 23;
  s.records = {{0, {1, 2, 3}}, {3600, {1, 2, 3}}};
  CLogFile log(Write(s));
  EXPECT_EQ(PlanPage(log, 50, 1).dateLine, "01-Jun-2026 to 02-Jun-2026");
  EXPECT_EQ(PlanPage(log, 1, 1).dateLine, "01-Jun-2026");
  EXPECT_EQ(PlanPage(log, 1, 2).dateLine, "02-Jun-2026");
  EXPECT_EQ(PlanPage(log, 1, 2).title, "Page 2 - " + log.path);
  // Past the last record: no records and no date.
  PagePlan beyond = PlanPage(log, 1, 3);
  EXPECT_LT(beyond.lastRecord, beyond.firstRecord);
  EXPECT_EQ(beyond.dateLine, "");
}

TEST_F(LogReportTest, EveryRecordIsPrintedOnceWithinThePage) {
  LocationSpec s;
  s.channels = {{"Rel Humidity Sensor Probe", 1, 3, 0, 8}};
  FakeCanvas canvas(300);
  // A short page: (1000 - 6) / 60 - 6 = 10 records per page.
  const ReportRect shortPage{0, 0, 2400, 1000};
  for (int r = 0; r < 25; ++r) s.records.push_back({static_cast<std::uint32_t>(r), {50.0f}});
  CLogFile log(Write(s));
  CLogReport report(&log);
  report.Prepare(canvas, shortPage);
  ASSERT_EQ(report.layout().linesPerPage, 10);
  ASSERT_EQ(report.PageCount(), 3);
  std::vector<std::string> times;
  for (int p = 1; p <= report.PageCount(); ++p) {
    canvas.texts.clear();
    report.PrintPage(canvas, p);
    for (const auto& t : canvas.texts) {
      EXPECT_LE(t.y + 60, shortPage.bottom) << t.text;
      if (t.x == 0 && t.text.size() == 8 && t.text[2] == ':') times.push_back(t.text);
    }
  }
  ASSERT_EQ(times.size(), 25u);
  for (int r = 0; r < 25; ++r)
    EXPECT_EQ(times[r], "09:00:" + std::string(r < 10 ? "0" : "") + std::to_string(r));
}

TEST_F(LogReportTest, UnreadableRecordsPrintErrorAndZeros) {
  LocationSpec s = ThreeChannels();
  s.recordCount = 4;  // the file holds three: the report has three rows
  auto bytes = test::LocationBytes(s);
  bytes[18 + 3 * 57 + 1 + 16] = 0x80;  // the second record's tag
  const std::string path = dir.File("Loc1.loc");
  test::WriteBytes(path, bytes);
  CLogFile log(path);
  CLogReport report(&log);
  EXPECT_EQ(log.LastRecordIndex(), 2);
  EXPECT_EQ(report.RowText(1), "error\t 0.0\t 0\t 0");
  EXPECT_EQ(report.RowText(2), "09:02:00\t 22.0\t 46\t 420");
}

}  // namespace
}  // namespace vantora

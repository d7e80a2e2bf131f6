#include "location/statistics.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/logfile.h"
#include "common/timetext.h"
#include "location/columnselection.h"
#include "support/samples.h"

namespace vantora {
namespace {

class LocationTextTest : public ::testing::Test {
 protected:
  std::string Write(const test::LocationSpec& spec, const std::string& name) {
    std::filesystem::create_directories(dir.path() + "/Site A");
    auto path = dir.path() + "/Site A/" + name;
    test::WriteBytes(path, test::LocationBytes(spec));
    return path;
  }
  test::TempDir dir;
  test::ScopedTz tz{"Europe/Berlin"};  // the expected texts are Berlin local time
};

TEST_F(LocationTextTest, StatisticsOfASurveyAcrossTheDaylightSavingChange) {
  CLogFile log(Write(test::DstSurveySpec(), "Survey.loc"));
  ASSERT_EQ(log.Error(), LogFileError::None);
  EXPECT_EQ(StatisticsText(log), test::kDstSurveyStats);
}

TEST_F(LocationTextTest, ChannelsWithoutARealReadingShowNA) {
  test::LocationSpec s = test::DstSurveySpec();
  // CO2 holds only over-range marks, Toluene only not-available and over-range
  // marks; -200 itself is a reading.
  for (auto& r : s.records) {
    r.values[1] = -999.0f;
    r.values[3] = r.offset == 0 ? -700000.0f : -666660.0f;
  }
  s.records[2].values[0] = -200.0f;
  CLogFile log(Write(s, "Marks.loc"));
  const std::string text = StatisticsText(log);
  EXPECT_NE(text.find("Num points=   4\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Temperature \xB0"
                      "C\r\n  Min= -200.0 @ 29-Mar-2026 01:00:00\r\n"
                      "  Max=   23.3 @ 29-Mar-2026 03:00:00\r\n  Avg= -33.80 \xB0"
                      "C\r\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("Carbon Dioxide ppm\r\n  Min= N/A\r\n  Max= N/A\r\n  Avg= N/A ppm\r\n\r\n"
                      "Volume Flow"),
            std::string::npos)
      << text;
  EXPECT_EQ(text.substr(text.size() - 55),
            "Toluene ppb\r\n  Min= N/A\r\n  Max= N/A\r\n  Avg= N/A ppb\r\n\r\n");
}

TEST_F(LocationTextTest, WithoutRecordsTheHeaderStartTimeAndNA) {
  test::LocationSpec s = test::DstSurveySpec();
  s.records.clear();
  const std::string path = Write(s, "Empty.loc");
  const std::string text = StatisticsText(CLogFile(path));
  const std::string times =
      "Started at: 28-Mar-2026 23:00:00\r\nEnded at: 28-Mar-2026 23:00:00\r\n"
      "Duration: 00:00:00\r\nNum points=   0\r\n\r\n";
  EXPECT_EQ(text.substr(0, 17 + times.size()), "Empty\r\nSite A\r\n\r\n" + times);
  EXPECT_NE(text.find("Temperature \xB0"
                      "C\r\n  Min= N/A\r\n  Max= N/A\r\n  Avg= N/A \xB0"
                      "C\r\n"),
            std::string::npos)
      << text;
  // The same at every open.
  EXPECT_EQ(StatisticsText(CLogFile(path)), text);

  // Records that cannot be read count as none.
  auto bytes = test::LocationBytes(test::DstSurveySpec());
  for (int r = 0; r < 4; ++r) bytes[18 + 4 * 57 + 1 + r * 20] = 0;
  test::WriteBytes(path, bytes);
  EXPECT_NE(StatisticsText(CLogFile(path)).find(times), std::string::npos);
}

TEST_F(LocationTextTest, StatisticsOfNoChannelsAndOfTwentyChannels) {
  test::LocationSpec none = test::DstSurveySpec();
  none.channels.clear();
  for (auto& r : none.records) r.values.clear();
  CLogFile noneLog(Write(none, "None.loc"));
  std::string text = StatisticsText(noneLog);
  // Without channel 0 the times are the header's start and no point is counted.
  EXPECT_NE(
      text.find("Ended at: 28-Mar-2026 23:00:00\r\nDuration: 00:00:00\r\nNum points=   0\r\n\r\n"),
      std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 4), "\r\n\r\n");

  test::LocationSpec twenty = test::DstSurveySpec();
  twenty.channels.clear();
  for (int c = 0; c < 20; ++c) twenty.channels.push_back({"C" + std::to_string(c), c, 4, 0, 3});
  for (auto& r : twenty.records) {
    r.values.clear();
    for (int c = 0; c < 20; ++c) r.values.push_back(static_cast<float>(c * 10 + (r.offset / 3600)));
  }
  CLogFile twentyLog(Write(twenty, "Twenty.loc"));
  text = StatisticsText(twentyLog);
  // Channel 19 (code 19, "Chlorine"): min 190 at the first record, max 193 at the last.
  EXPECT_NE(text.find("Chlorine ppm\r\n  Min= 190 @ 28-Mar-2026 23:00:00\r\n"
                      "  Max= 193 @ 29-Mar-2026 03:00:00\r\n  Avg= 191.5 ppm\r\n\r\n"),
            std::string::npos)
      << text;
  std::size_t blocks = 0;
  for (std::size_t p = text.find("  Avg= "); p != std::string::npos;
       p = text.find("  Avg= ", p + 1))
    ++blocks;
  EXPECT_EQ(blocks, 20u);
}

TEST_F(LocationTextTest, CutAndDamagedRecordsTakeNoPart) {
  auto bytes = test::LocationBytes(test::DstSurveySpec());
  bytes.resize(bytes.size() - 10);  // the last record is cut short
  std::filesystem::create_directories(dir.path() + "/Site A");
  auto path = dir.path() + "/Site A/Cut.loc";
  test::WriteBytes(path, bytes);
  {
    CLogFile log(path);
    CLogStatistics stats(&log);
    stats.Compute();
    EXPECT_EQ(stats.count[0], 3);
    EXPECT_EQ(stats.max[1], 500);
    EXPECT_EQ(stats.lastTime[0] - stats.firstTime[0], 7200);
  }
  // A bad tag in the second record: the records after it still count.
  bytes = test::LocationBytes(test::DstSurveySpec());
  bytes[18 + 4 * 57 + 1 + 20] = 0x7F;
  test::WriteBytes(path, bytes);
  CLogFile log(path);
  const std::string text = StatisticsText(log);
  EXPECT_NE(text.find("Num points=   3\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Toluene ppb\r\n  Min=  100 @ 28-Mar-2026 23:00:00\r\n"
                      "  Max=  301 @ 29-Mar-2026 03:00:00\r\n  Avg= 200.3 ppb\r\n"),
            std::string::npos)
      << text;
  EXPECT_EQ(log.BadRecordCount(), 1);
}

TEST(StatisticsFile, NameBesideTheLocation) {
  EXPECT_EQ(StatisticsFilePath("C:\\Site\\Loc1.loc"), "C:\\Site\\Loc1_stats.txt");
  EXPECT_EQ(StatisticsFilePath("/home/u/.site/Room 4.loc"), "/home/u/.site/Room 4_stats.txt");
  // Without a three-letter extension the whole name is kept: the file stays
  // in the location's folder and never takes another file's name.
  EXPECT_EQ(StatisticsFilePath("/data/abc"), "/data/abc_stats.txt");
  EXPECT_EQ(StatisticsFilePath("/data/x.lo"), "/data/x.lo_stats.txt");
  EXPECT_EQ(StatisticsFilePath("/data/.loc"), "/data/.loc_stats.txt");
  EXPECT_EQ(StatisticsFilePath("C:\\Site.2005\\Loc1.loc"), "C:\\Site.2005\\Loc1_stats.txt");
}

TEST_F(LocationTextTest, CopyWithNothingSelectedTakesEverything) {
  CLogFile log(Write(test::DstSurveySpec(), "Survey.loc"));
  ColumnSelection sel;
  EXPECT_EQ(CopyReadingsText(log, sel), test::kDstSurveyCopyAll);
}

TEST_F(LocationTextTest, CopyOfChosenColumns) {
  CLogFile log(Write(test::DstSurveySpec(), "Survey.loc"));
  ColumnSelection sel;
  sel.SetSelected(2, true);
  EXPECT_EQ(CopyReadingsText(log, sel), "Flow\r\n0.0215\r\n0.0300\r\n0.0100\r\n0.0250\r\n");
  sel.SetTimeSelected(true);
  sel.SetSelected(3, true);
  sel.SetSelected(2, false);
  EXPECT_EQ(CopyReadingsText(log, sel),
            "Date \tTime \tToluene\r\n"
            "28-Mar-2026\t23:00:00\t    100\r\n"
            "29-Mar-2026\t00:00:00\tN/A\r\n"
            "29-Mar-2026\t01:00:00\t    200\r\n"
            "29-Mar-2026\t03:00:00\t    301\r\n");
  ColumnSelection timeOnly;
  timeOnly.SetTimeSelected(true);
  EXPECT_EQ(CopyReadingsText(log, timeOnly).substr(0, 35),
            "Date \tTime \r\n28-Mar-2026\t23:00:00\r\n");
}

TEST(ColumnSelectionTest, FocusFollowsTheSelection) {
  ColumnSelection sel;
  sel.SetSelected(3, true);
  sel.focusChannel = 3;
  sel.Toggle(5);
  EXPECT_EQ(sel.focusChannel, 3);
  sel.Toggle(3);
  EXPECT_EQ(sel.focusChannel, -1);
  sel.Toggle(20);
  sel.SetSelected(-1, true);
  EXPECT_EQ(sel.Count(), 1);
  EXPECT_FALSE(sel.IsSelected(20));
  sel.SelectFirst(4);
  EXPECT_EQ(sel.Count(), 4);
  EXPECT_TRUE(sel.IsTimeSelected());
  sel.Reset();
  EXPECT_EQ(sel.Count(), 0);
  EXPECT_FALSE(sel.IsTimeSelected());
}

}  // namespace
}  // namespace vantora

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

TEST_F(LocationTextTest, StatisticsOfALocationWithoutRecords) {
  test::LocationSpec s = test::DstSurveySpec();
  s.records.clear();
  CLogFile log(Write(s, "Empty.loc"));
  LogTime before = Now();
  std::string text = StatisticsText(log);
  LogTime after = Now();
  std::string opened = DateTimeText(before);
  if (DateTimeText(after) != opened && text.find(opened) == std::string::npos)
    opened = DateTimeText(after);
  EXPECT_NE(text.find("Started at: " + opened + "\r\nEnded at: " + opened +
                      "\r\nDuration: 00:00:00\r\nNum points=   0\r\n\r\n"),
            std::string::npos)
      << text;
  // Channel blocks show the initial values.
  EXPECT_NE(text.find("Temperature \xB0"
                      "C\r\n  Min=    0.0 @ "),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("  Avg=   0.00 \xB0"
                      "C\r\n"),
            std::string::npos)
      << text;
}

TEST_F(LocationTextTest, StatisticsOfNoChannelsAndOfTwentyChannels) {
  test::LocationSpec none = test::DstSurveySpec();
  none.channels.clear();
  for (auto& r : none.records) r.values.clear();
  CLogFile noneLog(Write(none, "None.loc"));
  std::string text = StatisticsText(noneLog);
  // Without channel 0 the times are the moment of opening and no point is counted.
  EXPECT_NE(text.find("Duration: 00:00:00\r\nNum points=   0\r\n\r\n"), std::string::npos);
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

TEST_F(LocationTextTest, DamagedRecordsLeaveTheInitialValues) {
  auto bytes = test::LocationBytes(test::DstSurveySpec());
  bytes.resize(bytes.size() - 10);  // the last record is cut short
  std::filesystem::create_directories(dir.path() + "/Site A");
  auto path = dir.path() + "/Site A/Cut.loc";
  test::WriteBytes(path, bytes);
  CLogFile log(path);
  CLogStatistics stats(&log);
  stats.Compute();
  EXPECT_EQ(stats.count[0], 3);
  EXPECT_EQ(stats.max[1], 500);
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

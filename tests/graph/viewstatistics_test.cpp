// Statistics of a zoomed range of a graph equal those of the location's
// statistics and of the exposure engine over the very records in the range.
#include "graph/viewstatistics.h"

#include <gtest/gtest.h>

#include "chart/chartlayout.h"
#include "common/platform.h"
#include "exposure/exposure.h"
#include "graph/graphcompare.h"
#include "graph/graphdocument.h"
#include "graph/test_support.h"
#include "location/statistics.h"
#include "model/vocabulary.h"

namespace vantora::graph {
namespace {

using vantora::test::LocationSpec;

constexpr float kNotAvailable = -999999.0f;

// 60 records a minute apart with a 20-minute gap after record 29; Temp has
// repeated extremes, RH a not-available reading at record 12.
LocationSpec Readings(int first, int last) {
  LocationSpec all = test::ThreeChannels({});
  for (int r = 0; r < 60; ++r) {
    const std::uint32_t t = static_cast<std::uint32_t>(60 * r + (r >= 30 ? 1200 : 0));
    const float temp = 20.0f + static_cast<float>((r * 7) % 11) / 2;
    const float rh = r == 12 ? kNotAvailable : 40.0f + static_cast<float>((r * 5) % 13);
    all.records.push_back({t, {temp, rh, 1.5f + static_cast<float>(r % 4)}});
  }
  LocationSpec part = all;
  part.records.assign(all.records.begin() + first, all.records.begin() + last + 1);
  // The part keeps the records' times: its start is the first one's.
  const std::uint32_t shift = part.records.front().offset;
  for (auto& rec : part.records) rec.offset -= shift;
  const int seconds = 9 * 3600 + static_cast<int>(shift);
  part.hour = seconds / 3600;
  part.minute = seconds / 60 % 60;
  part.second = seconds % 60;
  return part;
}

TEST(ViewStatistics, ARangeHasTheStatisticsOfItsRecords) {
  test::Location whole(Readings(0, 59));
  GraphDocument doc;
  const GraphSettings s = test::Settings(kModeSingleY, 0, {1, 2, 3});
  ASSERT_TRUE(doc.BuildGraph(&whole.log(), &s));
  const chart::SRGraph& chart = doc.GetGraph();
  ViewStatistics stats;
  stats.Update(chart);
  ASSERT_EQ(stats.PairCount(), 3);

  // Records 5 to 40 (the gap and the missing RH inside), by their X.
  const double lo = chart.Value(5, 0), hi = chart.Value(40, 0);
  test::Location part(Readings(5, 40));
  CLogStatistics expected(&part.log());
  expected.Compute();
  exposure::Recording rec;
  exposure::ReadRecording(part.log(), rec);
  const exposure::LocationResult engine =
      exposure::Assess(rec, nullptr, TheParamNames().compounds());
  const auto ole = [](LogTime t) {
    const std::tm f = LocalFields(t);
    return chart::OleDate(f.tm_year + 1900, f.tm_mon + 1, f.tm_mday, f.tm_hour, f.tm_min, f.tm_sec);
  };
  for (int k = 0; k < 3; ++k) {
    SCOPED_TRACE(k);
    const RangeStatistics r = stats.Of(chart, k, lo, hi);
    EXPECT_EQ(r.count, expected.readings[k]);
    EXPECT_DOUBLE_EQ(r.min, expected.min[k]);
    EXPECT_DOUBLE_EQ(r.max, expected.max[k]);
    EXPECT_NEAR(r.average, expected.avg[k], 1e-9);
    EXPECT_DOUBLE_EQ(r.minX, ole(expected.timeOfMin[k]));  // the last of equal minima
    EXPECT_DOUBLE_EQ(r.maxX, ole(expected.timeOfMax[k]));
    ASSERT_TRUE(r.timeX && r.hasTwa);
    EXPECT_EQ(r.interval, 60);
    ASSERT_TRUE(engine.channels[static_cast<std::size_t>(k)].twaSample.has_value());
    EXPECT_NEAR(r.twa, *engine.channels[static_cast<std::size_t>(k)].twaSample, 1e-9);
  }

  // An empty range counts nothing; a range between two records too.
  EXPECT_EQ(stats.Of(chart, 0, hi, lo).count, 0);
  EXPECT_EQ(stats.Of(chart, 0, chart.Value(3, 0) + 1e-6, chart.Value(4, 0) - 1e-6).count, 0);
  EXPECT_EQ(stats.Of(chart, 9, lo, hi).count, 0);
}

TEST(ViewStatistics, ElapsedHoursOfAComparisonHaveTheSampleTwaToo) {
  test::Location whole(Readings(0, 59));
  GraphDocument doc;
  CompareOptions options;
  options.channel = "RH";
  options.elapsed = true;
  ASSERT_TRUE(BuildCompare(doc, {{&whole.log(), "A"}}, options).built);
  ViewStatistics stats;
  stats.Update(doc.GetGraph());
  exposure::Recording rec;
  exposure::ReadRecording(whole.log(), rec);
  const auto engine = exposure::Assess(rec, nullptr, TheParamNames().compounds());
  const RangeStatistics r = stats.Of(doc.GetGraph(), 0, -1, 1e9);
  ASSERT_TRUE(r.timed && r.hasTwa);
  EXPECT_FALSE(r.timeX);
  EXPECT_EQ(r.interval, 60);
  EXPECT_NEAR(r.twa, *engine.channels[1].twaSample, 1e-9);
}

}  // namespace
}  // namespace vantora::graph

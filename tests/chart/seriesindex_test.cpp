// The readout under the mouse: the nearest record by binary search over
// every pair's points, values left out at that record, hidden series, and
// series of their own records (several locations).
#include "chart/seriesindex.h"

#include <gtest/gtest.h>

#include <cmath>

#include "chart/chartinteract.h"

namespace vantora::chart {
namespace {

const double kNaN = std::nan("");

// One display (plot 100..300 x 0..100, X fixed 0..20) showing pairs whose X
// and Y are given per point.
void Build(SRGraph& chart,
           const std::vector<std::pair<std::vector<double>, std::vector<double>>>& p) {
  auto* d = chart.AddNew<SRGCompoundDisplay>();
  d->placed = true;
  d->rect = Rect{0, 0, 400, 120};
  d->plotArea = Rect{100, 0, 300, 100};
  d->xScale = std::make_unique<SRGDecimalScale>();
  d->yScale = std::make_unique<SRGDecimalScale>();
  d->display = std::make_unique<SRGraphDisplay>();
  d->display->xRange = AxisRange{true, 0, 20};
  d->display->yRange = AxisRange{true, 0, 100};
  for (std::size_t k = 0; k < p.size(); ++k) {
    chart.SetGroupValues(static_cast<int>(2 * k), p[k].first);
    chart.SetGroupValues(static_cast<int>(2 * k + 1), p[k].second);
  }
}

int PixelOf(double x) { return static_cast<int>(std::lround(100 + x * 10)); }

TEST(SeriesIndex, ReadoutShowsEachSeriesAtTheNearestRecordAndWhatWasLeftOut) {
  SRGraph chart;
  // Records at x = 0, 2, 4, ... 18; pair 1 lost its point at record 5 (x 10).
  std::vector<double> x, a, b, bx;
  for (int i = 0; i < 10; ++i) {
    x.push_back(2.0 * i);
    a.push_back(10.0 + i);
    b.push_back(i == 5 ? kNaN : 50.0 + i);
    bx.push_back(i == 5 ? kNaN : 2.0 * i);
  }
  Build(chart, {{x, a}, {bx, b}});
  SeriesIndex index;
  index.Update(chart);
  EXPECT_TRUE(index.Aligned());
  EXPECT_EQ(index.Order(1).size(), 9u);

  Readout r = ReadoutAt(chart, index, PixelOf(10.6), 50);
  ASSERT_TRUE(r.valid);
  EXPECT_EQ(r.index, 5);
  EXPECT_DOUBLE_EQ(r.x, 10);
  ASSERT_EQ(r.values.size(), 2u);
  EXPECT_TRUE(r.values[0].plotted);
  EXPECT_DOUBLE_EQ(r.values[0].y, 15);
  EXPECT_FALSE(r.values[1].plotted);  // left out at that record: not a neighbour's value
  EXPECT_EQ(r.values[1].index, 5);

  // With pair 0 hidden the record is found among pair 1's points.
  r = ReadoutAt(chart, index, PixelOf(10.6), 50, {false, true});
  ASSERT_TRUE(r.valid);
  ASSERT_EQ(r.values.size(), 1u);
  EXPECT_EQ(r.index, 6);  // 12 is nearer 10.6 than 8
  EXPECT_DOUBLE_EQ(r.values[0].y, 56);
  // Of two equally near records, the first; past the ends, the end.
  EXPECT_EQ(ReadoutAt(chart, index, PixelOf(3), 50).index, 1);
  EXPECT_EQ(ReadoutAt(chart, index, 299, 50).index, 9);
  EXPECT_FALSE(ReadoutAt(chart, index, 50, 50).valid);  // outside the plot area

  EXPECT_EQ(index.RecordsWithin(chart, 3.5, 12), 5);  // 4 to 12, bounds included
  EXPECT_EQ(index.Within(chart, 1, 3.5, 12), (std::pair<int, int>{2, 6}));  // 4, 6, 8, 12

  // A change of the data rebuilds the index.
  chart.SetValue(5, 2, 10);
  chart.SetValue(5, 3, 55);
  index.Update(chart);
  EXPECT_TRUE(ReadoutAt(chart, index, PixelOf(10), 50).values[1].plotted);
}

TEST(SeriesIndex, SeriesOfTheirOwnRecordsShowTheirNearestPointWithinTheirSpan) {
  SRGraph chart;
  // Two locations: every 2 from 0, and every 3 from 7.5 to 16.5; X unsorted
  // in the second to prove the index sorts it.
  Build(chart, {{{0, 2, 4, 6, 8, 10, 12, 14}, {1, 2, 3, 4, 5, 6, 7, 8}},
                {{13.5, 7.5, 10.5, 16.5}, {40, 10, 20, 50}}});
  SeriesIndex index;
  index.Update(chart);
  EXPECT_FALSE(index.Aligned());
  Readout r = ReadoutAt(chart, index, PixelOf(9.8), 50);
  ASSERT_TRUE(r.valid);
  EXPECT_DOUBLE_EQ(r.x, 10);
  ASSERT_EQ(r.values.size(), 2u);
  EXPECT_DOUBLE_EQ(r.values[0].y, 6);
  EXPECT_TRUE(r.values[1].plotted);
  EXPECT_DOUBLE_EQ(r.values[1].y, 20);  // 10.5 is its nearest
  r = ReadoutAt(chart, index, PixelOf(2.2), 50);
  EXPECT_FALSE(r.values[1].plotted);                // before the second location starts
  EXPECT_EQ(index.RecordsWithin(chart, 7, 11), 4);  // 8, 10 and 7.5, 10.5
}

}  // namespace
}  // namespace vantora::chart

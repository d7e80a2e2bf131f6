#include "chart/srgraph.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>

namespace vantora::chart {
namespace {

TEST(SRGraph, SetValueGrowsWithNaNGapsAndIgnoresBadIndices) {
  SRGraph chart;
  chart.SetValue(3, 2, 7.5);
  EXPECT_EQ(chart.GroupCount(), 3);
  EXPECT_EQ(chart.ItemCount(2), 4);
  EXPECT_EQ(chart.ItemCount(0), 0);
  EXPECT_TRUE(std::isnan(chart.Value(0, 2)));
  EXPECT_TRUE(std::isnan(chart.Value(2, 2)));
  EXPECT_EQ(chart.Value(3, 2), 7.5);
  EXPECT_TRUE(std::isnan(chart.Value(4, 2)));
  EXPECT_TRUE(std::isnan(chart.Value(-1, 2)));
  EXPECT_TRUE(std::isnan(chart.Value(0, 9)));

  chart.SetValue(-1, 0, 1);
  chart.SetValue(0, -1, 1);
  chart.SetValue(16777216, 0, 1);
  chart.SetValue(0, 4096, 1);
  EXPECT_EQ(chart.GroupCount(), 3);
  EXPECT_EQ(chart.ItemCount(0), 0);
  chart.SetValue(0, 4095, 1);  // the last group accepted
  EXPECT_EQ(chart.GroupCount(), 4096);

  chart.SetAnnotation(1, "CO2");
  EXPECT_EQ(chart.Annotation(1), "CO2");
  EXPECT_EQ(chart.Annotation(5000), "");
  chart.EmptyAll();
  EXPECT_EQ(chart.GroupCount(), 0);
}

TEST(SRGraph, FillingInOrderIsFast) {
  SRGraph chart;
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < 65535; ++i) {
    for (int g = 0; g < 40; ++g) chart.SetValue(i, g, i + g);
  }
  const double ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  EXPECT_EQ(chart.ItemCount(39), 65535);
  EXPECT_EQ(chart.Value(65534, 39), 65534 + 39);
  // Linear growth takes tens of ms (under a sanitizer well under 5 s);
  // growing one item at a time would copy terabytes.
  EXPECT_LT(ms, 5000);
}

TEST(SRGraph, FindByKindNameAndCount) {
  SRGraph chart;
  auto* d0 = chart.AddNew<SRGCompoundDisplay>();
  auto* label = chart.AddNew<SRGraphLabel>();
  label->name = "title";
  auto* d1 = chart.AddNew<SRGCompoundDisplay>();
  auto* bar = chart.AddNew<SRGScaleBar>();
  bar->name = "_KTRM_YAXIS_1";
  EXPECT_EQ(chart.Display(0), d0);
  EXPECT_EQ(chart.Display(1), d1);
  EXPECT_EQ(chart.Display(2), nullptr);
  EXPECT_EQ(chart.Find(ComponentKind::CompoundDisplay, -1), nullptr);
  EXPECT_EQ(chart.Legend(), nullptr);
  EXPECT_EQ(chart.Count(ComponentKind::CompoundDisplay), 2);
  EXPECT_EQ(chart.Count(ComponentKind::Legend), 0);
  EXPECT_EQ(chart.FindByName("_KTRM_YAXIS_1"), bar);
  EXPECT_EQ(chart.FindByName("title"), label);
  EXPECT_EQ(chart.FindByName("none"), nullptr);

  // Styles and zoom entries go to their own lists.
  chart.AddNew<SRGraphStyle>();
  chart.AddNew<SRGZoom>();
  EXPECT_EQ(chart.Components().size(), 4u);
  EXPECT_EQ(chart.Styles().size(), 1u);
  EXPECT_EQ(chart.zoomHistory.size(), 1u);
}

TEST(SRGraph, StyleAtLastCoveringWins) {
  SRGraph chart;
  EXPECT_TRUE(chart.StyleAt(0, 0).lines);
  EXPECT_FALSE(chart.StyleAt(0, 0).markers);
  chart.ApplyStyle(0, -1, 0, -1, false, true);
  chart.ApplyStyle(2, 3, 10, 20, true, false);
  EXPECT_FALSE(chart.StyleAt(5, 2).lines);
  EXPECT_TRUE(chart.StyleAt(5, 2).markers);
  EXPECT_TRUE(chart.StyleAt(10, 3).lines);
  EXPECT_FALSE(chart.StyleAt(20, 2).markers);
  EXPECT_FALSE(chart.StyleAt(21, 2).lines);
  EXPECT_FALSE(chart.StyleAt(15, 4).lines);
}

TEST(SRGraph, SeriesColoursCycleThroughSixteen) {
  EXPECT_EQ(SeriesColour(0), (Rgb{255, 0, 0}));
  EXPECT_EQ(SeriesColour(2), (Rgb{0, 0, 255}));
  EXPECT_EQ(SeriesColour(9), (Rgb{255, 128, 0}));
  EXPECT_EQ(SeriesColour(15), (Rgb{255, 255, 0}));
  EXPECT_EQ(SeriesColour(17), (Rgb{0, 128, 0}));
  EXPECT_EQ(SeriesColour(-1), (Rgb{255, 255, 0}));
}

}  // namespace
}  // namespace vantora::chart

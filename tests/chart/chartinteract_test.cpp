// Mouse work on a drawn chart without painting: the point under the mouse,
// zoom steps and their undo.
#include "chart/chartinteract.h"

#include <gtest/gtest.h>

#include <cmath>

#include "chart/chartlayout.h"

namespace vantora::chart {
namespace {

// Two displays stacked (strips) or overlaid (same plot area, the second
// without scales), each with one series of 11 points: x = 0..10, y = x * k.
void Build(SRGraph& chart, bool overlay) {
  for (int k = 0; k < 2; ++k) {
    auto* d = chart.AddNew<SRGCompoundDisplay>();
    d->placed = true;
    if (overlay) {
      d->rect = Rect{0, 0, 400, 300};
      d->plotArea = Rect{50, 20, 350, 270};
    } else {
      d->rect = Rect{0, k * 150, 400, k * 150 + 150};
      d->plotArea = Rect{50, k * 150 + 10, 350, k * 150 + 140};
    }
    if (!overlay || k == 0) {
      d->xScale = std::make_unique<SRGDecimalScale>();
      d->yScale = std::make_unique<SRGDecimalScale>();
      d->yScale->orientation = Orientation::Vertical;
    }
    d->display = std::make_unique<SRGraphDisplay>();
    d->display->firstGroup = 2 * k;
    d->display->lastGroup = 2 * k + 1;
    d->display->xRange = AxisRange{true, 0, 10};
    d->display->yRange = AxisRange{true, 0, 10.0 * (k + 1)};
    for (int i = 0; i <= 10; ++i) {
      chart.SetValue(i, 2 * k, i);
      chart.SetValue(i, 2 * k + 1, i * (k + 1.0));
    }
  }
}

TEST(ChartInteract, PixelsAndDataAreInverse) {
  const Rect plot{50, 20, 350, 270};
  const AxisRange r{true, -5, 15};
  for (double v : {-5.0, 0.0, 3.25, 15.0}) {
    EXPECT_DOUBLE_EQ(PixelToX(plot, r, XToPixel(plot, r, v)), v);
    EXPECT_DOUBLE_EQ(PixelToY(plot, r, YToPixel(plot, r, v)), v);
  }
  // As the plot draws them: the maximum on the row above the plot area's
  // first (the frame), the minimum on its last.
  EXPECT_DOUBLE_EQ(YToPixel(plot, r, 15), 19);
  EXPECT_DOUBLE_EQ(YToPixel(plot, r, -5), 269);
}

TEST(ChartInteract, HitTestFindsTheNearestPointOfEitherSeries) {
  SRGraph chart;
  Build(chart, true);
  const Rect plot = chart.Display(0)->plotArea;
  // Point 4 of the second series (y = 8 on a 0..20 scale) is drawn at:
  const int x = static_cast<int>(XToPixel(plot, AxisRange{true, 0, 10}, 4));
  const int y = static_cast<int>(YToPixel(plot, AxisRange{true, 0, 20}, 8));
  PointHit hit = HitTest(chart, x + 2, y - 1);
  ASSERT_TRUE(hit.hit);
  EXPECT_EQ(hit.group, 2);
  EXPECT_EQ(hit.index, 4);
  EXPECT_FALSE(HitTest(chart, x + 2, y - 40).hit);
  EXPECT_FALSE(HitTest(chart, 10, 10).hit);  // outside the plot area
  EXPECT_EQ(DisplayAt(chart, x, y), 0);      // the overlay is reached through its host
}

TEST(ChartInteract, ZoomOfOverlaysKeepsThemInProportionAndUndoes) {
  SRGraph chart;
  Build(chart, true);
  const auto before = ZoomState(chart);
  // The left half and the lower half of the plot area.
  ASSERT_TRUE(ZoomToRect(chart, Rect{50, 145, 200, 270}, ZoomKind::AllDisplays));
  const auto &a = chart.Display(0)->display, &b = chart.Display(1)->display;
  EXPECT_DOUBLE_EQ(a->xRange.max, 5);
  EXPECT_DOUBLE_EQ(a->yRange.max, 5);
  EXPECT_DOUBLE_EQ(b->xRange.max, 5);
  EXPECT_DOUBLE_EQ(b->yRange.max, 10);  // the second scale in proportion
  RestoreZoom(chart, before);
  EXPECT_EQ(a->yRange, (AxisRange{true, 0, 10}));
  EXPECT_EQ(b->yRange, (AxisRange{true, 0, 20}));
  // Too small, or starting outside a plot area: nothing changes.
  EXPECT_FALSE(ZoomToRect(chart, Rect{60, 60, 61, 200}, ZoomKind::AllDisplays));
  EXPECT_FALSE(ZoomToRect(chart, Rect{5, 5, 200, 200}, ZoomKind::AllDisplays));
  EXPECT_EQ(a->xRange, (AxisRange{true, 0, 10}));
}

TEST(ChartInteract, StripZoomChangesTheYOfTheDraggedStripOnly) {
  SRGraph chart;
  Build(chart, false);
  ASSERT_TRUE(ZoomToRect(chart, Rect{200, 160, 350, 205}, ZoomKind::DraggedDisplayY));
  EXPECT_DOUBLE_EQ(chart.Display(0)->display->xRange.min, 5);
  EXPECT_DOUBLE_EQ(chart.Display(1)->display->xRange.min, 5);
  EXPECT_EQ(chart.Display(0)->display->yRange, (AxisRange{true, 0, 10}));
  EXPECT_NE(chart.Display(1)->display->yRange, (AxisRange{true, 0, 20}));
}

TEST(ChartInteract, ZoomStepsLiveInTheChartAndFullViewIsOneMore) {
  SRGraph chart;
  Build(chart, true);
  EXPECT_EQ(ZoomStepCount(chart), 0);
  EXPECT_FALSE(PopZoomStep(chart));
  PushZoomStep(chart);  // the fixed 0..10 of the built chart
  ASSERT_TRUE(ZoomToRect(chart, Rect{50, 145, 200, 270}, ZoomKind::AllDisplays));
  const auto zoomed = ZoomState(chart);
  PushZoomStep(chart);
  ASSERT_TRUE(HasFixedRange(chart));
  EXPECT_TRUE(ReleaseRanges(chart));
  EXPECT_FALSE(HasFixedRange(chart));
  EXPECT_FALSE(ReleaseRanges(chart));
  EXPECT_EQ(ZoomStepCount(chart), 2);
  // Two entries a step (one per display), and back through them in order.
  EXPECT_EQ(chart.zoomHistory.size(), 4u);
  ASSERT_TRUE(PopZoomStep(chart));
  EXPECT_EQ(chart.Display(1)->display->yRange, zoomed[1].yRange);
  ASSERT_TRUE(PopZoomStep(chart));
  EXPECT_EQ(chart.Display(0)->display->xRange, (AxisRange{true, 0, 10}));
  EXPECT_EQ(ZoomStepCount(chart), 0);
}

TEST(ChartInteract, LegendEntryUnderThePoint) {
  SRGraph chart;
  Build(chart, true);
  EXPECT_EQ(LegendKeyAt(chart, 10, 10), -1);  // no legend
  auto* legend = chart.AddNew<SRGraphLegend>();
  legend->items = {{0, Rect{10, 280, 100, 295}, Rect{10, 283, 30, 292}},
                   {1, Rect{120, 280, 200, 295}, Rect{120, 283, 140, 292}}};
  EXPECT_EQ(LegendKeyAt(chart, 15, 285), 0);    // the key
  EXPECT_EQ(LegendKeyAt(chart, 190, 290), 1);   // the text
  EXPECT_EQ(LegendKeyAt(chart, 110, 285), -1);  // between entries
  EXPECT_EQ(LegendKeyAt(chart, 200, 285), -1);  // right edges are exclusive
  EXPECT_TRUE(chart.SetSeriesHidden(1, true));
  EXPECT_TRUE(chart.SeriesHidden(1));
  EXPECT_FALSE(chart.SetSeriesHidden(2, true));  // no such series
}

}  // namespace
}  // namespace vantora::chart

namespace vantora::chart {
namespace {

// The value under a pixel column or row of display 0 with the ranges it is
// drawn with.
double XAt(const SRGraph& chart, double px) {
  return PixelToX(chart.Display(0)->plotArea, DrawnXRange(chart, 0), px);
}
double YAt(const SRGraph& chart, int display, double py) {
  return PixelToY(chart.Display(display)->plotArea, DrawnYRange(chart, display), py);
}

TEST(ChartInteract, WheelAndPanKeepTheValueUnderTheMouseAndStayShowable) {
  SRGraph chart;
  Build(chart, true);  // overlays: X 0..10, Y 0..10 and 0..20 on plot 50..350 x 20..270
  const double px = XToPixel(chart.Display(0)->plotArea, AxisRange{true, 0, 10}, 4);
  ASSERT_TRUE(ZoomX(chart, 0, px, WheelFactor(1)));
  EXPECT_NEAR(XAt(chart, px), 4, 1e-12);
  EXPECT_NEAR(DrawnXRange(chart, 0).max - DrawnXRange(chart, 0).min, 8, 1e-12);
  EXPECT_EQ(DrawnXRange(chart, 1), DrawnXRange(chart, 0));  // the overlay follows
  ASSERT_TRUE(ZoomX(chart, 0, px, WheelFactor(-1)));        // a notch back undoes it
  EXPECT_NEAR(DrawnXRange(chart, 0).min, 0, 1e-12);
  EXPECT_NEAR(DrawnXRange(chart, 0).max, 10, 1e-12);

  // Y of the display and its overlay in proportion, around the row.
  const double under0 = YAt(chart, 0, 145), under1 = YAt(chart, 1, 145);
  EXPECT_NEAR(under1, 2 * under0, 1e-12);
  ASSERT_TRUE(ZoomY(chart, 0, 145, WheelFactor(2)));
  EXPECT_NEAR(YAt(chart, 0, 145), under0, 1e-12);
  EXPECT_NEAR(YAt(chart, 1, 145), under1, 1e-12);
  EXPECT_NEAR(DrawnYRange(chart, 1).max - DrawnYRange(chart, 1).min, 20 * 0.64, 1e-12);

  // A drag of 30 px right and 25 px down: what was under the mouse stays under it.
  const double x0 = XAt(chart, 100), y0 = YAt(chart, 0, 100);
  ASSERT_TRUE(Pan(chart, 0, 30, 25, true));
  EXPECT_NEAR(XAt(chart, 130), x0, 1e-12);
  EXPECT_NEAR(YAt(chart, 0, 125), y0, 1e-12);
  const AxisRange y = DrawnYRange(chart, 0);
  ASSERT_TRUE(Pan(chart, 0, -10, 40, false));  // X only
  EXPECT_EQ(DrawnYRange(chart, 0), y);

  // Ranges no axis can show are refused whole; nothing moves.
  const auto state = ZoomState(chart);
  EXPECT_FALSE(ZoomX(chart, 0, px, 1e-20));
  EXPECT_FALSE(ZoomY(chart, 0, 100, 1e300));
  EXPECT_FALSE(ZoomX(chart, 0, px, std::nan("")));
  EXPECT_FALSE(ZoomX(chart, 7, px, 0.8));  // no such display
  const auto after = ZoomState(chart);
  for (std::size_t i = 0; i < state.size(); ++i) {
    EXPECT_EQ(after[i].xRange, state[i].xRange);
    EXPECT_EQ(after[i].yRange, state[i].yRange);
  }

  // Full View frees every range; then there is nothing left to free.
  EXPECT_TRUE(HasFixedRange(chart));
  EXPECT_TRUE(ReleaseRanges(chart));
  EXPECT_FALSE(HasFixedRange(chart));
  EXPECT_FALSE(ReleaseRanges(chart));
}

TEST(ChartInteract, StripWheelYZoomsOnlyTheStripUnderTheMouse) {
  SRGraph chart;
  Build(chart, false);
  const AxisRange top = DrawnYRange(chart, 0);
  ASSERT_TRUE(ZoomY(chart, 1, 200, 0.5));
  EXPECT_EQ(DrawnYRange(chart, 0), top);
  EXPECT_NEAR(DrawnYRange(chart, 1).max - DrawnYRange(chart, 1).min, 10, 1e-12);
  ASSERT_TRUE(ZoomX(chart, 1, 200, 0.5));  // X of both strips
  EXPECT_EQ(DrawnXRange(chart, 0), DrawnXRange(chart, 1));
}

TEST(ChartInteract, AWheelBurstIsOneStepAndZoomOutStepsBackThroughEverything) {
  SRGraph chart;
  Build(chart, true);
  ZoomSteps steps;
  const auto full = ZoomState(chart);
  auto wheel = [&](ZoomSteps::Kind kind, std::int64_t ms, int display = 0) {
    const auto before = ZoomState(chart);
    const bool changed = kind == ZoomSteps::Kind::WheelX ? ZoomX(chart, display, 120, 0.8)
                                                         : ZoomY(chart, display, 120, 0.8);
    ASSERT_TRUE(changed);
    steps.Add(chart, before, kind, ms, display);
  };
  wheel(ZoomSteps::Kind::WheelX, 1000);
  wheel(ZoomSteps::Kind::WheelX, 1200);
  wheel(ZoomSteps::Kind::WheelX, 1450);  // each within 300 ms of the last
  EXPECT_EQ(ZoomStepCount(chart), 1);
  const auto afterBurst = ZoomState(chart);
  wheel(ZoomSteps::Kind::WheelX, 1900);  // a pause: a new step
  wheel(ZoomSteps::Kind::WheelY, 1950);  // another kind: a new step
  EXPECT_EQ(ZoomStepCount(chart), 3);
  const auto beforePan = ZoomState(chart);
  ASSERT_TRUE(Pan(chart, 0, 20, 0, false));
  steps.Add(chart, beforePan);
  wheel(ZoomSteps::Kind::WheelY, 1990);  // after another step: its own step
  EXPECT_EQ(ZoomStepCount(chart), 5);
  const auto beforeFull = ZoomState(chart);
  ASSERT_TRUE(ReleaseRanges(chart));
  steps.Add(chart, beforeFull);
  EXPECT_EQ(ZoomStepCount(chart), 6);

  for (int i = 0; i < 5; ++i) ASSERT_TRUE(steps.Back(chart));
  const auto state = ZoomState(chart);
  for (std::size_t i = 0; i < state.size(); ++i) EXPECT_EQ(state[i].xRange, afterBurst[i].xRange);
  ASSERT_TRUE(steps.Back(chart));
  EXPECT_FALSE(steps.Back(chart));
  const auto restored = ZoomState(chart);
  for (std::size_t i = 0; i < restored.size(); ++i) {
    EXPECT_EQ(restored[i].xRange, full[i].xRange);
    EXPECT_EQ(restored[i].yRange, full[i].yRange);
  }
}

}  // namespace
}  // namespace vantora::chart

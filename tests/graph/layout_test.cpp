// Layout of Strip Graph and Multi Y charts.
#include <gtest/gtest.h>

#include "graph/graphbuilder.h"
#include "graph/graphdocument.h"
#include "graph/test_support.h"

namespace vantora::graph {
namespace {

using chart::Rect;
using test::Location;
using test::Settings;
using test::ThreeChannels;

class LayoutTest : public ::testing::Test {
 protected:
  void Build(int mode, std::vector<int> ys, int legend = 1) {
    std::vector<float> row(20, 20.0f);
    vantora::test::LocationSpec spec;
    for (int c = 0; c < 20; ++c) spec.channels.push_back({"C" + std::to_string(c), 0, 0, 1, 6});
    spec.records = {{0, row}, {60, row}};
    Location loc(spec);
    auto s = Settings(mode, 0, ys);
    s.legend = legend;
    ASSERT_TRUE(doc.BuildGraph(&loc.log(), &s));
  }
  GraphDocument doc;
};

TEST_F(LayoutTest, StripOfThreePairsAt600x400) {
  Build(kModeStrip, {1, 2, 3});
  doc.LayoutGraph(600, 400);
  const auto& c = doc.GetGraph();
  const Rect rects[] = {{0, 0, 600, 147}, {0, 147, 600, 254}, {0, 254, 600, 401}};
  const Rect plots[] = {{60, 40, 567, 141}, {60, 153, 567, 248}, {60, 260, 567, 361}};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    EXPECT_TRUE(c.Display(i)->placed);
    EXPECT_EQ(c.Display(i)->rect, rects[i]);
    EXPECT_EQ(c.Display(i)->plotArea, plots[i]);
  }
}

TEST_F(LayoutTest, StripOfTwentyPairsNeverInverts) {
  std::vector<int> ys;
  for (int i = 1; i <= 20; ++i) ys.push_back(i);
  Build(kModeStrip, ys);
  for (auto [w, h] : {std::pair{800, 600}, {1600, 1000}, {200, 100}}) {
    doc.LayoutGraph(w, h);
    int y = 0;
    for (int i = 0; i < 20; ++i) {
      const auto* cd = doc.GetGraph().Display(i);
      EXPECT_EQ(cd->rect.top, y);
      y = cd->rect.bottom;
      EXPECT_LE(cd->plotArea.top, cd->plotArea.bottom);
      EXPECT_GE(cd->plotArea.top, cd->rect.top);
      EXPECT_LE(cd->plotArea.bottom, cd->rect.bottom);
    }
  }
}

TEST_F(LayoutTest, MultiYOfThreePairsAt800x600WithLegend) {
  Build(kModeMultiY, {1, 2, 3});
  doc.LayoutGraph(800, 600);
  const auto& c = doc.GetGraph();
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(c.Display(i)->placed);
    EXPECT_EQ(c.Display(i)->rect, (Rect{0, 0, 700, 480}));
    EXPECT_EQ(c.Display(i)->plotArea, (Rect{100, 75, 667, 405}));
  }
  auto* b1 = static_cast<chart::SRGScaleBar*>(c.FindByName("_KTRM_YAXIS_1"));
  auto* b2 = static_cast<chart::SRGScaleBar*>(c.FindByName("_KTRM_YAXIS_2"));
  ASSERT_TRUE(b1 && b2);
  EXPECT_EQ(b1->rect, (Rect{700, 0, 750, 480}));
  EXPECT_EQ(b2->rect, (Rect{750, 0, 800, 480}));
  EXPECT_EQ(b2->colour, (chart::Rgb{0, 0, 255}));
  ASSERT_TRUE(c.Legend());
  EXPECT_FALSE(c.Legend()->autoPosition);
  EXPECT_EQ(c.Legend()->rect, (Rect{0, 480, 800, 600}));

  // Small surfaces use d = 6.5; without the legend the chart takes the height.
  Build(kModeMultiY, {1, 2, 3}, 0);
  doc.LayoutGraph(650, 300);
  EXPECT_EQ(c.Display(0)->rect, (Rect{0, 0, 550, 300}));  // band 50, R 550
  EXPECT_EQ(c.Display(0)->plotArea, (Rect{100, 46, 517, 254}));
}

TEST_F(LayoutTest, MultiYOfTwentyPairsKeepsHalfTheWidth) {
  std::vector<int> ys;
  for (int i = 1; i <= 20; ++i) ys.push_back(i);
  Build(kModeMultiY, ys);
  doc.LayoutGraph(800, 600);
  const auto& c = doc.GetGraph();
  const Rect r = c.Display(0)->rect;
  EXPECT_GE(r.right, 400);
  EXPECT_FALSE(c.Display(0)->plotArea.IsEmpty());
  int left = r.right;
  for (int k = 1; k < 20; ++k) {
    auto* bar = static_cast<chart::SRGScaleBar*>(c.FindByName(ScaleBarName(k)));
    ASSERT_TRUE(bar);
    EXPECT_EQ(bar->rect.left, left);
    EXPECT_FALSE(bar->rect.IsEmpty());
    left = bar->rect.right;
  }
  EXPECT_EQ(left, 800);
}

TEST_F(LayoutTest, SingleYIsLeftToTheAutomaticLayout) {
  Build(kModeSingleY, {1, 2});
  // A position brought along (from a file) does not survive the layout.
  doc.GetGraph().Display(0)->placed = true;
  doc.LayoutGraph(800, 600);
  EXPECT_FALSE(doc.GetGraph().Display(0)->placed);
}

}  // namespace
}  // namespace vantora::graph

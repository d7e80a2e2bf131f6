// The graph builder: axis types, scale formats, the components of each mode
// and the readings it loads.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>

#include "chart/chartlayout.h"
#include "graph/graphbuilder.h"
#include "graph/graphchecks.h"
#include "graph/graphdocument.h"
#include "graph/test_support.h"
#include "support/largest.h"

namespace vantora::graph {
namespace {

using chart::ComponentKind;
using chart::Side;
using test::Location;
using test::Settings;
using test::ThreeChannels;

TEST(GraphTables, AxisTypesFormatsNamesColours) {
  EXPECT_EQ(AxisTypeOf(1, 2), 0x0F);
  EXPECT_EQ(AxisTypeOf(0, 2), 0x1A);
  EXPECT_EQ(AxisTypeOf(3, 0), 0x1B);
  EXPECT_EQ(AxisTypeOf(0, 0), 0x17);

  EXPECT_EQ(ChannelScaleFormat(0), "%2.0f");
  EXPECT_EQ(ChannelScaleFormat(1), "%3.1f");
  EXPECT_EQ(ChannelScaleFormat(2), "%4.2f");
  EXPECT_EQ(ChannelScaleFormat(203), "%#3.3g");
  EXPECT_EQ(ChannelScaleFormat(204), "%#4.4g");
  // Bounded: never more than 9 decimals or 1 to 15 significant digits.
  EXPECT_EQ(ChannelScaleFormat(150), "%11.9f");
  EXPECT_EQ(ChannelScaleFormat(199), "%11.9f");
  EXPECT_EQ(ChannelScaleFormat(200), "%#1.1g");
  EXPECT_EQ(ChannelScaleFormat(255), "%#15.15g");
  EXPECT_EQ(ChannelScaleFormat(-3), "%2.0f");

  EXPECT_EQ(ScaleBarName(2), "_KTRM_YAXIS_2");
  EXPECT_EQ(ScaleBarName(19), "_KTRM_YAXIS_19");
  EXPECT_EQ(SeriesColour(1), (chart::Rgb{0, 128, 0}));
  EXPECT_EQ(SeriesColour(9), (chart::Rgb{255, 128, 0}));
  EXPECT_EQ(SeriesColour(16 + 15), (chart::Rgb{255, 255, 0}));
}

class BuilderTest : public ::testing::Test {
 protected:
  int Build(const vantora::test::LocationSpec& spec, const GraphSettings& s) {
    Location loc(spec);
    int omitted = -1;
    EXPECT_TRUE(doc.BuildGraph(&loc.log(), &s, &omitted));
    return omitted;
  }
  chart::SRGraph& chart() { return doc.GetGraph(); }
  GraphDocument doc;
};

TEST_F(BuilderTest, AReadingThatIsNotPlottableLeavesOutItsOwnPointOnly) {
  auto spec = ThreeChannels({{20.0f, 50.0f, 1.0f},
                             {21.0f, 1000001.0f, 1.0f},    // one Y reading too high
                             {-150.0f, 2000000.0f, 1.0f},  // two readings of one record
                             {-100.0f, 1000000.0f, 1.0f},  // both bounds plot
                             {-700000.0f, 40.0f, 1.0f}});  // N/A temperature
  // Points, not records, are counted.
  EXPECT_EQ(Build(spec, Settings(kModeMultiY, 0, {1, 2})), 4);
  ASSERT_EQ(chart().GroupCount(), 4);
  // Every record keeps its row in every group.
  for (int g = 0; g < 4; ++g) EXPECT_EQ(chart().ItemCount(g), 5) << g;
  const auto point = [&](int k, int i) {
    return std::make_pair(chart().Value(i, 2 * k), chart().Value(i, 2 * k + 1));
  };
  // The N/A temperature leaves the humidity of its record plotted ...
  EXPECT_EQ(point(1, 4), std::make_pair(chart::OleDate(2026, 6, 1, 9, 4, 0), 40.0));
  EXPECT_EQ(point(0, 1).second, 21.0);
  EXPECT_EQ(point(0, 3).second, -100.0);
  EXPECT_EQ(point(1, 3).second, 1000000.0);
  // ... and is left out of its own pair in both groups.
  for (auto [k, i] : {std::pair{0, 2}, {0, 4}, {1, 1}, {1, 2}}) {
    EXPECT_TRUE(std::isnan(point(k, i).first) && std::isnan(point(k, i).second)) << k << i;
  }
  EXPECT_EQ(chart().SummaryOf(0).points, 3u);
  EXPECT_EQ(chart().SummaryOf(2).points, 3u);
  // How each left-out point read.
  EXPECT_EQ(chart().MarkAt(0, 4), chart::PointMark::NotAvailable);
  EXPECT_EQ(chart().MarkAt(0, 2), chart::PointMark::OutOfRange);
  EXPECT_EQ(chart().MarkAt(1, 1), chart::PointMark::OutOfRange);
  EXPECT_EQ(chart().MarkAt(0, 1), chart::PointMark::None);
  EXPECT_EQ(chart().Series(0).unit,
            "\xB0"
            "C");
  EXPECT_EQ(chart().Series(1).decimals, 0);
}

TEST_F(BuilderTest, XAndYBoundsDiffer) {
  auto spec = ThreeChannels({{20.0f, 50.0f, 20000.0f}, {21.0f, 51.0f, 10000.0f}});
  // 20,000 on X is left out ...
  EXPECT_EQ(Build(spec, Settings(kModeSingleY, 3, {1})), 1);
  EXPECT_EQ(chart().SummaryOf(0).points, 1u);
  EXPECT_EQ(chart().Value(1, 0), 10000.0);
  // ... and plotted on Y.
  EXPECT_EQ(Build(spec, Settings(kModeSingleY, 1, {3})), 0);
  EXPECT_EQ(chart().ItemCount(1), 2);
  EXPECT_EQ(chart().Value(0, 1), 20000.0);
}

TEST_F(BuilderTest, LinesOverTimeBreakAtGapsLongerThanTwiceTheInterval) {
  vantora::test::LocationSpec spec;
  spec.channels = {{"Temp", 0, 0, 1, 6}, {"RH", 1, 3, 0, 5}};
  // A minute apart, then a gap of 2 minutes (joined) and one of 3 (broken).
  for (std::uint32_t t : {0u, 60u, 120u, 180u, 300u, 360u, 540u, 600u})
    spec.records.push_back({t, {20.0f, 50.0f}});
  EXPECT_EQ(Build(spec, Settings(kModeSingleY, 0, {1, 2})), 0);
  EXPECT_EQ(chart().Series(0).breaks, std::vector<int>{6});
  EXPECT_EQ(chart().Series(1).breaks, std::vector<int>{6});
  // Against a channel on X the readings are not a line over time.
  Build(spec, Settings(kModeSingleY, 2, {1}));
  EXPECT_TRUE(chart().Series(0).breaks.empty());
}

TEST_F(BuilderTest, ALocationWithoutAPlottableReadingHasNothingToGraph) {
  Location na(ThreeChannels({{-999999.0f, 50.0f, 1.0f}, {-999999.0f, -300.0f, 2.0f}}));
  EXPECT_FALSE(HasReadingsToGraph(na.log(), Settings(kModeSingleY, 0, {1})));
  // Humidity plots, but not against the temperature on X.
  EXPECT_FALSE(HasReadingsToGraph(na.log(), Settings(kModeSingleY, 1, {2})));
  EXPECT_TRUE(HasReadingsToGraph(na.log(), Settings(kModeSingleY, 0, {1, 2, 3})));
  Location empty(ThreeChannels({}));
  EXPECT_FALSE(HasReadingsToGraph(empty.log(), Settings(kModeSingleY, 0, {1})));
  EXPECT_EQ(NoReadingsText("Room 4"), "Room 4 has no readings to graph.");
}

TEST_F(BuilderTest, TimesAreLocalWallClockAcrossTheFallBack) {
  // Europe/Berlin leaves summer time at 03:00 on 25-Oct-2026: 01:30, then
  // 02:30 summer time, then 02:30 winter time.
  vantora::test::LocationSpec spec;
  spec.day = 25, spec.month = 10, spec.hour = 1, spec.minute = 30;
  spec.channels = {{"Temp", 0, 0, 1, 6}};
  spec.records = {{0, {20.0f}}, {3600, {21.0f}}, {7200, {22.0f}}};
  EXPECT_EQ(Build(spec, Settings(kModeSingleY, 0, {1})), 0);
  ASSERT_EQ(chart().ItemCount(0), 3);
  EXPECT_EQ(chart().Value(0, 0), chart::OleDate(2026, 10, 25, 1, 30, 0));
  EXPECT_EQ(chart().Value(1, 0), chart::OleDate(2026, 10, 25, 2, 30, 0));
  EXPECT_EQ(chart().Value(2, 0), chart::OleDate(2026, 10, 25, 2, 30, 0));
}

TEST_F(BuilderTest, EmptyGraphKeepsBothGroupsOfEveryPairAndStyles) {
  auto spec = ThreeChannels({{2e6f, 50.0f, 1.0f}});
  auto s = Settings(kModeStrip, 0, {1, 2, 3});
  s.lines = false;
  s.markers = true;
  EXPECT_EQ(Build(spec, s), 1);
  EXPECT_EQ(chart().GroupCount(), 6);
  EXPECT_EQ(chart().SummaryOf(0).points, 0u);
  for (int g = 0; g < 6; ++g) {
    auto st = chart().StyleAt(0, g);
    EXPECT_FALSE(st.lines);
    EXPECT_TRUE(st.markers);
  }
  EXPECT_EQ(doc.settings.axisCount, 4);
  EXPECT_EQ(chart().pairs, (std::vector<std::pair<int, int>>{{0, 1}, {0, 2}, {0, 3}}));
}

TEST_F(BuilderTest, PairsStopAtAReferenceTheLocationLacks) {
  auto spec = ThreeChannels({{20.0f, 50.0f, 1.0f}});
  auto s = Settings(kModeMultiY, 0, {1, 9, 2});
  EXPECT_EQ(Build(spec, s), 0);
  EXPECT_EQ(chart().pairs.size(), 1u);
  EXPECT_EQ(chart().GroupCount(), 2);
  EXPECT_EQ(doc.settings.axisCount, 2);  // what the chart holds
  EXPECT_FALSE(doc.BuildGraph(nullptr, &s));
}

TEST_F(BuilderTest, SingleYComponents) {
  auto spec = ThreeChannels({{20.0f, 50.0f, 1.0f}});
  Build(spec, Settings(kModeSingleY, 0, {1, 2}));
  ASSERT_EQ(chart().Count(ComponentKind::CompoundDisplay), 1);
  auto* cd = chart().Display(0);
  ASSERT_TRUE(cd->xScale && cd->yScale && cd->xScale2 && cd->xTicks2 && cd->xGrid && cd->yGrid);
  EXPECT_EQ(cd->xScale->Kind(), ComponentKind::DateScale);
  EXPECT_EQ(cd->xScale->format, " %H:%M:%S ");
  EXPECT_EQ(cd->xScale->fontSize, 9);
  EXPECT_EQ(cd->yScale->Kind(), ComponentKind::DecimalScale);
  EXPECT_EQ(cd->yScale->format, "%3.1f");
  EXPECT_EQ(cd->xScale2->Kind(), ComponentKind::DateScale);
  EXPECT_EQ(cd->xScale2->format, " %d-%b-%y ");
  EXPECT_EQ(cd->xScale2->stepDays, 1);
  EXPECT_EQ(cd->xScale2->fontSize, 8);
  EXPECT_TRUE(cd->xScale2->labelsFarSide);
  EXPECT_EQ(cd->display->axisType, 0x1A);
  EXPECT_EQ(cd->display->firstGroup, 0);
  EXPECT_EQ(cd->display->lastGroup, -1);
  EXPECT_TRUE(cd->labels.empty());

  ASSERT_EQ(chart().Count(ComponentKind::Label), 4);
  struct Want {
    Side side;
    const char* text;
    int font;
    bool rotated;
  } want[] = {{Side::Left,
               "\xB0"
               "C, %RH",
               9, true},
              {Side::Bottom, "Time (H:M:S) ", 9, false},
              {Side::Top, "Site1\\Loc1", 16, false},
              {Side::Right, " ", 24, false}};
  for (int i = 0; i < 4; ++i) {
    auto* l = static_cast<chart::SRGraphLabel*>(chart().Find(ComponentKind::Label, i));
    EXPECT_EQ(l->side, want[i].side);
    EXPECT_EQ(l->text, want[i].text);
    EXPECT_EQ(l->fontSize, want[i].font);
    EXPECT_EQ(l->rotated, want[i].rotated);
  }
  // A legend in every mode when the settings ask for one.
  ASSERT_TRUE(chart().Legend());
  EXPECT_EQ(chart().Legend()->lastGroup, 3);
  EXPECT_EQ(chart().Annotation(3), "RH");
  // One channel: its name and unit.
  auto one = Settings(kModeSingleY, 0, {2});
  one.legend = 0;
  Build(spec, one);
  EXPECT_EQ(static_cast<chart::SRGraphLabel*>(chart().Find(ComponentKind::Label, 0))->text,
            "RH (%RH)");
  EXPECT_EQ(chart().Legend(), nullptr);
}

TEST_F(BuilderTest, SingleYDateLineOnlyForTimeOnXAndTimeOnBothAxes) {
  auto spec = ThreeChannels({{20.0f, 50.0f, 1.0f}});
  auto s = Settings(kModeSingleY, 0, {0});
  s.showTitle = s.xLabels = s.yLabels = s.xGrid = false;
  Build(spec, s);
  auto* cd = chart().Display(0);
  EXPECT_EQ(cd->display->axisType, 0x17);
  EXPECT_EQ(cd->yScale->format, "%H:%M:%S");
  EXPECT_TRUE(cd->xScale2);
  EXPECT_FALSE(cd->xGrid);
  EXPECT_TRUE(cd->yGrid);
  EXPECT_EQ(chart().Count(ComponentKind::Label), 1);  // the blank on the right

  s.dateOnX = false;
  Build(spec, s);
  EXPECT_FALSE(chart().Display(0)->xScale2);
  Build(spec, Settings(kModeSingleY, 2, {1}));
  EXPECT_FALSE(chart().Display(0)->xScale2);
  EXPECT_EQ(chart().Display(0)->xScale->format, "%2.0f");
}

TEST_F(BuilderTest, MultiYComponents) {
  auto spec = ThreeChannels({{20.0f, 50.0f, 1.0f}});
  Build(spec, Settings(kModeMultiY, 0, {1, 2, 3}));
  ASSERT_EQ(chart().Count(ComponentKind::CompoundDisplay), 3);
  auto* d0 = chart().Display(0);
  EXPECT_TRUE(d0->xScale && d0->xScale2 && d0->yScale && d0->xGrid && d0->yGrid);
  EXPECT_FALSE(d0->transparent);
  EXPECT_EQ(d0->yScale->fontSize, 9);
  ASSERT_EQ(d0->labels.size(), 3u);
  EXPECT_EQ(d0->labels[0].side, Side::Bottom);
  EXPECT_EQ(d0->labels[0].text, "Time (H:M:S) ");
  EXPECT_EQ(d0->labels[1].side, Side::Left);
  EXPECT_EQ(d0->labels[1].text, "\n");
  EXPECT_EQ(d0->labels[2].side, Side::Top);
  EXPECT_EQ(chart().Count(ComponentKind::Label), 0);

  for (int k = 0; k < 3; ++k) {
    auto* cd = chart().Display(k);
    EXPECT_EQ(cd->display->firstGroup, 2 * k);
    EXPECT_EQ(cd->display->lastGroup, 2 * k + 1);
    EXPECT_EQ(cd->display->axisType, 0x1A);
    if (k == 0) continue;
    EXPECT_TRUE(cd->transparent && cd->display->transparent);
    EXPECT_FALSE(cd->xScale || cd->xScale2 || cd->yScale || cd->xGrid || cd->yGrid);
    EXPECT_TRUE(cd->labels.empty());
    auto* bar = dynamic_cast<chart::SRGScaleBar*>(chart().FindByName(ScaleBarName(k)));
    ASSERT_TRUE(bar);
    EXPECT_EQ(bar->boundDisplay, k);
    EXPECT_EQ(bar->colour, SeriesColour(k));
    EXPECT_EQ(bar->scale.fontSize, 9);
    EXPECT_TRUE(bar->scale.labelsFarSide);
    EXPECT_EQ(bar->scale.format, k == 1 ? "%2.0f" : "%4.2f");
    // The bar names its channel: short name over unit.
    EXPECT_EQ(bar->scale.title, k == 1 ? "RH\n%RH" : "Vol Flow\nppm");
  }
  EXPECT_EQ(chart().Count(ComponentKind::ScaleBar), 2);
  EXPECT_EQ(chart().Annotation(2), "RH");
  EXPECT_EQ(chart().Annotation(3), "RH");
  EXPECT_EQ(chart().Annotation(5), "Flow");
  auto* legend = chart().Legend();
  ASSERT_TRUE(legend);
  EXPECT_TRUE(legend->autoPosition);
  EXPECT_EQ(legend->firstGroup, 0);
  EXPECT_EQ(legend->lastGroup, 5);
  EXPECT_EQ(legend->key, chart::LegendKey::Box);

  auto s = Settings(kModeMultiY, 0, {1, 2});
  s.markers = true;
  Build(spec, s);
  EXPECT_EQ(chart().Legend()->key, chart::LegendKey::Marker);
  s.legend = 0;
  Build(spec, s);
  EXPECT_EQ(chart().Legend(), nullptr);
}

TEST_F(BuilderTest, StripComponents) {
  auto spec = ThreeChannels({{20.0f, 50.0f, 1.0f}});
  Build(spec, Settings(kModeStrip, 0, {1, 2, 0}));
  ASSERT_EQ(chart().Count(ComponentKind::CompoundDisplay), 3);
  for (int k = 0; k < 3; ++k) {
    auto* cd = chart().Display(k);
    SCOPED_TRACE(k);
    EXPECT_EQ(cd->xScale2 != nullptr, k == 0);  // date line on the first strip only
    EXPECT_EQ(cd->xScale->format, k == 2 ? " %H:%M:%S " : " ");
    EXPECT_EQ(cd->xScale->fontSize, 8);
    EXPECT_EQ(cd->yScale->fontSize, 8);
    EXPECT_TRUE(cd->xGrid && cd->yGrid);
    EXPECT_EQ(cd->display->firstGroup, 2 * k);
    bool top = false, bottom = false;
    for (const auto& l : cd->labels) {
      top |= l.side == Side::Top;
      bottom |= l.side == Side::Bottom;
    }
    EXPECT_EQ(top, k == 0);
    EXPECT_EQ(bottom, k == 2);
  }
  const auto& l0 = chart().Display(0)->labels;
  ASSERT_GE(l0.size(), 2u);
  EXPECT_EQ(l0[0].text, "Temp");
  EXPECT_TRUE(l0[0].rotated);
  EXPECT_EQ(l0[1].side, Side::Right);
  EXPECT_EQ(l0[1].text,
            "\xB0"
            "C");
  EXPECT_EQ(chart().Display(1)->labels[0].text, "RH");
  EXPECT_EQ(chart().Display(1)->labels[1].text, "%RH");
  EXPECT_EQ(chart().Display(2)->labels[0].text, "Time (H:M:S) ");
  EXPECT_EQ(chart().Display(2)->yScale->format, " %H:%M:%S ");
  EXPECT_EQ(chart().Display(2)->display->axisType, 0x17);
}

TEST(GraphChecks, TimeAfterTheFirstYUnitsAndOneYInMultiModes) {
  Location loc(ThreeChannels({{20.0f, 50.0f, 1.0f}}));
  auto c = CheckGraphSettings(loc.log(), Settings(kModeSingleY, 0, {1, 0}));
  EXPECT_TRUE(c.timeNotPrimary);
  c = CheckGraphSettings(loc.log(), Settings(kModeSingleY, 0, {0, 1}));
  EXPECT_FALSE(c.timeNotPrimary);
  EXPECT_FALSE(c.mixedUnits);  // time counts as unit 0, like the Temp channel
  EXPECT_TRUE(CheckGraphSettings(loc.log(), Settings(kModeSingleY, 0, {0, 2})).mixedUnits);
  c = CheckGraphSettings(loc.log(), Settings(kModeSingleY, 0, {1, 2}));
  EXPECT_TRUE(c.mixedUnits);
  EXPECT_FALSE(c.singleYMultiMode);
  c = CheckGraphSettings(loc.log(), Settings(kModeMultiY, 0, {1, 2}));
  EXPECT_FALSE(c.mixedUnits || c.singleYMultiMode || c.timeNotPrimary);
  c = CheckGraphSettings(loc.log(), Settings(kModeStrip, 0, {2}));
  EXPECT_TRUE(c.singleYMultiMode);
  c = CheckGraphSettings(loc.log(), Settings(kModeSingleY, 0, {2}));
  EXPECT_FALSE(c.singleYMultiMode || c.mixedUnits);
}

TEST(GraphSettingsTest, DefaultsCopyAndPairs) {
  GraphSettings d;
  EXPECT_TRUE(d.dateOnX && d.showTitle && d.xGrid && d.yGrid && d.lines && d.yLabels && d.xLabels);
  EXPECT_FALSE(d.markers);
  EXPECT_EQ(d.legend, 1);
  EXPECT_EQ(d.mode, kModeSingleY);
  EXPECT_EQ(d.titleFontSize, 16);
  auto s = Settings(kModeStrip, 0, {3, 1});
  s.titleFontSize = 30;
  d.Copy(s);
  EXPECT_EQ(d.titleFontSize, 16);
  EXPECT_EQ(d.mode, kModeStrip);
  EXPECT_EQ(d.title, s.title);
  EXPECT_EQ(d.AxisPair(1), (std::pair<int, int>{0, 1}));
  EXPECT_EQ(d.AxisPair(2), (std::pair<int, int>{-1, -1}));
  EXPECT_EQ(d.AxisPair(-1), (std::pair<int, int>{-1, -1}));
}

TEST(GraphBuildSpeed, LargestLocationInEveryMode) {
  vantora::test::TempDir dir;
  const std::string path = dir.File("Big.loc");
  vantora::test::WriteLargestLocation(path);
  CLogFile log(path);
  std::vector<int> all;
  for (int c = 1; c <= 20; ++c) all.push_back(c);
  for (int mode : {kModeSingleY, kModeMultiY, kModeStrip}) {
    GraphDocument doc;
    auto s = Settings(mode, 0, all);
    const auto t0 = std::chrono::steady_clock::now();
    int omitted = 0;
    ASSERT_TRUE(doc.BuildGraph(&log, &s, &omitted));
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    EXPECT_EQ(doc.GetGraph().GroupCount(), 40);
    // Records r with r mod 997 below 20 hold one N/A reading each, in
    // channel r mod 997: 66 points of each channel are left out.
    EXPECT_EQ(omitted, 66 * 20);
    EXPECT_EQ(doc.GetGraph().ItemCount(39), 65535);
    EXPECT_EQ(doc.GetGraph().SummaryOf(38).points, 65535u - 66);
    // The time it took is for reading, not for judging (bench_graph does).
    RecordProperty("ms_mode_" + std::to_string(mode), static_cast<int>(ms));
  }
}

}  // namespace
}  // namespace vantora::graph

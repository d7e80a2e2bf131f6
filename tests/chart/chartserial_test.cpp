#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "chart/srgraph.h"

namespace vantora::chart {
namespace {

void BuildRichChart(SRGraph& chart) {
  auto* title = chart.AddNew<SRGraphLabel>();
  title->text = "Office \xB5g/m\xB3";
  title->fontSize = 16;
  title->side = Side::Top;
  for (int k = 0; k < 2; ++k) {
    auto* d = chart.AddNew<SRGCompoundDisplay>();
    d->name = "display" + std::to_string(k);
    d->placed = k == 1;
    d->rect = {0, 0, 700, 480};
    d->plotArea = {100, 75, 667, 405};
    d->transparent = k == 1;
    d->xScale = std::make_unique<SRGDateScale>();
    d->xScale->format = " %H:%M:%S ";
    d->xScale2 = std::make_unique<SRGDateScale>();
    d->xScale2->format = " %d-%b-%y ";
    d->xScale2->stepDays = 1;
    d->xScale2->labelsFarSide = true;
    d->xScale2->fontSize = 8;
    d->yScale = std::make_unique<SRGDecimalScale>();
    d->yScale->format = "%#4.4g";
    d->yScale->orientation = Orientation::Vertical;
    d->xTicks = std::make_unique<SRGTickMarks>();
    d->yTicks = std::make_unique<SRGTickMarks>();
    d->yTicks->visible = false;
    d->xGrid = std::make_unique<SRGGridLines>();
    d->xGrid->colour = {1, 2, 3};
    d->display = std::make_unique<SRGraphDisplay>();
    d->display->axisType = kAxisDateOnX;
    d->display->firstGroup = 2 * k;
    d->display->lastGroup = 2 * k + 1;
    d->display->yRange = {true, -5.5, 1e6};
    SRGraphLabel side;
    side.text = "\n";
    side.side = Side::Left;
    side.rotated = true;
    side.rect = {3, 4, 20, 400};
    d->labels.push_back(side);
  }
  auto* bar = chart.AddNew<SRGScaleBar>();
  bar->name = "_KTRM_YAXIS_1";
  bar->scale.format = "%3.1f";
  bar->scale.labelsFarSide = true;
  bar->boundDisplay = 1;
  bar->colour = SeriesColour(1);
  bar->rect = {700, 0, 750, 480};
  bar->scale.title = "RH\n%RH";
  auto* legend = chart.AddNew<SRGraphLegend>();
  legend->autoPosition = false;
  legend->rect = {0, 480, 800, 600};
  legend->lastGroup = 3;
  legend->key = LegendKey::Marker;
  for (int i = 0; i < 50; ++i) {
    chart.SetValue(i, 0, 46000 + i / 1440.0);
    if (i % 7) chart.SetValue(i, 1, 20.0 + i * 0.1);
    chart.SetValue(i, 2, -1e300 * i);
    chart.SetValue(i, 3, std::numeric_limits<double>::infinity());
  }
  chart.SetAnnotation(1, "Temp");
  chart.SetAnnotation(4, "empty group");
  chart.ApplyStyle(0, 1, 0, -1, true, false);
  chart.ApplyStyle(2, 3, 5, 9, false, true);
  chart.pairs = {{0, 1}, {0, 3}};
  SRGZoom zoom;
  zoom.display = 1;
  zoom.xRange = {true, 46000, 46001};
  zoom.plotArea = {1, 2, 3, 4};
  chart.zoomHistory.push_back(zoom);
  SeriesInfo info;
  info.unit =
      "\xB0"
      "C";
  info.decimals = 1;
  info.breaks = {3, 40};
  info.marks = {{7, PointMark::NotAvailable}, {14, PointMark::OverRange}};
  chart.SetSeries(0, info);
  chart.SetSeriesHidden(1, true);
  chart.limitLines.push_back({0, "high", 26,
                              "\xB0"
                              "C",
                              "High 26 \xB0"
                              "C"});
  chart.limitLines.push_back({1, "TWA8", 35.5, "ppm", "TWA 8 h 35.5 ppm"});
}

std::string Serialized(const SRGraph& chart) {
  std::string out;
  SerializeChart(chart, out);
  return out;
}

bool Read(const std::string& bytes, SRGraph& chart, std::size_t& used, std::string& error) {
  return DeserializeChart(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), chart,
                          used, error);
}

TEST(ChartSerial, RoundTripGivesIdenticalBytes) {
  SRGraph chart;
  BuildRichChart(chart);
  const std::string bytes = Serialized(chart);
  ASSERT_EQ(bytes.substr(0, 8), std::string("VGCH\x02\0\0\0", 8));

  SRGraph back;
  std::size_t used = 0;
  std::string error;
  ASSERT_TRUE(Read(bytes + "trailing", back, used, error)) << error;
  EXPECT_EQ(used, bytes.size());
  EXPECT_EQ(Serialized(back), bytes);

  // Spot checks that the fields really came back.
  ASSERT_EQ(back.Count(ComponentKind::CompoundDisplay), 2);
  const SRGCompoundDisplay* d = back.Display(1);
  EXPECT_TRUE(d->placed);
  EXPECT_EQ(d->plotArea, (Rect{100, 75, 667, 405}));
  EXPECT_EQ(d->xScale2->Kind(), ComponentKind::DateScale);
  EXPECT_EQ(d->yScale->Kind(), ComponentKind::DecimalScale);
  EXPECT_EQ(d->xTicks2, nullptr);
  EXPECT_FALSE(d->yTicks->visible);
  EXPECT_EQ(d->display->yRange, (AxisRange{true, -5.5, 1e6}));
  EXPECT_EQ(d->labels.at(0).side, Side::Left);
  EXPECT_EQ(back.FindByName("_KTRM_YAXIS_1")->Kind(), ComponentKind::ScaleBar);
  EXPECT_EQ(back.Legend()->key, LegendKey::Marker);
  EXPECT_EQ(back.GroupCount(), 5);
  EXPECT_TRUE(std::isnan(back.Value(0, 1)));
  EXPECT_EQ(back.Value(1, 1), 20.1);
  EXPECT_EQ(back.Annotation(4), "empty group");
  EXPECT_TRUE(back.StyleAt(6, 3).markers);
  EXPECT_EQ(back.pairs, chart.pairs);
  EXPECT_EQ(back.zoomHistory.at(0).xRange, (AxisRange{true, 46000, 46001}));
  EXPECT_EQ(back.Series(0), chart.Series(0));
  EXPECT_EQ(back.MarkAt(0, 14), PointMark::OverRange);
  EXPECT_FALSE(back.SeriesHidden(0));
  EXPECT_TRUE(back.SeriesHidden(1));
  EXPECT_EQ(back.limitLines, chart.limitLines);
  EXPECT_EQ(static_cast<const SRGScaleBar*>(back.FindByName("_KTRM_YAXIS_1"))->scale.title,
            "RH\n%RH");

  // An empty chart, too.
  SRGraph empty;
  ASSERT_TRUE(Read(Serialized(empty), back, used, error)) << error;
  EXPECT_EQ(back.Components().size(), 0u);
  EXPECT_EQ(back.GroupCount(), 0);
}

TEST(ChartSerial, EveryTruncationFailsAndLeavesTheChartEmpty) {
  SRGraph chart;
  BuildRichChart(chart);
  const std::string bytes = Serialized(chart);
  for (std::size_t n = 0; n < bytes.size(); ++n) {
    SRGraph back;
    back.SetValue(0, 0, 1);
    std::size_t used = 99;
    std::string error;
    ASSERT_FALSE(Read(bytes.substr(0, n), back, used, error)) << n;
    EXPECT_NE(error.find("cut short"), std::string::npos) << n << ": " << error;
    EXPECT_EQ(used, 0u);
    EXPECT_EQ(back.GroupCount(), 0);
    EXPECT_TRUE(back.Components().empty());
  }
}

TEST(ChartSerial, CorruptBytesFailOrReadBackCanonically) {
  SRGraph chart;
  BuildRichChart(chart);
  const std::string bytes = Serialized(chart);
  int accepted = 0;
  for (std::size_t i = 8; i < bytes.size(); ++i) {
    for (char c : {'\xFF', '\x02', '\x25'}) {
      std::string bad = bytes;
      if (bad[i] == c) continue;
      bad[i] = c;
      SRGraph back;
      std::size_t used = 0;
      std::string error;
      if (Read(bad, back, used, error)) {
        // Whatever is accepted is exactly what writing it gives.
        ++accepted;
        EXPECT_EQ(Serialized(back), bad.substr(0, used)) << i;
      } else {
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(back.GroupCount(), 0);
      }
    }
  }
  EXPECT_GT(accepted, 0);
}

// A blob of the header, then the given little-endian words.
std::string Blob(std::initializer_list<std::uint32_t> words, std::uint32_t version = 1) {
  std::string s = "VGCH";
  auto put = [&s](std::uint32_t v) {
    for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>(v >> (8 * i)));
  };
  put(version);
  for (auto w : words) put(w);
  return s;
}

// Little-endian words.
std::string Words(std::initializer_list<std::uint32_t> words) {
  std::string s;
  for (std::uint32_t v : words)
    for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>(v >> (8 * i)));
  return s;
}

TEST(ChartSerial, HostileAndForeignDataFailCleanly) {
  // No components, two empty groups, no styles, pairs or zoom entries.
  const std::initializer_list<std::uint32_t> v2 = {0, 2, 0, 0, 0, 0, 0, 0, 0};
  // A series: not hidden, no unit, decimals 0, then the words given (break
  // count and breaks, mark count ...).
  const auto series = [](std::initializer_list<std::uint32_t> rest) {
    return std::string(1, '\0') + Words({0, 0}) + Words(rest);
  };
  struct Case {
    std::string bytes;
    std::string error;
  };
  std::string badKind = Blob({1});
  badKind.push_back(37);
  badKind.append(4, '\0');
  std::string badSide = Blob({1});
  badSide.push_back(8);  // a label
  badSide.append(std::string("\0\0\0\0\0\0\0\0\x09\0\0\0\0\x07", 14));
  badSide.append(16, '\0');
  const Case cases[] = {
      {Blob({0xFFFFFFFF}), "cut short"},              // components
      {Blob({0, 0xFFFFFFFF}), "cut short"},           // data groups
      {Blob({0, 1, 0xFFFFFFFF, 0, 0}), "cut short"},  // values of a group
      {Blob({0, 1, 0, 0xFFFFFFFF}), "cut short"},     // annotation length
      {Blob({0, 0, 0xFFFFFFFF}), "cut short"},        // styles
      {Blob({0, 0, 0, 0xFFFFFFFF}), "cut short"},     // pairs
      {Blob({0, 0, 0, 0, 0xFFFFFFFF}), "cut short"},  // zoom entries
      {Blob({0, 0, 0, 0, 0}, 3), "unsupported chart data version 3"},
      {Blob({0, 0, 0, 0, 0}, 0), "unsupported chart data version 0"},
      // Version 2: two groups make one series, described after the zoom
      // history; then the limit lines.
      {Blob(v2, 2) + Words({0}), "describes 0 series of 1"},
      {Blob(v2, 2) + Words({1}) + series({0xFFFFFFFF}), "cut short"},
      {Blob(v2, 2) + Words({1}) + series({2, 5, 3, 0}), "line breaks out of order"},
      {Blob(v2, 2) + Words({1}) + series({0, 1, 4}) + '\x07', "unknown point mark 7"},
      {Blob(v2, 2) + Words({1}) + series({0, 0, 0xFFFFFFFF}), "cut short"},
      {"VGCX" + Blob({0, 0, 0, 0, 0}).substr(4), "not chart data"},
      {badKind, "unknown component kind 37"},
      {badSide, "unknown label side 7"},
  };
  for (const auto& c : cases) {
    SRGraph chart;
    std::size_t used = 0;
    std::string error;
    EXPECT_FALSE(Read(c.bytes, chart, used, error));
    EXPECT_NE(error.find(c.error), std::string::npos) << error;
    EXPECT_EQ(chart.GroupCount(), 0);
  }
  // The same layout with sane counts is accepted, so the cases above fail
  // for the reason they test.
  SRGraph chart;
  std::size_t used = 0;
  std::string error;
  EXPECT_TRUE(Read(Blob({0, 1, 0, 0, 0, 0, 0}), chart, used, error)) << error;
  EXPECT_EQ(chart.GroupCount(), 1);
  EXPECT_TRUE(Read(Blob(v2, 2) + Words({1}) + series({0, 0}) + Words({0}), chart, used, error))
      << error;
  EXPECT_EQ(chart.SeriesCount(), 1);
}

}  // namespace
}  // namespace vantora::chart

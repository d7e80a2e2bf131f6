// Comparing one channel across locations, and limit lines of a graph.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "chart/chartlayout.h"
#include "exposure/limits.h"
#include "graph/graphbuilder.h"
#include "graph/graphcompare.h"
#include "graph/test_support.h"
#include "model/vocabulary.h"

namespace vantora::graph {
namespace {

using test::Location;
using test::Settings;
using test::ThreeChannels;
using vantora::test::LocationSpec;

// A location of one channel (name, parameter, unit), a reading a minute
// from `hour` o'clock.
class OneChannel {
 public:
  OneChannel(const char* file, const char* name, int param, int unit, int hour,
             std::vector<float> values) {
    LocationSpec spec;
    spec.hour = hour;
    spec.channels = {{"Other", 1, 3, 0, 5}, {name, param, unit, 1, 6}};
    std::uint32_t t = 0;
    for (float v : values) {
      spec.records.push_back({t, {50.0f, v}});
      t += 60;
    }
    const std::string path = dir_.File(file);
    vantora::test::WriteBytes(path, vantora::test::LocationBytes(spec));
    log_ = std::make_unique<CLogFile>(path);
  }
  const CLogData* log() const { return log_.get(); }

 private:
  vantora::test::TempDir dir_;
  std::unique_ptr<CLogFile> log_;
};

TEST(Compare, OneSeriesPerLocationOverTimeOrElapsedHours) {
  OneChannel a("Room A.loc", "Temperature", 0, 0, 9, {20, 21, 22});
  OneChannel b("Room B.loc", "Room temp", 0, 1, 14, {68, -999999, 77});  // degrees F
  OneChannel c("Store.loc", "CO2", 4, 4, 9, {400});
  CompareOptions options;
  options.channel = "temp";  // Room A by the parameter's short name, Room B too
  GraphDocument doc;
  CompareOutcome out = BuildCompare(doc, {{a.log(), ""}, {c.log(), ""}, {b.log(), ""}}, options);
  ASSERT_TRUE(out.built) << out.error;
  EXPECT_EQ(out.leftOut, std::vector<std::string>{"Store has no channel temp."});
  EXPECT_EQ(out.title, "Compare: Temperature");
  EXPECT_EQ(out.omitted, 1);
  const chart::SRGraph& g = doc.GetGraph();
  ASSERT_EQ(g.SeriesCount(), 2);
  EXPECT_EQ(g.Annotation(1), "Room A");
  EXPECT_EQ(g.Annotation(3), "Room B");
  EXPECT_EQ(doc.settings.mode, kModeSingleY);
  EXPECT_EQ(g.pairs, (std::vector<std::pair<int, int>>{{0, 2}, {0, 2}}));
  EXPECT_EQ(g.Display(0)->display->axisType, chart::kAxisDateOnX);
  // Room B's degrees Fahrenheit in Room A's degrees Celsius, at its own time.
  EXPECT_NEAR(g.Value(0, 3), 20.0, 1e-9);
  EXPECT_NEAR(g.Value(2, 3), 25.0, 1e-9);
  EXPECT_EQ(g.Value(2, 2), chart::OleDate(2026, 6, 1, 14, 2, 0));
  EXPECT_EQ(g.MarkAt(1, 1), chart::PointMark::NotAvailable);
  EXPECT_EQ(g.Series(1).unit,
            "\xB0"
            "C");

  // Elapsed: hours from each location's own first record, a decimal X.
  options.elapsed = true;
  out = BuildCompare(doc, {{a.log(), ""}, {b.log(), "B"}}, options);
  ASSERT_TRUE(out.built);
  EXPECT_EQ(g.Display(0)->display->axisType, chart::kAxisScatter);
  EXPECT_EQ(g.Display(0)->xScale->Kind(), chart::ComponentKind::DecimalScale);
  EXPECT_DOUBLE_EQ(g.Value(2, 0), 2.0 / 60);
  EXPECT_DOUBLE_EQ(g.Value(2, 2), 2.0 / 60);
  EXPECT_EQ(g.Annotation(3), "B");
  EXPECT_EQ(chart::RangesOf(g, *g.Display(0)).x.min, 0);
}

TEST(Compare, UnitsThatDoNotConvertAndChannelsNobodyHas) {
  OneChannel ppm("A.loc", "CO2", 4, 4, 9, {400});
  OneChannel percent("B.loc", "CO2", 4, 17, 9, {0.05f});  // 500 ppm
  OneChannel rh("C.loc", "CO2", 4, 3, 9, {40});           // %RH: no conversion
  CompareOptions options;
  options.channel = "CO2";
  GraphDocument doc;
  CompareOutcome out = BuildCompare(doc, {{ppm.log(), ""}, {percent.log(), ""}}, options);
  ASSERT_TRUE(out.built) << out.error;
  EXPECT_NEAR(doc.GetGraph().Value(0, 3), 500, 1e-3);  // 0.05 read as a float
  out = BuildCompare(doc, {{ppm.log(), ""}, {rh.log(), ""}}, options);
  EXPECT_FALSE(out.built);
  EXPECT_EQ(out.error, "The units do not convert: C measures CO2 in %RH, A in ppm.");
  options.channel = "Ozone";
  out = BuildCompare(doc, {{ppm.log(), ""}}, options);
  EXPECT_FALSE(out.built);
  EXPECT_EQ(out.leftOut.size(), 1u);
  EXPECT_EQ(out.error, "No location has readings of Ozone to graph.");
  EXPECT_EQ(CompareChannels({ppm.log(), rh.log()}), (std::vector<std::string>{"Other", "CO2"}));
}

TEST(LimitLines, EveryApplicableLimitOfAChannelInItsUnit) {
  exposure::LimitLibrary library;
  std::vector<std::string> problems;
  library.AddText(
      "set,parameter,kind,value,unit,source\n"
      "S,CO2,high,1000,ppm,test\n"
      "S,CO2,TWA8,0.5,%,test\n"
      "S,CO2,low,10,mg/m3,test\n"
      "S,Temperature,high,26,\xC2\xB0"
      "C,test\n",
      "limits.csv", TheParamNames().compounds(), problems);
  ASSERT_TRUE(problems.empty()) << problems.front();
  Location loc(ThreeChannels({{20.0f, 50.0f, 1.0f}}));
  chart::SRGraph chart;
  AddLimitLines(chart, 3, 4, 51, *library.Find("S"));  // CO2 in ppb
  ASSERT_EQ(chart.limitLines.size(), 3u);
  EXPECT_EQ(chart.limitLines[0].label, "High 1000000 ppb");
  EXPECT_EQ(chart.limitLines[1].kind, "TWA8");
  EXPECT_DOUBLE_EQ(chart.limitLines[1].value, 5000000);
  EXPECT_EQ(chart.limitLines[1].series, 3);
  EXPECT_EQ(chart.limitLines[2].kind, "low");  // mg/m3 through the molecular weight
  EXPECT_NEAR(chart.limitLines[2].value, 10 * 24.45 / 44.0095 * 1000, 20);
  // Through a graph: the channels' own limits, none for a channel without.
  GraphDocument doc;
  auto s = Settings(kModeStrip, 0, {1, 2});
  s.limitLines = true;
  ASSERT_TRUE(doc.BuildGraph(&loc.log(), &s, nullptr, library.Find("S")));
  ASSERT_EQ(doc.GetGraph().limitLines.size(), 1u);
  EXPECT_EQ(doc.GetGraph().limitLines[0].label,
            "High 26 \xB0"
            "C");
  s.limitLines = false;
  ASSERT_TRUE(doc.BuildGraph(&loc.log(), &s, nullptr, library.Find("S")));
  EXPECT_TRUE(doc.GetGraph().limitLines.empty());
}

}  // namespace
}  // namespace vantora::graph

// Graphs drawn at every size from 300 x 200 to 4000 x 3000: no text on
// another, legends whole under the X title, limit lines on their rows, and
// the layout numbers kept where they fit.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "common/logfile.h"
#include "exposure/limits.h"
#include "graph/graphbuilder.h"
#include "graph/graphdocument.h"
#include "graph/gui/graphrender.h"
#include "guisupport/guiapp.h"
#include "model/vocabulary.h"
#include "support/locbytes.h"

namespace vantora::graph {
namespace {

using vantora::test::LocationSpec;

// Temperature, humidity, CO2 and CO over `days` days from 06:00, a record
// every ten minutes.
std::unique_ptr<CLogFile> Survey(const vantora::test::TempDir& dir, double days) {
  LocationSpec spec;
  spec.hour = 6;
  spec.channels = {{"Temperature", 0, 0, 1, 6},
                   {"Humidity", 1, 3, 1, 6},
                   {"Carbon dioxide", 4, 4, 0, 6},
                   {"CO", 3, 4, 1, 5}};
  const int records = static_cast<int>(days * 144);
  for (int r = 0; r < records; ++r) {
    const double t = r / 144.0;
    spec.records.push_back({static_cast<std::uint32_t>(r * 600),
                            {static_cast<float>(22 + 3 * std::sin(6.28 * t)),
                             static_cast<float>(45 + 10 * std::cos(6.28 * t)),
                             static_cast<float>(700 + 400 * std::sin(3 * t)),
                             static_cast<float>(2 + (r % 50 == 0 ? 40 : 0))}});
  }
  const std::string path = dir.File("Survey.loc");
  vantora::test::WriteBytes(path, vantora::test::LocationBytes(spec));
  return std::make_unique<CLogFile>(path);
}

GraphSettings Definition(int mode, int legend) {
  GraphSettings s;
  s.mode = mode;
  s.legend = legend;
  s.axisParams[0] = 0;
  for (int c = 0; c < 4; ++c) s.axisParams[c + 1] = c + 1;
  s.axisCount = 5;
  s.title = "... Site 3\\Survey";
  return s;
}

std::string Name(const QRect& r) {
  return "(" + std::to_string(r.left()) + "," + std::to_string(r.top()) + " " +
         std::to_string(r.width()) + "x" + std::to_string(r.height()) + ")";
}

class GraphLayoutTest : public ::testing::Test {
 protected:
  void SetUp() override { vantora::test::GuiApp(); }
  vantora::test::TempDir dir;
};

TEST_F(GraphLayoutTest, NoTextOnAnotherAndTheLegendWholeAtEverySize) {
  const std::pair<int, int> sizes[] = {{300, 200},  {400, 300},   {640, 480},  {800, 600},
                                       {1024, 700}, {1600, 1000}, {4000, 3000}};
  // With the lines of the default limit set (temperature, humidity, CO2
  // and CO limits).
  const exposure::LoadedLimits limits =
      exposure::LoadLimitLibrary("", "", TheParamNames().compounds());
  const exposure::LimitSet* set = exposure::ChooseLimitSet(limits, "");
  ASSERT_TRUE(set);
  for (double days : {0.4, 3.0}) {
    auto log = Survey(dir, days);
    for (int mode : {kModeSingleY, kModeMultiY, kModeStrip}) {
      GraphDocument doc;
      GraphSettings s = Definition(mode, 1);
      s.limitLines = true;
      ASSERT_TRUE(doc.BuildGraph(log.get(), &s, nullptr, set));
      ASSERT_GE(doc.GetGraph().limitLines.size(), 5u);
      for (const auto& [w, h] : sizes) {
        const std::string what = "mode " + std::to_string(mode) + " days " + std::to_string(days) +
                                 " at " + std::to_string(w) + "x" + std::to_string(h);
        chart::RenderReport report;
        RenderGraphImage(doc, w, h, "Arial", &report);
        const QRect all(0, 0, w, h);
        for (std::size_t i = 0; i < report.texts.size(); ++i) {
          const QRect& a = report.texts[i];
          if (a.isEmpty()) continue;
          EXPECT_TRUE(all.contains(a)) << what << ": " << Name(a) << " leaves the picture";
          for (std::size_t j = 0; j < i; ++j)
            EXPECT_FALSE(a.intersects(report.texts[j]))
                << what << ": " << Name(a) << " meets " << Name(report.texts[j]);
        }
        // The legend: every entry, under everything else.
        const chart::SRGraphLegend* legend = doc.GetGraph().Legend();
        ASSERT_TRUE(legend) << what;
        EXPECT_EQ(legend->items.size(), 4u) << what;
        for (const auto& d : report.displays)
          EXPECT_LE(d.plot.bottom(), report.legend.top()) << what;
        if (HasFailure()) return;
      }
    }
  }
}

TEST_F(GraphLayoutTest, TheNumbersStayWhereTheyFit) {
  auto log = Survey(dir, 0.4);
  GraphDocument doc;
  GraphSettings s = Definition(kModeStrip, 0);
  s.axisCount = 4;  // three strips
  ASSERT_TRUE(doc.BuildGraph(log.get(), &s));
  RenderGraphImage(doc, 600, 400);
  const int tops[] = {0, 147, 254}, bottoms[] = {147, 254, 401};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(doc.GetGraph().Display(i)->rect, (chart::Rect{0, tops[i], 600, bottoms[i]}));
    EXPECT_EQ(doc.GetGraph().Display(i)->plotArea.left, 60);
  }
  // Below the sizes the numbers fit, the plot areas give way to the texts.
  chart::RenderReport report;
  RenderGraphImage(doc, 300, 200, "Arial", &report);
  EXPECT_GT(doc.GetGraph().Display(0)->plotArea.top, 200 / 10);
  EXPECT_GT(doc.GetGraph().Display(2)->rect.bottom - doc.GetGraph().Display(2)->plotArea.bottom,
            200 / 10);

  s = Definition(kModeMultiY, 1);
  s.axisCount = 4;
  ASSERT_TRUE(doc.BuildGraph(log.get(), &s));
  RenderGraphImage(doc, 800, 600);
  EXPECT_EQ(doc.GetGraph().Display(0)->plotArea, (chart::Rect{100, 75, 667, 405}));
  EXPECT_EQ(doc.GetGraph().Legend()->rect, (chart::Rect{0, 480, 800, 600}));
}

}  // namespace
}  // namespace vantora::graph

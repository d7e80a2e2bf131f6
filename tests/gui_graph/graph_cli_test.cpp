// vantora graph and vantora render, run as separate processes: the layout
// they describe, the checks of the Create Graph dialog, graph files that
// reopen to the same picture, and the refusals.
#include <gtest/gtest.h>

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdlib>
#include <fstream>
#include <string>

#include "support/clirun.h"
#include "support/largest.h"
#include "support/locbytes.h"

namespace vantora {
namespace {

using test::CliRun;
using test::LocationSpec;
const auto& Quoted = test::ShellQuote;

QJsonObject Json(const std::string& text) {
  QJsonParseError error{};
  QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(text), &error);
  EXPECT_EQ(error.error, QJsonParseError::NoError) << text;
  return doc.object();
}

std::vector<int> Ints(const QJsonValue& v) {
  std::vector<int> out;
  for (const auto& x : v.toArray()) out.push_back(x.toInt());
  return out;
}

class GraphCliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Temperature, humidity, CO2 and another temperature; one CO2 reading
    // beyond the plottable range, one N/A humidity.
    LocationSpec spec;
    spec.channels = {{"Temperature", 0, 0, 1, 6},
                     {"Humidity", 1, 3, 0, 5},
                     {"CO2", 2, 4, 0, 6},
                     {"Outside", 0, 0, 1, 6}};
    for (int r = 0; r < 40; ++r)
      spec.records.push_back({static_cast<std::uint32_t>(r * 600),
                              {20.0f + r * 0.1f, 40.0f + r, 500.0f + 10 * r, 5.0f}});
    spec.records[7].values[2] = 1000001.0f;
    spec.records[9].values[1] = -999999.0f;
    loc = dir.File("Room 4.loc");
    test::WriteBytes(loc, test::LocationBytes(spec));
  }
  CliRun Vantora(const std::string& args) { return test::RunVantora(args, dir); }

  test::TempDir dir;
  std::string loc;
};

TEST_F(GraphCliTest, StripLayoutOfThreePairsAt600x400) {
  CliRun run = Vantora("graph " + Quoted(loc) + " --y 0,1,2 --mode strip --size 600x400 --info");
  ASSERT_EQ(run.status, 0) << run.err;
  QJsonObject info = Json(run.out);
  EXPECT_EQ(info["mode"].toInt(), 3);
  EXPECT_EQ(info["omitted"].toInt(), 2);
  QJsonArray displays = info["compoundDisplays"].toArray();
  ASSERT_EQ(displays.size(), 3);
  EXPECT_EQ(Ints(displays[0].toObject()["rect"]), (std::vector<int>{0, 0, 600, 147}));
  EXPECT_EQ(Ints(displays[1].toObject()["rect"]), (std::vector<int>{0, 147, 600, 254}));
  EXPECT_EQ(Ints(displays[2].toObject()["rect"]), (std::vector<int>{0, 254, 600, 401}));
  for (const auto& d : displays) {
    auto plot = Ints(d.toObject()["plotArea"]);
    EXPECT_EQ(plot[0], 60);
    EXPECT_EQ(plot[2], 567);
  }
  // The date line stands on the first strip only; only the last strip shows X values.
  EXPECT_FALSE(displays[0].toObject()["xScale2"].isNull());
  EXPECT_TRUE(displays[1].toObject()["xScale2"].isNull());
  EXPECT_EQ(displays[0].toObject()["xScale"].toObject()["format"].toString(), " ");
  EXPECT_EQ(displays[2].toObject()["xScale"].toObject()["format"].toString(), " %H:%M:%S ");
  EXPECT_EQ(displays[0].toObject()["yScale"].toObject()["format"].toString(), "%3.1f");
  // 40 records; the CO2 reading beyond the range and the N/A humidity
  // leave out one point of their own pair each.
  std::vector<int> points;
  for (const auto& g : info["groups"].toArray()) points.push_back(g.toObject()["points"].toInt());
  EXPECT_EQ(points, (std::vector<int>{40, 40, 39, 39, 39, 39}));
  EXPECT_NE(run.err.find("Warning: 2 point(s) used to create this graph was outside the "
                         "plottable range and therefore omitted."),
            std::string::npos);
}

TEST_F(GraphCliTest, MultiYLayoutOfThreePairsAt800x600) {
  CliRun run = Vantora("graph " + Quoted(loc) + " --y 0,1,2 --mode multi --info");
  ASSERT_EQ(run.status, 0) << run.err;
  QJsonObject info = Json(run.out);
  QJsonArray displays = info["compoundDisplays"].toArray();
  ASSERT_EQ(displays.size(), 3);
  for (const auto& d : displays) {
    EXPECT_EQ(Ints(d.toObject()["rect"]), (std::vector<int>{0, 0, 700, 480}));
    EXPECT_EQ(Ints(d.toObject()["plotArea"]), (std::vector<int>{100, 75, 667, 405}));
  }
  EXPECT_TRUE(displays[1].toObject()["transparent"].toBool());
  EXPECT_TRUE(displays[1].toObject()["yScale"].isNull());
  QJsonArray bars = info["scaleBars"].toArray();
  ASSERT_EQ(bars.size(), 2);
  EXPECT_EQ(bars[0].toObject()["name"].toString(), "_KTRM_YAXIS_1");
  EXPECT_EQ(Ints(bars[0].toObject()["rect"]), (std::vector<int>{700, 0, 750, 480}));
  EXPECT_EQ(Ints(bars[1].toObject()["rect"]), (std::vector<int>{750, 0, 800, 480}));
  EXPECT_EQ(Ints(bars[1].toObject()["color"]), (std::vector<int>{0, 0, 255}));
  EXPECT_EQ(Ints(info["legend"].toObject()["rect"]), (std::vector<int>{0, 480, 800, 600}));
  EXPECT_EQ(info["legend"].toObject()["key"].toString(), "box");
  QJsonArray pairs = info["pairs"].toArray();
  ASSERT_EQ(pairs.size(), 3);
  EXPECT_EQ(pairs[2].toObject()["y"].toInt(), 3);
  EXPECT_EQ(pairs[2].toObject()["axisType"].toInt(), 0x1A);
}

TEST_F(GraphCliTest, SingleYReportsWhatWasDrawn) {
  CliRun run = Vantora("graph " + Quoted(loc) + " --y 0,3 --x 1 --info --size 640x480");
  ASSERT_EQ(run.status, 0) << run.err;
  QJsonObject info = Json(run.out);
  QJsonObject d = info["compoundDisplays"].toArray()[0].toObject();
  auto rect = Ints(d["rect"]), plot = Ints(d["plotArea"]);
  // The plot area lies inside the display, which lies inside the chart.
  EXPECT_GE(rect[0], 0);
  EXPECT_LE(rect[2], 640);
  EXPECT_LE(rect[3], 480);
  EXPECT_LT(rect[0], plot[0]);
  EXPECT_LT(plot[0], plot[2]);
  EXPECT_LE(plot[2], rect[2]);
  EXPECT_LT(plot[1], plot[3]);
  EXPECT_EQ(info["pairs"].toArray()[0].toObject()["axisType"].toInt(), 0x0F);
  // X is a channel: no date line.
  EXPECT_TRUE(d["xScale2"].isNull());
  // The title that the dialog proposes, and the chart's own labels.
  bool title = false;
  for (const auto& l : info["labels"].toArray()) {
    QJsonObject label = l.toObject();
    EXPECT_TRUE(label["display"].isNull());
    if (label["side"].toString() == "top") title = label["text"].toString().endsWith("Room 4");
  }
  EXPECT_TRUE(title) << run.out;
}

TEST_F(GraphCliTest, DialogChecksAndUsageErrors) {
  CliRun time2 = Vantora("graph " + Quoted(loc) + " --y 0,time --info");
  EXPECT_EQ(time2.status, 2);
  EXPECT_NE(time2.err.find("Time may only be selected as X axis or the PRIMARY Y axis."),
            std::string::npos);
  // The dialog's questions are said as statements of what was drawn.
  CliRun mixed = Vantora("graph " + Quoted(loc) + " --y 0,1 --info");
  EXPECT_EQ(mixed.status, 0);
  EXPECT_NE(mixed.err.find("Warning: the graph has channels of different units on one Y axis."),
            std::string::npos);
  EXPECT_EQ(mixed.err.find('?'), std::string::npos) << mixed.err;
  CliRun single = Vantora("graph " + Quoted(loc) + " --y 0 --mode strip --info");
  EXPECT_EQ(single.status, 0);
  EXPECT_NE(single.err.find("Warning: the graph has a single Y axis"), std::string::npos);
  EXPECT_EQ(single.err.find('?'), std::string::npos) << single.err;
  EXPECT_EQ(Vantora("graph " + Quoted(loc) + " --y 4 --info").status, 2);
  EXPECT_EQ(Vantora("graph " + Quoted(loc) + " --y 1,1 --info").status, 2);
  EXPECT_EQ(Vantora("graph " + Quoted(loc) + " --comment 5,5,12,x --info").status, 2);
  EXPECT_EQ(Vantora("graph " + Quoted(loc) + " -o " + Quoted(dir.File("x.txt"))).status, 2);
  // An output never replaces a location.
  CliRun over = Vantora("graph " + Quoted(loc) + " -o " + Quoted(dir.File("Other.LOC")));
  EXPECT_EQ(over.status, 1);
  EXPECT_FALSE(std::ifstream(dir.File("Other.LOC")).good());
}

TEST_F(GraphCliTest, SavedGraphRendersTheSamePixels) {
  const std::string vtg = dir.File("g.vtg"), direct = dir.File("direct.bmp"),
                    again = dir.File("again.bmp");
  CliRun made = Vantora("graph " + Quoted(loc) + " --mode multi --markers --comment " +
                        Quoted("40,50,16,Fan off, door open") + " -o " + Quoted(vtg) + " -o " +
                        Quoted(direct) + " --size 900x500");
  ASSERT_EQ(made.status, 0) << made.err;
  CliRun render = Vantora("render " + Quoted(vtg) + " --size 900x500 -o " + Quoted(again));
  ASSERT_EQ(render.status, 0) << render.err;
  std::string a = test::ReadAll(direct), b = test::ReadAll(again);
  ASSERT_GT(a.size(), 900u * 500u * 3u);
  EXPECT_TRUE(a == b) << "the reopened graph draws differently";
  QImage image(QString::fromStdString(direct));
  EXPECT_EQ(image.size(), QSize(900, 500));
  // The reopened graph keeps its real axes.
  QJsonObject info = Json(Vantora("render " + Quoted(vtg) + " --info").out);
  EXPECT_EQ(info["pairs"].toArray()[1].toObject()["y"].toInt(), 2);
  EXPECT_EQ(info["omitted"].toInt(), 0);
}

TEST_F(GraphCliTest, RenderRefusesOtherVersionsAndDamagedFiles) {
  const std::string vtg = dir.File("g.vtg");
  ASSERT_EQ(Vantora("graph " + Quoted(loc) + " -o " + Quoted(vtg)).status, 0);
  std::string bytes = test::ReadAll(vtg);
  std::string older = bytes;
  older[4] = 103;
  test::WriteBytes(dir.File("older.vtg"), {older.begin(), older.end()});
  CliRun run = Vantora("render " + Quoted(dir.File("older.vtg")) + " --info");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("created with an older version of VantoraPC"), std::string::npos);
  std::string cut = bytes.substr(0, bytes.size() / 2);
  test::WriteBytes(dir.File("cut.vtg"), {cut.begin(), cut.end()});
  run = Vantora("render " + Quoted(dir.File("cut.vtg")) + " -o " + Quoted(dir.File("c.png")));
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("The graph file"), std::string::npos);
  EXPECT_NE(run.err.find("cut.vtg is damaged and can not be opened."), std::string::npos);
  EXPECT_FALSE(std::ifstream(dir.File("c.png")).good());
}

TEST_F(GraphCliTest, EveryOutputHasTheRequestedSize) {
  const std::string jpg = dir.File("a.jpg"), png = dir.File("a.png"), pdf = dir.File("a.pdf");
  CliRun run = Vantora("graph " + Quoted(loc) + " --mode strip --size 1024x333 -o " + Quoted(jpg) +
                       " -o " + Quoted(png) + " -o " + Quoted(pdf));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(QImage(QString::fromStdString(jpg)).size(), QSize(1024, 333));
  EXPECT_EQ(QImage(QString::fromStdString(png)).size(), QSize(1024, 333));
  EXPECT_EQ(test::ReadAll(pdf).substr(0, 5), "%PDF-");
}

// scripts/graph-pictures.sh: writes the 20-channel location it draws.
TEST(GraphPictures, WriteLargestLocation) {
  const char* out = std::getenv("VANTORA_GRAPH_PICTURES");
  if (!out) GTEST_SKIP() << "only for scripts/graph-pictures.sh";
  test::WriteLargestLocation(std::string(out) + "/largest.loc");
}

}  // namespace
}  // namespace vantora

// vantora graph and vantora render, run as separate processes: the layout
// they describe, the checks of the Create Graph dialog, graph files that
// reopen to the same picture, and the refusals.
#include <gtest/gtest.h>

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "graph/graphdocument.h"
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

// A survey of three days from 10-Mar-2026 06:00, a record every ten
// minutes: temperature, humidity, CO2 (past 1000 ppm in the afternoons) and
// CO with a few N/A readings and a two-hour gap on the second day.
LocationSpec ThreeDays() {
  LocationSpec spec;
  spec.day = 10, spec.month = 3, spec.hour = 6;
  spec.channels = {{"Temperature", 0, 0, 1, 6},
                   {"Humidity", 1, 3, 1, 6},
                   {"CO2", 4, 4, 0, 6},
                   {"CO", 3, 4, 1, 5}};
  for (int r = 0; r < 3 * 144; ++r) {
    if (r >= 170 && r < 182) continue;  // the logger was off
    const double day = r / 144.0;
    spec.records.push_back(
        {static_cast<std::uint32_t>(r * 600),
         {static_cast<float>(22 + 3 * std::sin(6.283 * day)),
          static_cast<float>(45 + 10 * std::cos(6.283 * day)),
          static_cast<float>(750 + 350 * std::sin(6.283 * day - 0.5)),
          r % 61 == 7 ? -999999.0f : static_cast<float>(3 + (r % 90 < 3) * 30)}});
  }
  return spec;
}

// The image row of `value` on a scale, from the positions of its ticks.
double RowOf(const QJsonArray& ticks, double value) {
  const QJsonObject a = ticks.first().toObject(), b = ticks.last().toObject();
  const double va = a["value"].toDouble(), vb = b["value"].toDouble();
  return a["pos"].toDouble() +
         (value - va) * (b["pos"].toDouble() - a["pos"].toDouble()) / (vb - va);
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
  CliRun Vantora(const std::string& args, const std::string& env = std::string()) {
    return test::RunVantora(args, dir, env);
  }

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

  // A display showing groups from 0x7FFFFFFF on: damaged, saying why.
  graph::GraphDocument doc;
  std::string detail;
  ASSERT_EQ(graph::ReadGraphBytes(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(),
                                  doc, detail),
            graph::GraphFileResult::Ok);
  doc.GetGraph().Display(0)->display->firstGroup = 0x7FFFFFFF;
  const std::string hostile = graph::GraphFileBytes(doc);
  test::WriteBytes(dir.File("groups.vtg"), {hostile.begin(), hostile.end()});
  run = Vantora("render " + Quoted(dir.File("groups.vtg")) + " -o " + Quoted(dir.File("g.png")));
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("groups.vtg is damaged and can not be opened. (the chart is damaged: "
                         "display 1 shows groups 2147483647"),
            std::string::npos)
      << run.err;
  EXPECT_FALSE(std::ifstream(dir.File("g.png")).good());

  // Drawn onto itself, a graph file would be replaced: refused, kept as it was.
  for (const std::string& out : {vtg, dir.File("./g.vtg")}) {
    run = Vantora("render " + Quoted(vtg) + " -o " + Quoted(dir.File("ok.png")) + " -o " +
                  Quoted(out));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("cannot be replaced by its own output"), std::string::npos) << run.err;
    EXPECT_EQ(test::ReadAll(vtg), bytes);
    EXPECT_FALSE(std::ifstream(dir.File("ok.png")).good());
  }
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

TEST_F(GraphCliTest, LimitLinesInEveryModeAndAfterTheGraphFile) {
  // The default set's temperature limits: 20 and 26 degrees; the readings
  // run from 20 to 23.9, near enough to 26 to show it.
  for (const char* mode : {"single", "multi", "strip"}) {
    SCOPED_TRACE(mode);
    const std::string vtg = dir.File(std::string(mode) + ".vtg");
    CliRun run = Vantora("graph " + Quoted(loc) + " --y Temperature,Humidity --mode " + mode +
                         " --limit-lines --info -o " + Quoted(vtg));
    ASSERT_EQ(run.status, 0) << run.err;
    const QJsonObject info = Json(run.out);
    const QJsonArray lines = info["limitLines"].toArray();
    const QJsonArray ticks =
        info["compoundDisplays"].toArray()[0].toObject()["yScale"].toObject()["ticks"].toArray();
    ASSERT_GE(ticks.size(), 2);
    int temperature = 0;
    for (const auto& v : lines) {
      const QJsonObject line = v.toObject();
      if (line["pair"].toInt() != 0) continue;
      ++temperature;
      EXPECT_EQ(line["unit"].toString(), QString::fromUtf8("\u00b0C"));
      EXPECT_TRUE(line["arrow"].isNull());
      EXPECT_NEAR(line["y"].toDouble(), RowOf(ticks, line["value"].toDouble()), 1.0)
          << line["kind"].toString().toStdString();
    }
    EXPECT_EQ(temperature, 2);
    // Reopened without the limits file, the graph draws the same lines.
    CliRun again = Vantora("render " + Quoted(vtg) + " --info");
    ASSERT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(Json(again.out)["limitLines"], info["limitLines"]);
  }
  // A set of one's own, and sets that do not exist.
  const std::string csv = dir.File("mine.csv");
  const std::string rows =
      "set,parameter,kind,value,unit,source\r\nMine,Temperature,ceiling,22,"
      "\xC2\xB0"
      "C,test\r\n";
  test::WriteBytes(csv, {rows.begin(), rows.end()});
  CliRun mine =
      Vantora("graph " + Quoted(loc) + " --y 0 --limit-lines --limits " + Quoted(csv) + " --info");
  ASSERT_EQ(mine.status, 0) << mine.err;
  const QJsonArray lines = Json(mine.out)["limitLines"].toArray();
  ASSERT_EQ(lines.size(), 1);
  EXPECT_EQ(lines[0].toObject()["label"].toString(), QString::fromUtf8("Ceiling 22 \u00b0C"));
  CliRun none = Vantora("graph " + Quoted(loc) + " --limit-lines --set Nope --info");
  EXPECT_EQ(none.status, 2);
  EXPECT_NE(none.err.find("no limit set is named \"Nope\""), std::string::npos);
  EXPECT_EQ(Vantora("graph " + Quoted(loc) + " --set Mine --info").status, 2);
}

TEST_F(GraphCliTest, ComparingLocations) {
  // "Hall" logs its temperature in degrees Fahrenheit; "Yard" none at all;
  // "Odd" a temperature in %RH.
  const auto write = [&](const char* name, test::ChannelSpec channel) {
    LocationSpec spec;
    spec.hour = 13;
    spec.channels = {{"Humidity", 1, 3, 0, 5}, channel};
    for (int r = 0; r < 30; ++r)
      spec.records.push_back({static_cast<std::uint32_t>(r * 600), {40.0f, 70.0f + r * 0.2f}});
    test::WriteBytes(dir.File(name), test::LocationBytes(spec));
    return Quoted(dir.File(name));
  };
  const std::string hall = write("Hall.loc", {"Air temp", 0, 1, 1, 6});
  const std::string yard = write("Yard.loc", {"Wind", 5, 6, 0, 5});
  const std::string odd = write("Odd.loc", {"Temperature", 0, 3, 1, 6});
  CliRun run = Vantora("graph " + Quoted(loc) + " " + hall + " " + yard + " --y temp --info");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("Yard has no channel temp."), std::string::npos) << run.err;
  QJsonObject info = Json(run.out);
  EXPECT_EQ(info["mode"].toInt(), 1);
  ASSERT_EQ(info["pairs"].toArray().size(), 2);
  EXPECT_EQ(info["groups"].toArray()[1].toObject()["annotation"].toString(), "Room 4");
  EXPECT_EQ(info["groups"].toArray()[3].toObject()["annotation"].toString(), "Hall");
  EXPECT_EQ(info["pairs"].toArray()[1].toObject()["axisType"].toInt(), 0x1A);
  EXPECT_FALSE(info["legend"].isNull());
  bool title = false;
  for (const auto& l : info["labels"].toArray())
    title = title || l.toObject()["text"].toString() == "Compare: Temperature";
  EXPECT_TRUE(title) << run.out;
  // Hours from each location's start, on a decimal X scale.
  run = Vantora("graph " + Quoted(loc) + " " + hall + " --y temp --elapsed --info");
  ASSERT_EQ(run.status, 0) << run.err;
  info = Json(run.out);
  EXPECT_EQ(info["pairs"].toArray()[0].toObject()["axisType"].toInt(), 0x0F);
  const QJsonObject x = info["compoundDisplays"].toArray()[0].toObject()["xScale"].toObject();
  EXPECT_EQ(x["type"].toString(), "decimal");
  EXPECT_EQ(x["ticks"].toArray().first().toObject()["value"].toDouble(), 0.0);
  // Units that do not convert refuse the graph, naming both.
  run = Vantora("graph " + Quoted(loc) + " " + odd + " --y temp -o " + Quoted(dir.File("c.png")));
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("Odd measures Temperature in %RH, Room 4 in \xC2\xB0"
                         "C"),
            std::string::npos)
      << run.err;
  EXPECT_FALSE(std::ifstream(dir.File("c.png")).good());
  EXPECT_EQ(Vantora("graph " + Quoted(loc) + " " + hall + " --y temp --mode multi --info").status,
            2);
  EXPECT_EQ(Vantora("graph " + Quoted(loc) + " " + hall + " --y 0,1 --info").status, 2);
}

TEST_F(GraphCliTest, RefusalsSayWhatIsWrong) {
  // Nothing to graph: no image, and the reason.
  LocationSpec blank;
  blank.channels = {{"CO2", 4, 4, 0, 6}};
  blank.records = {{0, {-999999.0f}}, {60, {-300.0f}}};
  test::WriteBytes(dir.File("Blank.loc"), test::LocationBytes(blank));
  CliRun run =
      Vantora("graph " + Quoted(dir.File("Blank.loc")) + " -o " + Quoted(dir.File("b.png")));
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("Blank has no readings to graph."), std::string::npos) << run.err;
  EXPECT_FALSE(std::ifstream(dir.File("b.png")).good());
  // A title longer than the dialog allows.
  run = Vantora("graph " + Quoted(loc) + " --title " + std::string(51, 'T') + " --info");
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("at most 50"), std::string::npos) << run.err;
  EXPECT_EQ(Vantora("graph " + Quoted(loc) + " --title " + std::string(50, 'T') + " --info").status,
            0);
  // A file that is no graph file at all.
  ASSERT_EQ(Vantora("graph " + Quoted(loc) + " -o " + Quoted(dir.File("g.png"))).status, 0);
  run = Vantora("render " + Quoted(dir.File("g.png")) + " --info");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find(dir.File("g.png") + " is not a graph file."), std::string::npos);
  // A folder that is not there: the system's reason, once.
  run = Vantora("graph " + Quoted(loc) + " -o " + Quoted(dir.File("no/such/g.png")),
                "env -u XDG_RUNTIME_DIR");
  EXPECT_EQ(run.status, 1);
  const std::string reason = std::strerror(ENOENT);
  const auto first = run.err.find(reason);
  ASSERT_NE(first, std::string::npos) << run.err;
  EXPECT_EQ(run.err.find(reason, first + 1), std::string::npos) << run.err;
  EXPECT_EQ(run.err.find("XDG_RUNTIME_DIR"), std::string::npos) << run.err;
  // SVG is one of the outputs.
  ASSERT_EQ(Vantora("graph " + Quoted(loc) + " -o " + Quoted(dir.File("g.svg"))).status, 0);
  EXPECT_EQ(test::ReadAll(dir.File("g.svg")).substr(0, 5), "<?xml");
}

TEST_F(GraphCliTest, TimeAxesOverDaysCarryTheDate) {
  test::WriteBytes(dir.File("Days.loc"), test::LocationBytes(ThreeDays()));
  for (const char* size : {"800x600", "300x200"}) {
    CliRun run = Vantora("graph " + Quoted(dir.File("Days.loc")) + " --info --size " + size);
    ASSERT_EQ(run.status, 0) << run.err;
    const QJsonArray ticks = Json(run.out)["compoundDisplays"]
                                 .toArray()[0]
                                 .toObject()["xScale"]
                                 .toObject()["ticks"]
                                 .toArray();
    ASSERT_GE(ticks.size(), 2) << size;
    int dates = 0, previous = -1;
    for (const auto& t : ticks) {
      const QString text = t.toObject()["text"].toString().trimmed();
      EXPECT_FALSE(text.contains("00:00:00")) << text.toStdString();
      EXPECT_TRUE(text.contains("-Mar")) << text.toStdString();
      dates += QRegularExpression("^1[0-3]-Mar$").match(text).hasMatch();
      EXPECT_GT(t.toObject()["pos"].toInt(), previous);
      previous = t.toObject()["pos"].toInt();
    }
    EXPECT_GE(dates, 1) << size;  // a midnight by its date alone
  }
}

// scripts/graph-pictures.sh: writes the locations it draws.
TEST(GraphPictures, WriteLocations) {
  const char* out = std::getenv("VANTORA_GRAPH_PICTURES");
  if (!out) GTEST_SKIP() << "only for scripts/graph-pictures.sh";
  test::WriteLargestLocation(std::string(out) + "/largest.loc");
  test::WriteBytes(std::string(out) + "/three-days.loc", test::LocationBytes(ThreeDays()));
}

}  // namespace
}  // namespace vantora

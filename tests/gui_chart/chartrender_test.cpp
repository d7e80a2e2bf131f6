#include "chart/gui/chartrender.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QElapsedTimer>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPicture>
#include <QProcess>
#include <QXmlStreamReader>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <functional>
#include <iterator>
#include <vector>

#include "chart/chartinteract.h"
#include "chart/chartlayout.h"
#include "chart/gui/imagefiles.h"
#include "guisupport/guiapp.h"
#include "support/locbytes.h"

namespace vantora::chart {
namespace {

QRect Q(const Rect& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }

// Saves pictures for a look when VANTORA_CHART_PICTURES names a folder.
void Keep(const QImage& image, const char* name) {
  const QByteArray dir = qgetenv("VANTORA_CHART_PICTURES");
  if (!dir.isEmpty()) image.save(QString::fromUtf8(dir) + "/" + name + ".png");
}

// Pixels of colour `c` inside `area`, counting the smoothed edges of lines
// too: a pixel counts when it is at least half way from white to `c` and
// little off that blend.
int CountColour(const QImage& image, const QRect& area, Rgb c) {
  const double dr = 255 - c.r, dg = 255 - c.g, db = 255 - c.b;
  const double span = dr * dr + dg * dg + db * db;
  int n = 0;
  const QRect a = area.intersected(image.rect());
  for (int y = a.top(); y <= a.bottom(); ++y)
    for (int x = a.left(); x <= a.right(); ++x) {
      const QRgb p = image.pixel(x, y);
      const double pr = 255 - qRed(p), pg = 255 - qGreen(p), pb = 255 - qBlue(p);
      const double t = (pr * dr + pg * dg + pb * db) / span;
      const double er = pr - t * dr, eg = pg - t * dg, eb = pb - t * db;
      if (t >= 0.5 && er * er + eg * eg + eb * eb <= 40 * 40) ++n;
    }
  return n;
}

int CountExact(const QImage& image, const QRect& area, Rgb c) {
  int n = 0;
  const QRect a = area.intersected(image.rect());
  for (int y = a.top(); y <= a.bottom(); ++y)
    for (int x = a.left(); x <= a.right(); ++x)
      if (image.pixel(x, y) == qRgb(c.r, c.g, c.b)) ++n;
  return n;
}

std::unique_ptr<SRGTickMarks> Marks() { return std::make_unique<SRGTickMarks>(); }

template <class S>
std::unique_ptr<SRGScale> Scale(const char* format, Orientation o, int font = 9) {
  auto s = std::make_unique<S>();
  s->format = format;
  s->orientation = o;
  s->fontSize = font;
  return s;
}

// A display with X and Y decimal scales and tick marks showing groups
// [first, last].
SRGCompoundDisplay* AddDisplay(SRGraph& chart, int first, int last, const char* xFormat = "%3.0f") {
  auto* d = chart.AddNew<SRGCompoundDisplay>();
  d->xScale = Scale<SRGDecimalScale>(xFormat, Orientation::Horizontal);
  d->yScale = Scale<SRGDecimalScale>("%4.0f", Orientation::Vertical);
  d->xTicks = Marks();
  d->yTicks = Marks();
  d->display = std::make_unique<SRGraphDisplay>();
  d->display->firstGroup = first;
  d->display->lastGroup = last;
  return d;
}

// Pair k: a wave of `n` points around `base`, each pair in its own phase.
void FillPair(SRGraph& chart, int k, int n, double base, double amplitude = 10) {
  for (int i = 0; i < n; ++i) {
    chart.SetValue(i, 2 * k, i);
    chart.SetValue(i, 2 * k + 1, base + amplitude * std::sin(i / 6.0 + 2.1 * k));
  }
}

class ChartRenderTest : public ::testing::Test {
 protected:
  void SetUp() override { test::GuiApp(); }
};

TEST_F(ChartRenderTest, SingleDisplayLaidOutWithTimeScaleAndDateLine) {
  SRGraph chart;
  auto* d = chart.AddNew<SRGCompoundDisplay>();
  d->xScale = Scale<SRGDateScale>(" %H:%M:%S ", Orientation::Horizontal);
  d->xScale2 = Scale<SRGDateScale>(" %d-%b-%y ", Orientation::Horizontal, 8);
  d->xScale2->stepDays = 1;
  d->xScale2->labelsFarSide = true;
  d->yScale = Scale<SRGDecimalScale>("%4.1f", Orientation::Vertical);
  d->xTicks = Marks();
  d->xTicks2 = Marks();
  d->yTicks = Marks();
  d->xGrid = std::make_unique<SRGGridLines>();
  d->yGrid = std::make_unique<SRGGridLines>();
  d->display = std::make_unique<SRGraphDisplay>();
  d->display->axisType = kAxisDateOnX;
  const double start = OleDate(2024, 3, 30, 18, 0, 0);
  for (int i = 0; i < 300; ++i) {
    chart.SetValue(i, 0, start + i / 144.0);
    chart.SetValue(i, 1, 20 + 5 * std::sin(i / 20.0));
    chart.SetValue(i, 2, start + i / 144.0);
    chart.SetValue(i, 3, 10 + 3 * std::cos(i / 15.0));
  }
  auto* title = chart.AddNew<SRGraphLabel>();
  title->text = "Office 2";
  title->fontSize = 16;
  auto* left = chart.AddNew<SRGraphLabel>();
  left->text = "Temperature";
  left->side = Side::Left;
  left->rotated = true;

  RenderReport report;
  const QImage image = RenderChartImage(chart, 800, 600, RenderOptions(), &report);
  Keep(image, "single");
  ASSERT_EQ(image.size(), QSize(800, 600));
  ASSERT_EQ(report.displays.size(), 1u);
  EXPECT_FALSE(d->plotArea.IsEmpty());
  EXPECT_EQ(report.displays[0].outer, Q(d->rect));
  EXPECT_EQ(report.displays[0].plot, Q(d->plotArea));
  EXPECT_TRUE(report.legend.isNull());

  const QRect plot = Q(d->plotArea);
  EXPECT_GT(CountColour(image, plot, SeriesColour(0)), 100);
  EXPECT_GT(CountColour(image, plot, SeriesColour(1)), 100);
  // Series stay inside their plot area.
  const QRect above(0, 0, 800, plot.top() - 1);
  const QRect below(0, plot.bottom() + 2, 800, 600);
  EXPECT_EQ(CountColour(image, above, SeriesColour(0)), 0);
  EXPECT_EQ(CountColour(image, below, SeriesColour(1)), 0);
  // Labels and tick labels are drawn: dark pixels above (title, date line),
  // left of the plot (Y title and labels) and below it (time labels).
  const Rgb black{0, 0, 0};
  EXPECT_GT(CountColour(image, QRect(0, 0, 800, plot.top() - 2), black), 50);
  EXPECT_GT(CountColour(image, QRect(0, plot.top(), plot.left() - 2, plot.height()), black), 50);
  EXPECT_GT(CountColour(image, below, black), 50);
  // The left title stands in its own strip, left of the display.
  EXPECT_LE(left->rect.right, d->rect.left);
  EXPECT_GT(CountColour(image, Q(left->rect), black), 20);

  // A painter on an image gets the same pixels.
  QImage viaPainter(800, 600, QImage::Format_RGB32);
  viaPainter.fill(Qt::white);
  {
    QPainter painter(&viaPainter);
    RenderChart(chart, painter, 800, 600);
  }
  EXPECT_EQ(viaPainter, image);
}

// Three pairs overlaid on one plot area, pairs 1 and 2 against scale bars
// right of it, the legend below.
class MultiAxisChart {
 public:
  MultiAxisChart() {
    for (int k = 0; k < 3; ++k) {
      SRGCompoundDisplay* d = k == 0 ? AddDisplay(chart, 0, 1) : chart.AddNew<SRGCompoundDisplay>();
      if (k > 0) {
        d->display = std::make_unique<SRGraphDisplay>();
        d->display->firstGroup = 2 * k;
        d->display->lastGroup = 2 * k + 1;
        d->transparent = d->display->transparent = true;
      } else {
        d->xGrid = std::make_unique<SRGGridLines>();
        d->yGrid = std::make_unique<SRGGridLines>();
      }
      d->placed = true;
      d->rect = {0, 0, 700, 480};
      d->plotArea = {100, 75, 667, 405};
      FillPair(chart, k, 50, k * 1000.0, 10.0 + 100.0 * k);
      chart.SetAnnotation(2 * k, "Channel " + std::to_string(k));
      chart.SetAnnotation(2 * k + 1, "Channel " + std::to_string(k));
    }
    for (int k = 1; k < 3; ++k) {
      auto* bar = chart.AddNew<SRGScaleBar>();
      bar->name = "_KTRM_YAXIS_" + std::to_string(k);
      bar->scale.format = "%4.0f";
      bar->scale.orientation = Orientation::Vertical;
      bar->scale.labelsFarSide = true;
      bar->boundDisplay = k;
      bar->colour = SeriesColour(k);
      bar->rect = {700 + 50 * (k - 1), 0, 750 + 50 * (k - 1), 480};
    }
    legend = chart.AddNew<SRGraphLegend>();
    legend->autoPosition = false;
    legend->rect = {0, 480, 800, 600};
  }
  SRGraph chart;
  SRGraphLegend* legend = nullptr;
};

TEST_F(ChartRenderTest, OverlaidPairsScaleBarsAndLegendStandWhereTheLayoutPutThem) {
  MultiAxisChart m;
  RenderReport report;
  const QImage image = RenderChartImage(m.chart, 800, 600, RenderOptions(), &report);
  Keep(image, "multi");
  ASSERT_EQ(image.size(), QSize(800, 600));
  // One axis rect: the overlays draw on the first display's.
  ASSERT_EQ(report.displays.size(), 1u);
  EXPECT_EQ(report.displays[0].outer, QRect(0, 0, 700, 480));
  EXPECT_EQ(report.displays[0].plot, QRect(100, 75, 567, 330));
  ASSERT_EQ(report.scaleBars.size(), 2u);
  EXPECT_EQ(report.scaleBars[0], QRect(700, 0, 50, 480));
  EXPECT_EQ(report.scaleBars[1], QRect(750, 0, 50, 480));
  EXPECT_EQ(report.legend, QRect(0, 480, 800, 120));

  const QRect plot(100, 75, 567, 330);
  for (int k = 0; k < 3; ++k)
    EXPECT_GT(CountColour(image, plot, SeriesColour(k)), 100) << "series " << k;
  // Each bar is drawn in its colour inside its own band.
  EXPECT_GT(CountColour(image, QRect(700, 0, 50, 480), SeriesColour(1)), 100);
  EXPECT_GT(CountColour(image, QRect(750, 0, 50, 480), SeriesColour(2)), 100);
  EXPECT_EQ(CountColour(image, QRect(700, 0, 50, 480), SeriesColour(2)), 0);
  // Between the plot area's frame and the first bar there is nothing.
  EXPECT_EQ(CountExact(image, QRect(668, 0, 31, 480), Rgb{255, 255, 255}), 31 * 480);
  // The legend shows a box in every series' colour.
  for (int k = 0; k < 3; ++k)
    EXPECT_GT(CountExact(image, QRect(0, 480, 800, 120), SeriesColour(k)), 20) << k;

  // Fixed Y range of pair 1: its bar's labels follow it.
  m.chart.Display(1)->display->yRange = {true, 0, 100000};
  const QImage rescaled = RenderChartImage(m.chart, 800, 600);
  EXPECT_NE(rescaled.copy(700, 0, 50, 480), image.copy(700, 0, 50, 480));
  EXPECT_EQ(rescaled.copy(750, 0, 50, 480), image.copy(750, 0, 50, 480));
}

TEST_F(ChartRenderTest, StripsEachDrawTheirOwnPair) {
  SRGraph chart;
  const int tops[3] = {0, 147, 254}, heights[3] = {147, 107, 147};
  for (int k = 0; k < 3; ++k) {
    SRGCompoundDisplay* d = AddDisplay(chart, 2 * k, 2 * k + 1, k < 2 ? " " : "%3.0f");
    d->placed = true;
    d->rect = {0, tops[k], 600, tops[k] + heights[k]};
    d->plotArea = {60, tops[k] + (k == 0 ? 40 : 6), 567, tops[k] + heights[k] - (k == 2 ? 40 : 6)};
    FillPair(chart, k, 30, 0);
  }
  RenderReport report;
  const QImage image = RenderChartImage(chart, 600, 400, RenderOptions(), &report);
  Keep(image, "strips");
  ASSERT_EQ(image.size(), QSize(600, 400));
  ASSERT_EQ(report.displays.size(), 3u);
  for (int k = 0; k < 3; ++k) {
    const SRGCompoundDisplay* d = chart.Display(k);
    EXPECT_EQ(report.displays[k].outer, Q(d->rect)) << k;
    EXPECT_EQ(report.displays[k].plot, Q(d->plotArea)) << k;
    for (int j = 0; j < 3; ++j) {
      const int n = CountColour(image, Q(d->plotArea), SeriesColour(j));
      if (j == k)
        EXPECT_GT(n, 50) << "strip " << k;
      else
        EXPECT_EQ(n, 0) << "strip " << k << " shows series " << j;
    }
  }
  // Only the bottom strip labels its X values: between the first strip's
  // tick marks and the second strip's frame there is no text.
  const QRect gap(100, 147, 400, 5);
  EXPECT_EQ(CountColour(image, gap, Rgb{0, 0, 0}), 0);
}

TEST_F(ChartRenderTest, XGoingBackIsJoinedInRecordOrder) {
  SRGraph chart;
  SRGCompoundDisplay* d = AddDisplay(chart, 0, 1);
  d->placed = true;
  d->rect = {0, 0, 400, 300};
  d->plotArea = {40, 20, 380, 280};
  d->display->xRange = {true, -1, 11};
  d->display->yRange = {true, -1, 11};
  const double xs[] = {0, 10, 5}, ys[] = {0, 0, 10};
  for (int i = 0; i < 3; ++i) {
    chart.SetValue(i, 0, xs[i]);
    chart.SetValue(i, 1, ys[i]);
  }
  const QImage image = RenderChartImage(chart, 400, 300);
  Keep(image, "curve");
  const auto at = [](double x, double y) {
    return QPoint(40 + static_cast<int>((x + 1) / 12 * 340),
                  279 - static_cast<int>((y + 1) / 12 * 260));
  };
  const auto around = [&](QPoint p) { return QRect(p - QPoint(2, 2), QSize(5, 5)); };
  // (0,0) to (10,0) to (5,10): the bottom line is drawn; nothing joins
  // (0,0) straight to (5,10) as a sorted series would.
  EXPECT_GT(CountColour(image, around(at(2.5, 0)), SeriesColour(0)), 0);
  EXPECT_GT(CountColour(image, around(at(7.5, 5)), SeriesColour(0)), 0);
  EXPECT_EQ(CountColour(image, around(at(2.5, 5)), SeriesColour(0)), 0);
}

TEST_F(ChartRenderTest, ALeftOutPointOrABreakInterruptsItsOwnLineOnly) {
  // Two series over 0..10 on a plot 400 px wide. The first has its points
  // near 5 left out (NaN) and none between 7.3 and 8.3, with a break after
  // that gap; the second has every point. Sparse, and dense (sampled per
  // pixel column).
  for (int n : {11, 4001}) {
    SRGraph chart;
    SRGCompoundDisplay* d = AddDisplay(chart, 0, 3);
    d->placed = true;
    d->rect = {0, 0, 440, 300};
    d->plotArea = {20, 20, 420, 280};
    d->display->xRange = {true, 0, 10};
    d->display->yRange = {true, 0, 10};
    std::vector<double> x0, y0, x1, y1;
    SeriesInfo info;
    for (int i = 0; i < n; ++i) {
      const double x = i * 10.0 / (n - 1);
      x1.push_back(x);
      y1.push_back(7);
      if (x > 7.3 && x < 8.3) continue;
      if (x >= 8.3 && info.breaks.empty()) info.breaks.push_back(static_cast<int>(x0.size()));
      const bool out = x > 4.4 && x < 5.6;
      x0.push_back(out ? std::nan("") : x);
      y0.push_back(out ? std::nan("") : 3);
    }
    chart.SetGroupValues(0, x0);
    chart.SetGroupValues(1, y0);
    chart.SetGroupValues(2, x1);
    chart.SetGroupValues(3, y1);
    chart.SetSeries(0, info);
    const QImage image = RenderChartImage(chart, 440, 300);
    Keep(image, n < 100 ? "gaps" : "gaps-dense");
    const auto column = [&](double x, Rgb c) {
      const int px = 20 + static_cast<int>(std::lround(x * 40));
      return CountColour(image, QRect(px - 1, 20, 3, 260), c);
    };
    SCOPED_TRACE(n);
    EXPECT_GT(column(2, SeriesColour(0)), 0);
    EXPECT_EQ(column(5, SeriesColour(0)), 0);    // no line across the left-out points
    EXPECT_EQ(column(7.8, SeriesColour(0)), 0);  // nor across the break
    EXPECT_GT(column(9, SeriesColour(0)), 0);
    for (double x : {2.0, 5.0, 7.8, 9.0}) EXPECT_GT(column(x, SeriesColour(1)), 0) << x;
    // Without the break the line joins across the gap.
    chart.SetSeries(0, SeriesInfo());
    const QImage joined = RenderChartImage(chart, 440, 300);
    EXPECT_GT(CountColour(joined, QRect(20 + 312 - 1, 20, 3, 260), SeriesColour(0)), 0);
  }
}

TEST_F(ChartRenderTest, HiddenSeriesAreNotDrawnAndTheirKeysAreGrey) {
  SRGraph chart;
  SRGCompoundDisplay* d = AddDisplay(chart, 0, 3);
  FillPair(chart, 0, 40, 0);
  FillPair(chart, 1, 40, 30);
  chart.SetAnnotation(1, "Shown");
  chart.SetAnnotation(3, "Hidden");
  auto* legend = chart.AddNew<SRGraphLegend>();
  legend->lastGroup = 3;
  ASSERT_TRUE(chart.SetSeriesHidden(1, true));
  RenderReport report;
  const QImage image = RenderChartImage(chart, 500, 400, RenderOptions(), &report);
  Keep(image, "hidden");
  EXPECT_GT(CountColour(image, Q(d->plotArea), SeriesColour(0)), 50);
  EXPECT_EQ(CountColour(image, Q(d->plotArea), SeriesColour(1)), 0);
  // The visible series alone sets the Y range.
  EXPECT_LT(RangesOf(chart, *d).y.max, 15);
  ASSERT_EQ(legend->items.size(), 2u);
  const QRect shownKey = Q(legend->items[0].key), hiddenKey = Q(legend->items[1].key);
  EXPECT_GT(CountExact(image, shownKey, SeriesColour(0)), 4);
  EXPECT_EQ(CountExact(image, hiddenKey, SeriesColour(1)), 0);
  EXPECT_GT(CountExact(image, hiddenKey, Rgb{192, 192, 192}), 4);
  // The entries the UI clicks are where they were drawn.
  EXPECT_TRUE(report.legend.contains(hiddenKey));
  EXPECT_EQ(LegendKeyAt(chart, hiddenKey.center().x(), hiddenKey.center().y()), 1);
}

TEST_F(ChartRenderTest, LimitLinesStandAtTheirValuesOrPointFromTheEdge) {
  SRGraph chart;
  SRGCompoundDisplay* d = AddDisplay(chart, 0, 1);
  d->placed = true;
  d->rect = {0, 0, 500, 400};
  d->plotArea = {60, 20, 480, 360};
  d->display->yRange = {true, 0, 100};
  FillPair(chart, 0, 40, 50);
  chart.limitLines = {{0, "high", 80, "ppm", "High 80 ppm"},
                      {0, "ceiling", 200, "ppm", "Ceiling 200 ppm"},
                      {0, "low", -5, "ppm", "Low -5 ppm"},
                      {0, "high", 80, "ppm", "High 80 ppm"}};  // once only
  RenderReport report;
  const QImage image = RenderChartImage(chart, 500, 400, RenderOptions(), &report);
  Keep(image, "limits");
  ASSERT_EQ(report.limitLines.size(), 3u);
  const auto& line = report.limitLines[0];
  EXPECT_EQ(line.arrow, 0);
  // On the row where the scale has its tick of 80.
  ASSERT_EQ(report.displays.size(), 1u);
  const auto& ticks = report.displays[0].yTicks;
  const auto tick80 = std::find_if(ticks.begin(), ticks.end(),
                                   [](const RenderReport::TickMark& t) { return t.value == 80; });
  ASSERT_NE(tick80, ticks.end());
  EXPECT_EQ(line.y, tick80->pos);
  // A dashed line in the series' colour along that row: dashes and gaps.
  int dashes = 0;
  for (int y = line.y - 1; y <= line.y + 1; ++y)
    dashes = std::max(dashes, CountExact(image, QRect(60, y, 300, 1), SeriesColour(0)));
  EXPECT_GT(dashes, 100);
  EXPECT_LT(dashes, 250);
  EXPECT_EQ(report.limitLines[1].arrow, 1);
  EXPECT_EQ(report.limitLines[1].y, d->plotArea.top);
  EXPECT_EQ(report.limitLines[2].arrow, -1);
  // The arrows stand at the right end of their edge.
  EXPECT_GT(CountExact(image, QRect(440, 20, 40, 12), SeriesColour(0)), 10);
  EXPECT_GT(CountExact(image, QRect(440, 348, 40, 12), SeriesColour(0)), 10);
  // Hidden, the series takes its lines along.
  chart.SetSeriesHidden(0, true);
  RenderChartImage(chart, 500, 400, RenderOptions(), &report);
  EXPECT_TRUE(report.limitLines.empty());
}

TEST_F(ChartRenderTest, SvgParsesAndRastersToTheSamePicture) {
  MultiAxisChart m;
  m.chart.limitLines = {{1, "high", 45, "%RH", "High 45 %RH"}};
  std::string svg, error;
  ASSERT_TRUE(ChartSvgBytes(m.chart, 800, 600, RenderOptions(), svg, error)) << error;
  QXmlStreamReader xml(QByteArray::fromStdString(svg));
  int elements = 0;
  while (!xml.atEnd())
    if (xml.readNext() == QXmlStreamReader::StartElement) ++elements;
  EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
  EXPECT_GT(elements, 50);
  const QImage png = RenderChartImage(m.chart, 800, 600);

  test::TempDir dir;
  const std::string in = dir.File("chart.svg"), out = dir.File("chart.png");
  test::WriteBytes(in, {svg.begin(), svg.end()});
  QProcess rsvg;
  rsvg.start("rsvg-convert", {"-w", "800", "-h", "600", "-b", "white", "-o",
                              QString::fromStdString(out), QString::fromStdString(in)});
  if (!rsvg.waitForStarted()) GTEST_SKIP() << "rsvg-convert (librsvg2-bin) is not installed";
  ASSERT_TRUE(rsvg.waitForFinished(60000));
  ASSERT_EQ(rsvg.exitCode(), 0) << rsvg.readAllStandardError().toStdString();
  const QImage raster = QImage(QString::fromStdString(out)).convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(raster.size(), png.size());
  Keep(raster, "svg-raster");
  // Edges and text are smoothed differently; the picture is the same: few
  // pixels differ much, and none of the series goes missing.
  long far = 0;
  double sum = 0;
  for (int y = 0; y < png.height(); ++y)
    for (int x = 0; x < png.width(); ++x) {
      const QRgb a = png.pixel(x, y), b = raster.pixel(x, y);
      const int diff = std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                 std::abs(qBlue(a) - qBlue(b))});
      sum += diff;
      far += diff > 128;
    }
  const double pixels = 800.0 * 600.0;
  EXPECT_LT(sum / pixels, 6.0);
  EXPECT_LT(far / pixels, 0.02);
  for (int k = 0; k < 3; ++k) {
    const int inPng = CountColour(png, QRect(100, 75, 567, 330), SeriesColour(k));
    EXPECT_NEAR(CountColour(raster, QRect(100, 75, 567, 330), SeriesColour(k)), inPng, inPng * 0.35)
        << k;
  }
}

TEST_F(ChartRenderTest, ChartsWithoutDataOrDisplaysStillDraw) {
  SRGraph empty;
  const QImage blank = RenderChartImage(empty, 200, 100);
  ASSERT_EQ(blank.size(), QSize(200, 100));
  EXPECT_EQ(CountExact(blank, blank.rect(), Rgb{255, 255, 255}), 200 * 100);

  // Groups of a pair with no point, a pair of NaN values and a lone point;
  // a legend and a bar bound to a display that does not exist.
  SRGraph chart;
  SRGCompoundDisplay* d = AddDisplay(chart, 0, 5);
  chart.SetValue(0, 1, std::nan(""));
  chart.SetValue(0, 2, std::nan(""));
  chart.SetValue(0, 3, 4);
  chart.SetValue(0, 4, 7);
  chart.SetValue(0, 5, 7);
  chart.ApplyStyle(4, 5, 0, -1, false, true);
  chart.AddNew<SRGScaleBar>()->boundDisplay = 9;
  chart.AddNew<SRGraphLegend>();
  RenderReport report;
  const QImage image = RenderChartImage(chart, 300, 200, RenderOptions(), &report);
  ASSERT_EQ(report.displays.size(), 1u);
  EXPECT_EQ(report.displays[0].plot, Q(d->plotArea));
  ASSERT_EQ(report.scaleBars.size(), 1u);
  EXPECT_TRUE(report.scaleBars[0].isNull());
  // The lone point of pair 2 shows as its marker.
  EXPECT_GT(CountColour(image, Q(d->plotArea), SeriesColour(2)), 5);
}

// Charts built in memory with what a hostile file would hold: group
// references at the ends of the int range and a side title far too long
// (the reader refuses both), rectangles as wide as the reader takes. They
// draw.
TEST_F(ChartRenderTest, HostileChartsInMemoryStillDraw) {
  {
    SRGraph chart;
    FillPair(chart, 0, 50, 20);
    AddDisplay(chart, INT_MAX, INT_MAX);
    AddDisplay(chart, INT_MIN, INT_MAX);
    auto* legend = chart.AddNew<SRGraphLegend>();
    legend->firstGroup = INT_MAX;
    RenderReport report;
    const QImage image = RenderChartImage(chart, 320, 240, RenderOptions(), &report);
    ASSERT_EQ(image.size(), QSize(320, 240));
    ASSERT_EQ(report.displays.size(), 2u);
    // The second display shows pair 0.
    EXPECT_GT(CountColour(image, report.displays[1].plot, SeriesColour(0)), 20);
  }
  {
    SRGraph chart;
    FillPair(chart, 0, 50, 20);
    SRGCompoundDisplay* d = AddDisplay(chart, 0, 1);
    d->placed = true;
    d->rect = {-100000, -100000, 100000, 100000};
    d->plotArea = {-100000, -100000, 100000, 100000};
    auto* bar = chart.AddNew<SRGScaleBar>();
    bar->boundDisplay = 0;
    bar->scale.labelsFarSide = true;
    bar->rect = {-100000, -100000, 100000, 100000};
    auto* legend = chart.AddNew<SRGraphLegend>();
    legend->autoPosition = false;
    legend->rect = {-100000, -100000, 100000, 100000};
    const QImage image = RenderChartImage(chart, 320, 240);
    EXPECT_EQ(image.size(), QSize(320, 240));
  }
  {
    SRGraph chart;
    FillPair(chart, 0, 50, 20);
    SRGCompoundDisplay* d = AddDisplay(chart, 0, 1);
    SRGraphLabel title;
    title.text = std::string(20000, 'T');
    title.rotated = true;
    title.side = Side::Left;
    d->labels.push_back(title);
    RenderReport report;
    const QImage image = RenderChartImage(chart, 320, 240, RenderOptions(), &report);
    ASSERT_EQ(image.size(), QSize(320, 240));
    // Cut to the display's side: every text stays inside the chart.
    for (const QRect& box : report.texts) EXPECT_TRUE(image.rect().contains(box)) << box.width();
  }
}

// The pixel row the interaction maps a value to is the row the plot draws
// it on: a level line of many points (drawn without smoothing) at values
// that fall on whole rows.
TEST_F(ChartRenderTest, ValuesAndTheirPixelRowsAgreeWithThePicture) {
  for (double value : {10.0, 25.0, 50.0, 90.0}) {
    SRGraph chart;
    for (int i = 0; i <= 1000; ++i) {
      chart.SetValue(i, 0, i);
      chart.SetValue(i, 1, value);
    }
    SRGCompoundDisplay* d = AddDisplay(chart, 0, 1);
    d->placed = true;
    d->rect = {0, 0, 200, 150};
    d->plotArea = {20, 20, 180, 120};
    d->display->xRange = {true, 0, 1000};
    d->display->yRange = {true, 0, 100};
    const QImage image = RenderChartImage(chart, 200, 150);
    int row = -1, most = 0;
    for (int y = 0; y < image.height(); ++y) {
      const int n = CountExact(image, QRect(40, y, 120, 1), SeriesColour(0));
      if (n > most) most = n, row = y;
    }
    ASSERT_GT(most, 100) << value;
    EXPECT_EQ(std::lround(YToPixel(d->plotArea, d->display->yRange, value)), row) << value;
    EXPECT_DOUBLE_EQ(PixelToY(d->plotArea, d->display->yRange, row), value);
  }
}

TEST_F(ChartRenderTest, OverlaysAndVectorPagesDrawTheSameChart) {
  MultiAxisChart m;
  RenderOptions options;
  TextOverlay note;
  note.xPercent = 50;
  note.yPercent = 50;
  note.height = 16;
  note.text = "Window opened";
  options.overlays.push_back(note);
  const QImage plain = RenderChartImage(m.chart, 800, 600);
  const QImage noted = RenderChartImage(m.chart, 800, 600, options);
  // The text's top-left corner is at the middle of the chart, on a white
  // box with a thin border a few pixels around it.
  EXPECT_EQ(noted.copy(0, 0, 396, 297), plain.copy(0, 0, 396, 297));
  EXPECT_NE(noted.copy(400, 300, 200, 20), plain.copy(400, 300, 200, 20));
  EXPECT_EQ(noted.copy(400, 330, 400, 150), plain.copy(400, 330, 400, 150));
  int border = 0;
  for (int y = 296; y <= 300; ++y) {
    int grey = 0;
    for (int x = 400; x < 500; ++x) {
      const QRgb p = noted.pixel(x, y);
      grey += qRed(p) < 160 && qRed(p) == qGreen(p) && qGreen(p) == qBlue(p);
    }
    border = std::max(border, grey);
  }
  EXPECT_GT(border, 80) << "the box's top edge";

  // Through a recorded picture (the page path), played back at 96 dpi.
  QPicture picture;
  {
    QPainter painter(&picture);
    RenderChart(m.chart, painter, 800, 600);
  }
  QImage replayed(800, 600, QImage::Format_RGB32);
  replayed.fill(Qt::white);
  {
    QPainter painter(&replayed);
    painter.drawPicture(0, 0, picture);
  }
  Keep(replayed, "picture");
  for (int k = 0; k < 3; ++k)
    EXPECT_GT(CountColour(replayed, QRect(100, 75, 567, 330), SeriesColour(k)), 100);
  EXPECT_GT(CountColour(replayed, QRect(750, 0, 50, 480), SeriesColour(2)), 100);
}

// Bounding box of the pixels of colour `c`.
QRect Extent(const QImage& image, Rgb c) {
  QRect box;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (CountColour(image, QRect(x, y, 1, 1), c)) box |= QRect(x, y, 1, 1);
  return box;
}

// A one-page PDF of 1200 x 900 pixels at 288 dpi drawn by `draw`, as an
// image through pdftoppm (null when that is not installed).
QImage PdfPage(const std::string& dir, const char* name,
               const std::function<void(QPdfWriter&)>& draw) {
  const QString pdf = QString::fromStdString(dir + "/" + name + ".pdf");
  {
    QPdfWriter writer(pdf);
    writer.setResolution(288);
    writer.setPageLayout(QPageLayout(QPageSize(QSizeF(1200 / 288.0, 900 / 288.0), QPageSize::Inch),
                                     QPageLayout::Portrait, QMarginsF()));
    draw(writer);
  }
  const QString stem = QString::fromStdString(dir + "/" + name);
  QProcess process;
  process.start("pdftoppm", {"-r", "288", "-png", "-singlefile", pdf, stem});
  if (!process.waitForFinished(30000) || process.exitCode() != 0) return QImage();
  return QImage(stem + ".png").convertToFormat(QImage::Format_RGB32);
}

TEST_F(ChartRenderTest, PagesOfAnotherResolutionGetTheChartInTheirPixels) {
  test::TempDir dir;
  SRGraph chart;
  AddDisplay(chart, 0, 1);
  FillPair(chart, 0, 50, 0);
  auto* title = chart.AddNew<SRGraphLabel>();
  title->text = "Office 2";
  title->fontSize = 16;
  RenderOptions options;
  options.dpi = 288;
  // Straight onto the page, and through a painter already open on it (the
  // recorded picture of the printer path).
  const QImage direct = PdfPage(dir.path(), "direct", [&](QPdfWriter& writer) {
    RenderChartOnDevice(chart, writer, 1200, 900, options);
  });
  if (direct.isNull()) GTEST_SKIP() << "pdftoppm is not installed";
  const QImage painted = PdfPage(dir.path(), "painted", [&](QPdfWriter& writer) {
    QPainter painter(&writer);
    RenderChart(chart, painter, 1200, 900, options);
  });
  Keep(painted, "page-288dpi");
  ASSERT_EQ(painted.size(), QSize(1200, 900));
  const QRect a = Extent(direct, SeriesColour(0)), b = Extent(painted, SeriesColour(0));
  ASSERT_FALSE(a.isEmpty());
  EXPECT_LE((a.topLeft() - b.topLeft()).manhattanLength(), 2);
  EXPECT_LE((a.bottomRight() - b.bottomRight()).manhattanLength(), 2);
  const QRect t1 = Extent(direct.copy(Q(title->rect)), Rgb{0, 0, 0});
  const QRect t2 = Extent(painted.copy(Q(title->rect)), Rgb{0, 0, 0});
  ASSERT_FALSE(t1.isEmpty());
  EXPECT_LE(std::abs(t1.width() - t2.width()), 2);
  EXPECT_LE(std::abs(t1.height() - t2.height()), 2);
}

TEST_F(ChartRenderTest, ImageFilesHaveTheImagesSizeAndPixels) {
  test::TempDir dir;
  MultiAxisChart m;
  const QImage image = RenderChartImage(m.chart, 321, 203);  // odd width: padded BMP rows
  ASSERT_EQ(image.size(), QSize(321, 203));
  std::string error;

  // DIB: the standard headers, bottom-up rows of 24 bits, padded to 4 bytes.
  const std::string dib = DibBytes(image);
  const auto u32 = [&](std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(dib[at + i]);
    return v;
  };
  const std::uint32_t stride = (321 * 3 + 3) / 4 * 4;
  ASSERT_EQ(dib.size(), 54 + stride * 203);
  EXPECT_EQ(dib.substr(0, 2), "BM");
  EXPECT_EQ(u32(2), dib.size());
  EXPECT_EQ(u32(10), 54u);
  EXPECT_EQ(u32(14), 40u);
  EXPECT_EQ(u32(18), 321u);
  EXPECT_EQ(u32(22), 203u);
  EXPECT_EQ(u32(26) & 0xFFFF, 1u);
  EXPECT_EQ(u32(28) & 0xFFFF, 24u);
  EXPECT_EQ(u32(30), 0u);
  EXPECT_EQ(u32(34), stride * 203);
  EXPECT_EQ(u32(38), 3780u);
  // The first row stored is the bottom one, in blue-green-red order.
  const QRgb bottomLeft = image.pixel(0, 202);
  EXPECT_EQ(static_cast<unsigned char>(dib[54]), qBlue(bottomLeft));
  EXPECT_EQ(static_cast<unsigned char>(dib[56]), qRed(bottomLeft));

  const std::string dibPath = dir.File("chart.dib");
  ASSERT_TRUE(WriteDibFile(image, dibPath, error)) << error;
  QImage back(QString::fromStdString(dibPath), "BMP");
  ASSERT_EQ(back.size(), image.size());
  EXPECT_EQ(back.convertToFormat(QImage::Format_RGB32), image);

  // JPEG
  std::string jpeg;
  ASSERT_TRUE(JpegBytes(image, 90, jpeg, error)) << error;
  ASSERT_GT(jpeg.size(), 4u);
  EXPECT_EQ(static_cast<unsigned char>(jpeg[0]), 0xFF);
  EXPECT_EQ(static_cast<unsigned char>(jpeg[1]), 0xD8);
  const QImage decoded = QImage::fromData(reinterpret_cast<const uchar*>(jpeg.data()),
                                          static_cast<int>(jpeg.size()), "JPEG");
  EXPECT_EQ(decoded.size(), image.size());
  const std::string jpgPath = dir.File("chart.jpg");
  ASSERT_TRUE(WriteJpegFile(image, jpgPath, error)) << error;
  EXPECT_EQ(QImage(QString::fromStdString(jpgPath)).size(), image.size());

  // PNG is lossless.
  const std::string pngPath = dir.File("chart.png");
  ASSERT_TRUE(WritePngFile(image, pngPath, error)) << error;
  EXPECT_EQ(QImage(QString::fromStdString(pngPath)).convertToFormat(QImage::Format_RGB32), image);

  // A folder that does not exist: a failure with the system's reason (the
  // caller names the file), no file.
  const std::string missing = dir.File("no/such/chart.jpg");
  EXPECT_FALSE(WriteJpegFile(image, missing, error));
  EXPECT_EQ(error, std::strerror(ENOENT));
  EXPECT_FALSE(WriteDibFile(QImage(), dir.File("empty.dib"), error));
}

TEST_F(ChartRenderTest, PdfIsOneLandscapePageLaidOutInDevicePixels) {
  test::TempDir dir;
  MultiAxisChart m;
  int laidW = 0, laidH = 0;
  std::string error;
  const std::string path = dir.File("chart.pdf");
  // The caller's layout, in the page's device pixels at its resolution.
  double laidDpi = 0;
  const auto layout = [&](int w, int h, double dpi) {
    laidW = w, laidH = h, laidDpi = dpi;
    const int g = h * 8 / 10, band = w / 16, right = w - 2 * band;
    for (int k = 0; k < 3; ++k) {
      m.chart.Display(k)->rect = {0, 0, right, g};
      m.chart.Display(k)->plotArea = {w / 8, h / 8, right - w / 24, g - h / 8};
    }
    for (int k = 1; k < 3; ++k)
      static_cast<SRGScaleBar*>(m.chart.Find(ComponentKind::ScaleBar, k - 1))->rect = {
          right + (k - 1) * band, 0, right + k * band, g};
    m.legend->rect = {0, g, w, h};
  };
  ASSERT_TRUE(WriteChartPdf(m.chart, path, RenderOptions(), layout, error)) << error;
  // A4 landscape less 10 mm margins at 300 dpi: 277 x 190 mm.
  EXPECT_EQ(laidDpi, 300);
  EXPECT_NEAR(laidW, 277 / 25.4 * 300, 3);
  EXPECT_NEAR(laidH, 190 / 25.4 * 300, 3);
  std::ifstream in(path, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!qEnvironmentVariableIsEmpty("VANTORA_CHART_PICTURES"))
    std::ofstream(qgetenv("VANTORA_CHART_PICTURES").toStdString() + "/chart.pdf", std::ios::binary)
        << bytes;
  EXPECT_EQ(bytes.substr(0, 5), "%PDF-");
  EXPECT_GT(bytes.size(), 2000u);
}

TEST_F(ChartRenderTest, TwentyFullSeriesRenderTime) {
  SRGraph chart;
  auto* d = AddDisplay(chart, 0, -1);
  d->xScale = Scale<SRGDateScale>(" %H:%M:%S ", Orientation::Horizontal);
  d->display->axisType = kAxisDateOnX;
  d->xGrid = std::make_unique<SRGGridLines>();
  d->yGrid = std::make_unique<SRGGridLines>();
  constexpr int kPoints = 65535, kSeries = 20;
  chart.Reserve(2 * kSeries, kPoints);
  const double start = OleDate(2024, 1, 1, 0, 0, 0);
  for (int k = 0; k < kSeries; ++k)
    for (int i = 0; i < kPoints; ++i) {
      chart.SetValue(i, 2 * k, start + i / 1440.0);
      chart.SetValue(i, 2 * k + 1, k * 10 + 5 * std::sin(i / 500.0 + k) + (i % 7) * 0.3);
    }
  QImage image = RenderChartImage(chart, 1600, 1000);  // warm-up
  // Wall time, and the thread's processor time (steadier on a busy machine).
  std::vector<double> wall, cpu;
  const auto cpuMs = [] {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
  };
  for (int run = 0; run < 15; ++run) {
    QElapsedTimer timer;
    timer.start();
    const double c0 = cpuMs();
    image = RenderChartImage(chart, 1600, 1000);
    cpu.push_back(cpuMs() - c0);
    wall.push_back(timer.nsecsElapsed() / 1e6);
  }
  std::sort(wall.begin(), wall.end());
  std::sort(cpu.begin(), cpu.end());
  std::printf(
      "[ timing ] 20 x 65535 points at 1600 x 1000, layout + data + drawing: median %.1f ms "
      "(best %.1f), processor time median %.1f ms (best %.1f)\n",
      wall[wall.size() / 2], wall.front(), cpu[cpu.size() / 2], cpu.front());
  Keep(image, "twenty");
  for (int k = 0; k < kSeries; ++k)
    EXPECT_GT(CountColour(image, Q(d->plotArea), SeriesColour(k)), 0) << k;
}

TEST_F(ChartRenderTest, RedrawsShowEveryChangeOfTheData) {
  // Points are kept between drawings: a change, or a new chart where an old
  // one stood, must still show its own data.
  const auto make = [](double base) {
    auto chart = std::make_unique<SRGraph>();
    auto* d = AddDisplay(*chart, 0, -1);
    d->display->xRange = {true, 0, 50};
    d->display->yRange = {true, 0, 300};
    FillPair(*chart, 0, 50, base);
    return chart;
  };
  auto a = make(100);
  const QImage first = RenderChartImage(*a, 400, 300);
  EXPECT_EQ(RenderChartImage(*a, 400, 300), first);
  a->SetValue(20, 1, 250);
  const QImage moved = RenderChartImage(*a, 400, 300);
  EXPECT_NE(moved, first);
  auto same = make(100);
  same->SetValue(20, 1, 250);
  EXPECT_EQ(RenderChartImage(*same, 400, 300), moved);
  a->SetGroupValues(1, std::vector<double>(50, 150));
  EXPECT_NE(RenderChartImage(*a, 400, 300), moved);

  a.reset();
  same.reset();
  auto b = make(200);
  const QImage fromB = RenderChartImage(*b, 400, 300);
  EXPECT_EQ(fromB, RenderChartImage(*make(200), 400, 300));
  EXPECT_NE(fromB, first);
}

}  // namespace
}  // namespace vantora::chart

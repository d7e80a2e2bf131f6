#include "chart/chartlayout.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <random>

namespace vantora::chart {
namespace {

// A monospaced font: 0.6 em per character, line height 1.25 em.
class FakeMeasure : public TextMeasure {
 public:
  int Width(const std::string& text, int px) const override {
    return static_cast<int>(text.size()) * (px * 6 + 9) / 10;
  }
  int Height(int px) const override { return px * 5 / 4; }
};

TEST(ChartDates, OleDatesAndFormats) {
  EXPECT_EQ(OleDate(1899, 12, 30, 0, 0, 0), 0.0);
  EXPECT_EQ(OleDate(1900, 3, 1, 0, 0, 0), 61.0);  // 1900 had no 29 February
  EXPECT_EQ(OleDate(2000, 1, 1, 0, 0, 0), 36526.0);
  EXPECT_EQ(OleDate(2026, 3, 29, 3, 0, 0), 46110.125);

  EXPECT_EQ(FormatOleDate(" %d-%b-%y ", OleDate(2026, 3, 10, 14, 5, 9)), " 10-Mar-26 ");
  EXPECT_EQ(FormatOleDate(" %H:%M:%S ", OleDate(2026, 3, 10, 14, 5, 9)), " 14:05:09 ");
  EXPECT_EQ(FormatOleDate("%Y-%m-%d %j %a %A %B %I %p", OleDate(2024, 2, 29, 12, 0, 0)),
            "2024-02-29 060 Thu Thursday February 12 PM");
  EXPECT_EQ(FormatOleDate("%j %a %I %p %y", OleDate(2024, 12, 31, 0, 30, 0)), "366 Tue 12 AM 24");
  EXPECT_EQ(FormatOleDate("%d %b %Y", OleDate(2000, 2, 29, 0, 0, 0)), "29 Feb 2000");
  EXPECT_EQ(FormatOleDate("100%% %Q %", 0), "100% %Q %");

  // Rounded to the nearest second, carrying into the next year.
  const double late = OleDate(2026, 12, 31, 23, 59, 59);
  const CivilTime up = CivilFromOle(late + 0.6 / 86400);
  EXPECT_EQ(up.year, 2027);
  EXPECT_EQ(up.month, 1);
  EXPECT_EQ(up.day, 1);
  EXPECT_EQ(up.hour, 0);
  EXPECT_EQ(up.yearDay, 0);
  EXPECT_EQ(up.weekday, 5);  // a Friday
  EXPECT_EQ(CivilFromOle(late + 0.4 / 86400).second, 59);

  // Before the epoch the fraction still counts forward from midnight.
  const CivilTime before = CivilFromOle(-1.25);
  EXPECT_EQ(before.day, 28);
  EXPECT_EQ(before.hour, 18);
  // Out of the calendar's range: clamped to the years 100 and 9999.
  EXPECT_EQ(FormatOleDate("%Y", -1e300), "100");
  EXPECT_EQ(FormatOleDate("%Y", 1e300), "9999");
  EXPECT_EQ(FormatOleDate("%Y", std::numeric_limits<double>::infinity()), "9999");
  EXPECT_EQ(FormatOleDate("%Y", std::nan("")), "1899");
}

TEST(ChartFormats, DecimalFormatsAndHostileOnes) {
  EXPECT_EQ(FormatDecimal("%4.2f", 21.5), "21.50");
  EXPECT_EQ(FormatDecimal("%#4.4g", 21.5), "21.50");
  EXPECT_EQ(FormatDecimal("%3.1f", 3), "3.0");
  EXPECT_EQ(FormatDecimal("%+08.3E", -0.5), "-5.000E-01");
  EXPECT_EQ(FormatDecimal("x %% %-6.1f|", 2.25), "x % 2.2   |");
  for (const char* hostile : {"%s", "%n", "%999999f", "%4.2f %f", "%d", "%123.1f", "%1.123f",
                              "no conversion", "%", "%4.2", "%*.2f", "%lf"})
    EXPECT_EQ(FormatDecimal(hostile, 1.0), hostile);
  const std::string huge = FormatDecimal("%99.2f", 1e300);
  EXPECT_LE(huge.size(), 64u);
  EXPECT_NE(huge.find("e+300"), std::string::npos) << huge;
  EXPECT_EQ(FormatDecimal(std::string(100, 'a'), 1).size(), 64u);
}

// Labels centred on their ticks keep at least 4 px apart; ticks are
// ascending, inside the range, and equally spaced.
void ExpectReadable(const std::vector<Tick>& ticks, double min, double max, int length,
                    bool horizontal, int px, const TextMeasure& m, const std::string& what) {
  ASSERT_FALSE(ticks.empty()) << what;
  ASSERT_LE(ticks.size(), 1001u) << what;
  const double span = max - min;
  for (std::size_t i = 0; i < ticks.size(); ++i) {
    EXPECT_GE(ticks[i].value, min - span * 1e-9) << what;
    EXPECT_LE(ticks[i].value, max + span * 1e-9) << what;
    if (i == 0) continue;
    const double d = (ticks[i].value - ticks[i - 1].value) / span * length;
    // Horizontal labels keep a gap, vertical ones stand two lines apart.
    const double need =
        horizontal ? (m.Width(ticks[i].label, px) + m.Width(ticks[i - 1].label, px)) / 2.0 + 4
                   : 2 * m.Height(px);
    EXPECT_GE(d, need) << what << " at " << ticks[i].label;
    if (i > 1) {
      const double step = ticks[1].value - ticks[0].value;
      EXPECT_NEAR(ticks[i].value - ticks[i - 1].value, step, step * 1e-6) << what;
    }
  }
}

TEST(ChartTicks, DecimalAndTimeLabelsNeverOverlap) {
  FakeMeasure m;
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> u(0, 1);
  const char* formats[] = {"%4.2f", "%#4.4g", "%g", "%3.1f", "%9.6f"};
  for (int run = 0; run < 2000; ++run) {
    const double scale = std::pow(10.0, -4 + 12 * u(rng));
    double min = (u(rng) - 0.5) * scale * 4;
    double max = min + scale * u(rng);
    const int length = 10 + static_cast<int>(u(rng) * 2000);
    const bool horizontal = run % 2 == 0;
    const int px = 8 + run % 10;
    const std::string format = formats[run % 5];
    const std::string what = format + " " + std::to_string(min) + ".." + std::to_string(max) +
                             " over " + std::to_string(length);
    const auto ticks = DecimalTicks(min, max, length, horizontal, format, px, m);
    ExpectReadable(ticks, min, max, length, horizontal, px, m, what);
    if (HasFailure()) return;

    const double t0 = 40000 + u(rng) * 10000;
    const double t1 = t0 + std::pow(10.0, -4 + 7 * u(rng));
    const auto times = TimeTicks(t0, t1, length, horizontal, " %H:%M:%S ", px, m);
    ExpectReadable(times, t0, t1, length, horizontal, px, m, "time " + what);
    for (const auto& t : times) {
      const double secs = t.value * 86400;
      EXPECT_NEAR(secs, std::round(secs), 1e-3) << "whole seconds";
    }
    if (HasFailure()) return;
  }
}

TEST(ChartTicks, DegenerateRanges) {
  FakeMeasure m;
  EXPECT_TRUE(DecimalTicks(std::nan(""), 1, 500, true, "%g", 12, m).empty());
  EXPECT_EQ(DecimalTicks(5, 5, 500, true, "%g", 12, m).size(), 1u);
  EXPECT_LE(DecimalTicks(-1e308, 1e308, 500, true, "%g", 12, m).size(), 2u);
  EXPECT_LE(DecimalTicks(0, 1e9, 1 << 30, true, "%g", 1, m).size(), 1001u);
  EXPECT_EQ(DecimalTicks(1e15, 1e15 + 0.001, 500, true, "%4.2f", 12, m).size(), 1u);
  // Labels of ten characters on a 30 px axis: one tick, not a pile.
  EXPECT_EQ(DecimalTicks(0, 100, 30, true, "%10.4f", 12, m).size(), 1u);
  const auto ends = DecimalTicks(0.3, 7.7, 20, false, "%3.1f", 12, m, true);
  ASSERT_EQ(ends.size(), 2u);
  EXPECT_EQ(ends[0].label, "0.3");
  EXPECT_EQ(ends[1].label, "7.7");
  // A whole step is never shown as "-0.00".
  for (const auto& t : DecimalTicks(-1, 1, 800, true, "%4.2f", 12, m)) EXPECT_NE(t.label, "-0.00");
  EXPECT_EQ(TimeTicks(46000.5, 46000.5, 500, true, "%H:%M", 12, m).size(), 1u);
}

TEST(ChartTicks, ShortAxesLabelTheirEnds) {
  FakeMeasure m;
  // 30 px for 13.2 units: a nice step leaves one tick; both ends fit.
  auto ticks = DecimalTicks(13.4, 26.6, 30, false, "%4.2f", 8, m);
  ASSERT_EQ(ticks.size(), 2u);
  EXPECT_EQ(ticks[0].label, "13.40");
  EXPECT_EQ(ticks[1].label, "26.60");
  // Too short for two labels apart: still one.
  EXPECT_EQ(DecimalTicks(13.4, 26.6, 15, false, "%4.2f", 8, m).size(), 1u);
}

TEST(ChartTicks, BandLabelsStayInTheirBand) {
  FakeMeasure m;
  const auto expectInBand = [&](const FittedTicks& f, int room, const std::string& what) {
    ASSERT_FALSE(f.ticks.empty()) << what;
    for (const Tick& t : f.ticks) EXPECT_LE(m.Width(t.label, f.fontPx), room) << what;
  };
  // Wide enough: the scale's own font and format.
  FittedTicks f = BandTicks(13.4, 26.6, 330, "%4.2f", 12, 100, 96, m);
  EXPECT_EQ(f.fontPx, 12);
  EXPECT_EQ(f.ticks[0].label, "14.00");
  // 13 px: 6 points and whole numbers, each the exact value of its tick.
  f = BandTicks(13.4, 26.6, 330, "%4.2f", 12, 13, 96, m);
  expectInBand(f, 13, "whole numbers");
  EXPECT_EQ(f.fontPx, PointsToPixels(6, 96));
  ASSERT_GE(f.ticks.size(), 5u);
  for (const Tick& t : f.ticks) EXPECT_EQ(std::stod(t.label), t.value) << t.label;
  // Half units cannot show as whole numbers: their labels are left out.
  f = BandTicks(0.1, 0.9, 330, "%4.2f", 12, 13, 96, m);
  expectInBand(f, 13, "fractions");
  for (const Tick& t : f.ticks) {
    if (!t.label.empty()) {
      EXPECT_EQ(std::stod(t.label), t.value) << t.label;
    }
  }
  // Four digits never fit 13 px: no label at all rather than one across the edge.
  f = BandTicks(1000, 5000, 330, "%4.0f", 12, 13, 96, m);
  expectInBand(f, 13, "thousands");
  // Significant-digit formats shorten too.
  f = BandTicks(13.4, 26.6, 330, "%#4.4g", 12, 13, 96, m);
  expectInBand(f, 13, "%#4.4g");
  EXPECT_EQ(f.ticks[0].label, "14");
}

TEST(ChartLayout, SideTitlesAndEndLabelsFitTheirRoom) {
  FakeMeasure m;
  const int six = PointsToPixels(6, 96);
  // Fits along a 20 px side at 10 px.
  SideTitle t = FitSideTitle("ppm", 12, 20, 40, 25, 96, m);
  EXPECT_TRUE(t.rotated);
  EXPECT_EQ(t.text, "ppm");
  EXPECT_LE(m.Width(t.text, t.fontPx), 20);
  EXPECT_GT(m.Width(t.text, t.fontPx + 1), 20);
  // Too long even at 6 points: across the margin, shrunk, then cut.
  t = FitSideTitle("Conductivity", 12, 20, 70, 25, 96, m);
  EXPECT_FALSE(t.rotated);
  EXPECT_EQ(t.text, "Conductivity");
  EXPECT_EQ(t.fontPx, six);
  t = FitSideTitle("Conductivity", 12, 20, 40, 25, 96, m);
  EXPECT_EQ(t.text, "Cond...");
  EXPECT_GT(m.Width("Condu...", t.fontPx), 40);
  EXPECT_LE(m.Width(t.text, t.fontPx), 40);
  EXPECT_TRUE(FitSideTitle("Conductivity", 12, 20, 10, 25, 96, m).text.empty());
  // A strip lower than a line at 6 points gets no title.
  EXPECT_TRUE(FitSideTitle("Conductivity", 12, 5, 100, 5, 96, m).text.empty());

  EXPECT_EQ(EndLabelFontSize(11, 30, 96, m), 11);
  EXPECT_EQ(m.Height(EndLabelFontSize(11, 12, 96, m)), 12);
  EXPECT_EQ(EndLabelFontSize(11, 3, 96, m), six);
}

TEST(ChartTicks, DateLine) {
  FakeMeasure m;
  const std::string f = " %d-%b-%y ";
  // A day from noon to noon: the one midnight.
  auto ticks = DateLineTicks(46000.5, 46001.5, 600, 1, f, 11, m);
  ASSERT_EQ(ticks.size(), 1u);
  EXPECT_EQ(ticks[0].value, 46001.0);
  EXPECT_EQ(ticks[0].label, FormatOleDate(f, 46001));

  // Three months on 600 px: whole days, a step of several days, no overlap.
  const double start = OleDate(2026, 1, 1, 8, 0, 0), end = OleDate(2026, 4, 1, 8, 0, 0);
  ticks = DateLineTicks(start, end, 600, 1, f, 11, m);
  ExpectReadable(ticks, start, end, 600, true, 11, m, "three months");
  ASSERT_GE(ticks.size(), 3u);
  EXPECT_EQ(ticks[0].value, OleDate(2026, 1, 2, 0, 0, 0));
  EXPECT_GT(ticks[1].value - ticks[0].value, 1);
  for (const auto& t : ticks) EXPECT_EQ(t.value, std::floor(t.value));

  // A wide axis over a week keeps one tick a day.
  ticks = DateLineTicks(start, start + 7, 2000, 1, f, 11, m);
  EXPECT_EQ(ticks.size(), 7u);

  // No midnight in range: the start is labelled.
  ticks = DateLineTicks(46000.2, 46000.8, 600, 1, f, 11, m);
  ASSERT_EQ(ticks.size(), 1u);
  EXPECT_EQ(ticks[0].value, 46000.2);
  EXPECT_EQ(ticks[0].label, FormatOleDate(f, 46000));
}

// Counts the measurements a fitting takes: long texts in narrow boxes take
// a few per halving, not one per character or pixel size.
class CountingMeasure : public FakeMeasure {
 public:
  int Width(const std::string& text, int px) const override {
    ++widths;
    return FakeMeasure::Width(text, px);
  }
  mutable int widths = 0;
};

TEST(ChartLayout, LongTitlesFitInFewMeasurements) {
  CountingMeasure m;
  const std::string title(20000, 'T');
  const SideTitle t = FitSideTitle(title, 12, 300, 90, 25, 96, m);
  EXPECT_FALSE(t.rotated);
  EXPECT_LE(m.Width(t.text, t.fontPx), 90);
  EXPECT_GT(m.Width(title.substr(0, t.text.size() - 2) + "...", t.fontPx), 90);
  EXPECT_LT(m.widths, 100);
  m.widths = 0;
  // A huge font for a narrow box skips the sizes that cannot fit.
  EXPECT_EQ(FitFontSize(std::string(1000, 'x'), 1000, 700, 96, m), PointsToPixels(6, 96));
  EXPECT_LT(m.widths, 40);
  // The largest size that fits, as when every size is tried in turn.
  for (const std::string& text :
       std::vector<std::string>{"ab", "a longer title", std::string(300, 'w')}) {
    int widest = PointsToPixels(6, 96);
    for (int px = 1000; px > widest; --px)
      if (m.Width(text, px) <= 700) {
        widest = px;
        break;
      }
    EXPECT_EQ(FitFontSize(text, 1000, 700, 96, m), widest) << text;
  }
}

TEST(ChartRanges, GroupsAtTheEndsOfTheIntRangeShowNothingAndCostNothing) {
  SRGraph chart;
  chart.SetValue(0, 0, 1);
  chart.SetValue(0, 1, 2);
  chart.SetValue(0, 2, 3);
  chart.SetValue(0, 3, 4);
  EXPECT_EQ(PairGroupsIn(chart, 0, -1), (std::vector<int>{0, 2}));
  EXPECT_EQ(PairGroupsIn(chart, 1, 3), (std::vector<int>{2}));
  EXPECT_TRUE(PairGroupsIn(chart, INT_MAX, -1).empty());
  EXPECT_TRUE(PairGroupsIn(chart, INT_MAX, INT_MAX).empty());
  EXPECT_EQ(PairGroupsIn(chart, INT_MIN, INT_MAX), (std::vector<int>{0, 2}));
  EXPECT_TRUE(PairGroupsIn(chart, 3, 2).empty());
  auto* d = chart.AddNew<SRGCompoundDisplay>();
  d->display = std::make_unique<SRGraphDisplay>();
  d->display->firstGroup = INT_MAX;
  EXPECT_TRUE(SeriesShown(chart, *d).empty());
  EXPECT_FALSE(RangesOf(chart, *d).hasData);
  d->display->firstGroup = INT_MIN;
  d->display->lastGroup = INT_MAX;
  EXPECT_EQ(SeriesShown(chart, *d), (std::vector<int>{0, 1}));

  const Rect huge{INT_MIN, INT_MIN, INT_MAX, INT_MAX};
  EXPECT_EQ(huge.Width(), INT_MAX);
  EXPECT_EQ((Rect{INT_MAX, 0, INT_MIN, 0}).Width(), INT_MIN);
  EXPECT_EQ((Rect{-5, 0, 7, 3}).Width(), 12);
}

TEST(ChartRanges, DataFixedSingleAndEmpty) {
  SRGraph chart;
  auto* d = chart.AddNew<SRGCompoundDisplay>();
  d->display = std::make_unique<SRGraphDisplay>();
  DisplayRanges r = RangesOf(chart, *d);
  EXPECT_FALSE(r.hasData);
  EXPECT_EQ(r.x.min, 0);
  EXPECT_EQ(r.x.max, 1);

  chart.SetValue(0, 0, 10);
  chart.SetValue(0, 1, 5);
  r = RangesOf(chart, *d);
  EXPECT_TRUE(r.hasData);
  EXPECT_EQ(r.x.min, 9);
  EXPECT_EQ(r.x.max, 11);
  EXPECT_DOUBLE_EQ(r.y.min, 4);

  chart.SetValue(1, 0, 20);
  chart.SetValue(1, 1, 105);
  chart.SetValue(2, 0, 1000);  // no Y: not a point
  chart.SetValue(3, 2, -1e6);  // a pair outside the display's groups
  chart.SetValue(3, 3, -1e6);
  d->display->lastGroup = 1;
  r = RangesOf(chart, *d);
  EXPECT_DOUBLE_EQ(r.x.min, 9.5);
  EXPECT_DOUBLE_EQ(r.x.max, 20.5);
  EXPECT_DOUBLE_EQ(r.y.min, 0);
  EXPECT_DOUBLE_EQ(r.y.max, 110);
  EXPECT_FALSE(r.x.fixed);

  d->display->yRange = {true, 50, -50};
  d->display->axisType = kAxisDateOnX;
  r = RangesOf(chart, *d);
  EXPECT_TRUE(r.y.fixed);
  EXPECT_EQ(r.y.min, -50);
  EXPECT_EQ(r.y.max, 50);
  EXPECT_EQ(r.x.min, 10);  // a time axis is not widened
  EXPECT_EQ(r.x.max, 20);

  chart.SetValue(1, 0, 10);
  r = RangesOf(chart, *d);
  EXPECT_NEAR(r.x.max - r.x.min, 2.0 / 1440, 1e-9);  // one minute each side
}

TEST(ChartRanges, EveryChangeOfTheDataIsSeen) {
  SRGraph chart;
  auto* d = chart.AddNew<SRGCompoundDisplay>();
  d->display = std::make_unique<SRGraphDisplay>();
  d->display->axisType = kAxisDateOnX;
  chart.SetGroupValues(0, {1, 2, 3});
  chart.SetGroupValues(1, {5, 6, 7});
  EXPECT_EQ(RangesOf(chart, *d).x.max, 3);
  EXPECT_TRUE(chart.SummaryOf(0).xNeverDecreases);
  std::uint64_t seen = chart.Revision();

  chart.SetValue(1, 0, 9);
  EXPECT_NE(chart.Revision(), seen);
  EXPECT_EQ(RangesOf(chart, *d).x.max, 9);
  EXPECT_FALSE(chart.SummaryOf(0).xNeverDecreases);
  chart.SetGroupValues(0, {4, std::nan(""), 8});
  EXPECT_EQ(RangesOf(chart, *d).x.min, 4);
  EXPECT_EQ(chart.SummaryOf(0).points, 2u);
  seen = chart.Revision();
  chart.Reserve(4, 10);
  EXPECT_NE(chart.Revision(), seen);

  // Another chart never has the revision of this one.
  SRGraph other;
  EXPECT_NE(other.Revision(), chart.Revision());
  chart.EmptyAll();
  EXPECT_EQ(chart.SummaryOf(0).points, 0u);
  EXPECT_NE(other.Revision(), chart.Revision());
}

void ExpectInside(const Rect& inner, const Rect& outer, const std::string& what) {
  EXPECT_FALSE(inner.IsEmpty()) << what;
  EXPECT_GE(inner.left, outer.left) << what;
  EXPECT_GE(inner.top, outer.top) << what;
  EXPECT_LE(inner.right, outer.right) << what;
  EXPECT_LE(inner.bottom, outer.bottom) << what;
}

TEST(ChartLayout, AutoLayoutNestsRectsAtAnySize) {
  FakeMeasure m;
  SRGraph chart;
  const std::pair<Side, bool> labels[] = {
      {Side::Top, false}, {Side::Left, true}, {Side::Bottom, false}, {Side::Right, false}};
  for (const auto& [side, rotated] : labels) {
    auto* l = chart.AddNew<SRGraphLabel>();
    l->text = "Carbon Dioxide (ppm)";
    l->side = side;
    l->rotated = rotated;
    l->fontSize = side == Side::Top ? 16 : 9;
  }
  auto* d = chart.AddNew<SRGCompoundDisplay>();
  d->xScale = std::make_unique<SRGDateScale>();
  d->xScale->format = " %H:%M:%S ";
  d->xScale2 = std::make_unique<SRGDateScale>();
  d->xScale2->format = " %d-%b-%y ";
  d->xScale2->stepDays = 1;
  d->xScale2->labelsFarSide = true;
  d->yScale = std::make_unique<SRGDecimalScale>();
  d->yScale->format = "%6.1f";
  d->display = std::make_unique<SRGraphDisplay>();
  d->display->axisType = kAxisDateOnX;
  SRGraphLabel own;
  own.text = "own";
  own.side = Side::Right;
  d->labels.push_back(own);
  auto* placed = chart.AddNew<SRGCompoundDisplay>();
  placed->placed = true;
  placed->rect = {1, 2, 3, 4};
  for (int i = 0; i < 100; ++i) {
    chart.SetValue(i, 0, 46000 + i / 96.0);
    chart.SetValue(i, 1, 400 + 10 * std::sin(i));
  }

  for (const auto& [w, h] : {std::pair{800, 600}, {40, 30}, {50, 40}, {1, 1}}) {
    const std::string what = std::to_string(w) + "x" + std::to_string(h);
    AutoLayout(chart, w, h, 96, m);
    const Rect all{0, 0, w, h};
    ExpectInside(d->rect, all, what);
    ExpectInside(d->plotArea, d->rect, what);
    for (const auto& c : chart.Components()) {
      if (c->Kind() == ComponentKind::Label) {
        const Rect& r = static_cast<SRGraphLabel&>(*c).rect;
        EXPECT_TRUE(r.Width() >= 0 && r.Height() >= 0) << what;
        EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= w && r.bottom <= h) << what;
      }
    }
    EXPECT_EQ(placed->rect, (Rect{1, 2, 3, 4}));
  }

  AutoLayout(chart, 800, 600, 96, m);
  // Title on top, the rotated left title one line wide, the display between.
  const auto* title = static_cast<SRGraphLabel*>(chart.Find(ComponentKind::Label, 0));
  EXPECT_EQ(title->rect, (Rect{0, 0, 800, m.Height(PointsToPixels(16, 96)) + 4}));
  EXPECT_EQ(d->rect.top, title->rect.bottom);
  EXPECT_EQ(d->rect.left, m.Height(12) + 4);
  // Room for the date line above and the time labels below the plot area.
  EXPECT_GE(d->plotArea.top - d->rect.top, m.Height(PointsToPixels(9, 96)) + 5);
  EXPECT_GE(d->rect.bottom - d->plotArea.bottom, m.Height(12) + 5);
  EXPECT_GE(d->plotArea.left - d->rect.left, m.Width(" 410.0", 12) + 5);
  EXPECT_GE(d->rect.right - d->plotArea.right, m.Width("own", 12));
  ExpectInside(d->labels[0].rect, d->rect, "own label");
  EXPECT_LE(d->plotArea.right, d->labels[0].rect.left);
}

TEST(ChartLayout, PointsAndFittingFonts) {
  FakeMeasure m;
  EXPECT_EQ(PointsToPixels(9, 96), 12);
  EXPECT_EQ(PointsToPixels(8, 600), 67);
  EXPECT_EQ(PointsToPixels(9, 0), 12);
  const std::string text = "Carbon Monoxide";
  const int px = FitFontSize(text, 20, 100, 96, m);
  EXPECT_LE(m.Width(text, px), 100);
  EXPECT_GT(m.Width(text, px + 1), 100);
  EXPECT_EQ(FitFontSize(text, 20, 1000, 96, m), 20);
  EXPECT_EQ(FitFontSize(text, 20, 5, 96, m), PointsToPixels(6, 96));
}

TEST(ChartTicks, AxesOverSeveralDaysCarryTheDate) {
  FakeMeasure m;
  const double start = OleDate(2026, 3, 10, 6, 0, 0);
  const auto ticks = TimeTicks(start, start + 3, 1600, true, " %H:%M:%S ", 12, m);
  ASSERT_GE(ticks.size(), 3u);
  int midnights = 0;
  for (const Tick& t : ticks) {
    const CivilTime c = CivilFromOle(t.value);
    const bool midnight = c.hour == 0 && c.minute == 0 && c.second == 0;
    midnights += midnight;
    EXPECT_EQ(t.label, midnight ? FormatOleDate(" %d-%b ", t.value)
                                : FormatOleDate(" %d-%b %H:%M ", t.value));
  }
  EXPECT_EQ(midnights, 3);  // 11, 12 and 13 March, each by its date alone
  EXPECT_EQ(FormatOleDate(" %d-%b ", OleDate(2026, 3, 11, 0, 0, 0)), " 11-Mar ");
  // Within one day the scale's own format stays.
  for (const Tick& t : TimeTicks(start, start + 0.5, 1600, true, " %H:%M:%S ", 12, m))
    EXPECT_EQ(t.label, FormatOleDate(" %H:%M:%S ", t.value));
}

TEST(ChartRanges, LimitLinesHiddenSeriesAndZero) {
  SRGraph chart;
  auto* d = chart.AddNew<SRGCompoundDisplay>();
  d->display = std::make_unique<SRGraphDisplay>();
  chart.SetGroupValues(0, {1, 2, 3});
  chart.SetGroupValues(1, {10, 20, 40});  // series 0: 10..40
  chart.SetGroupValues(2, {1, 2, 3});
  chart.SetGroupValues(3, {500, 700, 900});  // series 1: 500..900
  // Data that never goes below zero starts at zero, not at the 5 % below.
  EXPECT_EQ(RangesOf(chart, *d).y.min, 0);
  EXPECT_DOUBLE_EQ(RangesOf(chart, *d).y.max, 900 + 0.05 * 890);
  // Hidden, a series does not set the range; all hidden, all of them do.
  chart.SetSeriesHidden(1, true);
  EXPECT_DOUBLE_EQ(RangesOf(chart, *d).y.max, 41.5);
  chart.SetSeriesHidden(0, true);
  EXPECT_DOUBLE_EQ(RangesOf(chart, *d).y.max, 900 + 0.05 * 890);
  chart.SetSeriesHidden(0, false);
  chart.SetSeriesHidden(1, false);

  // A limit of series 1 that its data reaches 80 % of widens the range; one
  // it does not, or one of a hidden series, does not.
  chart.limitLines = {{1, "high", 1100, "ppm", "High 1100 ppm"}};
  EXPECT_DOUBLE_EQ(RangesOf(chart, *d).y.max, 1100 + 0.05 * 1090);
  chart.limitLines = {{1, "high", 1200, "ppm", "High 1200 ppm"}};
  EXPECT_DOUBLE_EQ(RangesOf(chart, *d).y.max, 900 + 0.05 * 890);
  chart.limitLines = {{0, "high", 1200, "ppm", "High 1200 ppm"}};  // series 0 is far below
  EXPECT_DOUBLE_EQ(RangesOf(chart, *d).y.max, 900 + 0.05 * 890);
  EXPECT_TRUE(LimitWidensRange(1100, 500, 900));
  EXPECT_FALSE(LimitWidensRange(1126, 500, 900));
  // Below the data: at most 120 % of the limit.
  EXPECT_TRUE(LimitWidensRange(20, 24, 30));
  EXPECT_FALSE(LimitWidensRange(20, 24.5, 30));
  EXPECT_TRUE(LimitWidensRange(-10, -12.5, 0));  // mirrored for negative limits
}

TEST(ChartLayout, ALegendNobodyPlacedTakesABandAtTheBottom) {
  FakeMeasure m;
  SRGraph chart;
  auto* title = chart.AddNew<SRGraphLabel>();
  title->text = "Time (H:M:S) ";
  title->side = Side::Bottom;
  auto* d = chart.AddNew<SRGCompoundDisplay>();
  d->xScale = std::make_unique<SRGDecimalScale>();
  d->yScale = std::make_unique<SRGDecimalScale>();
  d->display = std::make_unique<SRGraphDisplay>();
  for (int k = 0; k < 12; ++k) {
    chart.SetGroupValues(2 * k, {1, 2});
    chart.SetGroupValues(2 * k + 1, {k * 1.0, k + 1.0});
    chart.SetAnnotation(2 * k + 1, "Channel " + std::to_string(k));
  }
  auto* legend = chart.AddNew<SRGraphLegend>();
  for (const auto& [w, h] : {std::pair{800, 600}, {300, 200}, {4000, 3000}}) {
    const std::string what = std::to_string(w) + "x" + std::to_string(h);
    AutoLayout(chart, w, h, 96, m);
    EXPECT_EQ(legend->rect.bottom, h) << what;
    EXPECT_EQ(title->rect.bottom, legend->rect.top) << what;  // under the X title
    EXPECT_LE(d->rect.bottom, title->rect.top) << what;
    ASSERT_EQ(legend->items.size(), 12u) << what;
    for (std::size_t i = 0; i < legend->items.size(); ++i) {
      const Rect& box = legend->items[i].box;
      ExpectInside(box, legend->rect, what);
      for (std::size_t j = 0; j < i; ++j) {
        const Rect& o = legend->items[j].box;
        EXPECT_TRUE(box.left >= o.right || o.left >= box.right || box.top >= o.bottom ||
                    o.top >= box.bottom)
            << what << " entries " << i << ", " << j;
      }
    }
  }
  // Too little room for 9 points: a smaller font, never below 6 points.
  const LegendGrid tight = FitLegend(chart, 300, 40, 96, m);
  EXPECT_LT(tight.fontPx, PointsToPixels(9, 96));
  EXPECT_EQ(tight.fontPx, PointsToPixels(6, 96));
  EXPECT_EQ(FitLegend(chart, 4000, 400, 96, m).fontPx, PointsToPixels(9, 96));
}

}  // namespace
}  // namespace vantora::chart

#include "graph/graphbuilder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <vector>

#include "chart/chartlayout.h"
#include "common/platform.h"
#include "exposure/exposure.h"
#include "exposure/limits.h"
#include "exposure/units.h"
#include "model/vocabulary.h"

namespace vantora::graph {

using chart::ComponentKind;
using chart::Orientation;
using chart::Side;
using chart::SRGCompoundDisplay;
using chart::SRGraph;

namespace {

const char* const kTimeTitle = "Time (H:M:S) ";
const char* const kTimeFormatPadded = " %H:%M:%S ";
const char* const kTimeFormat = "%H:%M:%S";
const char* const kDateLineFormat = " %d-%b-%y ";
// A Y scale bar showing time cannot hold a date format (the dialog's checks
// keep time off these positions); its OLE dates stay readable numbers.
const char* const kTimeOnBarFormat = "%.5f";

constexpr int kScaleFont = 9;
constexpr int kStripScaleFont = 8;
constexpr int kDateLineFont = 8;
constexpr int kTitleFont = 9;
constexpr int kRightBlankFont = 24;

bool RefValid(const CLogData& log, int ref) { return ref >= 0 && ref <= log.ChannelCount(); }

// Number of leading pairs whose references are usable: building stops at the
// first negative reference, or one naming a channel the location lacks.
int UsablePairs(const CLogData& log, const GraphSettings& s) {
  int n = 0;
  while (n < s.YCount()) {
    auto [x, y] = s.AxisPair(n);
    if (!RefValid(log, x) || !RefValid(log, y)) break;
    ++n;
  }
  return n;
}

std::string ChannelName(const CLogData& log, int ref) {
  if (ref == 0) return kTimeTitle;
  std::string name;
  log.GetChannelName(ref - 1, name);
  return name;
}

int ChannelDecimals(const CLogData& log, int ref) {
  int q = 0;
  log.GetChannelDecimals(ref - 1, q);
  return q;
}

// A scale for a parameter: time as a date scale, a channel as a decimal one.
std::unique_ptr<chart::SRGScale> MakeScale(const CLogData& log, int ref, bool horizontal,
                                           const char* timeFormat, int fontSize) {
  std::unique_ptr<chart::SRGScale> scale;
  if (ref == 0) {
    scale = std::make_unique<chart::SRGDateScale>();
    scale->format = timeFormat;
  } else {
    scale = std::make_unique<chart::SRGDecimalScale>();
    scale->format = ChannelScaleFormat(ChannelDecimals(log, ref));
  }
  scale->fontSize = fontSize;
  scale->orientation = horizontal ? Orientation::Horizontal : Orientation::Vertical;
  return scale;
}

void AddDateLine(SRGCompoundDisplay& cd) {
  auto line = std::make_unique<chart::SRGDateScale>();
  line->format = kDateLineFormat;
  line->stepDays = 1;
  line->fontSize = kDateLineFont;
  line->orientation = Orientation::Horizontal;
  line->labelsFarSide = true;
  cd.xScale2 = std::move(line);
  cd.xTicks2 = std::make_unique<chart::SRGTickMarks>();
}

void SetScales(SRGCompoundDisplay& cd, std::unique_ptr<chart::SRGScale> x,
               std::unique_ptr<chart::SRGScale> y) {
  cd.xScale = std::move(x);
  cd.xTicks = std::make_unique<chart::SRGTickMarks>();
  cd.yScale = std::move(y);
  cd.yTicks = std::make_unique<chart::SRGTickMarks>();
}

void AddGrids(SRGCompoundDisplay& cd, const GraphSettings& s) {
  if (s.xGrid) cd.xGrid = std::make_unique<chart::SRGGridLines>();
  if (s.yGrid) cd.yGrid = std::make_unique<chart::SRGGridLines>();
}

void SetPlot(SRGCompoundDisplay& cd, int firstGroup, int lastGroup, int xRef, int yRef) {
  cd.display = std::make_unique<chart::SRGraphDisplay>();
  cd.display->graphType = chart::kGraphXYScatterGroupPair;
  cd.display->axisType = AxisTypeOf(xRef, yRef);
  cd.display->firstGroup = firstGroup;
  cd.display->lastGroup = lastGroup;
}

chart::SRGraphLabel Label(const std::string& text, Side side, int fontSize, bool rotated) {
  chart::SRGraphLabel l;
  l.text = text;
  l.side = side;
  l.fontSize = fontSize;
  l.rotated = rotated;
  return l;
}

void AddChartLabel(SRGraph& chart, const chart::SRGraphLabel& label) {
  *chart.AddNew<chart::SRGraphLabel>() = label;
}

std::unique_ptr<SRGCompoundDisplay> NewDisplay() { return std::make_unique<SRGCompoundDisplay>(); }

void RecordPairs(SRGraph& chart, const GraphSettings& s, int n) {
  chart.pairs.clear();
  for (int k = 0; k < n; ++k) chart.pairs.push_back(s.AxisPair(k));
}

std::string UnitName(const CLogData& log, int ref) {
  if (ref <= 0) return std::string();
  int unit = 0;
  log.GetChannelUnit(ref - 1, unit);
  return TheUnitNames().GetName(unit);
}

// The legend's texts: every series by its Y title.
void Annotate(SRGraph& chart, const CLogData& log, const GraphSettings& s, int n) {
  for (int k = 0; k < n; ++k) {
    const std::string title = ChannelName(log, s.AxisPair(k).second);
    chart.SetAnnotation(2 * k, title);
    chart.SetAnnotation(2 * k + 1, title);
  }
}

void AddLegend(SRGraph& chart, const GraphSettings& s, int n) {
  if (s.legend == 0 || n <= 0) return;
  auto* legend = chart.AddNew<chart::SRGraphLegend>();
  legend->autoPosition = true;
  legend->firstGroup = 0;
  legend->lastGroup = 2 * n - 1;
  legend->key = s.markers ? chart::LegendKey::Marker : chart::LegendKey::Box;
}

// Single Y's Y title: the channel and its unit for one channel ("CO2
// (ppm)"), the units for several ("°C, %RH, ppm"), time as itself.
std::string SingleYTitle(const CLogData& log, const GraphSettings& s, int n) {
  const int first = s.AxisPair(0).second;
  if (n == 1 || first == 0) {
    const std::string name = ChannelName(log, first), unit = UnitName(log, first);
    return unit.empty() ? name : name + " (" + unit + ")";
  }
  std::vector<std::string> units;
  for (int k = 0; k < n; ++k) {
    const std::string unit = UnitName(log, s.AxisPair(k).second);
    if (!unit.empty() && std::find(units.begin(), units.end(), unit) == units.end())
      units.push_back(unit);
  }
  std::string title;
  if (units.empty()) {
    for (int k = 0; k < n; ++k) title += (k ? ", " : "") + ChannelName(log, s.AxisPair(k).second);
  } else {
    for (const std::string& unit : units) title += (title.empty() ? "" : ", ") + unit;
  }
  return title;
}

// OLE dates of local times, a whole quarter-hour of UTC at a time: where
// the offset from UTC is the same at both ends of the quarter, it holds for
// every second inside (no zone changes its offset twice in 15 minutes).
class LocalOleDates {
 public:
  double Of(LogTime t) {
    const LogTime quarter = t - ((t % 900) + 900) % 900;
    if (quarter != quarter_) {
      quarter_ = quarter;
      const long a = UtcOffsetSeconds(quarter), b = UtcOffsetSeconds(quarter + 899);
      steady_ = a == b;
      offset_ = a;
    }
    if (!steady_) {
      const std::tm f = LocalFields(t);
      return chart::OleDate(f.tm_year + 1900, f.tm_mon + 1, f.tm_mday, f.tm_hour, f.tm_min,
                            f.tm_sec);
    }
    const LogTime local = t + offset_;
    const LogTime days = local >= 0 ? local / 86400 : -((-local + 86399) / 86400);
    const LogTime seconds = local - days * 86400;
    return static_cast<double>(days + kOleUnixEpoch) + static_cast<double>(seconds) / 86400.0;
  }

 private:
  // OLE day of 1 January 1970.
  static constexpr LogTime kOleUnixEpoch = 25569;
  LogTime quarter_ = std::numeric_limits<LogTime>::min();
  bool steady_ = false;
  long offset_ = 0;
};

// A limit as people write it: whole numbers in full (1000000, not 1e+06),
// others to six significant digits.
std::string LimitNumber(double v) {
  if (v == 0) v = 0;  // no "-0"
  char buf[64];
  if (std::abs(v) < 1e15 && v == std::round(v))
    std::snprintf(buf, sizeof buf, "%.0f", v);
  else
    std::snprintf(buf, sizeof buf, "%.6g", v);
  return buf;
}

}  // namespace

std::string LimitLineLabel(exposure::LimitKind kind, double value, const std::string& unit) {
  std::string label = std::string(exposure::LimitKindTitle(kind)) + " " + LimitNumber(value);
  if (!unit.empty()) label += " " + unit;
  return label;
}

void AddLimitLines(SRGraph& chart, int series, int paramCode, int unitCode,
                   const exposure::LimitSet& set) {
  const std::string unit = TheUnitNames().GetName(unitCode);
  for (const exposure::ChannelLimit& limit :
       exposure::LimitsForChannel(set, paramCode, unitCode, TheParamNames().compounds())) {
    if (!limit.applicable || !std::isfinite(limit.valueInChannelUnit)) continue;
    chart::LimitLine line;
    line.series = series;
    line.kind = exposure::LimitKindName(limit.kind);
    line.value = limit.valueInChannelUnit;
    line.unit = unit;
    line.label = LimitLineLabel(limit.kind, line.value, unit);
    chart.limitLines.push_back(std::move(line));
  }
}

void AddGraphLimitLines(SRGraph& chart, const CLogData& log, const exposure::LimitSet& set) {
  for (int k = 0; k < static_cast<int>(chart.pairs.size()); ++k) {
    const int y = chart.pairs[static_cast<std::size_t>(k)].second;
    if (y <= 0) continue;
    int param = 0, unit = 0;
    log.GetChannelParam(y - 1, param);
    log.GetChannelUnit(y - 1, unit);
    AddLimitLines(chart, k, param, unit, set);
  }
}

int AxisTypeOf(int xRef, int yRef) {
  const bool xTime = xRef == 0, yTime = yRef == 0;
  if (xTime && yTime) return chart::kAxisDateOnBoth;
  if (xTime) return chart::kAxisDateOnX;
  if (yTime) return chart::kAxisDateOnY;
  return chart::kAxisScatter;
}

std::string ChannelScaleFormat(int decimals) {
  char buf[32];
  if (decimals < 200) {
    const int q = std::clamp(decimals, 0, 9);
    std::snprintf(buf, sizeof buf, "%%%i.%if", q + 2, q);
  } else {
    const int g = std::clamp(decimals - 200, 1, 15);
    std::snprintf(buf, sizeof buf, "%%#%i.%ig", g, g);
  }
  return buf;
}

std::string ScaleBarName(int k) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "_KTRM_YAXIS_%1i", k);
  return buf;
}

chart::Rgb SeriesColour(int k) { return chart::SeriesColour(k); }

void BuildSingleY(SRGraph& chart, const CLogData& log, const GraphSettings& s) {
  const int n = UsablePairs(log, s);
  RecordPairs(chart, s, n);
  if (n == 0) return;
  auto [x, y] = s.AxisPair(0);
  auto cd = NewDisplay();
  SetScales(*cd, MakeScale(log, x, true, kTimeFormatPadded, kScaleFont),
            MakeScale(log, y, false, kTimeFormat, kScaleFont));
  if (x == 0 && s.dateOnX) AddDateLine(*cd);
  AddGrids(*cd, s);
  SetPlot(*cd, 0, -1, x, y);
  if (s.yLabels) AddChartLabel(chart, Label(SingleYTitle(log, s, n), Side::Left, kTitleFont, true));
  if (s.xLabels) AddChartLabel(chart, Label(ChannelName(log, x), Side::Bottom, kTitleFont, false));
  if (s.showTitle) AddChartLabel(chart, Label(s.title, Side::Top, s.titleFontSize, false));
  AddChartLabel(chart, Label(" ", Side::Right, kRightBlankFont, false));
  chart.Add(std::move(cd));
  Annotate(chart, log, s, n);
  AddLegend(chart, s, n);
}

void BuildSingleYFrame(SRGraph& chart, const GraphSettings& s, int n, bool timeX,
                       const std::string& xFormat, const std::string& yFormat,
                       const std::string& xTitle, const std::string& yTitle) {
  if (n <= 0) return;
  auto cd = NewDisplay();
  std::unique_ptr<chart::SRGScale> x;
  if (timeX) {
    x = std::make_unique<chart::SRGDateScale>();
    x->format = kTimeFormatPadded;
  } else {
    x = std::make_unique<chart::SRGDecimalScale>();
    x->format = xFormat;
  }
  x->fontSize = kScaleFont;
  x->orientation = Orientation::Horizontal;
  auto y = std::make_unique<chart::SRGDecimalScale>();
  y->format = yFormat;
  y->fontSize = kScaleFont;
  y->orientation = Orientation::Vertical;
  SetScales(*cd, std::move(x), std::move(y));
  if (timeX && s.dateOnX) AddDateLine(*cd);
  AddGrids(*cd, s);
  cd->display = std::make_unique<chart::SRGraphDisplay>();
  cd->display->graphType = chart::kGraphXYScatterGroupPair;
  cd->display->axisType = timeX ? chart::kAxisDateOnX : chart::kAxisScatter;
  if (s.yLabels) AddChartLabel(chart, Label(yTitle, Side::Left, kTitleFont, true));
  if (s.xLabels) AddChartLabel(chart, Label(xTitle, Side::Bottom, kTitleFont, false));
  if (s.showTitle) AddChartLabel(chart, Label(s.title, Side::Top, s.titleFontSize, false));
  AddChartLabel(chart, Label(" ", Side::Right, kRightBlankFont, false));
  chart.Add(std::move(cd));
  AddLegend(chart, s, n);
}

void BuildMultiY(SRGraph& chart, const CLogData& log, const GraphSettings& s) {
  const int n = UsablePairs(log, s);
  RecordPairs(chart, s, n);
  for (int k = 0; k < n; ++k) {
    auto [x, y] = s.AxisPair(k);
    auto cd = NewDisplay();
    if (k == 0) {
      SetScales(*cd, MakeScale(log, x, true, kTimeFormatPadded, kScaleFont),
                MakeScale(log, y, false, kTimeFormat, kScaleFont));
      if (x == 0 && s.dateOnX) AddDateLine(*cd);
      AddGrids(*cd, s);
    }
    SetPlot(*cd, 2 * k, 2 * k + 1, x, y);
    if (k >= 1) {
      cd->transparent = true;
      cd->display->transparent = true;
    }
    if (k == 0) {
      if (s.xLabels)
        cd->labels.push_back(Label(ChannelName(log, x), Side::Bottom, kTitleFont, false));
      if (s.yLabels) cd->labels.push_back(Label("\n", Side::Left, kTitleFont, true));
      if (s.showTitle) cd->labels.push_back(Label(s.title, Side::Top, s.titleFontSize, false));
    }
    chart.Add(std::move(cd));
    if (k >= 1) {
      auto* bar = chart.AddNew<chart::SRGScaleBar>();
      bar->name = ScaleBarName(k);
      bar->scale.format = y == 0 ? kTimeOnBarFormat : ChannelScaleFormat(ChannelDecimals(log, y));
      bar->scale.fontSize = kScaleFont;
      bar->scale.orientation = Orientation::Vertical;
      bar->scale.labelsFarSide = true;
      bar->boundDisplay = k;
      bar->colour = SeriesColour(k);
      // The bar names its channel: short name over unit.
      if (y != 0) {
        int param = 0;
        log.GetChannelParam(y - 1, param);
        bar->scale.title = TheParamNames().GetName(param, false);
        const std::string unit = UnitName(log, y);
        if (!unit.empty()) bar->scale.title += "\n" + unit;
      }
    }
  }
  Annotate(chart, log, s, n);
  AddLegend(chart, s, n);
}

void BuildStrip(SRGraph& chart, const CLogData& log, const GraphSettings& s) {
  const int n = UsablePairs(log, s);
  RecordPairs(chart, s, n);
  for (int k = 0; k < n; ++k) {
    const bool first = k == 0, last = k == n - 1;
    auto [x, y] = s.AxisPair(k);
    auto cd = NewDisplay();
    auto xScale = MakeScale(log, x, true, kTimeFormatPadded, kStripScaleFont);
    if (!last) xScale->format = " ";
    SetScales(*cd, std::move(xScale), MakeScale(log, y, false, kTimeFormatPadded, kStripScaleFont));
    if (first && x == 0 && s.dateOnX) AddDateLine(*cd);
    AddGrids(*cd, s);
    SetPlot(*cd, 2 * k, 2 * k + 1, x, y);
    if (s.yLabels) {
      std::string left = kTimeTitle, right;
      if (y != 0) {
        int param = 0, unit = 0;
        log.GetChannelParam(y - 1, param);
        log.GetChannelUnit(y - 1, unit);
        left = TheParamNames().GetName(param, false);
        right = TheUnitNames().GetName(unit);
      }
      cd->labels.push_back(Label(left, Side::Left, kTitleFont, true));
      cd->labels.push_back(Label(right, Side::Right, kTitleFont, true));
    }
    if (last && s.xLabels)
      cd->labels.push_back(Label(ChannelName(log, x), Side::Bottom, kTitleFont, false));
    if (first && s.showTitle)
      cd->labels.push_back(Label(s.title, Side::Top, s.titleFontSize, false));
    chart.Add(std::move(cd));
  }
  Annotate(chart, log, s, n);
  AddLegend(chart, s, n);
}

bool HasReadingsToGraph(const CLogData& log, const GraphSettings& s) {
  const int n = UsablePairs(log, s);
  const int records = std::max(0, log.LastRecordIndex() + 1);
  std::vector<double> values(static_cast<std::size_t>(std::max(log.ChannelCount(), kMaxChannels)));
  for (int r = 0; r < records; ++r) {
    LogTime t = 0;
    if (!log.GetValues(r, values.data()) || !log.GetTime(r, t)) continue;
    for (int k = 0; k < n; ++k) {
      auto [x, y] = s.AxisPair(k);
      const bool yOk = y == 0 || ReadingMark(values[static_cast<std::size_t>(y - 1)], kPlotMaxY) ==
                                     chart::PointMark::None;
      const bool xOk = x == 0 || ReadingMark(values[static_cast<std::size_t>(x - 1)], kPlotMaxX) ==
                                     chart::PointMark::None;
      if (xOk && yOk) return true;
    }
  }
  return false;
}

chart::PointMark ReadingMark(double v, double max) {
  if (!std::isfinite(v) || v < -666660.0) return chart::PointMark::NotAvailable;
  if (v < -200.0) return chart::PointMark::OverRange;
  if (v < kPlotMin || v > max) return chart::PointMark::OutOfRange;
  return chart::PointMark::None;
}

int FillPairs(SRGraph& chart, const CLogData& log, const std::vector<PairSource>& pairs) {
  const int last = log.LastRecordIndex();
  const int records = last >= 0 ? last + 1 : 0;
  const std::size_t n = pairs.size();
  // Values are gathered per group and handed over whole: both groups of every
  // pair exist even when nothing is plotted.
  std::vector<std::vector<double>> xs(n), ys(n);
  std::vector<chart::SeriesInfo> infos(n);
  for (std::size_t k = 0; k < n; ++k) {
    xs[k].reserve(static_cast<std::size_t>(records));
    ys[k].reserve(static_cast<std::size_t>(records));
    infos[k].unit = pairs[k].unit;
    infos[k].decimals = pairs[k].decimals;
  }
  std::vector<LogTime> times;
  times.reserve(static_cast<std::size_t>(records));
  std::vector<double> values(static_cast<std::size_t>(std::max(log.ChannelCount(), kMaxChannels)));
  LocalOleDates ole;
  int omitted = 0;
  for (int r = 0; r < records; ++r) {
    LogTime t = 0;
    if (!log.GetValues(r, values.data()) || !log.GetTime(r, t)) continue;
    const int row = static_cast<int>(times.size());
    times.push_back(t);
    const double when = ole.Of(t);
    for (std::size_t k = 0; k < n; ++k) {
      const PairSource& p = pairs[k];
      double x = when, y = when;
      chart::PointMark mark = chart::PointMark::None;
      if (p.y > 0) {
        const double raw = values[static_cast<std::size_t>(p.y - 1)];
        mark = ReadingMark(raw, HUGE_VAL);
        y = raw * p.scale + p.offset;
        if (mark == chart::PointMark::None) mark = ReadingMark(y, kPlotMaxY);
      }
      if (p.x > 0) {
        x = values[static_cast<std::size_t>(p.x - 1)];
        if (mark == chart::PointMark::None) mark = ReadingMark(x, kPlotMaxX);
      } else if (p.elapsed) {
        x = static_cast<double>(t - times.front()) / 3600.0;
      }
      if (mark != chart::PointMark::None) {
        ++omitted;
        x = y = std::numeric_limits<double>::quiet_NaN();
        infos[k].marks.emplace_back(row, mark);
      }
      xs[k].push_back(x);
      ys[k].push_back(y);
    }
  }
  // Lines over time do not join readings further apart than twice the
  // logging interval.
  const std::int64_t interval = exposure::LoggingInterval(times);
  for (std::size_t k = 0; k < n; ++k) {
    const PairSource& p = pairs[k];
    if (interval > 0 && (p.x == 0 || p.elapsed)) {
      for (std::size_t r = 1; r < times.size(); ++r)
        if (times[r] - times[r - 1] > 2 * interval) infos[k].breaks.push_back(static_cast<int>(r));
    }
    chart.SetGroupValues(2 * p.series, std::move(xs[k]));
    chart.SetGroupValues(2 * p.series + 1, std::move(ys[k]));
    chart.SetSeries(p.series, std::move(infos[k]));
  }
  return omitted;
}

int FillGraphData(SRGraph& chart, const CLogData& log, const GraphSettings& s) {
  const int n = UsablePairs(log, s);
  std::vector<PairSource> pairs;
  for (int k = 0; k < n; ++k) {
    auto [x, y] = s.AxisPair(k);
    PairSource p;
    p.series = k;
    p.x = x;
    p.y = y;
    if (y > 0) {
      int unit = 0;
      log.GetChannelUnit(y - 1, unit);
      p.unit = TheUnitNames().GetName(unit);
      p.decimals = ChannelDecimals(log, y);
    }
    pairs.push_back(p);
  }
  const int omitted = FillPairs(chart, log, pairs);
  for (int k = 0; k < n; ++k) chart.ApplyStyle(2 * k, 2 * k + 1, 0, -1, s.lines, s.markers);
  return omitted;
}

}  // namespace vantora::graph

#include "graph/graphbuilder.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "chart/chartlayout.h"
#include "common/platform.h"
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

}  // namespace

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
  if (s.yLabels) AddChartLabel(chart, Label(ChannelName(log, y), Side::Left, kTitleFont, true));
  if (s.xLabels) AddChartLabel(chart, Label(ChannelName(log, x), Side::Bottom, kTitleFont, false));
  if (s.showTitle) AddChartLabel(chart, Label(s.title, Side::Top, s.titleFontSize, false));
  AddChartLabel(chart, Label(" ", Side::Right, kRightBlankFont, false));
  chart.Add(std::move(cd));
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
    }
    const std::string title = ChannelName(log, y);
    chart.SetAnnotation(2 * k, title);
    chart.SetAnnotation(2 * k + 1, title);
  }
  if (s.legend != 0) {
    auto* legend = chart.AddNew<chart::SRGraphLegend>();
    legend->autoPosition = true;
    legend->firstGroup = 0;
    legend->lastGroup = 2 * n - 1;
    legend->key = s.markers ? chart::LegendKey::Marker : chart::LegendKey::Box;
  }
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
}

int FillGraphData(SRGraph& chart, const CLogData& log, const GraphSettings& s) {
  const int n = UsablePairs(log, s);
  const int last = log.LastRecordIndex();
  const int records = last >= 0 ? last + 1 : 0;
  struct PairRefs {
    int x, y;
  };
  std::vector<PairRefs> refs;
  for (int k = 0; k < n; ++k) {
    auto [x, y] = s.AxisPair(k);
    refs.push_back({x, y});
  }
  auto inRange = [](double v, double max) { return v >= kPlotMin && v <= max; };

  // Values are gathered per group and handed over whole: both groups of every
  // pair exist even when no record is plotted.
  std::vector<std::vector<double>> groups(static_cast<std::size_t>(2 * n));
  for (auto& g : groups) g.reserve(static_cast<std::size_t>(records));
  std::vector<double> values(static_cast<std::size_t>(std::max(log.ChannelCount(), kMaxChannels)));
  int omitted = 0;
  for (int r = 0; r < records; ++r) {
    LogTime t = 0;
    if (!log.GetValues(r, values.data()) || !log.GetTime(r, t)) continue;
    bool plottable = true;
    for (const auto& p : refs) {
      if ((p.y > 0 && !inRange(values[static_cast<std::size_t>(p.y - 1)], kPlotMaxY)) ||
          (p.x > 0 && !inRange(values[static_cast<std::size_t>(p.x - 1)], kPlotMaxX))) {
        plottable = false;
        break;
      }
    }
    if (!plottable) {
      ++omitted;
      continue;
    }
    const std::tm f = LocalFields(t);
    const double ole =
        chart::OleDate(f.tm_year + 1900, f.tm_mon + 1, f.tm_mday, f.tm_hour, f.tm_min, f.tm_sec);
    for (std::size_t k = 0; k < refs.size(); ++k) {
      const auto& p = refs[k];
      groups[2 * k].push_back(p.x == 0 ? ole : values[static_cast<std::size_t>(p.x - 1)]);
      groups[2 * k + 1].push_back(p.y == 0 ? ole : values[static_cast<std::size_t>(p.y - 1)]);
    }
  }
  for (std::size_t g = 0; g < groups.size(); ++g)
    chart.SetGroupValues(static_cast<int>(g), std::move(groups[g]));
  for (int k = 0; k < n; ++k) chart.ApplyStyle(2 * k, 2 * k + 1, 0, -1, s.lines, s.markers);
  return omitted;
}

}  // namespace vantora::graph

#include "chart/gui/chartrender.h"

#include <QFont>
#include <QFontMetrics>
#include <QHash>
#include <QPaintDevice>
#include <QPainter>
#include <QPicture>
#include <algorithm>
#include <cmath>
#include <deque>
#include <limits>
#include <map>
#include <tuple>

#include "chart/chartlayout.h"
#include "chart/gui/qcp.h"
#include "common/gui/qtstrings.h"

namespace vantora::chart {

namespace {

QRect ToQRect(const Rect& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }

QColor ToQColor(Rgb c) { return QColor(c.r, c.g, c.b); }

// Text sizes from the fonts the chart is drawn with; metrics are kept per
// pixel size for the many measurements of one layout.
class QtTextMeasure : public TextMeasure {
 public:
  explicit QtTextMeasure(const QString& family) : family_(family) {}

  QFont Font(int pixelSize) const {
    QFont font(family_);
    font.setPixelSize(std::max(1, pixelSize));
    return font;
  }
  int Width(const std::string& text, int pixelSize) const override {
    return Metrics(pixelSize).horizontalAdvance(ToQt(text));
  }
  int Height(int pixelSize) const override { return Metrics(pixelSize).height(); }

 private:
  const QFontMetrics& Metrics(int pixelSize) const {
    auto it = metrics_.find(pixelSize);
    if (it == metrics_.end()) it = metrics_.emplace(pixelSize, QFontMetrics(Font(pixelSize))).first;
    return it->second;
  }

  QString family_;
  mutable std::map<int, QFontMetrics> metrics_;
};

// Places every element at the rectangle it was given, so the plot shows the
// chart's own layout to the pixel.
class FixedLayout : public QCPLayoutInset {
 public:
  void Place(QCPLayoutElement* element, const QRect& rect) {
    addElement(element, Qt::AlignLeft | Qt::AlignTop);
    rects_.insert(element, rect);
  }
  void updateLayout() override {
    for (int i = 0; i < elementCount(); ++i) {
      QCPLayoutElement* element = elementAt(i);
      if (element) element->setOuterRect(rects_.value(element));
    }
  }

 private:
  QHash<QCPLayoutElement*, QRect> rects_;
};

bool IsBlank(const std::string& text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c == ' '; });
}

// A series of one display: X from group `xGroup`, Y from the next one.
struct Series {
  int xGroup = 0, yGroup = 1;
};

std::vector<Series> SeriesOf(const SRGraph& chart, const SRGraphDisplay& display) {
  std::vector<Series> out;
  for (int g : PairGroupsIn(chart, display.firstGroup, display.lastGroup))
    out.push_back({g, g + 1});
  return out;
}

// The points of a series as the plots hold them, kept for the next drawing
// of the same data: a redraw of an unchanged chart copies nothing. Entries
// are keyed by the chart's revision (unique to its data in the process) and
// the series' X group; a chart whose data changed drops its older entries.
class SeriesCache {
 public:
  struct Entry {
    const SRGraph* chart = nullptr;
    std::uint64_t revision = 0;
    int xGroup = 0;
    bool rising = true;
    bool gaps = false;  // the line breaks somewhere
    std::size_t points = 0;
    QSharedPointer<QCPGraphDataContainer> graph;  // when X never decreases
    // A series with gaps as last sampled for a range and width.
    mutable QSharedPointer<QCPGraphDataContainer> sampled;
    mutable double sampledMin = 0, sampledMax = 0;
    mutable int sampledWidth = 0;
    QSharedPointer<QCPCurveDataContainer> curve;  // otherwise, in record order
  };

  static SeriesCache& Instance() {
    static SeriesCache cache;
    return cache;
  }

  const Entry& Get(const SRGraph& chart, int xGroup) {
    const std::uint64_t revision = chart.Revision();
    for (const Entry& e : entries_)
      if (e.revision == revision && e.xGroup == xGroup) return e;
    entries_.erase(
        std::remove_if(entries_.begin(), entries_.end(),
                       [&](const Entry& e) { return e.chart == &chart && e.revision != revision; }),
        entries_.end());
    entries_.push_front(Make(chart, xGroup));
    // The oldest go first beyond a bound on the entries and on the points
    // kept (series without points count as entries only).
    if (entries_.size() > kMaxEntries) entries_.resize(kMaxEntries);
    std::size_t kept = 0;
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
      kept += it->points;
      if (kept > kMaxPoints && it != entries_.begin()) {
        entries_.erase(it, entries_.end());
        break;
      }
    }
    return entries_.front();
  }

 private:
  static constexpr std::size_t kMaxPoints = 4u << 20;
  static constexpr std::size_t kMaxEntries = 256;

  static Entry Make(const SRGraph& chart, int xGroup) {
    Entry e;
    e.chart = &chart;
    e.revision = chart.Revision();
    e.xGroup = xGroup;
    const DataGroup* xs = chart.Group(xGroup);
    const DataGroup* ys = chart.Group(xGroup + 1);
    const PairSummary summary = chart.SummaryOf(xGroup);
    e.rising = summary.xNeverDecreases;
    e.points = summary.points;
    const std::size_t n = xs && ys ? std::min(xs->values.size(), ys->values.size()) : 0;
    const double* xv = n ? xs->values.data() : nullptr;
    const double* yv = n ? ys->values.data() : nullptr;
    // The line breaks at a left-out point and where the series says so: a
    // point with no value (at the key of the point before, so that the
    // keys stay in order) stands between the two.
    const std::vector<int>& breaks = chart.Series(xGroup / 2).breaks;
    std::size_t nextBreak = 0;
    bool pending = false, any = false;
    double lastKey = 0;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    QVector<QCPGraphData> graphPoints;
    QVector<QCPCurveData> curvePoints;
    if (e.rising)
      graphPoints.reserve(static_cast<qsizetype>(e.points));
    else
      curvePoints.reserve(static_cast<qsizetype>(e.points));
    for (std::size_t i = 0; i < n; ++i) {
      while (nextBreak < breaks.size() && breaks[nextBreak] < static_cast<int>(i)) ++nextBreak;
      const bool breakHere = nextBreak < breaks.size() && breaks[nextBreak] == static_cast<int>(i);
      if (!std::isfinite(xv[i]) || !std::isfinite(yv[i])) {
        pending = true;
        continue;
      }
      if ((pending || breakHere) && any) {
        e.gaps = true;
        if (e.rising)
          graphPoints.push_back({lastKey, nan});
        else
          curvePoints.push_back(QCPCurveData(curvePoints.size(), nan, nan));
      }
      pending = false;
      any = true;
      lastKey = xv[i];
      if (e.rising)
        graphPoints.push_back({xv[i], yv[i]});
      else
        curvePoints.push_back(QCPCurveData(curvePoints.size(), xv[i], yv[i]));
    }
    if (e.rising) {
      e.graph = QSharedPointer<QCPGraphDataContainer>::create();
      e.graph->set(graphPoints, true);
    } else {
      e.curve = QSharedPointer<QCPCurveDataContainer>::create();
      e.curve->set(curvePoints, true);
    }
    return e;
  }

  std::deque<Entry> entries_;
};

// The points of a rising series with gaps as drawn over [min, max] on a
// plot `width` pixels wide: where more than two points fall on one pixel
// column, its first, lowest, highest and last point, with the gaps kept (the
// plotting library's own sampling would join the line across them).
QSharedPointer<QCPGraphDataContainer> SampledWithGaps(
    const QSharedPointer<QCPGraphDataContainer>& all, double min, double max, int width) {
  const QCPGraphDataContainer& data = *all;
  auto begin = data.findBegin(min, true), end = data.findEnd(max, true);
  if (!(max > min) || width <= 0 || end - begin <= 2 * width) return all;
  auto out = QSharedPointer<QCPGraphDataContainer>::create();
  QVector<QCPGraphData> points;
  points.reserve(4 * width + 8);
  const double binWidth = (max - min) / width;
  struct Bin {
    long long column = 0;
    int count = 0;
    QCPGraphData first, last, low, high;
  } bin;
  const auto flush = [&] {
    if (bin.count == 0) return;
    points.push_back(bin.first);
    if (bin.count > 2) {
      const bool lowFirst = bin.low.key <= bin.high.key;
      points.push_back(lowFirst ? bin.low : bin.high);
      points.push_back(lowFirst ? bin.high : bin.low);
    }
    if (bin.count > 1) points.push_back(bin.last);
    bin.count = 0;
  };
  // Keys rise: a new column starts where a key reaches the next edge.
  long long column = 0;
  double edge = -HUGE_VAL;
  for (auto it = begin; it != end; ++it) {
    if (std::isnan(it->value)) {
      flush();
      points.push_back(*it);
      continue;
    }
    if (it->key >= edge) {
      column = static_cast<long long>(std::floor((it->key - min) / binWidth));
      edge = min + static_cast<double>(column + 1) * binWidth;
    }
    if (bin.count > 0 && column != bin.column) flush();
    if (bin.count == 0) {
      bin.column = column;
      bin.first = bin.low = bin.high = *it;
    }
    if (it->value < bin.low.value) bin.low = *it;
    if (it->value > bin.high.value) bin.high = *it;
    bin.last = *it;
    ++bin.count;
  }
  flush();
  out->set(points, true);
  return out;
}

// A label drawn by the renderer itself beside an axis.
struct LooseLabel {
  QRect box;
  int align = 0;
  QString text;
  int pixelSize = 0;
  QColor colour;
};

class Renderer {
 public:
  Renderer(SRGraph& chart, int width, int height, const RenderOptions& options)
      : chart_(chart),
        width_(width),
        height_(height),
        options_(options),
        dpi_(std::isfinite(options.dpi) && options.dpi >= 24 ? std::min(options.dpi, 4800.0) : 96),
        scale_(dpi_ / 96),
        measure_(ToQt(options.faceName)) {}

  // Builds the plot for the chart as laid out, draws it and what lies around
  // it through `painter`.
  RenderReport Draw(QCPPainter& painter, bool vectorized);

 private:
  int Px(double at96) const { return std::max(1, static_cast<int>(std::lround(at96 * scale_))); }
  int FontPx(int points) const { return std::max(1, PointsToPixels(points, dpi_)); }
  QPen LinePen(const QColor& colour) const {
    QPen pen(colour, scale_);
    pen.setCapStyle(Qt::SquareCap);
    return pen;
  }

  void Build();
  QCPAxisRect* AddAxisRect(const SRGCompoundDisplay& display, std::size_t displayIndex);
  void PrepareAxis(QCPAxis* axis, const QColor& colour);
  // Ticks and labels of `scale` on `axis` for [min, max]; returns them.
  std::vector<Tick> SetScale(QCPAxis* axis, const SRGScale& scale, const SRGTickMarks* marks,
                             double min, double max, int lengthPx, bool horizontal);
  void SetTicks(QCPAxis* axis, const std::vector<Tick>& ticks, int pixelSize);
  std::vector<Tick> TicksOf(const SRGScale& scale, double min, double max, int lengthPx,
                            bool horizontal);
  // A Y scale too short for two labels: its end labels outside the plot
  // area, drawn by DrawLabels.
  void PlaceEndLabels(QCPAxis* axis, const SRGCompoundDisplay& d, const SRGScale& scale,
                      const std::vector<Tick>& ticks, std::size_t displayIndex);
  // Returns the ticks and their pixel size.
  std::pair<std::vector<Tick>, int> SetBarScale(QCPAxis* axis, const SRGScaleBar& bar, double min,
                                                double max, int lengthPx);
  FittedTicks BarTicks(const SRGScaleBar& bar, double min, double max, int lengthPx, int fontPx,
                       int& tick, int& gap);
  // The one font of the scale bars' labels: the smallest any bar needs.
  void ChooseBarFont();
  void AddSeries(const SRGCompoundDisplay& display, QCPAxis* keyAxis, QCPAxis* valueAxis,
                 int plotWidth);
  // Ticks drawn by the plot, kept for the report and for keeping titles off
  // their labels.
  void KeepTicks(QCPAxis* axis, int display, int which, const std::vector<Tick>& ticks,
                 int pixelSize);
  void CollectTicks(RenderReport& report);
  void DrawLegend(QCPPainter& painter, RenderReport& report);
  void DrawLimitLines(QCPPainter& painter, RenderReport& report);
  void DrawBarTitles(QCPPainter& painter);
  void DrawOverlays(QCPPainter& painter);
  // True when `box` meets a tick label.
  bool HitsTickLabel(const QRect& box) const;
  void DrawLabels(QCPPainter& painter);
  void DrawText(QCPPainter& painter, const QRect& band, const std::string& text, int pixelSize,
                bool rotated);
  void DrawSideTitles(QCPPainter& painter);

  SRGraph& chart_;
  int width_, height_;
  const RenderOptions& options_;
  double dpi_, scale_;
  QtTextMeasure measure_;
  QCustomPlot plot_;
  FixedLayout* layout_ = nullptr;
  std::vector<QCPAxisRect*> rects_;  // per compound display (null: drawn on another's)
  // Per compound display: the axis its Y values are drawn against.
  std::vector<QCPAxis*> valueAxes_;
  struct KeptTicks {
    QCPAxis* axis;
    int display;  // compound display, or scale bar for `which` 3
    int which;    // 0 X, 1 second X, 2 Y, 3 a scale bar
    std::vector<Tick> ticks;
    int pixelSize;
  };
  std::vector<KeptTicks> kept_;
  std::vector<QRect> tickBoxes_;
  std::vector<QRect> texts_;  // every text drawn
  // Per compound display: how far its Y labels reach out from the plot area
  // (tick, gap and widest label), left and right.
  std::vector<std::pair<int, int>> yLabelReach_;
  std::vector<LooseLabel> looseLabels_;
  int barFontPx_ = std::numeric_limits<int>::max();
  struct BarFit {
    double min = 0, max = 0;
    int lengthPx = 0, fontPx = 0;
    FittedTicks fitted;
  };
  std::map<const SRGScaleBar*, BarFit> barFits_;
  std::vector<QCPAxis*> barAxes_;                    // per scale bar (null: not drawn)
  std::map<int, QCPAbstractPlottable*> plottables_;  // by Y group
};

std::vector<Tick> Renderer::TicksOf(const SRGScale& scale, double min, double max, int lengthPx,
                                    bool horizontal) {
  // A blank format (strips that leave the X values to the bottom one) still
  // spaces its ticks like a labelled scale of its kind.
  const bool date = scale.Kind() == ComponentKind::DateScale;
  std::string format = scale.format;
  const bool blank = IsBlank(format);
  if (blank) {
    format = date ? "%H:%M:%S" : "%g";
    for (int i = 0; SRGCompoundDisplay* d = chart_.Display(i); ++i) {
      const SRGScale* other = horizontal ? d->xScale.get() : d->yScale.get();
      if (other && other->Kind() == scale.Kind() && !IsBlank(other->format)) {
        format = other->format;
        break;
      }
    }
  }
  const int px = FontPx(scale.fontSize);
  const bool endsOnly = !horizontal && lengthPx < 2 * measure_.Height(px);
  std::vector<Tick> ticks;
  if (date && scale.stepDays > 0)
    ticks = DateLineTicks(min, max, lengthPx, scale.stepDays, format, px, measure_);
  else if (date)
    ticks = TimeTicks(min, max, lengthPx, horizontal, format, px, measure_, endsOnly);
  else
    ticks = DecimalTicks(min, max, lengthPx, horizontal, format, px, measure_, endsOnly);
  if (blank)
    for (Tick& t : ticks) t.label = scale.format;
  return ticks;
}

void Renderer::PrepareAxis(QCPAxis* axis, const QColor& colour) {
  axis->setVisible(true);
  axis->setBasePen(LinePen(colour));
  axis->setTickPen(LinePen(colour));
  axis->setSubTicks(false);
  axis->setTickLabelColor(colour);
  axis->setLabelColor(colour);
  axis->setTicks(false);
  axis->setTickLabels(false);
  axis->setTickLength(0, 0);
  axis->setPadding(0);
  axis->setOffset(0);
  // Extra axes on one side come with half-bar endings.
  axis->setLowerEnding(QCPLineEnding(QCPLineEnding::esNone));
  axis->setUpperEnding(QCPLineEnding(QCPLineEnding::esNone));
  axis->grid()->setVisible(false);
  axis->grid()->setSubGridVisible(false);
  axis->grid()->setZeroLinePen(Qt::NoPen);
  axis->grid()->setAntialiased(false);
  axis->setAntialiased(false);
}

void Renderer::SetTicks(QCPAxis* axis, const std::vector<Tick>& ticks, int pixelSize) {
  QVector<double> positions;
  QVector<QString> labels;
  positions.reserve(static_cast<int>(ticks.size()));
  labels.reserve(static_cast<int>(ticks.size()));
  for (const Tick& t : ticks) {
    positions.push_back(t.value);
    labels.push_back(ToQt(t.label));
  }
  auto ticker = QSharedPointer<QCPAxisTickerText>::create();
  ticker->setTicks(positions, labels);
  ticker->setSubTickCount(0);
  axis->setTicker(ticker);
  axis->setTickLabels(true);
  axis->setTickLabelFont(measure_.Font(pixelSize));
}

std::vector<Tick> Renderer::SetScale(QCPAxis* axis, const SRGScale& scale,
                                     const SRGTickMarks* marks, double min, double max,
                                     int lengthPx, bool horizontal) {
  std::vector<Tick> ticks = TicksOf(scale, min, max, lengthPx, horizontal);
  SetTicks(axis, ticks, FontPx(scale.fontSize));
  const bool showMarks = !marks || marks->visible;
  axis->setTicks(showMarks);
  // The layout leaves 5 px for the marks and 3 px before the labels.
  axis->setTickLength(0, showMarks ? Px(5) : 0);
  axis->setTickLabelPadding(showMarks ? Px(3) : Px(8));
  return ticks;
}

void Renderer::PlaceEndLabels(QCPAxis* axis, const SRGCompoundDisplay& d, const SRGScale& scale,
                              const std::vector<Tick>& ticks, std::size_t displayIndex) {
  axis->setTickLabels(false);
  const Rect& r = d.rect;
  const Rect& p = d.plotArea;
  // A label stands out of the plot area, above or below, in a margin that
  // holds it and where no X scale has its labels; else beside the plot area
  // from its top or up to its bottom, where it fits.
  const bool over = d.xScale2 || (d.xScale && d.xScale->labelsFarSide);
  const bool under = d.xScale && !d.xScale->labelsFarSide && !IsBlank(d.xScale->format);
  const int roomTop = over ? 0 : p.top - r.top, roomBottom = under ? 0 : r.bottom - p.bottom;
  int fitRoom = std::numeric_limits<int>::max();
  if (roomTop > 0) fitRoom = std::min(fitRoom, roomTop);
  if (roomBottom > 0) fitRoom = std::min(fitRoom, roomBottom);
  if (roomTop == 0 || roomBottom == 0) fitRoom = std::min(fitRoom, std::max(1, p.Height() / 2));
  // A pixel to spare: a line of text may take one more than its height.
  const int px = EndLabelFontSize(FontPx(scale.fontSize), fitRoom - 1, dpi_, measure_);
  const int height = measure_.Height(px);
  const bool right = axis->axisType() == QCPAxis::atRight;
  const int reach = axis->tickLengthOut() + axis->tickLabelPadding();
  int widest = 0;
  for (const Tick& t : ticks) widest = std::max(widest, measure_.Width(t.label, px));
  const int x = right ? p.right + reach : p.left - reach - widest;
  const bool single = ticks.size() < 2;
  const bool topOut = roomTop > height, bottomOut = roomBottom > height;
  int insideRows = p.Height() / std::max(1, height);
  for (int pass = 0; pass < 2; ++pass) {
    for (const Tick& t : ticks) {
      // The maximum at the top, the minimum at the bottom; the top first.
      const bool top = single || t.value >= ticks.back().value;
      if (top != (pass == 0)) continue;
      const bool out = top ? topOut : bottomOut;
      if (!out && insideRows-- <= 0) continue;
      LooseLabel l;
      if (out)
        l.box = QRect(x, top ? p.top - height : p.bottom, widest, height);
      else
        l.box = QRect(x, top ? p.top : p.bottom - height, widest, height);
      l.align =
          (right ? Qt::AlignLeft : Qt::AlignRight) | (top == out ? Qt::AlignBottom : Qt::AlignTop);
      l.text = ToQt(t.label);
      l.pixelSize = px;
      l.colour = axis->tickLabelColor();
      looseLabels_.push_back(l);
    }
  }
  auto& [left, rightReach] = yLabelReach_[displayIndex];
  (right ? rightReach : left) = reach + widest;
}

FittedTicks Renderer::BarTicks(const SRGScaleBar& bar, double min, double max, int lengthPx,
                               int fontPx, int& tick, int& gap) {
  // Labels stay inside the bar's own band, in a smaller font or fewer when
  // they must. Short marks well apart from the labels: a mark next to a
  // number reads as its minus sign.
  const int band = bar.rect.Width();
  tick = Px(3);
  gap = band < Px(40) ? Px(4) : Px(5);
  const int room = band - tick - gap - Px(2);
  fontPx = std::min(fontPx, FontPx(bar.scale.fontSize));
  // The same bar is fitted when its font is chosen and when it is set up.
  BarFit& memo = barFits_[&bar];
  if (memo.fitted.ticks.empty() || memo.min != min || memo.max != max ||
      memo.lengthPx != lengthPx || memo.fontPx != fontPx) {
    memo = {min, max, lengthPx, fontPx,
            BandTicks(min, max, lengthPx, bar.scale.format, fontPx, room, dpi_, measure_)};
  }
  return memo.fitted;
}

void Renderer::ChooseBarFont() {
  for (const auto& c : chart_.Components()) {
    if (c->Kind() != ComponentKind::ScaleBar) continue;
    const auto& bar = static_cast<const SRGScaleBar&>(*c);
    const SRGCompoundDisplay* d = chart_.Display(bar.boundDisplay);
    if (!d || !bar.scale.labelsFarSide) continue;
    const DisplayRanges ranges = RangesOf(chart_, *d);
    int tick = 0, gap = 0;
    barFontPx_ = std::min(
        barFontPx_, BarTicks(bar, ranges.y.min, ranges.y.max, std::max(1, d->plotArea.Height()),
                             FontPx(bar.scale.fontSize), tick, gap)
                        .fontPx);
  }
}

std::pair<std::vector<Tick>, int> Renderer::SetBarScale(QCPAxis* axis, const SRGScaleBar& bar,
                                                        double min, double max, int lengthPx) {
  if (!bar.scale.labelsFarSide) {
    auto ticks = SetScale(axis, bar.scale, nullptr, min, max, lengthPx, false);
    axis->setTickLabelSide(QCPAxis::lsInside);
    return {ticks, FontPx(bar.scale.fontSize)};
  }
  int tick = 0, gap = 0;
  const FittedTicks fitted = BarTicks(bar, min, max, lengthPx, barFontPx_, tick, gap);
  SetTicks(axis, fitted.ticks, fitted.fontPx);
  axis->setTicks(true);
  axis->setTickLength(0, tick);
  axis->setTickLabelPadding(gap);
  axis->setTickLabelSide(QCPAxis::lsOutside);
  return {fitted.ticks, fitted.fontPx};
}

QCPAxisRect* Renderer::AddAxisRect(const SRGCompoundDisplay& d, std::size_t displayIndex) {
  auto* rect = new QCPAxisRect(&plot_, true);
  rect->setAutoMargins(QCP::msNone);
  rect->setMinimumSize(0, 0);
  const Rect& r = d.rect;
  const Rect& p = d.plotArea;
  rect->setMargins(
      QMargins(p.left - r.left, p.top - r.top, r.right - p.right, r.bottom - p.bottom));
  layout_->Place(rect, ToQRect(r));
  for (QCPAxis* axis : rect->axes()) PrepareAxis(axis, Qt::black);

  const DisplayRanges ranges = RangesOf(chart_, d);
  QCPAxis* bottom = rect->axis(QCPAxis::atBottom);
  QCPAxis* top = rect->axis(QCPAxis::atTop);
  QCPAxis* left = rect->axis(QCPAxis::atLeft);
  QCPAxis* right = rect->axis(QCPAxis::atRight);
  for (QCPAxis* axis : {bottom, top}) axis->setRange(ranges.x.min, ranges.x.max);
  for (QCPAxis* axis : {left, right}) axis->setRange(ranges.y.min, ranges.y.max);

  const int plotWidth = std::max(1, p.Width());
  const int plotHeight = std::max(1, p.Height());
  QCPAxis* xAxis = bottom;
  const int index = static_cast<int>(displayIndex);
  if (d.xScale) {
    const bool far = d.xScale->labelsFarSide && !d.xScale2;
    xAxis = far ? top : bottom;
    KeepTicks(
        xAxis, index, 0,
        SetScale(xAxis, *d.xScale, d.xTicks.get(), ranges.x.min, ranges.x.max, plotWidth, true),
        FontPx(d.xScale->fontSize));
  }
  if (d.xScale2)
    KeepTicks(
        top, index, 1,
        SetScale(top, *d.xScale2, d.xTicks2.get(), ranges.x.min, ranges.x.max, plotWidth, true),
        FontPx(d.xScale2->fontSize));
  QCPAxis* yAxis = left;
  if (d.yScale) {
    yAxis = d.yScale->labelsFarSide ? right : left;
    std::vector<Tick> ticks =
        SetScale(yAxis, *d.yScale, d.yTicks.get(), ranges.y.min, ranges.y.max, plotHeight, false);
    // A label that would reach out of its display (into the strip above or
    // below) is left off; its tick stays.
    if (plotHeight >= 2 * measure_.Height(FontPx(d.yScale->fontSize)) && r.Height() > 0 &&
        ranges.y.max > ranges.y.min) {
      const int half = measure_.Height(FontPx(d.yScale->fontSize)) / 2;
      bool dropped = false;
      for (Tick& t : ticks) {
        const double y =
            p.bottom - (t.value - ranges.y.min) / (ranges.y.max - ranges.y.min) * p.Height();
        if (y - half < r.top || y + half > r.bottom) {
          t.label.clear();
          dropped = true;
        }
      }
      if (dropped) SetTicks(yAxis, ticks, FontPx(d.yScale->fontSize));
    }
    KeepTicks(yAxis, index, 2, ticks, FontPx(d.yScale->fontSize));
    const int px = FontPx(d.yScale->fontSize);
    if (plotHeight < 2 * measure_.Height(px)) {
      PlaceEndLabels(yAxis, d, *d.yScale, ticks, displayIndex);
    } else {
      int widest = 0;
      for (const Tick& t : ticks) widest = std::max(widest, measure_.Width(t.label, px));
      const int reach = yAxis->tickLengthOut() + yAxis->tickLabelPadding() + widest;
      auto& [l, r] = yLabelReach_[displayIndex];
      (yAxis == right ? r : l) = reach;
    }
  }
  // Grid lines follow the ticks of their scale; without one, a plain
  // decimal spacing.
  auto grid = [&](QCPAxis* axis, const SRGGridLines* lines, bool hasScale, double min, double max,
                  int length, bool horizontal) {
    if (!lines) return;
    if (!hasScale) {
      SRGDecimalScale plain;
      plain.format = "%g";
      SetScale(axis, plain, nullptr, min, max, length, horizontal);
      axis->setTickLabels(false);
      axis->setTicks(false);
      axis->setTickLength(0, 0);
    }
    QPen pen(ToQColor(lines->colour), scale_);
    axis->grid()->setPen(pen);
    axis->grid()->setZeroLinePen(pen);
    axis->grid()->setVisible(true);
  };
  grid(xAxis, d.xGrid.get(), d.xScale != nullptr, ranges.x.min, ranges.x.max, plotWidth, true);
  grid(yAxis, d.yGrid.get(), d.yScale != nullptr, ranges.y.min, ranges.y.max, plotHeight, false);
  rect->setBackground(Qt::NoBrush);
  return rect;
}

void Renderer::AddSeries(const SRGCompoundDisplay& d, QCPAxis* keyAxis, QCPAxis* valueAxis,
                         int plotWidth) {
  if (!d.display) return;
  for (const Series& s : SeriesOf(chart_, *d.display)) {
    if (!chart_.Group(s.xGroup) || !chart_.Group(s.yGroup)) continue;
    if (chart_.SeriesHidden(s.xGroup / 2)) continue;
    const SeriesCache::Entry& data = SeriesCache::Instance().Get(chart_, s.xGroup);

    const int k = s.yGroup / 2;
    const QColor colour = ToQColor(SeriesColour(k));
    const SRGraphStyle style = chart_.StyleAt(0, s.yGroup);
    QPen pen(colour, scale_);
    pen.setJoinStyle(Qt::RoundJoin);
    const QCPScatterStyle marker =
        style.markers ? QCPScatterStyle(QCPScatterStyle::ssDisc, colour, 5 * scale_)
                      : QCPScatterStyle(QCPScatterStyle::ssNone);
    QCPAbstractPlottable* plottable = nullptr;
    std::size_t drawn = data.points;
    if (data.rising) {
      auto* graph = new QCPGraph(keyAxis, valueAxis);
      if (data.gaps) {
        // The library's sampling would join the line across gaps.
        const QCPRange range = keyAxis->range();
        if (!data.sampled || data.sampledMin != range.lower || data.sampledMax != range.upper ||
            data.sampledWidth != plotWidth) {
          data.sampled = SampledWithGaps(data.graph, range.lower, range.upper, plotWidth);
          data.sampledMin = range.lower;
          data.sampledMax = range.upper;
          data.sampledWidth = plotWidth;
        }
        drawn = static_cast<std::size_t>(data.sampled->size());
        graph->setData(data.sampled);
        graph->setAdaptiveSampling(false);
      } else {
        graph->setData(data.graph);
        graph->setAdaptiveSampling(true);
      }
      graph->setLineStyle(style.lines ? QCPGraph::lsLine : QCPGraph::lsNone);
      graph->setScatterStyle(marker);
      plottable = graph;
    } else {
      // Points stay joined in record order (local times that go back).
      auto* curve = new QCPCurve(keyAxis, valueAxis);
      curve->setData(data.curve);
      curve->setLineStyle(style.lines ? QCPCurve::lsLine : QCPCurve::lsNone);
      curve->setScatterStyle(marker);
      plottable = curve;
    }
    plottable->setPen(pen);
    plottable->setBrush(Qt::NoBrush);
    // A series with more points than its plot has pixel columns is drawn
    // as runs of short vertical strokes (the sampled minimum and maximum of
    // each column): crisper and several times faster without smoothing.
    plottable->setAntialiased(!data.rising ||
                              drawn <= 2 * static_cast<std::size_t>(std::max(1, plotWidth)));
    plottable->setAntialiasedScatters(true);
    plottables_[s.yGroup] = plottable;
  }
}

void Renderer::Build() {
  plot_.setAutoAddPlottableToLegend(false);
  plot_.plotLayout()->clear();
  plot_.plotLayout()->setMargins(QMargins());
  plot_.plotLayout()->setMinimumMargins(QMargins());
  layout_ = new FixedLayout;
  plot_.plotLayout()->addElement(0, 0, layout_);
  plot_.setViewport(QRect(0, 0, width_, height_));

  bool opaque = false;
  QCPAxisRect* host = nullptr;
  std::vector<const SRGCompoundDisplay*> overlays;
  std::vector<int> overlayIndex;
  for (int i = 0; SRGCompoundDisplay* d = chart_.Display(i); ++i) {
    opaque = opaque || !d->transparent;
    rects_.push_back(nullptr);
    valueAxes_.push_back(nullptr);
    yLabelReach_.emplace_back(0, 0);
    if (d->yScale || !host) {
      QCPAxisRect* rect = AddAxisRect(*d, rects_.size() - 1);
      rects_.back() = rect;
      host = rect;
      const bool yRight = d->yScale && d->yScale->labelsFarSide;
      const bool xTop = d->xScale && d->xScale->labelsFarSide && !d->xScale2;
      AddSeries(*d, rect->axis(xTop ? QCPAxis::atTop : QCPAxis::atBottom),
                rect->axis(yRight ? QCPAxis::atRight : QCPAxis::atLeft), d->plotArea.Width());
      valueAxes_.back() = rect->axis(yRight ? QCPAxis::atRight : QCPAxis::atLeft);
    } else {
      overlays.push_back(d);
      overlayIndex.push_back(i);
    }
  }
  plot_.setBackground(opaque ? QBrush(Qt::white) : QBrush(Qt::NoBrush));

  // Displays without a scale of their own draw on the display before them,
  // against the scale bar bound to them.
  ChooseBarFont();
  barAxes_.assign(static_cast<std::size_t>(chart_.Count(ComponentKind::ScaleBar)), nullptr);
  for (std::size_t o = 0; o < overlays.size(); ++o) {
    const SRGCompoundDisplay& d = *overlays[o];
    QCPAxisRect* rect = nullptr;
    const SRGCompoundDisplay* owner = nullptr;
    for (int i = overlayIndex[o] - 1; i >= 0 && !rect; --i) {
      rect = rects_[static_cast<std::size_t>(i)];
      owner = chart_.Display(i);
    }
    if (!rect) continue;
    const Rect& plotArea = owner->plotArea;
    const DisplayRanges ranges = RangesOf(chart_, d);
    QCPAxis* axis = rect->addAxis(QCPAxis::atRight);
    PrepareAxis(axis, Qt::black);
    axis->setRange(ranges.y.min, ranges.y.max);
    axis->setVisible(false);
    for (int b = 0; b < static_cast<int>(barAxes_.size()); ++b) {
      auto* bar = static_cast<SRGScaleBar*>(chart_.Find(ComponentKind::ScaleBar, b));
      if (!bar || bar->boundDisplay != overlayIndex[o] || barAxes_[static_cast<std::size_t>(b)])
        continue;
      const QColor colour = ToQColor(bar->colour);
      PrepareAxis(axis, colour);

      axis->setRange(ranges.y.min, ranges.y.max);
      // The axis line stands on the left edge of the bar's band (a right
      // axis is drawn one pixel right of the plot area's last column).
      axis->setOffset(bar->rect.left - plotArea.right);
      const auto [ticks, px] =
          SetBarScale(axis, *bar, ranges.y.min, ranges.y.max, std::max(1, plotArea.Height()));
      KeepTicks(axis, b, 3, ticks, px);
      barAxes_[static_cast<std::size_t>(b)] = axis;
      break;
    }
    AddSeries(d, rect->axis(QCPAxis::atBottom), axis, plotArea.Width());
    valueAxes_[static_cast<std::size_t>(overlayIndex[o])] = axis;
  }
}

void Renderer::DrawText(QCPPainter& painter, const QRect& band, const std::string& text,
                        int pixelSize, bool rotated) {
  if (text.empty() || IsBlank(text) || band.isEmpty()) return;
  const QFont font = measure_.Font(pixelSize);
  painter.setFont(font);
  painter.setPen(Qt::black);
  const QString qtext = ToQt(text);
  const QFontMetrics metrics(font);
  if (!rotated) {
    painter.drawText(band, Qt::AlignCenter | Qt::TextDontClip, qtext);
    texts_.push_back(metrics.boundingRect(band, Qt::AlignCenter, qtext.trimmed()));
    return;
  }
  {
    const QRect along = metrics.boundingRect(qtext.trimmed());
    const QPoint c = band.center();
    texts_.push_back(QRect(c.x() - along.height() / 2, c.y() - along.width() / 2, along.height(),
                           along.width()));
  }
  // Vertical text reads bottom to top.
  painter.save();
  painter.translate(QRectF(band).center());
  painter.rotate(-90);
  painter.drawText(QRectF(-band.height() / 2.0, -band.width() / 2.0, band.height(), band.width()),
                   Qt::AlignCenter | Qt::TextDontClip, qtext);
  painter.restore();
}

void Renderer::DrawSideTitles(QCPPainter& painter) {
  // Titles beside plot areas: rotated along the side when every title of
  // that side fits so, else all across their margins (between the display's
  // edge and its Y labels); one font per side, the smallest any needs.
  struct Title {
    const SRGCompoundDisplay* display;
    const SRGraphLabel* label;
    QRect along;   // the rotated title's box
    QRect across;  // the margin for a title across
    SideTitle fit;
  };
  const QRect chart(0, 0, width_, height_);
  const int pad = Px(3);
  std::vector<Title> titles[2];  // left, right
  for (int i = 0; const SRGCompoundDisplay* d = chart_.Display(i); ++i) {
    const auto [leftReach, rightReach] = yLabelReach_[static_cast<std::size_t>(i)];
    // Across, a title stays level with its plot area where labels above or
    // below it (a date line, X values, titles) take the display's margins.
    Rect band = d->rect;
    bool above = d->xScale2 || (d->xScale && d->xScale->labelsFarSide);
    bool below = d->xScale && !d->xScale->labelsFarSide && !IsBlank(d->xScale->format);
    for (const SRGraphLabel& l : d->labels) {
      above = above || l.side == Side::Top;
      below = below || l.side == Side::Bottom;
    }
    if (above) band.top = d->plotArea.top;
    if (below) band.bottom = d->plotArea.bottom;
    const QRect strip = ToQRect(band).intersected(chart);
    for (const SRGraphLabel& label : d->labels) {
      if (!label.rotated || (label.side != Side::Left && label.side != Side::Right)) continue;
      const bool left = label.side == Side::Left;
      const int from = left ? d->rect.left + pad : d->plotArea.right + rightReach + pad;
      const int to = left ? d->plotArea.left - leftReach - pad : d->rect.right - pad;
      QRect along = ToQRect(label.rect);
      if (along.intersects(chart)) along = along.intersected(chart);
      titles[left ? 0 : 1].push_back(
          {d, &label, along, QRect(from, strip.top(), std::max(0, to - from), strip.height()),
           SideTitle()});
    }
  }
  for (auto& side : titles) {
    const auto fit = [&](Title& t, int px, bool mayRotate) {
      t.fit = FitSideTitle(t.label->text, px, mayRotate ? t.along.height() : 0, t.across.width(),
                           t.across.height(), dpi_, measure_);
    };
    bool rotate = true;
    int px = std::numeric_limits<int>::max();
    for (Title& t : side) {
      fit(t, FontPx(t.label->fontSize), true);
      rotate = rotate && t.fit.rotated;
    }
    for (Title& t : side) {
      if (!rotate) fit(t, FontPx(t.label->fontSize), false);
      if (!IsBlank(t.fit.text) && t.fit.text != "\n") px = std::min(px, t.fit.fontPx);
    }
    for (Title& t : side) {
      if (px != std::numeric_limits<int>::max()) fit(t, std::min(px, t.fit.fontPx), rotate);
      if (t.fit.rotated) {
        DrawText(painter, t.along, t.fit.text, t.fit.fontPx, true);
        continue;
      }
      const int height = measure_.Height(t.fit.fontPx);
      const Rect& p = t.display->plotArea;
      const int top = std::clamp((p.top + p.bottom) / 2 - height / 2, t.across.top(),
                                 t.across.bottom() + 1 - height);
      DrawText(painter, QRect(t.across.left(), top, t.across.width(), height), t.fit.text,
               t.fit.fontPx, false);
    }
  }
}

void Renderer::DrawLabels(QCPPainter& painter) {
  // Every label is centred in the box the layout gave it: chart labels in
  // the strips the displays leave free, display labels in the margins
  // between a display's rectangle and its plot area.
  const QRect chart(0, 0, width_, height_);
  // A box reaching past the chart (the last strip ends a pixel below it) is
  // cut to the chart, so that the text stays whole.
  const auto boxOf = [&](const SRGraphLabel& label) {
    QRect box = ToQRect(label.rect);
    if (box.intersects(chart)) box = box.intersected(chart);
    return box;
  };
  const int minPx = PointsToPixels(6, dpi_);
  const auto draw = [&](const SRGraphLabel& label) {
    const QRect box = boxOf(label);
    int px = FontPx(label.fontSize);
    if (label.rotated) {
      px = FitFontSize(label.text, px, box.height(), dpi_, measure_);
      // Too long even so: cut short, never past its side.
      if (measure_.Width(label.text, px) > box.height()) {
        const QString cut = QFontMetrics(measure_.Font(px))
                                .elidedText(ToQt(label.text), Qt::ElideRight, box.height());
        DrawText(painter, box, FromQt(cut), px, true);
        return;
      }
    } else if (label.text.find('\n') == std::string::npos && !IsBlank(label.text)) {
      // A title across its box fits the box's width, and stands clear of
      // the tick labels around it.
      px = FitFontSize(label.text, px, box.width(), dpi_, measure_);
      const QString text = ToQt(label.text).trimmed();
      const auto hits = [&](int size) {
        return HitsTickLabel(
            QFontMetrics(measure_.Font(size)).boundingRect(box, Qt::AlignCenter, text));
      };
      while (px > minPx && hits(px)) --px;
      // Where not even the smallest font clears them (the tiniest windows),
      // the title gives way.
      if (hits(px)) return;
    }
    DrawText(painter, box, label.text, px, label.rotated);
  };
  for (const auto& component : chart_.Components()) {
    if (component->Kind() == ComponentKind::Label) {
      draw(static_cast<const SRGraphLabel&>(*component));
    } else if (component->Kind() == ComponentKind::CompoundDisplay) {
      for (const SRGraphLabel& label : static_cast<const SRGCompoundDisplay&>(*component).labels)
        if (!label.rotated || (label.side != Side::Left && label.side != Side::Right)) draw(label);
    }
  }
  DrawSideTitles(painter);
  for (const LooseLabel& l : looseLabels_) {
    const QFont font = measure_.Font(l.pixelSize);
    painter.setFont(font);
    painter.setPen(l.colour);
    painter.drawText(l.box, l.align | Qt::TextDontClip, l.text);
    texts_.push_back(QFontMetrics(font).boundingRect(l.box, l.align, l.text));
  }
}

void Renderer::KeepTicks(QCPAxis* axis, int display, int which, const std::vector<Tick>& ticks,
                         int pixelSize) {
  kept_.push_back({axis, display, which, ticks, pixelSize});
}

void Renderer::CollectTicks(RenderReport& report) {
  for (const KeptTicks& k : kept_) {
    const QRect rect = k.axis->axisRect()->rect();
    const QFontMetrics metrics(measure_.Font(k.pixelSize));
    const int reach = k.axis->offset() + k.axis->tickLengthOut() + k.axis->tickLabelPadding();
    std::vector<RenderReport::TickMark> marks;
    for (const Tick& t : k.ticks) {
      RenderReport::TickMark m;
      m.value = t.value;
      m.text = t.label;
      const double pixel = k.axis->coordToPixel(t.value);
      m.pos = std::isfinite(pixel) ? static_cast<int>(std::lround(pixel)) : 0;
      const QString text = ToQt(t.label).trimmed();
      if (k.axis->tickLabels() && !text.isEmpty()) {
        const int w = metrics.horizontalAdvance(text), h = metrics.height();
        switch (k.axis->axisType()) {
          case QCPAxis::atBottom:
            m.box = QRect(m.pos - w / 2, rect.bottom() + 1 + reach, w, h);
            break;
          case QCPAxis::atTop: m.box = QRect(m.pos - w / 2, rect.top() - reach - h, w, h); break;
          case QCPAxis::atLeft: m.box = QRect(rect.left() - reach - w, m.pos - h / 2, w, h); break;
          case QCPAxis::atRight:
            m.box = QRect(rect.right() + 1 + reach, m.pos - h / 2, w, h);
            break;
        }
        tickBoxes_.push_back(m.box);
      }
      marks.push_back(std::move(m));
    }
    if (k.which == 3) {
      if (static_cast<std::size_t>(k.display) < report.barTicks.size())
        report.barTicks[static_cast<std::size_t>(k.display)] = std::move(marks);
      continue;
    }
    for (RenderReport::Display& d : report.displays) {
      if (d.index != k.display) continue;
      (k.which == 0 ? d.xTicks : k.which == 1 ? d.x2Ticks : d.yTicks) = std::move(marks);
      break;
    }
  }
}

bool Renderer::HitsTickLabel(const QRect& box) const {
  return std::any_of(tickBoxes_.begin(), tickBoxes_.end(),
                     [&](const QRect& t) { return t.intersects(box); });
}

void Renderer::DrawLegend(QCPPainter& painter, RenderReport& report) {
  const SRGraphLegend* legend = chart_.Legend();
  if (!legend || legend->items.empty()) return;
  report.legend = ToQRect(legend->rect);
  const QFont font = measure_.Font(std::max(1, legend->fontPx));
  const QFontMetrics metrics(font);
  const QColor grey(192, 192, 192);
  for (const SRGraphLegend::Item& item : legend->items) {
    const int k = item.series;
    const bool hidden = chart_.SeriesHidden(k);
    // A hidden series' key and text are greyed.
    const QColor colour = hidden ? grey : ToQColor(SeriesColour(k));
    const QRect key = ToQRect(item.key);
    if (legend->key == LegendKey::Box) {
      painter.setPen(QPen(hidden ? grey : QColor(Qt::black), scale_));
      painter.setBrush(colour);
      painter.drawRect(key);
    } else {
      const QPointF centre = QRectF(key).center();
      if (chart_.StyleAt(0, 2 * k + 1).lines) {
        painter.setPen(QPen(colour, scale_));
        painter.drawLine(QLineF(key.left(), centre.y(), key.right(), centre.y()));
      }
      QCPScatterStyle marker(QCPScatterStyle::ssDisc, colour, 5 * scale_);
      marker.applyTo(&painter, QPen(colour, scale_));
      marker.drawShape(&painter, centre);
    }
    painter.setBrush(Qt::NoBrush);
    const int x = key.right() + 1 + Px(6);
    const QRect box = ToQRect(item.box);
    const QRect textBox(x, box.top(), std::max(0, box.right() + 1 - x), box.height());
    const QString text =
        metrics.elidedText(ToQt(chart_.Annotation(2 * k + 1)), Qt::ElideRight, textBox.width());
    painter.setFont(font);
    painter.setPen(hidden ? QColor(128, 128, 128) : QColor(Qt::black));
    painter.drawText(textBox, Qt::AlignLeft | Qt::AlignVCenter, text);
    texts_.push_back(metrics.boundingRect(textBox, Qt::AlignLeft | Qt::AlignVCenter, text));
  }
}

void Renderer::DrawLimitLines(QCPPainter& painter, RenderReport& report) {
  if (chart_.limitLines.empty()) return;
  struct Item {
    const LimitLine* line;
    int display;
    QRect plot;
    int y, arrow;
    QColor colour;
  };
  std::vector<Item> items;
  for (int i = 0; const SRGCompoundDisplay* d = chart_.Display(i); ++i) {
    QCPAxis* axis = valueAxes_[static_cast<std::size_t>(i)];
    if (!axis) continue;
    const QRect plot = axis->axisRect()->rect();
    if (plot.isEmpty()) continue;
    const std::vector<int> shown = SeriesShown(chart_, *d);
    const std::size_t firstOfDisplay = items.size();
    for (const LimitLine& line : chart_.limitLines) {
      if (!std::isfinite(line.value) || chart_.SeriesHidden(line.series) ||
          std::find(shown.begin(), shown.end(), line.series) == shown.end())
        continue;
      // One line for one limit on a display, in the colour of the first
      // series bearing it.
      if (std::any_of(items.begin() + static_cast<std::ptrdiff_t>(firstOfDisplay), items.end(),
                      [&](const Item& it) {
                        return it.line->kind == line.kind && it.line->value == line.value &&
                               it.line->unit == line.unit;
                      }))
        continue;
      // The axis runs from the plot area's last row up to the row above
      // its first (where the frame is drawn).
      const double py = axis->coordToPixel(line.value);
      Item it{&line, i, plot, 0, 0, ToQColor(SeriesColour(line.series))};
      if (!std::isfinite(py) || py < plot.top() - 1.5) {
        it.arrow = 1;
        it.y = plot.top();
      } else if (py > plot.bottom() + 0.5) {
        it.arrow = -1;
        it.y = plot.bottom();
      } else {
        it.y = static_cast<int>(std::lround(py));
      }
      items.push_back(it);
    }
  }
  if (items.empty()) return;
  const int a = Px(4);
  for (const Item& it : items) {
    painter.save();
    painter.setClipRect(it.plot.adjusted(0, -1, 1, 1));
    if (it.arrow == 0) {
      QPen pen(it.colour, std::max(1.0, std::round(scale_)));
      pen.setDashPattern({6, 4});
      painter.setPen(pen);
      painter.drawLine(QLineF(it.plot.left(), it.y + 0.5, it.plot.right() + 1, it.y + 0.5));
    } else {
      // A small arrow at the right end of the edge the limit lies beyond.
      const double cx = it.plot.right() - a - Px(2);
      const double tip = it.arrow > 0 ? it.plot.top() + 1 : it.plot.bottom() - 1;
      const double base = tip + (it.arrow > 0 ? 2 : -2) * a;
      const QPointF triangle[3] = {{cx, tip}, {cx - a, base}, {cx + a, base}};
      painter.setPen(Qt::NoPen);
      painter.setBrush(it.colour);
      painter.drawPolygon(triangle, 3);
      painter.setBrush(Qt::NoBrush);
    }
    painter.restore();
  }
  // Labels at the right end, above their line (below when there is no room
  // above): on one plot area (displays drawn over one another share it) each
  // is pushed down off the one above it and, where the last runs past the
  // plot area, all are pushed back up.
  std::vector<const Item*> order;
  for (const Item& it : items) order.push_back(&it);
  std::stable_sort(order.begin(), order.end(), [](const Item* p, const Item* q) {
    const auto key = [](const Item* i) { return std::make_tuple(i->plot.top(), i->plot.left()); };
    return key(p) != key(q) ? key(p) < key(q) : p->y < q->y;
  });
  for (std::size_t from = 0; from < order.size();) {
    std::size_t to = from;
    while (to < order.size() && order[to]->plot == order[from]->plot) ++to;
    const QRect plot = order[from]->plot;
    // The labels stay inside the plot area: in a smaller font where they
    // must, and only as many as fit there.
    int px = FontPx(8);
    const int minPx = PointsToPixels(6, dpi_);
    while (px > minPx && static_cast<int>(to - from) * measure_.Height(px) > plot.height()) --px;
    const QFont font = measure_.Font(px);
    const QFontMetrics metrics(font);
    const int h = metrics.height();
    to = std::min(to, from + static_cast<std::size_t>(std::max(0, plot.height() / h)));
    painter.setFont(font);
    std::vector<QRect> boxes;
    for (std::size_t j = from; j < to; ++j) {
      const Item& it = *order[j];
      const int w = std::min(metrics.horizontalAdvance(ToQt(it.line->label)) + Px(4),
                             std::max(1, plot.width() - Px(4) - (it.arrow ? 2 * a + Px(4) : 0)));
      const int right = plot.right() + 1 - Px(3) - (it.arrow ? 2 * a + Px(4) : 0);
      int top = it.y - h - Px(1);
      if (it.arrow > 0) top = plot.top() + Px(2);
      if (it.arrow < 0) top = plot.bottom() - h - Px(2);
      if (top < plot.top()) top = it.y + Px(2);
      boxes.emplace_back(right - w, top, w, h);
    }
    for (std::size_t j = 1; j < boxes.size(); ++j)
      if (boxes[j].top() <= boxes[j - 1].bottom()) boxes[j].moveTop(boxes[j - 1].bottom() + 1);
    for (std::size_t j = boxes.size(); j-- > 0;) {
      const int limit = j + 1 < boxes.size() ? boxes[j + 1].top() - 1 : plot.bottom();
      if (boxes[j].bottom() > limit) boxes[j].moveBottom(limit);
    }
    for (std::size_t j = 0; j < boxes.size(); ++j) {
      const Item& it = *order[from + j];
      painter.fillRect(boxes[j], Qt::white);
      painter.setPen(it.colour);
      painter.drawText(
          boxes[j], Qt::AlignCenter,
          metrics.elidedText(ToQt(it.line->label), Qt::ElideRight, boxes[j].width() - Px(2)));
      texts_.push_back(boxes[j]);
    }
    from = to;
    while (from < order.size() && order[from]->plot == plot) ++from;
  }
  for (const Item& it : items) {
    RenderReport::Limit r;
    r.series = it.line->series;
    r.display = it.display;
    r.kind = it.line->kind;
    r.unit = it.line->unit;
    r.label = it.line->label;
    r.value = it.line->value;
    r.y = it.y;
    r.arrow = it.arrow;
    report.limitLines.push_back(std::move(r));
  }
}

void Renderer::DrawBarTitles(QCPPainter& painter) {
  for (std::size_t b = 0; b < barAxes_.size(); ++b) {
    QCPAxis* axis = barAxes_[b];
    const auto* bar =
        static_cast<const SRGScaleBar*>(chart_.Find(ComponentKind::ScaleBar, static_cast<int>(b)));
    if (!axis || !bar || bar->scale.title.empty()) continue;
    // The channel's short name over its unit, above the plot area in the
    // bar's band.
    const QStringList lines = ToQt(bar->scale.title).split(QLatin1Char('\n'));
    const int room = std::max(1, bar->rect.Width() - Px(2));
    int px = FontPx(bar->scale.fontSize);
    for (const QString& line : lines)
      px = std::min(px, FitFontSize(FromQt(line), px, room, dpi_, measure_));
    const QFont font = measure_.Font(px);
    const QFontMetrics metrics(font);
    // A name too long for the band even so is cut short, never run into
    // the next band.
    QStringList fitted;
    for (const QString& line : lines)
      fitted.push_back(metrics.elidedText(line, Qt::ElideRight, room));
    const int lh = metrics.height();
    const QRect plot = axis->axisRect()->rect();
    // Clear of the top label of the bar's scale, which stands half above
    // the plot area.
    const int labelHalf =
        measure_.Height(barFontPx_ == std::numeric_limits<int>::max() ? FontPx(bar->scale.fontSize)
                                                                      : barFontPx_) /
        2;
    const int top = std::max(bar->rect.top,
                             plot.top() - Px(3) - labelHalf - static_cast<int>(lines.size()) * lh);
    painter.setFont(font);
    painter.setPen(ToQColor(bar->colour));
    const QRect box(bar->rect.left, top, bar->rect.Width(), static_cast<int>(lines.size()) * lh);
    const QString text = fitted.join(QLatin1Char('\n'));
    painter.drawText(box, Qt::AlignCenter | Qt::TextDontClip, text);
    texts_.push_back(metrics.boundingRect(box, Qt::AlignCenter, text));
  }
}

void Renderer::DrawOverlays(QCPPainter& painter) {
  // Comments on a white box with a thin border, so lines do not run
  // through them.
  for (const TextOverlay& overlay : options_.overlays) {
    const int px = std::max(1, static_cast<int>(std::lround(overlay.height * scale_)));
    QFont font = measure_.Font(px);
    font.setWeight(QFont::Normal);
    const QFontMetrics metrics(font);
    const int x = static_cast<int>(static_cast<long long>(overlay.xPercent) * width_ / 100);
    const int y = static_cast<int>(static_cast<long long>(overlay.yPercent) * height_ / 100);
    const QRect room(x, y, std::max(1, width_ - x), std::max(1, height_ - y));
    const QString text = ToQt(overlay.text);
    if (text.trimmed().isEmpty()) continue;
    const QRect used =
        metrics.boundingRect(room, Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, text);
    const int pad = Px(2);
    const QRect box = used.adjusted(-pad, -pad / 2, pad, pad / 2);
    painter.setPen(QPen(QColor(96, 96, 96), scale_));
    painter.setBrush(Qt::white);
    painter.drawRect(box);
    painter.setBrush(Qt::NoBrush);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(room, Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, text);
  }
}

RenderReport Renderer::Draw(QCPPainter& painter, bool vectorized) {
  AutoLayout(chart_, width_, height_, dpi_, measure_);
  Build();
  if (vectorized) {
    painter.setMode(QCPPainter::pmVectorized);
    painter.setMode(QCPPainter::pmNonCosmetic);
  }
  plot_.toPainter(&painter, width_, height_);

  RenderReport report;
  for (std::size_t i = 0; i < rects_.size(); ++i)
    if (QCPAxisRect* rect = rects_[i])
      report.displays.push_back({static_cast<int>(i), rect->outerRect(), rect->rect(), {}, {}, {}});
  report.barTicks.resize(barAxes_.size());
  CollectTicks(report);
  DrawLimitLines(painter, report);
  DrawBarTitles(painter);
  DrawLegend(painter, report);
  DrawLabels(painter);
  DrawOverlays(painter);

  for (std::size_t b = 0; b < barAxes_.size(); ++b) {
    QRect band;
    if (QCPAxis* axis = barAxes_[b]) {
      const auto* bar = static_cast<const SRGScaleBar*>(
          chart_.Find(ComponentKind::ScaleBar, static_cast<int>(b)));
      const QRect inner = axis->axisRect()->rect();
      band = QRect(inner.left() + inner.width() + axis->offset(), bar->rect.top, bar->rect.Width(),
                   bar->rect.Height());
    }
    report.scaleBars.push_back(band);
  }
  report.texts = std::move(texts_);
  report.texts.insert(report.texts.end(), tickBoxes_.begin(), tickBoxes_.end());
  return report;
}

bool IsRaster(const QPaintDevice* device) {
  if (!device) return false;
  const int type = device->devType();
  return type == QInternal::Image || type == QInternal::Pixmap || type == QInternal::Widget;
}

}  // namespace

RenderReport RenderChartOnDevice(SRGraph& chart, QPaintDevice& device, int width, int height,
                                 const RenderOptions& options) {
  if (width <= 0 || height <= 0) return RenderReport();
  QCPPainter painter(&device);
  Renderer renderer(chart, width, height, options);
  RenderReport report = renderer.Draw(painter, !IsRaster(&device));
  painter.end();
  return report;
}

RenderReport RenderChart(SRGraph& chart, QPainter& painter, int width, int height,
                         const RenderOptions& options) {
  if (width <= 0 || height <= 0) return RenderReport();
  RenderReport report;
  if (IsRaster(painter.device())) {
    // Pixel surfaces get the very pixels of the image files: a chart with an
    // opaque display paints its whole white background, so it is drawn as
    // they are (and copied over without blending); a transparent one is
    // laid over what the surface shows.
    bool opaque = false;
    for (int i = 0; const SRGCompoundDisplay* d = chart.Display(i); ++i)
      opaque = opaque || !d->transparent;
    QImage image(width, height,
                 opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied);
    image.fill(opaque ? Qt::white : Qt::transparent);
    report = RenderChartOnDevice(chart, image, width, height, options);
    painter.drawImage(QPoint(0, 0), image);
  } else {
    // Pages keep their vectors: record, then replay through the caller's
    // painter. A picture plays back scaled from its own resolution to the
    // device's; the chart is already in device pixels, so that is undone.
    QPicture picture;
    report = RenderChartOnDevice(chart, picture, width, height, options);
    painter.save();
    const QPaintDevice* device = painter.device();
    if (device && device->logicalDpiX() > 0 && device->logicalDpiY() > 0)
      painter.scale(static_cast<double>(picture.logicalDpiX()) / device->logicalDpiX(),
                    static_cast<double>(picture.logicalDpiY()) / device->logicalDpiY());
    painter.drawPicture(QPoint(0, 0), picture);
    painter.restore();
  }
  return report;
}

std::unique_ptr<TextMeasure> MakeTextMeasure(const std::string& faceName) {
  return std::make_unique<QtTextMeasure>(ToQt(faceName));
}

QImage RenderChartImage(SRGraph& chart, int width, int height, const RenderOptions& options,
                        RenderReport* report) {
  QImage image(std::max(1, width), std::max(1, height), QImage::Format_RGB32);
  image.fill(Qt::white);
  RenderOptions pixels = options;
  pixels.dpi = 96;
  RenderReport r = RenderChartOnDevice(chart, image, image.width(), image.height(), pixels);
  if (report) *report = std::move(r);
  return image;
}

}  // namespace vantora::chart

// The chart model: a chart of numbered data groups and the components that
// show them (compound displays with scales, tick marks, grid lines, one plot
// display and side labels; chart labels; scale bars; a legend), plus fixed
// axis ranges and a zoom history. Plain data: nothing here paints. Layout of
// displays that no caller placed is in chartlayout.h, drawing in gui/.
#pragma once

#include <array>
#include <climits>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace vantora::chart {

// Pixel rectangle; right and bottom are exclusive.
struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  // Clamped to the int range, however far apart the edges lie.
  int Width() const { return Span(left, right); }
  int Height() const { return Span(top, bottom); }
  static int Span(int from, int to) {
    const long long d = static_cast<long long>(to) - from;
    return d > INT_MAX ? INT_MAX : d < INT_MIN ? INT_MIN : static_cast<int>(d);
  }
  bool IsEmpty() const { return right <= left || bottom <= top; }
  bool operator==(const Rect& o) const {
    return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
  }
  bool operator!=(const Rect& o) const { return !(*this == o); }
};

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

// Axis type codes of a plot display.
constexpr int kAxisScatter = 0x0F;     // "Scatter graph axis"
constexpr int kAxisDateOnX = 0x1A;     // "Scatter (date on X axis)"
constexpr int kAxisDateOnY = 0x1B;     // "Scatter (date on Y axis)"
constexpr int kAxisDateOnBoth = 0x17;  // time on both axes

enum class ComponentKind : std::uint8_t {
  CompoundDisplay = 1,
  DecimalScale = 2,
  DateScale = 3,
  ScaleBar = 4,
  TickMarks = 5,
  GridLines = 6,
  GraphDisplay = 7,
  Label = 8,
  Legend = 9,
  Style = 10,
  Zoom = 11,
};

enum class Side : std::uint8_t { Bottom = 0, Top = 1, Left = 2, Right = 3 };
enum class Orientation : std::uint8_t { Horizontal = 0, Vertical = 1 };

class SRGComponent {
 public:
  virtual ~SRGComponent() = default;
  virtual ComponentKind Kind() const = 0;
  std::string name;
};

// A closed range that a display keeps instead of its data's range when fixed.
struct AxisRange {
  bool fixed = false;
  double min = 0, max = 0;
  bool operator==(const AxisRange& o) const {
    return fixed == o.fixed && min == o.min && max == o.max;
  }
  bool operator!=(const AxisRange& o) const { return !(*this == o); }
};

// Common settings of the two scale kinds. Formats: printf-style for decimal
// scales (one double), strftime-style over OLE dates for date scales.
class SRGScale : public SRGComponent {
 public:
  std::string format;
  // A short title drawn with the scale (an extra Y scale bar shows it above
  // the plot area); empty: none. Windows-1252.
  std::string title;
  int fontSize = 9;  // points
  Orientation orientation = Orientation::Horizontal;
  // Labels on the far side of the plot area (above a horizontal scale, right
  // of a vertical one) instead of the near side (below, left).
  bool labelsFarSide = false;
  // Date scales: a step of this many whole days (the date line: 1); 0 lets
  // the ticker choose.
  int stepDays = 0;
};

class SRGDecimalScale : public SRGScale {
 public:
  ComponentKind Kind() const override { return ComponentKind::DecimalScale; }
};

class SRGDateScale : public SRGScale {
 public:
  ComponentKind Kind() const override { return ComponentKind::DateScale; }
};

class SRGTickMarks : public SRGComponent {
 public:
  ComponentKind Kind() const override { return ComponentKind::TickMarks; }
  bool visible = true;
};

class SRGGridLines : public SRGComponent {
 public:
  ComponentKind Kind() const override { return ComponentKind::GridLines; }
  Rgb colour{192, 192, 192};
};

// The only graph type the graphs use: each point at (group g, group g + 1).
constexpr int kGraphXYScatterGroupPair = 1;

class SRGraphDisplay : public SRGComponent {
 public:
  ComponentKind Kind() const override { return ComponentKind::GraphDisplay; }
  int graphType = kGraphXYScatterGroupPair;
  int axisType = kAxisScatter;
  // Data groups shown, inclusive; lastGroup < 0: through the last group.
  int firstGroup = 0, lastGroup = -1;
  bool transparent = false;
  AxisRange xRange, yRange;
};

class SRGraphLabel : public SRGComponent {
 public:
  ComponentKind Kind() const override { return ComponentKind::Label; }
  std::string text;      // Windows-1252
  int fontSize = 9;      // points
  bool rotated = false;  // reads bottom to top
  Side side = Side::Top;
  // The box the text is centred in, set by AutoLayout (chart labels and the
  // side labels of every compound display).
  Rect rect;
};

class SRGCompoundDisplay : public SRGComponent {
 public:
  ComponentKind Kind() const override { return ComponentKind::CompoundDisplay; }
  // Set by a caller's layout; while false, the automatic layout places the
  // display in what the chart labels leave free.
  bool placed = false;
  Rect rect;      // the display's position
  Rect plotArea;  // where the points are drawn
  bool transparent = false;
  std::unique_ptr<SRGScale> xScale, xScale2, yScale;
  std::unique_ptr<SRGTickMarks> xTicks, xTicks2, yTicks;
  std::unique_ptr<SRGGridLines> xGrid, yGrid;
  std::unique_ptr<SRGraphDisplay> display;
  std::vector<SRGraphLabel> labels;  // on its four sides (label.side)
};

// An extra Y scale beside a display, showing the Y range of the plot display
// of the compound display it is bound to.
class SRGScaleBar : public SRGComponent {
 public:
  ComponentKind Kind() const override { return ComponentKind::ScaleBar; }
  SRGDecimalScale scale;
  int boundDisplay = -1;  // ordinal among the chart's compound displays
  Rgb colour;             // text and line
  Rect rect;
};

enum class LegendKey : std::uint8_t { Box = 0, Marker = 1 };

class SRGraphLegend : public SRGComponent {
 public:
  ComponentKind Kind() const override { return ComponentKind::Legend; }
  bool autoPosition = true;
  Rect rect;
  int firstGroup = 0, lastGroup = -1;
  LegendKey key = LegendKey::Box;

  // Where the last layout put each entry (not stored): its series, the
  // whole entry (key and text) and the key alone; and the text's pixel size.
  struct Item {
    int series = 0;
    Rect box, key;
  };
  std::vector<Item> items;
  int fontPx = 0;
};

// Line and marker switches of the series in a range of groups and indices
// (inclusive; a last value < 0 runs to the end).
class SRGraphStyle : public SRGComponent {
 public:
  ComponentKind Kind() const override { return ComponentKind::Style; }
  int firstGroup = 0, lastGroup = -1;
  int firstIndex = 0, lastIndex = -1;
  bool lines = true;
  bool markers = false;
};

// A plot display's ranges and plot area at one moment: a zoom history entry.
class SRGZoom : public SRGComponent {
 public:
  ComponentKind Kind() const override { return ComponentKind::Zoom; }
  int display = 0;  // ordinal among the compound displays
  AxisRange xRange, yRange;
  Rect plotArea;
};

// How a point that was left out of a series read.
enum class PointMark : std::uint8_t {
  None = 0,
  NotAvailable = 1,  // "N/A"
  OverRange = 2,     // "OverRange"
  OutOfRange = 3,    // a number outside the plottable range
};

// What a chart keeps of series k (the pair drawn from groups 2k and 2k + 1)
// beside its values.
struct SeriesInfo {
  // Not drawn, and its legend key greyed.
  bool hidden = false;
  // Unit name of its Y values (Windows-1252; empty: none, or time) and their
  // display precision code (-1: none).
  std::string unit;
  int decimals = -1;
  // Ascending point indices whose line does not join the point before (the
  // readings lie further apart in time than the logging allows).
  std::vector<int> breaks;
  // Left-out points (NaN in both groups), by ascending index, and how each
  // read.
  std::vector<std::pair<int, PointMark>> marks;
  bool operator==(const SeriesInfo& o) const {
    return hidden == o.hidden && unit == o.unit && decimals == o.decimals && breaks == o.breaks &&
           marks == o.marks;
  }
};

// A horizontal line at a limit's value across the display showing a series,
// on that series' Y scale, labelled inside the plot at its right end.
struct LimitLine {
  int series = 0;
  std::string kind;   // "TWA8", "STEL", "ceiling", "high" or "low"
  double value = 0;   // in the unit of the series' Y values
  std::string unit;   // Windows-1252
  std::string label;  // Windows-1252, e.g. "TWA 8 h 35 ppm"
  bool operator==(const LimitLine& o) const {
    return series == o.series && kind == o.kind && value == o.value && unit == o.unit &&
           label == o.label;
  }
};

struct DataGroup {
  std::vector<double> values;  // NaN where no value was set
  std::string annotation;      // Windows-1252, shown in the legend
};

// Summary of the points (group g, group g + 1) of a pair: a point counts
// only when both its values are finite.
struct PairSummary {
  std::size_t points = 0;
  double xMin = 0, xMax = 0, yMin = 0, yMax = 0;  // meaningful when points > 0
  bool xNeverDecreases = true;                    // X in record order
};

class SRGraph {
 public:
  SRGraph();
  ~SRGraph();
  SRGraph(const SRGraph&) = delete;
  SRGraph& operator=(const SRGraph&) = delete;

  // Removes every component, all data, styles, pair references, series
  // information, limit lines and the zoom history.
  void EmptyAll();

  // Adds a top-level component: a compound display, a chart label, a scale
  // bar or a legend. Returns it. A style is appended to Styles() (as by
  // ApplyStyle) and a zoom entry to zoomHistory instead; the pointer returned
  // for those is valid until the next one is added.
  SRGComponent* Add(std::unique_ptr<SRGComponent> component);
  template <class T>
  T* AddNew() {
    return static_cast<T*>(Add(std::make_unique<T>()));
  }

  // The i-th top-level component of a kind (0-based), or null.
  SRGComponent* Find(ComponentKind kind, int i) const;
  // The first top-level component with this name, or null.
  SRGComponent* FindByName(const std::string& name) const;
  int Count(ComponentKind kind) const;
  const std::vector<std::unique_ptr<SRGComponent>>& Components() const { return components_; }

  SRGCompoundDisplay* Display(int i) const {
    return static_cast<SRGCompoundDisplay*>(Find(ComponentKind::CompoundDisplay, i));
  }
  SRGraphLegend* Legend() const {
    return static_cast<SRGraphLegend*>(Find(ComponentKind::Legend, 0));
  }

  // Data groups: group g, index i.
  int GroupCount() const { return static_cast<int>(groups_.size()); }
  // Items of group g (0 outside).
  int ItemCount(int group) const;
  // Creates groups and items as needed (new items are NaN). Negative
  // arguments are ignored.
  void SetValue(int index, int group, double value);
  // NaN outside.
  double Value(int index, int group) const;
  const DataGroup* Group(int group) const;
  // Reserves room for `items` values in groups 0 .. groups-1 (creating them).
  void Reserve(int groups, int items);
  void SetAnnotation(int group, const std::string& text);
  // Replaces the values of group g (creating it); ignored for a negative
  // group, a group >= 4096 or more than 16,777,216 values.
  void SetGroupValues(int group, std::vector<double> values);
  std::string Annotation(int group) const;

  // A number that changes with every change of the data (values, groups,
  // reservations, EmptyAll), unique across every chart of the process: two
  // equal revisions mean the same values, so views may keep what they
  // derived from them.
  std::uint64_t Revision() const { return revision_; }
  // The summary of the pair of groups (xGroup, xGroup + 1), computed once
  // per revision. Not thread-safe (a cache behind a const method).
  PairSummary SummaryOf(int xGroup) const;

  // Series styles, applied in order; the last one covering a group and index
  // wins.
  void ApplyStyle(int firstGroup, int lastGroup, int firstIndex, int lastIndex, bool lines,
                  bool markers);
  const std::vector<SRGraphStyle>& Styles() const { return styles_; }
  // The effective switches at (index, group); lines on, markers off when no
  // style covers it.
  SRGraphStyle StyleAt(int index, int group) const;

  // Series k: the pair of groups 2k and 2k + 1.
  int SeriesCount() const { return GroupCount() / 2; }
  // An empty SeriesInfo for a series nobody described.
  const SeriesInfo& Series(int k) const;
  // Ignored for k outside 0 .. 2047.
  void SetSeries(int k, SeriesInfo info);
  bool SeriesHidden(int k) const { return Series(k).hidden; }
  // Shows or hides series k; false (nothing changed) when k is no series of
  // the chart.
  bool SetSeriesHidden(int k, bool hidden);
  // How point `index` of series k read when it was left out; None for a
  // plotted point.
  PointMark MarkAt(int k, int index) const;

  // Parameter references (x, y) of each pair, kept for whoever shows the
  // values (0 time, n channel n-1).
  std::vector<std::pair<int, int>> pairs;

  // Limit lines, drawn in their series' colour.
  std::vector<LimitLine> limitLines;

  // Zoom history of the chart's view: the newest entry last.
  std::vector<SRGZoom> zoomHistory;

 private:
  std::vector<std::unique_ptr<SRGComponent>> components_;
  // The components of each kind in order, so that Find and Count take no
  // walk over all of them.
  std::array<std::vector<SRGComponent*>, 12> byKind_;
  std::vector<DataGroup> groups_;
  std::vector<SRGraphStyle> styles_;
  std::vector<SeriesInfo> series_;

  void Touch();
  std::uint64_t revision_;
  mutable std::uint64_t summaryRevision_ = 0;
  mutable std::vector<std::pair<bool, PairSummary>> summaries_;  // by xGroup: (known, summary)
};

// The X groups of the pairs (g, g + 1) that lie wholly inside the groups
// first .. last (last < 0: through the chart's last group) and inside the
// chart's groups, ascending. Any first and last are safe.
std::vector<int> PairGroupsIn(const SRGraph& chart, int first, int last);

// Colour of series k (the pair drawn from groups 2k and 2k + 1), and of the
// k-th extra Y scale: entry k mod 16 of the scale colour table.
Rgb SeriesColour(int k);

// Serialized form inside graph files: magic "VGCH", a version, then every
// component, the data, annotations, styles, pair references and zoom
// history, little-endian; version 2 adds scale titles, series information
// (hidden flags, units, line breaks, marks) and limit lines. Version 1 still
// reads.
void SerializeChart(const SRGraph& chart, std::string& out);
// Reads a serialized chart from `data`; `used` receives the bytes consumed.
// Every count and length is checked against the bytes that remain before
// anything is allocated. On failure the chart is left empty and `error`
// says what was wrong.
bool DeserializeChart(const std::uint8_t* data, std::size_t size, SRGraph& chart, std::size_t& used,
                      std::string& error);

}  // namespace vantora::chart

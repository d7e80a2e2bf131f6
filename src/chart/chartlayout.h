// Pure layout maths of charts: scale label texts, tick positions, automatic
// ranges and the placement of displays that no caller placed. Text sizes come
// from a TextMeasure, so everything here is tested without painting.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "chart/srgraph.h"

namespace vantora::chart {

// Pixel sizes of text at a font size in pixels.
class TextMeasure {
 public:
  virtual ~TextMeasure() = default;
  virtual int Width(const std::string& text, int pixelSize) const = 0;
  // Line height (ascent + descent).
  virtual int Height(int pixelSize) const = 0;
};

// A font size in points as pixels at `dpi` (96 for every pixel surface).
int PointsToPixels(int points, double dpi);

// OLE date (days since 30 December 1899, fraction = time of day) of local
// calendar fields, and back. Wall-clock values: no time-zone shift.
double OleDate(int year, int month, int day, int hour, int minute, int second);
struct CivilTime {
  int year = 1899, month = 12, day = 30, hour = 0, minute = 0, second = 0;
  int weekday = 6;  // 0 Sunday
  int yearDay = 0;  // 0-based
};
// Rounded to the nearest second.
CivilTime CivilFromOle(double ole);

// strftime-style text of an OLE date: %H %M %S %d %m %b %B %y %Y %j %a %A %p
// %I %% (month and day names are the program's own English ones); other
// conversions are copied as they stand.
std::string FormatOleDate(const std::string& format, double ole);
// printf-style text of a number with a format holding one floating
// conversion (%f %e %g and flags, width, precision); a format without one is
// copied as it stands. Never more than 64 characters.
std::string FormatDecimal(const std::string& format, double value);

struct Tick {
  double value = 0;
  std::string label;
};

// Ticks of a decimal scale over [min, max] on an axis `lengthPx` long: steps
// of 1, 2 or 5 times a power of ten, as many as fit without their labels
// (with a gap) overlapping. `horizontal` compares label widths, otherwise
// label heights. With `endsOnly`, only ticks at the range's two ends.
std::vector<Tick> DecimalTicks(double min, double max, int lengthPx, bool horizontal,
                               const std::string& format, int fontPx, const TextMeasure& measure,
                               bool endsOnly = false);
// Ticks of a time-of-day scale (OLE dates) in steps of 1, 2, 5, 10, 15, 30
// seconds or minutes, 1, 2, 3, 6, 12 hours or whole days.
std::vector<Tick> TimeTicks(double min, double max, int lengthPx, bool horizontal,
                            const std::string& format, int fontPx, const TextMeasure& measure,
                            bool endsOnly = false);
// Ticks of a date line: local midnights (whole OLE days) in steps of a whole
// number of days, at least `stepDays`, so that labels never overlap; when no
// midnight falls in the range, one tick labels the range's start.
std::vector<Tick> DateLineTicks(double min, double max, int lengthPx, int stepDays,
                                const std::string& format, int fontPx, const TextMeasure& measure);

// The X and Y ranges a plot display shows: its fixed range, else the range of
// its groups' values (X from even groups, Y from odd ones; NaN skipped),
// widened a little for decimal axes and never empty.
struct DisplayRanges {
  AxisRange x, y;  // fixed = true when taken from the display's fixed range
  bool hasData = false;
};
// The Y range of a display leaves out its hidden series (unless every one
// is hidden), takes in each limit line that the line's own series comes near
// (data reaching 80 % of a limit above, or at most 120 % of one below), and
// starts no lower than zero for data that never goes below zero.
DisplayRanges RangesOf(const SRGraph& chart, const SRGCompoundDisplay& display);
// The series (pairs of groups 2k, 2k + 1) a display shows.
std::vector<int> SeriesShown(const SRGraph& chart, const SRGCompoundDisplay& display);
// Whether a limit line widens a Y range over [lo, hi] of its series' data.
bool LimitWidensRange(double limit, double lo, double hi);

// What a display needs around its plot area, per Side: the depth of its
// scales (tick labels, marks, gaps), of its side labels, and how far its
// end labels stand out of the plot area.
struct DisplayNeeds {
  int scales[4] = {0, 0, 0, 0};
  int labels[4] = {0, 0, 0, 0};
  int overhang[4] = {0, 0, 0, 0};
  // Scales and labels one beyond the other.
  int Stacked(Side side) const;
  // Scales and labels side by side (they do not meet).
  int SideBySide(Side side) const;
};
// For a plot area about plotWidth x plotHeight; labels of blanks only count
// with `blankLabels`.
DisplayNeeds NeededMargins(const SRGraph& chart, const SRGCompoundDisplay& d, int plotWidth,
                           int plotHeight, double dpi, const TextMeasure& measure,
                           bool blankLabels = false);

// Height of a scale's title (its lines at the scale's font) with the room
// under it for the scale's top label; 0 without a title.
int ScaleTitleDepth(const SRGScale& scale, double dpi, const TextMeasure& measure);

// The legend's entries: every series whose Y group it covers, with its
// annotation.
struct LegendEntry {
  int series = 0;
  std::string text;
};
std::vector<LegendEntry> LegendEntries(const SRGraph& chart);
// Entries in rows across a legend `width` wide at a font of `fontPx`.
struct LegendGrid {
  int fontPx = 0, itemHeight = 0, columnWidth = 0, columns = 0, rows = 0;
  int height = 0;  // the whole legend, margins included
};
LegendGrid LegendGridAt(const std::vector<LegendEntry>& entries, int width, int fontPx, double dpi,
                        const TextMeasure& measure);
// The chart's legend at the largest font from 9 points down to 6 whose rows
// fit `maxHeight` (at 6 points when none does).
LegendGrid FitLegend(const SRGraph& chart, int width, int maxHeight, double dpi,
                     const TextMeasure& measure);
// Places the legend's entries in its rect (legend->items, legend->fontPx).
void PlaceLegendItems(SRGraph& chart, double dpi, const TextMeasure& measure);

// Places every compound display that no caller placed (placed = false) in a
// W x H chart: a legend nobody placed takes a band at the bottom, chart
// labels take their sides (top title, left and right titles, bottom title);
// the display fills the rest; its plot area leaves room for its tick labels,
// date line and side labels. Sets rect and plotArea. Displays already placed
// are left alone. Then places the legend's entries.
void AutoLayout(SRGraph& chart, int width, int height, double dpi, const TextMeasure& measure);

// Font size (pixels) at which `text` fits in `availablePx`, from `fontPx`
// down to the pixels of 6 points; never below that.
int FitFontSize(const std::string& text, int fontPx, int availablePx, double dpi,
                const TextMeasure& measure);

// The font (pixels) of the end labels of a vertical scale whose plot area is
// shorter than two labels: they stand outside it, the maximum above its top
// edge and the minimum below its bottom edge, each in `roomPx` pixels of
// margin. The largest size from `fontPx` down whose line fits, never below
// 6 points.
int EndLabelFontSize(int fontPx, int roomPx, double dpi, const TextMeasure& measure);

// Ticks of a vertical scale whose labels must stay within `roomPx` pixels
// across (an extra Y scale bar's band after its tick and gap): at `fontPx`
// when the widest label fits, else in a smaller font down to 6 points, else
// with fewer decimals where every label still shows its tick's exact value,
// else without the labels that do not fit. Labels carry no padding spaces.
struct FittedTicks {
  std::vector<Tick> ticks;
  int fontPx = 0;
};
FittedTicks BandTicks(double min, double max, int lengthPx, const std::string& format, int fontPx,
                      int roomPx, double dpi, const TextMeasure& measure);

// How a title beside a plot area fits: rotated along the side (`alongPx`)
// when it fits there at 6 points or more; otherwise across the margin
// (`acrossPx` wide, `heightPx` tall), shrunk down to 6 points and cut with
// "..." when still too wide (empty text when nothing fits).
struct SideTitle {
  bool rotated = true;
  int fontPx = 0;
  std::string text;
};
SideTitle FitSideTitle(const std::string& text, int fontPx, int alongPx, int acrossPx, int heightPx,
                       double dpi, const TextMeasure& measure);

}  // namespace vantora::chart

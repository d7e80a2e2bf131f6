// Building a chart from a location's readings and a graph definition, and
// laying out Strip Graph and Multi Y charts for a size.
#pragma once

#include <string>
#include <vector>

#include "chart/chartlayout.h"
#include "chart/srgraph.h"
#include "common/logdata.h"
#include "graph/graphsettings.h"

namespace vantora::exposure {
enum class LimitKind;
struct LimitSet;
}  // namespace vantora::exposure

namespace vantora::graph {

// Plottable range of a channel value on X and on Y (bounds included).
constexpr double kPlotMin = -100.0;
constexpr double kPlotMaxX = 10000.0;
constexpr double kPlotMaxY = 1000000.0;

// Engine axis type of a pair from its references (0 = time).
int AxisTypeOf(int xRef, int yRef);
// Label format of a channel scale from its display precision code.
std::string ChannelScaleFormat(int decimals);
// Name of the k-th extra Y scale bar ("_KTRM_YAXIS_%1i").
std::string ScaleBarName(int k);
// Colour k mod 16 of the extra Y scales (series k is drawn in it too).
chart::Rgb SeriesColour(int k);

// The mode's builder on an emptied chart (no data).
void BuildSingleY(chart::SRGraph& chart, const CLogData& log, const GraphSettings& s);
void BuildMultiY(chart::SRGraph& chart, const CLogData& log, const GraphSettings& s);
void BuildStrip(chart::SRGraph& chart, const CLogData& log, const GraphSettings& s);
// The components of a Single Y chart of n pairs whose Y is a channel: X on
// a time scale (with the date line of the settings) or a decimal one of
// `xFormat`, the titles given, a legend when the settings ask for one.
void BuildSingleYFrame(chart::SRGraph& chart, const GraphSettings& s, int n, bool timeX,
                       const std::string& xFormat, const std::string& yFormat,
                       const std::string& xTitle, const std::string& yTitle);
// Loads the readings: every record that reads takes a point in every pair;
// a point whose X or Y reading is not plottable is left out (NaN in both
// groups, its mark kept with the series), and, with time on X, lines break
// where readings lie more than twice the logging interval apart. Returns the
// number of points left out.
int FillGraphData(chart::SRGraph& chart, const CLogData& log, const GraphSettings& s);
// False when no record of the location gives a plottable point to any pair
// of `s`: such a graph would be empty.
bool HasReadingsToGraph(const CLogData& log, const GraphSettings& s);
// How a reading fails the plottable range [kPlotMin, max]; None when it lies
// inside.
chart::PointMark ReadingMark(double value, double max);

// One pair to fill from a location.
struct PairSource {
  int series = 0;    // fills groups 2 series and 2 series + 1
  int x = 0, y = 0;  // references: 0 time, n channel n-1
  // With x = 0: X in hours since the first record that reads.
  bool elapsed = false;
  // Y in the series' unit: the reading times scale plus offset.
  double scale = 1, offset = 0;
  std::string unit;  // of the series' Y values (Windows-1252)
  int decimals = -1;
};
// Reads every record of `log` once into the pairs' groups and series
// information; returns the number of points left out.
int FillPairs(chart::SRGraph& chart, const CLogData& log, const std::vector<PairSource>& pairs);

// Limit lines: every applicable limit of `set` for a channel of this
// parameter and unit code, in that unit, as lines of `series`.
void AddLimitLines(chart::SRGraph& chart, int series, int paramCode, int unitCode,
                   const exposure::LimitSet& set);
// The same for every pair of a built chart whose Y is a channel.
void AddGraphLimitLines(chart::SRGraph& chart, const CLogData& log, const exposure::LimitSet& set);
// "TWA 8 h 35 ppm": the kind's title, the value (%g) and the unit.
std::string LimitLineLabel(exposure::LimitKind kind, double value, const std::string& unit);

// The layouts of Strip Graph and Multi Y for a W x H surface, by the numbers
// of the graph's definition. With a text measure, margins too small for
// their texts grow (the plot areas give way), and a legend gets the room its
// entries need; without one, the numbers alone.
void LayoutStrip(chart::SRGraph& chart, int width, int height,
                 const chart::TextMeasure* measure = nullptr, double dpi = 96);
void LayoutMultiY(chart::SRGraph& chart, int width, int height, bool legend,
                  const chart::TextMeasure* measure = nullptr, double dpi = 96);

}  // namespace vantora::graph

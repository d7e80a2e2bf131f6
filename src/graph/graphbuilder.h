// Building a chart from a location's readings and a graph definition, and
// laying out Strip Graph and Multi Y charts for a size.
#pragma once

#include <string>

#include "chart/srgraph.h"
#include "common/logdata.h"
#include "graph/graphsettings.h"

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
// Loads every plottable reading; returns the number of records omitted.
int FillGraphData(chart::SRGraph& chart, const CLogData& log, const GraphSettings& s);

void LayoutStrip(chart::SRGraph& chart, int width, int height);
void LayoutMultiY(chart::SRGraph& chart, int width, int height, bool legend);

}  // namespace vantora::graph

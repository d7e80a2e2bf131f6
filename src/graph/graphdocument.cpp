#include "graph/graphdocument.h"

#include "graph/graphbuilder.h"

namespace vantora::graph {

const char* const kTextTimeNotPrimary =
    "Time may only be selected as X axis or the PRIMARY Y axis.";
const char* const kTextMixedUnits =
    "Warning: You have selected a Single Y graph\n with different unit types. Continue?";
const char* const kTextSingleYMultiMode =
    "Warning: A single Y axis has been selected for a multi-Y graph type. Continue?";
const char* const kTextOmittedFormat =
    "Warning: %i point(s) used to create this graph was outside the plottable range and "
    "therefore omitted.";
const char* const kTextOlderGraphFile =
    "This .vtg graph file was created with an older version of VantoraPC and can not be opened.";

std::string DamagedGraphFileText(const std::string& path) {
  return "The graph file " + path + " is damaged and can not be opened.";
}

std::string NotGraphFileText(const std::string& path) { return path + " is not a graph file."; }

std::string NoReadingsText(const std::string& name) { return name + " has no readings to graph."; }

bool GraphDocument::BuildGraph(const CLogData* log, const GraphSettings* s, int* omitted,
                               const exposure::LimitSet* limits) {
  if (!log || !s) return false;
  settings.Copy(*s);
  chart_.EmptyAll();
  switch (settings.mode) {
    case kModeMultiY: BuildMultiY(chart_, *log, settings); break;
    case kModeStrip: BuildStrip(chart_, *log, settings); break;
    default: BuildSingleY(chart_, *log, settings); break;
  }
  // Pairs past a reference the location cannot give were not built; the
  // record counts exactly the pairs the chart holds, so its file reads back.
  settings.axisCount = 1 + static_cast<int>(chart_.pairs.size());
  const int out = FillGraphData(chart_, *log, settings);
  if (settings.limitLines && limits) AddGraphLimitLines(chart_, *log, *limits);
  if (omitted) *omitted = out;
  return true;
}

void GraphDocument::LayoutGraph(int width, int height, const chart::TextMeasure* measure,
                                double dpi) {
  // Whatever this layout does not place is left to the automatic layout at
  // drawing, never to a position a file brought along.
  for (int i = 0; auto* cd = chart_.Display(i); ++i) cd->placed = false;
  if (chart::SRGraphLegend* legend = chart_.Legend()) {
    legend->autoPosition = true;
    legend->rect = chart::Rect();
  }
  if (settings.mode == kModeStrip)
    LayoutStrip(chart_, width, height, measure, dpi);
  else if (settings.mode == kModeMultiY)
    LayoutMultiY(chart_, width, height, settings.legend != 0, measure, dpi);
}

void GraphDocument::OnNewDocument() { comments.Clear(); }

}  // namespace vantora::graph

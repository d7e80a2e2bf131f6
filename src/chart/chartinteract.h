// What a chart view needs of a drawn chart without painting: the display and
// data point under the mouse, pixels to data, and zoom steps (fixed ranges
// of the plot displays and their undo entries).
#pragma once

#include <vector>

#include "chart/srgraph.h"

namespace vantora::chart {

// Ordinal of the compound display whose plot area holds (x, y) and that has
// its own scales (the first one; overlays are reached through it), or -1.
int DisplayAt(const SRGraph& chart, int x, int y);

// The X range a display is drawn against: its own, or for an overlay without
// scales the one of the display it lies on.
AxisRange DrawnXRange(const SRGraph& chart, int display);
AxisRange DrawnYRange(const SRGraph& chart, int display);

// Data value at a pixel of a plot area (the inverse of drawing).
double PixelToX(const Rect& plot, const AxisRange& range, double px);
double PixelToY(const Rect& plot, const AxisRange& range, double py);
double XToPixel(const Rect& plot, const AxisRange& range, double x);
double YToPixel(const Rect& plot, const AxisRange& range, double y);

// The data point nearest (x, y) within `radius` pixels, over every series of
// every display whose plot area holds the point: its X group (even) and index.
struct PointHit {
  bool hit = false;
  int group = -1;  // the X group: the pair is group / 2
  int index = -1;
};
PointHit HitTest(const SRGraph& chart, int x, int y, int radius = 5);

// The series whose legend entry (its key or its text) holds (x, y), as the
// last layout placed the entries; -1 when none does.
int LegendKeyAt(const SRGraph& chart, int x, int y);

// Every compound display's current fixed ranges and plot area: one zoom step
// to return to.
std::vector<SRGZoom> ZoomState(const SRGraph& chart);
void RestoreZoom(SRGraph& chart, const std::vector<SRGZoom>& state);

// The zoom history kept in the chart (chart.zoomHistory, stored in graph
// files, so a reopened graph steps back through it): one step is the entries
// of every display, the first display's entry starting it.
// Appends the current state as one step (or a state ZoomState took).
void PushZoomStep(SRGraph& chart);
void PushZoomStep(SRGraph& chart, const std::vector<SRGZoom>& state);
// Restores the newest step and removes it; false when there is none.
bool PopZoomStep(SRGraph& chart);
int ZoomStepCount(const SRGraph& chart);
// True when a display shows a fixed range instead of its data's.
bool HasFixedRange(const SRGraph& chart);
// Every display back to its data's ranges; false (nothing changed) when none
// had a fixed range. Push a step first to make it one step of the history.
bool ReleaseRanges(SRGraph& chart);

enum class ZoomKind {
  // X and the Y of every display, in proportion (one display, or overlays).
  AllDisplays,
  // X of every display, Y of the display dragged in only (stacked strips).
  DraggedDisplayY,
};
// Fixes the ranges to the dragged rectangle (pixels, any corner order). False
// (nothing changed) when the rectangle starts outside every plot area or is
// under 3 pixels in either direction.
bool ZoomToRect(SRGraph& chart, const Rect& drag, ZoomKind kind);

}  // namespace vantora::chart

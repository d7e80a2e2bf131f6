// What a chart view needs of a drawn chart without painting: the display and
// data point under the mouse, pixels to data, and zoom steps (fixed ranges
// of the plot displays and their undo entries).
#pragma once

#include <cstdint>
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

// Range factor of a wheel turn: each notch forward narrows the range by 20 %,
// each notch back widens it by the inverse (fractions of a notch in
// proportion).
double WheelFactor(double notches);
// Scales the X range of every display by `factor` around the pixel column
// `px` of `display`'s plot area (the value under the mouse stays put). False
// (nothing changed) without such a display or when the new range would be
// degenerate or beyond what an axis can show.
bool ZoomX(SRGraph& chart, int display, double px, double factor);
// The same for the Y ranges of `display` and the overlays drawn on it, each
// in proportion, around the pixel row `py`.
bool ZoomY(SRGraph& chart, int display, double py, double factor);
// Moves the X ranges of every display with a drag of (dx, dy) pixels across
// `display`'s plot area (the data follows the mouse), and with `panY` the Y
// ranges of `display` and its overlays. False when nothing could move.
bool Pan(SRGraph& chart, int display, double dx, double dy, bool panY);
// The steps a chart view adds to the chart's zoom history: one change is one
// step, except that wheel notches of one kind (X, or the Y of one display)
// that follow each other within kBurstMs, with no other step between them,
// make one step together.
class ZoomSteps {
 public:
  enum class Kind { Other, WheelX, WheelY };
  static constexpr std::int64_t kBurstMs = 300;

  // Records `before` (the state ahead of a change that was made) as a step of
  // `chart`'s history, unless the change continues the last wheel burst.
  void Add(SRGraph& chart, const std::vector<SRGZoom>& before, Kind kind = Kind::Other,
           std::int64_t nowMs = 0, int display = -1);
  // Steps back: restores the newest step and removes it; false when none.
  bool Back(SRGraph& chart);
  // Ends a wheel burst, so the next notch starts a step of its own.
  void EndBurst() { last_ = Kind::Other; }

 private:
  Kind last_ = Kind::Other;
  int lastDisplay_ = -1;
  std::int64_t lastMs_ = 0;
  int lastCount_ = -1;  // steps in the history after the last Add
};

}  // namespace vantora::chart

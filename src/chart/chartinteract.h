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

// Every compound display's current fixed ranges and plot area: one zoom step
// to return to.
std::vector<SRGZoom> ZoomState(const SRGraph& chart);
void RestoreZoom(SRGraph& chart, const std::vector<SRGZoom>& state);

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
// Frees every fixed range, so each display shows its data's ranges again.
// False when none was fixed.
bool FullView(SRGraph& chart);
bool IsFullView(const SRGraph& chart);

// The zoom history of a chart view: states to return to, newest last. One
// change is one step, except that wheel notches of one kind (X, or Y of one
// display) that follow each other within `burstMs` make one step together.
class ZoomHistory {
 public:
  enum class Kind { Other, WheelX, WheelY };
  static constexpr std::int64_t kBurstMs = 300;

  // Records `before` (the state ahead of a change that was made) as a step,
  // unless the change continues the wheel burst of the last one.
  void Add(std::vector<SRGZoom> before, Kind kind = Kind::Other, std::int64_t nowMs = 0,
           int display = -1);
  // Restores the newest step and drops it; false when there is none.
  bool Back(SRGraph& chart);
  int Size() const { return static_cast<int>(steps_.size()); }
  bool Empty() const { return steps_.empty(); }
  // Ends a wheel burst, so the next notch starts a step of its own.
  void EndBurst() { last_ = Kind::Other; }

 private:
  std::vector<std::vector<SRGZoom>> steps_;
  Kind last_ = Kind::Other;
  int lastDisplay_ = -1;
  std::int64_t lastMs_ = 0;
};

}  // namespace vantora::chart

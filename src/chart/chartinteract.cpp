#include "chart/chartinteract.h"

#include <algorithm>
#include <cmath>

#include "chart/chartlayout.h"

namespace vantora::chart {

namespace {

bool Contains(const Rect& r, int x, int y) {
  return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

bool HasOwnScales(const SRGCompoundDisplay& d) { return d.xScale && d.yScale; }

// The display an overlay is drawn on: the first one with scales and the same
// plot area.
int HostOf(const SRGraph& chart, int display) {
  const SRGCompoundDisplay* d = chart.Display(display);
  if (!d || HasOwnScales(*d)) return display;
  for (int i = 0, n = chart.Count(ComponentKind::CompoundDisplay); i < n; ++i) {
    const SRGCompoundDisplay* host = chart.Display(i);
    if (HasOwnScales(*host) && host->plotArea == d->plotArea) return i;
  }
  return display;
}

// Groups of a display's series: first X group of each pair it shows.
std::vector<int> SeriesGroups(const SRGraph& chart, const SRGCompoundDisplay& d) {
  if (!d.display) return {};
  return PairGroupsIn(chart, d.display->firstGroup, d.display->lastGroup);
}

}  // namespace

int DisplayAt(const SRGraph& chart, int x, int y) {
  for (int i = 0, n = chart.Count(ComponentKind::CompoundDisplay); i < n; ++i) {
    const SRGCompoundDisplay* d = chart.Display(i);
    if (HasOwnScales(*d) && Contains(d->plotArea, x, y)) return i;
  }
  return -1;
}

AxisRange DrawnXRange(const SRGraph& chart, int display) {
  const SRGCompoundDisplay* host = chart.Display(HostOf(chart, display));
  return host ? RangesOf(chart, *host).x : AxisRange{};
}

AxisRange DrawnYRange(const SRGraph& chart, int display) {
  const SRGCompoundDisplay* d = chart.Display(display);
  return d ? RangesOf(chart, *d).y : AxisRange{};
}

double PixelToX(const Rect& plot, const AxisRange& r, double px) {
  if (plot.Width() <= 0) return r.min;
  return r.min + (px - plot.left) / plot.Width() * (r.max - r.min);
}

// The plot draws the minimum on the plot area's last row and the maximum on
// the row above its first (where the frame runs).
double PixelToY(const Rect& plot, const AxisRange& r, double py) {
  if (plot.Height() <= 0) return r.min;
  return r.min + (plot.bottom - 1 - py) / plot.Height() * (r.max - r.min);
}

double XToPixel(const Rect& plot, const AxisRange& r, double x) {
  if (r.max == r.min) return plot.left;
  return plot.left + (x - r.min) / (r.max - r.min) * plot.Width();
}

double YToPixel(const Rect& plot, const AxisRange& r, double y) {
  if (r.max == r.min) return plot.bottom - 1;
  return plot.bottom - 1 - (y - r.min) / (r.max - r.min) * plot.Height();
}

PointHit HitTest(const SRGraph& chart, int x, int y, int radius) {
  PointHit best;
  double bestDistance = static_cast<double>(radius) * radius;
  for (int i = 0, n = chart.Count(ComponentKind::CompoundDisplay); i < n; ++i) {
    const SRGCompoundDisplay* d = chart.Display(i);
    if (!Contains(d->plotArea, x, y)) continue;
    const AxisRange xr = DrawnXRange(chart, i), yr = DrawnYRange(chart, i);
    if (!(xr.max > xr.min) || !(yr.max > yr.min)) continue;
    for (int g : SeriesGroups(chart, *d)) {
      const DataGroup* gx = chart.Group(g);
      const DataGroup* gy = chart.Group(g + 1);
      if (!gx || !gy) continue;
      const std::size_t count = std::min(gx->values.size(), gy->values.size());
      for (std::size_t k = 0; k < count; ++k) {
        const double vx = gx->values[k], vy = gy->values[k];
        if (!std::isfinite(vx) || !std::isfinite(vy)) continue;
        const double dx = XToPixel(d->plotArea, xr, vx) - x;
        if (dx * dx > bestDistance) continue;
        const double dy = YToPixel(d->plotArea, yr, vy) - y;
        const double dist = dx * dx + dy * dy;
        if (dist <= bestDistance) {
          bestDistance = dist;
          best = PointHit{true, g, static_cast<int>(k)};
        }
      }
    }
  }
  return best;
}

int LegendKeyAt(const SRGraph& chart, int x, int y) {
  const SRGraphLegend* legend = chart.Legend();
  if (!legend) return -1;
  for (const SRGraphLegend::Item& item : legend->items)
    if (Contains(item.box, x, y)) return item.series;
  return -1;
}

std::vector<SRGZoom> ZoomState(const SRGraph& chart) {
  std::vector<SRGZoom> state;
  for (int i = 0, n = chart.Count(ComponentKind::CompoundDisplay); i < n; ++i) {
    const SRGCompoundDisplay* d = chart.Display(i);
    SRGZoom z;
    z.display = i;
    if (d->display) {
      z.xRange = d->display->xRange;
      z.yRange = d->display->yRange;
    }
    z.plotArea = d->plotArea;
    state.push_back(z);
  }
  return state;
}

void RestoreZoom(SRGraph& chart, const std::vector<SRGZoom>& state) {
  for (const SRGZoom& z : state) {
    SRGCompoundDisplay* d = chart.Display(z.display);
    if (!d || !d->display) continue;
    d->display->xRange = z.xRange;
    d->display->yRange = z.yRange;
  }
}

void PushZoomStep(SRGraph& chart) { PushZoomStep(chart, ZoomState(chart)); }

void PushZoomStep(SRGraph& chart, const std::vector<SRGZoom>& state) {
  chart.zoomHistory.insert(chart.zoomHistory.end(), state.begin(), state.end());
}

bool PopZoomStep(SRGraph& chart) {
  auto& history = chart.zoomHistory;
  if (history.empty()) return false;
  // The step's entries: back to the newest entry of the first display.
  std::size_t start = history.size() - 1;
  while (start > 0 && history[start].display != 0) --start;
  const std::vector<SRGZoom> step(history.begin() + static_cast<std::ptrdiff_t>(start),
                                  history.end());
  history.resize(start);
  RestoreZoom(chart, step);
  return true;
}

int ZoomStepCount(const SRGraph& chart) {
  int steps = 0;
  for (std::size_t i = 0; i < chart.zoomHistory.size(); ++i)
    if (i == 0 || chart.zoomHistory[i].display == 0) ++steps;
  return steps;
}

bool HasFixedRange(const SRGraph& chart) {
  for (int i = 0; const SRGCompoundDisplay* d = chart.Display(i); ++i)
    if (d->display && (d->display->xRange.fixed || d->display->yRange.fixed)) return true;
  return false;
}

bool ReleaseRanges(SRGraph& chart) {
  bool changed = false;
  for (int i = 0; SRGCompoundDisplay* d = chart.Display(i); ++i) {
    if (!d->display) continue;
    changed = changed || d->display->xRange.fixed || d->display->yRange.fixed;
    d->display->xRange = AxisRange();
    d->display->yRange = AxisRange();
  }
  return changed;
}

bool ZoomToRect(SRGraph& chart, const Rect& drag, ZoomKind kind) {
  const int left = std::min(drag.left, drag.right), right = std::max(drag.left, drag.right);
  const int top = std::min(drag.top, drag.bottom), bottom = std::max(drag.top, drag.bottom);
  if (right - left < 3 || bottom - top < 3) return false;
  const int start = DisplayAt(chart, drag.left, drag.top);
  if (start < 0) return false;
  const Rect plot = chart.Display(start)->plotArea;
  // The rectangle as fractions of the plot area it started in, clipped to it.
  auto clamp01 = [](double v) { return std::min(1.0, std::max(0.0, v)); };
  const double fx0 = clamp01(static_cast<double>(left - plot.left) / plot.Width());
  const double fx1 = clamp01(static_cast<double>(right - plot.left) / plot.Width());
  const double fy0 = clamp01(static_cast<double>(plot.bottom - bottom) / plot.Height());
  const double fy1 = clamp01(static_cast<double>(plot.bottom - top) / plot.Height());
  if (fx1 <= fx0 || fy1 <= fy0) return false;
  // Ranges first (they depend on one another through the hosts), then set.
  struct Change {
    SRGraphDisplay* display;
    AxisRange x, y;
    bool setY;
  };
  std::vector<Change> changes;
  for (int i = 0, n = chart.Count(ComponentKind::CompoundDisplay); i < n; ++i) {
    SRGCompoundDisplay* d = chart.Display(i);
    if (!d->display) continue;
    const AxisRange xr = DrawnXRange(chart, i), yr = DrawnYRange(chart, i);
    Change c{d->display.get(), {}, {}, false};
    c.x = AxisRange{true, xr.min + fx0 * (xr.max - xr.min), xr.min + fx1 * (xr.max - xr.min)};
    const bool sameStack = kind == ZoomKind::AllDisplays || HostOf(chart, i) == start;
    if (sameStack) {
      c.setY = true;
      c.y = AxisRange{true, yr.min + fy0 * (yr.max - yr.min), yr.min + fy1 * (yr.max - yr.min)};
    }
    changes.push_back(c);
  }
  for (const Change& c : changes) {
    c.display->xRange = c.x;
    if (c.setY) c.display->yRange = c.y;
  }
  return true;
}

}  // namespace vantora::chart

namespace vantora::chart {

namespace {

// What an axis can show: OLE dates of the years 100 to 9999 and at least a
// second across; numbers of a sane magnitude with a span above rounding.
constexpr double kOleFirst = -657434.0, kOleLast = 2958465.0;
constexpr double kSecond = 1.0 / 86400;

bool Showable(double lo, double hi, bool date) {
  if (!std::isfinite(lo) || !std::isfinite(hi) || !(hi > lo)) return false;
  const double span = hi - lo;
  if (date) return lo >= kOleFirst && hi <= kOleLast && span >= kSecond;
  const double magnitude = std::max(std::abs(lo), std::abs(hi));
  return magnitude <= 1e15 && span >= std::max(1e-12, magnitude * 1e-12);
}

bool DateOnX(const SRGraphDisplay& d) {
  return d.axisType == kAxisDateOnX || d.axisType == kAxisDateOnBoth;
}
bool DateOnY(const SRGraphDisplay& d) {
  return d.axisType == kAxisDateOnY || d.axisType == kAxisDateOnBoth;
}

// A range mapped through f(min, max) -> (min, max) for every display (X), or
// for `display` and its overlays (Y); all or nothing.
template <class F>
bool Remap(SRGraph& chart, int display, bool x, F f) {
  const int host = HostOf(chart, display);
  struct Change {
    AxisRange* target;
    AxisRange value;
  };
  std::vector<Change> changes;
  for (int i = 0, n = chart.Count(ComponentKind::CompoundDisplay); i < n; ++i) {
    SRGCompoundDisplay* d = chart.Display(i);
    if (!d->display) continue;
    if (!x && HostOf(chart, i) != host) continue;
    const AxisRange r = x ? DrawnXRange(chart, i) : DrawnYRange(chart, i);
    double lo = r.min, hi = r.max;
    f(lo, hi);
    if (!Showable(lo, hi, x ? DateOnX(*d->display) : DateOnY(*d->display))) return false;
    changes.push_back({x ? &d->display->xRange : &d->display->yRange, AxisRange{true, lo, hi}});
  }
  if (changes.empty()) return false;
  for (const Change& c : changes) *c.target = c.value;
  return true;
}

}  // namespace

double WheelFactor(double notches) { return std::pow(0.8, notches); }

bool ZoomX(SRGraph& chart, int display, double px, double factor) {
  const SRGCompoundDisplay* d = chart.Display(display);
  if (!d || d->plotArea.Width() <= 0 || !(factor > 0) || !std::isfinite(factor)) return false;
  const double f = std::clamp((px - d->plotArea.left) / d->plotArea.Width(), 0.0, 1.0);
  return Remap(chart, display, true, [&](double& lo, double& hi) {
    const double c = lo + f * (hi - lo);
    lo = c - (c - lo) * factor;
    hi = c + (hi - c) * factor;
  });
}

bool ZoomY(SRGraph& chart, int display, double py, double factor) {
  const SRGCompoundDisplay* d = chart.Display(display);
  if (!d || d->plotArea.Height() <= 0 || !(factor > 0) || !std::isfinite(factor)) return false;
  const double f = std::clamp((d->plotArea.bottom - 1 - py) / d->plotArea.Height(), 0.0, 1.0);
  return Remap(chart, display, false, [&](double& lo, double& hi) {
    const double c = lo + f * (hi - lo);
    lo = c - (c - lo) * factor;
    hi = c + (hi - c) * factor;
  });
}

bool Pan(SRGraph& chart, int display, double dx, double dy, bool panY) {
  const SRGCompoundDisplay* d = chart.Display(display);
  if (!d || d->plotArea.IsEmpty() || !std::isfinite(dx) || !std::isfinite(dy)) return false;
  const double fx = -dx / d->plotArea.Width(), fy = dy / d->plotArea.Height();
  const auto state = ZoomState(chart);
  bool moved = false;
  if (fx != 0)
    moved = Remap(chart, display, true, [&](double& lo, double& hi) {
      const double shift = fx * (hi - lo);
      lo += shift;
      hi += shift;
    });
  if (panY && fy != 0) {
    const bool movedY = Remap(chart, display, false, [&](double& lo, double& hi) {
      const double shift = fy * (hi - lo);
      lo += shift;
      hi += shift;
    });
    moved = moved || movedY;
  }
  if (!moved) RestoreZoom(chart, state);
  return moved;
}

void ZoomSteps::Add(SRGraph& chart, const std::vector<SRGZoom>& before, Kind kind,
                    std::int64_t nowMs, int display) {
  const bool burst = kind != Kind::Other && kind == last_ && display == lastDisplay_ &&
                     nowMs >= lastMs_ && nowMs - lastMs_ <= kBurstMs &&
                     ZoomStepCount(chart) == lastCount_ && lastCount_ > 0;
  if (!burst) PushZoomStep(chart, before);
  last_ = kind;
  lastDisplay_ = display;
  lastMs_ = nowMs;
  lastCount_ = ZoomStepCount(chart);
}

bool ZoomSteps::Back(SRGraph& chart) {
  last_ = Kind::Other;
  return PopZoomStep(chart);
}

}  // namespace vantora::chart

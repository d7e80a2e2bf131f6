// Layout of Strip Graph and Multi Y charts for a W x H surface.
#include <algorithm>

#include "graph/graphbuilder.h"

namespace vantora::graph {

using chart::ComponentKind;
using chart::Rect;

void LayoutStrip(chart::SRGraph& chart, int width, int height) {
  if (width <= 0 || height <= 0) return;
  const int n = std::min(chart.GroupCount() / 2, chart.Count(ComponentKind::CompoundDisplay));
  if (n <= 0) return;
  const int a = height / 10, b = height / 60, c = width / 10, e = width / 18;
  const int s = (height - 2 * a) / n + 1;
  int y = 0;
  for (int i = 0; i < n; ++i) {
    auto* cd = chart.Display(i);
    const bool first = i == 0, last = i == n - 1;
    const int h = s + (first ? a : 0) + (last ? a : 0);
    cd->placed = true;
    cd->rect = Rect{0, y, width, y + h};
    const int top = y + (first ? a : b);
    const int bottom = y + h - (last ? a : b);
    // Never inverted: with more strips than fit, a plot area shrinks to nothing.
    cd->plotArea = Rect{c, top, width - e, std::max(top, bottom)};
    y += h;
  }
}

void LayoutMultiY(chart::SRGraph& chart, int width, int height, bool legend) {
  if (width <= 0 || height <= 0) return;
  const int n = chart.GroupCount() / 2;
  if (n <= 0) return;
  const double d = (width > 700 && height > 300) ? 8.0 : 6.5;
  const int g = legend ? static_cast<int>(0.8 * height) : height;
  const int p = static_cast<int>(width / d), q = static_cast<int>(height / d);
  // The bars of the extra Y scales never take more than half the width.
  int band = static_cast<int>(width / (2 * d));
  if (n > 1) band = std::min(band, (width / 2) / (n - 1));
  const int r = width - (n - 1) * band;
  const Rect plot{p, q, std::max(p, r - p / 3), std::max(q, g - q)};

  const int displays = chart.Count(ComponentKind::CompoundDisplay);
  for (int i = 0; i < displays; ++i) {
    auto* cd = chart.Display(i);
    cd->placed = true;
    cd->rect = Rect{0, 0, r, g};
    cd->plotArea = plot;
  }
  for (int k = 1; k < n; ++k) {
    auto* bar = dynamic_cast<chart::SRGScaleBar*>(chart.FindByName(ScaleBarName(k)));
    if (!bar) continue;
    bar->rect = Rect{r + (k - 1) * band, 0, r + k * band, g};
    bar->colour = SeriesColour(k);
    bar->boundDisplay = k;
  }
  if (legend) {
    if (auto* lg = chart.Legend()) {
      lg->autoPosition = false;
      lg->rect = Rect{0, g, width, height};
    }
  }
}

}  // namespace vantora::graph

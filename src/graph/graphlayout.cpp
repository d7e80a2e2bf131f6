// Layout of Strip Graph and Multi Y charts for a W x H surface.
#include <algorithm>

#include "graph/graphbuilder.h"

namespace vantora::graph {

using chart::ComponentKind;
using chart::Rect;
using chart::Side;

namespace {

// The top margin of a display: the number when its texts fit there side by
// side (a title beside the date line), else room for them one above the
// other.
int TopMargin(int number, const chart::DisplayNeeds& needs) {
  return number >= needs.SideBySide(Side::Top) ? number
                                               : std::max(number, needs.Stacked(Side::Top));
}

// A legend's band under everything else: as high as its entries need at a
// font from 9 points down, at most half the height.
int LegendBand(const chart::SRGraph& chart, int width, int height,
               const chart::TextMeasure* measure, double dpi) {
  if (!chart.Legend() || !measure) return 0;
  const chart::LegendGrid g = chart::FitLegend(chart, width, height / 2, dpi, *measure);
  return g.rows > 0 ? std::min(g.height, height / 2) : 0;
}

}  // namespace

void LayoutStrip(chart::SRGraph& chart, int width, int height, const chart::TextMeasure* measure,
                 double dpi) {
  if (width <= 0 || height <= 0) return;
  const int n = std::min(chart.GroupCount() / 2, chart.Count(ComponentKind::CompoundDisplay));
  if (n <= 0) return;
  // The legend takes a band under the strips; the strips share the rest.
  const int band = LegendBand(chart, width, height, measure, dpi);
  const int h0 = height - band;
  const int a = h0 / 10, b = h0 / 60;
  int c = width / 10, e = width / 18;
  int aTop = a, aBottom = a;
  if (measure) {
    // Margins too small for their texts grow; the plot areas give way.
    const int plotWidth = std::max(1, width - c - e);
    const int plotHeight = std::max(1, (h0 - 2 * a) / n - 2 * b);
    for (int i = 0; i < n; ++i) {
      const chart::DisplayNeeds needs =
          chart::NeededMargins(chart, *chart.Display(i), plotWidth, plotHeight, dpi, *measure);
      if (i == 0) aTop = TopMargin(a, needs);
      if (i == n - 1) aBottom = std::max(a, needs.Stacked(Side::Bottom));
      c = std::max(c, needs.Stacked(Side::Left));
      e = std::max(e, needs.Stacked(Side::Right));
    }
    // Never more than the surface holds.
    aTop = std::min(aTop, h0 / 3);
    aBottom = std::min(aBottom, h0 / 3);
    c = std::min(c, width / 3);
    e = std::min(e, width / 3);
  }
  // The strips' numbers let the last one run a pixel or so past the
  // height; over a legend they stay above it.
  const int s = (h0 - aTop - aBottom) / n + (band > 0 ? 0 : 1);
  int y = 0;
  for (int i = 0; i < n; ++i) {
    auto* cd = chart.Display(i);
    const bool first = i == 0, last = i == n - 1;
    const int h = s + (first ? aTop : 0) + (last ? aBottom : 0);
    cd->placed = true;
    cd->rect = Rect{0, y, width, y + h};
    const int top = y + (first ? aTop : b);
    const int bottom = y + h - (last ? aBottom : b);
    // Never inverted: with more strips than fit, a plot area shrinks to nothing.
    cd->plotArea = Rect{c, top, std::max(c, width - e), std::max(top, bottom)};
    y += h;
  }
  if (chart::SRGraphLegend* legend = chart.Legend()) {
    legend->autoPosition = false;
    legend->rect = Rect{0, std::min(std::max(y, h0), height), width, height};
  }
}

void LayoutMultiY(chart::SRGraph& chart, int width, int height, bool legend,
                  const chart::TextMeasure* measure, double dpi) {
  if (width <= 0 || height <= 0) return;
  const int n = chart.GroupCount() / 2;
  if (n <= 0) return;
  const double d = (width > 700 && height > 300) ? 8.0 : 6.5;
  int g = legend ? static_cast<int>(0.8 * height) : height;
  // A legend whose entries need more than the fifth left for it gets that.
  if (legend && chart.Legend()) {
    const int band = LegendBand(chart, width, height, measure, dpi);
    if (height - g < band) g = height - band;
  }
  int p = static_cast<int>(width / d), q = static_cast<int>(height / d);
  // The bars of the extra Y scales never take more than half the width.
  int band = static_cast<int>(width / (2 * d));
  if (n > 1) band = std::min(band, (width / 2) / (n - 1));
  const int r = width - (n - 1) * band;
  int qTop = q, qBottom = q, rightMargin = p / 3;
  if (measure && chart.Display(0)) {
    const chart::DisplayNeeds needs =
        chart::NeededMargins(chart, *chart.Display(0), std::max(1, r - p - p / 3),
                             std::max(1, g - 2 * q), dpi, *measure);
    chart::DisplayNeeds top = needs;
    // The scale bars' titles stand above the plot area in their bands.
    int barTitles = 0;
    for (int k = 1; k < n; ++k) {
      const auto* bar = dynamic_cast<const chart::SRGScaleBar*>(chart.FindByName(ScaleBarName(k)));
      if (bar && !bar->scale.title.empty())
        barTitles = std::max(barTitles, chart::ScaleTitleDepth(bar->scale, dpi, *measure));
    }
    top.overhang[static_cast<int>(Side::Top)] =
        std::max(top.overhang[static_cast<int>(Side::Top)], barTitles);
    qTop = std::min(TopMargin(q, top), g / 3);
    qBottom = std::min(std::max(q, needs.Stacked(Side::Bottom)), g / 3);
    p = std::min(std::max(p, needs.Stacked(Side::Left)), r / 3);
    rightMargin =
        std::min(std::max(rightMargin, needs.overhang[static_cast<int>(Side::Right)]), r / 3);
  }
  const Rect plot{p, qTop, std::max(p, r - rightMargin), std::max(qTop, g - qBottom)};

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

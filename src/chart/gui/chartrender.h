// The one render path of charts: an SRGraph drawn at W x H onto any painter
// (window, printer, PDF, images, clipboard), through QCustomPlot.
#pragma once

#include <QImage>
#include <QRect>
#include <string>
#include <vector>

#include "chart/srgraph.h"

class QPaintDevice;
class QPainter;

namespace vantora::chart {

// Free text drawn over the chart with its top-left corner at a percentage of
// the size (graph comments). `height` is the text height in pixels at 96 dpi.
struct TextOverlay {
  int xPercent = 0, yPercent = 0;
  int height = 10;
  std::string text;  // Windows-1252
};

// What one drawing placed, read back from the plotting library.
struct RenderReport {
  struct Display {
    QRect outer;  // the display's rectangle
    QRect plot;   // its plot area
  };
  std::vector<Display> displays;  // per compound display that has its own axes
  std::vector<QRect> scaleBars;   // per scale bar, in chart order
  QRect legend;                   // empty without a legend
};

struct RenderOptions {
  // Dots per inch of the surface: 96 for every pixel surface; the printer's
  // resolution when printing (fonts, pens, ticks and markers scale with it).
  double dpi = 96;
  std::string faceName = "Arial";  // Windows-1252
  std::vector<TextOverlay> overlays;
};

// Lays out displays nobody placed (AutoLayout: this sets their rect and
// plotArea) and draws the chart at width x height, its top-left corner at the
// painter's origin. Pixel surfaces (images, pixmaps, widgets) receive the very
// image RenderChartImage makes; other devices a recorded vector picture.
// GUI thread only: the plot is a (never shown) widget.
RenderReport RenderChart(SRGraph& chart, QPainter& painter, int width, int height,
                         const RenderOptions& options = RenderOptions());

// The same, drawn straight onto a device that no painter is active on (an
// image, a PDF writer or a printer set up for its page): no intermediate
// recording, so it is the fastest way and keeps a page's vectors.
RenderReport RenderChartOnDevice(SRGraph& chart, QPaintDevice& device, int width, int height,
                                 const RenderOptions& options = RenderOptions());

// The chart on a white width x height RGB image at 96 dpi.
QImage RenderChartImage(SRGraph& chart, int width, int height,
                        const RenderOptions& options = RenderOptions(),
                        RenderReport* report = nullptr);

}  // namespace vantora::chart

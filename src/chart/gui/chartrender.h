// The one render path of charts: an SRGraph drawn at W x H onto any painter
// (window, printer, PDF, images, clipboard), through QCustomPlot.
#pragma once

#include <QImage>
#include <QRect>
#include <memory>
#include <string>
#include <vector>

#include "chart/chartlayout.h"
#include "chart/srgraph.h"

class QPaintDevice;
class QPainter;

namespace vantora::chart {

// Free text drawn over the chart with its top-left corner at a percentage of
// the size (graph comments), on a white box with a thin border. `height` is
// the text height in pixels at 96 dpi.
struct TextOverlay {
  int xPercent = 0, yPercent = 0;
  int height = 10;
  std::string text;  // Windows-1252
};

// What one drawing placed, read back from the plotting library.
struct RenderReport {
  // A tick of a scale: its value (OLE days on date scales), its label, the
  // pixel along the axis and the box its label takes (empty: no label).
  struct TickMark {
    double value = 0;
    std::string text;  // Windows-1252
    int pos = 0;
    QRect box;
  };
  struct Display {
    int index = 0;  // ordinal among the chart's compound displays
    QRect outer;    // the display's rectangle
    QRect plot;     // its plot area
    std::vector<TickMark> xTicks, x2Ticks, yTicks;
  };
  std::vector<Display> displays;                // per compound display that has its own axes
  std::vector<QRect> scaleBars;                 // per scale bar, in chart order
  std::vector<std::vector<TickMark>> barTicks;  // per scale bar
  QRect legend;                                 // empty without a legend
  // Each limit line drawn (once per display, however many series share it):
  // its image row, or the edge row of the arrow that says it lies above
  // (arrow 1) or below (arrow -1) the display's range.
  struct Limit {
    int series = 0;
    int display = 0;
    std::string kind, unit, label;
    double value = 0;
    int y = 0;
    int arrow = 0;
  };
  std::vector<Limit> limitLines;
  // The box of every text drawn besides the comments: tick labels, titles,
  // legend entries, limit labels.
  std::vector<QRect> texts;
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

// Text sizes in the face the chart is drawn in (for layouts made before
// drawing). GUI thread only.
std::unique_ptr<TextMeasure> MakeTextMeasure(const std::string& faceName);

}  // namespace vantora::chart

// Image and page files of charts: JPEG (libjpeg, quality 90), DIB (an
// uncompressed 24-bit Windows bitmap), PNG and a one-page PDF. Each replaces
// its target only once the new file is complete.
#pragma once

#include <QImage>
#include <functional>
#include <string>

#include "chart/gui/chartrender.h"

namespace vantora::chart {

// `path` is a core path (Windows-1252). False with `error` set on failure.
bool WriteJpegFile(const QImage& image, const std::string& path, std::string& error,
                   int quality = 90);
bool WriteDibFile(const QImage& image, const std::string& path, std::string& error);
bool WritePngFile(const QImage& image, const std::string& path, std::string& error);
// The bytes of those files.
bool JpegBytes(const QImage& image, int quality, std::string& out, std::string& error);
std::string DibBytes(const QImage& image);

// One A4 landscape page with 10 mm margins, the chart laid out for the
// page's printable area at the page's resolution. `layout` is called with
// the size in device pixels and the resolution before drawing (the graph's
// own layout).
bool WriteChartPdf(SRGraph& chart, const std::string& path, const RenderOptions& options,
                   const std::function<void(int width, int height, double dpi)>& layout,
                   std::string& error);

// The chart as an SVG drawing of width x height pixels (96 dpi), through
// Qt SVG on the one render path, and its bytes.
bool WriteChartSvg(SRGraph& chart, const std::string& path, int width, int height,
                   const RenderOptions& options, std::string& error);
bool ChartSvgBytes(SRGraph& chart, int width, int height, const RenderOptions& options,
                   std::string& out, std::string& error);

}  // namespace vantora::chart

#include "graph/gui/graphrender.h"

#include <QPainter>
#include <algorithm>
#include <cctype>

#include "chart/gui/imagefiles.h"
#include "common/pathutil.h"

namespace vantora::graph {

std::vector<chart::TextOverlay> CommentOverlays(const GraphCommentList& comments) {
  std::vector<chart::TextOverlay> overlays;
  overlays.reserve(comments.Items().size());
  for (const GraphComment& c : comments.Items()) {
    chart::TextOverlay o;
    o.xPercent = c.x;
    o.yPercent = c.y;
    o.height = c.fontSize;
    o.text = c.text;
    overlays.push_back(std::move(o));
  }
  return overlays;
}

namespace {

chart::RenderOptions OptionsFor(const GraphDocument& doc, double dpi, const std::string& face) {
  chart::RenderOptions options;
  options.dpi = dpi;
  options.faceName = face;
  options.overlays = CommentOverlays(doc.comments);
  return options;
}

}  // namespace

void LayoutForDrawing(GraphDocument& doc, int width, int height, double dpi,
                      const std::string& faceName) {
  const auto measure = chart::MakeTextMeasure(faceName);
  doc.LayoutGraph(width, height, measure.get(), dpi);
}

chart::RenderReport RenderGraph(GraphDocument& doc, QPainter& painter, int width, int height,
                                double dpi, const std::string& faceName, bool withComments) {
  LayoutForDrawing(doc, width, height, dpi, faceName);
  chart::RenderOptions options = OptionsFor(doc, dpi, faceName);
  if (!withComments) options.overlays.clear();
  return chart::RenderChart(doc.GetGraph(), painter, width, height, options);
}

QImage RenderGraphImage(GraphDocument& doc, int width, int height, const std::string& faceName,
                        chart::RenderReport* report) {
  LayoutForDrawing(doc, width, height, 96, faceName);
  return chart::RenderChartImage(doc.GetGraph(), width, height, OptionsFor(doc, 96, faceName),
                                 report);
}

const char* const kGraphOutputKinds = ".vtg, .jpg, .jpeg, .dib, .bmp, .png, .pdf or .svg";

bool WriteGraphSvg(GraphDocument& doc, const std::string& path, int width, int height,
                   const std::string& faceName, std::string& error) {
  LayoutForDrawing(doc, width, height, 96, faceName);
  return chart::WriteChartSvg(doc.GetGraph(), path, width, height, OptionsFor(doc, 96, faceName),
                              error);
}

GraphOutput OutputKindOf(const std::string& path) {
  const std::string name = SplitPath(path).second;
  const auto dot = name.rfind('.');
  if (dot == std::string::npos) return GraphOutput::Unknown;
  std::string ext = name.substr(dot + 1);
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (ext == "vtg") return GraphOutput::GraphFile;
  if (ext == "jpg" || ext == "jpeg") return GraphOutput::Jpeg;
  if (ext == "dib" || ext == "bmp") return GraphOutput::Dib;
  if (ext == "png") return GraphOutput::Png;
  if (ext == "pdf") return GraphOutput::Pdf;
  if (ext == "svg") return GraphOutput::Svg;
  return GraphOutput::Unknown;
}

bool WriteGraphOutput(GraphDocument& doc, const std::string& path, int width, int height,
                      const std::string& faceName, std::string& error, const QImage* picture) {
  std::string detail;
  bool ok = false;
  const auto image = [&] {
    return picture ? *picture : RenderGraphImage(doc, width, height, faceName);
  };
  switch (OutputKindOf(path)) {
    case GraphOutput::GraphFile:
      ok = SaveGraphFile(path, doc, detail) == GraphFileResult::Ok;
      break;
    case GraphOutput::Jpeg: ok = chart::WriteJpegFile(image(), path, detail); break;
    case GraphOutput::Dib: ok = chart::WriteDibFile(image(), path, detail); break;
    case GraphOutput::Png: ok = chart::WritePngFile(image(), path, detail); break;
    case GraphOutput::Pdf: {
      chart::RenderOptions options = OptionsFor(doc, 96, faceName);
      ok = chart::WriteChartPdf(
          doc.GetGraph(), path, options,
          [&doc, &faceName](int w, int h, double dpi) {
            LayoutForDrawing(doc, w, h, dpi, faceName);
          },
          detail);
      break;
    }
    case GraphOutput::Svg: ok = WriteGraphSvg(doc, path, width, height, faceName, detail); break;
    case GraphOutput::Unknown:
      detail = "unknown output kind (use " + std::string(kGraphOutputKinds) + ")";
      break;
  }
  if (!ok) error = "cannot write " + path + (detail.empty() ? std::string() : ": " + detail);
  return ok;
}

}  // namespace vantora::graph

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

chart::RenderReport RenderGraph(GraphDocument& doc, QPainter& painter, int width, int height,
                                double dpi, const std::string& faceName, bool withComments) {
  doc.LayoutGraph(width, height);
  chart::RenderOptions options = OptionsFor(doc, dpi, faceName);
  if (!withComments) options.overlays.clear();
  return chart::RenderChart(doc.GetGraph(), painter, width, height, options);
}

QImage RenderGraphImage(GraphDocument& doc, int width, int height, const std::string& faceName,
                        chart::RenderReport* report) {
  doc.LayoutGraph(width, height);
  return chart::RenderChartImage(doc.GetGraph(), width, height, OptionsFor(doc, 96, faceName),
                                 report);
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
          doc.GetGraph(), path, options, [&doc](int w, int h) { doc.LayoutGraph(w, h); }, detail);
      break;
    }
    case GraphOutput::Unknown:
      detail = "unknown output kind (use .vtg, .jpg, .jpeg, .dib, .bmp, .png or .pdf)";
      break;
  }
  if (!ok) error = "cannot write " + path + (detail.empty() ? std::string() : ": " + detail);
  return ok;
}

}  // namespace vantora::graph

// A graph document drawn and written: its layout for the size, the chart and
// its comments, through the one chart render path. Shared by the graph
// window, printing and the command line.
#pragma once

#include <QImage>
#include <string>

#include "chart/gui/chartrender.h"
#include "graph/graphdocument.h"

class QPainter;

namespace vantora::graph {

// The comments as text overlays at their percentages.
std::vector<chart::TextOverlay> CommentOverlays(const GraphCommentList& comments);

// Lays the graph out for drawing at width x height and `dpi`, its texts
// measured in `faceName`.
void LayoutForDrawing(GraphDocument& doc, int width, int height, double dpi,
                      const std::string& faceName);

// Lays the graph out for width x height and draws it, with its comments
// unless `withComments` is false.
chart::RenderReport RenderGraph(GraphDocument& doc, QPainter& painter, int width, int height,
                                double dpi = 96, const std::string& faceName = "Arial",
                                bool withComments = true);
QImage RenderGraphImage(GraphDocument& doc, int width, int height,
                        const std::string& faceName = "Arial",
                        chart::RenderReport* report = nullptr);

// Output kinds by file extension (any letter case).
enum class GraphOutput { Unknown, GraphFile, Jpeg, Dib, Png, Pdf, Svg };
GraphOutput OutputKindOf(const std::string& path);
// The extensions, for messages: ".vtg, .jpg, ... or .svg".
extern const char* const kGraphOutputKinds;

// The graph as an SVG drawing of width x height pixels, on the same render
// path as the images. False with `error` on failure.
bool WriteGraphSvg(GraphDocument& doc, const std::string& path, int width, int height,
                   const std::string& faceName, std::string& error);

// Writes the graph to `path` in the kind its extension names: a graph file,
// a width x height image, or a one-page PDF laid out for the page. An image
// kind uses `picture` when given (the graph already drawn at that size, so
// several images of one run draw it once). False with `error` (naming the
// file) on failure.
bool WriteGraphOutput(GraphDocument& doc, const std::string& path, int width, int height,
                      const std::string& faceName, std::string& error,
                      const QImage* picture = nullptr);

}  // namespace vantora::graph

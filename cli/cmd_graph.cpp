// vantora graph | render: charts of a location, and saved graphs, as graph
// files, images and PDF pages, with a JSON description of the layout.
#ifdef VANTORA_HAVE_GRAPH

#include <QApplication>
#include <algorithm>
#include <filesystem>
#include <memory>
#include <sstream>

#include "chart/gui/chartrender.h"
#include "cli/cli.h"
#include "common/codepage.h"
#include "common/pathutil.h"
#include "common/platform.h"
#include "common/timetext.h"
#include "graph/graphbuilder.h"
#include "graph/graphchecks.h"
#include "graph/graphdocument.h"
#include "graph/gui/graphrender.h"

namespace vantora::cli {

namespace {

using chart::Rect;

struct GraphArgs {
  std::string file;
  std::string x = "time";
  std::string y;
  std::string mode = "single";
  std::string title;
  bool titleGiven = false;
  bool noTitle = false, noDate = false, noXGrid = false, noYGrid = false;
  bool noXLabels = false, noYLabels = false, noLines = false, markers = false, noLegend = false;
  std::vector<std::string> comments;
  std::string size = "800x600";
  std::vector<std::string> outputs;
  bool info = false;
};

constexpr int kMaxSide = 8000;

bool ParseSize(const std::string& text, int& w, int& h) {
  const auto x = text.find_first_of("xX");
  if (x == std::string::npos) return false;
  char* end = nullptr;
  const std::string ws = text.substr(0, x), hs = text.substr(x + 1);
  long lw = std::strtol(ws.c_str(), &end, 10);
  if (ws.empty() || *end) return false;
  long lh = std::strtol(hs.c_str(), &end, 10);
  if (hs.empty() || *end) return false;
  if (lw < 16 || lh < 16 || lw > kMaxSide || lh > kMaxSide) return false;
  w = static_cast<int>(lw);
  h = static_cast<int>(lh);
  return true;
}

// "time" -> 0, channel index c -> c + 1; -1 when not a reference.
int ParseRef(const std::string& text, int channels) {
  if (text == "time") return 0;
  char* end = nullptr;
  long c = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end || c < 0 || c >= channels) return -1;
  return static_cast<int>(c) + 1;
}

bool ParseComment(const std::string& arg, graph::GraphComment& c) {
  std::size_t p1 = arg.find(','), p2, p3;
  if (p1 == std::string::npos || (p2 = arg.find(',', p1 + 1)) == std::string::npos ||
      (p3 = arg.find(',', p2 + 1)) == std::string::npos)
    return false;
  auto number = [](const std::string& s, int& out) {
    char* end = nullptr;
    long v = std::strtol(s.c_str(), &end, 10);
    if (s.empty() || *end || v < -1000000 || v > 1000000) return false;
    out = static_cast<int>(v);
    return true;
  };
  if (!number(arg.substr(0, p1), c.x) || !number(arg.substr(p1 + 1, p2 - p1 - 1), c.y) ||
      !number(arg.substr(p2 + 1, p3 - p2 - 1), c.fontSize))
    return false;
  if (c.x < 0 || c.x > 100 || c.y < 0 || c.y > 100) return false;
  if (c.fontSize != 10 && c.fontSize != 13 && c.fontSize != 16) return false;
  c.text = Utf8ToCp1252(arg.substr(p3 + 1));
  return true;
}

// ---- JSON description ----------------------------------------------------

std::string JsonString(const std::string& cp1252) {
  const std::string utf8 = Cp1252ToUtf8(cp1252);
  std::string out = "\"";
  for (unsigned char ch : utf8) {
    switch (ch) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (ch < 0x20)
          out += Format("\\u%04x", ch);
        else
          out += static_cast<char>(ch);
    }
  }
  return out + "\"";
}

std::string JsonRect(const Rect& r) {
  return Format("[%i, %i, %i, %i]", r.left, r.top, r.right, r.bottom);
}

std::string JsonBool(bool b) { return b ? "true" : "false"; }

std::string JsonScale(const chart::SRGScale* s) {
  if (!s) return "null";
  return Format("{\"type\": \"%s\", \"format\": ",
                s->Kind() == chart::ComponentKind::DateScale ? "date" : "decimal") +
         JsonString(s->format) + Format(", \"font\": %i}", s->fontSize);
}

const char* SideName(chart::Side side) {
  switch (side) {
    case chart::Side::Left: return "left";
    case chart::Side::Right: return "right";
    case chart::Side::Top: return "top";
    case chart::Side::Bottom: return "bottom";
  }
  return "top";
}

std::string JsonLabel(const chart::SRGraphLabel& l, const std::string& display) {
  return "{\"display\": " + display + ", \"side\": \"" + SideName(l.side) +
         "\", \"text\": " + JsonString(l.text) +
         Format(", \"font\": %i, \"rotated\": ", l.fontSize) + JsonBool(l.rotated) + "}";
}

std::string InfoJson(graph::GraphDocument& doc, const chart::RenderReport& report, int omitted,
                     int width, int height) {
  const chart::SRGraph& g = doc.GetGraph();
  const graph::GraphSettings& s = doc.settings;
  std::string j = Format(
      "{\"mode\": %i, \"legend\": %i, \"axisCount\": %i, \"omitted\": %i, "
      "\"size\": [%i, %i],\n",
      s.mode, s.legend, s.axisCount, omitted, width, height);
  j += " \"pairs\": [";
  for (int k = 0; k < s.YCount(); ++k) {
    auto pair = s.AxisPair(k);
    j += Format("%s{\"x\": %i, \"y\": %i, \"axisType\": %i}", k ? ", " : "", pair.first,
                pair.second, graph::AxisTypeOf(pair.first, pair.second));
  }
  j += "],\n \"groups\": [";
  for (int gi = 0; gi < g.GroupCount(); ++gi)
    j += Format("%s{\"points\": %i, \"annotation\": ", gi ? ", " : "", g.ItemCount(gi)) +
         JsonString(g.Annotation(gi)) + "}";
  j += "],\n \"compoundDisplays\": [";
  std::string labels;
  auto addLabel = [&labels](const std::string& text) {
    labels += (labels.empty() ? "" : ",\n   ") + text;
  };
  for (int i = 0, n = g.Count(chart::ComponentKind::CompoundDisplay); i < n; ++i) {
    const chart::SRGCompoundDisplay* d = g.Display(i);
    int first = d->display ? d->display->firstGroup : 0;
    int last = d->display ? d->display->lastGroup : -1;
    if (last < 0) last = g.GroupCount() - 1;
    j += std::string(i ? ",\n   " : "\n   ") + "{\"rect\": " + JsonRect(d->rect) +
         ", \"plotArea\": " + JsonRect(d->plotArea) +
         ", \"transparent\": " + JsonBool(d->transparent) +
         Format(", \"groups\": [%i, %i]", first, last) + ", \"xGrid\": " + JsonBool(!!d->xGrid) +
         ", \"yGrid\": " + JsonBool(!!d->yGrid) + ", \"xScale\": " + JsonScale(d->xScale.get()) +
         ", \"xScale2\": " + JsonScale(d->xScale2.get()) +
         ", \"yScale\": " + JsonScale(d->yScale.get()) + "}";
    for (const auto& l : d->labels) addLabel(JsonLabel(l, std::to_string(i)));
  }
  j += "],\n \"scaleBars\": [";
  bool firstBar = true;
  for (const auto& c : g.Components()) {
    if (c->Kind() == chart::ComponentKind::Label)
      addLabel(JsonLabel(static_cast<const chart::SRGraphLabel&>(*c), "null"));
    if (c->Kind() != chart::ComponentKind::ScaleBar) continue;
    const auto& bar = static_cast<const chart::SRGScaleBar&>(*c);
    j += std::string(firstBar ? "\n   " : ",\n   ") + "{\"name\": " + JsonString(bar.name) +
         ", \"rect\": " + JsonRect(bar.rect) +
         Format(", \"color\": [%i, %i, %i], \"format\": ", bar.colour.r, bar.colour.g,
                bar.colour.b) +
         JsonString(bar.scale.format) + Format(", \"font\": %i}", bar.scale.fontSize);
    firstBar = false;
  }
  j += "],\n \"labels\": [" + (labels.empty() ? "" : "\n   " + labels) + "],\n \"legend\": ";
  if (const chart::SRGraphLegend* legend = g.Legend()) {
    Rect r = legend->rect;
    if (legend->autoPosition && !report.legend.isEmpty())
      r = Rect{report.legend.left(), report.legend.top(),
               report.legend.left() + report.legend.width(),
               report.legend.top() + report.legend.height()};
    j += "{\"rect\": " + JsonRect(r) + ", \"key\": \"" +
         (legend->key == chart::LegendKey::Marker ? "marker" : "box") + "\"}";
  } else {
    j += "null";
  }
  return j + "}\n";
}

// ---- shared by both commands ---------------------------------------------

QApplication& GuiApplication() {
  // Fonts and the plotting widgets need an application; no display is needed.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "vantora";
  static char* argv[] = {name, nullptr};
  static QApplication app(argc, argv);
  return app;
}

// Writes every output and, with `info`, the description; false when an
// output failed.
bool Produce(graph::GraphDocument& doc, const std::vector<std::string>& outputs, int width,
             int height, bool info, int omitted) {
  GuiApplication();
  // The graph is drawn once at the size for every image and the description;
  // the description is taken before a PDF page lays the chart out again.
  bool pixels = info;
  for (const std::string& out : outputs) {
    const graph::GraphOutput kind = graph::OutputKindOf(out);
    pixels = pixels || kind == graph::GraphOutput::Jpeg || kind == graph::GraphOutput::Dib ||
             kind == graph::GraphOutput::Png;
  }
  QImage picture;
  std::string description;
  if (pixels) {
    chart::RenderReport report;
    picture = graph::RenderGraphImage(doc, width, height, "Arial", &report);
    if (info) description = InfoJson(doc, report, omitted, width, height);
  }
  bool ok = true;
  for (const std::string& out : outputs) {
    std::string error;
    if (!graph::WriteGraphOutput(doc, out, width, height, "Arial", error,
                                 pixels ? &picture : nullptr)) {
      Fail(error);
      ok = false;
    }
  }
  if (info) WriteOut(description);
  return ok;
}

// Usage checks on the outputs; false (after saying why) when one is refused.
bool CheckOutputs(const std::vector<std::string>& outputs, bool info, int& exitCode) {
  if (outputs.empty() && !info) {
    Fail("give at least one output (-o) or --info");
    exitCode = kUsage;
    return false;
  }
  for (const std::string& out : outputs) {
    if (IsLocationName(out)) {
      Fail(LocationOutputRefusedMessage(out));
      exitCode = kFailed;
      return false;
    }
    if (graph::OutputKindOf(out) == graph::GraphOutput::Unknown) {
      Fail("cannot tell the kind of " + out + " (use .vtg, .jpg, .jpeg, .dib, .bmp, .png or .pdf)");
      exitCode = kUsage;
      return false;
    }
  }
  return true;
}

void RunGraph(const GraphArgs& a, int& exitCode) {
  int width = 0, height = 0;
  if (!ParseSize(a.size, width, height)) {
    Fail("bad size '" + a.size + Format("' (use WxH, each 16-%i)", kMaxSide));
    exitCode = kUsage;
    return;
  }
  std::vector<std::string> outputs;
  for (const auto& o : a.outputs) outputs.push_back(ArgPath(o));
  if (!CheckOutputs(outputs, a.info, exitCode)) return;

  graph::GraphSettings s;
  if (a.mode == "single")
    s.mode = graph::kModeSingleY;
  else if (a.mode == "multi")
    s.mode = graph::kModeMultiY;
  else if (a.mode == "strip")
    s.mode = graph::kModeStrip;
  else {
    Fail("bad mode '" + a.mode + "' (use single, multi or strip)");
    exitCode = kUsage;
    return;
  }
  std::vector<graph::GraphComment> comments;
  for (const auto& text : a.comments) {
    graph::GraphComment c;
    if (!ParseComment(text, c)) {
      Fail("bad comment '" + Utf8ToCp1252(text) +
           "' (use X,Y,SIZE,TEXT with X and Y 0-100 and SIZE 10, 13 or 16)");
      exitCode = kUsage;
      return;
    }
    comments.push_back(c);
  }

  const std::string path = AbsoluteArgPath(a.file);
  for (const auto& out : outputs) {
    if (RefusesOutput(out, {path})) {
      Fail(LocationOutputRefusedMessage(out));
      exitCode = kFailed;
      return;
    }
  }
  auto log = OpenLocation(path);
  if (!log) {
    exitCode = kFailed;
    return;
  }
  const int channels = log->ChannelCount();
  s.axisParams[0] = ParseRef(a.x, channels);
  if (s.axisParams[0] < 0) {
    Fail("bad X reference '" + a.x + Format("' (use time or a channel 0-%i)", channels - 1));
    exitCode = kUsage;
    return;
  }
  std::vector<int> ys;
  if (a.y.empty()) {
    for (int c = 0; c < std::min(channels, graph::kMaxYParams); ++c) ys.push_back(c + 1);
  } else {
    std::stringstream in(a.y);
    std::string item;
    while (std::getline(in, item, ',')) {
      int ref = ParseRef(item, channels);
      if (ref < 0) {
        Fail("bad Y reference '" + item + Format("' (use time or a channel 0-%i)", channels - 1));
        exitCode = kUsage;
        return;
      }
      if (std::find(ys.begin(), ys.end(), ref) != ys.end()) {
        Fail("Y reference '" + item + "' given twice");
        exitCode = kUsage;
        return;
      }
      ys.push_back(ref);
    }
  }
  if (ys.empty() || static_cast<int>(ys.size()) > graph::kMaxYParams) {
    Fail(ys.empty() ? "nothing to plot on Y (the location has no channels)"
                    : Format("at most %i Y references", graph::kMaxYParams));
    exitCode = kUsage;
    return;
  }
  for (std::size_t i = 0; i < ys.size(); ++i) s.axisParams[i + 1] = ys[i];
  s.axisCount = 1 + static_cast<int>(ys.size());
  s.dateOnX = !a.noDate;
  s.showTitle = !a.noTitle;
  s.xGrid = !a.noXGrid;
  s.yGrid = !a.noYGrid;
  s.xLabels = !a.noXLabels;
  s.yLabels = !a.noYLabels;
  s.lines = !a.noLines;
  s.markers = a.markers;
  s.legend = a.noLegend ? 0 : 1;
  s.title = a.titleGiven ? Utf8ToCp1252(a.title).substr(0, 50) : AbbreviatePath(path, 23);

  // The Create Graph dialog's checks: a refusal, then two questions that the
  // command line answers with "yes" after saying them.
  const graph::GraphChecks checks = graph::CheckGraphSettings(*log, s);
  if (checks.timeNotPrimary) {
    Fail(graph::kTextTimeNotPrimary);
    exitCode = kUsage;
    return;
  }
  if (checks.mixedUnits) Fail(graph::kTextMixedUnits);
  if (checks.singleYMultiMode) Fail(graph::kTextSingleYMultiMode);

  graph::GraphDocument doc;
  doc.OnNewDocument();
  int omitted = 0;
  doc.BuildGraph(log.get(), &s, &omitted);
  for (const auto& c : comments) doc.comments.Append(c.text, c.x, c.y, c.fontSize);
  if (omitted > 0) Fail(Format(graph::kTextOmittedFormat, omitted));
  if (!Produce(doc, outputs, width, height, a.info, omitted)) exitCode = kFailed;
}

void RunRender(const std::string& file, const std::string& size,
               const std::vector<std::string>& outs, bool info, int& exitCode) {
  int width = 0, height = 0;
  if (!ParseSize(size, width, height)) {
    Fail("bad size '" + size + Format("' (use WxH, each 16-%i)", kMaxSide));
    exitCode = kUsage;
    return;
  }
  std::vector<std::string> outputs;
  for (const auto& o : outs) outputs.push_back(ArgPath(o));
  if (!CheckOutputs(outputs, info, exitCode)) return;
  const std::string path = ArgPath(file);
  graph::GraphDocument doc;
  doc.OnNewDocument();
  std::string detail;
  switch (graph::LoadGraphFile(path, doc, detail)) {
    case graph::GraphFileResult::Ok: break;
    case graph::GraphFileResult::OlderVersion:
      Fail(graph::kTextOlderGraphFile);
      exitCode = kFailed;
      return;
    case graph::GraphFileResult::Damaged:
      Fail(graph::DamagedGraphFileText(path) + (detail.empty() ? "" : " (" + detail + ")"));
      exitCode = kFailed;
      return;
    default:
      Fail("cannot read " + path + (detail.empty() ? "" : ": " + detail));
      exitCode = kFailed;
      return;
  }
  if (!Produce(doc, outputs, width, height, info, 0)) exitCode = kFailed;
}

const bool registered = RegisterCommand([](CLI::App& app, int& exitCode) {
  auto* g = app.add_subcommand("graph", "Draw a graph of a location (graph file, image or PDF)");
  auto a = std::make_shared<GraphArgs>();
  g->add_option("file", a->file, "Location file (.loc)")->required();
  g->add_option("--x", a->x, "X parameter: time or a channel index")->capture_default_str();
  g->add_option("--y", a->y, "Y parameters, comma-separated (default: every channel, at most 20)");
  g->add_option("--mode", a->mode, "single, multi or strip")->capture_default_str();
  g->add_option("--title", a->title, "Title text (at most 50 characters)")
      ->each([a](const std::string&) { a->titleGiven = true; });
  g->add_flag("--no-title", a->noTitle, "No title above the chart");
  g->add_flag("--no-date", a->noDate, "No date line when X is time");
  g->add_flag("--no-xgrid", a->noXGrid, "No vertical grid lines");
  g->add_flag("--no-ygrid", a->noYGrid, "No horizontal grid lines");
  g->add_flag("--no-xlabels", a->noXLabels, "No X axis title");
  g->add_flag("--no-ylabels", a->noYLabels, "No Y axis titles");
  g->add_flag("--no-lines", a->noLines, "Do not join the points");
  g->add_flag("--markers", a->markers, "A marker at every point");
  g->add_flag("--no-legend", a->noLegend, "No legend (Multi Y)");
  g->add_option("--comment", a->comments,
                "X,Y,SIZE,TEXT: a comment at X% and Y% of the size, SIZE 10, 13 or 16");
  g->add_option("--size", a->size, "Width x height in pixels")->capture_default_str();
  g->add_option("-o,--output", a->outputs,
                "Output file(s): .vtg, .jpg/.jpeg, .dib/.bmp, .png or .pdf");
  g->add_flag("--info", a->info, "Print a JSON description of the chart as laid out");
  g->callback([a, &exitCode] { RunGraph(*a, exitCode); });

  auto* r = app.add_subcommand("render", "Draw a saved graph file (.vtg) as images or PDF");
  auto file = std::make_shared<std::string>();
  auto size = std::make_shared<std::string>("800x600");
  auto outs = std::make_shared<std::vector<std::string>>();
  auto info = std::make_shared<bool>(false);
  r->add_option("file", *file, "Graph file (.vtg)")->required();
  r->add_option("--size", *size, "Width x height in pixels")->capture_default_str();
  r->add_option("-o,--output", *outs, "Output file(s): .vtg, .jpg/.jpeg, .dib/.bmp, .png or .pdf");
  r->add_flag("--info", *info, "Print a JSON description of the chart as laid out");
  r->callback(
      [file, size, outs, info, &exitCode] { RunRender(*file, *size, *outs, *info, exitCode); });
});

}  // namespace

}  // namespace vantora::cli

#endif  // VANTORA_HAVE_GRAPH

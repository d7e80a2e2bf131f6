// vantora graph | render: charts of a location, and saved graphs, as graph
// files, images and PDF pages, with a JSON description of the layout.
#ifdef VANTORA_HAVE_GRAPH

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <sstream>

#include "chart/chartlayout.h"
#include "chart/gui/chartrender.h"
#include "cli/cli.h"
#include "cli/limitsarg.h"
#include "cli/terminal.h"
#include "common/codepage.h"
#include "common/pathutil.h"
#include "common/platform.h"
#include "common/timetext.h"
#include "graph/graphbuilder.h"
#include "graph/graphchecks.h"
#include "graph/graphcompare.h"
#include "graph/graphdocument.h"
#include "graph/gui/graphrender.h"

namespace vantora::cli {

namespace {

using chart::Rect;

struct GraphArgs {
  std::vector<std::string> files;
  std::string x = "time";
  std::string y;
  std::string mode = "single";
  std::string title;
  bool titleGiven = false;
  bool noTitle = false, noDate = false, noXGrid = false, noYGrid = false;
  bool noXLabels = false, noYLabels = false, noLines = false, markers = false, noLegend = false;
  bool legend = false, limitLines = false, elapsed = false;
  std::string limits, set;
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

// "time" -> 0, channel index c -> c + 1, else the channel the text names
// (its name or its parameter's short name); -1 when not a reference.
int ParseRef(const std::string& text, const CLogData& log) {
  if (text == "time") return 0;
  const int channels = log.ChannelCount();
  char* end = nullptr;
  long c = std::strtol(text.c_str(), &end, 10);
  if (!text.empty() && !*end) return c >= 0 && c < channels ? static_cast<int>(c) + 1 : -1;
  const int named = graph::FindChannel(log, Utf8ToCp1252(text));
  return named >= 0 ? named + 1 : -1;
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

std::string JsonNumber(double v) {
  if (!std::isfinite(v)) return "null";
  return Format("%.10g", v);
}

std::string JsonTicks(const std::vector<chart::RenderReport::TickMark>& ticks) {
  std::string j = "[";
  for (std::size_t i = 0; i < ticks.size(); ++i)
    j += std::string(i ? ", " : "") + "{\"value\": " + JsonNumber(ticks[i].value) +
         ", \"text\": " + JsonString(ticks[i].text) + Format(", \"pos\": %i}", ticks[i].pos);
  return j + "]";
}

std::string JsonScale(const chart::SRGScale* s,
                      const std::vector<chart::RenderReport::TickMark>* ticks) {
  if (!s) return "null";
  std::string j = Format("{\"type\": \"%s\", \"format\": ",
                         s->Kind() == chart::ComponentKind::DateScale ? "date" : "decimal") +
                  JsonString(s->format) + Format(", \"font\": %i", s->fontSize);
  if (!s->title.empty()) j += ", \"title\": " + JsonString(s->title);
  return j + ", \"ticks\": " +
         JsonTicks(ticks ? *ticks : std::vector<chart::RenderReport::TickMark>()) + "}";
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
  std::string j = Format("{\"mode\": %i, \"axisCount\": %i, \"omitted\": %i, \"size\": [%i, %i],\n",
                         s.mode, s.axisCount, omitted, width, height);
  // A pair's axis type is the one of the display that shows it.
  const auto axisTypeOf = [&g](int k, int fallback) {
    for (int i = 0; const chart::SRGCompoundDisplay* d = g.Display(i); ++i) {
      const auto shown = chart::SeriesShown(g, *d);
      if (d->display && std::find(shown.begin(), shown.end(), k) != shown.end())
        return d->display->axisType;
    }
    return fallback;
  };
  j += " \"pairs\": [";
  for (int k = 0; k < s.YCount(); ++k) {
    auto pair = s.AxisPair(k);
    j += Format("%s{\"x\": %i, \"y\": %i, \"axisType\": %i, \"hidden\": %s}", k ? ", " : "",
                pair.first, pair.second, axisTypeOf(k, graph::AxisTypeOf(pair.first, pair.second)),
                g.SeriesHidden(k) ? "true" : "false");
  }
  j += "],\n \"groups\": [";
  // Each group's plotted points: those of its pair with both values.
  for (int gi = 0; gi < g.GroupCount(); ++gi)
    j += Format("%s{\"points\": %i, \"annotation\": ", gi ? ", " : "",
                static_cast<int>(g.SummaryOf(gi - (gi & 1)).points)) +
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
    const chart::RenderReport::Display* drawn = nullptr;
    for (const auto& rd : report.displays)
      if (rd.index == i) drawn = &rd;
    j += std::string(i ? ",\n   " : "\n   ") + "{\"rect\": " + JsonRect(d->rect) +
         ", \"plotArea\": " + JsonRect(d->plotArea) +
         ", \"transparent\": " + JsonBool(d->transparent) +
         Format(", \"groups\": [%i, %i]", first, last) + ", \"xGrid\": " + JsonBool(!!d->xGrid) +
         ", \"yGrid\": " + JsonBool(!!d->yGrid) +
         ", \"xScale\": " + JsonScale(d->xScale.get(), drawn ? &drawn->xTicks : nullptr) +
         ", \"xScale2\": " + JsonScale(d->xScale2.get(), drawn ? &drawn->x2Ticks : nullptr) +
         ", \"yScale\": " + JsonScale(d->yScale.get(), drawn ? &drawn->yTicks : nullptr) + "}";
    for (const auto& l : d->labels) addLabel(JsonLabel(l, std::to_string(i)));
  }
  j += "],\n \"scaleBars\": [";
  bool firstBar = true;
  std::size_t barIndex = 0;
  for (const auto& c : g.Components()) {
    if (c->Kind() == chart::ComponentKind::Label)
      addLabel(JsonLabel(static_cast<const chart::SRGraphLabel&>(*c), "null"));
    if (c->Kind() != chart::ComponentKind::ScaleBar) continue;
    const auto& bar = static_cast<const chart::SRGScaleBar&>(*c);
    j += std::string(firstBar ? "\n   " : ",\n   ") + "{\"name\": " + JsonString(bar.name) +
         ", \"rect\": " + JsonRect(bar.rect) +
         Format(", \"color\": [%i, %i, %i], \"format\": ", bar.colour.r, bar.colour.g,
                bar.colour.b) +
         JsonString(bar.scale.format) + Format(", \"font\": %i", bar.scale.fontSize) +
         ", \"title\": " + JsonString(bar.scale.title) + ", \"ticks\": " +
         JsonTicks(barIndex < report.barTicks.size()
                       ? report.barTicks[barIndex]
                       : std::vector<chart::RenderReport::TickMark>()) +
         "}";
    firstBar = false;
    ++barIndex;
  }
  j += "],\n \"labels\": [" + (labels.empty() ? "" : "\n   " + labels) + "],\n \"legend\": ";
  if (const chart::SRGraphLegend* legend = g.Legend()) {
    Rect r = legend->rect;
    if (legend->autoPosition && !report.legend.isEmpty())
      r = Rect{report.legend.left(), report.legend.top(),
               report.legend.left() + report.legend.width(),
               report.legend.top() + report.legend.height()};
    j += "{\"rect\": " + JsonRect(r) + ", \"key\": \"" +
         (legend->key == chart::LegendKey::Marker ? "marker" : "box") + "\", \"entries\": [";
    for (std::size_t e = 0; e < legend->items.size(); ++e)
      j += std::string(e ? ", " : "") + "{\"pair\": " + std::to_string(legend->items[e].series) +
           ", \"rect\": " + JsonRect(legend->items[e].box) + "}";
    j += "]}";
  } else {
    j += "null";
  }
  j += ",\n \"limitLines\": [";
  for (std::size_t i = 0; i < report.limitLines.size(); ++i) {
    const auto& l = report.limitLines[i];
    j += std::string(i ? ",\n   " : "\n   ") + Format("{\"pair\": %i, \"kind\": ", l.series) +
         JsonString(l.kind) + ", \"value\": " + JsonNumber(l.value) +
         ", \"unit\": " + JsonString(l.unit) + ", \"label\": " + JsonString(l.label) +
         Format(", \"y\": %i, \"arrow\": %s}", l.y,
                l.arrow > 0   ? "\"above\""
                : l.arrow < 0 ? "\"below\""
                              : "null");
  }
  return j + "]}\n";
}

// ---- shared by both commands ---------------------------------------------

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
      Fail("cannot tell the kind of " + out + " (use " + graph::kGraphOutputKinds + ")");
      exitCode = kUsage;
      return false;
    }
  }
  return true;
}

// The display options of the Create Graph dialog from the flags.
graph::GraphSettings DisplayOptions(const GraphArgs& a, int mode) {
  graph::GraphSettings s;
  s.mode = mode;
  s.dateOnX = !a.noDate;
  s.showTitle = !a.noTitle;
  s.xGrid = !a.noXGrid;
  s.yGrid = !a.noYGrid;
  s.xLabels = !a.noXLabels;
  s.yLabels = !a.noYLabels;
  s.lines = !a.noLines;
  s.markers = a.markers;
  // Multi Y keeps its legend unless told; the other modes draw one when told.
  s.legend = (mode == graph::kModeMultiY ? !a.noLegend : a.legend && !a.noLegend) ? 1 : 0;
  s.limitLines = a.limitLines;
  return s;
}

// The limit set of --limits and --set, for --limit-lines; false after saying
// why it cannot be had.
bool ChosenLimits(const GraphArgs& a, exposure::LoadedLimits& limits,
                  const exposure::LimitSet*& set, int& exitCode) {
  set = nullptr;
  if (!a.limitLines) {
    if (!a.limits.empty() || !a.set.empty()) {
      Fail("--limits and --set choose the limits of --limit-lines; give --limit-lines too");
      exitCode = kUsage;
      return false;
    }
    return true;
  }
  if (!LoadLimits(a.limits, limits)) {
    exitCode = kFailed;
    return false;
  }
  set = ChooseLimits(limits, a.set);
  if (!set) {
    exitCode = kUsage;
    return false;
  }
  return true;
}

void RunCompare(const GraphArgs& a, const std::vector<std::string>& outputs, int width, int height,
                const std::vector<graph::GraphComment>& comments, int& exitCode) {
  if (a.y.empty() || a.y.find(',') != std::string::npos) {
    Fail("comparing locations draws one channel: give it with --y NAME");
    exitCode = kUsage;
    return;
  }
  if (a.mode != "single" || a.x != "time") {
    Fail("comparing locations draws a Single Y graph over time (no --mode or --x)");
    exitCode = kUsage;
    return;
  }
  exposure::LoadedLimits limits;
  const exposure::LimitSet* set = nullptr;
  if (!ChosenLimits(a, limits, set, exitCode)) return;
  std::vector<std::string> paths;
  for (const auto& f : a.files) paths.push_back(AbsoluteArgPath(f));
  for (const auto& out : outputs) {
    if (RefusesOutput(out, paths)) {
      Fail(LocationOutputRefusedMessage(out));
      exitCode = kFailed;
      return;
    }
  }
  std::vector<std::unique_ptr<CLogFile>> logs;
  std::vector<graph::CompareLocation> locations;
  for (const auto& path : paths) {
    auto log = OpenLocation(path);
    if (!log) {
      exitCode = kFailed;
      return;
    }
    locations.push_back({log.get(), std::string()});
    logs.push_back(std::move(log));
  }
  graph::CompareOptions options;
  options.channel = Utf8ToCp1252(a.y);
  options.elapsed = a.elapsed;
  options.display = DisplayOptions(a, graph::kModeSingleY);
  options.display.legend = a.noLegend ? 0 : 1;  // the legend names the locations
  options.limits = set;
  graph::GraphDocument doc;
  doc.OnNewDocument();
  const graph::CompareOutcome outcome = graph::BuildCompare(doc, locations, options);
  for (const std::string& note : outcome.leftOut) Fail(note);
  if (!outcome.built) {
    Fail(outcome.error);
    exitCode = kFailed;
    return;
  }
  if (a.titleGiven) doc.settings.title = Utf8ToCp1252(a.title);
  // The title label was made with the builder's title.
  for (const auto& c : doc.GetGraph().Components())
    if (c->Kind() == chart::ComponentKind::Label &&
        static_cast<chart::SRGraphLabel&>(*c).side == chart::Side::Top)
      static_cast<chart::SRGraphLabel&>(*c).text = doc.settings.title;
  for (const auto& c : comments) doc.comments.Append(c.text, c.x, c.y, c.fontSize);
  if (outcome.omitted > 0) Fail(Format(graph::kTextOmittedFormat, outcome.omitted));
  if (!Produce(doc, outputs, width, height, a.info, outcome.omitted)) exitCode = kFailed;
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

  int mode = graph::kModeSingleY;
  if (a.mode == "multi")
    mode = graph::kModeMultiY;
  else if (a.mode == "strip")
    mode = graph::kModeStrip;
  else if (a.mode != "single") {
    Fail("bad mode '" + a.mode + "' (use single, multi or strip)");
    exitCode = kUsage;
    return;
  }
  if (a.titleGiven) {
    const std::size_t length = Utf8ToCp1252(a.title).size();
    if (length > 50) {
      Fail(Format("the title has %i characters; a title has at most 50", static_cast<int>(length)));
      exitCode = kUsage;
      return;
    }
  }
  if (a.elapsed && a.files.size() < 2) {
    Fail("--elapsed is for comparing locations (give two or more)");
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
  if (a.files.size() > 1) {
    RunCompare(a, outputs, width, height, comments, exitCode);
    return;
  }

  exposure::LoadedLimits limits;
  const exposure::LimitSet* set = nullptr;
  if (!ChosenLimits(a, limits, set, exitCode)) return;
  graph::GraphSettings s = DisplayOptions(a, mode);
  const std::string path = AbsoluteArgPath(a.files.front());
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
  const std::string refs = Format("time, a channel 0-%i or a channel's name", channels - 1);
  s.axisParams[0] = ParseRef(a.x, *log);
  if (s.axisParams[0] < 0) {
    Fail("bad X reference '" + Utf8ToCp1252(a.x) + "' (use " + refs + ")");
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
      int ref = ParseRef(item, *log);
      if (ref < 0) {
        Fail("bad Y reference '" + Utf8ToCp1252(item) + "' (use " + refs + ")");
        exitCode = kUsage;
        return;
      }
      if (std::find(ys.begin(), ys.end(), ref) != ys.end()) {
        Fail("Y reference '" + Utf8ToCp1252(item) + "' given twice");
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
  s.title = a.titleGiven ? Utf8ToCp1252(a.title) : AbbreviatePath(path, 23);

  // The Create Graph dialog's checks: a refusal, then two questions that the
  // command line answers with "yes", saying what it went on with.
  const graph::GraphChecks checks = graph::CheckGraphSettings(*log, s);
  if (checks.timeNotPrimary) {
    Fail(graph::kTextTimeNotPrimary);
    exitCode = kUsage;
    return;
  }
  if (checks.mixedUnits) Fail("Warning: the graph has channels of different units on one Y axis.");
  if (checks.singleYMultiMode)
    Fail("Warning: the graph has a single Y axis in a mode made for several.");
  if (!graph::HasReadingsToGraph(*log, s)) {
    Fail(graph::NoReadingsText(graph::LocationTitle(path)));
    exitCode = kFailed;
    return;
  }

  graph::GraphDocument doc;
  doc.OnNewDocument();
  int omitted = 0;
  doc.BuildGraph(log.get(), &s, &omitted, set);
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
  // No output replaces the graph file it is drawn from.
  const std::string input = AbsoluteArgPath(file);
  for (const auto& out : outputs) {
    if (IsLocationName(out)) {
      Fail(LocationOutputRefusedMessage(out));
      exitCode = kFailed;
      return;
    }
    if (RefusesOutput(out, {input})) {
      Fail(
          "The graph file being drawn cannot be replaced by its own output. Choose another "
          "name. (" +
          out + ")");
      exitCode = kFailed;
      return;
    }
  }
  graph::GraphDocument doc;
  doc.OnNewDocument();
  std::string detail;
  switch (graph::LoadGraphFile(path, doc, detail)) {
    case graph::GraphFileResult::Ok: break;
    case graph::GraphFileResult::OlderVersion:
      Fail(graph::kTextOlderGraphFile);
      exitCode = kFailed;
      return;
    case graph::GraphFileResult::NotGraphFile:
      Fail(graph::NotGraphFileText(path));
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
  g->add_option("files", a->files,
                "Location file (.loc); several: one channel of each compared (--y NAME)")
      ->required();
  g->add_option("--x", a->x, "X parameter: time, a channel index or a channel's name")
      ->capture_default_str();
  g->add_option("--y", a->y,
                "Y parameters, comma-separated: channel indices, names or parameter short names "
                "(default: every channel, at most 20)");
  g->add_flag("--elapsed", a->elapsed, "Comparing: X in hours from each location's start");
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
  g->add_flag("--legend", a->legend, "A legend in Single Y and Strip Graph");
  g->add_flag("--no-legend", a->noLegend, "No legend (Multi Y, comparisons)");
  g->add_flag("--limit-lines", a->limitLines,
              "A line at every applicable exposure limit of each channel");
  g->add_option("--limits", a->limits, "A limits file whose sets follow the shipped ones");
  g->add_option("--set", a->set,
                "The limit set (default: the limits file's first set, else \"Indoor air "
                "(guideline)\")");
  g->add_option("--comment", a->comments,
                "X,Y,SIZE,TEXT: a comment at X% and Y% of the size, SIZE 10, 13 or 16");
  g->add_option("--size", a->size, "Width x height in pixels")->capture_default_str();
  g->add_option("-o,--output", a->outputs,
                "Output file(s): .vtg, .jpg/.jpeg, .dib/.bmp, .png, .pdf or .svg");
  g->add_flag("--info", a->info, "Print a JSON description of the chart as laid out");
  g->callback([a, &exitCode] { RunGraph(*a, exitCode); });

  auto* r = app.add_subcommand("render", "Draw a saved graph file (.vtg) as images or PDF");
  auto file = std::make_shared<std::string>();
  auto size = std::make_shared<std::string>("800x600");
  auto outs = std::make_shared<std::vector<std::string>>();
  auto info = std::make_shared<bool>(false);
  r->add_option("file", *file, "Graph file (.vtg)")->required();
  r->add_option("--size", *size, "Width x height in pixels")->capture_default_str();
  r->add_option("-o,--output", *outs,
                "Output file(s): .vtg, .jpg/.jpeg, .dib/.bmp, .png, .pdf or .svg");
  r->add_flag("--info", *info, "Print a JSON description of the chart as laid out");
  r->callback(
      [file, size, outs, info, &exitCode] { RunRender(*file, *size, *outs, *info, exitCode); });
});

}  // namespace

}  // namespace vantora::cli

#endif  // VANTORA_HAVE_GRAPH

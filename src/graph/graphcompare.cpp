// Comparing one channel across locations.
#include "graph/graphcompare.h"

#include <algorithm>
#include <cctype>

#include "common/pathutil.h"
#include "exposure/units.h"
#include "graph/graphbuilder.h"
#include "model/vocabulary.h"

namespace vantora::graph {

namespace {

const char* const kTimeTitle = "Time (H:M:S) ";
const char* const kElapsedTitle = "Elapsed time (h)";
const char* const kElapsedFormat = "%3.1f";

std::string Trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool SameName(const std::string& a, const std::string& b) {
  const std::string x = Trimmed(a), y = Trimmed(b);
  return x.size() == y.size() && std::equal(x.begin(), x.end(), y.begin(), [](char p, char q) {
           return std::tolower(static_cast<unsigned char>(p)) ==
                  std::tolower(static_cast<unsigned char>(q));
         });
}

int Channels(const CLogData& log) { return std::clamp(log.ChannelCount(), 0, kMaxChannels); }

// One location that has the channel.
struct Use {
  const CLogData* log = nullptr;
  std::string name;
  int channel = 0;
  int param = 0, unit = 0, decimals = 0;
  std::string channelName, unitName;
};

}  // namespace

std::string CompareTitle(const std::string& channel) { return "Compare: " + channel; }

std::string LocationTitle(const std::string& path) {
  const std::string name = SplitPath(path).second;
  return name.substr(0, name.find('.'));
}

int FindChannel(const CLogData& log, const std::string& name) {
  if (Trimmed(name).empty()) return -1;
  for (int c = 0; c < Channels(log); ++c) {
    std::string channel;
    log.GetChannelName(c, channel);
    if (SameName(channel, name)) return c;
  }
  for (int c = 0; c < Channels(log); ++c) {
    int param = 0;
    log.GetChannelParam(c, param);
    if (SameName(TheParamNames().GetName(param, false), name)) return c;
  }
  return -1;
}

std::vector<std::string> CompareChannels(const std::vector<const CLogData*>& logs) {
  std::vector<std::string> out;
  for (const CLogData* log : logs) {
    if (!log) continue;
    for (int c = 0; c < Channels(*log); ++c) {
      std::string name;
      log->GetChannelName(c, name);
      name = Trimmed(name);
      if (name.empty()) continue;
      if (std::none_of(out.begin(), out.end(),
                       [&](const std::string& known) { return SameName(known, name); }))
        out.push_back(name);
    }
  }
  return out;
}

CompareOutcome BuildCompare(GraphDocument& doc, const std::vector<CompareLocation>& locations,
                            const CompareOptions& options) {
  CompareOutcome out;
  chart::SRGraph& chart = doc.GetGraph();
  chart.EmptyAll();
  const std::string wanted = Trimmed(options.channel);

  std::vector<Use> uses;
  for (const CompareLocation& loc : locations) {
    if (!loc.log) continue;
    Use u;
    u.log = loc.log;
    u.name = loc.name.empty() ? LocationTitle(loc.log->path) : loc.name;
    u.channel = FindChannel(*loc.log, wanted);
    if (u.channel < 0) {
      out.leftOut.push_back(u.name + " has no channel " + wanted + ".");
      continue;
    }
    loc.log->GetChannelParam(u.channel, u.param);
    loc.log->GetChannelUnit(u.channel, u.unit);
    loc.log->GetChannelDecimals(u.channel, u.decimals);
    loc.log->GetChannelName(u.channel, u.channelName);
    u.channelName = Trimmed(u.channelName);
    u.unitName = TheUnitNames().GetName(u.unit);
    GraphSettings probe;
    probe.axisParams[0] = 0;
    probe.axisParams[1] = u.channel + 1;
    probe.axisCount = 2;
    if (!HasReadingsToGraph(*loc.log, probe)) {
      out.leftOut.push_back(NoReadingsText(u.name));
      continue;
    }
    if (static_cast<int>(uses.size()) == kMaxYParams) {
      out.leftOut.push_back(u.name + " is left out: a graph holds at most " +
                            std::to_string(kMaxYParams) + " series.");
      continue;
    }
    uses.push_back(u);
  }
  if (uses.empty()) {
    out.error = "No location has readings of " + wanted + " to graph.";
    return out;
  }

  // Every series in the first location's unit.
  const Use& first = uses.front();
  std::vector<PairSource> sources;
  for (std::size_t k = 0; k < uses.size(); ++k) {
    const Use& u = uses[k];
    PairSource p;
    p.series = static_cast<int>(k);
    p.x = 0;
    p.y = u.channel + 1;
    p.elapsed = options.elapsed;
    p.unit = first.unitName;
    p.decimals = first.decimals;
    if (u.unit != first.unit) {
      // Every conversion the engine makes is linear: two points give it.
      auto& compounds = TheParamNames().compounds();
      const auto at0 = exposure::ConvertChannelValue(0, u.unit, first.unit, u.param, compounds);
      const auto at1 = exposure::ConvertChannelValue(1, u.unit, first.unit, u.param, compounds);
      if (!at0.ok || !at1.ok) {
        out.error = "The units do not convert: " + u.name + " measures " + u.channelName + " in " +
                    u.unitName + ", " + first.name + " in " + first.unitName + ".";
        return out;
      }
      p.scale = at1.value - at0.value;
      p.offset = at0.value;
    }
    sources.push_back(p);
  }

  const int n = static_cast<int>(uses.size());
  GraphSettings& s = doc.settings;
  s.Copy(options.display);
  s.mode = kModeSingleY;
  std::fill(std::begin(s.axisParams), std::end(s.axisParams), 0);
  for (int k = 0; k < n; ++k) s.axisParams[k + 1] = uses[static_cast<std::size_t>(k)].channel + 1;
  s.axisCount = 1 + n;
  s.title = CompareTitle(first.channelName).substr(0, 50);
  out.title = s.title;

  for (int k = 0; k < n; ++k) chart.pairs.push_back(s.AxisPair(k));
  const std::string yTitle =
      first.unitName.empty() ? first.channelName : first.channelName + " (" + first.unitName + ")";
  BuildSingleYFrame(chart, s, n, !options.elapsed, kElapsedFormat,
                    ChannelScaleFormat(first.decimals),
                    options.elapsed ? kElapsedTitle : kTimeTitle, yTitle);
  for (int k = 0; k < n; ++k) {
    const Use& u = uses[static_cast<std::size_t>(k)];
    out.omitted += FillPairs(chart, *u.log, {sources[static_cast<std::size_t>(k)]});
    chart.SetAnnotation(2 * k, u.name);
    chart.SetAnnotation(2 * k + 1, u.name);
    chart.ApplyStyle(2 * k, 2 * k + 1, 0, -1, s.lines, s.markers);
    if (s.limitLines && options.limits)
      AddLimitLines(chart, k, u.param, first.unit, *options.limits);
  }
  out.built = true;
  return out;
}

}  // namespace vantora::graph

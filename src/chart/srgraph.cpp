// The chart model: components, data groups, styles.
#include "chart/srgraph.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>

namespace vantora::chart {

namespace {

// Indices and groups beyond these are ignored: no caller has that many, and
// a damaged count must not turn into a huge allocation.
constexpr int kMaxIndex = 16777216;
constexpr int kMaxGroup = 4096;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

bool Covers(int first, int last, int v) { return v >= first && (last < 0 || v <= last); }

std::uint64_t NextRevision() {
  static std::atomic<std::uint64_t> counter{0};
  return ++counter;
}

}  // namespace

SRGraph::SRGraph() : revision_(NextRevision()) {}
SRGraph::~SRGraph() = default;

void SRGraph::Touch() { revision_ = NextRevision(); }

PairSummary SRGraph::SummaryOf(int xGroup) const {
  const DataGroup* xg = Group(xGroup);
  const DataGroup* yg = Group(xGroup + 1);
  if (!xg || !yg) return PairSummary();
  if (summaryRevision_ != revision_) {
    summaries_.clear();
    summaryRevision_ = revision_;
  }
  const auto slot = static_cast<std::size_t>(xGroup);
  if (summaries_.size() <= slot) summaries_.resize(slot + 1);
  auto& [known, out] = summaries_[slot];
  if (known) return out;
  const std::size_t n = std::min(xg->values.size(), yg->values.size());
  const double* xs = xg->values.data();
  const double* ys = yg->values.data();
  double xMin = std::numeric_limits<double>::infinity(), xMax = -xMin, yMin = xMin, yMax = -xMin;
  std::size_t points = 0;
  bool rising = true;
  for (std::size_t i = 0; i < n; ++i) {
    const double x = xs[i], y = ys[i];
    if (!std::isfinite(x) || !std::isfinite(y)) continue;
    if (x < xMax) rising = false;
    ++points;
    xMin = std::min(xMin, x);
    xMax = std::max(xMax, x);
    yMin = std::min(yMin, y);
    yMax = std::max(yMax, y);
  }
  out = PairSummary();
  out.points = points;
  out.xNeverDecreases = rising;
  if (points > 0) {
    out.xMin = xMin;
    out.xMax = xMax;
    out.yMin = yMin;
    out.yMax = yMax;
  }
  known = true;
  return out;
}

void SRGraph::EmptyAll() {
  Touch();
  components_.clear();
  for (auto& list : byKind_) list.clear();
  groups_.clear();
  styles_.clear();
  series_.clear();
  pairs.clear();
  limitLines.clear();
  zoomHistory.clear();
}

const SeriesInfo& SRGraph::Series(int k) const {
  static const SeriesInfo kNone;
  if (k < 0 || static_cast<std::size_t>(k) >= series_.size()) return kNone;
  return series_[static_cast<std::size_t>(k)];
}

void SRGraph::SetSeries(int k, SeriesInfo info) {
  if (k < 0 || k >= kMaxGroup / 2) return;
  // Breaks and marks change how the series is drawn.
  Touch();
  const auto i = static_cast<std::size_t>(k);
  if (series_.size() <= i) series_.resize(i + 1);
  series_[i] = std::move(info);
}

bool SRGraph::SetSeriesHidden(int k, bool hidden) {
  if (k < 0 || k >= SeriesCount()) return false;
  const auto i = static_cast<std::size_t>(k);
  if (series_.size() <= i) series_.resize(i + 1);
  series_[i].hidden = hidden;
  return true;
}

PointMark SRGraph::MarkAt(int k, int index) const {
  const auto& marks = Series(k).marks;
  const auto it =
      std::lower_bound(marks.begin(), marks.end(), index,
                       [](const std::pair<int, PointMark>& m, int i) { return m.first < i; });
  return it != marks.end() && it->first == index ? it->second : PointMark::None;
}

SRGComponent* SRGraph::Add(std::unique_ptr<SRGComponent> component) {
  if (!component) return nullptr;
  // Styles and zoom entries have their own lists.
  if (component->Kind() == ComponentKind::Style) {
    styles_.push_back(static_cast<const SRGraphStyle&>(*component));
    return &styles_.back();
  }
  if (component->Kind() == ComponentKind::Zoom) {
    zoomHistory.push_back(static_cast<const SRGZoom&>(*component));
    return &zoomHistory.back();
  }
  const auto kind = static_cast<std::size_t>(component->Kind());
  components_.push_back(std::move(component));
  if (kind < byKind_.size()) byKind_[kind].push_back(components_.back().get());
  return components_.back().get();
}

SRGComponent* SRGraph::Find(ComponentKind kind, int i) const {
  const auto k = static_cast<std::size_t>(kind);
  if (i < 0 || k >= byKind_.size() || static_cast<std::size_t>(i) >= byKind_[k].size())
    return nullptr;
  return byKind_[k][static_cast<std::size_t>(i)];
}

SRGComponent* SRGraph::FindByName(const std::string& name) const {
  for (const auto& c : components_) {
    if (c->name == name) return c.get();
  }
  return nullptr;
}

int SRGraph::Count(ComponentKind kind) const {
  const auto k = static_cast<std::size_t>(kind);
  return k < byKind_.size() ? static_cast<int>(byKind_[k].size()) : 0;
}

int SRGraph::ItemCount(int group) const {
  if (group < 0 || group >= GroupCount()) return 0;
  return static_cast<int>(groups_[static_cast<std::size_t>(group)].values.size());
}

void SRGraph::SetValue(int index, int group, double value) {
  if (index < 0 || group < 0 || index >= kMaxIndex || group >= kMaxGroup) return;
  Touch();
  const auto g = static_cast<std::size_t>(group);
  if (g >= groups_.size()) groups_.resize(g + 1);
  auto& v = groups_[g].values;
  const auto i = static_cast<std::size_t>(index);
  if (i < v.size()) {
    v[i] = value;
  } else if (i == v.size()) {
    v.push_back(value);  // the usual case: filling in order
  } else {
    if (i >= v.capacity()) v.reserve(std::max(i + 1, v.capacity() * 2));
    v.resize(i, kNaN);
    v.push_back(value);
  }
}

double SRGraph::Value(int index, int group) const {
  if (group < 0 || group >= GroupCount() || index < 0) return kNaN;
  const auto& v = groups_[static_cast<std::size_t>(group)].values;
  if (static_cast<std::size_t>(index) >= v.size()) return kNaN;
  return v[static_cast<std::size_t>(index)];
}

const DataGroup* SRGraph::Group(int group) const {
  if (group < 0 || group >= GroupCount()) return nullptr;
  return &groups_[static_cast<std::size_t>(group)];
}

void SRGraph::Reserve(int groups, int items) {
  if (groups <= 0) return;
  if (groups > kMaxGroup) groups = kMaxGroup;
  if (items < 0) items = 0;
  if (items > kMaxIndex) items = kMaxIndex;
  Touch();
  if (static_cast<std::size_t>(groups) > groups_.size())
    groups_.resize(static_cast<std::size_t>(groups));
  for (int g = 0; g < groups; ++g)
    groups_[static_cast<std::size_t>(g)].values.reserve(static_cast<std::size_t>(items));
}

void SRGraph::SetAnnotation(int group, const std::string& text) {
  if (group < 0 || group >= kMaxGroup) return;
  const auto g = static_cast<std::size_t>(group);
  if (g >= groups_.size()) {
    Touch();
    groups_.resize(g + 1);
  }
  groups_[g].annotation = text;
}

void SRGraph::SetGroupValues(int group, std::vector<double> values) {
  if (group < 0 || group >= kMaxGroup || values.size() > static_cast<std::size_t>(kMaxIndex))
    return;
  Touch();
  const auto g = static_cast<std::size_t>(group);
  if (g >= groups_.size()) groups_.resize(g + 1);
  groups_[g].values = std::move(values);
}

std::string SRGraph::Annotation(int group) const {
  const DataGroup* g = Group(group);
  return g ? g->annotation : std::string();
}

void SRGraph::ApplyStyle(int firstGroup, int lastGroup, int firstIndex, int lastIndex, bool lines,
                         bool markers) {
  SRGraphStyle s;
  s.firstGroup = firstGroup;
  s.lastGroup = lastGroup;
  s.firstIndex = firstIndex;
  s.lastIndex = lastIndex;
  s.lines = lines;
  s.markers = markers;
  styles_.push_back(s);
}

SRGraphStyle SRGraph::StyleAt(int index, int group) const {
  SRGraphStyle result;
  result.firstGroup = group;
  result.lastGroup = group;
  result.firstIndex = index;
  result.lastIndex = index;
  for (auto it = styles_.rbegin(); it != styles_.rend(); ++it) {
    if (Covers(it->firstGroup, it->lastGroup, group) &&
        Covers(it->firstIndex, it->lastIndex, index)) {
      result.lines = it->lines;
      result.markers = it->markers;
      break;
    }
  }
  return result;
}

std::vector<int> PairGroupsIn(const SRGraph& chart, int first, int last) {
  std::vector<int> out;
  const int groups = chart.GroupCount();
  first = std::max(0, first);
  last = last < 0 ? groups - 1 : std::min(last, groups - 1);
  // first <= last < groups: neither step below can pass INT_MAX.
  if (first > last) return out;
  for (int g = first + (first & 1); g < last; g += 2) out.push_back(g);
  return out;
}

Rgb SeriesColour(int k) {
  static const Rgb kTable[16] = {{255, 0, 0},   {0, 128, 0},   {0, 0, 255},   {0, 255, 255},
                                 {255, 0, 255}, {128, 0, 0},   {128, 128, 0}, {0, 0, 128},
                                 {128, 0, 128}, {255, 128, 0}, {0, 255, 128}, {128, 0, 255},
                                 {0, 128, 255}, {255, 0, 128}, {128, 255, 0}, {255, 255, 0}};
  int i = k % 16;
  if (i < 0) i += 16;
  return kTable[i];
}

}  // namespace vantora::chart

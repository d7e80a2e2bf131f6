#include "graph/viewstatistics.h"

#include <algorithm>
#include <cmath>

#include "exposure/exposure.h"

namespace vantora::graph {

namespace {

using chart::SRGraph;

// Whether the display that shows pair k draws its X as dates.
bool TimeX(const SRGraph& chart, int k) {
  for (int i = 0; const chart::SRGCompoundDisplay* d = chart.Display(i); ++i) {
    if (!d->display) continue;
    const int first = d->display->firstGroup;
    const int last = d->display->lastGroup < 0 ? chart.GroupCount() - 1 : d->display->lastGroup;
    if (2 * k >= first && 2 * k + 1 <= last)
      return d->display->axisType == chart::kAxisDateOnX ||
             d->display->axisType == chart::kAxisDateOnBoth;
  }
  return false;
}

constexpr double kSecondsPerDay = 86400.0;

}  // namespace

void ViewStatistics::Update(const SRGraph& chart) {
  if (revision_ == chart.Revision()) return;
  revision_ = chart.Revision();
  index_.Update(chart);
  pairs_.assign(static_cast<std::size_t>(index_.PairCount()), Pair{});
  for (int k = 0; k < index_.PairCount(); ++k) {
    Pair& p = pairs_[static_cast<std::size_t>(k)];
    const std::vector<int>& order = index_.Order(k);
    const int n = static_cast<int>(order.size());
    p.size = n;
    p.timeX = TimeX(chart, k);
    const std::vector<double>& xs = chart.Group(2 * k)->values;
    const std::vector<double>& ys = chart.Group(2 * k + 1)->values;
    const auto y = [&](int position) {
      return ys[static_cast<std::size_t>(order[static_cast<std::size_t>(position)])];
    };

    // Record spans in file (point) order, over the series' own times.
    std::vector<double> weight(static_cast<std::size_t>(n), 0.0);
    if (p.timeX && n > 0) {
      std::vector<int> byPoint(order);
      std::sort(byPoint.begin(), byPoint.end());
      std::vector<LogTime> times(byPoint.size());
      for (std::size_t j = 0; j < byPoint.size(); ++j)
        times[j] = std::llround(xs[static_cast<std::size_t>(byPoint[j])] * kSecondsPerDay);
      p.interval = exposure::LoggingInterval(times);
      if (p.interval > 0) {
        const std::vector<std::int64_t> spans = exposure::RecordSpans(times, p.interval);
        // Position in X order of every point, through a point-indexed map.
        std::vector<int> position(ys.size(), -1);
        for (int q = 0; q < n; ++q) position[static_cast<std::size_t>(order[q])] = q;
        for (std::size_t j = 0; j < byPoint.size(); ++j)
          weight[static_cast<std::size_t>(position[static_cast<std::size_t>(byPoint[j])])] =
              static_cast<double>(spans[j]) / static_cast<double>(p.interval);
      }
    }

    p.offset = n > 0 ? y(0) : 0;
    p.sumV.assign(static_cast<std::size_t>(n) + 1, 0.0);
    p.sumVD.assign(static_cast<std::size_t>(n) + 1, 0.0);
    p.sumD.assign(static_cast<std::size_t>(n) + 1, 0.0);
    for (int q = 0; q < n; ++q) {
      const double v = y(q) - p.offset, w = weight[static_cast<std::size_t>(q)];
      const auto at = static_cast<std::size_t>(q);
      p.sumV[at + 1] = p.sumV[at] + v;
      p.sumVD[at + 1] = p.sumVD[at] + v * w;
      p.sumD[at + 1] = p.sumD[at] + w;
    }

    // Of equal values the later position wins, as in the location's statistics.
    p.minTree.assign(2 * static_cast<std::size_t>(n), 0);
    p.maxTree.assign(2 * static_cast<std::size_t>(n), 0);
    for (int q = 0; q < n; ++q) p.minTree[n + q] = p.maxTree[n + q] = q;
    for (int i = n - 1; i >= 1; --i) {
      const int a = p.minTree[2 * i], b = p.minTree[2 * i + 1];
      p.minTree[i] = y(a) < y(b) || (y(a) == y(b) && a > b) ? a : b;
      const int c = p.maxTree[2 * i], e = p.maxTree[2 * i + 1];
      p.maxTree[i] = y(c) > y(e) || (y(c) == y(e) && c > e) ? c : e;
    }
  }
}

RangeStatistics ViewStatistics::Of(const SRGraph& chart, int pair, double lo, double hi) const {
  RangeStatistics s;
  s.pair = pair;
  if (pair < 0 || pair >= PairCount()) return s;
  const Pair& p = pairs_[static_cast<std::size_t>(pair)];
  s.timeX = p.timeX;
  s.interval = p.interval;
  const auto [first, last] = index_.Within(chart, pair, lo, hi);
  s.count = last - first;
  if (s.count <= 0) return s;
  const std::vector<int>& order = index_.Order(pair);
  const std::vector<double>& xs = chart.Group(2 * pair)->values;
  const std::vector<double>& ys = chart.Group(2 * pair + 1)->values;
  const auto point = [&](int position) { return order[static_cast<std::size_t>(position)]; };
  const auto y = [&](int position) { return ys[static_cast<std::size_t>(point(position))]; };

  int minAt = -1, maxAt = -1;
  const auto takeMin = [&](int q) {
    if (minAt < 0 || y(q) < y(minAt) || (y(q) == y(minAt) && q > minAt)) minAt = q;
  };
  const auto takeMax = [&](int q) {
    if (maxAt < 0 || y(q) > y(maxAt) || (y(q) == y(maxAt) && q > maxAt)) maxAt = q;
  };
  const int n = p.size;
  for (int l = first + n, r = last + n; l < r; l >>= 1, r >>= 1) {
    if (l & 1) {
      takeMin(p.minTree[l]);
      takeMax(p.maxTree[l]);
      ++l;
    }
    if (r & 1) {
      --r;
      takeMin(p.minTree[r]);
      takeMax(p.maxTree[r]);
    }
  }
  s.min = y(minAt);
  s.max = y(maxAt);
  s.minX = xs[static_cast<std::size_t>(point(minAt))];
  s.maxX = xs[static_cast<std::size_t>(point(maxAt))];
  const auto a = static_cast<std::size_t>(first), b = static_cast<std::size_t>(last);
  s.average = p.offset + (p.sumV[b] - p.sumV[a]) / s.count;
  const double sampled = p.sumD[b] - p.sumD[a];
  if (p.timeX && sampled > 0) {
    s.hasTwa = true;
    s.twa = p.offset + (p.sumVD[b] - p.sumVD[a]) / sampled;
  }
  return s;
}

}  // namespace vantora::graph

#include "graph/viewstatistics.h"

#include <algorithm>
#include <cmath>

#include "chart/chartlayout.h"
#include "common/timetext.h"
#include "exposure/exposure.h"
#include "graph/graphbuilder.h"

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
constexpr double kSecondsPerHour = 3600.0;

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
    // A time reference on a decimal axis: hours from the location's start.
    const bool elapsed =
        !p.timeX && static_cast<std::size_t>(k) < chart.pairs.size() && chart.pairs[k].first == 0;
    p.timed = p.timeX || elapsed;
    const double secondsPerUnit = p.timeX ? kSecondsPerDay : kSecondsPerHour;
    const std::vector<double>& xs = chart.Group(2 * k)->values;
    const std::vector<double>& ys = chart.Group(2 * k + 1)->values;
    const auto y = [&](int position) {
      return ys[static_cast<std::size_t>(order[static_cast<std::size_t>(position)])];
    };

    // Record spans in file (point) order, over the series' own times.
    std::vector<double> weight(static_cast<std::size_t>(n), 0.0);
    if (p.timed && n > 0) {
      std::vector<int> byPoint(order);
      std::sort(byPoint.begin(), byPoint.end());
      std::vector<LogTime> times(byPoint.size());
      for (std::size_t j = 0; j < byPoint.size(); ++j)
        times[j] = std::llround(xs[static_cast<std::size_t>(byPoint[j])] * secondsPerUnit);
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
  s.timed = p.timed;
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
  if (p.timed && sampled > 0) {
    s.hasTwa = true;
    s.twa = p.offset + (p.sumVD[b] - p.sumVD[a]) / sampled;
  }
  return s;
}

namespace {

std::string Trimmed(std::string text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

std::string SeriesValueText(const SRGraph& chart, int k, double value, int extra) {
  const int q = chart.Series(k).decimals;
  if (q < 0) return Format("%g", value);
  const int decimals = q < 200 ? q + extra : q;
  return Trimmed(chart::FormatDecimal(ChannelScaleFormat(decimals), value));
}

std::string SeriesName(const SRGraph& chart, int k) {
  std::string name = Trimmed(chart.Annotation(2 * k + 1));
  if (name.empty()) name = Trimmed(chart.Annotation(2 * k));
  return name.empty() ? Format("Plot %i", k + 1) : name;
}

std::string XValueText(double x, bool timeX) {
  return timeX ? chart::FormatOleDate("%d-%b-%Y %H:%M:%S", x) : Format("%g", x);
}

std::vector<std::vector<std::string>> StatisticsTable(const SRGraph& chart,
                                                      const ViewStatistics& stats, double lo,
                                                      double hi) {
  std::vector<std::vector<std::string>> rows;
  rows.push_back({"Series", "Unit", "Points", "Minimum", "Minimum at", "Maximum", "Maximum at",
                  "Average", "Sample TWA"});
  for (int k = 0; k < stats.PairCount(); ++k) {
    if (chart.SeriesHidden(k)) continue;
    const RangeStatistics r = stats.Of(chart, k, lo, hi);
    std::vector<std::string> row = {SeriesName(chart, k), chart.Series(k).unit,
                                    std::to_string(r.count)};
    if (r.count == 0) {
      row.insert(row.end(), {"N/A", "", "N/A", "", "N/A", r.timed ? "N/A" : ""});
    } else {
      row.push_back(SeriesValueText(chart, k, r.min));
      row.push_back(XValueText(r.minX, r.timeX));
      row.push_back(SeriesValueText(chart, k, r.max));
      row.push_back(XValueText(r.maxX, r.timeX));
      row.push_back(SeriesValueText(chart, k, r.average, 1));
      row.push_back(!r.timed ? "" : r.hasTwa ? SeriesValueText(chart, k, r.twa, 1) : "N/A");
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

std::string TabSeparated(const std::vector<std::vector<std::string>>& rows) {
  std::string text;
  for (const auto& row : rows) {
    for (std::size_t i = 0; i < row.size(); ++i) {
      if (i > 0) text += '\t';
      text += row[i];
    }
    text += "\r\n";
  }
  return text;
}

}  // namespace vantora::graph

#include "chart/seriesindex.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "chart/chartinteract.h"

namespace vantora::chart {

namespace {

const std::vector<double>& ValuesOf(const SRGraph& chart, int group) {
  static const std::vector<double> none;
  const DataGroup* g = chart.Group(group);
  return g ? g->values : none;
}

}  // namespace

void SeriesIndex::Update(const SRGraph& chart) {
  if (revision_ == chart.Revision()) return;
  revision_ = chart.Revision();
  const int pairs = chart.GroupCount() / 2;
  order_.assign(static_cast<std::size_t>(pairs), {});
  aligned_ = true;
  std::size_t longest = 0;
  for (int k = 0; k < pairs; ++k) longest = std::max(longest, ValuesOf(chart, 2 * k).size());
  const double nan = std::numeric_limits<double>::quiet_NaN();
  std::vector<double> records(longest, nan);

  for (int k = 0; k < pairs; ++k) {
    const std::vector<double>& xs = ValuesOf(chart, 2 * k);
    const std::vector<double>& ys = ValuesOf(chart, 2 * k + 1);
    std::vector<int>& order = order_[static_cast<std::size_t>(k)];
    const std::size_t count = std::min(xs.size(), ys.size());
    order.reserve(count);
    bool ascending = true;
    for (std::size_t i = 0; i < xs.size(); ++i) {
      const double x = xs[i];
      if (!std::isfinite(x)) continue;
      if (std::isnan(records[i]))
        records[i] = x;
      else if (records[i] != x)
        aligned_ = false;
      if (i >= count || !std::isfinite(ys[i])) continue;
      if (!order.empty() && xs[static_cast<std::size_t>(order.back())] > x) ascending = false;
      order.push_back(static_cast<int>(i));
    }
    if (!ascending)
      std::stable_sort(order.begin(), order.end(), [&xs](int a, int b) {
        return xs[static_cast<std::size_t>(a)] < xs[static_cast<std::size_t>(b)];
      });
  }
  recordX_.clear();
  if (aligned_) {
    for (double x : records)
      if (!std::isnan(x)) recordX_.push_back(x);
    if (!std::is_sorted(recordX_.begin(), recordX_.end()))
      std::sort(recordX_.begin(), recordX_.end());
  }
}

const std::vector<int>& SeriesIndex::Order(int pair) const {
  static const std::vector<int> none;
  return pair >= 0 && pair < PairCount() ? order_[static_cast<std::size_t>(pair)] : none;
}

int SeriesIndex::Nearest(const SRGraph& chart, int pair, double x) const {
  const std::vector<int>& order = Order(pair);
  if (order.empty() || std::isnan(x)) return -1;
  const std::vector<double>& xs = ValuesOf(chart, 2 * pair);
  const auto at = [&](int position) {
    return xs[static_cast<std::size_t>(order[static_cast<std::size_t>(position)])];
  };
  // The first point at or right of x, and the one before it.
  const auto it = std::lower_bound(order.begin(), order.end(), x, [&xs](int i, double v) {
    return xs[static_cast<std::size_t>(i)] < v;
  });
  int right = static_cast<int>(it - order.begin());
  if (right == static_cast<int>(order.size())) return right - 1;
  if (right == 0) return 0;
  // Of equal X on the left, the first.
  int left = right - 1;
  const double leftX = at(left);
  if (x - leftX <= at(right) - x) {
    while (left > 0 && at(left - 1) == leftX) --left;
    return left;
  }
  return right;
}

std::pair<int, int> SeriesIndex::Within(const SRGraph& chart, int pair, double lo,
                                        double hi) const {
  const std::vector<int>& order = Order(pair);
  if (order.empty() || !(lo <= hi)) return {0, 0};
  const std::vector<double>& xs = ValuesOf(chart, 2 * pair);
  const auto first = std::lower_bound(order.begin(), order.end(), lo, [&xs](int i, double v) {
    return xs[static_cast<std::size_t>(i)] < v;
  });
  const auto last = std::upper_bound(first, order.end(), hi, [&xs](double v, int i) {
    return v < xs[static_cast<std::size_t>(i)];
  });
  return {static_cast<int>(first - order.begin()), static_cast<int>(last - order.begin())};
}

int SeriesIndex::RecordsWithin(const SRGraph& chart, double lo, double hi) const {
  if (!(lo <= hi)) return 0;
  if (aligned_) {
    const auto first = std::lower_bound(recordX_.begin(), recordX_.end(), lo);
    const auto last = std::upper_bound(first, recordX_.end(), hi);
    return static_cast<int>(last - first);
  }
  int sum = 0;
  for (int k = 0; k < PairCount(); ++k) {
    const auto [first, last] = Within(chart, k, lo, hi);
    sum += last - first;
  }
  return sum;
}

Readout ReadoutAt(const SRGraph& chart, const SeriesIndex& index, int px, int py,
                  const std::vector<bool>& shown) {
  Readout out;
  const int display = DisplayAt(chart, px, py);
  if (display < 0) return out;
  const SRGCompoundDisplay* d = chart.Display(display);
  out.display = display;
  out.mouseX = PixelToX(d->plotArea, DrawnXRange(chart, display), px);
  const auto isShown = [&shown](int k) {
    return k >= static_cast<int>(shown.size()) || shown[static_cast<std::size_t>(k)];
  };
  const int pairs = index.PairCount();
  std::vector<int> nearest(static_cast<std::size_t>(pairs), -1);
  double bestDistance = std::numeric_limits<double>::infinity();
  for (int k = 0; k < pairs; ++k) {
    if (!isShown(k)) continue;
    const int p = index.Nearest(chart, k, out.mouseX);
    if (p < 0) continue;
    const int i = index.Order(k)[static_cast<std::size_t>(p)];
    nearest[static_cast<std::size_t>(k)] = i;
    const double distance = std::abs(chart.Value(i, 2 * k) - out.mouseX);
    if (distance < bestDistance) {
      bestDistance = distance;
      out.index = i;
      out.pair = k;
      out.x = chart.Value(i, 2 * k);
    }
  }
  if (out.index < 0) return out;
  out.valid = true;
  for (int k = 0; k < pairs; ++k) {
    if (!isShown(k)) continue;
    ReadoutValue v;
    v.pair = k;
    if (index.Aligned()) {
      // The same record in every pair: its value there, or nothing plotted.
      v.index = out.index;
      const double x = chart.Value(out.index, 2 * k), y = chart.Value(out.index, 2 * k + 1);
      v.plotted = std::isfinite(x) && std::isfinite(y);
      v.y = v.plotted ? y : 0;
    } else if (const int i = nearest[static_cast<std::size_t>(k)]; i >= 0) {
      // Records of their own (other locations): the nearest one, while the
      // record's X lies within the pair's points.
      const std::vector<int>& order = index.Order(k);
      const double first = chart.Value(order.front(), 2 * k);
      const double last = chart.Value(order.back(), 2 * k);
      v.index = i;
      v.plotted = out.x >= first && out.x <= last;
      v.y = v.plotted ? chart.Value(i, 2 * k + 1) : 0;
    }
    out.values.push_back(v);
  }
  return out;
}

}  // namespace vantora::chart

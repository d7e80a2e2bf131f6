// Every pair's plotted points in X order, built once per chart revision, and
// what the mouse readout finds in it: the record nearest the mouse and each
// series' value there, by binary search instead of a scan of the data.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "chart/srgraph.h"

namespace vantora::chart {

class SeriesIndex {
 public:
  // Rebuilds from `chart` when its data changed since the last call (or it
  // is another chart); cheap otherwise.
  void Update(const SRGraph& chart);
  std::uint64_t Revision() const { return revision_; }

  int PairCount() const { return static_cast<int>(order_.size()); }
  // Point indices of pair k's plotted points (both values finite), in
  // ascending X (equal X in point order). Empty for an unknown pair.
  const std::vector<int>& Order(int pair) const;
  // Position in Order(pair) of the point whose X is nearest `x` (of two
  // equally near, the first), or -1 when the pair has no point. `chart` is
  // the chart last given to Update.
  int Nearest(const SRGraph& chart, int pair, double x) const;
  // Positions [first, last) in Order(pair) of the points with X in [lo, hi].
  std::pair<int, int> Within(const SRGraph& chart, int pair, double lo, double hi) const;

  // Whether a point index names one record across every pair: wherever two
  // pairs both have an X at index i, it is the same value (one location's
  // records against one X parameter).
  bool Aligned() const { return aligned_; }
  // Number of records (point indices with an X in some pair) whose X lies in
  // [lo, hi]; for a chart that is not aligned, the sum of every pair's points
  // there.
  int RecordsWithin(const SRGraph& chart, double lo, double hi) const;

 private:
  std::uint64_t revision_ = 0;
  std::vector<std::vector<int>> order_;
  bool aligned_ = true;
  std::vector<double> recordX_;  // aligned: ascending X of every record that has one
};

// The mouse readout: the record nearest the mouse's X in the display under
// it, and each shown pair's value at that record.
struct ReadoutValue {
  int pair = -1;
  int index = -1;  // the pair's point index shown (the record)
  bool plotted = false;
  double y = 0;  // when plotted
};
struct Readout {
  bool valid = false;
  int display = -1;                  // the compound display under the mouse
  double mouseX = 0;                 // data X under the mouse
  int index = -1;                    // point index of the nearest record
  double x = 0;                      // its X value
  int pair = -1;                     // the pair it was found in
  std::vector<ReadoutValue> values;  // the shown pairs, in pair order
};
// `shown[k]` false leaves pair k out (a hidden series); pairs past its end
// are shown. Nothing valid outside every plot area or without any point.
Readout ReadoutAt(const SRGraph& chart, const SeriesIndex& index, int px, int py,
                  const std::vector<bool>& shown = {});

}  // namespace vantora::chart

// Statistics of each series over an X range of a chart (the part a zoomed
// graph shows): count, minimum and maximum with their X, average and, when X
// is time, the sample-period time-weighted average of the exposure engine
// (each point weighted by its record's span d_r, the logging interval from
// the series' own times). Built once per chart revision: prefix sums and
// minimum/maximum trees over every series' points in X order, so a range
// costs O(log n), not a scan.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "chart/seriesindex.h"
#include "chart/srgraph.h"

namespace vantora::graph {

struct RangeStatistics {
  int pair = -1;
  int count = 0;  // points with X in the range; the rest below needs count > 0
  double min = 0, max = 0;
  double minX = 0, maxX = 0;  // of equal extremes, the last in X
  double average = 0;
  bool timeX = false;   // X holds OLE dates
  bool timed = false;   // X is time: OLE dates, or hours from a location's start
  bool hasTwa = false;  // timed X with sampled time in the range
  double twa = 0;
  std::int64_t interval = 0;  // the series' logging interval, seconds (time X)
};

class ViewStatistics {
 public:
  // Rebuilds when the chart's data changed since the last call.
  void Update(const chart::SRGraph& chart);
  // Pair k over X in [lo, hi]; `chart` is the one last given to Update.
  RangeStatistics Of(const chart::SRGraph& chart, int pair, double lo, double hi) const;
  const chart::SeriesIndex& Index() const { return index_; }
  int PairCount() const { return static_cast<int>(pairs_.size()); }

 private:
  struct Pair {
    bool timeX = false;
    bool timed = false;
    std::int64_t interval = 0;
    double offset = 0;  // subtracted from every value before summing
    // Prefix sums over the points in X order: values, values x d_r / I, d_r / I.
    std::vector<double> sumV, sumVD, sumD;
    // Bottom-up trees of positions of the minimum and maximum.
    std::vector<int> minTree, maxTree;
    int size = 0;
  };
  std::uint64_t revision_ = 0;
  chart::SeriesIndex index_;
  std::vector<Pair> pairs_;
};

// Text of a value of series k: its channel's precision (as the location's
// statistics write it: `extra` more decimals for a fixed-point precision),
// else six significant digits.
std::string SeriesValueText(const chart::SRGraph& chart, int k, double value, int extra = 0);
// The name series k goes by: its legend text, else "Plot <k+1>".
std::string SeriesName(const chart::SRGraph& chart, int k);
// Text of an X value: a date and time for time X, else a number.
std::string XValueText(double x, bool timeX);

// The statistics of every shown series over X in [lo, hi] as text cells
// (Windows-1252): a heading row, then one row per series that is not hidden:
// name, unit, points, minimum, its X, maximum, its X, average, sample TWA
// ("N/A" without points; the TWA empty when X is no time).
std::vector<std::vector<std::string>> StatisticsTable(const chart::SRGraph& chart,
                                                      const ViewStatistics& stats, double lo,
                                                      double hi);
// Cells joined by tabs, rows ending in CR LF.
std::string TabSeparated(const std::vector<std::vector<std::string>>& rows);

}  // namespace vantora::graph

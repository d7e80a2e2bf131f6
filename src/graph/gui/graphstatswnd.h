// View Statistics: a small window beside a graph listing, for the X range
// the graph shows, each shown series' minimum and maximum with their times,
// average and sample TWA. Its graph window refreshes it after every change of
// the range; Copy puts the table on the clipboard as tab-separated text.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "chart/srgraph.h"
#include "graph/viewstatistics.h"

class QLabel;
class QTableWidget;

namespace vantora {

class CGraphStatisticsWnd : public QDialog {
  Q_OBJECT
 public:
  explicit CGraphStatisticsWnd(QWidget* parent = nullptr);

  // Recomputes the table for `chart` over X in [lo, hi]; `range` is the
  // range's text for the heading.
  void Refresh(const chart::SRGraph& chart, double lo, double hi, const std::string& range);
  // The table as copied: tab-separated cells, CR LF line ends.
  std::string Text() const { return graph::TabSeparated(rows_); }
  const std::vector<std::vector<std::string>>& Rows() const { return rows_; }
  void Copy();

 private:
  graph::ViewStatistics stats_;
  std::vector<std::vector<std::string>> rows_;
  QLabel* range_ = nullptr;
  QTableWidget* table_ = nullptr;
};

}  // namespace vantora

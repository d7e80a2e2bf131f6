#include "graph/gui/graphstatswnd.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "common/gui/framework.h"
#include "common/gui/qtstrings.h"

namespace vantora {

CGraphStatisticsWnd::CGraphStatisticsWnd(QWidget* parent) : QDialog(parent) {
  setObjectName("GraphStatistics");
  setWindowTitle("View Statistics");
  setModal(false);
  setAttribute(Qt::WA_DeleteOnClose);
  auto* layout = new QVBoxLayout(this);
  range_ = new QLabel(this);
  range_->setObjectName("range");
  layout->addWidget(range_);
  table_ = new QTableWidget(this);
  table_->setObjectName("table");
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setSelectionMode(QAbstractItemView::NoSelection);
  table_->setFocusPolicy(Qt::NoFocus);
  table_->verticalHeader()->hide();
  layout->addWidget(table_, 1);
  auto* buttons = new QDialogButtonBox(this);
  QPushButton* copy = buttons->addButton("&Copy", QDialogButtonBox::ActionRole);
  copy->setObjectName("copyButton");
  QPushButton* close = buttons->addButton(QDialogButtonBox::Close);
  connect(copy, &QPushButton::clicked, this, &CGraphStatisticsWnd::Copy);
  connect(close, &QPushButton::clicked, this, &QDialog::close);
  layout->addWidget(buttons);
  resize(720, 220);
}

void CGraphStatisticsWnd::Refresh(const chart::SRGraph& chart, double lo, double hi,
                                  const std::string& range) {
  stats_.Update(chart);
  rows_ = graph::StatisticsTable(chart, stats_, lo, hi);
  range_->setText(ToQt(range));
  const int columns = rows_.empty() ? 0 : static_cast<int>(rows_.front().size());
  table_->setColumnCount(columns);
  table_->setRowCount(rows_.empty() ? 0 : static_cast<int>(rows_.size()) - 1);
  for (int c = 0; c < columns; ++c)
    table_->setHorizontalHeaderItem(c, new QTableWidgetItem(ToQt(rows_[0][c])));
  for (std::size_t r = 1; r < rows_.size(); ++r) {
    for (int c = 0; c < columns && c < static_cast<int>(rows_[r].size()); ++c) {
      auto* item = new QTableWidgetItem(ToQt(rows_[r][static_cast<std::size_t>(c)]));
      if (c >= 2) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      table_->setItem(static_cast<int>(r) - 1, c, item);
    }
  }
  table_->resizeColumnsToContents();
  // Wide enough for every column, as far as the screen allows.
  int wanted = 2 * table_->frameWidth() + layout()->contentsMargins().left() +
               layout()->contentsMargins().right() + 4;
  for (int c = 0; c < columns; ++c) wanted += table_->columnWidth(c);
  if (const QScreen* screen = this->screen())
    wanted = std::min(wanted, screen->availableGeometry().width() * 9 / 10);
  if (wanted > width()) resize(wanted, height());
}

void CGraphStatisticsWnd::Copy() { SetClipboardText(Text()); }

}  // namespace vantora

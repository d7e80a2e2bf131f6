#include "exposure/gui/exposurewindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "common/gui/framework.h"
#include "common/gui/qtstrings.h"
#include "common/logdata.h"
#include "exposure/gui/limitstore.h"
#include "model/vocabulary.h"

namespace vantora::exposure {

namespace {

QString Utf8(const std::string& text) { return QString::fromStdString(text); }

int Column(const ExposureTable& table, const char* name) {
  auto it = std::find(table.heading.begin(), table.heading.end(), name);
  return it == table.heading.end() ? -1 : static_cast<int>(it - table.heading.begin());
}

std::string NotesText(const LocationResult& result) {
  std::string text;
  const std::vector<std::string> sources = SourceLines(result);
  if (sources.empty()) {
    text = "No limit of this set bears on the location's channels.\n";
  } else {
    text = "Limits:\n";
    for (const std::string& s : sources) text += "  " + s + "\n";
  }
  return text + "\nMethod\n\n" + MethodText();
}

}  // namespace

QColor VerdictColour(Verdict verdict) {
  std::uint8_t r = 0, g = 0, b = 0;
  return VerdictBackground(verdict, r, g, b) ? QColor(r, g, b) : QColor();
}

ExposureWindow::ExposureWindow(const CLogData& log, const std::string& title, QWidget* parent)
    : QWidget(parent, Qt::Window) {
  setObjectName("ExposureWindow");
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle("Exposure - " + ToQt(title));
  {
    CWaitCursor wait;
    ReadRecording(log, recording_);
  }
  unreadRecords_ = recording_.recordCount - static_cast<int>(recording_.times.size());

  chooser_ = new QComboBox(this);
  chooser_->setObjectName("LimitSet");
  chooser_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  copy_ = new QPushButton("&Copy", this);
  copy_->setObjectName("Copy");
  copy_->setToolTip("Copy the table to the clipboard as tab-separated text");
  summary_ = new QLabel(this);
  summary_->setObjectName("Summary");
  summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  notice_ = new QLabel(this);
  notice_->setObjectName("Notice");
  notice_->setWordWrap(true);
  notice_->setStyleSheet("QLabel { color: #8a4b00; }");
  tableWidget_ = new QTableWidget(this);
  tableWidget_->setObjectName("ExposureTable");
  tableWidget_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  tableWidget_->setSelectionMode(QAbstractItemView::ContiguousSelection);
  tableWidget_->verticalHeader()->setVisible(false);
  tableWidget_->setWordWrap(true);
  notes_ = new QPlainTextEdit(this);
  notes_->setObjectName("Notes");
  notes_->setReadOnly(true);

  auto* top = new QHBoxLayout;
  auto* setLabel = new QLabel("&Limit set:", this);
  setLabel->setBuddy(chooser_);
  top->addWidget(setLabel);
  top->addWidget(chooser_);
  top->addStretch(1);
  top->addWidget(copy_);
  auto* splitter = new QSplitter(Qt::Vertical, this);
  splitter->addWidget(tableWidget_);
  splitter->addWidget(notes_);
  splitter->setStretchFactor(0, 3);
  splitter->setStretchFactor(1, 2);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(summary_);
  layout->addWidget(notice_);
  layout->addWidget(splitter, 1);

  connect(chooser_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (!filling_ && index >= 0) ChooseSet(chooser_->itemData(index).toString().toStdString());
  });
  connect(copy_, &QPushButton::clicked, this, &ExposureWindow::Copy);
  // Ctrl+C on the table copies it whole, as the button does.
  auto* copyKey = new QShortcut(QKeySequence::Copy, tableWidget_);
  copyKey->setContext(Qt::WidgetShortcut);
  connect(copyKey, &QShortcut::activated, this, &ExposureWindow::Copy);

  limits_ = CurrentLimits();
  const LimitSet* set = ChosenLimitSet(*limits_);
  setName_ = set ? set->name : std::string();
  FillChooser();
  Recompute();

  resize(720, 680);
  FitTable();
}

ExposureWindow::~ExposureWindow() = default;

void ExposureWindow::closeEvent(QCloseEvent* event) {
  closed_ = true;
  QWidget::closeEvent(event);
}

void ExposureWindow::FillChooser() {
  filling_ = true;
  chooser_->clear();
  for (const LimitSet& s : limits_->library.Sets()) {
    const bool own = std::find(limits_->userSets.begin(), limits_->userSets.end(), s.name) !=
                     limits_->userSets.end();
    chooser_->addItem(Utf8(s.name + (own ? " (your set)" : "")), Utf8(s.name));
  }
  if (chooser_->count() == 0) chooser_->addItem("(no limit set could be read)", QString());
  chooser_->setEnabled(!limits_->library.Sets().empty());
  const int index = chooser_->findData(Utf8(setName_));
  chooser_->setCurrentIndex(std::max(index, 0));
  filling_ = false;
}

void ExposureWindow::ChooseSet(const std::string& name) {
  if (!limits_->library.Find(name)) return;
  setName_ = limits_->library.Find(name)->name;
  StoreChosenLimitSet(setName_);
  filling_ = true;
  chooser_->setCurrentIndex(std::max(chooser_->findData(Utf8(setName_)), 0));
  filling_ = false;
  Recompute();
}

void ExposureWindow::Refresh() {
  limits_ = CurrentLimits();
  if (setName_.empty() || !limits_->library.Find(setName_)) {
    const LimitSet* set = ChosenLimitSet(*limits_);
    setName_ = set ? set->name : std::string();
  } else {
    setName_ = limits_->library.Find(setName_)->name;
  }
  FillChooser();
  Recompute();
}

void ExposureWindow::Recompute() {
  CWaitCursor wait;
  const LimitSet* set = setName_.empty() ? nullptr : limits_->library.Find(setName_);
  result_ = Assess(recording_, set, TheParamNames().compounds());
  table_ = BuildTable(result_);
  FillTable();

  std::string summary;
  for (const std::string& line : LocationSummaryLines(result_, set ? set->name : "none"))
    summary += (summary.empty() ? "" : "\n") + line;
  summary_->setText(Utf8(summary));
  std::string notice;
  if (unreadRecords_ > 0)
    notice = std::to_string(unreadRecords_) +
             (unreadRecords_ == 1 ? " record of this location could not be read and is"
                                  : " records of this location could not be read and are") +
             " left out of every result.";
  if (!set)
    notice += std::string(notice.empty() ? "" : " ") +
              "No limit set could be read: nothing is compared with a limit.";
  notice_->setText(Utf8(notice));
  notice_->setVisible(!notice.empty());
  notes_->setPlainText(Utf8(NotesText(result_)));
  FitTable();
}

void ExposureWindow::FillTable() {
  const int verdictColumn = Column(table_, "Verdict");
  const int limitColumn = Column(table_, "Limit");
  const int resultColumn = Column(table_, "Result");
  tableWidget_->clear();
  tableWidget_->setColumnCount(static_cast<int>(table_.heading.size()));
  QStringList heading;
  for (const std::string& h : table_.heading) heading << Utf8(h);
  tableWidget_->setHorizontalHeaderLabels(heading);
  tableWidget_->setRowCount(static_cast<int>(table_.rows.size()));
  for (int r = 0; r < static_cast<int>(table_.rows.size()); ++r) {
    const TableRow& row = table_.rows[static_cast<std::size_t>(r)];
    for (int c = 0; c < static_cast<int>(row.cells.size()); ++c) {
      auto* item = new QTableWidgetItem(Utf8(row.cells[static_cast<std::size_t>(c)]));
      item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
      QColor colour;
      if (c == verdictColumn && row.channelRow) colour = VerdictColour(row.verdict);
      if ((c == limitColumn || c == resultColumn) && row.limitExceeded)
        colour = VerdictColour(Verdict::Exceeded);
      if (colour.isValid()) {
        item->setBackground(colour);
        item->setForeground(QColor(Qt::black));
      }
      if (row.channelRow && c == 0) {
        QFont bold = item->font();
        bold.setBold(true);
        item->setFont(bold);
      }
      tableWidget_->setItem(r, c, item);
    }
  }
  tableWidget_->resizeColumnsToContents();
  // Long results and reasons wrap, so that the verdicts stay in sight.
  const int widest = tableWidget_->fontMetrics().averageCharWidth() * 56;
  for (int c : {resultColumn, verdictColumn})
    if (c >= 0 && tableWidget_->columnWidth(c) > widest) tableWidget_->setColumnWidth(c, widest);
  tableWidget_->resizeRowsToContents();
  tableWidget_->horizontalHeader()->setStretchLastSection(true);
}

void ExposureWindow::FitTable() {
  // Wider, where the screen allows, until the whole table shows.
  if (isMaximized() || isFullScreen()) return;
  int width =
      2 * tableWidget_->frameWidth() + tableWidget_->verticalScrollBar()->sizeHint().width();
  for (int c = 0; c < tableWidget_->columnCount(); ++c) width += tableWidget_->columnWidth(c);
  if (layout()) width += layout()->contentsMargins().left() + layout()->contentsMargins().right();
  if (QScreen* screen = QApplication::primaryScreen())
    width = std::min(width, screen->availableSize().width() * 19 / 20);
  if (width > this->width()) resize(width, height());
}

void ExposureWindow::Copy() {
  if (!SetClipboardTextUtf8(TabSeparatedText(table_))) {
    AfxMessageBox("The clipboard is not available.", MsgIcon::Exclamation);
    return;
  }
  AfxMessageBox("Copied to clipboard.", MsgIcon::Information);
}

ExposureWindow* ShowExposureWindow(CView& view, const CLogData& log) {
  for (QObject* child : view.children()) {
    auto* window = qobject_cast<ExposureWindow*>(child);
    if (!window || window->IsClosed()) continue;
    window->showNormal();
    window->raise();
    window->activateWindow();
    return window;
  }
  if (ReloadLimitsIfChanged()) RefreshExposureWindows();
  CDocument* doc = view.GetDocument();
  auto* window = new ExposureWindow(log, doc ? doc->GetTitle() : log.path, &view);
  window->show();
  return window;
}

std::vector<ExposureWindow*> ExposureWindows() {
  std::vector<ExposureWindow*> windows;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* window = qobject_cast<ExposureWindow*>(w))
      if (!window->IsClosed()) windows.push_back(window);
  return windows;
}

void RefreshExposureWindows() {
  for (ExposureWindow* window : ExposureWindows()) window->Refresh();
}

}  // namespace vantora::exposure

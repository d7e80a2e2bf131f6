#include "graph/gui/creategraphdlg.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "common/gui/framework.h"
#include "common/gui/qtstrings.h"
#include "common/pathutil.h"
#include "graph/graphchecks.h"
#include "graph/graphdocument.h"

namespace vantora::graph {

namespace {

constexpr const char* kTimeItem = "Time (H:M:S) ";
constexpr int kTitleLimit = 50;

CreateGraphDialogHook& DialogHook() {
  static CreateGraphDialogHook hook;
  return hook;
}

void AddItem(QListWidget* list, const QString& text, int ref) {
  auto* item = new QListWidgetItem(text, list);
  item->setData(Qt::UserRole, ref);
}

std::vector<int> References(const QListWidget* list) {
  std::vector<int> refs;
  for (int i = 0; i < list->count(); ++i) refs.push_back(list->item(i)->data(Qt::UserRole).toInt());
  return refs;
}

QCheckBox* Check(const char* text, const char* name, bool on, QWidget* parent) {
  auto* box = new QCheckBox(text, parent);
  box->setObjectName(name);
  box->setChecked(on);
  return box;
}

QPushButton* Button(const char* text, const char* name, QWidget* parent) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(name);
  button->setAutoDefault(false);
  return button;
}

}  // namespace

CCreateGraphDlg::CCreateGraphDlg(const CLogData& log, const ColumnSelection& selection,
                                 GraphSettings& settings, QWidget* parent)
    : QDialog(parent), log_(log), settings_(settings) {
  setObjectName("CreateGraphDlg");
  setWindowTitle("Create Graph");
  settings_.title = AbbreviatePath(log_.path, 23);
  mode_ =
      settings_.mode == kModeMultiY || settings_.mode == kModeStrip ? settings_.mode : kModeSingleY;

  tabs_ = new QTabWidget(this);
  tabs_->setObjectName("tabs");
  tabs_->addTab(MakeAxesPage(), "Axes");
  tabs_->addTab(MakeOptionsPage(), "Options");
  tabs_->addTab(MakeTitlePage(), "Title");

  create_ = new QPushButton("Create", this);
  create_->setObjectName("createButton");
  create_->setDefault(true);
  auto* cancel = Button("Cancel", "cancelButton", this);
  connect(create_, &QPushButton::clicked, this, &CCreateGraphDlg::OnCreate);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(create_);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs_);
  layout->addLayout(buttons);

  FillLists(selection);
  UpdateButtons();
}

QWidget* CCreateGraphDlg::MakeAxesPage() {
  auto* page = new QWidget;
  page->setObjectName("axesPage");
  parameters_ = new QListWidget(page);
  parameters_->setObjectName("parameterList");
  xList_ = new QListWidget(page);
  xList_->setObjectName("xList");
  xList_->setSelectionMode(QAbstractItemView::NoSelection);
  xList_->setMaximumHeight(xList_->fontMetrics().height() * 2 + 8);
  yList_ = new QListWidget(page);
  yList_->setObjectName("yList");
  set_ = Button("Set->", "setButton", page);
  add_ = Button("Add->", "addButton", page);
  remove_ = Button("Remove", "removeButton", page);

  auto* modeBox = new QGroupBox(page);
  modeBox->setObjectName("modeGroup");
  modes_ = new QButtonGroup(page);
  auto* modeLayout = new QHBoxLayout(modeBox);
  const struct {
    const char* text;
    const char* name;
    int mode;
  } radios[] = {{"Single Y", "singleY", kModeSingleY},
                {"Multi Y", "multiY", kModeMultiY},
                {"Strip Graph", "strip", kModeStrip}};
  for (const auto& r : radios) {
    auto* radio = new QRadioButton(r.text, modeBox);
    radio->setObjectName(r.name);
    radio->setChecked(r.mode == mode_);
    modes_->addButton(radio, r.mode);
    modeLayout->addWidget(radio);
  }
  legend_ = Check("Legend", "legend", settings_.legend != 0, page);
  modeLayout->addWidget(legend_);

  auto* grid = new QGridLayout(page);
  grid->addWidget(new QLabel("Measurement Parameters", page), 0, 0);
  grid->addWidget(parameters_, 1, 0, 4, 1);
  grid->addWidget(set_, 1, 1);
  grid->addWidget(new QLabel("X Axis", page), 0, 2);
  grid->addWidget(xList_, 1, 2);
  grid->addWidget(add_, 3, 1);
  grid->addWidget(remove_, 4, 1, Qt::AlignTop);
  grid->addWidget(new QLabel("Y Axes", page), 2, 2);
  grid->addWidget(yList_, 3, 2, 2, 1);
  grid->addWidget(modeBox, 5, 0, 1, 3);
  grid->setRowStretch(4, 1);

  connect(parameters_, &QListWidget::itemSelectionChanged, this,
          &CCreateGraphDlg::OnParameterSelected);
  connect(yList_, &QListWidget::itemSelectionChanged, this, &CCreateGraphDlg::OnYSelected);
  connect(set_, &QPushButton::clicked, this, &CCreateGraphDlg::OnSet);
  connect(add_, &QPushButton::clicked, this, &CCreateGraphDlg::OnAdd);
  connect(remove_, &QPushButton::clicked, this, &CCreateGraphDlg::OnRemove);
  connect(modes_, &QButtonGroup::idClicked, this, [this](int mode) {
    mode_ = mode;
    UpdateButtons();
  });
  return page;
}

QWidget* CCreateGraphDlg::MakeOptionsPage() {
  auto* page = new QWidget;
  page->setObjectName("optionsPage");
  xGrid_ = Check("X Axis Grid", "xGrid", settings_.xGrid, page);
  yGrid_ = Check("Y Axis grid", "yGrid", settings_.yGrid, page);
  lines_ = Check("Lines", "lines", settings_.lines, page);
  markers_ = Check("Markers", "markers", settings_.markers, page);
  xLabels_ = Check("X Labels", "xLabels", settings_.xLabels, page);
  yLabels_ = Check("Y Labels", "yLabels", settings_.yLabels, page);
  dateOnX_ = Check("X Axis Date", "dateOnX", settings_.dateOnX, page);
  limitLines_ = Check("Limit lines", "limitLines", settings_.limitLines, page);
  auto* layout = new QVBoxLayout(page);
  for (QCheckBox* box :
       {xGrid_, yGrid_, lines_, markers_, xLabels_, yLabels_, dateOnX_, limitLines_})
    layout->addWidget(box);
  layout->addStretch(1);
  return page;
}

QWidget* CCreateGraphDlg::MakeTitlePage() {
  auto* page = new QWidget;
  page->setObjectName("titlePage");
  showTitle_ = Check("Show Title", "showTitle", settings_.showTitle, page);
  title_ = new QLineEdit(page);
  title_->setObjectName("titleEdit");
  title_->setMaxLength(kTitleLimit);
  title_->setText(ToQt(settings_.title));
  auto* row = new QHBoxLayout;
  row->addWidget(new QLabel("Title:", page));
  row->addWidget(title_, 1);
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(showTitle_);
  layout->addLayout(row);
  layout->addStretch(1);
  return page;
}

void CCreateGraphDlg::FillLists(const ColumnSelection& selection) {
  parameters_->clear();
  xList_->clear();
  yList_->clear();
  const QString timeText = kTimeItem;
  AddItem(parameters_, timeText, 0);
  const int channels = std::clamp(log_.ChannelCount(), 0, kMaxChannels);
  std::vector<QString> names;
  for (int c = 0; c < channels; ++c) {
    std::string name;
    log_.GetChannelName(c, name);
    names.push_back(ToQt(name));
    AddItem(parameters_, names.back(), c + 1);
  }
  // Time is the X offered first, whatever columns are selected: readings
  // drawn against the first selected channel make a scribble. The selected
  // channels are the Y parameters.
  AddItem(xList_, timeText, 0);
  for (int c = 0; c < channels; ++c)
    if (selection.IsSelected(c) && yList_->count() < kMaxYParams)
      AddItem(yList_, names[static_cast<std::size_t>(c)], c + 1);
  parameterRow_ = -1;
  yRow_ = -1;
}

std::vector<int> CCreateGraphDlg::XReferences() const { return References(xList_); }
std::vector<int> CCreateGraphDlg::YReferences() const { return References(yList_); }

void CCreateGraphDlg::OnParameterSelected() {
  const auto selected = parameters_->selectedItems();
  parameterRow_ = selected.isEmpty() ? -1 : parameters_->row(selected.first());
  UpdateButtons();
}

void CCreateGraphDlg::OnYSelected() {
  const auto selected = yList_->selectedItems();
  yRow_ = selected.isEmpty() ? -1 : yList_->row(selected.first());
  UpdateButtons();
}

void CCreateGraphDlg::OnSet() {
  if (parameterRow_ < 0) return;
  const QListWidgetItem* parameter = parameters_->item(parameterRow_);
  xList_->clear();
  AddItem(xList_, parameter->text(), parameter->data(Qt::UserRole).toInt());
  UpdateButtons();
}

void CCreateGraphDlg::OnAdd() {
  if (parameterRow_ < 0 || yList_->count() >= kMaxYParams) return;
  const QListWidgetItem* parameter = parameters_->item(parameterRow_);
  const int ref = parameter->data(Qt::UserRole).toInt();
  const auto refs = YReferences();
  if (std::find(refs.begin(), refs.end(), ref) != refs.end()) return;
  AddItem(yList_, parameter->text(), ref);
  UpdateButtons();
}

void CCreateGraphDlg::OnRemove() {
  if (yRow_ < 0 || yRow_ >= yList_->count()) return;
  delete yList_->takeItem(yRow_);
  yList_->clearSelection();
  yList_->setCurrentItem(nullptr);
  yRow_ = -1;
  UpdateButtons();
}

void CCreateGraphDlg::UpdateButtons() {
  remove_->setEnabled(yRow_ >= 0);
  set_->setEnabled(parameterRow_ >= 0);
  add_->setEnabled(parameterRow_ >= 0 && yList_->count() < kMaxYParams);
  create_->setEnabled(xList_->count() > 0 && yList_->count() > 0);
}

void CCreateGraphDlg::OnCreate() {
  if (!create_->isEnabled()) return;
  if (!CheckTitle() || !CheckOptions() || !CheckAxes()) return;
  accept();
}

bool CCreateGraphDlg::CheckTitle() {
  settings_.showTitle = showTitle_->isChecked();
  settings_.title = FromQt(title_->text()).substr(0, kTitleLimit);
  return true;
}

bool CCreateGraphDlg::CheckOptions() {
  settings_.xGrid = xGrid_->isChecked();
  settings_.yGrid = yGrid_->isChecked();
  settings_.lines = lines_->isChecked();
  settings_.markers = markers_->isChecked();
  settings_.xLabels = xLabels_->isChecked();
  settings_.yLabels = yLabels_->isChecked();
  settings_.dateOnX = dateOnX_->isChecked();
  settings_.limitLines = limitLines_->isChecked();
  return true;
}

bool CCreateGraphDlg::CheckAxes() {
  const auto x = XReferences();
  const auto y = YReferences();
  const int yCount = std::min(static_cast<int>(y.size()), kMaxYParams);
  std::fill(std::begin(settings_.axisParams), std::end(settings_.axisParams), 0);
  settings_.axisParams[0] = x.empty() ? 0 : x.front();
  for (int k = 0; k < yCount; ++k) settings_.axisParams[k + 1] = y[static_cast<std::size_t>(k)];
  settings_.axisCount = 1 + yCount;
  settings_.mode = mode_;
  settings_.legend = legend_->isChecked() ? 1 : 0;

  const GraphChecks checks = CheckGraphSettings(log_, settings_);
  if (checks.timeNotPrimary) {
    AfxMessageBox(kTextTimeNotPrimary, MsgIcon::Exclamation, MsgButtons::Ok);
    return false;
  }
  if (checks.mixedUnits &&
      AfxMessageBox(kTextMixedUnits, MsgIcon::Exclamation, MsgButtons::YesNo) != IDYES)
    return false;
  if (checks.singleYMultiMode &&
      AfxMessageBox(kTextSingleYMultiMode, MsgIcon::Exclamation, MsgButtons::YesNo) != IDYES)
    return false;
  return true;
}

bool RunCreateGraphDialog(const CLogData& log, const ColumnSelection& selection,
                          GraphSettings& settings) {
  CCreateGraphDlg dialog(log, selection, settings, AfxGetMainWnd());
  if (DialogHook()) return DialogHook()(dialog);
  return dialog.exec() == QDialog::Accepted;
}

void SetCreateGraphDialogHook(CreateGraphDialogHook hook) { DialogHook() = std::move(hook); }

}  // namespace vantora::graph

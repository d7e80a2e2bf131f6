#include "graph/gui/comparedlg.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/gui/framework.h"
#include "common/gui/qtstrings.h"
#include "common/logfile.h"
#include "common/pathutil.h"
#include "common/platform.h"
#include "common/profile.h"
#include "common/timetext.h"
#include "location/sitetable.h"

namespace vantora {

namespace {

CompareDialogHook& DialogHook() {
  static CompareDialogHook hook;
  return hook;
}

FolderChooserHook& FolderHook() {
  static FolderChooserHook hook;
  return hook;
}

}  // namespace

void SetCompareDialogHook(CompareDialogHook hook) { DialogHook() = std::move(hook); }
void SetCompareFolderHook(FolderChooserHook hook) { FolderHook() = std::move(hook); }

CCompareDlg::CCompareDlg(const std::vector<const CLogData*>& open, QWidget* parent)
    : QDialog(parent) {
  setObjectName("CompareDlg");
  setWindowTitle("Compare Locations");
  locations = new QListWidget(this);
  locations->setObjectName("locationList");
  channels = new QListWidget(this);
  channels->setObjectName("channelList");
  elapsed = new QCheckBox("Elapsed time", this);
  elapsed->setObjectName("elapsed");
  elapsed->setToolTip("Hours from each location's first reading on X, instead of the time of day");
  auto* add = new QPushButton("Add from folder...", this);
  add->setObjectName("addFolder");
  add->setAutoDefault(false);
  create = new QPushButton("Create", this);
  create->setObjectName("createButton");
  create->setDefault(true);
  auto* cancel = new QPushButton("Cancel", this);
  cancel->setAutoDefault(false);

  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel("Locations:", this), 0, 0);
  grid->addWidget(new QLabel("Channel:", this), 0, 1);
  grid->addWidget(locations, 1, 0);
  grid->addWidget(channels, 1, 1);
  grid->addWidget(add, 2, 0, Qt::AlignLeft);
  grid->addWidget(elapsed, 2, 1);
  grid->setColumnStretch(0, 3);
  grid->setColumnStretch(1, 2);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(create);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid, 1);
  layout->addLayout(buttons);
  resize(560, 360);

  for (const CLogData* log : open)
    if (log) Offer(log, true);
  RefreshChannels();

  connect(locations, &QListWidget::itemChanged, this, [this] { RefreshChannels(); });
  connect(channels, &QListWidget::itemSelectionChanged, this, [this] { UpdateButtons(); });
  connect(add, &QPushButton::clicked, this, &CCompareDlg::ChooseFolder);
  connect(create, &QPushButton::clicked, this, [this] {
    if (create->isEnabled()) accept();
  });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

CCompareDlg::~CCompareDlg() = default;

void CCompareDlg::Offer(const CLogData* log, bool checked) {
  const std::string folder = SplitPath(log->path).first;
  auto* item = new QListWidgetItem(
      ToQt(graph::LocationTitle(log->path) + "  (" + ParentFolderName(folder) + ")"));
  item->setToolTip(ToQt(log->path));
  item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
  item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
  const QSignalBlocker quiet(locations);
  locations->addItem(item);
  logs_.push_back(log);
}

void CCompareDlg::AddFolder(const std::string& folder) {
  std::vector<std::string> problems;
  int added = 0;
  bool full = false;
  for (const std::string& name : SiteLocationFiles(folder)) {
    const std::string path = JoinPath(folder, name);
    bool known = false;
    for (const CLogData* log : logs_) known = known || SameFile(log->path, path);
    if (known) continue;
    if (static_cast<int>(logs_.size()) >= kMaxLocations) {
      full = true;
      break;
    }
    auto log = std::make_unique<CLogFile>(path);
    if (log->Problem() != LocationProblem::None) {
      problems.push_back(CannotOpenMessage(path, log->Problem()));
      continue;
    }
    Offer(log.get(), true);
    owned_.push_back(std::move(log));
    ++added;
  }
  RefreshChannels();
  std::string text;
  for (const std::string& p : problems) text += p + "\n";
  if (full) text += Format("At most %i locations can be compared.\n", kMaxLocations);
  if (added == 0 && problems.empty() && !full) text = "No new location files in " + folder + ".";
  if (!text.empty()) {
    if (text.back() == '\n') text.pop_back();
    AfxMessageBox(text, MsgIcon::Exclamation);
  }
}

void CCompareDlg::ChooseFolder() {
  std::string folder;
  if (FolderHook()) {
    folder = FolderHook()();
  } else {
    const QString chosen = QFileDialog::getExistingDirectory(
        this, "Add from folder", NativeQtPath(Profile::GetString("Directories", "Data")));
    folder = FromQtPath(chosen);
  }
  if (!folder.empty()) AddFolder(folder);
}

std::vector<graph::CompareLocation> CCompareDlg::Chosen() const {
  std::vector<graph::CompareLocation> chosen;
  for (int row = 0; row < locations->count(); ++row)
    if (locations->item(row)->checkState() == Qt::Checked)
      chosen.push_back({logs_[static_cast<std::size_t>(row)], std::string()});
  return chosen;
}

std::string CCompareDlg::Channel() const {
  const auto selected = channels->selectedItems();
  return selected.isEmpty() ? std::string() : FromQt(selected.first()->text());
}

bool CCompareDlg::Elapsed() const { return elapsed->isChecked(); }

void CCompareDlg::RefreshChannels() {
  const std::string current = Channel();
  std::vector<const CLogData*> checked;
  for (const graph::CompareLocation& c : Chosen()) checked.push_back(c.log);
  const QSignalBlocker quiet(channels);
  channels->clear();
  for (const std::string& name : graph::CompareChannels(checked)) {
    auto* item = new QListWidgetItem(ToQt(name), channels);
    if (name == current) item->setSelected(true);
  }
  if (channels->selectedItems().isEmpty() && channels->count() > 0)
    channels->item(0)->setSelected(true);
  UpdateButtons();
}

void CCompareDlg::UpdateButtons() { create->setEnabled(!Chosen().empty() && !Channel().empty()); }

bool RunCompareDialog(const std::vector<const CLogData*>& open,
                      std::vector<graph::CompareLocation>& chosen, std::string& channel,
                      bool& elapsed, std::unique_ptr<CCompareDlg>& keep) {
  keep = std::make_unique<CCompareDlg>(open, AfxGetMainWnd());
  const bool ok = DialogHook() ? DialogHook()(*keep) : keep->exec() == QDialog::Accepted;
  if (!ok) return false;
  chosen = keep->Chosen();
  channel = keep->Channel();
  elapsed = keep->Elapsed();
  return !chosen.empty() && !channel.empty();
}

}  // namespace vantora

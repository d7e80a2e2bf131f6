#include "common/gui/selectsitedlg.h"

#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QStandardPaths>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>
#include <system_error>

#include "common/gui/qtstrings.h"
#include "common/pathutil.h"
#include "common/platform.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace vantora {

namespace {

namespace fs = std::filesystem;

bool SamePathText(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (IsPathSeparator(x) && IsPathSeparator(y)) continue;
#ifdef _WIN32
    x = static_cast<char>(std::tolower(static_cast<unsigned char>(x)));
    y = static_cast<char>(std::tolower(static_cast<unsigned char>(y)));
#endif
    if (x != y) return false;
  }
  return true;
}

// Subfolder names of `folder`, hidden ones included, in name order. False
// when the folder cannot be listed at all.
bool ListSubfolders(const std::string& folder, std::vector<std::string>* names, bool firstOnly) {
  std::error_code ec;
  fs::directory_iterator it(NativePath(folder), fs::directory_options::skip_permission_denied, ec);
  if (ec) return false;
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    if (ec) break;
    std::error_code typeError;
    if (!it->is_directory(typeError)) continue;
    names->push_back(FromNativePath(it->path().filename()));
    if (firstOnly) break;
  }
  std::sort(names->begin(), names->end(), [](const std::string& a, const std::string& b) {
    return QString::compare(ToQt(a), ToQt(b), Qt::CaseInsensitive) < 0;
  });
  return true;
}

QPixmap DrawIcon(CSelectSiteDlg::Image image) {
  QPixmap pm(16, 16);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing, true);
  switch (image) {
    case CSelectSiteDlg::kFixedDrive:
    case CSelectSiteDlg::kRemovableDrive: {
      QColor body =
          image == CSelectSiteDlg::kFixedDrive ? QColor(160, 160, 170) : QColor(90, 120, 190);
      p.setPen(QColor(60, 60, 70));
      p.setBrush(body);
      p.drawRoundedRect(QRectF(1.5, 5.5, 13, 7), 1.5, 1.5);
      p.setBrush(QColor(0, 200, 0));
      p.setPen(Qt::NoPen);
      p.drawEllipse(QRectF(11, 8, 2, 2));
      if (image == CSelectSiteDlg::kRemovableDrive) {
        p.setBrush(QColor(240, 240, 240));
        p.drawRect(QRectF(3, 7, 6, 3));
      }
      break;
    }
    case CSelectSiteDlg::kCdRomDrive:
      p.setPen(QColor(80, 80, 80));
      p.setBrush(QColor(210, 210, 225));
      p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
      p.setBrush(Qt::white);
      p.drawEllipse(QRectF(6, 6, 4, 4));
      break;
    case CSelectSiteDlg::kFolder:
    case CSelectSiteDlg::kOpenFolder: {
      p.setPen(QColor(150, 110, 20));
      p.setBrush(QColor(235, 190, 70));
      QPainterPath back;
      back.moveTo(1.5, 3.5);
      back.lineTo(6, 3.5);
      back.lineTo(7.5, 5);
      back.lineTo(14.5, 5);
      back.lineTo(14.5, 13.5);
      back.lineTo(1.5, 13.5);
      back.closeSubpath();
      p.drawPath(back);
      if (image == CSelectSiteDlg::kOpenFolder) {
        p.setBrush(QColor(255, 222, 120));
        QPainterPath front;
        front.moveTo(1.5, 13.5);
        front.lineTo(4, 7.5);
        front.lineTo(15.5, 7.5);
        front.lineTo(13, 13.5);
        front.closeSubpath();
        p.drawPath(front);
      } else {
        p.drawLine(QPointF(1.5, 6.5), QPointF(14.5, 6.5));
      }
      break;
    }
  }
  return pm;
}

}  // namespace

QIcon CSelectSiteDlg::TreeIcon(Image image) {
  static QIcon icons[5];
  if (icons[image].isNull()) icons[image] = QIcon(DrawIcon(image));
  return icons[image];
}

CSelectSiteDlg::CSelectSiteDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(tr("Select Site"));
  tree_ = new QTreeWidget(this);
  tree_->setHeaderHidden(true);
  tree_->setRootIsDecorated(true);
  tree_->setSelectionMode(QAbstractItemView::SingleSelection);
  tree_->setIconSize(QSize(16, 16));
  driveList_ = new QComboBox(this);
  driveList_->setObjectName("driveList");
  tree_->setObjectName("folderTree");
  auto* ok = new QPushButton(tr("OK"), this);
  ok->setObjectName("okButton");
  ok->setDefault(true);
  auto* cancel = new QPushButton(tr("Cancel"), this);
  cancel->setObjectName("cancelButton");

  auto* driveRow = new QHBoxLayout;
  auto* label = new QLabel(tr("Drive:  "), this);
  label->setBuddy(driveList_);
  driveRow->addWidget(label);
  driveRow->addWidget(driveList_, 1);
  driveRow->addStretch();
  driveRow->addWidget(ok);
  driveRow->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(driveRow);
  layout->addWidget(tree_, 1);
  resize(420, 330);

  connect(ok, &QPushButton::clicked, this, &CSelectSiteDlg::accept);
  // Cancel (and Escape, closing the window) keeps `path` as it was.
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(tree_, &QTreeWidget::itemExpanded, this, &CSelectSiteDlg::OnItemExpanded);
  connect(tree_, &QTreeWidget::itemCollapsed, this, &CSelectSiteDlg::OnItemCollapsed);
  connect(tree_, &QTreeWidget::currentItemChanged, this,
          [](QTreeWidgetItem* now, QTreeWidgetItem* before) {
            // The selected folder shows the open-folder image.
            if (before && before->parent()) before->setIcon(0, TreeIcon(kFolder));
            if (now && now->parent()) now->setIcon(0, TreeIcon(kOpenFolder));
          });
  connect(driveList_, QOverload<int>::of(&QComboBox::activated), this,
          &CSelectSiteDlg::SelectDrive);
}

std::vector<CSelectSiteDlg::Drive> CSelectSiteDlg::ListDrives() {
  std::vector<Drive> drives;
#ifdef _WIN32
  for (char letter = 'a'; letter <= 'y'; ++letter) {
    std::string root = std::string(1, letter) + ":\\";
    UINT type = GetDriveTypeA(root.c_str());
    if (type == DRIVE_REMOVABLE || type == DRIVE_FIXED || type == DRIVE_REMOTE ||
        type == DRIVE_RAMDISK) {
      drives.push_back(
          {root, std::string(1, letter), type == DRIVE_REMOVABLE ? kRemovableDrive : kFixedDrive});
    }
  }
#else
  drives.push_back({"/", "/", kFixedDrive});
  std::string home = WithTrailingSeparator(FromQt(QDir::homePath()));
  if (home != "/") drives.push_back({home, home, kFixedDrive});
  std::string user = FromQt(qEnvironmentVariable("USER"));
  std::vector<std::string> mediaFolders = {"/mnt/"};
  if (!user.empty()) {
    mediaFolders.insert(mediaFolders.begin(), "/run/media/" + user + "/");
    mediaFolders.insert(mediaFolders.begin(), "/media/" + user + "/");
  }
  for (const std::string& folder : mediaFolders) {
    std::vector<std::string> names;
    ListSubfolders(folder, &names, false);
    for (const std::string& name : names) {
      std::string root = folder + name + "/";
      drives.push_back({root, root, kRemovableDrive});
    }
  }
#endif
  return drives;
}

std::string CSelectSiteDlg::DeepestExistingDirectory(std::string path) {
  path = WithTrailingSeparator(path);
  while (path.size() > 1 && !DirectoryExists(path)) {
    std::string trimmed = path.substr(0, path.size() - 1);
    auto sep = LastSeparator(trimmed);
    if (sep == std::string::npos) {
      path = trimmed.substr(0, 1);
      break;
    }
    path = trimmed.substr(0, sep + 1);
  }
  return path;
}

bool CSelectSiteDlg::IsPlaceholder(const QTreeWidgetItem* item) {
  return item && item->text(0).isEmpty();
}

std::string CSelectSiteDlg::FullPathOfItem(const QTreeWidgetItem* item) const {
  if (!item) return std::string();
  std::string p = FromQt(item->text(0));
  for (const QTreeWidgetItem* up = item->parent(); up; up = up->parent()) {
    std::string text = FromQt(up->text(0));
    if (text.empty() || !IsPathSeparator(text.back())) text += kPathSeparator;
    p = text + p;
  }
  if (p.empty() || !IsPathSeparator(p.back())) p += kPathSeparator;
  return p;
}

void CSelectSiteDlg::InitDialog() {
  if (initialised_) return;
  initialised_ = true;
  drives_ = ListDrives();
  driveList_->clear();
  for (const Drive& d : drives_) driveList_->addItem(TreeIcon(d.image), ToQt(d.label));
  // The drive of the starting path: on Windows its letter, elsewhere the
  // entry whose root is the longest leading part of the path.
  int best = drives_.empty() ? -1 : 0;
  std::size_t bestLength = 0;
  std::string start = WithTrailingSeparator(path);
  for (int i = 0; i < static_cast<int>(drives_.size()); ++i) {
    const std::string& root = drives_[i].root;
    if (root.size() <= start.size() && SamePathText(start.substr(0, root.size()), root) &&
        root.size() > bestLength) {
      best = i;
      bestLength = root.size();
    }
  }
  if (best < 0) return;
  driveList_->setCurrentIndex(best);
  currentDrive_ = best;
  InsertDriveRoot();
  std::string target = bestLength ? DeepestExistingDirectory(path) : drives_[best].root;
  ExpandToPath(target);
}

void CSelectSiteDlg::SelectDrive(int index) {
  if (index < 0 || index >= static_cast<int>(drives_.size())) return;
  currentDrive_ = index;
  if (driveList_->currentIndex() != index) driveList_->setCurrentIndex(index);
  tree_->clear();
  InsertDriveRoot();
  ExpandToPath(DeepestExistingDirectory(drives_[index].root));
}

void CSelectSiteDlg::InsertDriveRoot() {
  if (currentDrive_ < 0) return;
  const Drive& d = drives_[currentDrive_];
  auto* root = new QTreeWidgetItem(QStringList(ToQt(d.root)));
  root->setIcon(0, TreeIcon(d.image));
  tree_->addTopLevelItem(root);
  AddPlaceholder(root, d.root);
  if (root->childCount() == 0) {
    // An empty or unreadable root keeps its expand button.
    root->addChild(new QTreeWidgetItem(QStringList(QString())));
  }
}

void CSelectSiteDlg::AddPlaceholder(QTreeWidgetItem* item, const std::string& folder) {
  std::vector<std::string> names;
  ListSubfolders(folder, &names, true);
  if (!names.empty()) {
    auto* placeholder = new QTreeWidgetItem(QStringList(QString()));
    placeholder->setIcon(0, TreeIcon(kFolder));
    item->addChild(placeholder);
  }
}

int CSelectSiteDlg::FillChildren(QTreeWidgetItem* item, const std::string& folder) {
  std::vector<std::string> names;
  if (!ListSubfolders(folder, &names, false)) {
    if (!item->parent()) item->addChild(new QTreeWidgetItem(QStringList(QString())));
    return 0;
  }
  for (const std::string& name : names) {
    auto* child = new QTreeWidgetItem(QStringList(ToQt(name)));
    child->setIcon(0, TreeIcon(kFolder));
    item->addChild(child);
    AddPlaceholder(child, JoinPath(folder, name));
  }
  return static_cast<int>(names.size());
}

void CSelectSiteDlg::OnItemExpanded(QTreeWidgetItem* item) {
  if (filling_) return;
  filling_ = true;
  std::string folder = FullPathOfItem(item);
  if (item->childCount() > 0) delete item->takeChild(0);
  // A root that was kept expandable while empty may have more placeholders.
  while (item->childCount() > 0 && IsPlaceholder(item->child(0))) delete item->takeChild(0);
  FillChildren(item, folder);
  filling_ = false;
}

void CSelectSiteDlg::OnItemCollapsed(QTreeWidgetItem* item) {
  if (filling_) return;
  filling_ = true;
  QTreeWidgetItem* current = tree_->currentItem();
  for (QTreeWidgetItem* up = current; up; up = up->parent()) {
    if (up->parent() == item) {
      tree_->setCurrentItem(item);
      break;
    }
  }
  qDeleteAll(item->takeChildren());
  if (item->parent())
    AddPlaceholder(item, FullPathOfItem(item));
  else
    item->addChild(new QTreeWidgetItem(QStringList(QString())));
  filling_ = false;
}

void CSelectSiteDlg::ExpandToPath(const std::string& target) {
  const std::string folder = WithTrailingSeparator(target);
  QTreeWidgetItem* item = tree_->topLevelItemCount() ? tree_->topLevelItem(0) : nullptr;
  while (item) {
    std::string p = FullPathOfItem(item);
    bool prefix = p.size() <= folder.size() && SamePathText(p, folder.substr(0, p.size()));
    if (!prefix) {
      QTreeWidgetItem* parent = item->parent();
      int index = parent ? parent->indexOfChild(item) : tree_->indexOfTopLevelItem(item);
      item = parent ? parent->child(index + 1) : tree_->topLevelItem(index + 1);
      continue;
    }
    if (SamePathText(p, folder)) {
      if (item->childCount() > 0) item->setExpanded(true);
      tree_->setCurrentItem(item);
      tree_->scrollToItem(item);
      return;
    }
    item->setExpanded(true);
    item = item->child(0);
  }
}

void CSelectSiteDlg::showEvent(QShowEvent* event) {
  InitDialog();
  QDialog::showEvent(event);
}

void CSelectSiteDlg::accept() {
  path = tree_->currentItem() ? FullPathOfItem(tree_->currentItem()) : std::string();
  QDialog::accept();
}

}  // namespace vantora

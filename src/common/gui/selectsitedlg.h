// The Select Site dialog of both programs: a list of drives and, below it, a
// folder tree of the chosen drive that is read lazily, one level at a time.
//
// Usage: construct, set `path` to the starting folder, exec(); after
// QDialog::Accepted `path` holds the chosen folder with a trailing separator
// (empty when nothing was selected). Cancel, Escape or closing the window
// give QDialog::Rejected with `path` unchanged. Paths are core paths
// (Windows-1252).
//
// On Windows the drive list holds the letters of fixed, removable, remote and
// RAM drives. On POSIX it holds the file-system root, the user's home and the
// mounted removable media that can be found (/media/<user>/*,
// /run/media/<user>/*, /mnt/*); each entry's root is a folder path.
#pragma once

#include <QDialog>
#include <QIcon>
#include <string>
#include <vector>

class QComboBox;
class QTreeWidget;
class QTreeWidgetItem;

namespace vantora {

class CSelectSiteDlg : public QDialog {
  Q_OBJECT
 public:
  // Tree images.
  enum Image {
    kFixedDrive = 0,
    kRemovableDrive = 1,
    kCdRomDrive = 2,
    kFolder = 3,
    kOpenFolder = 4
  };

  struct Drive {
    std::string root;   // "c:\" or "/", "/home/ann/", ... (with a trailing separator)
    std::string label;  // text of the drop-down entry
    Image image = kFixedDrive;
  };

  explicit CSelectSiteDlg(QWidget* parent = nullptr);

  // Starting folder on entry, chosen folder after OK.
  std::string path;

  // The drives offered on this computer.
  static std::vector<Drive> ListDrives();

  // `path` with a trailing separator, shortened to the deepest level that
  // exists as a directory (down to the root).
  static std::string DeepestExistingDirectory(std::string path);

  // Expands the tree level by level down to `target` and selects the deepest
  // item that matches it.
  void ExpandToPath(const std::string& target);

  // The folder an item stands for, ending in a separator.
  std::string FullPathOfItem(const QTreeWidgetItem* item) const;

  // Fills the drive list and the tree from `path`; done by the first show,
  // callable earlier (tests).
  void InitDialog();

  // Resets the tree to the root of drive `index` of the list.
  void SelectDrive(int index);

  QTreeWidget* Tree() const { return tree_; }
  QComboBox* DriveList() const { return driveList_; }
  const std::vector<Drive>& Drives() const { return drives_; }

  // Placeholder child: a child with empty text.
  static bool IsPlaceholder(const QTreeWidgetItem* item);

  static QIcon TreeIcon(Image image);

 public Q_SLOTS:
  // OK: the selected item's folder becomes `path`.
  void accept() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void InsertDriveRoot();
  void AddPlaceholder(QTreeWidgetItem* item, const std::string& folder);
  int FillChildren(QTreeWidgetItem* item, const std::string& folder);
  void OnItemExpanded(QTreeWidgetItem* item);
  void OnItemCollapsed(QTreeWidgetItem* item);

  QTreeWidget* tree_ = nullptr;
  QComboBox* driveList_ = nullptr;
  std::vector<Drive> drives_;
  int currentDrive_ = -1;
  bool initialised_ = false;
  bool filling_ = false;
};

}  // namespace vantora

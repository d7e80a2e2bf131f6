// Graph > Compare Locations...: which locations to compare (the open ones,
// and those added from a folder), which channel, and time of day or elapsed
// time on X. The graph itself is built by graph::BuildCompare.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/logdata.h"
#include "graph/graphcompare.h"

class QCheckBox;
class QListWidget;
class QPushButton;

namespace vantora {

class CLogFile;

class CCompareDlg : public QDialog {
  Q_OBJECT
 public:
  // `open`: the open locations, offered checked.
  explicit CCompareDlg(const std::vector<const CLogData*>& open, QWidget* parent = nullptr);
  ~CCompareDlg() override;

  // Adds the location files of `folder` (in name order) not offered yet,
  // checked; those that cannot be read are named in one message.
  void AddFolder(const std::string& folder);
  // The checked locations in list order, the chosen channel (empty: none) and
  // the X choice.
  std::vector<graph::CompareLocation> Chosen() const;
  std::string Channel() const;
  bool Elapsed() const;

  QListWidget* locations = nullptr;  // checkable, one per location
  QListWidget* channels = nullptr;   // the channels of the checked locations
  QCheckBox* elapsed = nullptr;
  QPushButton* create = nullptr;

  // At most this many locations are offered.
  static constexpr int kMaxLocations = 100;

 private:
  void Offer(const CLogData* log, bool checked);
  void RefreshChannels();
  void UpdateButtons();
  void ChooseFolder();

  std::vector<std::unique_ptr<CLogFile>> owned_;  // added from folders
  std::vector<const CLogData*> logs_;             // by list row
};

// Runs the dialog over the main window; true for "Create". The locations it
// opened from folders live in `keep` (the chosen ones point into them).
bool RunCompareDialog(const std::vector<const CLogData*>& open,
                      std::vector<graph::CompareLocation>& chosen, std::string& channel,
                      bool& elapsed, std::unique_ptr<CCompareDlg>& keep);

// Test hooks: the dialog's runner (the hook fills the dialog and answers for
// it), and the folder chooser of "Add from folder..." (empty: cancelled).
using CompareDialogHook = std::function<bool(CCompareDlg&)>;
void SetCompareDialogHook(CompareDialogHook hook);
using FolderChooserHook = std::function<std::string()>;
void SetCompareFolderHook(FolderChooserHook hook);

}  // namespace vantora

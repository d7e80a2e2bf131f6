// The Create Graph dialog: the X and Y parameters, the graph mode and the
// display options of a new graph, edited in a GraphSettings record that is
// written only when "Create" is pressed.
#pragma once

#include <QDialog>
#include <functional>
#include <vector>

#include "common/logdata.h"
#include "graph/graphsettings.h"
#include "location/columnselection.h"

class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;

namespace vantora::graph {

class CCreateGraphDlg : public QDialog {
  Q_OBJECT
 public:
  // Sets the record's title to the abbreviated path of the location and
  // fills the lists from the location's channels and the column selection.
  CCreateGraphDlg(const CLogData& log, const ColumnSelection& selection, GraphSettings& settings,
                  QWidget* parent = nullptr);

  // Parameter references (0 time, n channel n-1) of the X and Y lists.
  std::vector<int> XReferences() const;
  std::vector<int> YReferences() const;

 public Q_SLOTS:
  // Runs the title, options and axes checks in order, each copying its
  // page into the record first; accepts when all pass, else stays open.
  void OnCreate();

 private:
  QWidget* MakeAxesPage();
  QWidget* MakeOptionsPage();
  QWidget* MakeTitlePage();
  void FillLists(const ColumnSelection& selection);
  void OnParameterSelected();
  void OnYSelected();
  void OnSet();
  void OnAdd();
  void OnRemove();
  void UpdateButtons();
  bool CheckTitle();
  bool CheckOptions();
  bool CheckAxes();

  const CLogData& log_;
  GraphSettings& settings_;
  int mode_ = kModeSingleY;
  int parameterRow_ = -1;  // selected parameter, -1 none
  int yRow_ = -1;          // selected Y item, -1 none

  QTabWidget* tabs_ = nullptr;
  QPushButton* create_ = nullptr;
  // Axes page
  QListWidget* parameters_ = nullptr;
  QListWidget* xList_ = nullptr;
  QListWidget* yList_ = nullptr;
  QPushButton* set_ = nullptr;
  QPushButton* add_ = nullptr;
  QPushButton* remove_ = nullptr;
  QButtonGroup* modes_ = nullptr;
  QCheckBox* legend_ = nullptr;
  // Options page
  QCheckBox* xGrid_ = nullptr;
  QCheckBox* yGrid_ = nullptr;
  QCheckBox* lines_ = nullptr;
  QCheckBox* markers_ = nullptr;
  QCheckBox* xLabels_ = nullptr;
  QCheckBox* yLabels_ = nullptr;
  QCheckBox* dateOnX_ = nullptr;
  QCheckBox* limitLines_ = nullptr;
  // Title page
  QCheckBox* showTitle_ = nullptr;
  QLineEdit* title_ = nullptr;
};

// Runs the dialog modally over the main window; true when "Create" was
// pressed (the record then holds the new graph's definition).
bool RunCreateGraphDialog(const CLogData& log, const ColumnSelection& selection,
                          GraphSettings& settings);

// Test hook: when set, RunCreateGraphDialog builds the dialog and calls the
// hook instead of running it; the hook's answer is returned. Pass an empty
// function to remove it.
using CreateGraphDialogHook = std::function<bool(CCreateGraphDlg&)>;
void SetCreateGraphDialogHook(CreateGraphDialogHook hook);

}  // namespace vantora::graph

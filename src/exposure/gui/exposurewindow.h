// The exposure window of a location: the exposure table of its readings
// under a chosen limit set (the table the command line prints), verdicts in
// colour, the location's summary, Copy, and the limits' sources with the
// method. Not modal; one per location window, owned by its view, so it
// closes with the location. The records are read once; a change of set or of
// the limit files assesses them again.
#pragma once

#include <QColor>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "exposure/exposure.h"
#include "exposure/exposuretext.h"

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

namespace vantora {
class CLogData;
class CView;
}  // namespace vantora

namespace vantora::exposure {

// The background of a verdict's cells; invalid (no colour) for "no limits".
QColor VerdictColour(Verdict verdict);

class ExposureWindow : public QWidget {
  Q_OBJECT
 public:
  // Reads the records of `log`; `title` (Windows-1252) names the location
  // in the window's title.
  ExposureWindow(const CLogData& log, const std::string& title, QWidget* parent = nullptr);
  ~ExposureWindow() override;

  // Assesses again with the limit sets in use, keeping the chosen set when
  // it still exists.
  void Refresh();
  // Uses the set of this name (UTF-8) and keeps the choice in the profile.
  void ChooseSet(const std::string& name);
  // The table as tab-separated text onto the clipboard.
  void Copy();

  const LocationResult& Result() const { return result_; }
  const ExposureTable& Table() const { return table_; }
  // The set in use (UTF-8); empty when there is none.
  const std::string& SetName() const { return setName_; }

  QTableWidget* TableWidget() const { return tableWidget_; }
  QComboBox* SetChooser() const { return chooser_; }
  QPushButton* CopyButton() const { return copy_; }
  QLabel* Summary() const { return summary_; }
  QLabel* Notice() const { return notice_; }
  QPlainTextEdit* Notes() const { return notes_; }
  // Closed by the user and waiting to be deleted.
  bool IsClosed() const { return closed_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void FillChooser();
  void Recompute();
  void FillTable();
  void FitTable();

  Recording recording_;
  int unreadRecords_ = 0;
  std::shared_ptr<const LoadedLimits> limits_;
  std::string setName_;
  LocationResult result_;
  ExposureTable table_;
  bool filling_ = false;
  bool closed_ = false;

  QComboBox* chooser_;
  QPushButton* copy_;
  QLabel* summary_;
  QLabel* notice_;
  QTableWidget* tableWidget_;
  QPlainTextEdit* notes_;
};

// Opens the exposure window of a location view, or raises the one it has.
ExposureWindow* ShowExposureWindow(CView& view, const CLogData& log);
// The exposure windows open now.
std::vector<ExposureWindow*> ExposureWindows();
// Every open window assesses again (after the limit files changed).
void RefreshExposureWindows();

}  // namespace vantora::exposure

// The dialog of corvanetransfer: destination folder, "Get All Files" with a
// progress bar and a status line, "Change Destination" and "Close", which
// reads "Cancel" while a download runs.
#pragma once

#include <QDialog>
#include <functional>
#include <string>

class QLabel;
class QProgressBar;
class QPushButton;

namespace vantora {

class CTransferDlg : public QDialog {
  Q_OBJECT
 public:
  // Control ids of the dialog.
  enum {
    kClose = 2,
    kProgress = 1000,
    kStatus = 1001,
    kGetAll = 1002,
    kChange = 1003,
    kDestination = 1004
  };

  explicit CTransferDlg(QWidget* parent = nullptr);

  // Runs one download ("Get All Files").
  void OnGetAllFiles();
  // Lets the user choose a new destination ("Change Destination").
  void OnChangeDestination();
  // Stops the running download after its current exchange; the dialog stays.
  void RequestCancel();
  bool CancelRequested() const { return cancelRequested_; }

  const std::string& Destination() const { return destination_; }
  bool Busy() const { return busy_; }
  QLabel* StatusLine() const { return status_; }
  QLabel* DestinationLabel() const { return destinationLabel_; }
  QProgressBar* ProgressBar() const { return progress_; }
  QPushButton* GetAllButton() const { return getAll_; }
  QPushButton* ChangeButton() const { return change_; }
  QPushButton* CloseButton() const { return close_; }

  // Test hooks: message boxes go to `messageHook` instead of the screen; the
  // folder chooser is replaced by `chooseHook` (false: cancelled).
  static std::function<void(const std::string& text)> messageHook;
  static std::function<bool(const std::string& current, std::string& chosen)> chooseHook;

  // Shows a warning box (or passes it to the hook).
  void Warn(const std::string& text);

 protected:
  void reject() override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void ShowDestination();

  std::string destination_;
  bool busy_ = false;
  bool closePending_ = false;
  bool cancelRequested_ = false;
  QLabel* status_ = nullptr;
  QLabel* destinationLabel_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QPushButton* getAll_ = nullptr;
  QPushButton* change_ = nullptr;
  QPushButton* close_ = nullptr;
};

// Asks for a destination folder with the Select Site dialog; false on cancel.
bool ChooseDestinationFolder(QWidget* parent, const std::string& current, std::string& chosen);

}  // namespace vantora

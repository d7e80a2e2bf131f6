#include "transfer/gui/transferdlg.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "common/codepage.h"
#include "common/gui/selectsitedlg.h"
#include "common/pathutil.h"
#include "transfer/destination.h"
#include "transfer/transferjob.h"

namespace vantora {

std::function<void(const std::string&)> CTransferDlg::messageHook;
std::function<bool(const std::string&, std::string&)> CTransferDlg::chooseHook;

namespace {

QString ToQt(const std::string& text) { return QString::fromStdString(Cp1252ToUtf8(text)); }

// Feeds a download's progress into the dialog and keeps the window alive
// between its steps.
class DialogObserver : public TransferObserver {
 public:
  explicit DialogObserver(CTransferDlg* dlg) : dlg_(dlg) {}
  void SetRange(int low, int high) override { dlg_->ProgressBar()->setRange(low, high); }
  void SetPos(int pos) override { dlg_->ProgressBar()->setValue(pos); }
  void Status(const std::string& text) override { dlg_->StatusLine()->setText(ToQt(text)); }
  bool Cancelled() override { return dlg_->CancelRequested(); }
  void Pump() override { QCoreApplication::processEvents(QEventLoop::AllEvents, 20); }
  void Warning(const std::string& text) override { dlg_->Warn(text); }
  void Busy(bool busy) override {
    if (busy)
      QApplication::setOverrideCursor(Qt::WaitCursor);
    else
      QApplication::restoreOverrideCursor();
  }

 private:
  CTransferDlg* dlg_;
};

}  // namespace

bool ChooseDestinationFolder(QWidget* parent, const std::string& current, std::string& chosen) {
  CSelectSiteDlg dlg(parent);
  dlg.path = current;
  if (dlg.exec() != QDialog::Accepted) return false;
  chosen = dlg.path;
  return true;
}

CTransferDlg::CTransferDlg(QWidget* parent) : QDialog(parent) {
  destination_ = TransferDestination();
  setWindowTitle("Transfer (Corvane Instruments)");
  QIcon icon = style()->standardIcon(QStyle::SP_DriveNetIcon);
  setWindowIcon(icon);

  close_ = new QPushButton("Close", this);
  progress_ = new QProgressBar(this);
  progress_->setRange(0, CTransferJob::kProgressMax);
  progress_->setValue(0);
  progress_->setTextVisible(false);
  status_ = new QLabel("Initializing...", this);
  getAll_ = new QPushButton("Get All Files", this);
  destinationLabel_ = new QLabel("...", this);
  auto* caption = new QLabel("Destination Directory:  ", this);
  change_ = new QPushButton("Change Destination", this);
  close_->setObjectName("close");
  progress_->setObjectName("progress");
  status_->setObjectName("status");
  getAll_->setObjectName("getAll");
  destinationLabel_->setObjectName("destination");
  change_->setObjectName("change");
  getAll_->setDefault(true);

  auto* layout = new QVBoxLayout(this);
  auto* dest = new QHBoxLayout;
  dest->addWidget(caption);
  dest->addWidget(destinationLabel_, 1);
  layout->addLayout(dest);
  layout->addWidget(change_, 0, Qt::AlignLeft);
  layout->addSpacing(8);
  layout->addWidget(status_);
  layout->addWidget(progress_);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(getAll_);
  buttons->addStretch(1);
  buttons->addWidget(close_);
  layout->addLayout(buttons);
  resize(340, 185);

  connect(getAll_, &QPushButton::clicked, this, [this] { OnGetAllFiles(); });
  connect(change_, &QPushButton::clicked, this, [this] { OnChangeDestination(); });
  // While a download runs the button reads "Cancel" and reject() cancels.
  connect(close_, &QPushButton::clicked, this, [this] { reject(); });
  ShowDestination();
}

void CTransferDlg::ShowDestination() {
  destinationLabel_->setText(ToQt(AbbreviatePath(destination_, 50)));
  destinationLabel_->setToolTip(ToQt(destination_));
}

void CTransferDlg::Warn(const std::string& text) {
  if (messageHook) {
    messageHook(text);
    return;
  }
  // The wait cursor of a running download would cover the box.
  if (busy_) QApplication::setOverrideCursor(Qt::ArrowCursor);
  QMessageBox::warning(this, windowTitle(), ToQt(text));
  if (busy_) QApplication::restoreOverrideCursor();
}

void CTransferDlg::OnGetAllFiles() {
  if (busy_) return;
  busy_ = true;
  cancelRequested_ = false;
  status_->setText("Transfer in progress.");
  change_->setEnabled(false);
  getAll_->setEnabled(false);
  close_->setText("Cancel");
  const char* outcome = "Transfer complete.";
  {
    CTransferJob job(destination_);
    DialogObserver observer(this);
    bool ok = job.Download(&observer);
    if (job.Cancelled()) {
      outcome = CTransferJob::kCancelledText;
    } else if (!ok) {
      Warn(job.FailureText());
      outcome = "Transfer failed.";
    }
  }
  status_->setText(outcome);
  close_->setText("Close");
  close_->setEnabled(true);
  change_->setEnabled(true);
  getAll_->setEnabled(true);
  busy_ = false;
  if (closePending_) QDialog::reject();
}

void CTransferDlg::RequestCancel() {
  if (!busy_) return;
  cancelRequested_ = true;
  // Taken: the download stops after its current exchange.
  close_->setEnabled(false);
}

void CTransferDlg::OnChangeDestination() {
  std::string chosen;
  bool ok = chooseHook ? chooseHook(destination_, chosen)
                       : ChooseDestinationFolder(this, destination_, chosen);
  if (!ok || chosen.empty()) return;
  destination_ = WithTrailingSeparator(chosen);
  StoreTransferDestination(destination_);
  ShowDestination();
}

void CTransferDlg::reject() {
  // Escape during a download cancels it, like the Cancel button.
  if (busy_) {
    RequestCancel();
    return;
  }
  QDialog::reject();
}

void CTransferDlg::closeEvent(QCloseEvent* event) {
  // Closing the window during a download cancels it and closes once the
  // download has stopped.
  if (busy_) {
    RequestCancel();
    closePending_ = true;
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

}  // namespace vantora

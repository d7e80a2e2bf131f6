// The Audit File dialog: verifies a locked location against its audit file,
// first by its plain CRC, then ("Get Details") with the user's password.
#pragma once

#include <QDialog>
#include <string>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace vantora {

class AuditFileDialog : public QDialog {
  Q_OBJECT
 public:
  enum ControlId {
    IDC_FILETITLE = 1085,
    IDC_CRCSTATUS = 1084,
    IDC_USERLINE = 1083,
    IDC_PASSWORD = 1080,
    IDC_GETDETAILS = 1079,
    IDC_DETAILS = 1081,
    IDC_COPY = 1082,
  };

  // `locationPath`: the location file's full path (Windows-1252).
  explicit AuditFileDialog(const std::string& locationPath, QWidget* parent = nullptr);

  // "Get Details": opens the sealed block with the password in the field.
  void GetDetails();
  // "Copy": the report text onto the clipboard.
  void Copy();

  const std::string& ReportText() const { return report_; }
  QLabel* TitleLabel() const { return title_; }
  QLabel* StatusLabel() const { return status_; }
  QLabel* UserLabel() const { return user_; }
  QLineEdit* PasswordEdit() const { return password_; }
  QPushButton* GetDetailsButton() const { return getDetails_; }
  QListWidget* DetailsList() const { return details_; }
  QPushButton* CopyButton() const { return copy_; }

 private:
  std::string location_;
  std::string report_;
  QLabel* title_;
  QLabel* status_;
  QLabel* user_;
  QLineEdit* password_;
  QPushButton* getDetails_;
  QListWidget* details_;
  QPushButton* copy_;
};

// Shows "Bad buffer length." from the cipher as a message box; called once
// at start-up.
void InstallIntegrityMessages();

}  // namespace vantora

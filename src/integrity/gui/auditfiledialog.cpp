#include "integrity/gui/auditfiledialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/codepage.h"
#include "common/gui/framework.h"
#include "integrity/auditreport.h"
#include "integrity/blowfish.h"

namespace vantora {

namespace {

QString Qt1252(const std::string& text) { return QString::fromStdString(Cp1252ToUtf8(text)); }
std::string From1252(const QString& text) { return Utf8ToCp1252(text.toStdString()); }

}  // namespace

AuditFileDialog::AuditFileDialog(const std::string& locationPath, QWidget* parent)
    : QDialog(parent), location_(locationPath) {
  setWindowTitle("Audit File");
  setObjectName("AuditFileDialog");
  title_ = new QLabel(this);
  status_ = new QLabel(this);
  user_ = new QLabel(this);
  password_ = new QLineEdit(this);
  password_->setEchoMode(QLineEdit::Password);
  getDetails_ = new QPushButton("Get Details", this);
  getDetails_->setDefault(true);  // Enter in the password field: "Get Details"
  details_ = new QListWidget(this);
  copy_ = new QPushButton("Copy", this);
  copy_->setAutoDefault(false);
  auto* ok = new QPushButton("OK", this);
  ok->setAutoDefault(false);
  title_->setObjectName("1085");
  status_->setObjectName("1084");
  user_->setObjectName("1083");
  password_->setObjectName("1080");
  getDetails_->setObjectName("1079");
  details_->setObjectName("1081");
  copy_->setObjectName("1082");
  ok->setObjectName("2");

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(title_);
  layout->addWidget(status_);
  layout->addWidget(user_);
  layout->addWidget(new QLabel("Enter password to see full audit data:", this));
  auto* row = new QHBoxLayout;
  row->addWidget(password_, 1);
  row->addWidget(getDetails_);
  layout->addLayout(row);
  layout->addWidget(details_, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(copy_);
  buttons->addStretch(1);
  buttons->addWidget(ok);
  layout->addLayout(buttons);
  resize(360, 380);

  connect(getDetails_, &QPushButton::clicked, this, &AuditFileDialog::GetDetails);
  connect(copy_, &QPushButton::clicked, this, &AuditFileDialog::Copy);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  AuditOpening opening = AuditOpeningReport(location_);
  title_->setText(Qt1252(opening.titleLine));
  status_->setText(Qt1252(opening.statusLine));
  user_->setText(Qt1252(opening.userLine));
  getDetails_->setEnabled(opening.locked);
  report_ = opening.reportText;
  password_->setFocus();
}

void AuditFileDialog::GetDetails() {
  std::string password = From1252(password_->text());
  details_->clear();
  AuditDetails result = AuditDetailsReport(location_, password);
  for (const auto& line : result.lines) details_->addItem(Qt1252(line));
  report_ = result.reportText;
}

void AuditFileDialog::Copy() { SetClipboardText(report_); }

void InstallIntegrityMessages() {
  BlowfishCipher::SetMessageHook(
      [](const std::string& text) { AfxMessageBox(text, MsgIcon::None, MsgButtons::Ok); });
}

}  // namespace vantora

#include "notebook/gui/documentsdialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/codepage.h"
#include "common/gui/framework.h"
#include "common/pathutil.h"
#include "notebook/library.h"

namespace vantora {

namespace {
const char* const kGetDocumentsText =
    "Use the following dialog box to select files from any folder on your system.\n"
    "The files will then be available from the Vantora File \\ Documents menu.";
const char* const kDocumentFilter =
    "Document Files |*.xls; *.doc; *.htm; *.html; *.pdf; *.txt; *.rtf|All Files (*.*)|*.*|";
}  // namespace

DocumentsDialog::DocumentsDialog(QWidget* parent) : QDialog(parent) {
  setObjectName("DocumentsDialog");
  setWindowTitle("Select Document");
  list_ = new QListWidget(this);
  list_->setObjectName("1066");
  open_ = new QPushButton("Open", this);
  open_->setObjectName("1");
  open_->setDefault(true);
  get_ = new QPushButton("Get Documents", this);
  get_->setObjectName("32799");
  get_->setAutoDefault(false);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel("Select document to view:", this));
  auto* row = new QHBoxLayout;
  row->addWidget(list_, 1);
  auto* column = new QVBoxLayout;
  column->addWidget(open_);
  column->addWidget(get_);
  column->addStretch(1);
  row->addLayout(column);
  layout->addLayout(row, 1);
  resize(420, 220);

  connect(open_, &QPushButton::clicked, this, &DocumentsDialog::Open);
  connect(get_, &QPushButton::clicked, this, &DocumentsDialog::GetDocuments);
  connect(list_, &QListWidget::itemDoubleClicked, this, &DocumentsDialog::Open);
  Fill();
}

void DocumentsDialog::Fill() {
  list_->clear();
  folder_ = DocumentsFolder();
  auto names = ListDocuments(folder_);
  for (const auto& name : names) list_->addItem(QString::fromStdString(Cp1252ToUtf8(name)));
  if (names.empty()) {
    for (const auto& line : NoDocumentsHint()) list_->addItem(QString::fromStdString(line));
    list_->setEnabled(false);
  } else {
    list_->setEnabled(true);
  }
}

void DocumentsDialog::Open() {
  QListWidgetItem* item = list_->isEnabled() ? list_->currentItem() : nullptr;
  std::string name =
      item && item->isSelected() ? Utf8ToCp1252(item->text().toStdString()) : std::string();
  accept();
  if (!name.empty()) ShellOpen(JoinPath(folder_, name));
}

void DocumentsDialog::GetDocuments() {
  if (AfxMessageBox(kGetDocumentsText, MsgIcon::Information, MsgButtons::OkCancel) == IDCANCEL)
    return;
  FileDialogRequest request;
  request.filter = kDocumentFilter;
  std::string chosen;
  if (!AfxGetFileName(request, chosen)) return;
  std::string failure;
  if (!CopyIntoFolder(chosen, folder_, &failure)) {
    AfxMessageBox(failure.empty() ? std::string("Error copying file.")
                                  : "Error copying file.\n" + failure);
    return;
  }
  Fill();
}

}  // namespace vantora

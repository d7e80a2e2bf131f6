// The Select Document dialog of the documents library: lists the documents
// folder, opens the chosen document with the desktop, copies further files in.
#pragma once

#include <QDialog>
#include <string>

class QListWidget;
class QPushButton;

namespace vantora {

class DocumentsDialog : public QDialog {
  Q_OBJECT
 public:
  enum ControlId { IDC_DOCUMENTS = 1066, IDC_OPEN = 1, IDC_GETDOCUMENTS = 32799 };

  explicit DocumentsDialog(QWidget* parent = nullptr);

  // Refills the list from the documents folder (created when missing).
  void Fill();
  // "Open": closes; the selected document is opened with the desktop.
  void Open();
  // "Get Documents": copies a chosen file into the documents folder.
  void GetDocuments();

  QListWidget* List() const { return list_; }
  QPushButton* OpenButton() const { return open_; }
  QPushButton* GetDocumentsButton() const { return get_; }

 private:
  std::string folder_;
  QListWidget* list_;
  QPushButton* open_;
  QPushButton* get_;
};

}  // namespace vantora

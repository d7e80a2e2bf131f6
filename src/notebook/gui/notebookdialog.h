// The Notebook dialog: the note kinds of a location with Edit, Create and
// Delete, and the templates that can be attached. Ends with kEditResult when
// the chosen note should be opened.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "notebook/notebook.h"

class QListWidget;
class QPushButton;

namespace vantora {

class NotebookDialog : public QDialog {
  Q_OBJECT
 public:
  enum ControlId {
    IDC_KINDS = 1038,
    IDC_TEMPLATES = 1013,
    IDC_EDIT = 1037,
    IDC_CREATE = 1014,
    IDC_DELETE = 1009,
  };
  static constexpr int kEditResult = IDC_EDIT;

  NotebookDialog(QWidget* parent, const std::string& locationPath);

  NoteKind CurrentKind() const { return kind_; }
  const std::string& TemplateName() const { return templateName_; }
  const Notebook& OwnNotebook() const { return notebook_; }

  // Selects the list entry of `kind` as a click would.
  void SelectKind(NoteKind kind);
  void Edit();
  void Create();
  void Delete();

  QListWidget* KindList() const { return kinds_; }
  QListWidget* TemplateList() const { return templates_; }
  QPushButton* EditButton() const { return edit_; }
  QPushButton* CreateButton() const { return create_; }
  QPushButton* DeleteButton() const { return delete_; }

 private:
  void OnKindChanged();
  void OnTemplateChanged();
  void FillTemplates();
  void UpdateButtons();

  Notebook notebook_;
  NoteKind kind_ = NoteKind::None;
  std::string templateName_;
  std::string templatesFolder_;
  std::vector<std::string> templateNames_;
  QListWidget* kinds_;
  QListWidget* templates_;
  QPushButton* edit_;
  QPushButton* create_;
  QPushButton* delete_;
};

}  // namespace vantora

#include "notebook/gui/notepicker.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/codepage.h"
#include "common/gui/framework.h"
#include "notebook/gui/notebookgui.h"

namespace vantora {

AttachedNotesPicker::AttachedNotesPicker(const std::string& caption,
                                         const std::vector<std::string>& names, QWidget* parent)
    : QDialog(parent), names_(names) {
  setObjectName("AttachedNotesPicker");
  setWindowTitle(QString::fromStdString(Cp1252ToUtf8(caption)));
  list_ = new QListWidget(this);
  list_->setObjectName("32798");
  view_ = new QPushButton("View", this);
  view_->setObjectName("1");
  view_->setDefault(true);
  view_->setEnabled(false);
  for (const auto& name : names_) list_->addItem(QString::fromStdString(Cp1252ToUtf8(name)));
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(list_, 1);
  auto* column = new QVBoxLayout;
  column->addWidget(view_);
  column->addStretch(1);
  layout->addLayout(column);
  resize(300, 150);
  connect(list_, &QListWidget::itemSelectionChanged, this, &AttachedNotesPicker::OnSelection);
  connect(list_, &QListWidget::itemDoubleClicked, this, [this] {
    if (view_->isEnabled()) accept();
  });
  connect(view_, &QPushButton::clicked, this, &QDialog::accept);
}

void AttachedNotesPicker::OnSelection() {
  int row = list_->currentRow();
  bool valid =
      !list_->selectedItems().isEmpty() && row >= 0 && row < static_cast<int>(names_.size());
  view_->setEnabled(valid);
  chosen_ = valid ? names_[static_cast<std::size_t>(row)] : std::string();
}

bool PickAttachedNote(QWidget* parent, const std::string& caption,
                      const std::vector<std::string>& names, std::string& chosen) {
  AttachedNotesPicker picker(caption, names, parent);
  if (picker.exec() != QDialog::Accepted || !picker.ViewButton()->isEnabled()) return false;
  chosen = picker.Chosen();
  return true;
}

bool ShowAttachedNotes(Notebook& notebook, NoteKind kind, QWidget* parent) {
  if (kind != NoteKind::Template && kind != NoteKind::Results) return false;
  std::vector<std::string> names;
  notebook.ListNotesOfKind(kind, names);
  std::string chosen;
  if (!PickAttachedNote(
          parent, kind == NoteKind::Template ? "Attached templates:" : "Attached results:", names,
          chosen))
    return false;
  notebook.SetTemplateName(chosen);
  notebook.OpenNote(kind);
  return true;
}

}  // namespace vantora

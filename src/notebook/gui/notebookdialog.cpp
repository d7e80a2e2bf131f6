#include "notebook/gui/notebookdialog.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

#include "common/codepage.h"
#include "common/gui/framework.h"
#include "common/pathutil.h"
#include "common/timetext.h"
#include "location/gui/noteicons.h"
#include "notebook/filesearch.h"
#include "notebook/library.h"

namespace vantora {

namespace {

QString Qt1252(const std::string& text) { return QString::fromStdString(Cp1252ToUtf8(text)); }

// The list's kinds in order, each shown under its NoteKindListName.
const NoteKind kListedKinds[] = {
    NoteKind::Text,  NoteKind::Drawing, NoteKind::Template,   NoteKind::Audio,
    NoteKind::Photo, NoteKind::Event,   NoteKind::CustomNote,
};

}  // namespace

NotebookDialog::NotebookDialog(QWidget* parent, const std::string& locationPath) : QDialog(parent) {
  setObjectName("NotebookDialog");
  notebook_.SetLocation(locationPath);
  setWindowTitle(Qt1252("Notebook: " + AbbreviatePath(locationPath, 33)));

  kinds_ = new QListWidget(this);
  kinds_->setObjectName("1038");
  kinds_->setIconSize(QSize(16, 16));
  templates_ = new QListWidget(this);
  templates_->setObjectName("1013");
  templates_->setWordWrap(true);
  edit_ = new QPushButton("Edit", this);
  edit_->setObjectName("1037");
  create_ = new QPushButton("Create", this);
  create_->setObjectName("1014");
  delete_ = new QPushButton("Delete", this);
  delete_->setObjectName("1009");
  auto* close = new QPushButton("Close", this);
  close->setObjectName("2");
  for (QPushButton* b : {edit_, create_, delete_, close}) b->setAutoDefault(false);

  auto* layout = new QHBoxLayout(this);
  layout->addWidget(kinds_, 1);
  layout->addWidget(templates_, 1);
  auto* column = new QVBoxLayout;
  column->addWidget(edit_);
  column->addWidget(create_);
  column->addWidget(delete_);
  column->addStretch(1);
  column->addWidget(close);
  layout->addLayout(column);
  resize(460, 200);

  for (NoteKind kind : kListedKinds) {
    // Pure green is the icons' transparent colour.
    QPixmap icon = MakeNoteIcon(NoteIconBitmap(kind));
    icon.setMask(icon.createMaskFromColor(QColor(0, 255, 0), Qt::MaskInColor));
    auto* item = new QListWidgetItem(QIcon(icon), Qt1252(NoteKindListName(kind)), kinds_);
    item->setData(Qt::UserRole, static_cast<int>(kind));
  }
  // Every kind's name shows in full beside its icon.
  int widest = 0;
  for (int i = 0; i < kinds_->count(); ++i)
    widest = std::max(widest, kinds_->fontMetrics().horizontalAdvance(kinds_->item(i)->text()));
  kinds_->setMinimumWidth(widest + kinds_->iconSize().width() + 2 * kinds_->frameWidth() + 24);
  templates_->setEnabled(false);
  UpdateButtons();

  connect(kinds_, &QListWidget::itemSelectionChanged, this, &NotebookDialog::OnKindChanged);
  connect(templates_, &QListWidget::itemSelectionChanged, this, &NotebookDialog::OnTemplateChanged);
  connect(edit_, &QPushButton::clicked, this, &NotebookDialog::Edit);
  connect(create_, &QPushButton::clicked, this, &NotebookDialog::Create);
  connect(delete_, &QPushButton::clicked, this, &NotebookDialog::Delete);
  connect(close, &QPushButton::clicked, this, &QDialog::reject);
}

void NotebookDialog::SelectKind(NoteKind kind) {
  for (int i = 0; i < kinds_->count(); ++i) {
    if (kinds_->item(i)->data(Qt::UserRole).toInt() == static_cast<int>(kind)) {
      kinds_->setCurrentRow(i);
      return;
    }
  }
}

void NotebookDialog::OnKindChanged() {
  auto selected = kinds_->selectedItems();
  NoteKind kind = selected.isEmpty()
                      ? NoteKind::None
                      : static_cast<NoteKind>(selected.first()->data(Qt::UserRole).toInt());
  if (kind == kind_) return;
  kind_ = kind;
  FillTemplates();
  UpdateButtons();
}

void NotebookDialog::FillTemplates() {
  templates_->clear();
  templateNames_.clear();
  templates_->setEnabled(false);
  if (kind_ != NoteKind::Template) return;
  notebook_.SetTemplateName("temp");
  templatesFolder_ = TemplatesFolder();
  templateNames_ = ListTemplates(templatesFolder_, notebook_.TemplateExtension());
  if (templateNames_.empty()) {
    for (const auto& line : NoTemplatesHint(templatesFolder_)) templates_->addItem(Qt1252(line));
    // The list widens to show the whole folder (up to half the screen);
    // longer ones wrap at their blanks and show in full as a tooltip.
    QString folder = Qt1252(templatesFolder_);
    int need =
        templates_->fontMetrics().horizontalAdvance(folder) + 2 * templates_->frameWidth() + 16;
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    int cap = screen ? screen->availableGeometry().width() / 2 : 600;
    templates_->setMinimumWidth(std::min(need, cap));
    templates_->item(templates_->count() - 1)->setToolTip(folder);
    return;
  }
  for (const auto& name : templateNames_) templates_->addItem(Qt1252(name));
  templates_->setEnabled(true);
}

void NotebookDialog::OnTemplateChanged() {
  int row = templates_->currentRow();
  if (templateNames_.empty() || row < 0 || row >= static_cast<int>(templateNames_.size()) ||
      templates_->selectedItems().isEmpty())
    return;
  templateName_ = templateNames_[static_cast<std::size_t>(row)];
  notebook_.SetTemplateName(templateName_);
  UpdateButtons();
}

void NotebookDialog::UpdateButtons() {
  if (kind_ == NoteKind::None) {
    edit_->setEnabled(false);
    create_->setEnabled(false);
    delete_->setEnabled(false);
    return;
  }
  bool has = notebook_.HasNote(kind_);
  edit_->setEnabled(has);
  delete_->setEnabled(has);
  if (kind_ == NoteKind::Template)
    create_->setEnabled(!templateName_.empty() && !templateNames_.empty());
  else
    create_->setEnabled(!has);
}

void NotebookDialog::Edit() { done(kEditResult); }

void NotebookDialog::Create() {
  if (kind_ != NoteKind::Template) {
    done(kEditResult);
    return;
  }
  if (templateName_.empty()) return;
  std::string source =
      JoinPath(templatesFolder_, templateName_ + "." + notebook_.TemplateExtension());
  notebook_.SetTemplateName(templateName_);
  std::string target = notebook_.NoteFile(NoteKind::Template);
  if (FileExists(target) &&
      AfxMessageBox("A template for this location already exists.\nWould you like to overwrite it?",
                    MsgIcon::Question, MsgButtons::YesNo) != IDYES) {
    reject();
    return;
  }
  std::string failure;
  if (!CopyFileTo(source, target, true, &failure)) {
    AfxMessageBox("Unable to create the note file\n" + failure);
    done(QDialog::Accepted);
    return;
  }
  done(kEditResult);
}

void NotebookDialog::Delete() {
  if (kind_ == NoteKind::None) return;
  std::string question = Format("DELETE: Are you sure you want to to remove the %s note?",
                                NoteKindListName(kind_).c_str());
  if (AfxMessageBox(question, MsgIcon::Question, MsgButtons::YesNo) != IDYES) return;
  notebook_.DeleteNote(kind_);
  UpdateButtons();
}

}  // namespace vantora

#include "notebook/gui/eventsdialog.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/codepage.h"
#include "common/gui/framework.h"
#include "notebook/events.h"

namespace vantora {

EventsDialog::EventsDialog(const std::string& eventsPath, QWidget* parent) : QDialog(parent) {
  setObjectName("EventsDialog");
  setWindowTitle("Events");
  list_ = new QListWidget(this);
  list_->setObjectName("209");
  list_->setSelectionMode(QAbstractItemView::NoSelection);
  copy_ = new QPushButton("Copy", this);
  copy_->setObjectName("32799");
  copy_->setAutoDefault(false);
  auto* close = new QPushButton("Close", this);
  close->setObjectName("1");
  close->setDefault(true);
  text_ = new QLineEdit(this);
  text_->setObjectName("207");
  // Events are added by the loggers, not here.
  add_ = new QPushButton("Add Event", this);
  add_->setObjectName("208");
  add_->setEnabled(false);
  add_->setAutoDefault(false);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_, 1);
  auto* addRow = new QHBoxLayout;
  addRow->addWidget(text_, 1);
  addRow->addWidget(add_);
  layout->addLayout(addRow);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(copy_);
  buttons->addStretch(1);
  buttons->addWidget(close);
  layout->addLayout(buttons);
  resize(420, 260);

  for (const auto& line : EventLines(eventsPath))
    list_->addItem(QString::fromStdString(Cp1252ToUtf8(line)));
  connect(copy_, &QPushButton::clicked, this, &EventsDialog::Copy);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
}

std::string EventsDialog::CopyText() const {
  std::vector<std::string> lines;
  for (int i = 0; i < list_->count(); ++i)
    lines.push_back(Utf8ToCp1252(list_->item(i)->text().toStdString()));
  return JoinLinesCrLf(lines);
}

void EventsDialog::Copy() { SetClipboardText(CopyText()); }

}  // namespace vantora

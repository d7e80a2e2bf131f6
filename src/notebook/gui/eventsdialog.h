// The Events dialog: the events of a location, one line each, and Copy.
#pragma once

#include <QDialog>
#include <string>

class QLineEdit;
class QListWidget;
class QPushButton;

namespace vantora {

class EventsDialog : public QDialog {
  Q_OBJECT
 public:
  enum ControlId { IDC_EVENTS = 209, IDC_COPY = 32799, IDC_TEXT = 207, IDC_ADD = 208 };

  explicit EventsDialog(const std::string& eventsPath, QWidget* parent = nullptr);

  // "Copy": every line followed by "\r\n" onto the clipboard.
  void Copy();
  // What Copy puts on the clipboard.
  std::string CopyText() const;

  QListWidget* List() const { return list_; }
  QPushButton* CopyButton() const { return copy_; }
  QPushButton* AddButton() const { return add_; }

 private:
  QListWidget* list_;
  QPushButton* copy_;
  QLineEdit* text_;
  QPushButton* add_;
};

}  // namespace vantora

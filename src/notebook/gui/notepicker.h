// The attached-notes picker (templates or results of a location).
#pragma once

#include <QDialog>
#include <string>
#include <vector>

class QListWidget;
class QPushButton;

namespace vantora {

class AttachedNotesPicker : public QDialog {
  Q_OBJECT
 public:
  enum ControlId { IDC_NOTES = 32798, IDC_VIEW = 1 };

  AttachedNotesPicker(const std::string& caption, const std::vector<std::string>& names,
                      QWidget* parent = nullptr);

  const std::string& Chosen() const { return chosen_; }
  QListWidget* List() const { return list_; }
  QPushButton* ViewButton() const { return view_; }

 private:
  void OnSelection();
  std::vector<std::string> names_;
  std::string chosen_;
  QListWidget* list_;
  QPushButton* view_;
};

}  // namespace vantora

// "Select Font": a drop-down list of the face names the display resources
// offer and an OK button.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

class QComboBox;

namespace vantora {

class CChangeFontDlg : public QDialog {
  Q_OBJECT
 public:
  CChangeFontDlg(const std::vector<std::string>& names, const std::string& current,
                 QWidget* parent = nullptr);
  std::string Selected() const;
  QComboBox* List() const { return list_; }

 private:
  QComboBox* list_;
  std::vector<std::string> names_;
};

}  // namespace vantora

#include "app/gui/changefontdlg.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "common/gui/qtstrings.h"

namespace vantora {

CChangeFontDlg::CChangeFontDlg(const std::vector<std::string>& names, const std::string& current,
                               QWidget* parent)
    : QDialog(parent), names_(names) {
  setWindowTitle("Select Font");
  list_ = new QComboBox(this);
  int selected = 0;
  for (std::size_t i = 0; i < names.size(); ++i) {
    list_->addItem(ToQt(names[i]));
    if (names[i] == current) selected = static_cast<int>(i);
  }
  list_->setCurrentIndex(names.empty() ? -1 : selected);
  auto* ok = new QPushButton("OK", this);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  auto* layout = new QGridLayout(this);
  layout->addWidget(new QLabel("Select font:", this), 0, 0);
  layout->addWidget(list_, 1, 0);
  layout->addWidget(ok, 1, 1);
  layout->setColumnStretch(0, 1);
  resize(300, 110);
}

std::string CChangeFontDlg::Selected() const {
  int i = list_->currentIndex();
  return i >= 0 && i < static_cast<int>(names_.size()) ? names_[i] : std::string();
}

}  // namespace vantora

// The small dialogs of the graph window: "New comment" and "Edit Scaling".
#pragma once

#include <QDialog>
#include <string>

#include "chart/srgraph.h"

class QCalendarWidget;
class QLineEdit;
class QRadioButton;
class QTimeEdit;

namespace vantora {

// "New comment": the text and Small / Medium / Large (10, 13, 16). `size`
// picks the starting button (10 Small, 13 Medium, else Large).
class CNewCommentDlg : public QDialog {
  Q_OBJECT
 public:
  CNewCommentDlg(int size, QWidget* parent = nullptr);
  std::string Text() const;  // Windows-1252
  int Size() const;

  QLineEdit* text = nullptr;
  QRadioButton* small = nullptr;
  QRadioButton* medium = nullptr;
  QRadioButton* large = nullptr;
};

// "Edit Scaling": a row for X above a row for Y. A channel row has "min" and
// "max" number fields showing the values as the axis' label format rounds
// them (`xFormat`, `yFormat`; empty: ten significant digits); a time row a
// month calendar and a time of day for each end, where a typed digit
// replaces the hour, minute or second it is typed into. OK only with a
// minimum below the maximum on both rows.
class CEditScalingDlg : public QDialog {
  Q_OBJECT
 public:
  CEditScalingDlg(bool xIsTime, bool yIsTime, const chart::AxisRange& x, const chart::AxisRange& y,
                  QWidget* parent = nullptr, const std::string& xFormat = std::string(),
                  const std::string& yFormat = std::string());
  chart::AxisRange X() const;
  chart::AxisRange Y() const;
  void accept() override;

  struct Row {
    bool time = false;
    QLineEdit* min = nullptr;
    QLineEdit* max = nullptr;
    QCalendarWidget* minDate = nullptr;
    QCalendarWidget* maxDate = nullptr;
    QTimeEdit* minTime = nullptr;
    QTimeEdit* maxTime = nullptr;
  };
  Row x, y;

 private:
  QWidget* MakeRow(Row& row, const char* label, const chart::AxisRange& range,
                   const std::string& format);
  static chart::AxisRange Read(const Row& row, bool& ok);
};

}  // namespace vantora

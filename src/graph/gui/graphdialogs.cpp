#include "graph/gui/graphdialogs.h"

#include <QCalendarWidget>
#include <QDialogButtonBox>
#include <QDoubleValidator>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimeEdit>
#include <QVBoxLayout>
#include <cmath>

#include "chart/chartlayout.h"
#include "common/gui/framework.h"
#include "common/gui/qtstrings.h"
#include "graph/graphcomments.h"

namespace vantora {

CNewCommentDlg::CNewCommentDlg(int size, QWidget* parent) : QDialog(parent) {
  setWindowTitle("New comment");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel("New comment text:"));
  text = new QLineEdit;
  text->setMaxLength(static_cast<int>(graph::kMaxCommentLength));
  text->setObjectName("commentText");
  layout->addWidget(text);
  auto* box = new QGroupBox("Font Size:");
  auto* radios = new QHBoxLayout(box);
  small = new QRadioButton("Small");
  medium = new QRadioButton("Medium");
  large = new QRadioButton("Large");
  for (QRadioButton* b : {small, medium, large}) radios->addWidget(b);
  (size == 10 ? small : size == 13 ? medium : large)->setChecked(true);
  layout->addWidget(box);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
}

std::string CNewCommentDlg::Text() const { return FromQt(text->text()); }

int CNewCommentDlg::Size() const { return small->isChecked() ? 10 : medium->isChecked() ? 13 : 16; }

namespace {

QDateTime ToDateTime(double ole) {
  chart::CivilTime c = chart::CivilFromOle(ole);
  return QDateTime(QDate(c.year, c.month, c.day), QTime(c.hour, c.minute, c.second));
}

double FromDateTime(const QDate& d, const QTime& t) {
  return chart::OleDate(d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second());
}

// A time of day where a digit typed into a full hour, minute or second
// replaces it, instead of being refused until the old digits are deleted.
class DigitTimeEdit : public QTimeEdit {
 public:
  using QTimeEdit::QTimeEdit;

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    const QString text = event->text();
    if (text.size() == 1 && text[0].isDigit() && lineEdit()->selectedText().isEmpty() &&
        sectionText(currentSection()).size() >= 2)
      setSelectedSection(currentSection());
    QTimeEdit::keyPressEvent(event);
  }
};

// A range end as the axis labels round it, without their padding.
QString RoundedText(double value, const std::string& format) {
  if (format.empty()) return QString::number(value, 'g', 10);
  return ToQt(chart::FormatDecimal(format, value)).trimmed();
}

}  // namespace

CEditScalingDlg::CEditScalingDlg(bool xIsTime, bool yIsTime, const chart::AxisRange& xr,
                                 const chart::AxisRange& yr, QWidget* parent,
                                 const std::string& xFormat, const std::string& yFormat)
    : QDialog(parent) {
  setWindowTitle("Edit Scaling");
  x.time = xIsTime;
  y.time = yIsTime;
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(MakeRow(x, "X:", xr, xFormat));
  layout->addWidget(MakeRow(y, "Y:", yr, yFormat));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  setMinimumWidth(600);
}

QWidget* CEditScalingDlg::MakeRow(Row& row, const char* label, const chart::AxisRange& range,
                                  const std::string& format) {
  auto* box = new QGroupBox(label);
  auto* layout = new QHBoxLayout(box);
  if (!row.time) {
    // Rounded as the labels are, unless that would make the ends meet.
    std::string shown = format;
    if (RoundedText(range.min, shown).toDouble() >= RoundedText(range.max, shown).toDouble())
      shown.clear();
    auto field = [&](const char* name, double value) {
      layout->addWidget(new QLabel(name));
      auto* edit = new QLineEdit(RoundedText(value, shown));
      edit->setObjectName(QString(label).left(1).toLower() + name);
      edit->setValidator(new QDoubleValidator(edit));
      layout->addWidget(edit);
      return edit;
    };
    row.min = field("min", range.min);
    row.max = field("max", range.max);
    box->setMinimumHeight(50);
    return box;
  }
  auto end = [&](const char* name, double value, QCalendarWidget*& date, QTimeEdit*& time) {
    auto* column = new QVBoxLayout;
    column->addWidget(new QLabel(name));
    QDateTime dt = ToDateTime(value);
    date = new QCalendarWidget;
    date->setSelectedDate(dt.date());
    time = new DigitTimeEdit(dt.time());
    time->setObjectName(QString(label).left(1).toLower() + name + "Time");
    time->setDisplayFormat("HH:mm:ss");
    column->addWidget(date);
    column->addWidget(time);
    layout->addLayout(column);
  };
  end("min", range.min, row.minDate, row.minTime);
  end("max", range.max, row.maxDate, row.maxTime);
  box->setMinimumHeight(175);
  return box;
}

chart::AxisRange CEditScalingDlg::Read(const Row& row, bool& ok) {
  chart::AxisRange r;
  r.fixed = true;
  if (row.time) {
    r.min = FromDateTime(row.minDate->selectedDate(), row.minTime->time());
    r.max = FromDateTime(row.maxDate->selectedDate(), row.maxTime->time());
  } else {
    bool a = false, b = false;
    r.min = QLocale().toDouble(row.min->text(), &a);
    if (!a) r.min = row.min->text().toDouble(&a);
    r.max = QLocale().toDouble(row.max->text(), &b);
    if (!b) r.max = row.max->text().toDouble(&b);
    ok = ok && a && b;
  }
  ok = ok && std::isfinite(r.min) && std::isfinite(r.max) && r.min < r.max;
  return r;
}

chart::AxisRange CEditScalingDlg::X() const {
  bool ok = true;
  return Read(x, ok);
}

chart::AxisRange CEditScalingDlg::Y() const {
  bool ok = true;
  return Read(y, ok);
}

void CEditScalingDlg::accept() {
  bool ok = true;
  Read(x, ok);
  Read(y, ok);
  if (!ok) {
    AfxMessageBox("Give each axis a minimum below its maximum.", MsgIcon::Exclamation);
    return;
  }
  QDialog::accept();
}

}  // namespace vantora

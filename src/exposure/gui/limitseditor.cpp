#include "exposure/gui/limitseditor.h"

#include <QComboBox>
#include <QCompleter>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <charconv>

#include "common/codepage.h"
#include "common/gui/framework.h"
#include "common/pathutil.h"
#include "common/profile.h"
#include "exposure/gui/exposurewindow.h"
#include "exposure/gui/limitstore.h"
#include "exposure/units.h"
#include "model/vocabulary.h"

namespace vantora::exposure {

namespace {

QString Utf8(const std::string& text) { return QString::fromStdString(text); }
std::string Utf8(const QString& text) { return text.toStdString(); }

std::string Quoted(const std::string& field) {
  std::string q = "\"";
  for (char c : field) {
    if (c == '"') q += '"';
    q += c;
  }
  return q + "\"";
}

std::string NumberText(double v) {
  char text[64];
  auto r = std::to_chars(text, text + sizeof text, v);
  return std::string(text, r.ptr);
}

const char* const kOrigins[] = {"shipped (read-only)", "shipped, replaced by your set", "yours",
                                "yours, replaces the shipped set"};

// The long names of the parameter table, for the parameter field.
QStringList ParameterNames() {
  QStringList names;
  for (int code = 0; code <= 154; ++code)  // the table's codes
    if (IsTableParameter(code)) {
      const QString name = Utf8(Cp1252ToUtf8(TheParamNames().GetName(code, true)));
      if (!name.isEmpty() && !names.contains(name)) names << name;
    }
  names.sort(Qt::CaseInsensitive);
  return names;
}

}  // namespace

bool CheckLimitRow(const LimitFields& f, LimitRow& row, std::string& problem) {
  const std::string fields[] = {f.set, f.parameter, f.kind, f.value, f.unit, f.source};
  std::string line;
  for (const std::string& field : fields) {
    if (field.find_first_of("\r\n") != std::string::npos) {
      problem = "a field holds a line break";
      return false;
    }
    line += (line.empty() ? "" : ",") + Quoted(field);
  }
  // The reader itself, on a file of this one row.
  LimitLibrary library;
  std::vector<std::string> problems;
  library.AddText(std::string(kLimitsHeading) + "\n" + line + "\n", "row",
                  TheParamNames().compounds(), problems);
  if (!problems.empty()) {
    const std::string prefix = "row:2: ";
    problem = problems.front().compare(0, prefix.size(), prefix) == 0
                  ? problems.front().substr(prefix.size())
                  : problems.front();
    return false;
  }
  if (library.Sets().size() != 1 || library.Sets().front().rows.size() != 1) {
    problem = "the row could not be read";
    return false;
  }
  row = library.Sets().front().rows.front();
  row.file.clear();
  row.line = 0;
  return true;
}

LimitsEditor::LimitsEditor(QWidget* parent) : QDialog(parent) {
  setObjectName("LimitsEditor");
  setWindowTitle("Exposure Limits");
  path_ = UserLimitsPath();
  CompoundLibrary& compounds = TheParamNames().compounds();
  LoadedLimits shipped = LoadLimitLibrary(std::string(), std::string(), compounds);
  shipped_ = shipped.library.Sets();
  readProblems_ = shipped.problems;
  const std::string problem = UserLimitsProblem(path_);
  if (!problem.empty()) {
    unreadable_ = true;
    readProblems_.push_back(problem);
  } else {
    LimitLibrary own;
    own.AddFile(path_, kUserLimitsLabel, compounds, readProblems_);
    user_ = own.Sets();
  }

  auto* intro = new QLabel(
      Utf8("Shipped sets are read-only. Your own sets are kept in " + Cp1252ToUtf8(path_) +
           ". A set of yours with the name of a shipped set replaces that shipped set as a "
           "whole: only your rows of it apply."),
      this);
  intro->setWordWrap(true);
  table_ = new QTableWidget(this);
  table_->setObjectName("LimitRows");
  table_->setColumnCount(7);
  table_->setHorizontalHeaderLabels(
      {"Set", "Origin", "Parameter", "Kind", "Value", "Unit", "Source"});
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->verticalHeader()->setVisible(false);

  setField_ = new QComboBox(this);
  setField_->setObjectName("Set");
  setField_->setEditable(true);
  setField_->setInsertPolicy(QComboBox::NoInsert);
  parameterField_ = new QLineEdit(this);
  parameterField_->setObjectName("Parameter");
  auto* completer = new QCompleter(ParameterNames(), parameterField_);
  completer->setCaseSensitivity(Qt::CaseInsensitive);
  completer->setFilterMode(Qt::MatchContains);
  parameterField_->setCompleter(completer);
  parameterField_->setToolTip(
      "A parameter code, a parameter's short or long name, or a compound's full name from "
      "the compound list");
  kindField_ = new QComboBox(this);
  kindField_->setObjectName("Kind");
  for (LimitKind k :
       {LimitKind::Twa8, LimitKind::Stel, LimitKind::Ceiling, LimitKind::High, LimitKind::Low})
    kindField_->addItem(LimitKindName(k));
  valueField_ = new QLineEdit(this);
  valueField_->setObjectName("Value");
  unitField_ = new QComboBox(this);
  unitField_->setObjectName("Unit");
  unitField_->setEditable(true);
  unitField_->setInsertPolicy(QComboBox::NoInsert);
  for (const char* unit : {"ppm", "ppb", "%", "mg/m3", "\xC2\xB5g/m3", "g/m3",
                           "\xC2\xB0"
                           "C",
                           "\xC2\xB0"
                           "F",
                           "K", "%RH"})
    unitField_->addItem(QString::fromUtf8(unit));
  sourceField_ = new QLineEdit(this);
  sourceField_->setObjectName("Source");
  sourceField_->setToolTip("Where the value comes from: the standard, its table or its clause");

  auto* form = new QFormLayout;
  form->addRow("S&et:", setField_);
  form->addRow("&Parameter:", parameterField_);
  form->addRow("&Kind:", kindField_);
  form->addRow("&Value:", valueField_);
  form->addRow("&Unit:", unitField_);
  form->addRow("S&ource:", sourceField_);

  add_ = new QPushButton("&Add", this);
  change_ = new QPushButton("C&hange", this);
  remove_ = new QPushButton("&Remove", this);
  for (QPushButton* b : {add_, change_, remove_}) b->setAutoDefault(false);
  auto* editButtons = new QVBoxLayout;
  editButtons->addWidget(add_);
  editButtons->addWidget(change_);
  editButtons->addWidget(remove_);
  editButtons->addStretch(1);
  auto* editRow = new QHBoxLayout;
  editRow->addLayout(form, 1);
  editRow->addLayout(editButtons);

  message_ = new QLabel(this);
  message_->setObjectName("Message");
  message_->setWordWrap(true);
  problems_ = new QLabel(this);
  problems_->setObjectName("Problems");
  problems_->setWordWrap(true);
  problems_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  problems_->setStyleSheet("QLabel { color: #8a4b00; }");
  if (!readProblems_.empty()) {
    std::string text = unreadable_ ? "Your limits file was not read; saving replaces it:"
                                   : "Rows that could not be read were skipped; saving your "
                                     "sets drops them:";
    for (std::size_t i = 0; i < readProblems_.size() && i < 20; ++i)
      text += "\n" + readProblems_[i];
    if (readProblems_.size() > 20)
      text += "\n... and " + std::to_string(readProblems_.size() - 20) + " more";
    problems_->setText(Utf8(text));
  }
  problems_->setVisible(!readProblems_.empty());

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Close, this);
  save_ = buttons->button(QDialogButtonBox::Save);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(intro);
  layout->addWidget(problems_);
  layout->addWidget(table_, 1);
  layout->addLayout(editRow);
  layout->addWidget(message_);
  layout->addWidget(buttons);

  connect(add_, &QPushButton::clicked, this, [this] { AddRow(); });
  connect(change_, &QPushButton::clicked, this, [this] { ChangeRow(); });
  connect(remove_, &QPushButton::clicked, this, [this] { RemoveRow(); });
  connect(save_, &QPushButton::clicked, this, [this] { Save(); });
  connect(buttons, &QDialogButtonBox::rejected, this, &LimitsEditor::reject);
  connect(table_, &QTableWidget::itemSelectionChanged, this, [this] {
    if (filling_) return;
    const int line = SelectedLine();
    if (line >= 0) SelectEntry(line);
    UpdateButtons();
  });

  Fill();
  UpdateButtons();
  resize(1000, 640);
}

LimitsEditor::~LimitsEditor() = default;

void LimitsEditor::Fill() {
  filling_ = true;
  entries_.clear();
  // The user's rows first: they are the ones to edit.
  for (std::size_t s = 0; s < user_.size(); ++s)
    for (std::size_t r = 0; r < user_[s].rows.size(); ++r) entries_.push_back({false, s, r});
  for (std::size_t s = 0; s < shipped_.size(); ++s)
    for (std::size_t r = 0; r < shipped_[s].rows.size(); ++r) entries_.push_back({true, s, r});
  table_->clearContents();
  table_->setRowCount(static_cast<int>(entries_.size()));
  const QColor greyed(0x6E, 0x6E, 0x6E);
  for (int line = 0; line < static_cast<int>(entries_.size()); ++line) {
    const Entry& e = entries_[static_cast<std::size_t>(line)];
    const LimitSet& set = e.shipped ? shipped_[e.set] : user_[e.set];
    const LimitRow& row = set.rows[e.row];
    const bool clash = e.shipped ? UserSet(set.name) >= 0 : ShippedNameTaken(set.name);
    const char* origin = kOrigins[(e.shipped ? 0 : 2) + (clash ? 1 : 0)];
    const std::string cells[] = {
        set.name, origin,    row.parameter, LimitKindName(row.kind), NumberText(row.value),
        row.unit, row.source};
    for (int c = 0; c < 7; ++c) {
      auto* item = new QTableWidgetItem(Utf8(cells[c]));
      item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
      if (e.shipped) item->setForeground(greyed);
      if (e.shipped && clash) {
        QFont struck = item->font();
        struck.setStrikeOut(true);
        item->setFont(struck);
      }
      table_->setItem(line, c, item);
    }
  }
  table_->resizeColumnsToContents();
  table_->resizeRowsToContents();
  table_->horizontalHeader()->setStretchLastSection(true);

  const QString typed = setField_->currentText();
  setField_->clear();
  for (const LimitSet& s : user_) setField_->addItem(Utf8(s.name));
  for (const LimitSet& s : shipped_)
    if (UserSet(s.name) < 0) setField_->addItem(Utf8(s.name));
  setField_->setCurrentText(typed);
  filling_ = false;
}

void LimitsEditor::UpdateButtons() {
  const int line = SelectedLine();
  const bool own = line >= 0 && !entries_[static_cast<std::size_t>(line)].shipped;
  change_->setEnabled(own);
  remove_->setEnabled(own);
}

int LimitsEditor::SelectedLine() const {
  const QList<QTableWidgetItem*> items = table_->selectedItems();
  if (items.isEmpty()) return -1;
  const int line = items.front()->row();
  return line >= 0 && line < static_cast<int>(entries_.size()) ? line : -1;
}

int LimitsEditor::UserSet(const std::string& name) const {
  for (std::size_t i = 0; i < user_.size(); ++i)
    if (user_[i].name == name) return static_cast<int>(i);
  return -1;
}

bool LimitsEditor::ShippedNameTaken(const std::string& name) const {
  for (const LimitSet& s : shipped_)
    if (s.name == name) return true;
  return false;
}

void LimitsEditor::SetMessage(const std::string& text, bool problem) {
  message_->setText(Utf8(text));
  message_->setStyleSheet(problem ? "QLabel { color: #b00020; }" : QString());
}

void LimitsEditor::SelectEntry(int line) {
  if (line < 0 || line >= static_cast<int>(entries_.size())) return;
  if (SelectedLine() != line) {
    table_->selectRow(line);
    return;  // the selection change comes back here
  }
  const Entry& e = entries_[static_cast<std::size_t>(line)];
  const LimitSet& set = e.shipped ? shipped_[e.set] : user_[e.set];
  const LimitRow& row = set.rows[e.row];
  SetFields({set.name, row.parameter, LimitKindName(row.kind), NumberText(row.value), row.unit,
             row.source});
  if (e.shipped)
    SetMessage(
        "Shipped rows cannot be changed. To use other values, add rows to a set of your "
        "own; a set of yours named \"" +
            set.name + "\" replaces the shipped one as a whole.",
        false);
  else
    SetMessage(std::string(), false);
}

void LimitsEditor::SetFields(const LimitFields& f) {
  setField_->setCurrentText(Utf8(f.set));
  parameterField_->setText(Utf8(f.parameter));
  const int kind = kindField_->findText(Utf8(f.kind), Qt::MatchFixedString);
  if (kind >= 0) kindField_->setCurrentIndex(kind);
  valueField_->setText(Utf8(f.value));
  unitField_->setCurrentText(Utf8(f.unit));
  sourceField_->setText(Utf8(f.source));
}

LimitFields LimitsEditor::Fields() const {
  return {Utf8(setField_->currentText()),  Utf8(parameterField_->text()),
          Utf8(kindField_->currentText()), Utf8(valueField_->text()),
          Utf8(unitField_->currentText()), Utf8(sourceField_->text())};
}

int LimitsEditor::Insert(LimitRow row) {
  int set = UserSet(row.set);
  if (set < 0) {
    if (ShippedNameTaken(row.set)) {
      std::size_t count = 0;
      for (const LimitSet& s : shipped_)
        if (s.name == row.set) count = s.rows.size();
      const std::string question =
          "Your own set \"" + row.set +
          "\" will replace the shipped set of that name as a whole: " + std::to_string(count) +
          " shipped rows no longer apply, only the rows of your set.\n\nAdd the row?";
      if (AfxMessageBox(Utf8ToCp1252(question), MsgIcon::Question, MsgButtons::YesNo) != IDYES)
        return -1;
    }
    user_.push_back(LimitSet{row.set, {}});
    set = static_cast<int>(user_.size()) - 1;
  }
  user_[static_cast<std::size_t>(set)].rows.push_back(std::move(row));
  modified_ = true;
  Fill();
  for (int line = 0; line < static_cast<int>(entries_.size()); ++line) {
    const Entry& e = entries_[static_cast<std::size_t>(line)];
    if (!e.shipped && e.set == static_cast<std::size_t>(set) &&
        e.row + 1 == user_[static_cast<std::size_t>(set)].rows.size())
      return line;
  }
  return -1;
}

bool LimitsEditor::AddRow() {
  LimitRow row;
  std::string problem;
  if (!CheckLimitRow(Fields(), row, problem)) {
    SetMessage("The row was not added: " + problem + ".", true);
    return false;
  }
  const int line = Insert(row);
  if (line < 0) return false;
  table_->selectRow(line);
  std::string note = "Row added to your set \"" + row.set + "\".";
  if (LimitUnit(row.unit) == Unit::Other)
    note += " Its unit \"" + row.unit +
            "\" is none of those that convert: it applies only to channels whose unit has "
            "exactly that name.";
  SetMessage(note, false);
  UpdateButtons();
  return true;
}

bool LimitsEditor::ChangeRow() {
  const int line = SelectedLine();
  if (line < 0 || entries_[static_cast<std::size_t>(line)].shipped) {
    SetMessage("Select a row of your own sets to change.", true);
    return false;
  }
  LimitRow row;
  std::string problem;
  if (!CheckLimitRow(Fields(), row, problem)) {
    SetMessage("The row was not changed: " + problem + ".", true);
    return false;
  }
  const Entry e = entries_[static_cast<std::size_t>(line)];
  LimitSet& set = user_[e.set];
  if (set.name == row.set) {
    set.rows[e.row] = row;
    modified_ = true;
    Fill();
    table_->selectRow(line);
  } else {
    // Into another set: the row moves to its end.
    std::vector<LimitSet> before = user_;
    set.rows.erase(set.rows.begin() + static_cast<std::ptrdiff_t>(e.row));
    if (set.rows.empty()) user_.erase(user_.begin() + static_cast<std::ptrdiff_t>(e.set));
    const int moved = Insert(row);
    if (moved < 0) {
      user_ = std::move(before);
      Fill();
      table_->selectRow(line);
      return false;
    }
    table_->selectRow(moved);
  }
  SetMessage("Row changed.", false);
  UpdateButtons();
  return true;
}

bool LimitsEditor::RemoveRow() {
  const int line = SelectedLine();
  if (line < 0 || entries_[static_cast<std::size_t>(line)].shipped) {
    SetMessage("Select a row of your own sets to remove.", true);
    return false;
  }
  const Entry e = entries_[static_cast<std::size_t>(line)];
  LimitSet& set = user_[e.set];
  set.rows.erase(set.rows.begin() + static_cast<std::ptrdiff_t>(e.row));
  if (set.rows.empty()) user_.erase(user_.begin() + static_cast<std::ptrdiff_t>(e.set));
  modified_ = true;
  Fill();
  table_->clearSelection();
  SetMessage("Row removed.", false);
  UpdateButtons();
  return true;
}

bool LimitsEditor::Save() {
  const std::string shown = Cp1252ToUtf8(path_);
  if (unreadable_ || !readProblems_.empty()) {
    const std::string question =
        unreadable_
            ? "Your limits file " + shown +
                  " was not read. Saving replaces it with the rows of your sets shown here.\n\n"
                  "Save?"
            : "Saving replaces " + shown +
                  ": the rows that could not be read (listed in this dialog) are dropped.\n\nSave?";
    if (AfxMessageBox(Utf8ToCp1252(question), MsgIcon::Question, MsgButtons::YesNo) != IDYES)
      return false;
  }
  if (RefusesOutput(path_)) {
    AfxMessageBox(LocationOutputRefusedMessage(path_), MsgIcon::Exclamation);
    return false;
  }
  MakeDirectoryPath(SettingsFolder());
  int error = 0;
  if (!WriteTextFile(path_, LimitsFileText(user_), &error)) {
    AfxMessageBox(WithWriteFailure("Your limits could not be saved.", path_, error),
                  MsgIcon::Exclamation);
    return false;
  }
  modified_ = false;
  unreadable_ = false;
  readProblems_.clear();
  problems_->setVisible(false);
  SetMessage("Saved to " + shown + ".", false);
  ReloadLimits();
  RefreshExposureWindows();
  return true;
}

void LimitsEditor::reject() {
  if (modified_) {
    const int answer = AfxMessageBox("Save the changes to your limits?", MsgIcon::Question,
                                     MsgButtons::YesNoCancel);
    if (answer == IDCANCEL) return;
    if (answer == IDYES && !Save()) return;
  }
  QDialog::reject();
}

void RunLimitsEditor(QWidget* parent) {
  LimitsEditor editor(parent);
  editor.exec();
}

}  // namespace vantora::exposure

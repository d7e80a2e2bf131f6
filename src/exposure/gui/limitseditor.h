// The Exposure Limits dialog: the rows of every limit set, the shipped sets
// read-only, and the user's own sets, whose rows can be added, changed and
// removed. Each row is checked as the limits reader checks it; Save writes
// the user's sets to their limits.csv and refreshes the open exposure
// windows. A set of the user's with the name of a shipped set replaces that
// set as a whole.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "exposure/limits.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace vantora::exposure {

// The fields of a limits file row, in file order.
struct LimitFields {
  std::string set, parameter, kind, value, unit, source;  // UTF-8
};

// Reads `fields` exactly as the limits reader reads a row of a file: true
// with the row as it would be read back, else false with what is wrong.
bool CheckLimitRow(const LimitFields& fields, LimitRow& row, std::string& problem);

class LimitsEditor : public QDialog {
  Q_OBJECT
 public:
  explicit LimitsEditor(QWidget* parent = nullptr);
  ~LimitsEditor() override;

  // What a line of the table shows: a row of a shipped set or of the user's.
  struct Entry {
    bool shipped = false;
    std::size_t set = 0;
    std::size_t row = 0;
  };
  const std::vector<Entry>& Entries() const { return entries_; }
  const std::vector<LimitSet>& ShippedSets() const { return shipped_; }
  const std::vector<LimitSet>& UserSets() const { return user_; }
  bool IsModified() const { return modified_; }
  // The rows of the user's file that were skipped at reading (file:line).
  const std::vector<std::string>& ReadProblems() const { return readProblems_; }

  // Selects a line of the table and shows its row in the fields.
  void SelectEntry(int line);
  // Puts values into the fields.
  void SetFields(const LimitFields& fields);
  // A new row of the user's from the fields; false (saying why) when the
  // fields do not make a row or the user declines.
  bool AddRow();
  // The selected row of the user's becomes the fields' row.
  bool ChangeRow();
  // Removes the selected row of the user's (a set left empty goes).
  bool RemoveRow();
  // Writes the user's sets to their limits.csv; false when not written.
  bool Save();

  QTableWidget* Table() const { return table_; }
  QLabel* Message() const { return message_; }
  QPushButton* AddButton() const { return add_; }
  QPushButton* ChangeButton() const { return change_; }
  QPushButton* RemoveButton() const { return remove_; }
  QPushButton* SaveButton() const { return save_; }

 public Q_SLOTS:
  // Closing with unsaved changes asks whether to save them.
  void reject() override;

 private:
  void Fill();
  void UpdateButtons();
  LimitFields Fields() const;
  int SelectedLine() const;
  // The user's set of this name (exact), or -1.
  int UserSet(const std::string& name) const;
  bool ShippedNameTaken(const std::string& name) const;
  // Puts `row` into the user's sets (asking before a set replaces a shipped
  // one); the table line it shows on, or -1 when declined.
  int Insert(LimitRow row);
  void SetMessage(const std::string& text, bool problem);

  std::string path_;
  std::vector<LimitSet> shipped_;
  std::vector<LimitSet> user_;
  std::vector<Entry> entries_;
  std::vector<std::string> readProblems_;
  bool unreadable_ = false;  // the user's file exists but was not read
  bool modified_ = false;
  bool filling_ = false;

  QTableWidget* table_;
  QComboBox* setField_;
  QLineEdit* parameterField_;
  QComboBox* kindField_;
  QLineEdit* valueField_;
  QComboBox* unitField_;
  QLineEdit* sourceField_;
  QLabel* message_;
  QLabel* problems_;
  QPushButton* add_;
  QPushButton* change_;
  QPushButton* remove_;
  QPushButton* save_;
};

// View > Exposure Limits: the dialog, modal.
void RunLimitsEditor(QWidget* parent);

}  // namespace vantora::exposure

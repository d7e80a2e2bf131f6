// The columns shown by a location view and used by its copy command.
#pragma once

#include "common/logdata.h"

namespace vantora {

class ColumnSelection {
 public:
  virtual ~ColumnSelection() = default;

  void Reset();
  // Channels 0 to n - 1 and the time columns.
  void SelectFirst(int n);
  void CopyTo(ColumnSelection& other) const { other = *this; }
  bool IsSelected(int channel) const;
  void SetSelected(int channel, bool on);
  void Toggle(int channel);
  bool IsTimeSelected() const { return showTime; }
  void SetTimeSelected(bool on) { showTime = on; }
  void ToggleTime() { showTime = !showTime; }
  int Count() const;

  bool selected[kMaxChannels] = {};
  bool showTime = false;
  int focusChannel = -1;

 private:
  void CheckFocus();
};

// The text of the Copy command: a heading line and one line per record,
// tab-separated, CR LF line ends. With no column selected at all, the date,
// the time and every channel are copied.
std::string CopyReadingsText(const CLogData& data, const ColumnSelection& selection);

}  // namespace vantora

#include "location/columnselection.h"

#include "common/timetext.h"

namespace vantora {

void ColumnSelection::Reset() {
  for (bool& s : selected) s = false;
  showTime = false;
  focusChannel = -1;
}

void ColumnSelection::SelectFirst(int n) {
  for (int c = 0; c < kMaxChannels; ++c) selected[c] = c < n;
  showTime = true;
}

bool ColumnSelection::IsSelected(int channel) const {
  return channel >= 0 && channel < kMaxChannels && selected[channel];
}

void ColumnSelection::SetSelected(int channel, bool on) {
  if (channel < 0 || channel >= kMaxChannels) return;
  selected[channel] = on;
  CheckFocus();
}

void ColumnSelection::Toggle(int channel) {
  if (channel < 0 || channel >= kMaxChannels) return;
  selected[channel] = !selected[channel];
  CheckFocus();
}

int ColumnSelection::Count() const {
  int n = 0;
  for (bool s : selected) n += s ? 1 : 0;
  return n;
}

void ColumnSelection::CheckFocus() {
  if (!IsSelected(focusChannel)) focusChannel = -1;
}

std::string CopyReadingsText(const CLogData& data, const ColumnSelection& current) {
  ColumnSelection sel;
  current.CopyTo(sel);
  if (!sel.IsTimeSelected() && sel.Count() == 0) sel.SelectFirst(kMaxChannels);
  int channels = data.ChannelCount();
  std::string text;
  bool any = false;
  if (sel.showTime) {
    text += "Date \tTime ";
    any = true;
  }
  for (int c = 0; c < channels; ++c) {
    if (!sel.IsSelected(c)) continue;
    if (any) text += '\t';
    std::string name;
    data.GetChannelName(c, name);
    text += name;
    any = true;
  }
  text += "\r\n";
  int last = data.LastRecordIndex();
  std::string value;
  for (int r = 0; r <= last; ++r) {
    any = false;
    if (sel.showTime) {
      // A record that cannot be read says so in both cells, as the export does.
      LogTime t = 0;
      const bool read = data.GetTime(r, t);
      text += read ? DateText(t) : std::string("error");
      text += '\t';
      text += read ? TimeText(t, true) : std::string("error");
      any = true;
    }
    for (int c = 0; c < channels; ++c) {
      if (!sel.IsSelected(c)) continue;
      if (any) text += '\t';
      double v = 0;
      data.GetValue(r, c, v);
      data.FormatValue(c, v, value, true);
      text += value;
      any = true;
    }
    text += "\r\n";
  }
  return text;
}

}  // namespace vantora

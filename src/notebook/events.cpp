#include "notebook/events.h"

#include "common/timetext.h"
#include "integrity/recordfile.h"

namespace vantora {

std::vector<EventRecord> ReadEvents(const std::string& path) {
  std::vector<EventRecord> events;
  RecordFile in(path);
  in.OpenForRead();
  if (in.Error() != RecordFileError::None) return events;
  in.ExpectByte(kEventMarker);
  while (in.Error() == RecordFileError::None && !in.AtEnd()) {
    EventRecord event;
    event.time = in.ReadTime();
    int n = in.ReadWord();
    // Without a whole time and length there is no event to show.
    if (in.AtEnd()) break;
    if (n > 0) event.text = in.ReadFixedString(n);
    if (in.Error() == RecordFileError::None) events.push_back(std::move(event));
    in.ExpectByte(kEventMarker);
  }
  in.Close();
  return events;
}

std::string EventLine(const EventRecord& event) {
  return DateTimeText(event.time) + " " + event.text;
}

std::vector<std::string> EventLines(const std::string& path) {
  std::vector<std::string> lines;
  for (const auto& e : ReadEvents(path)) lines.push_back(EventLine(e));
  return lines;
}

std::string JoinLinesCrLf(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\r\n";
  return text;
}

}  // namespace vantora

#include "notebook/events.h"

#include <cstdint>

#include "common/platform.h"
#include "common/timetext.h"
#include "integrity/recordfile.h"

namespace vantora {

std::vector<EventRecord> ReadEvents(const std::string& path) {
  std::vector<EventRecord> events;
  // The file is read in one piece and parsed from memory.
  std::vector<unsigned char> bytes;
  {
    PlatformFile file;
    if (!file.OpenRead(path)) return events;
    unsigned char block[1 << 16];
    for (std::int64_t offset = 0;;) {
      const long long got = file.ReadAt(offset, block, sizeof block);
      if (got <= 0) break;
      bytes.insert(bytes.end(), block, block + got);
      offset += got;
    }
  }
  RecordFile in(path);
  in.OpenMemoryForRead(bytes.data(), bytes.size());
  bytes = {};
  if (in.Error() != RecordFileError::None) return events;
  in.ExpectByte(kEventMarker);
  while (in.Error() == RecordFileError::None && !in.AtEnd()) {
    EventRecord event;
    event.time = in.ReadTime();
    // Without a whole time and length there is no event to show. (A word cut
    // short by the end of the file is read without reaching the end, so the
    // length is read as two bytes that must both arrive.)
    std::uint8_t length[2];
    if (!in.ReadBytes(length, 2)) break;
    int n = length[0] | (length[1] << 8);
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

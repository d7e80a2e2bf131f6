// The events file of a location (".evt"): timed text remarks, each record the
// marker byte 100, a time record, a word length and the text bytes.
#pragma once

#include <string>
#include <vector>

#include "common/platform.h"

namespace vantora {

constexpr int kEventMarker = 100;

struct EventRecord {
  LogTime time = 0;
  std::string text;
};

// Every complete event up to the first damaged record, in file order. A
// missing or unreadable file gives none. A record whose text is cut short by
// the end of the file is kept with the text present; one cut inside its time
// or length is dropped.
std::vector<EventRecord> ReadEvents(const std::string& path);

// "06-Mar-2026 14:05:09 Door opened"
std::string EventLine(const EventRecord& event);
std::vector<std::string> EventLines(const std::string& path);

// The lines joined, each followed by "\r\n" (the Copy text).
std::string JoinLinesCrLf(const std::vector<std::string>& lines);

}  // namespace vantora

// libFuzzer target: the events file reader and the point drawing renderer on
// arbitrary bytes.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "notebook/drawing.h"
#include "notebook/events.h"
#include "scratch.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vantora;
  static const std::string path = fuzz::ScratchFolder("events") + "/F.evt";
  if (!fuzz::WriteScratchFile(path, data, size)) return 0;
  // Every line is a date and time, a blank and the text.
  for (const auto& line : EventLines(path))
    if (line.find(' ') == std::string::npos) std::abort();
  RenderPointFile(path);
  return 0;
}

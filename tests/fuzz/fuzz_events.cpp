// libFuzzer target: the events file reader and the point drawing renderer on
// arbitrary bytes.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "notebook/drawing.h"
#include "notebook/events.h"

namespace {

struct Scratch {
  Scratch() {
    char templ[] = "/tmp/vantora-fuzz-events-XXXXXX";
    const char* made = mkdtemp(templ);
    if (!made) std::abort();
    folder = made;
  }
  ~Scratch() {
    std::remove((folder + "/F.evt").c_str());
    rmdir(folder.c_str());
  }
  std::string folder;
};

const std::string& Folder() {
  static Scratch scratch;
  return scratch.folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vantora;
  const std::string path = Folder() + "/F.evt";
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 0;
  if (size > 0) std::fwrite(data, 1, size, f);
  std::fclose(f);
  // Every line is a date and time, a blank and the text.
  for (const auto& line : EventLines(path))
    if (line.find(' ') == std::string::npos) std::abort();
  RenderPointFile(path);
  return 0;
}

// Scratch files of a fuzz target: one private folder per run under /tmp,
// removed with everything in it when the run ends.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace fuzz {

// The run's folder, made on first use ("/tmp/vantora-fuzz-<tag>-XXXXXX").
// Every call in one program returns the folder of the first.
inline const std::string& ScratchFolder(const std::string& tag) {
  struct Folder {
    explicit Folder(const std::string& tag) {
      std::string templ = "/tmp/vantora-fuzz-" + tag + "-XXXXXX";
      if (!mkdtemp(&templ[0])) std::abort();
      path = templ;
    }
    ~Folder() {
      std::error_code ec;
      std::filesystem::remove_all(path, ec);
    }
    std::string path;
  };
  static Folder folder(tag);
  return folder.path;
}

// Replaces the file with `size` bytes; false when it cannot be written.
inline bool WriteScratchFile(const std::string& path, const void* data, std::size_t size) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = size == 0 || std::fwrite(data, 1, size, f) == size;
  return std::fclose(f) == 0 && ok;
}

}  // namespace fuzz

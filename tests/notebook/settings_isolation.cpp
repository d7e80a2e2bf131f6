// Points the settings store at a private folder before any test runs, so the
// tests never read or write the user's own settings (nor those of other test
// programs running at the same time).
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

struct IsolateSettings {
  IsolateSettings() {
    auto dir = std::filesystem::temp_directory_path() /
               ("vantora-nb-settings-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    ::setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
  }
  ~IsolateSettings() {
    std::error_code ec;
    std::filesystem::remove_all(std::getenv("XDG_CONFIG_HOME"), ec);
  }
} isolate;

}  // namespace

// Compiled into every test program: each test process gets its own settings
// folder, set before the first settings access, so that tests never touch the
// user's settings and parallel test processes never share a profile. The
// folder is removed when the process ends.
// POSIX only (XDG settings folders).
#ifndef _WIN32
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {
struct ConfigHome {
  ConfigHome() {
    char pattern[] = "/tmp/vantora-test-cfg-XXXXXX";
    if (char* dir = ::mkdtemp(pattern)) {
      path = dir;
      ::setenv("XDG_CONFIG_HOME", dir, 1);
    }
  }
  ~ConfigHome() {
    std::error_code ec;
    if (!path.empty()) std::filesystem::remove_all(path, ec);
  }
  std::string path;
} configHome;
}  // namespace

#endif  // _WIN32

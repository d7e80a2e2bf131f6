// Every transfer test process gets its own settings folder, set before the
// first settings access, so that tests never touch the user's settings and
// parallel test processes never share a profile.
// POSIX only (XDG settings folders).
#ifndef _WIN32
#include <cstdlib>
#include <string>

namespace {
struct ConfigHome {
  ConfigHome() {
    char pattern[] = "/tmp/vantora-xfer-cfg-XXXXXX";
    if (char* dir = ::mkdtemp(pattern)) ::setenv("XDG_CONFIG_HOME", dir, 1);
  }
} configHome;
}  // namespace

#endif  // _WIN32

// The version of the programs: the one number the build defines
// (VANTORA_VERSION, from CMake's project version), which the About box, every
// program's --version, the package and the survey report's cover show.
#pragma once

#include <cstring>
#include <string>

namespace vantora {

inline constexpr const char kProgramVersion[] = VANTORA_VERSION;
inline constexpr const char kProgramLicence[] = "GPL-3.0-or-later";

// "<program> <version>", the line --version prints.
inline std::string VersionLine(const std::string& program) {
  return program + " " + kProgramVersion;
}

// True when an argument of the command line is "--version" (the window
// programs answer it before they look for a display).
inline bool AsksForVersion(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (argv[i] && std::strcmp(argv[i], "--version") == 0) return true;
  return false;
}

}  // namespace vantora

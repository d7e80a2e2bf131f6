// The largest location a file can hold: 65,535 records of 20 channels.
#pragma once

#include <string>

namespace vantora::test {

// Writes it at `path` with the program's writer (version 3, one record a second).
void WriteLargestLocation(const std::string& path);

// Such a location, written once per process in a scratch folder of its own
// (removed when the process ends).
const std::string& LargestLocationPath();

}  // namespace vantora::test

// The largest location a file can hold: 65,535 records of 20 channels.
#pragma once

#include <string>

namespace vantora::test {

// Writes it at `path` with the program's writer (version 3, one record a second).
void WriteLargestLocation(const std::string& path);

}  // namespace vantora::test

// A realistic sample site, written through the location-file writer: used by
// the README's run command, the GUI tests and demos.
#pragma once

#include <string>
#include <vector>

namespace vantora {

// Writes the sample site's location files into `folder` (created when
// missing). Returns the paths written; `error` says what failed.
std::vector<std::string> WriteSampleSite(const std::string& folder, std::string& error);

}  // namespace vantora

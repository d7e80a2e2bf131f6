// The profile side of graph settings: the display options and the mode are
// kept in the profile section "Graph" from one run to the next; the
// parameters and the title are not.
#pragma once

#include <memory>
#include <string>

#include "exposure/limits.h"
#include "graph/graphsettings.h"

namespace vantora::graph {

// Clears the parameters, their count and the mode, then reads the eight
// flags, "Legend", "LimitLines" and "Mode" (stored 0/1/2; anything but 1 or 2 reads as
// Single Y); the title becomes empty and its font size 16.
void LoadGraphSettings(GraphSettings& settings);
// Writes the eight flags (0/1), "Legend", "LimitLines" and "Mode" (0/1/2),
// in the order they are read.
void SaveGraphSettings(const GraphSettings& settings);

// A record read from the profile when made and written back when destroyed,
// whether or not it was used.
class ProfiledGraphSettings {
 public:
  ProfiledGraphSettings() { LoadGraphSettings(settings); }
  ~ProfiledGraphSettings() { SaveGraphSettings(settings); }
  ProfiledGraphSettings(const ProfiledGraphSettings&) = delete;
  ProfiledGraphSettings& operator=(const ProfiledGraphSettings&) = delete;

  GraphSettings& Get() { return settings; }
  const GraphSettings& Get() const { return settings; }

  GraphSettings settings;
};

// The limit sets VantoraPC uses (those of the exposure windows: the shipped
// ones, then the user's limits.csv) and the one chosen in the profile
// ("Exposure"/"LimitSet"; the default set when that no longer exists).
struct ProfileLimits {
  ProfileLimits();
  ProfileLimits(const ProfileLimits&) = delete;
  ProfileLimits& operator=(const ProfileLimits&) = delete;
  std::shared_ptr<const exposure::LoadedLimits> loaded;
  const exposure::LimitSet* set = nullptr;
};

}  // namespace vantora::graph

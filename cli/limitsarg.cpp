#include "cli/limitsarg.h"

#include "cli/cli.h"
#include "model/vocabulary.h"

namespace vantora::cli {

bool LoadLimits(const std::string& file, exposure::LoadedLimits& limits) {
  const std::string path = file.empty() ? std::string() : ArgPath(file);
  limits = exposure::LoadLimitLibrary(path, file, TheParamNames().compounds());
  for (const std::string& problem : limits.problems) FailUtf8(problem);
  if (!path.empty() && !limits.userFileRead) {
    Fail("cannot read " + path + ".");
    return false;
  }
  return true;
}

const exposure::LimitSet* ChooseLimits(const exposure::LoadedLimits& limits,
                                       const std::string& name) {
  const exposure::LimitSet* set = exposure::ChooseLimitSet(limits, name);
  if (!set) {
    std::string names;
    for (const auto& s : limits.library.Sets()) names += (names.empty() ? "" : ", ") + s.name;
    FailUtf8("no limit set is named \"" + (name.empty() ? exposure::kDefaultLimitSet : name) +
             "\"; the sets are: " + names + ".");
  }
  return set;
}

const exposure::LimitSet* LoadLimitSet(const std::string& file, const std::string& name,
                                       exposure::LoadedLimits& limits, int& exitCode) {
  if (!LoadLimits(file, limits)) {
    exitCode = kFailed;
    return nullptr;
  }
  const exposure::LimitSet* set = ChooseLimits(limits, name);
  if (!set) exitCode = kUsage;
  return set;
}

}  // namespace vantora::cli

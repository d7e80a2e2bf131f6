// The limit sets of the command line: the shipped ones, then those of a
// file given with --limits; the set chosen with --set. Shared by the
// commands that judge or draw limits, so they choose alike.
#pragma once

#include <string>

#include "exposure/limits.h"

namespace vantora::cli {

// The shipped sets and FILE's (FILE empty: none); problems go to standard
// error. False (after saying why) when FILE cannot be read.
bool LoadLimits(const std::string& file, exposure::LoadedLimits& limits);
// The set named `name`, else FILE's first set, else the default set; null
// (after naming the sets there are) when there is no such set.
const exposure::LimitSet* ChooseLimits(const exposure::LoadedLimits& limits,
                                       const std::string& name);

// Both: the set to use, or null after saying why with `exitCode` set
// (kFailed: FILE unreadable; kUsage: no such set).
const exposure::LimitSet* LoadLimitSet(const std::string& file, const std::string& name,
                                       exposure::LoadedLimits& limits, int& exitCode);

}  // namespace vantora::cli

// The limit sets VantoraPC uses: the shipped limits file, then the user's
// own limits.csv in the settings folder (a set of the same name replaces the
// shipped one). Read at first use, and again when the user's file changed
// or was saved; the rows skipped by a read are shown once, in one message
// box. The set in use is the profile's "Exposure"/"LimitSet".
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "exposure/limits.h"

namespace vantora::exposure {

// The user's limits file: limits.csv in the settings folder.
std::string UserLimitsPath();
// How the user's file is named in reports ("limits.csv:11: ...").
extern const char* const kUserLimitsLabel;
// A larger user file is not read.
constexpr std::int64_t kMaxUserLimitsBytes = 1024 * 1024;

// Why the user's file at `path` cannot be read in full (too large, not
// readable), in the reader's "label: what" form; empty when it can be read
// or does not exist.
std::string UserLimitsProblem(const std::string& path);

// The sets in use; never null.
std::shared_ptr<const LoadedLimits> CurrentLimits();
// Reads the files again and reports the skipped rows.
void ReloadLimits();
// Reads them again when the user's file changed since the last read; true
// when it did.
bool ReloadLimitsIfChanged();

// The message box text of problems of a read (UTF-8); empty when none.
// Long lists are cut after `maxLines` lines.
std::string LimitProblemsText(const std::vector<std::string>& problems, std::size_t maxLines = 20);

// The profile's set when it exists, else the default set, else the first
// set; null when there is none.
const LimitSet* ChosenLimitSet(const LoadedLimits& limits);
// Keeps `name` (UTF-8) as the profile's set.
void StoreChosenLimitSet(const std::string& name);

}  // namespace vantora::exposure

// Location files shared by several test programs, with their expected texts
// worked out by hand.
#pragma once

#include <string>

#include "support/locbytes.h"

namespace vantora::test {

// A four-channel survey from 28-Mar-2026 23:00 (Europe/Berlin) across the
// start of daylight saving time, with N/A, OverRange, ties, decimals 203 and
// a compound channel.
LocationSpec DstSurveySpec();
// Its statistics text for the file "Site A/Survey.loc" (the over-range and
// not-available marks take no part in minimum, maximum and average).
extern const char* const kDstSurveyStats;
// Its Copy text with nothing selected.
extern const char* const kDstSurveyCopyAll;

}  // namespace vantora::test

// The checks a graph definition passes before a graph is made from it, in
// the order the Create Graph dialog runs them.
#pragma once

#include "common/logdata.h"
#include "graph/graphsettings.h"

namespace vantora::graph {

struct GraphChecks {
  // Time at a Y position after the first: refused (kTextTimeNotPrimary).
  // When set, the two questions below are not asked (both false).
  bool timeNotPrimary = false;
  // Single Y with Y parameters of different units: ask kTextMixedUnits.
  bool mixedUnits = false;
  // Multi Y or Strip Graph with fewer than two Y parameters: ask
  // kTextSingleYMultiMode.
  bool singleYMultiMode = false;
};

// Units are the channels' unit codes, time counting as unit 0. Modes other
// than Multi Y and Strip Graph count as Single Y.
GraphChecks CheckGraphSettings(const CLogData& log, const GraphSettings& s);

}  // namespace vantora::graph

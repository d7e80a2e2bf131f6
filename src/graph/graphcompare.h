// Comparing locations: one channel from several locations in one Single Y
// graph, one series per location, named by its location in the legend.
#pragma once

#include <string>
#include <vector>

#include "common/logdata.h"
#include "graph/graphdocument.h"
#include "graph/graphsettings.h"

namespace vantora::exposure {
struct LimitSet;
}

namespace vantora::graph {

struct CompareLocation {
  const CLogData* log = nullptr;
  // The series' name in the legend (Windows-1252); the file title of the
  // log's path when empty.
  std::string name;
};

struct CompareOptions {
  // A channel name or a parameter's short name (Windows-1252, ASCII letter
  // case ignored): the first channel of each location that it names.
  std::string channel;
  // X: hours from each location's first record, instead of the time of day.
  bool elapsed = false;
  // The display options (grids, lines, markers, labels, date line, title
  // flag, legend, limit lines); the builder sets the parameters, the mode
  // and the title.
  GraphSettings display;
  // The limits drawn when the display options ask for limit lines.
  const exposure::LimitSet* limits = nullptr;
};

struct CompareOutcome {
  bool built = false;
  // Why no graph was made (Windows-1252): no location has the channel, its
  // units do not convert, nothing to graph.
  std::string error;
  // Each location left out, and why ("Room 2 has no channel CO2."), in the
  // order given.
  std::vector<std::string> leftOut;
  // Points left out because a reading was not plottable (message 59404).
  int omitted = 0;
  // The title the graph was given: "Compare: <channel>".
  std::string title;
};

// The first channel of `log` whose name is `name`, else the first whose
// parameter's short name is `name` (ASCII letter case ignored); -1 when none.
int FindChannel(const CLogData& log, const std::string& name);

// Builds `doc`'s chart from the locations: series k is the k-th location
// that has the channel (and a reading of it), drawn in colour k, its values
// converted to the first such location's unit where the exposure engine
// converts them. Refused (built false, `error` naming both units) when a
// unit does not convert. `doc.settings` receives the graph's definition.
CompareOutcome BuildCompare(GraphDocument& doc, const std::vector<CompareLocation>& locations,
                            const CompareOptions& options);

// The channels the locations offer for a comparison: every channel name, in
// the order first met, once (ASCII letter case ignored).
std::vector<std::string> CompareChannels(const std::vector<const CLogData*>& logs);

// The text of the title and of a file title: "Compare: <channel>"; the name
// of a location file up to its first dot.
std::string CompareTitle(const std::string& channel);
std::string LocationTitle(const std::string& path);

}  // namespace vantora::graph

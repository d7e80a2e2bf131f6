// The core of a graph document: its chart, its settings and its comments;
// building a chart from a location, laying it out for a size, and the graph
// file (".vtg"). Shown by nothing here: callers report what it returns.
#pragma once

#include <cstdint>
#include <string>

#include "chart/srgraph.h"
#include "common/logdata.h"
#include "graph/graphcomments.h"
#include "graph/graphsettings.h"

namespace vantora::exposure {
struct LimitSet;
}

namespace vantora::chart {
class TextMeasure;
}

namespace vantora::graph {

// Message texts of the graph subsystem.
extern const char* const kTextTimeNotPrimary;    // 60963
extern const char* const kTextMixedUnits;        // 59394
extern const char* const kTextSingleYMultiMode;  // 59402
extern const char* const kTextOmittedFormat;     // 59404, "%i"
extern const char* const kTextOlderGraphFile;    // 60972
// "The graph file <name> is damaged and can not be opened."
std::string DamagedGraphFileText(const std::string& path);
// "<file> is not a graph file."
std::string NotGraphFileText(const std::string& path);
// "<name> has no readings to graph."
std::string NoReadingsText(const std::string& name);

class GraphDocument {
 public:
  chart::SRGraph& GetGraph() { return chart_; }
  const chart::SRGraph& GetGraph() const { return chart_; }

  // Builds the whole chart from the location and a copy of `settings`: empty
  // chart, the mode's builder, the readings, and with the settings' limit
  // lines the limits of `limits` (none without a set). False (nothing done)
  // without a location or settings. `omitted` receives the number of points
  // left out because a reading was not plottable.
  bool BuildGraph(const CLogData* log, const GraphSettings* settings, int* omitted = nullptr,
                  const exposure::LimitSet* limits = nullptr);
  // Lays out Strip Graph and Multi Y charts for a W x H surface; a Single Y
  // chart (and any display these layouts do not place) is left unplaced, for
  // the automatic layout at drawing. With a text measure (at `dpi`) margins
  // and legends get the room their texts need where the numbers leave too
  // little.
  void LayoutGraph(int width, int height, const chart::TextMeasure* measure = nullptr,
                   double dpi = 96);

  // Clears the comment list (a new, empty document).
  void OnNewDocument();

  GraphSettings settings;
  GraphCommentList comments;

 private:
  chart::SRGraph chart_;
};

enum class GraphFileResult {
  Ok,
  OlderVersion,  // tags both in 100-104 but not 104, 104: message 60972
  NotGraphFile,  // anything else: NotGraphFileText
  Damaged,       // anything inconsistent: DamagedGraphFileText
  CannotRead,
  CannotWrite,
};

// The file's bytes: tags 104 and 104, legend, axis count, mode, comments
// (x, y, size, archive string), then the chart's serialized form.
std::string GraphFileBytes(const GraphDocument& doc);
// Reads a whole file's bytes into `doc` (legend, axis count and mode into
// its settings, the comments, the chart, and the pair references into the
// settings' axis parameters). On any result but Ok the document's comments
// and chart are left empty. `detail` says what was wrong.
GraphFileResult ReadGraphBytes(const std::uint8_t* data, std::size_t size, GraphDocument& doc,
                               std::string& detail);

// File forms (core paths); writing replaces the file only once complete.
GraphFileResult SaveGraphFile(const std::string& path, const GraphDocument& doc,
                              std::string& detail);
GraphFileResult LoadGraphFile(const std::string& path, GraphDocument& doc, std::string& detail);

// The archive string prefix + text: one length byte below 255; 0xFF and two
// bytes below 0xFFFE; else 0xFF, 0xFFFF and four bytes.
void AppendArchiveString(std::string& out, const std::string& text);

}  // namespace vantora::graph

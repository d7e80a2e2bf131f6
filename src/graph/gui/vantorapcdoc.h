// The graph document: a chart built from a location, its settings and its
// comments, saved to and opened from graph files (".vtg").
#pragma once

#include <string>

#include "common/gui/framework.h"
#include "graph/graphdocument.h"

namespace vantora {

class CLogData;

// The document string of graph documents.
extern const char* const kGraphDocString;

// Says that the graph, or an image of it, could not be written to `path`,
// with the reason (`detail`) when there is one.
void ShowGraphSaveFailure(const std::string& path, const std::string& detail);

class CVantoraPCDoc : public CDocument {
  Q_OBJECT
 public:
  // The settings start from the user's "Graph" profile section.
  CVantoraPCDoc();
  // Writes the graph's flags, legend and mode back to the profile.
  ~CVantoraPCDoc() override;
  const char* ClassName() const override { return "CVantoraPCDoc"; }

  chart::SRGraph& GetGraph() { return core_.GetGraph(); }
  graph::GraphDocument& Core() { return core_; }
  graph::GraphSettings& Settings() { return core_.settings; }
  graph::GraphCommentList& Comments() { return core_.comments; }
  int Mode() const { return core_.settings.mode; }

  // Builds the chart (with the limit lines of `limits` when the settings
  // ask for them); marks the document modified and updates its views.
  // Returns the number of points omitted (-1 when nothing was built).
  int BuildGraph(const CLogData* log, const graph::GraphSettings* settings,
                 const exposure::LimitSet* limits = nullptr);
  void LayoutGraph(int width, int height) { core_.LayoutGraph(width, height); }
  // The folder a new graph's files are proposed in (built by others, such as
  // a comparison of locations).
  void SetSourceFolder(const std::string& folder) { sourceFolder_ = folder; }

  bool OnNewDocument() override;
  bool OnOpenDocument(const std::string& path) override;
  bool CanSave() const override { return true; }
  // A new graph is proposed beside the location it was built from.
  std::string ProposedSavePath() const override;
  // Where an image of the graph is proposed: the graph's folder and name
  // with extension `ext` (without dot); a graph without a folder, in the
  // folder of the last images ("Directories"/"Graphics").
  std::string ProposedImagePath(const std::string& ext) const;
  bool OnSaveDocument(const std::string& path) override;

 private:
  graph::GraphDocument core_;
  std::string sourceFolder_;  // of the location a new graph was built from
};

}  // namespace vantora

// Graph documents: their document kind (after the location documents), the
// location view's Graph > Create and Graph > Compare Locations.
#include <QAction>
#include <memory>

#include "common/gui/framework.h"
#include "common/pathutil.h"
#include "common/timetext.h"
#include "graph/graphbuilder.h"
#include "graph/graphcompare.h"
#include "graph/graphdocument.h"
#include "graph/gui/comparedlg.h"
#include "graph/gui/creategraphdlg.h"
#include "graph/gui/graphprofile.h"
#include "graph/gui/vantorapcdoc.h"
#include "graph/gui/vantorapcview.h"
#include "location/gui/vantoralogdoc.h"
#include "location/gui/vantoralogview.h"

namespace vantora {
namespace {

CLogData* ViewData(CommandContext& c) {
  auto* view = dynamic_cast<CVantoraLogView*>(c.view);
  return view ? view->LogData() : nullptr;
}

CDocTemplate* GraphTemplate(CommandContext& c) {
  if (!c.app) return nullptr;
  for (const auto& t : c.app->DocTemplates())
    if (t->ResourceId() == kGraphMenu) return t.get();
  return nullptr;
}

void CreateGraph(CommandContext& c) {
  auto* view = dynamic_cast<CVantoraLogView*>(c.view);
  CLogData* data = ViewData(c);
  if (!view || !data) return;
  // The options go back to the profile when the record goes, Cancel included.
  graph::ProfiledGraphSettings settings;
  if (!graph::RunCreateGraphDialog(*data, view->Selection(), settings.settings)) return;
  // No window for a graph with nothing on it.
  if (!graph::HasReadingsToGraph(*data, settings.settings)) {
    AfxMessageBox(graph::NoReadingsText(graph::LocationTitle(data->path)), MsgIcon::Exclamation);
    return;
  }
  CDocTemplate* t = GraphTemplate(c);
  auto* doc = t ? dynamic_cast<CVantoraPCDoc*>(t->CreateNewDocument()) : nullptr;
  if (!doc) {
    AfxMessageBox("The graph window could not be created.", MsgIcon::Exclamation);
    return;
  }
  std::unique_ptr<graph::ProfileLimits> limits;
  if (settings.settings.limitLines) limits = std::make_unique<graph::ProfileLimits>();
  const int omitted = doc->BuildGraph(data, &settings.settings, limits ? limits->set : nullptr);
  if (omitted > 0) AfxMessageBox(Format(graph::kTextOmittedFormat, omitted), MsgIcon::Information);
}

// Graph > Compare Locations...: the open locations and any from folders,
// one channel, in a new graph window.
void CompareLocations(CommandContext& c) {
  if (!c.app) return;
  std::vector<const CLogData*> open;
  for (const auto& t : c.app->DocTemplates())
    for (CDocument* d : t->Documents())
      if (auto* loc = dynamic_cast<CVantoraLogDoc*>(d); loc && loc->LogData())
        open.push_back(loc->LogData());
  std::vector<graph::CompareLocation> chosen;
  std::string channel;
  bool elapsed = false;
  std::unique_ptr<CCompareDlg> dialog;
  if (!RunCompareDialog(open, chosen, channel, elapsed, dialog)) return;

  // The display options of the user's graphs.
  graph::ProfiledGraphSettings settings;
  graph::CompareOptions options;
  options.channel = channel;
  options.elapsed = elapsed;
  options.display = settings.settings;
  std::unique_ptr<graph::ProfileLimits> limits;
  if (settings.settings.limitLines) {
    limits = std::make_unique<graph::ProfileLimits>();
    options.limits = limits->set;
  }
  CDocTemplate* t = GraphTemplate(c);
  auto* doc = t ? dynamic_cast<CVantoraPCDoc*>(t->CreateNewDocument()) : nullptr;
  if (!doc) {
    AfxMessageBox("The graph window could not be created.", MsgIcon::Exclamation);
    return;
  }
  const graph::CompareOutcome outcome = graph::BuildCompare(doc->Core(), chosen, options);
  if (!outcome.built) {
    doc->OnCloseDocument();
    AfxMessageBox(outcome.error, MsgIcon::Exclamation);
    return;
  }
  doc->SetSourceFolder(SplitPath(chosen.front().log->path).first);
  doc->SetModifiedFlag(true);
  doc->UpdateAllViews();
  std::string notes;
  for (const std::string& line : outcome.leftOut) notes += line + "\n";
  if (!notes.empty()) {
    notes.pop_back();
    AfxMessageBox(notes, MsgIcon::Information);
  }
  if (outcome.omitted > 0)
    AfxMessageBox(Format(graph::kTextOmittedFormat, outcome.omitted), MsgIcon::Information);
}

const bool registered = [] {
  RegisterDocTemplate([] {
    return std::make_unique<CDocTemplate>(
        kGraphMenu, kGraphDocString, [] { return new CVantoraPCDoc; },
        [] { return new CVantoraPCView; });
  });
  RegisterCommand("CVantoraLogView", ID_GRAPH_CREATE, CreateGraph,
                  [](CommandContext& c) { return ViewData(c) != nullptr; });
  RegisterCommand(kAppScope, ID_GRAPH_COMPARE, CompareLocations);
  // The graph window's switches show their state in the menu.
  RegisterStartupHook([](CWinApp& app) {
    if (CMainFrame* frame = app.MainFrame())
      for (int id : {ID_GRAPH_READOUT, ID_GRAPH_VIEW_STATISTICS})
        frame->Action(id)->setCheckable(true);
  });
  return true;
}();

}  // namespace
}  // namespace vantora

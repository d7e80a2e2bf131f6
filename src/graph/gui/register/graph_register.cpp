// Graph documents: their document kind (after the location documents) and
// the location view's Graph > Create.
#include <QAction>

#include "common/gui/framework.h"
#include "common/timetext.h"
#include "graph/graphdocument.h"
#include "graph/gui/creategraphdlg.h"
#include "graph/gui/graphprofile.h"
#include "graph/gui/vantorapcdoc.h"
#include "graph/gui/vantorapcview.h"
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
  CDocTemplate* t = GraphTemplate(c);
  auto* doc = t ? dynamic_cast<CVantoraPCDoc*>(t->CreateNewDocument()) : nullptr;
  if (!doc) {
    AfxMessageBox("The graph window could not be created.", MsgIcon::Exclamation);
    return;
  }
  const int omitted = doc->BuildGraph(data, &settings.settings);
  if (omitted > 0) AfxMessageBox(Format(graph::kTextOmittedFormat, omitted), MsgIcon::Information);
}

const bool registered = [] {
  RegisterDocTemplate([] {
    return std::make_unique<CDocTemplate>(
        kGraphMenu, kGraphDocString, [] { return new CVantoraPCDoc; },
        [] { return new CVantoraPCView; });
  });
  RegisterCommand("CVantoraLogView", ID_GRAPH_CREATE, CreateGraph,
                  [](CommandContext& c) { return ViewData(c) != nullptr; });
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

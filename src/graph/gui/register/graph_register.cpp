// Graph documents: their document kind (after the location documents) and
// the location view's Graph > Create.
#include <memory>

#include "common/gui/framework.h"
#include "common/timetext.h"
#include "graph/graphbuilder.h"
#include "graph/graphcompare.h"
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

const bool registered = [] {
  RegisterDocTemplate([] {
    return std::make_unique<CDocTemplate>(
        kGraphMenu, kGraphDocString, [] { return new CVantoraPCDoc; },
        [] { return new CVantoraPCView; });
  });
  RegisterCommand("CVantoraLogView", ID_GRAPH_CREATE, CreateGraph,
                  [](CommandContext& c) { return ViewData(c) != nullptr; });
  return true;
}();

}  // namespace
}  // namespace vantora

// The exposure commands: View > Exposure on a location window and View >
// Exposure Limits on every menu.
#include "common/gui/framework.h"
#include "exposure/gui/exposurewindow.h"
#include "exposure/gui/limitseditor.h"
#include "location/gui/vantoralogview.h"

namespace vantora {
namespace {

CLogData* ViewData(CommandContext& c) {
  auto* view = dynamic_cast<CVantoraLogView*>(c.view);
  return view ? view->LogData() : nullptr;
}

const bool registered = [] {
  RegisterCommand(
      "CVantoraLogView", ID_VIEW_EXPOSURE,
      [](CommandContext& c) {
        if (CLogData* data = ViewData(c)) exposure::ShowExposureWindow(*c.view, *data);
      },
      [](CommandContext& c) { return ViewData(c) != nullptr; });
  RegisterCommand(kAppScope, ID_VIEW_EXPOSURE_LIMITS,
                  [](CommandContext&) { exposure::RunLimitsEditor(AfxGetMainWnd()); });
  return true;
}();

}  // namespace
}  // namespace vantora

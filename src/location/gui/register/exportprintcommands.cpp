// The export and print commands of location views and the site export of the
// application.
#include "common/gui/framework.h"
#include "location/gui/exportcommands.h"
#include "location/gui/printcommands.h"
#include "location/gui/vantoralogview.h"

namespace vantora {
namespace {

CLogData* ViewData(CommandContext& c) {
  auto* view = dynamic_cast<CVantoraLogView*>(c.view);
  return view ? view->LogData() : nullptr;
}

bool HasData(CommandContext& c) { return ViewData(c) != nullptr; }

const bool registered = [] {
  RegisterCommand(
      "CVantoraLogView", ID_FILE_EXPORT_CSV,
      [](CommandContext& c) {
        if (CLogData* data = ViewData(c)) ExportLocationCsv(*data);
      },
      HasData);
  RegisterCommand(
      "CVantoraLogView", ID_FILE_PRINT,
      [](CommandContext& c) {
        if (CLogData* data = ViewData(c)) PrintLocationCommand(*data, false);
      },
      HasData);
  RegisterCommand(
      "CVantoraLogView", ID_FILE_PRINT_DIRECT,
      [](CommandContext& c) {
        if (CLogData* data = ViewData(c)) PrintLocationCommand(*data, true);
      },
      HasData);
  RegisterCommand(
      "CVantoraLogView", ID_FILE_PRINT_PREVIEW,
      [](CommandContext& c) {
        if (CLogData* data = ViewData(c)) PrintPreviewCommand(*data);
      },
      HasData);
  RegisterCommand(kAppScope, ID_FILE_PRINT_SETUP, [](CommandContext&) { PrintSetupCommand(); });
  RegisterCommand(kAppScope, ID_FILE_EXPORT_SITE, [](CommandContext&) { ExportSite(); });
  return true;
}();

}  // namespace
}  // namespace vantora

// File > Survey Report... of the application.
#include "common/gui/framework.h"
#include "report/gui/reportcommand.h"

namespace vantora {
namespace {

const bool registered = RegisterCommand(kAppScope, ID_FILE_SURVEY_REPORT, [](CommandContext& c) {
  if (c.app) report::SurveyReportCommand(*c.app);
});

}  // namespace
}  // namespace vantora

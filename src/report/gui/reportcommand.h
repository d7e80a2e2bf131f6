// File > Survey Report... of VantoraPC: the open locations or a site folder,
// the exposure window's limit set, a PDF or workbook name, a progress dialog that can be cancelled
// (nothing is written then), and the result opened with the desktop. Registered in
// register/report_register.cpp.
#pragma once

#include <functional>
#include <string>
#include <vector>

class QProgressDialog;

namespace vantora {
class CWinApp;
}

namespace vantora::report {

enum class ReportSource { Cancel, OpenLocations, SiteFolder };

// Test hooks: the question of what to report on (given the number of open
// locations), the Select Site dialog (gets the starting folder, false for
// cancel) and the progress dialog once it exists. Empty functions restore
// the dialogs.
void SetReportSourceChooser(std::function<ReportSource(int openLocations)> chooser);
void SetReportSiteChooser(std::function<bool(std::string& folder)> chooser);
void SetReportProgressHook(std::function<void(QProgressDialog&)> hook);

// The locations open in the application, in the order they were opened.
std::vector<std::string> OpenLocationPaths(CWinApp& app);

void SurveyReportCommand(CWinApp& app);

}  // namespace vantora::report

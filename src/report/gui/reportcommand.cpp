#include "report/gui/reportcommand.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "common/codepage.h"
#include "common/gui/framework.h"
#include "common/gui/qtstrings.h"
#include "common/gui/selectsitedlg.h"
#include "common/pathutil.h"
#include "common/profile.h"
#include "exposure/gui/limitstore.h"
#include "exposure/limits.h"
#include "location/sitetable.h"
#include "report/gui/reportpdf.h"
#include "report/surveyreport.h"
#include "report/workbook.h"

namespace vantora::report {

namespace {

constexpr const char* kReportFilter = "PDF Report (*.pdf)|*.pdf|Excel Workbook (*.xlsx)|*.xlsx|";
constexpr const char* kTitle = "Survey Report";

std::function<ReportSource(int)>& SourceHook() {
  static std::function<ReportSource(int)> hook;
  return hook;
}
std::function<bool(std::string&)>& SiteHook() {
  static std::function<bool(std::string&)> hook;
  return hook;
}
std::function<void(QProgressDialog&)>& ProgressHook() {
  static std::function<void(QProgressDialog&)> hook;
  return hook;
}

// Messages take Windows-1252; the report's texts are UTF-8.
void Say(const std::string& utf8, MsgIcon icon = MsgIcon::Exclamation) {
  AfxMessageBox(Utf8ToCp1252(utf8), icon);
}

ReportSource AskSource(int open) {
  if (SourceHook()) return SourceHook()(open);
  QMessageBox box(QMessageBox::Question, QString::fromLatin1(kTitle),
                  QStringLiteral("Report on the %1 open location%2, or on the locations of a site "
                                 "folder?")
                      .arg(open)
                      .arg(open == 1 ? "" : "s"),
                  QMessageBox::Cancel, AfxGetMainWnd());
  QPushButton* locations =
      box.addButton(QStringLiteral("&Open Locations"), QMessageBox::AcceptRole);
  QPushButton* site = box.addButton(QStringLiteral("&Site Folder..."), QMessageBox::AcceptRole);
  box.setDefaultButton(locations);
  box.exec();
  if (box.clickedButton() == locations) return ReportSource::OpenLocations;
  if (box.clickedButton() == site) return ReportSource::SiteFolder;
  return ReportSource::Cancel;
}

bool ChooseSite(std::string& site) {
  if (SiteHook()) return SiteHook()(site);
  CSelectSiteDlg dialog(AfxGetMainWnd());
  dialog.path = site;
  if (dialog.exec() != QDialog::Accepted || dialog.path.empty()) return false;
  site = dialog.path;
  return true;
}

// The report's file: a PDF or workbook name (asked again for any other).
bool ChooseOutput(const std::string& proposed, const std::vector<std::string>& keep,
                  std::string& chosen) {
  FileDialogRequest request;
  request.save = true;
  request.refuseLocationNames = true;
  request.keepFiles = keep;
  request.filter = kReportFilter;
  request.defaultExt = "pdf";
  request.initialDir = SplitPath(proposed).first;
  request.initialFile = proposed;
  for (;;) {
    if (!AfxGetFileName(request, chosen)) return false;
    if (OutputKindOf(chosen) != OutputKind::Unknown) return true;
    AfxMessageBox(
        "A survey report is a PDF (.pdf) or an Excel workbook (.xlsx). Choose one of "
        "those names.",
        MsgIcon::Exclamation);
    request.initialDir = SplitPath(chosen).first;
    request.initialFile = chosen;
  }
}

// The workbook needs no widgets: it is written on a thread of its own while
// the progress dialog stays live (its packing alone takes a while for a large
// site). Each step waits until the dialog has shown it, so that a cancel is
// answered at the next step.
bool WriteWorkbookBeside(const SurveyReport& report, const std::string& output,
                         QProgressDialog& dialog, int offset, std::string& error, bool& cancelled) {
  std::mutex lock;
  std::condition_variable changed;
  ProgressStep last;
  bool fresh = false, finished = false;
  std::atomic<bool> stop{false};
  bool ok = false;
  std::thread worker([&] {
    const bool written = WriteWorkbook(
        report, output,
        [&](const ProgressStep& step) {
          std::unique_lock<std::mutex> guard(lock);
          last = step;
          fresh = true;
          changed.notify_all();
          changed.wait(guard, [&] { return !fresh; });
          return !stop.load();
        },
        error, &cancelled);
    std::lock_guard<std::mutex> guard(lock);
    ok = written;
    finished = true;
    changed.notify_all();
  });
  std::unique_lock<std::mutex> guard(lock);
  while (!finished) {
    changed.wait_for(guard, std::chrono::milliseconds(30), [&] { return fresh || finished; });
    const bool show = fresh;
    const ProgressStep step = last;
    guard.unlock();
    if (show) {
      dialog.setLabelText(QString::fromStdString(ProgressText(step)));
      dialog.setValue(offset + step.done);
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents, 30);
    if (dialog.wasCanceled()) stop = true;
    guard.lock();
    if (show) {
      fresh = false;
      changed.notify_all();
    }
  }
  guard.unlock();
  worker.join();
  return ok;
}

}  // namespace

void SetReportSourceChooser(std::function<ReportSource(int)> chooser) {
  SourceHook() = std::move(chooser);
}
void SetReportSiteChooser(std::function<bool(std::string&)> chooser) {
  SiteHook() = std::move(chooser);
}
void SetReportProgressHook(std::function<void(QProgressDialog&)> hook) {
  ProgressHook() = std::move(hook);
}

std::vector<std::string> OpenLocationPaths(CWinApp& app) {
  std::vector<std::string> paths;
  for (const auto& t : app.DocTemplates()) {
    if (!t->MatchesExtension("a.loc")) continue;
    for (CDocument* doc : t->Documents())
      if (!doc->GetPathName().empty()) paths.push_back(doc->GetPathName());
  }
  return paths;
}

void SurveyReportCommand(CWinApp& app) {
  std::vector<std::string> files = OpenLocationPaths(app);
  const ReportSource source =
      files.empty() ? ReportSource::SiteFolder : AskSource(static_cast<int>(files.size()));
  if (source == ReportSource::Cancel) return;
  if (source == ReportSource::SiteFolder) {
    std::string site = WithTrailingSeparator(Profile::GetString("Directories", "Data"));
    if (site.empty()) site = UserDocumentsFolder() + "vantora" + kPathSeparator;
    if (!ChooseSite(site)) return;
    site = WithTrailingSeparator(site);
    files.clear();
    for (const std::string& name : SiteLocationFiles(site)) files.push_back(site + name);
    if (files.empty()) {
      AfxMessageBox(site + " holds no location files.", MsgIcon::Exclamation);
      return;
    }
  }
  const std::string folder = SplitPath(files.front()).first;
  const std::string proposed = folder + ParentFolderName(folder) + " survey report.pdf";
  std::string output;
  if (!ChooseOutput(proposed, files, output)) return;

  // The sets and the set in use of the exposure window.
  exposure::ReloadLimitsIfChanged();
  const std::shared_ptr<const exposure::LoadedLimits> limits = exposure::CurrentLimits();
  const exposure::LimitSet* set = exposure::ChosenLimitSet(*limits);
  const int n = static_cast<int>(files.size());
  QProgressDialog dialog(QStringLiteral("Reading the locations..."), QStringLiteral("Cancel"), 0,
                         2 * n, AfxGetMainWnd());
  dialog.setWindowTitle(QString::fromLatin1(kTitle));
  dialog.setWindowModality(Qt::WindowModal);
  dialog.setMinimumDuration(300);
  dialog.setAutoReset(false);
  dialog.setAutoClose(false);
  if (ProgressHook()) ProgressHook()(dialog);
  auto step = [&dialog](int phase, int count) {
    return [&dialog, phase, count](const ProgressStep& s) {
      dialog.setLabelText(QString::fromStdString(ProgressText(s)));
      dialog.setValue(phase * count + s.done);
      QCoreApplication::processEvents();
      return !dialog.wasCanceled();
    };
  };
  const std::string cancelledText = "The survey report was cancelled. Nothing was written.";
  SurveyReport report;
  bool ok;
  {
    CWaitCursor wait;
    ok = GatherReport(files, ReportOptions(), set, report, step(0, n));
  }
  if (!ok) {
    dialog.close();
    AfxMessageBox(cancelledText, MsgIcon::Information);
    return;
  }
  if (report.locations.empty()) {
    dialog.close();
    std::string text = "No location could be read:";
    for (const ExcludedFile& x : report.excluded) text += "\n" + x.fileName + ": " + x.reason;
    Say(text);
    return;
  }
  if (RefusesOutput(output, report.inputs)) {
    dialog.close();
    AfxMessageBox(kLocationOutputRefused, MsgIcon::Exclamation);
    return;
  }
  std::string error;
  bool cancelled = false;
  {
    CWaitCursor wait;
    const int count = static_cast<int>(report.locations.size());
    dialog.setMaximum(n + count);
    if (OutputKindOf(output) == OutputKind::Workbook)
      ok = WriteWorkbookBeside(report, output, dialog, n, error, cancelled);
    else
      ok = WriteReportOutput(report, output, step(1, n), error, &cancelled);
  }
  dialog.close();
  if (cancelled) {
    AfxMessageBox(cancelledText, MsgIcon::Information);
    return;
  }
  if (!ok) {
    // The writers' "cannot write <file>: <reason>" as the line under the message.
    const std::string lead = "cannot write ";
    Say("The survey report could not be written.\n" +
        (error.rfind(lead, 0) == 0 ? error.substr(lead.size()) : error));
    return;
  }
  std::string notices;
  for (const ExcludedFile& x : report.excluded)
    notices += "\n" + x.fileName + ": not included: " + x.reason;
  for (const LocationContent& loc : report.locations)
    for (const std::string& line : loc.notices) notices += "\n" + line;
  if (!notices.empty()) Say("The survey report notes:" + notices);
  if (!ShellOpen(output))
    AfxMessageBox("The survey report is written to " + output + ".", MsgIcon::Information);
}

}  // namespace vantora::report

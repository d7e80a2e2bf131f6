#include "location/gui/exportcommands.h"

#include <QCoreApplication>
#include <QProcess>
#include <QProgressDialog>
#include <QSettings>
#include <memory>

#include "common/gui/framework.h"
#include "common/gui/selectsitedlg.h"
#include "common/logdata.h"
#include "common/pathutil.h"
#include "common/profile.h"
#include "common/timetext.h"
#include "location/csvexport.h"
#include "location/sitetable.h"

namespace vantora {

namespace {

std::function<bool()>& CsvCheckHook() {
  static std::function<bool()> hook;
  return hook;
}

SiteChooser& SiteChooserHook() {
  static SiteChooser hook;
  return hook;
}

std::function<void(QProgressDialog&)>& ProgressHook() {
  static std::function<void(QProgressDialog&)> hook;
  return hook;
}

// The save dialog of both exports, proposing `proposed`.
// `keep`: the locations the table is made from, never to be replaced by it.
bool ChooseCsvFile(const std::string& proposed, std::string& chosen,
                   std::vector<std::string> keep) {
  FileDialogRequest request;
  request.refuseLocationNames = true;
  request.keepFiles = std::move(keep);
  request.initialDir = SplitPath(proposed).first;
  request.initialFile = proposed;
  request.defaultExt = "csv";
  request.filter = kCsvFilter;
  request.save = true;
  return AfxGetFileName(request, chosen);
}

bool ChooseSite(std::string& site) {
  if (SiteChooserHook()) return SiteChooserHook()(site);
  CSelectSiteDlg dialog(AfxGetMainWnd());
  dialog.path = site;
  if (dialog.exec() != QDialog::Accepted) return false;
  site = dialog.path;
  return true;
}

}  // namespace

void SetCsvProgramCheck(std::function<bool()> check) { CsvCheckHook() = std::move(check); }
void SetSiteChooser(SiteChooser chooser) { SiteChooserHook() = std::move(chooser); }
void SetSiteProgressHook(std::function<void(QProgressDialog&)> hook) {
  ProgressHook() = std::move(hook);
}

bool CsvProgramRegistered() {
  if (CsvCheckHook()) return CsvCheckHook()();
#ifdef _WIN32
  QSettings key(QStringLiteral("HKEY_CLASSES_ROOT\\.csv"), QSettings::NativeFormat);
  return !key.value(QStringLiteral("Default")).toString().isEmpty();
#else
  QProcess query;
  query.start(QStringLiteral("xdg-mime"),
              {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("text/csv")});
  if (!query.waitForFinished(3000)) {
    query.kill();
    query.waitForFinished(1000);
    return false;
  }
  return query.exitStatus() == QProcess::NormalExit && query.exitCode() == 0 &&
         !query.readAllStandardOutput().trimmed().isEmpty();
#endif
}

void ShowExportDone(const std::string& path) {
  if (CsvProgramRegistered()) {
    if (AfxMessageBox(Format(kExportDoneOpenNow, path.c_str()), MsgIcon::Information,
                      MsgButtons::YesNo) == IDYES)
      ShellOpen(path);
  } else {
    AfxMessageBox(Format(kExportDoneNoProgram, path.c_str()), MsgIcon::Information);
  }
}

void ExportLocationCsv(const CLogData& data) {
  std::string file;
  if (!ChooseCsvFile(ProposedCsvPath(data.path), file, {data.path})) return;
  bool ok;
  int error = 0;
  {
    CWaitCursor wait;
    ok = data.ExportCsv(file, kCsvQuote, CsvSeparator(), kCsvLineEnd, &error);
  }
  if (!ok) {
    AfxMessageBox(WithWriteFailure(kUnableToExport, file, error), MsgIcon::Exclamation);
    return;
  }
  ShowExportDone(file);
}

void ExportSite() {
  std::string site = WithTrailingSeparator(Profile::GetString("Directories", "Data"));
  if (site.empty()) site = UserDocumentsFolder() + "vantora" + kPathSeparator;
  if (!ChooseSite(site)) return;
  std::string file;
  std::vector<std::string> locations;
  for (const std::string& name : SiteLocationFiles(site)) locations.push_back(site + name);
  if (!ChooseCsvFile(ProposedSiteTablePath(site), file, std::move(locations))) return;

  SiteTableStatus status = SiteTableStatus::Ok;
  std::vector<std::string> notices;
  int error = 0;
  {
    CWaitCursor wait;
    // Made at the first call, which brings the number of files found.
    std::unique_ptr<QProgressDialog> dialog;
    ExportSiteTable(
        site, file, &status,
        [&dialog](int done, int total) {
          if (!dialog) {
            if (total < kSiteProgressFiles) return true;
            dialog = std::make_unique<QProgressDialog>(
                QStringLiteral("Exporting the locations of the site..."), QStringLiteral("Cancel"),
                0, total, AfxGetMainWnd());
            dialog->setWindowTitle(QStringLiteral("Export Site to Table"));
            dialog->setWindowModality(Qt::WindowModal);
            dialog->setMinimumDuration(300);
            dialog->setAutoReset(false);
            if (ProgressHook()) ProgressHook()(*dialog);
          }
          dialog->setValue(done);
          QCoreApplication::processEvents();
          return !dialog->wasCanceled();
        },
        &notices, &error);
  }
  // Files left out and incomplete locations, in one message before the outcome.
  if (!notices.empty() && status != SiteTableStatus::Cancelled) {
    std::string text;
    for (const std::string& line : notices) text += (text.empty() ? "" : "\n") + line;
    AfxMessageBox(text, MsgIcon::Exclamation);
  }
  if (status == SiteTableStatus::WriteFailed) {
    AfxMessageBox(WithWriteFailure(SiteTableMessage(status), file, error), MsgIcon::Exclamation);
    return;
  }
  if (status != SiteTableStatus::Ok) {
    AfxMessageBox(SiteTableMessage(status), MsgIcon::Exclamation);
    return;
  }
  ShowExportDone(file);
}

}  // namespace vantora

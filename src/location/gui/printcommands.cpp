#include "location/gui/printcommands.h"

#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include "common/gui/framework.h"
#include "common/logdata.h"
#include "location/logreport.h"
#include "location/print/qtreportcanvas.h"

namespace vantora {

namespace {

std::function<bool(QPrinter&, PrinterDialogKind)>& DialogHook() {
  static std::function<bool(QPrinter&, PrinterDialogKind)> hook;
  return hook;
}

std::function<void(QPrintPreviewDialog&)>& PreviewHook() {
  static std::function<void(QPrintPreviewDialog&)> hook;
  return hook;
}

bool RunPrinterDialog(QPrinter& printer, PrinterDialogKind kind) {
  if (DialogHook()) return DialogHook()(printer, kind);
  if (kind == kPageSetupDialog) {
    QPageSetupDialog dialog(&printer, AfxGetMainWnd());
    return dialog.exec() == QDialog::Accepted;
  }
  QPrintDialog dialog(&printer, AfxGetMainWnd());
  dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace

void SetPrinterDialogHook(std::function<bool(QPrinter&, PrinterDialogKind)> hook) {
  DialogHook() = std::move(hook);
}
void SetPreviewHook(std::function<void(QPrintPreviewDialog&)> hook) {
  PreviewHook() = std::move(hook);
}

QPrinter& ThePrinter() {
  // Lives for the whole run (a printer must not outlive the application's
  // print support, so it is never destroyed).
  static QPrinter* printer = new QPrinter(QPrinter::HighResolution);
  return *printer;
}

std::string ReportFaceName(QPrinter& printer) {
  CWinApp* app = AfxGetApp();
  if (!app) return "Arial";
  app->displayResources.PrepareCommon(&printer);
  return app->displayResources.faceName.empty() ? std::string("Arial")
                                                : app->displayResources.faceName;
}

bool PrintLocation(const CLogData& data, QPrinter& printer) {
  const QString face = QString::fromStdString(ReportFaceName(printer));
  CLogReport report(&data);
  int from = printer.fromPage(), to = printer.toPage();
  if (from == 0 && to == 0) to = 1 << 30;
  CWaitCursor wait;
  return PrintReport(report, printer, face, std::max(from, 1), to);
}

void PrintLocationCommand(const CLogData& data, bool direct) {
  QPrinter& printer = ThePrinter();
  if (direct) {
    printer.setFromTo(0, 0);
  } else if (!RunPrinterDialog(printer, kPrintDialog)) {
    return;
  }
  PrintLocation(data, printer);
}

void PrintPreviewCommand(const CLogData& data) {
  QPrintPreviewDialog dialog(&ThePrinter(), AfxGetMainWnd());
  dialog.setWindowTitle(QStringLiteral("Print Preview"));
  QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                   [&data](QPrinter* printer) {
                     printer->setFromTo(0, 0);
                     PrintLocation(data, *printer);
                   });
  if (PreviewHook())
    PreviewHook()(dialog);
  else
    dialog.exec();
}

void PrintSetupCommand() { RunPrinterDialog(ThePrinter(), kPageSetupDialog); }

}  // namespace vantora

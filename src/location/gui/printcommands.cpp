#include "location/gui/printcommands.h"

#include <QBuffer>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include "common/gui/framework.h"
#include "common/gui/qtstrings.h"
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

}  // namespace

bool RunPrinterDialog(QPrinter& printer, PrinterDialogKind kind, int pages) {
  if (DialogHook()) return DialogHook()(printer, kind);
  if (kind == kPageSetupDialog) {
    QPageSetupDialog dialog(&printer, AfxGetMainWnd());
    return dialog.exec() == QDialog::Accepted;
  }
  QPrintDialog dialog(&printer, AfxGetMainWnd());
  dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
  if (pages > 0) dialog.setMinMax(1, pages);
  return dialog.exec() == QDialog::Accepted;
}

void RunPreviewDialog(QPrintPreviewDialog& dialog) {
  if (PreviewHook())
    PreviewHook()(dialog);
  else
    dialog.exec();
}

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

QString ReportFaceName(QPrinter& printer) {
  CWinApp* app = AfxGetApp();
  if (!app) return QStringLiteral("Arial");
  app->displayResources.PrepareCommon(&printer);
  const std::string& face = app->displayResources.faceName;
  return face.empty() ? QStringLiteral("Arial") : ToQt(face);
}

int PrintedPageCount(const CLogData& data, QPrinter& printer) {
  // Measured on a PDF page of the printer's layout and resolution, so that
  // no print job is started.
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  QPdfWriter probe(&buffer);
  probe.setResolution(printer.resolution());
  probe.setPageLayout(printer.pageLayout());
  QPainter painter;
  if (!painter.begin(&probe)) return 0;
  QtReportCanvas canvas(painter, ReportFaceName(printer));
  CLogReport report(&data);
  report.Prepare(canvas, DeviceRect(probe));
  painter.end();
  return report.PageCount();
}

bool PrintLocation(const CLogData& data, QPrinter& printer) {
  const QString face = ReportFaceName(printer);
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
  } else if (!RunPrinterDialog(printer, kPrintDialog, PrintedPageCount(data, printer))) {
    return;
  }
  if (!PrintLocation(data, printer))
    AfxMessageBox("Unable to print: the printer could not be started.", MsgIcon::Exclamation);
}

void PrintPreviewCommand(const CLogData& data) {
  QPrintPreviewDialog dialog(&ThePrinter(), AfxGetMainWnd());
  dialog.setWindowTitle(QStringLiteral("Print Preview"));
  QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                   [&data](QPrinter* printer) {
                     printer->setFromTo(0, 0);
                     PrintLocation(data, *printer);
                   });
  RunPreviewDialog(dialog);
}

void PrintSetupCommand() { RunPrinterDialog(ThePrinter(), kPageSetupDialog); }

}  // namespace vantora

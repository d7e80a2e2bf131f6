#include "location/gui/printcommands.h"

#include <QBuffer>
#include <QFileInfo>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <algorithm>
#include <string_view>

#include "common/gui/framework.h"
#include "common/gui/qtstrings.h"
#include "common/logdata.h"
#include "common/pathutil.h"
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
  static QPrinter* printer = [] {
    auto* p = new QPrinter(QPrinter::HighResolution);
    // Margins every printer can print; Page Setup changes them.
    QMarginsF least = p->pageLayout().minimumMargins();
    QMarginsF mm = p->pageLayout().units() == QPageLayout::Millimeter
                       ? least
                       : QMarginsF(least.left() * 25.4 / 72, least.top() * 25.4 / 72,
                                   least.right() * 25.4 / 72, least.bottom() * 25.4 / 72);
    p->setPageMargins(QMarginsF(std::max(10.0, mm.left()), std::max(10.0, mm.top()),
                                std::max(10.0, mm.right()), std::max(10.0, mm.bottom())),
                      QPageLayout::Millimeter);
    return p;
  }();
  return *printer;
}

std::string ProposedPdfPath(const std::string& locationPath) {
  auto [folder, name] = SplitPath(locationPath);
  return folder + FileTitle(name).first + ".pdf";
}

void ProposePdfName(QPrinter& printer, const std::string& locationPath) {
  // The print dialog names a PDF after the document; one already chosen
  // for printing to a file follows the location printed now.
  printer.setDocName(ToQt(FileTitle(SplitPath(locationPath).second).first));
  // A file the user named stays; Qt's own "print.pdf" and our proposal for
  // another location give way to this location's name.
  static QString proposed;
  const QString current = printer.outputFileName();
  if (printer.outputFormat() == QPrinter::PdfFormat &&
      (current.isEmpty() || current == proposed || QFileInfo(current).fileName() == "print.pdf")) {
    proposed = NativeQtPath(ProposedPdfPath(locationPath));
    printer.setOutputFileName(proposed);
  }
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

bool PrintLocationToFile(const CLogData& data, QPrinter& printer, const std::string& path,
                         int* error) {
  if (error) *error = 0;
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter writer(&buffer);
    writer.setCreator(QStringLiteral("VantoraPC"));
    writer.setTitle(ToQt(data.path));
    writer.setResolution(printer.resolution());
    writer.setPageLayout(printer.pageLayout());
    CLogReport report(&data);
    int from = printer.fromPage(), to = printer.toPage();
    if (from == 0 && to == 0) to = 1 << 30;
    CWaitCursor wait;
    if (!PrintReport(report, writer, ReportFaceName(printer), std::max(from, 1), to)) return false;
  }
  buffer.close();
  const QByteArray& bytes = buffer.data();
  return WriteFilePieces(
      path, {std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()))}, error);
}

void PrintLocationCommand(const CLogData& data, bool direct) {
  QPrinter& printer = ThePrinter();
  ProposePdfName(printer, data.path);
  for (;;) {
    if (direct) {
      printer.setFromTo(0, 0);
    } else if (!RunPrinterDialog(printer, kPrintDialog, PrintedPageCount(data, printer))) {
      return;
    }
    // Printing to a file: the PDF goes through our own writer, never straight
    // from QPrinter onto the chosen name.
    const bool toFile =
        printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty();
    if (!toFile) break;
    const std::string file = FromQtPath(printer.outputFileName());
    if (RefusesOutput(file, {data.path})) {
      AfxMessageBox(kLocationOutputRefused, MsgIcon::Exclamation);
      if (direct) return;
      continue;
    }
    int error = 0;
    if (!PrintLocationToFile(data, printer, file, &error))
      AfxMessageBox(WithWriteFailure("Unable to print to the file.", file, error),
                    MsgIcon::Exclamation);
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

// Printing of location reports in VantoraPC: Print (with the print dialog),
// direct print, Print Preview and Print Setup. The layout and painting are in
// location/logreport.h and location/print/. Registered in
// register/exportprintcommands.cpp.
#pragma once

#include <functional>
#include <string>

class QPrinter;
class QString;
class QPrintPreviewDialog;

namespace vantora {

class CLogData;

// The printer of the run: Print Setup changes it, every print uses it.
QPrinter& ThePrinter();

// Face name of the report font from the application's display resources
// (prepared for `printer` first), "Arial" without an application.
QString ReportFaceName(QPrinter& printer);

// Pages of the report of `data` with the printer's page layout and resolution.
int PrintedPageCount(const CLogData& data, QPrinter& printer);

// Prints the report of `data` on `printer`: the pages of its range, every
// page when no range is set. False when printing could not start.
bool PrintLocation(const CLogData& data, QPrinter& printer);
// The report as the printer would print it (layout, resolution, pages), as a
// PDF file written through FileWriter. False when it could not be written
// (`error`: the system's error number, 0 when the pages could not be drawn).
bool PrintLocationToFile(const CLogData& data, QPrinter& printer, const std::string& path,
                         int* error = nullptr);
// "<folder>/<title>.pdf" beside the location: the PDF printing proposes.
std::string ProposedPdfPath(const std::string& locationPath);
// Names the print job after the location, so that printing to a file
// proposes ProposedPdfPath; a file already chosen follows it.
void ProposePdfName(QPrinter& printer, const std::string& locationPath);

// Test hooks. The dialog hook replaces the print dialog (kind 0) and the page
// setup dialog (kind 1) and returns whether it was accepted; the preview hook
// replaces running the preview dialog. Empty functions restore the dialogs.
enum PrinterDialogKind { kPrintDialog = 0, kPageSetupDialog = 1 };
void SetPrinterDialogHook(std::function<bool(QPrinter&, PrinterDialogKind)> hook);
void SetPreviewHook(std::function<void(QPrintPreviewDialog&)> hook);

// The print dialog (kind 0) or page setup dialog (kind 1) over the main
// window, or the test hook; true when accepted. `pages`: the last page the
// print dialog offers (0: not known).
bool RunPrinterDialog(QPrinter& printer, PrinterDialogKind kind, int pages = 0);
// Runs a print preview dialog (or hands it to the test hook).
void RunPreviewDialog(QPrintPreviewDialog& dialog);

// Commands 57607 (print dialog, then print), 57608 (print at once), 57609
// (preview) and 57606 (page setup).
void PrintLocationCommand(const CLogData& data, bool direct);
void PrintPreviewCommand(const CLogData& data);
void PrintSetupCommand();

}  // namespace vantora

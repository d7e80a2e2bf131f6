// vantora print: a location's printed report as a PDF file.
#ifdef VANTORA_HAVE_PRINT

#include <QGuiApplication>
#include <filesystem>
#include <memory>

#include "cli/cli.h"
#include "cli/terminal.h"
#include "common/codepage.h"
#include "common/logfile.h"
#include "common/pathutil.h"
#include "common/platform.h"
#include "common/timetext.h"
#include "location/print/qtreportcanvas.h"

namespace vantora::cli {

namespace {

const bool registered = RegisterCommand([](CLI::App& app, int& exitCode) {
  auto* print = app.add_subcommand("print", "Render a location's printed report to PDF (A4)");
  auto file = std::make_shared<std::string>();
  auto out = std::make_shared<std::string>();
  auto face = std::make_shared<std::string>("Arial");
  print->add_option("file", *file, "Location file (.loc)")->required();
  print->add_option("-o,--output", *out, "PDF file to write")->required();
  print->add_option("--font", *face, "Face name of the report font")->capture_default_str();
  print->callback([file, out, face, &exitCode] {
    // The title shows the location's full path, as the application prints it.
    const std::string path = AbsoluteArgPath(*file);
    if (RefusesOutput(ArgPath(*out), {path})) {
      Fail(LocationOutputRefusedMessage(ArgPath(*out)));
      exitCode = kFailed;
      return;
    }
    auto log = OpenLocation(path);
    if (!log) {
      exitCode = kFailed;
      return;
    }
    // Fonts need a GUI application; no display is needed for a PDF.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "vantora";
    static char* argv[] = {name, nullptr};
    QuietRuntimeDirWarning();
    QGuiApplication qapp(argc, argv);
    std::string error;
    int pages = 0;
    if (!WriteReportPdf(*log, ArgPath(*out), QString::fromStdString(*face), error, &pages)) {
      Fail(error);
      exitCode = kFailed;
      return;
    }
    WriteOut(Format("%s: %i page%s\n", out->c_str(), pages, pages == 1 ? "" : "s"));
    ReportBadRecords(*log, exitCode);
  });
});

}  // namespace

}  // namespace vantora::cli

#endif  // VANTORA_HAVE_PRINT

// Export and print commands of VantoraPC, driven headless through the
// framework's dialog and message hooks.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QAction>
#include <QDir>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProgressDialog>
#include <algorithm>
#include <filesystem>

#include "app/gui/vantoraapp.h"
#include "common/gui/framework.h"
#include "common/gui/selectsitedlg.h"
#include "common/logfile.h"
#include "common/profile.h"
#include "common/timetext.h"
#include "guisupport/guiapp.h"
#include "location/csvexport.h"
#include "location/gui/exportcommands.h"
#include "location/gui/printcommands.h"
#include "location/gui/vantoralogview.h"
#include "location/logreport.h"
#include "location/print/qtreportcanvas.h"
#include "location/sitetable.h"
#include "support/filesizelimit.h"
#include "support/locbytes.h"

namespace vantora {
namespace {

using test::LocationSpec;

LocationSpec Survey(int records) {
  LocationSpec s;
  s.channels = {{"Temp", 0, 0, 1, 6}, {"RH", 1, 3, 0, 5}};
  for (int r = 0; r < records; ++r)
    s.records.push_back({static_cast<std::uint32_t>(60 * r), {20.0f + r % 7, 40.0f + r % 11}});
  return s;
}

class ExportPrintTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::GuiApp();
    SetMessageBoxHook([this](const MessageBoxRecord& box) {
      boxes.push_back(box);
      return answer;
    });
    DesktopHooks hooks;
    hooks.chooseFile = [this](const FileDialogRequest& request) {
      requests.push_back(request);
      if (!choices.empty()) {
        std::string next = choices.front();
        choices.erase(choices.begin());
        return next;
      }
      return chosen;
    };
    hooks.open = [this](const std::string& file) {
      opened.push_back(file);
      return true;
    };
    SetDesktopHooks(hooks);
    SetCsvProgramCheck([this] { return registered; });
    std::filesystem::create_directories(site);
  }
  void TearDown() override {
    SetMessageBoxHook({});
    SetDesktopHooks({});
    SetCsvProgramCheck({});
    SetSiteChooser({});
    SetSiteProgressHook({});
    SetPrinterDialogHook({});
    SetPreviewHook({});
  }
  std::string Write(const std::string& name, const LocationSpec& spec) {
    test::WriteBytes(site + name, test::LocationBytes(spec));
    return site + name;
  }

  test::TempDir dir;
  std::string site = dir.path() + "/Site.2026/";
  std::vector<MessageBoxRecord> boxes;
  std::vector<FileDialogRequest> requests;
  std::vector<std::string> opened;
  std::string chosen;
  std::vector<std::string> choices;  // answered before `chosen`, first to last
  int answer = IDNO;
  bool registered = true;
};

TEST_F(ExportPrintTest, LocationExportProposesTheNameWritesAndOffersToOpen) {
  CLogFile log(Write("Room.4.loc", Survey(3)));
  chosen = dir.File("room.csv");
  answer = IDYES;
  ExportLocationCsv(log);
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].initialFile, site + "Room.csv");
  EXPECT_EQ(requests[0].defaultExt, "csv");
  EXPECT_EQ(requests[0].filter, "Excel CSV (*.CSV)|*.CSV|");
  EXPECT_TRUE(requests[0].save);
  EXPECT_EQ(test::ReadAll(chosen), LocationCsvText(log, "\"", ",", "\r\n"));
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Export successful.\nDouble click '" + chosen +
                               "' to open the file with the registered spreadsheet editor.\n\n"
                               "Would you like to open the file now?");
  EXPECT_EQ(boxes[0].icon, MsgIcon::Information);
  EXPECT_EQ(boxes[0].buttons, MsgButtons::YesNo);
  EXPECT_EQ(opened, std::vector<std::string>{chosen});

  // No spreadsheet program: the other message, nothing opened.
  registered = false;
  boxes.clear();
  opened.clear();
  ExportLocationCsv(log);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text,
            "Export successful. However, there is not a spreadsheet program "
            "associated with .CSV files.\n\nDouble click '" +
                chosen +
                "' and select your spreadsheet editor or try importing the file "
                "into the editor.");
  EXPECT_EQ(boxes[0].icon, MsgIcon::Information);
  EXPECT_TRUE(opened.empty());
}

TEST_F(ExportPrintTest, LocationExportCancelAndFailure) {
  CLogFile log(Write("Room.loc", Survey(3)));
  chosen.clear();  // cancel
  ExportLocationCsv(log);
  EXPECT_TRUE(boxes.empty());
  chosen = dir.path();  // a folder cannot be written
  ExportLocationCsv(log);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Unable to export!\n" + chosen + ": Is a directory");
  EXPECT_EQ(boxes[0].icon, MsgIcon::Exclamation);
  // The system's reason follows the message, for the table of a site too.
  chosen = dir.File("gone/Room.csv");
  ExportLocationCsv(log);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1].text, "Unable to export!\n" + chosen + ": No such file or directory");
  SetSiteChooser([&](std::string& path) {
    path = site;
    return true;
  });
  {
    test::FileSizeLimit limit(50);
    chosen = dir.File("Site.csv");
    ExportSite();
  }
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[2].text, "Error creating table.\n" + chosen + ": File too large");
  EXPECT_FALSE(std::filesystem::exists(chosen));
}

TEST_F(ExportPrintTest, SiteExportChoosesTheSiteAndProposesATableBesideIt) {
  Write("A.loc", Survey(2));
  Write("B.loc", Survey(1));
  std::string start;
  SetSiteChooser([&](std::string& path) {
    start = path;
    path = site;
    return true;
  });
  chosen = dir.File("table.csv");
  ExportSite();
  EXPECT_FALSE(start.empty());
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].initialFile, dir.path() + "/Site.2026.csv");
  std::string heading, body;
  ASSERT_EQ(BuildSiteTable(site, heading, body), SiteTableStatus::Ok);
  EXPECT_EQ(test::ReadAll(chosen), heading + body);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text.substr(0, 18), "Export successful.");
  EXPECT_EQ(boxes[0].icon, MsgIcon::Information);

  // Cancelled in the Select Site dialog: nothing else happens.
  boxes.clear();
  requests.clear();
  SetSiteChooser([](std::string&) { return false; });
  ExportSite();
  EXPECT_TRUE(requests.empty());
  EXPECT_TRUE(boxes.empty());
  // So with the dialog's own Cancel button; the data folder stays as it was.
  SetSiteChooser({});
  Profile::WriteString("Directories", "Data", site);
  test::ModalButtonPresser<CSelectSiteDlg> cancel("cancelButton");
  ExportSite();
  EXPECT_EQ(cancel.pressed, 1);
  EXPECT_EQ(cancel.missing, 0);
  EXPECT_TRUE(requests.empty());
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(Profile::GetString("Directories", "Data"), site);
}

TEST_F(ExportPrintTest, SiteExportMessagesAndCancelKeepTheOldTable) {
  SetSiteChooser([&](std::string& path) {
    path = site;
    return true;
  });
  chosen = dir.File("table.csv");
  test::WriteBytes(chosen, {'o', 'l', 'd'});
  ExportSite();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "No location files found.\n(Search is non-recursive.)");

  // One file short of many: no progress dialog.
  for (int k = 1; k < kSiteProgressFiles; ++k) Write("L" + std::to_string(k) + ".loc", Survey(5));
  int shown = 0;
  SetSiteProgressHook([&](QProgressDialog&) { ++shown; });
  boxes.clear();
  ExportSite();
  EXPECT_EQ(shown, 0);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text.substr(0, 18), "Export successful.");
  test::WriteBytes(chosen, {'o', 'l', 'd'});

  // Many files: a progress dialog whose Cancel stops the export.
  Write("L0.loc", Survey(5));
  SetSiteProgressHook([&](QProgressDialog& progress) {
    ++shown;
    EXPECT_EQ(progress.maximum(), kSiteProgressFiles);
    progress.cancel();
  });
  boxes.clear();
  ExportSite();
  EXPECT_EQ(shown, 1);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Export cancelled. The table was not written.");
  EXPECT_EQ(test::ReadAll(chosen), "old");

  // Not cancelled: the table replaces the old file.
  SetSiteProgressHook([&](QProgressDialog&) { ++shown; });
  boxes.clear();
  ExportSite();
  EXPECT_EQ(shown, 2);
  EXPECT_EQ(test::ReadAll(chosen).substr(0, 10), "\"Location\"");
}

TEST_F(ExportPrintTest, SiteExportListsWhatItLeftOutBeforeTheOutcome) {
  SetSiteChooser([&](std::string& path) {
    path = site;
    return true;
  });
  chosen = dir.File("table.csv");
  test::WriteBytes(site + "Bad.loc", {9, 9, 9});
  ExportSite();
  ASSERT_EQ(boxes.size(), 2u);
  const std::string list = site + "Bad.loc can not be opened: not a location file (bad version).";
  EXPECT_EQ(boxes[0].text, list);
  EXPECT_EQ(boxes[1].text, "Error creating table.");
  EXPECT_FALSE(std::filesystem::exists(chosen));

  LocationSpec cut = Survey(3);
  cut.recordCount = 9;
  Write("Cut.loc", cut);
  boxes.clear();
  ExportSite();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, list + "\n" + site +
                               "Cut.loc holds 3 of the 9 records its header counts; the rest is "
                               "missing.");
  EXPECT_EQ(boxes[0].icon, MsgIcon::Exclamation);
  EXPECT_EQ(boxes[1].text.substr(0, 18), "Export successful.");
  const std::string table = test::ReadAll(chosen);
  EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), 4);
}

TEST_F(ExportPrintTest, PrintGoesThroughThePrintDialogToThePrinter) {
  CLogFile log(Write("Room.loc", Survey(150)));
  const std::string pdf = dir.File("printed.pdf");
  std::vector<PrinterDialogKind> kinds;
  SetPrinterDialogHook([&](QPrinter& printer, PrinterDialogKind kind) {
    kinds.push_back(kind);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(pdf));
    return kind == kPageSetupDialog;  // the print dialog is cancelled
  });
  PrintSetupCommand();
  PrintLocationCommand(log, false);
  EXPECT_EQ(kinds, (std::vector<PrinterDialogKind>{kPageSetupDialog, kPrintDialog}));
  EXPECT_FALSE(std::filesystem::exists(pdf));

  // Direct print: no dialog, every page.
  PrintLocationCommand(log, true);
  EXPECT_EQ(kinds.size(), 2u);
  for (const auto& box : boxes) ADD_FAILURE() << box.text;
  ASSERT_TRUE(std::filesystem::exists(pdf));
  EXPECT_EQ(test::ReadAll(pdf).substr(0, 5), "%PDF-");
}

TEST_F(ExportPrintTest, PreviewShowsEveryPageOfTheReport) {
  CLogFile log(Write("Room.loc", Survey(150)));
  ThePrinter().setOutputFormat(QPrinter::PdfFormat);
  int pages = -1;
  SetPreviewHook([&](QPrintPreviewDialog& dialog) {
    auto* widget = dialog.findChild<QPrintPreviewWidget*>();
    ASSERT_NE(widget, nullptr);
    widget->updatePreview();
    pages = widget->pageCount();
  });
  PrintPreviewCommand(log);

  // The same layout computed on the printer.
  QPainter painter;
  QPrinter& printer = ThePrinter();
  printer.setOutputFileName(QString::fromStdString(dir.File("probe.pdf")));
  ASSERT_TRUE(painter.begin(&printer));
  QtReportCanvas canvas(painter, "Arial");
  CLogReport report(&log);
  report.Prepare(canvas, DeviceRect(printer));
  painter.end();
  EXPECT_GT(report.PageCount(), 1);
  EXPECT_EQ(pages, report.PageCount());
  EXPECT_EQ(PrintedPageCount(log, printer), report.PageCount());
}

TEST_F(ExportPrintTest, APrinterThatCannotStartIsReported) {
  CLogFile log(Write("Room.loc", Survey(3)));
  SetPrinterDialogHook([&](QPrinter& printer, PrinterDialogKind) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(dir.File("missing/folder/out.pdf")));
    return true;
  });
  PrintLocationCommand(log, false);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Unable to print to the file.\n" + dir.File("missing/folder/out.pdf") +
                               ": No such file or directory");
}

const char* const kRefused =
    "A location file cannot be replaced by an export or report. Choose another name.";

TEST_F(ExportPrintTest, ExportsNeverReplaceALocation) {
  CLogFile log(Write("Room.loc", Survey(3)));
  const std::string other = Write("Other.loc", Survey(2));
  const std::string roomBytes = test::ReadAll(log.path), otherBytes = test::ReadAll(other);
  // A location name in any case, then a good one: asked again after the message.
  choices = {site + "Other.loc", dir.File("new.LOC")};
  chosen = dir.File("room.csv");
  ExportLocationCsv(log);
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_TRUE(requests[0].refuseLocationNames);
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[0].text, kRefused);
  EXPECT_EQ(boxes[1].text, kRefused);
  EXPECT_EQ(boxes[2].text.substr(0, 18), "Export successful.");
  EXPECT_EQ(test::ReadAll(chosen), LocationCsvText(log, "\"", ",", "\r\n"));
  EXPECT_FALSE(std::filesystem::exists(dir.File("new.LOC")));

  // A site location under another name (a hard link); then cancel.
  SetSiteChooser([&](std::string& path) {
    path = site;
    return true;
  });
  ASSERT_EQ(::link(other.c_str(), dir.File("other.csv").c_str()), 0);
  choices = {dir.File("other.csv")};
  chosen.clear();
  boxes.clear();
  ExportSite();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, kRefused);
  EXPECT_EQ(test::ReadAll(log.path), roomBytes);
  EXPECT_EQ(test::ReadAll(other), otherBytes);
}

TEST_F(ExportPrintTest, PrintingToAFileGoesThroughOurWriterAndSparesTheLocation) {
  CLogFile log(Write("Room.loc", Survey(3)));
  const std::string roomBytes = test::ReadAll(log.path);
  const std::string pdf = dir.File("report.pdf");
  test::WriteBytes(pdf, {'o', 'l', 'd'});
  std::filesystem::permissions(pdf, std::filesystem::perms::owner_read);
  std::vector<std::string> targets = {log.path, pdf};
  int dialogs = 0;
  SetPrinterDialogHook([&](QPrinter& printer, PrinterDialogKind) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(targets[dialogs]));
    ++dialogs;
    return true;
  });
  PrintLocationCommand(log, false);
  EXPECT_EQ(dialogs, 2);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, kRefused);
  EXPECT_EQ(test::ReadAll(log.path), roomBytes);
  // The read-only PDF is replaced and stays read-only.
  EXPECT_EQ(test::ReadAll(pdf).substr(0, 5), "%PDF-");
  EXPECT_EQ(std::filesystem::status(pdf).permissions() & std::filesystem::perms::all,
            std::filesystem::perms::owner_read);
}

}  // namespace
}  // namespace vantora

namespace vantora {
namespace {

TEST(ExportPrintCommands, AreRegisteredWithTheViewAndTheApplication) {
  for (int id : {ID_FILE_EXPORT_CSV, ID_FILE_PRINT, ID_FILE_PRINT_DIRECT, ID_FILE_PRINT_PREVIEW})
    EXPECT_TRUE(HasRegisteredCommand("CVantoraLogView", id)) << id;
  EXPECT_TRUE(HasRegisteredCommand(kAppScope, ID_FILE_EXPORT_SITE));
  EXPECT_TRUE(HasRegisteredCommand(kAppScope, ID_FILE_PRINT_SETUP));
}

}  // namespace
}  // namespace vantora

// The commands as the user reaches them: menu actions of the main frame of a
// running VantoraPC with a location open.
namespace vantora {
namespace {

TEST_F(ExportPrintTest, MenuCommandsOfTheRunningApplication) {
  test::ClearSettings();
  const QString oldDir = QDir::currentPath();
  const std::string loc = Write("Room.loc", Survey(4));
  auto app = std::make_unique<CVantoraApp>();
  ASSERT_TRUE(app->InitInstance({"VantoraPC", loc}));
  CMainFrame* frame = app->MainFrame();
  ASSERT_NE(dynamic_cast<CVantoraLogView*>(frame->ActiveView()), nullptr);
  frame->UpdateCommandUI();
  for (int id : {ID_FILE_EXPORT_CSV, ID_FILE_EXPORT_SITE, ID_FILE_PRINT, ID_FILE_PRINT_PREVIEW,
                 ID_FILE_PRINT_SETUP})
    EXPECT_TRUE(frame->Action(id)->isEnabled()) << id;

  chosen = dir.File("menu.csv");
  frame->Action(ID_FILE_EXPORT_CSV)->trigger();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].initialFile, site + "Room.csv");
  CLogFile log(loc);
  EXPECT_EQ(test::ReadAll(chosen), LocationCsvText(log, "\"", ",", "\r\n"));

  SetSiteChooser([&](std::string& path) {
    path = site;
    return true;
  });
  chosen = dir.File("menu-site.csv");
  frame->Action(ID_FILE_EXPORT_SITE)->trigger();
  std::string heading, body;
  ASSERT_EQ(BuildSiteTable(site, heading, body), SiteTableStatus::Ok);
  EXPECT_EQ(test::ReadAll(chosen), heading + body);
  EXPECT_EQ(boxes.size(), 2u);

  // The report font is the display font, its Windows-1252 name read as such.
  EXPECT_EQ(ReportFaceName(ThePrinter()), QStringLiteral("Arial"));
  app->displayResources.faceName = "Caf\xE9 Sans";
  EXPECT_EQ(ReportFaceName(ThePrinter()), QString::fromUtf8("Caf\xC3\xA9 Sans"));

  app.reset();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QDir::setCurrent(oldDir);
}

}  // namespace
}  // namespace vantora

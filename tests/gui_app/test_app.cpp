#include <gtest/gtest.h>

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QImage>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTextBrowser>
#include <QThread>
#include <QTimer>
#include <QToolBar>
#include <QWindow>
#include <filesystem>
#include <functional>
#include <memory>

#include "app/gui/changefontdlg.h"
#include "app/gui/splashwnd.h"
#include "app/gui/vantoraapp.h"
#include "common/gui/framework.h"
#include "common/pathutil.h"
#include "common/profile.h"
#include "common/timetext.h"
#include "graph/gui/graphstatswnd.h"
#include "guisupport/guiapp.h"
#include "location/gui/vantoralogdoc.h"
#include "location/gui/vantoralogview.h"
#include "location/samplesite.h"
#include "location/statistics.h"
#include "support/locbytes.h"

namespace vantora {
namespace {

namespace fs = std::filesystem;

// What the desktop was asked to do.
struct DesktopRecorder {
  DesktopRecorder() {
    DesktopHooks hooks;
    hooks.chooseFile = [this](const FileDialogRequest& r) {
      requests.push_back(r);
      return nextChoice;
    };
    hooks.open = [this](const std::string& f) {
      opened.push_back(f);
      return true;
    };
    hooks.start = [this](const std::string& program, const std::vector<std::string>& args,
                         const std::string& dir) {
      started.push_back(program);
      startArgs = args;
      startDir = dir;
      return startResult;
    };
    SetDesktopHooks(hooks);
  }
  ~DesktopRecorder() { SetDesktopHooks({}); }
  std::string nextChoice;
  bool startResult = true;
  std::vector<FileDialogRequest> requests;
  std::vector<std::string> opened, started, startArgs;
  std::string startDir;
};

class AppTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::GuiApp();
    test::ClearSettings();
    oldDir = QDir::currentPath();
    std::string error;
    site = WriteSampleSite(dir.File("site"), error);
    ASSERT_FALSE(site.empty()) << error;
    Profile::WriteString("Directories", "Templates", dir.File("templates/"));
    Profile::WriteString("Directories", "Documents", dir.File("docs/"));
  }
  void TearDown() override {
    app.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QDir::setCurrent(oldDir);
  }

  bool Start(const std::string& file = std::string()) {
    app = std::make_unique<CVantoraApp>();
    std::vector<std::string> args = {"VantoraPC"};
    if (!file.empty()) args.push_back(file);
    return app->InitInstance(args);
  }
  CVantoraLogView* ActiveLogView() const {
    return dynamic_cast<CVantoraLogView*>(app->MainFrame()->ActiveView());
  }
  std::string Location(const char* name) const { return dir.File("site/") + name; }
  QStringList MenuTitles() const {
    QStringList titles;
    for (QAction* a : app->MainFrame()->menuBar()->actions()) titles << a->text();
    return titles;
  }

  test::TempDir dir;
  std::vector<std::string> site;
  std::unique_ptr<CVantoraApp> app;
  QString oldDir;
};

TEST(ProgramDirectory, FromCommandLine) {
  EXPECT_EQ(ProgramDirectoryFromCommandLine("\"C:\\Program Files\\Vantora\\VantoraPC.exe\" "
                                            "\"C:\\Sites\\Room 4.loc\""),
            "c:\\program files\\vantora\\");
  EXPECT_EQ(ProgramDirectoryFromCommandLine("C:\\Tools.exe.d\\VantoraPC.exe"), "c:\\");
  EXPECT_EQ(ProgramDirectoryFromCommandLine("VantoraPC.exe"), "\\");
}

TEST_F(AppTest, FirstStartStoresTheDefaultDirectories) {
  Profile::Remove("Directories", "Templates");
  Profile::Remove("Directories", "Documents");
  ASSERT_TRUE(Start());
  std::string data = Profile::GetString("Directories", "Data");
  std::string docs = Profile::GetString("Directories", "Documents");
  std::string templates = Profile::GetString("Directories", "Templates");
  EXPECT_EQ(data, CVantoraApp::DefaultDataDirectory());
  EXPECT_EQ(docs, CVantoraApp::DefaultDocumentsDirectory());
  EXPECT_EQ(templates, app->programDirectory + "vantora templates/");
  EXPECT_TRUE(DirectoryExists(data));
  EXPECT_TRUE(DirectoryExists(docs));
  EXPECT_TRUE(DirectoryExists(templates));
  EXPECT_EQ(QDir::currentPath().toStdString() + "/", data);
  // Without a file the program starts with no document and the main menu.
  EXPECT_EQ(app->MainFrame()->MdiArea()->subWindowList().size(), 0);
  EXPECT_EQ(app->MainFrame()->CurrentMenu(), kMainMenu);
  // Its Graph menu only compares locations.
  QMenu* graph = nullptr;
  for (QAction* a : app->MainFrame()->menuBar()->actions())
    if (a->text() == "&Graph") graph = a->menu();
  ASSERT_NE(graph, nullptr);
  ASSERT_EQ(graph->actions().size(), 1);
  EXPECT_EQ(graph->actions()[0], app->MainFrame()->Action(ID_GRAPH_COMPARE));
}

TEST_F(AppTest, CommandLineFileOpensALocation) {
  std::string file = Location("Office 101.loc");
  fs::remove(StatisticsFilePath(file));
  ASSERT_TRUE(Start(file));
  CVantoraLogView* view = ActiveLogView();
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->GetDocument()->GetPathName(), file);
  EXPECT_TRUE(FileExists(StatisticsFilePath(file)));
  EXPECT_EQ(Profile::GetString("Directories", "Data"), dir.File("site/"));
  EXPECT_EQ(app->MainFrame()->windowTitle().toStdString(), "VantoraPC - Office 101.loc");
  EXPECT_EQ(app->MainFrame()->CurrentMenu(), kLocationMenu);
  EXPECT_TRUE(MenuTitles().contains("&Graph"));
  view->grab();
  bool sawCaption = false;
  for (const DrawnText& t : view->Panel()->drawnTexts())
    if (t.kind == DrawnText::kCaption) sawCaption = t.text == "Location File: ... site/Office 101";
  EXPECT_TRUE(sawCaption);
  // Commands of the location menu: copy on, graph off until its library is there.
  CMainFrame* frame = app->MainFrame();
  frame->UpdateCommandUI();
  EXPECT_TRUE(frame->Action(ID_EDIT_COPY)->isEnabled());
  EXPECT_TRUE(frame->Action(ID_VIEW_STATISTICS)->isEnabled());
  EXPECT_EQ(frame->Action(ID_GRAPH_CREATE)->isEnabled(),
            HasRegisteredCommand("CVantoraLogView", ID_GRAPH_CREATE));
  EXPECT_TRUE(frame->Action(ID_DIAGNOSTICS)->shortcuts().contains(QKeySequence("Ctrl+Alt+Z")));
  EXPECT_TRUE(frame->Action(ID_SCROLL_END)->shortcuts().contains(QKeySequence("End")));
  // The End key goes through the frame to the view.
  frame->Action(ID_SCROLL_END)->trigger();
  EXPECT_GT(view->Panel()->topRow(), 0);
}

TEST_F(AppTest, FileOpenThroughTheDialog) {
  ASSERT_TRUE(Start());
  DesktopRecorder desktop;
  test::MessageRecorder messages;
  Profile::WriteString("Directories", "Data", dir.File("site/"));
  desktop.nextChoice = Location("Boiler Room.loc");
  app->MainFrame()->RouteCommand(ID_FILE_OPEN);
  ASSERT_EQ(desktop.requests.size(), 1u);
  EXPECT_EQ(desktop.requests[0].initialDir, dir.File("site/"));
  EXPECT_EQ(desktop.requests[0].defaultExt, "loc");
  EXPECT_EQ(desktop.requests[0].filter,
            "All supported files (*.loc *.vtg)|*.loc;*.vtg|Location (*.loc)|*.loc|Graph files "
            "(*.vtg)|*.vtg|");
  ASSERT_NE(ActiveLogView(), nullptr);
  EXPECT_EQ(ActiveLogView()->GetDocument()->GetPathName(), desktop.nextChoice);
  EXPECT_TRUE(messages.boxes.empty());
  EXPECT_TRUE(FileExists(StatisticsFilePath(desktop.nextChoice)));
  // The table of the opened location.
  CVantoraLogView* view = ActiveLogView();
  view->grab();
  std::vector<std::string> headings, dateLine;
  std::string firstTime, firstValue;
  for (const DrawnText& t : view->Panel()->drawnTexts()) {
    if (t.kind == DrawnText::kHeading) headings.push_back(t.text);
    if (t.kind == DrawnText::kDateLine) dateLine.push_back(t.text);
    if (t.kind == DrawnText::kCell && t.row == 0 && t.column == 0) firstTime = t.text;
    if (t.kind == DrawnText::kCell && t.row == 0 && t.column == 2) firstValue = t.text;
  }
  EXPECT_EQ(headings, (std::vector<std::string>{"Time (H:M:S) ", "Room temp", "Air speed", "CO"}));
  CLogData* data = view->LogData();
  LogTime start = 0;
  ASSERT_TRUE(data->GetTime(0, start));
  EXPECT_EQ(dateLine, std::vector<std::string>{DateText(start)});
  EXPECT_EQ(firstTime, TimeText(start, true));
  std::string expected;
  data->GetValueText(0, 1, expected);
  EXPECT_EQ(firstValue, expected);
  // Opening it again activates the open window.
  app->MainFrame()->RouteCommand(ID_FILE_OPEN);
  EXPECT_EQ(app->MainFrame()->MdiArea()->subWindowList().size(), 1);

  // A CSV file goes to the desktop's spreadsheet program.
  desktop.nextChoice = dir.File("site/table.CSV");
  test::WriteBytes(desktop.nextChoice, {'a'});
  app->MainFrame()->RouteCommand(ID_FILE_OPEN);
  ASSERT_EQ(desktop.opened.size(), 1u);
  EXPECT_EQ(desktop.opened[0], desktop.nextChoice);

  // An empty location file is refused with a message.
  desktop.nextChoice = dir.File("site/Blank.loc");
  test::WriteBytes(desktop.nextChoice, {});
  app->MainFrame()->RouteCommand(ID_FILE_OPEN);
  ASSERT_EQ(messages.boxes.size(), 1u);
  EXPECT_EQ(messages.boxes[0].text, "The selected Location file is empty.");
  EXPECT_EQ(messages.boxes[0].icon, MsgIcon::Exclamation);
  EXPECT_EQ(app->MainFrame()->MdiArea()->subWindowList().size(), 1);

  // Cancel does nothing.
  desktop.nextChoice.clear();
  app->MainFrame()->RouteCommand(ID_FILE_OPEN);
  EXPECT_EQ(app->MainFrame()->MdiArea()->subWindowList().size(), 1);

  // The system's dialog offers every supported file first.
  SetDesktopHooks({});
  QStringList filters;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&filters] {
    if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
      filters = dialog->nameFilters();
      dialog->reject();
    }
  });
  poll.start(20);
  app->MainFrame()->RouteCommand(ID_FILE_OPEN);
  EXPECT_EQ(filters, (QStringList{"All supported files (*.loc *.vtg)", "Location (*.loc)",
                                  "Graph files (*.vtg)"}));
}

TEST_F(AppTest, ClosingTheDocumentClosesItsWindowAndReturnsToTheMainMenu) {
  ASSERT_TRUE(Start(Location("Lab 2.loc")));
  QPointer<CDocument> doc = app->MainFrame()->ActiveDocument();
  ASSERT_TRUE(doc);
  app->MainFrame()->RouteCommand(ID_FILE_CLOSE);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_FALSE(doc);
  EXPECT_EQ(app->MainFrame()->MdiArea()->subWindowList().size(), 0);
  EXPECT_EQ(app->MainFrame()->CurrentMenu(), kMainMenu);
}

TEST_F(AppTest, WindowGeometryKeptBetweenRuns) {
  ASSERT_TRUE(Start(Location("Office 101.loc")));
  app->MainFrame()->move(40, 50);
  app->MainFrame()->resize(900, 640);
  const QRect frame = app->MainFrame()->frameGeometry();
  QMdiSubWindow* child = app->MainFrame()->MdiArea()->subWindowList().front();
  child->resize(500, 300);
  app->MainFrame()->close();
  app.reset();
  // The stored rectangle is the frame's, title bar included.
  EXPECT_EQ(Profile::GetInt("User", "WindowX", 0), 40);
  EXPECT_EQ(Profile::GetInt("User", "WindowCX", 0), frame.width());
  EXPECT_EQ(Profile::GetInt("User", "WindowCY", 0), frame.height());
  EXPECT_EQ(Profile::GetInt("User", "ChildCX", 0), 500);
  ASSERT_TRUE(Start(Location("Office 101.loc")));
  EXPECT_EQ(app->MainFrame()->frameGeometry(), frame);
  child = app->MainFrame()->MdiArea()->subWindowList().front();
  EXPECT_EQ(child->size(), QSize(500, 300));
  EXPECT_EQ(child->pos(), QPoint(0, 0));
  // A window opened while the main window is shown gets the same size and place.
  app->OpenDocumentFile(Location("Lab 2.loc"));
  ASSERT_EQ(app->MainFrame()->MdiArea()->subWindowList().size(), 2);
  child = app->MainFrame()->MdiArea()->subWindowList().back();
  EXPECT_EQ(child->size(), QSize(500, 300));
  EXPECT_EQ(child->pos(), QPoint(0, 0));

  // Closing while maximised leaves the stored values alone.
  app->MainFrame()->showMaximized();
  app->MainFrame()->close();
  app.reset();
  EXPECT_EQ(Profile::GetInt("User", "WindowX", 0), 40);
  EXPECT_EQ(Profile::GetInt("User", "WindowCY", 0), frame.height());
  // ... and the window opens maximised again.
  EXPECT_EQ(Profile::GetInt("User", "WindowMaximized", 0), 1);
  ASSERT_TRUE(Start());
  EXPECT_TRUE(app->MainFrame()->windowState() & Qt::WindowMaximized);
  app->MainFrame()->showNormal();
  app->MainFrame()->close();
  app.reset();
  EXPECT_EQ(Profile::GetInt("User", "WindowMaximized", 1), 0);

  // A stored child width of 0 gives 100.
  Profile::WriteInt("User", "ChildCX", 0);
  ASSERT_TRUE(Start(Location("Office 101.loc")));
  EXPECT_EQ(app->MainFrame()->MdiArea()->subWindowList().front()->width(), 100);
}

TEST_F(AppTest, DiagnosticsShowsAndResetsTheDirectories) {
  ASSERT_TRUE(Start());
  Profile::WriteString("Directories", "Data", "/d/");
  {
    test::MessageRecorder no(IDNO);
    app->MainFrame()->RouteCommand(ID_DIAGNOSTICS);
    ASSERT_EQ(no.boxes.size(), 1u);
    EXPECT_EQ(no.boxes[0].text, "Diagnostic information:\nExecutable: '" + app->programDirectory +
                                    "'\nData: '/d/'\nDocs: '" + dir.File("docs/") +
                                    "'\nTemplates: '" + dir.File("templates/") + "'\n\nReset?");
    EXPECT_EQ(no.boxes[0].icon, MsgIcon::Information);
    EXPECT_EQ(no.boxes[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(Profile::GetString("Directories", "Data"), "/d/");
  }
  {
    test::MessageRecorder yes(IDYES);
    app->MainFrame()->RouteCommand(ID_DIAGNOSTICS);
    EXPECT_EQ(Profile::GetString("Directories", "Data", "x"), "");
    EXPECT_EQ(Profile::GetString("Directories", "Documents", "x"), "");
    EXPECT_EQ(Profile::GetString("Directories", "Templates", "x"), "");
  }
  // The next start stores the defaults again.
  app.reset();
  ASSERT_TRUE(Start());
  EXPECT_EQ(Profile::GetString("Directories", "Data"), CVantoraApp::DefaultDataDirectory());
  EXPECT_EQ(Profile::GetString("Directories", "Documents"),
            CVantoraApp::DefaultDocumentsDirectory());
  fs::remove(NativePath(app->programDirectory + "vantora templates"));
}

TEST_F(AppTest, TransferStartsTheUtilityBesideTheProgram) {
  ASSERT_TRUE(Start());
  DesktopRecorder desktop;
  test::MessageRecorder messages;
  app->programDirectory = dir.File("prog/");
  MakeDirectoryPath(app->programDirectory);

  app->OnTransfer();
  ASSERT_EQ(messages.boxes.size(), 1u);
  EXPECT_EQ(
      messages.boxes[0].text,
      "The Transfer utility has not been installed properly.\nTry reinstalling the software.");

  std::string utility = app->programDirectory + CorvaneTransferProgramName();
  test::WriteBytes(utility, {'#'});
  app->OnTransfer();
  ASSERT_EQ(desktop.started.size(), 1u);
  EXPECT_EQ(desktop.started[0], utility);
  EXPECT_TRUE(desktop.startArgs.empty());
  EXPECT_EQ(desktop.startDir + "/", Profile::GetString("Directories", "Data"));

  desktop.startResult = false;
  app->OnTransfer();
  ASSERT_EQ(messages.boxes.size(), 2u);
  EXPECT_EQ(messages.boxes[1].text.substr(0, 33), "Unable to start Transfer utility.");

  // The hand-held program beside it: only the synchronisation check.
  test::WriteBytes(app->programDirectory + HandheldTransferProgramName(), {'#'});
  app->OnTransfer();
  EXPECT_EQ(desktop.started.size(), 2u);
  ASSERT_EQ(messages.boxes.size(), 3u);
  EXPECT_EQ(messages.boxes[2].text.substr(0, 30), "Microsoft's ActiveSync must be");

  // Without either program next to it the menu item is off.
  app->transferAvailable = false;
  app->MainFrame()->UpdateCommandUI();
  EXPECT_FALSE(app->MainFrame()->Action(ID_FILE_TRANSFER)->isEnabled());
}

TEST_F(AppTest, HelpSupportAndWebPages) {
  ASSERT_TRUE(Start());
  DesktopRecorder desktop;
  test::MessageRecorder messages;
  // The shipped pages lie beside the test program.
  app->OnHelp();
  ASSERT_EQ(desktop.opened.size(), 1u);
  EXPECT_EQ(desktop.opened[0], app->programDirectory + "help/vantorapchelp.html");
  EXPECT_TRUE(app->mobileHelpA);
  EXPECT_TRUE(app->mobileHelpB);
  app->OnSupport();
  ASSERT_EQ(desktop.opened.size(), 2u);
  EXPECT_EQ(desktop.opened[1], app->programDirectory + "support.html");
  EXPECT_TRUE(messages.boxes.empty());

  Profile::WriteString("Web", "Links", "https://links.test/");
  app->MainFrame()->RouteCommand(ID_HELP_WEB_LINKS);
  EXPECT_EQ(desktop.opened.back(), "https://links.test/");
  app->MainFrame()->RouteCommand(ID_HELP_CALIBRATION);
  EXPECT_EQ(desktop.opened.back().substr(0, 8), "https://");

  // Missing files.
  app->programDirectory = dir.File("nothing/");
  app->OnHelp();
  ASSERT_EQ(messages.boxes.size(), 1u);
  EXPECT_EQ(messages.boxes[0].text, "Help file '" + dir.File("nothing/help/vantorapchelp.html") +
                                        "' is missing, please contact Tech Support.");
  app->OnSupport();
  ASSERT_EQ(messages.boxes.size(), 2u);
  EXPECT_EQ(messages.boxes[1].text.substr(0, 36), "Support documents are missing or not");
  std::size_t opened = desktop.opened.size();
  app->OnMobileHelp("ppchelp.html");
  EXPECT_EQ(desktop.opened.size(), opened);
}

TEST_F(AppTest, OpenResultsMakesItsFolderTheDataDirectory) {
  ASSERT_TRUE(Start());
  DesktopRecorder desktop;
  std::string report = dir.File("reports/Room 4.htm");
  MakeDirectoryPath(dir.File("reports/"));
  test::WriteBytes(report, {'<'});
  desktop.nextChoice = report;
  app->MainFrame()->RouteCommand(ID_FILE_OPEN_RESULTS);
  ASSERT_EQ(desktop.requests.size(), 1u);
  EXPECT_EQ(desktop.requests[0].defaultExt, "htm");
  EXPECT_EQ(desktop.requests[0].filter, "Add On Results (*.txt;*.htm)|*.txt;*.htm;*.html|");
  ASSERT_EQ(desktop.opened.size(), 1u);
  EXPECT_EQ(desktop.opened[0], report);
  EXPECT_EQ(Profile::GetString("Directories", "Data"), dir.File("reports/"));
  // File Open now starts there.
  desktop.nextChoice.clear();
  app->MainFrame()->RouteCommand(ID_FILE_OPEN);
  EXPECT_EQ(desktop.requests.back().initialDir, dir.File("reports/"));
}

TEST_F(AppTest, RegisteredHandlersEnableTheirCommands) {
  ASSERT_TRUE(Start(Location("Office 101.loc")));
  CMainFrame* frame = app->MainFrame();
  const int id = 40123;
  QAction* action = frame->Action(id);
  frame->UpdateCommandUI();
  EXPECT_FALSE(action->isEnabled());
  CView* seen = nullptr;
  RegisterCommand("CVantoraLogView", id, [&](CommandContext& c) { seen = c.view; });
  frame->UpdateCommandUI();
  EXPECT_TRUE(action->isEnabled());
  action->trigger();
  EXPECT_EQ(seen, frame->ActiveView());
  // An enabling function can switch it off.
  RegisterCommand(
      "CVantoraLogView", id, [](CommandContext&) {},
      [](CommandContext& c) { return c.doc == nullptr; });
  frame->UpdateCommandUI();
  EXPECT_FALSE(action->isEnabled());
  // Application handlers run without a document.
  bool ran = false;
  RegisterCommand(kAppScope, id + 1, [&](CommandContext& c) { ran = c.app == app.get(); });
  frame->MdiArea()->closeAllSubWindows();
  EXPECT_TRUE(frame->RouteCommand(id + 1));
  EXPECT_TRUE(ran);
}

// Every entry of the location menu, in the order of its popups.
QStringList MenuTexts(QMenu* menu) {
  QStringList texts;
  for (QAction* a : menu->actions()) {
    if (a->isSeparator()) continue;
    texts << a->text();
    if (a->menu()) texts << MenuTexts(a->menu());
  }
  return texts;
}

TEST_F(AppTest, LocationMenuCarriesEveryItem) {
  ASSERT_TRUE(Start(Location("Office 101.loc")));
  QStringList texts;
  for (QAction* top : app->MainFrame()->menuBar()->actions())
    if (top->menu()) texts << top->text() << MenuTexts(top->menu());
  for (const char* item : {"&File",
                           "&Open...",
                           "Open &Results",
                           "&Notebook",
                           "&Documents...",
                           "&Print...",
                           "Print Preview...",
                           "P&rint Setup...",
                           "&Export to Excel...",
                           "Expo&rt Site to Table...",
                           "Survey &Report...",
                           "&Transfer",
                           "E&xit",
                           "&Edit",
                           "&Copy",
                           "&View",
                           "&Toolbar",
                           "&Status Bar",
                           "St&atistics",
                           "E&xposure",
                           "Exposure &Limits...",
                           "Change &Font",
                           "&Window",
                           "&Cascade",
                           "&Tile",
                           "&Graph",
                           "&Create",
                           "&Help",
                           "&Vantora PC &Help",
                           "Vantora &Mobile Help",
                           "&Vantora Pocket PC Help",
                           "&Vantora HPC Help",
                           "Useful Web Links...",
                           "Calibration info (on the web)...",
                           "Technical Support...",
                           "&About VantoraPC..."})
    EXPECT_TRUE(texts.contains(item)) << item;
  CMainFrame* frame = app->MainFrame();
  EXPECT_EQ(frame->Action(ID_FILE_OPEN)->shortcut(), QKeySequence("Ctrl+O"));
  EXPECT_EQ(frame->Action(ID_EDIT_COPY)->shortcut(), QKeySequence("Ctrl+C"));
  // Items whose library is missing stay off; registering a handler turns them on.
  frame->UpdateCommandUI();
  for (int id : {ID_FILE_NOTEBOOK, ID_FILE_EXPORT_CSV, ID_FILE_DOCUMENTS, ID_FILE_EXPORT_SITE}) {
    bool registered = HasRegisteredCommand("CVantoraLogDoc", id) ||
                      HasRegisteredCommand("CVantoraLogView", id) ||
                      HasRegisteredCommand(kAppScope, id);
    EXPECT_EQ(frame->Action(id)->isEnabled(), registered) << id;
  }
  // The graph menu's comment item ends in a plain ellipsis.
  std::string addComments;
  std::function<void(const std::vector<MenuItemDef>&)> find = [&](const auto& items) {
    for (const MenuItemDef& item : items) {
      if (item.id == ID_GRAPH_ADD_COMMENTS) addComments = item.text;
      find(item.items);
    }
  };
  find(app->Menu(kGraphMenu));
  EXPECT_EQ(addComments, "&Add comments...");
  EXPECT_TRUE(frame->Action(ID_VIEW_TOOLBAR)->isChecked());
  frame->RouteCommand(ID_VIEW_TOOLBAR);
  EXPECT_FALSE(frame->ToolBar()->isVisibleTo(frame));
  EXPECT_FALSE(frame->Action(ID_VIEW_TOOLBAR)->isChecked());
}

TEST_F(AppTest, WindowMenuListsTheOpenWindowsAndRecentFilesAreKept) {
  ASSERT_TRUE(Start(Location("Office 101.loc")));
  app->OpenDocumentFile(Location("Lab 2.loc"));
  QMenu* window = nullptr;
  for (QAction* top : app->MainFrame()->menuBar()->actions())
    if (top->text() == "&Window") window = top->menu();
  ASSERT_NE(window, nullptr);
  Q_EMIT window->aboutToShow();
  QStringList entries;
  QAction* first = nullptr;
  for (QAction* a : window->actions())
    if (a->property("windowList").toBool() && !a->isSeparator()) {
      entries << a->text();
      if (!first) first = a;
    }
  EXPECT_EQ(entries, (QStringList{"&1 Office 101.loc", "&2 Lab 2.loc"}));
  ASSERT_NE(first, nullptr);
  first->trigger();
  EXPECT_EQ(app->MainFrame()->ActiveDocument()->GetTitle(), "Office 101.loc");
  // Showing the menu again does not repeat the list.
  Q_EMIT window->aboutToShow();
  int listed = 0;
  for (QAction* a : window->actions())
    if (a->property("windowList").toBool() && !a->isSeparator()) ++listed;
  EXPECT_EQ(listed, 2);

  // Most recent first.
  EXPECT_EQ(Profile::GetString("Recent File List", "File1"), Location("Lab 2.loc"));
  EXPECT_EQ(Profile::GetString("Recent File List", "File2"), Location("Office 101.loc"));
  QAction* mru = app->MainFrame()->Action(ID_FILE_MRU_FILE1 + 1);
  EXPECT_TRUE(mru->isVisible());
  EXPECT_TRUE(mru->text().startsWith("&2 "));
  EXPECT_FALSE(app->MainFrame()->Action(ID_FILE_MRU_FILE1 + 2)->isVisible());
  app->MainFrame()->MdiArea()->closeAllSubWindows();
  app->MainFrame()->RouteCommand(ID_FILE_MRU_FILE1 + 1);
  ASSERT_NE(app->MainFrame()->ActiveDocument(), nullptr);
  EXPECT_EQ(app->MainFrame()->ActiveDocument()->GetPathName(), Location("Office 101.loc"));

  // A graph and its location: told apart by their extensions.
  Profile::WriteString("Recent File List", "File1", Location("Office 101.vtg"));
  Profile::WriteString("Recent File List", "File2", Location("Office 101.loc"));
  app->UpdateMenuTexts(*app->MainFrame());
  const QString graph = app->MainFrame()->Action(ID_FILE_MRU_FILE1)->text();
  const QString location = app->MainFrame()->Action(ID_FILE_MRU_FILE1 + 1)->text();
  EXPECT_TRUE(graph.startsWith("&1 ") && graph.endsWith("/Office 101.vtg")) << graph.toStdString();
  EXPECT_TRUE(location.startsWith("&2 ") && location.endsWith("/Office 101.loc"))
      << location.toStdString();
}

TEST_F(AppTest, CommandLineFileThatCannotBeOpenedIsNamedAndTheProgramStays) {
  test::MessageRecorder messages;
  const std::string missing = dir.File("site/Missing.loc");
  EXPECT_TRUE(Start(missing));
  ASSERT_EQ(messages.boxes.size(), 1u);
  EXPECT_EQ(messages.boxes[0].text, missing + " can not be opened: no such file.");
  EXPECT_TRUE(app->MainFrame()->isVisible());
  EXPECT_EQ(app->MainFrame()->ActiveDocument(), nullptr);
  EXPECT_EQ(Profile::GetString("Recent File List", "File1"), "");
}

TEST_F(AppTest, UnreadableLocationsStayOutOfTheRecentFilesAndLeaveThem) {
  ASSERT_TRUE(Start());
  test::MessageRecorder messages;
  // Random bytes: no document, no statistics file, no recent entry.
  const std::string junk = Location("Junk.loc");
  test::WriteBytes(junk, {0x4D, 0x5A, 0x90, 0x00, 0x03, 0x00, 0x00, 0x00});
  EXPECT_EQ(app->OpenDocumentFile(junk), nullptr);
  ASSERT_EQ(messages.boxes.size(), 1u);
  EXPECT_EQ(messages.boxes[0].text,
            junk + " can not be opened: not a location file (bad version).");
  EXPECT_FALSE(FileExists(StatisticsFilePath(junk)));
  EXPECT_EQ(Profile::GetString("Recent File List", "File1"), "");

  // A recent entry that no longer opens is removed.
  ASSERT_NE(app->OpenDocumentFile(Location("Lab 2.loc")), nullptr);
  ASSERT_NE(app->OpenDocumentFile(Location("Office 101.loc")), nullptr);
  app->MainFrame()->MdiArea()->closeAllSubWindows();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  fs::remove(Location("Lab 2.loc"));
  messages.boxes.clear();
  app->MainFrame()->RouteCommand(ID_FILE_MRU_FILE1 + 1);
  ASSERT_EQ(messages.boxes.size(), 1u);
  EXPECT_EQ(messages.boxes[0].text, Location("Lab 2.loc") + " can not be opened: no such file.");
  EXPECT_EQ(Profile::GetString("Recent File List", "File1"), Location("Office 101.loc"));
  EXPECT_EQ(Profile::GetString("Recent File List", "File2"), "");
  EXPECT_FALSE(app->MainFrame()->Action(ID_FILE_MRU_FILE1 + 1)->isVisible());
}

TEST_F(AppTest, SelectFontDialogListsTheFaceNames) {
  CChangeFontDlg known({"Arial", "Liberation Serif"}, "Liberation Serif");
  EXPECT_EQ(known.windowTitle(), "Select Font");
  EXPECT_EQ(known.List()->count(), 2);
  EXPECT_EQ(known.Selected(), "Liberation Serif");
  CChangeFontDlg unknown({"Arial", "Liberation Serif"}, "Courier");
  EXPECT_EQ(unknown.Selected(), "Arial");
}

TEST_F(AppTest, ChangeFontOffersArial) {
  ASSERT_TRUE(Start(Location("Office 101.loc")));
  ActiveLogView()->grab();
  EXPECT_EQ(app->displayResources.faceNames, std::vector<std::string>{"Arial"});
  EXPECT_EQ(app->displayResources.faceName, "Arial");
  EXPECT_TRUE(app->displayResources.pensCreated);
  EXPECT_EQ(app->displayResources.colours[6], QColor(200, 200, 0));
  EXPECT_EQ(app->displayResources.pens[5].width(), 2);
}

TEST_F(AppTest, AboutBoxShowsOkAfterTheAnimationCrossed) {
  ASSERT_TRUE(Start());
  CSplashWnd about(CSplashWnd::kAbout, app->displayResources, app->MainFrame());
  EXPECT_EQ(about.size(), QSize(500, 185));
  EXPECT_FALSE(about.okButton()->isVisibleTo(&about));
  // The specification's version text, then the build's version and licence.
  about.grab();
  EXPECT_EQ(about.drawnTexts(),
            (QStringList{"Version 2.04 B1", "Environmental data logging software",
                         QString("VantoraPC ") + VANTORA_VERSION + " (GPL-3.0-or-later)"}));
  int steps = 0;
  while (about.animating() && steps < 200) {
    about.Step();
    ++steps;
  }
  EXPECT_LT(steps, 200);
  EXPECT_GT(about.spriteRect().left(), about.rightLimit());
  EXPECT_TRUE(about.okButton()->isVisibleTo(&about));
  EXPECT_EQ(about.okButton()->geometry(), QRect(500 - 65, 185 - 30, 60, 25));
  EXPECT_EQ(about.frame(), (steps - 1) % 8);
  CSplashWnd splash(CSplashWnd::kSplash, app->displayResources, app->MainFrame());
  for (int i = 0; i < 100; ++i) splash.Step();
  EXPECT_FALSE(splash.okButton()->isVisibleTo(&splash));
}

TEST(MainFrameStartRect, FirstStartAndStoredRectangles) {
  const QRect wide(0, 0, 1920, 1200), square(0, 0, 1280, 1024);
  // First start: 80 % of the available area, centred.
  EXPECT_EQ(MainFrameStartRect(false, QRect(), wide, {wide}), QRect(192, 120, 1536, 960));
  EXPECT_EQ(MainFrameStartRect(false, QRect(), square, {square}), QRect(128, 102, 1024, 819));
  // A panel at the top: the available area starts below it.
  QRect below(0, 32, 1920, 1168);
  QRect first = MainFrameStartRect(false, QRect(), below, {below});
  EXPECT_TRUE(below.contains(first));
  // A stored rectangle with its title bar on some screen stays, also on a
  // second screen.
  const QRect second(1920, 0, 1280, 1024);
  EXPECT_EQ(MainFrameStartRect(true, QRect(40, 50, 900, 640), wide, {wide}),
            QRect(40, 50, 900, 640));
  EXPECT_EQ(MainFrameStartRect(true, QRect(2000, 100, 900, 640), wide, {wide, second}),
            QRect(2000, 100, 900, 640));
  // Off every screen (a screen since removed), or with the title bar above
  // the top edge: back onto the primary screen, centred, size kept.
  EXPECT_EQ(MainFrameStartRect(true, QRect(2000, 100, 900, 640), wide, {wide}),
            QRect(510, 280, 900, 640));
  EXPECT_EQ(MainFrameStartRect(true, QRect(100, -30, 900, 640), wide, {wide}),
            QRect(510, 280, 900, 640));
  // Larger than the screen: cut to it.
  EXPECT_EQ(MainFrameStartRect(true, QRect(-5000, 0, 3000, 2000), wide, {wide}), wide);
  // Stored extents below 1 give 100.
  EXPECT_EQ(MainFrameStartRect(true, QRect(10, 10, 0, -4), wide, {wide}).size(), QSize(100, 100));
}

TEST_F(AppTest, FirstStartTakesMostOfTheScreenWithTheTitleBarOnIt) {
  ASSERT_TRUE(Start());
  QRect available = QGuiApplication::primaryScreen()->availableGeometry();
  QRect frame = app->MainFrame()->frameGeometry();
  EXPECT_EQ(frame, MainFrameStartRect(false, QRect(), available, {available}));
  EXPECT_NEAR(frame.width(), available.width() * 0.8, 2);
  EXPECT_NEAR(frame.height(), available.height() * 0.8, 2);
  EXPECT_TRUE(available.contains(frame));
  // A stored place off every screen comes back onto it.
  app->MainFrame()->close();
  app.reset();
  Profile::WriteInt("User", "WindowX", available.right() + 3000);
  Profile::WriteInt("User", "WindowY", 40);
  ASSERT_TRUE(Start());
  EXPECT_TRUE(available.contains(app->MainFrame()->frameGeometry()));
}

}  // namespace
}  // namespace vantora

// Sends a key to a widget the way a key press reaches the shortcut map.
Q_GUI_EXPORT bool qt_sendShortcutOverrideEvent(QObject* o, ulong timestamp, int k,
                                               Qt::KeyboardModifiers mods, const QString& text,
                                               bool autorep, ushort count);

namespace vantora {
namespace {

TEST_F(AppTest, MaximisedTitleCtrlF4CascadeAndTile) {
  ASSERT_TRUE(Start(Location("Office 101.loc")));
  CMainFrame* frame = app->MainFrame();
  frame->resize(1000, 760);
  frame->show();
  QMdiArea* area = frame->MdiArea();
  QMdiSubWindow* child = area->activeSubWindow();
  ASSERT_NE(child, nullptr);
  child->showMaximized();
  QCoreApplication::processEvents();
  // The title as the window shows it.
  ASSERT_NE(frame->windowHandle(), nullptr);
  EXPECT_EQ(frame->windowHandle()->title().toStdString(), "VantoraPC - [Office 101.loc]");
  child->showNormal();
  QCoreApplication::processEvents();
  EXPECT_EQ(frame->windowHandle()->title().toStdString(), "VantoraPC - Office 101.loc");

  // Cascade keeps every window's size.
  app->OpenDocumentFile(Location("Lab 2.loc"));
  ASSERT_EQ(area->subWindowList().size(), 2);
  area->subWindowList()[0]->resize(520, 330);
  area->subWindowList()[1]->resize(610, 300);
  frame->RouteCommand(ID_WINDOW_CASCADE);
  EXPECT_EQ(area->subWindowList()[0]->size(), QSize(520, 330));
  EXPECT_EQ(area->subWindowList()[1]->size(), QSize(610, 300));
  EXPECT_NE(area->subWindowList()[0]->pos(), area->subWindowList()[1]->pos());

  // Tile: side by side while the views keep their least useful size ...
  frame->RouteCommand(ID_WINDOW_TILE_HORZ);
  EXPECT_FALSE(
      area->subWindowList()[0]->geometry().intersects(area->subWindowList()[1]->geometry()));
  // ... and cascaded in a main window too small for that.
  frame->resize(420, 330);
  QCoreApplication::processEvents();
  frame->RouteCommand(ID_WINDOW_TILE_HORZ);
  for (QMdiSubWindow* sub : area->subWindowList()) {
    auto* view = qobject_cast<CChildFrame*>(sub)->GetActiveView();
    QSize need = view->SmallestUsefulSize();
    EXPECT_GE(view->width(), std::min(need.width(), area->viewport()->width()));
    EXPECT_GE(view->height(), std::min(need.height(), area->viewport()->height() - 40));
  }

  // Ctrl+F4 closes the active document window.
  frame->activateWindow();
  QCoreApplication::processEvents();
  area->setActiveSubWindow(area->subWindowList()[0]);
  QWidget* target = area->activeSubWindow()->widget();
  ASSERT_TRUE(qt_sendShortcutOverrideEvent(target, 0, Qt::Key_F4, Qt::ControlModifier, QString(),
                                           false, 1));
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(area->subWindowList().size(), 1);
}

// What the screen shows of the main window after Tile and Cascade is what a
// fresh paint of it draws: every resized window repainted its whole panel.
TEST_F(AppTest, TileAndCascadeLeaveNoStaleTableLines) {
  // Windows taller than the main window's area: it shows its scroll bars
  // until Tile.
  Profile::WriteInt("User", "ChildCX", 365);
  Profile::WriteInt("User", "ChildCY", 725);
  ASSERT_TRUE(Start(Location("Office 101.loc")));
  CMainFrame* frame = app->MainFrame();
  frame->resize(800, 560);
  for (const char* name : {"Lab 2.loc", "Boiler Room.loc"}) app->OpenDocumentFile(Location(name));
  frame->show();
  auto settle = [] {
    for (int i = 0; i < 20; ++i) {
      QCoreApplication::processEvents();
      QThread::msleep(10);
    }
  };
  settle();
  auto onScreen = [frame] {
    return frame->screen()
        ->grabWindow(frame->winId())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
  };
  auto fresh = [frame] { return frame->grab().toImage().convertToFormat(QImage::Format_RGB32); };
  for (int command : {ID_WINDOW_TILE_HORZ, ID_WINDOW_CASCADE, ID_WINDOW_TILE_HORZ}) {
    frame->RouteCommand(command);
    settle();
    const QImage shown = onScreen(), drawn = fresh();
    ASSERT_EQ(shown.size(), drawn.size());
    int differing = 0;
    for (int y = 0; y < shown.height(); ++y)
      for (int x = 0; x < shown.width(); ++x) differing += shown.pixel(x, y) != drawn.pixel(x, y);
    EXPECT_EQ(differing, 0) << command;
  }
}

TEST_F(AppTest, PagesWithoutADesktopProgramOpenInTheBuiltInViewer) {
  ASSERT_TRUE(Start());
  DesktopHooks hooks;
  std::vector<std::string> asked;
  hooks.open = [&asked](const std::string& f) {
    asked.push_back(f);
    return false;  // no handler
  };
  SetDesktopHooks(hooks);
  auto viewers = [] {
    std::vector<QWidget*> found;
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w->objectName() == "builtInViewer" && w->isVisible()) found.push_back(w);
    return found;
  };
  // A help page: a browser whose links work.
  std::string help = app->programDirectory + "help/vantorapchelp.html";
  EXPECT_TRUE(ShellOpen(help));
  ASSERT_EQ(viewers().size(), 1u);
  auto* browser = qobject_cast<QTextBrowser*>(viewers()[0]);
  ASSERT_NE(browser, nullptr);
  EXPECT_EQ(browser->source().toLocalFile().toStdString(), help);
  EXPECT_FALSE(browser->toPlainText().isEmpty());
  viewers()[0]->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  // A text note: read-only, its Windows-1252 text shown as such.
  std::string note = dir.File("Room 4.txt");
  test::WriteBytes(note, {'2', '1', ' ', 0xB0, 'C', '\r', '\n'});
  EXPECT_TRUE(ShellOpen(note));
  ASSERT_EQ(viewers().size(), 1u);
  auto* text = qobject_cast<QPlainTextEdit*>(viewers()[0]);
  ASSERT_NE(text, nullptr);
  EXPECT_TRUE(text->isReadOnly());
  EXPECT_EQ(text->toPlainText().trimmed(), QString::fromUtf8("21 \xC2\xB0"
                                                             "C"));
  viewers()[0]->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  // Other kinds of file are not shown; web addresses are never.
  test::WriteBytes(dir.File("Room 4.wav"), {'R', 'I', 'F', 'F'});
  EXPECT_FALSE(ShellOpen(dir.File("Room 4.wav")));
  EXPECT_FALSE(ShellOpen("https://example.test/"));
  EXPECT_TRUE(viewers().empty());
  EXPECT_EQ(asked.size(), 4u);
  // With a handler the desktop opens it and no viewer appears.
  hooks.open = [](const std::string&) { return true; };
  SetDesktopHooks(hooks);
  EXPECT_TRUE(ShellOpen(note));
  EXPECT_TRUE(viewers().empty());
  SetDesktopHooks({});
}

}  // namespace
}  // namespace vantora

namespace vantora {
namespace {

// A window that asks before it closes, as a window with unsaved changes does.
class AskingWindow : public QWidget {
 public:
  bool refuse = true;

 protected:
  void closeEvent(QCloseEvent* event) override {
    if (refuse)
      event->ignore();
    else
      QWidget::closeEvent(event);
  }
};

TEST_F(AppTest, ExitClosesEveryWindowOfTheProgramAndTheEventLoopReturns) {
  ASSERT_TRUE(Start(Location("Office 101.loc")));
  CMainFrame* frame = app->MainFrame();
  frame->show();
  DesktopHooks hooks;
  hooks.open = [](const std::string&) { return false; };  // the built-in viewers show them
  SetDesktopHooks(hooks);
  std::string note = dir.File("Room 4.txt");
  test::WriteBytes(note, {'n', 'o', 't', 'e'});
  ASSERT_TRUE(ShellOpen(app->programDirectory + "help/vantorapchelp.html"));
  ASSERT_TRUE(ShellOpen(note));
  SetDesktopHooks({});
  frame->RouteCommand(ID_VIEW_EXPOSURE);
  (new CGraphStatisticsWnd(frame))->show();  // a graph's View Statistics window
  AskingWindow asking;
  asking.show();
  auto visibleWindows = [] {
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) n += w->isVisible() ? 1 : 0;
    return n;
  };
  ASSERT_GE(visibleWindows(), 6);

  QTimer watchdog;
  watchdog.setSingleShot(true);
  bool timedOut = false;
  QObject::connect(&watchdog, &QTimer::timeout, [&timedOut] {
    timedOut = true;
    QCoreApplication::exit(99);
  });
  // A window that refuses to close keeps the program open, as a document
  // that asks to save does ...
  QTimer::singleShot(0, frame, [frame] { frame->RouteCommand(ID_APP_EXIT); });
  watchdog.start(1500);
  EXPECT_EQ(QApplication::exec(), 99);
  EXPECT_TRUE(timedOut);
  EXPECT_TRUE(frame->isVisible());
  EXPECT_TRUE(asking.isVisible());

  // ... and once it agrees, File > Exit closes every window and ends the loop.
  asking.refuse = false;
  timedOut = false;
  QTimer::singleShot(0, frame, [frame] { frame->RouteCommand(ID_APP_EXIT); });
  watchdog.start(10000);
  EXPECT_EQ(QApplication::exec(), 0);
  EXPECT_FALSE(timedOut);
  EXPECT_EQ(visibleWindows(), 0);
}

}  // namespace
}  // namespace vantora

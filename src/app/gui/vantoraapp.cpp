#include "app/gui/vantoraapp.h"

#include <QApplication>
#include <QDir>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <cctype>
#include <ostream>
#include <utility>

#include "app/gui/appicons.h"
#include "app/gui/changefontdlg.h"
#include "app/gui/splashwnd.h"
#include "common/codepage.h"
#include "common/gui/qtstrings.h"
#include "common/pathutil.h"
#include "common/platform.h"
#include "common/profile.h"
#include "common/resources.h"
#include "common/timetext.h"
#include "location/gui/vantoralogdoc.h"
#include "location/gui/vantoralogview.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace vantora {

namespace {

constexpr int kRecentFiles = 4;
const char kLocationDocString[] =
    "\nLoc\nLoc\nLocation files (*.loc)\n.loc\nHalvorn.Location\nHalvorn Location File";
const char kLinksAddress[] = "https://www.halvorn.example/vantora/links.html";
const char kCalibrationAddress[] = "https://www.halvorn.example/vantora/calibration.html";

// The hand-held transfer program needs the desktop synchronisation software.
bool ActiveSyncPresent() {
#ifdef _WIN32
  char folder[MAX_PATH];
  bool rapi = false;
  if (GetWindowsDirectoryA(folder, MAX_PATH)) rapi = FileExists(std::string(folder) + "\\rapi.dll");
  if (!rapi && GetSystemDirectoryA(folder, MAX_PATH))
    rapi = FileExists(std::string(folder) + "\\rapi.dll");
  HKEY key;
  bool registered = false;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE,
                    "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\CEAPPMGR.EXE", 0,
                    KEY_READ, &key) == ERROR_SUCCESS) {
    char value[MAX_PATH] = {};
    DWORD size = sizeof(value);
    if (RegQueryValueExA(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size) ==
        ERROR_SUCCESS)
      registered = value[0] != '\0';
    RegCloseKey(key);
  }
  return rapi && registered;
#else
  return false;
#endif
}

// The graph window's File menu.
std::vector<MenuItemDef> GraphFileMenu() {
  std::vector<MenuItemDef> items = {
      {"&Open...\tCtrl+O", ID_FILE_OPEN, {}, "Open a location or graph file"},
      {"&Close", ID_FILE_CLOSE, {}, "Close the graph"},
      {"&Save\tCtrl+S", ID_FILE_SAVE, {}, "Save the graph"},
      {"Save &As...", ID_FILE_SAVE_AS, {}, "Save the graph under a new name"},
      {"Save As &Dib File...", ID_FILE_SAVE_DIB, {}, "Save the graph as a bitmap"},
      {"Save As &Jpeg File..", ID_FILE_SAVE_JPEG, {}, "Save the graph as a JPEG image"},
      {"Save As S&VG File...", ID_FILE_SAVE_SVG, {}, "Save the graph as an SVG drawing"},
      {},
      {"&Print...\tCtrl+P", ID_FILE_PRINT, {}, "Print the graph"},
      {"Print Pre&view", ID_FILE_PRINT_PREVIEW, {}, "Show the printed page"},
      {"P&rint Setup...", ID_FILE_PRINT_SETUP, {}, "Choose the printer"},
      {"Print Page Setup..", ID_GRAPH_PAGE_SETUP, {}, "Paper and margins of the printed graph"},
      {}};
  for (int i = 0; i < kRecentFiles; ++i) items.push_back({"Recent File", ID_FILE_MRU_FILE1 + i});
  items.push_back({});
  items.push_back(
      {"Expo&rt Site to Table...", ID_FILE_EXPORT_SITE, {}, "Export every location of a site"});
  items.push_back({"Survey &Report...",
                   ID_FILE_SURVEY_REPORT,
                   {},
                   "Write a PDF or Excel report of locations or a site"});
  items.push_back({"&Transfer", ID_FILE_TRANSFER, {}, "Download an instrument"});
  items.push_back({});
  items.push_back({"E&xit", ID_APP_EXIT, {}, "Quit VantoraPC"});
  return items;
}

std::vector<MenuItemDef> FileMenu(int resource) {
  if (resource == kGraphMenu) return GraphFileMenu();
  std::vector<MenuItemDef> items = {
      {"&Open...\tCtrl+O", ID_FILE_OPEN, {}, "Open a location file"},
      {"Open &Results", ID_FILE_OPEN_RESULTS, {}, "Open a results report"}};
  if (resource == kLocationMenu)
    items.push_back({"&Notebook", ID_FILE_NOTEBOOK, {}, "Access notebook system\nNotebook"});
  items.push_back({"&Documents...", ID_FILE_DOCUMENTS, {}, "Open a reference document"});
  items.push_back({});
  if (resource != kMainMenu) {
    items.push_back({"&Print...\tCtrl+P", ID_FILE_PRINT, {}, "Print the active window"});
    items.push_back({resource == kGraphMenu ? "Print Pre&view" : "Print Preview...",
                     ID_FILE_PRINT_PREVIEW,
                     {},
                     "Show the printed pages"});
  }
  items.push_back({"P&rint Setup...", ID_FILE_PRINT_SETUP, {}, "Choose the printer"});
  items.push_back({});
  if (resource == kLocationMenu)
    items.push_back(
        {"&Export to Excel...", ID_FILE_EXPORT_CSV, {}, "Export the location to a CSV table"});
  if (resource == kGraphMenu) {
    items.push_back({"Save As &Dib File...", ID_FILE_SAVE_DIB, {}, "Save the graph as a bitmap"});
    items.push_back(
        {"Save As &Jpeg File..", ID_FILE_SAVE_JPEG, {}, "Save the graph as a JPEG image"});
  }
  items.push_back(
      {"Expo&rt Site to Table...", ID_FILE_EXPORT_SITE, {}, "Export every location of a site"});
  items.push_back({"Survey &Report...",
                   ID_FILE_SURVEY_REPORT,
                   {},
                   "Write a PDF or Excel report of locations or a site"});
  items.push_back({});
  for (int i = 0; i < kRecentFiles; ++i) items.push_back({"Recent File", ID_FILE_MRU_FILE1 + i});
  items.push_back({});
  items.push_back({"&Transfer", ID_FILE_TRANSFER, {}, "Download an instrument"});
  items.push_back({});
  items.push_back({"E&xit", ID_APP_EXIT, {}, "Quit VantoraPC"});
  return items;
}

std::vector<MenuItemDef> HelpMenu() {
  return {{"&Vantora PC &Help", ID_HELP_VANTORAPC, {}, "Open the user guide"},
          {"Vantora &Mobile Help",
           0,
           {{"&Vantora Pocket PC Help", ID_HELP_POCKETPC}, {"&Vantora HPC Help", ID_HELP_HPC}}},
          {},
          {"Useful Web Links...", ID_HELP_WEB_LINKS},
          {"Calibration info (on the web)...", ID_HELP_CALIBRATION},
          {"Technical Support...", ID_HELP_SUPPORT},
          {},
          {"&About VantoraPC...", ID_APP_ABOUT, {}, "Program information and version"}};
}

std::vector<MenuItemDef> BuildMenu(int resource) {
  std::vector<MenuItemDef> menu;
  menu.push_back({"&File", 0, FileMenu(resource)});
  if (resource != kMainMenu)
    menu.push_back({"&Edit", 0, {{"&Copy\tCtrl+C", ID_EDIT_COPY, {}, "Copy to the clipboard"}}});
  std::vector<MenuItemDef> view = {
      {"&Toolbar", ID_VIEW_TOOLBAR, {}, "Show or hide the toolbar"},
      {"&Status Bar", ID_VIEW_STATUS_BAR, {}, "Show or hide the status bar"}};
  view.push_back({});
  if (resource == kLocationMenu) {
    view.push_back({"St&atistics", ID_VIEW_STATISTICS, {}, "Show the location's statistics"});
    view.push_back({"E&xposure", ID_VIEW_EXPOSURE, {}, "Time-weighted averages, peaks and limits"});
  }
  view.push_back(
      {"Exposure &Limits...", ID_VIEW_EXPOSURE_LIMITS, {}, "Show and edit the limit sets"});
  view.push_back({"Change &Font", ID_CHANGE_FONT, {}, "Choose the display font"});
  menu.push_back({"&View", 0, view});
  if (resource != kMainMenu) {
    menu.push_back({"&Window",
                    0,
                    {{"&Cascade", ID_WINDOW_CASCADE},
                     {"&Tile", ID_WINDOW_TILE_HORZ},
                     {"&Arrange Icons", ID_WINDOW_ARRANGE}}});
  }
  const MenuItemDef compare{"Compare &Locations...",
                            ID_GRAPH_COMPARE,
                            {},
                            "One channel of several locations in one graph"};
  if (resource == kMainMenu) menu.push_back({"&Graph", 0, {compare}});
  if (resource == kLocationMenu)
    menu.push_back({"&Graph",
                    0,
                    {{"&Create", ID_GRAPH_CREATE, {}, "Create a graph of the readings"}, compare}});
  if (resource == kGraphMenu) {
    menu.push_back(
        {"&Graph",
         0,
         {{"&Zoom Out", ID_GRAPH_ZOOM_OUT, {}, "Back to the scales before the last zoom"},
          {"&Full View\tHome", ID_GRAPH_FULL_VIEW, {}, "Show the whole range of the data"},
          {"&Add comments...", ID_GRAPH_ADD_COMMENTS, {}, "Place a comment"},
          {"&Remove Comments", ID_GRAPH_REMOVE_COMMENTS, {}, "Remove every comment"},
          {"&Scale", ID_GRAPH_SCALE, {}, "Set the axes' limits"},
          {},
          {"&Readout", ID_GRAPH_READOUT, {}, "Show the values under the mouse"},
          {"View S&tatistics",
           ID_GRAPH_VIEW_STATISTICS,
           {},
           "Statistics of the range the graph shows"},
          {},
          compare}});
  }
  menu.push_back({"&Help", 0, HelpMenu()});
  return menu;
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

std::string ProgramDirectoryFromCommandLine(const std::string& commandLine) {
  std::string text = Lower(commandLine);
  std::size_t exe = text.find(".exe", 1);
  if (exe != std::string::npos) text = text.substr(0, exe + 4);
  std::string unquoted;
  for (char c : text)
    if (c != '"') unquoted += c;
  std::string folder = SplitPath(unquoted).first;
  if (folder.empty() || !IsPathSeparator(folder.back())) folder += '\\';
  return folder;
}

std::string HandheldTransferProgramName() {
#ifdef _WIN32
  return "transfer.exe";
#else
  return "transfer";
#endif
}

std::string CorvaneTransferProgramName() {
#ifdef _WIN32
  return "corvanetransfer.exe";
#else
  return "corvanetransfer";
#endif
}

CVantoraApp::CVantoraApp() = default;

CVantoraApp::~CVantoraApp() {
  if (CMainFrame* frame = MainFrame()) {
    frame->close();
    delete frame;
  }
}

std::string CVantoraApp::DefaultDataDirectory() {
  return UserDocumentsFolder() + "vantora" + kPathSeparator;
}

std::string CVantoraApp::DefaultDocumentsDirectory() {
  return UserDocumentsFolder() + "vantora docs" + kPathSeparator;
}

std::string CVantoraApp::DefaultTemplatesDirectory() const {
  if (!InstalledLayout(programDirectory) && FolderIsWritable(programDirectory))
    return programDirectory + "vantora templates" + kPathSeparator;
  return UserDocumentsFolder() + "vantora templates" + kPathSeparator;
}

std::string CVantoraApp::HelpFilePath(const std::string& name) const {
  return ShippedFile(programDirectory, "help/" + name);
}

std::string CVantoraApp::SupportFilePath() const {
  return ShippedFile(programDirectory, "support.html");
}

void CVantoraApp::LocateProgram() {
#ifdef _WIN32
  programDirectory = ProgramDirectoryFromCommandLine(GetCommandLineA());
#else
  programDirectory = WithTrailingSeparator(FromQtPath(QCoreApplication::applicationDirPath()));
#endif
  SetProgramFolder(programDirectory);
}

int CVantoraApp::ReportShippedFiles(std::ostream& out) {
  LocateProgram();
  const std::pair<const char*, std::string> files[] = {
      {"help", HelpFilePath("vantorapchelp.html")},
      {"support", SupportFilePath()},
      {"compounds", ShippedFile("tvoc.csv")},
      {"drawing", ShippedFile("bitmap.bmp")},
      {"templates", ShippedFile(programDirectory, "templates")},
  };
  int missing = 0;
  for (const auto& [what, path] : files) {
    bool present = FileExists(path) || DirectoryExists(path);
    out << what << ": " << Cp1252ToUtf8(path) << (present ? "" : " (missing)") << "\n";
    if (!present) ++missing;
  }
  out << "templates folder: " << Cp1252ToUtf8(DefaultTemplatesDirectory()) << "\n";
  return missing == 0 ? 0 : 1;
}

std::string CVantoraApp::GetProfileDirectory(const char* section, const char* key) {
  return WithTrailingSeparator(Profile::GetString(section, key));
}

bool CVantoraApp::InitInstance(const std::vector<std::string>& args) {
  QCoreApplication::setOrganizationName("Halvorn");
  QCoreApplication::setApplicationName("VantoraPC");

  // Character set of the language resource.
  const std::string language = "English";
  charSet = Lower(language) == "japanese" ? 128 : 0;

  auto location = std::make_unique<CDocTemplate>(
      kLocationMenu, kLocationDocString, [] { return new CVantoraLogDoc; },
      [] { return new CVantoraLogView; });
  AddDocTemplate(std::move(location));
  for (const DocTemplateFactory& factory : RegisteredDocTemplates()) {
    std::unique_ptr<CDocTemplate> t = factory();
    if (!t) continue;
    if (t->ResourceId() == kGraphMenu) graphTemplate = t.get();
    AddDocTemplate(std::move(t));
  }

  auto* frame = new CMainFrame(this);
  SetMainFrame(frame);
  QApplication::setWindowIcon(ToolBarIcon(ID_APP_ABOUT));

  std::string file = args.size() > 1 ? args[1] : std::string();
  if (!file.empty()) {
    // Relative to the folder the program was started in.
    file = FromNativePath(std::filesystem::absolute(NativePath(file)));
  }

  // The program's folder (for the optional files beside it).
  LocateProgram();

  if (qEnvironmentVariable("VANTORA_SKIP_SPLASH") != "1") {
    CSplashWnd splash(CSplashWnd::kSplash, displayResources, frame);
    splash.exec();
  }

  // A file that does not open has said why; the program stays open.
  if (!file.empty()) OpenDocumentFile(file);
  frame->show();

  SettleDirectories();

  transferAvailable = FileExists(programDirectory + HandheldTransferProgramName()) ||
                      FileExists(programDirectory + CorvaneTransferProgramName());
  mobileHelpA = FileExists(HelpFilePath("ppchelp.html"));
  mobileHelpB = FileExists(HelpFilePath("hpchelp.html"));
  RunStartupHooks(*this);
  frame->ShowMenu(frame->CurrentMenu());
  return true;
}

void CVantoraApp::SettleDirectories() {
  std::string data = Profile::GetString("Directories", "Data");
  if (data.empty()) {
    data = DefaultDataDirectory();
    MakeDirectoryPath(data);
    Profile::WriteString("Directories", "Data", data);
  }
  QDir::setCurrent(NativeQtPath(data));
  std::string docs = Profile::GetString("Directories", "Documents");
  if (docs.empty()) {
    docs = DefaultDocumentsDirectory();
    MakeDirectoryPath(docs);
    Profile::WriteString("Directories", "Documents", docs);
  }
  std::string templates = Profile::GetString("Directories", "Templates");
  if (templates.empty()) {
    templates = DefaultTemplatesDirectory();
    MakeDirectoryPath(templates);
    // Away from the program (an installed layout), the new folder starts
    // with the templates that ship with it.
    if (templates != programDirectory + "vantora templates" + kPathSeparator)
      SeedTemplates(programDirectory, templates);
    Profile::WriteString("Directories", "Templates", templates);
  }
}

const std::vector<MenuItemDef>& CVantoraApp::Menu(int resourceId) const {
  static const std::vector<MenuItemDef> main = BuildMenu(kMainMenu);
  static const std::vector<MenuItemDef> location = BuildMenu(kLocationMenu);
  static const std::vector<MenuItemDef> graph = BuildMenu(kGraphMenu);
  return resourceId == kLocationMenu ? location : resourceId == kGraphMenu ? graph : main;
}

std::vector<AcceleratorDef> CVantoraApp::Accelerators(int resourceId) const {
  std::vector<AcceleratorDef> keys = {{"Ctrl+O", ID_FILE_OPEN}, {"Ctrl+Alt+Z", ID_DIAGNOSTICS}};
  if (resourceId == kMainMenu) return keys;
  keys.push_back({"Ctrl+C", ID_EDIT_COPY});
  keys.push_back({"Ctrl+P", ID_FILE_PRINT});
  keys.push_back({"F6", ID_NEXT_PANE});
  keys.push_back({"Shift+F6", ID_PREV_PANE});
  if (resourceId == kLocationMenu) {
    keys.push_back({"Down", ID_SCROLL_DOWN});
    keys.push_back({"Up", ID_SCROLL_UP});
    keys.push_back({"End", ID_SCROLL_END});
    keys.push_back({"Home", ID_SCROLL_HOME});
    keys.push_back({"PgDown", ID_SCROLL_PAGE_DOWN});
    keys.push_back({"PgUp", ID_SCROLL_PAGE_UP});
    keys.push_back({"Left", ID_SCROLL_LEFT});
    keys.push_back({"Right", ID_SCROLL_RIGHT});
  }
  if (resourceId == kGraphMenu) {
    keys.push_back({"Ctrl+S", ID_FILE_SAVE});
    keys.push_back({"Home", ID_GRAPH_FULL_VIEW});
  }
  return keys;
}

std::vector<int> CVantoraApp::ToolBarCommands() const {
  return {ID_FILE_OPEN,
          0,
          ID_EDIT_COPY,
          ID_FILE_PRINT,
          0,
          ID_FILE_NOTEBOOK,
          ID_VIEW_STATISTICS,
          ID_GRAPH_CREATE,
          0,
          ID_FILE_TRANSFER,
          0,
          ID_HELP_VANTORAPC,
          ID_APP_ABOUT};
}

QIcon CVantoraApp::CommandIcon(int id) const { return ToolBarIcon(id); }

std::vector<std::string> CVantoraApp::RecentFiles() const {
  std::vector<std::string> files;
  for (int i = 1; i <= kRecentFiles; ++i) {
    std::string f = Profile::GetString("Recent File List", "File" + std::to_string(i));
    if (!f.empty()) files.push_back(f);
  }
  return files;
}

void CVantoraApp::AddToRecentFiles(const std::string& path) {
  std::vector<std::string> files = RecentFiles();
  files.erase(std::remove(files.begin(), files.end(), path), files.end());
  files.insert(files.begin(), path);
  StoreRecentFiles(files);
}

void CVantoraApp::RemoveFromRecentFiles(const std::string& path) {
  std::vector<std::string> files = RecentFiles();
  files.erase(std::remove(files.begin(), files.end(), path), files.end());
  StoreRecentFiles(files);
}

void CVantoraApp::StoreRecentFiles(const std::vector<std::string>& files) {
  for (int i = 0; i < kRecentFiles; ++i)
    Profile::WriteString("Recent File List", "File" + std::to_string(i + 1),
                         i < static_cast<int>(files.size()) ? files[i] : std::string());
  if (MainFrame()) UpdateMenuTexts(*MainFrame());
}

void CVantoraApp::UpdateMenuTexts(CMainFrame& frame) {
  std::vector<std::string> files = RecentFiles();
  for (int i = 0; i < kRecentFiles; ++i) {
    QAction* action = frame.Action(ID_FILE_MRU_FILE1 + i);
    bool used = i < static_cast<int>(files.size());
    action->setVisible(used);
    // With the extension: a graph and its location are told apart.
    if (used)
      action->setText(QString("&%1 %2").arg(i + 1).arg(ToQt(AbbreviatePath(files[i], 40, true))));
  }
}

CDocument* CVantoraApp::OpenDocumentFile(const std::string& path) {
  CDocument* doc = CWinApp::OpenDocumentFile(path);
  if (doc) AddToRecentFiles(path);
  return doc;
}

bool CVantoraApp::QueryCommand(int id, bool& enabled, bool& checked) {
  switch (id) {
    case ID_FILE_OPEN:
    case ID_FILE_OPEN_RESULTS:
    case ID_HELP_VANTORAPC:
    case ID_HELP_WEB_LINKS:
    case ID_HELP_CALIBRATION:
    case ID_HELP_SUPPORT:
    case ID_APP_ABOUT:
    case ID_CHANGE_FONT:
    case ID_DIAGNOSTICS: enabled = true; return true;
    case ID_FILE_TRANSFER: enabled = transferAvailable; return true;
    case ID_HELP_POCKETPC: enabled = mobileHelpA; return true;
    case ID_HELP_HPC: enabled = mobileHelpB; return true;
    default:
      if (id >= ID_FILE_MRU_FILE1 && id < ID_FILE_MRU_FILE1 + kRecentFiles) {
        enabled = id - ID_FILE_MRU_FILE1 < static_cast<int>(RecentFiles().size());
        return true;
      }
      return false;
  }
}

bool CVantoraApp::OnCommand(int id) {
  switch (id) {
    case ID_FILE_OPEN: OnFileOpen(); return true;
    case ID_FILE_OPEN_RESULTS: OnOpenResults(); return true;
    case ID_CHANGE_FONT: OnChangeFont(); return true;
    case ID_DIAGNOSTICS: OnDiagnostics(); return true;
    case ID_FILE_TRANSFER: OnTransfer(); return true;
    case ID_HELP_VANTORAPC: OnHelp(); return true;
    case ID_HELP_POCKETPC: OnMobileHelp("ppchelp.html"); return true;
    case ID_HELP_HPC: OnMobileHelp("hpchelp.html"); return true;
    case ID_HELP_WEB_LINKS: OnWebPage("Links", kLinksAddress); return true;
    case ID_HELP_CALIBRATION: OnWebPage("Calibration", kCalibrationAddress); return true;
    case ID_HELP_SUPPORT: OnSupport(); return true;
    case ID_APP_ABOUT: OnAbout(); return true;
    default:
      if (id >= ID_FILE_MRU_FILE1 && id < ID_FILE_MRU_FILE1 + kRecentFiles) {
        std::vector<std::string> files = RecentFiles();
        std::size_t i = static_cast<std::size_t>(id - ID_FILE_MRU_FILE1);
        // An entry that no longer opens leaves the list.
        if (i < files.size() && !OpenDocumentFile(files[i])) RemoveFromRecentFiles(files[i]);
        return true;
      }
      return false;
  }
}

void CVantoraApp::OnFileOpen() {
  FileDialogRequest request;
  request.initialDir = GetProfileDirectory("Directories", "Data");
  request.defaultExt = "loc";
  request.filter =
      "All supported files (*.loc *.vtg)|*.loc;*.vtg|Location (*.loc)|*.loc|Graph files "
      "(*.vtg)|*.vtg|";
  std::string file;
  if (!AfxGetFileName(request, file)) return;
  const std::string ext = file.size() >= 4 ? Lower(file.substr(file.size() - 4)) : std::string();
  if (ext == ".csv") {
    ShellOpen(file);
    return;
  }
  // A graph file reports its own damage, an empty one included.
  if (ext != ".vtg" && FileIsEmpty(file)) {
    AfxMessageBox("The selected Location file is empty.", MsgIcon::Exclamation);
    return;
  }
  OpenDocumentFile(file);
}

void CVantoraApp::OnOpenResults() {
  FileDialogRequest request;
  request.initialDir = GetProfileDirectory("Directories", "Data");
  request.defaultExt = "htm";
  request.filter = "Add On Results (*.txt;*.htm)|*.txt;*.htm;*.html|";
  std::string file;
  if (!AfxGetFileName(request, file)) return;
  Profile::WriteString("Directories", "Data", SplitPath(file).first);
  ShellOpen(file);
}

void CVantoraApp::OnChangeFont() {
  CChangeFontDlg dlg(displayResources.faceNames, displayResources.faceName, MainFrame());
  if (dlg.exec() != QDialog::Accepted) return;
  std::string chosen = dlg.Selected();
  if (chosen.empty()) return;
  displayResources.faceName = chosen;
  Profile::WriteString("User", "FontName", chosen);
  if (MainFrame()) {
    for (QMdiSubWindow* sub : MainFrame()->MdiArea()->subWindowList())
      if (sub->widget()) sub->widget()->update();
  }
}

void CVantoraApp::OnDiagnostics() {
  std::string data = Profile::GetString("Directories", "Data");
  std::string docs = Profile::GetString("Directories", "Documents");
  std::string templates = Profile::GetString("Directories", "Templates");
  std::string text = Format(
      "Diagnostic information:\nExecutable: '%s'\nData: '%s'\nDocs: '%s'\nTemplates: "
      "'%s'\n\nReset?",
      programDirectory.c_str(), data.c_str(), docs.c_str(), templates.c_str());
  if (AfxMessageBox(text, MsgIcon::Information, MsgButtons::YesNo) == IDYES) {
    Profile::WriteString("Directories", "Data", "");
    Profile::WriteString("Directories", "Documents", "");
    Profile::WriteString("Directories", "Templates", "");
  }
}

void CVantoraApp::OnTransfer() {
  if (FileExists(programDirectory + HandheldTransferProgramName())) {
    if (!ActiveSyncPresent())
      AfxMessageBox(
          "Microsoft's ActiveSync must be installed on your computer in order to use the Transfer "
          "software. Please refer to your on-line documentation for more information on using "
          "Transfer.",
          MsgIcon::Exclamation);
    return;
  }
  std::string path = programDirectory + CorvaneTransferProgramName();
  if (programDirectory.empty() || !FileExists(path)) {
    AfxMessageBox(
        "The Transfer utility has not been installed properly.\nTry reinstalling the software.",
        MsgIcon::Exclamation);
    return;
  }
  std::string workingDir = FromQtPath(QDir::currentPath());
  if (!StartDetachedProcess(path, {}, workingDir)) {
    AfxMessageBox(
        "Unable to start Transfer utility.\nThe software may not be set up properly.\n\nTry "
        "running "
        "Transfer from the START MENU / Programs / Halvorn folder.",
        MsgIcon::Exclamation);
  }
}

void CVantoraApp::OnHelp() {
  std::string path = HelpFilePath("vantorapchelp.html");
  if (FileExists(path))
    ShellOpen(path);
  else
    AfxMessageBox("Help file '" + path + "' is missing, please contact Tech Support.",
                  MsgIcon::Exclamation);
}

void CVantoraApp::OnMobileHelp(const char* file) {
  std::string path = HelpFilePath(file);
  if (FileExists(path)) ShellOpen(path);
}

void CVantoraApp::OnWebPage(const char* key, const char* defaultAddress) {
  ShellOpen(Profile::GetString("Web", key, defaultAddress));
}

void CVantoraApp::OnSupport() {
  std::string path = SupportFilePath();
  if (FileExists(path))
    ShellOpen(path);
  else
    AfxMessageBox(
        "Support documents are missing or not properly installed. Please contact the support "
        "number that came with your software.",
        MsgIcon::Exclamation);
}

void CVantoraApp::OnAbout() {
  CSplashWnd about(CSplashWnd::kAbout, displayResources, MainFrame());
  about.exec();
}

}  // namespace vantora

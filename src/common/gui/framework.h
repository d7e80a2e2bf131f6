// The small application framework of VantoraPC on Qt Widgets: application
// object, multiple-document main frame, child frames, document templates,
// documents and views, numeric commands, and the desktop services (message
// boxes, file dialogs, wait cursor, clipboard, shell "open", processes).
//
// Commands. Every menu item, toolbar button and accelerator carries a
// numeric id (commandids.h). A command goes to the active view, then its
// document, then the main frame, then the application; the first that has a
// handler runs it. A menu item without any handler is disabled.
//
// Adding a command handler from another library (no edit of the view or the
// application needed): register it under the class name of the object that
// should own it ("CVantoraLogView", "CVantoraLogDoc", "CVantoraPCView", ...,
// or kAppScope for the application):
//
//   #include "common/gui/framework.h"
//   static const bool registered = vantora::RegisterCommand(
//       "CVantoraLogView", vantora::ID_FILE_EXPORT_CSV,
//       [](vantora::CommandContext& c) { ... c.view ... },
//       /* optional: enabled when */ [](vantora::CommandContext& c) { return true; });
//
// Put such registrations in a file under src/<subsystem>/gui/register/: those
// files are compiled into VantoraPC and every GUI test program (the
// `vantora_gui` target adds them), so they always run, which a static object
// inside a static library does not guarantee. Registration only stores the
// functions; it is safe before the QApplication exists.
//
// Start-up work of a library (installing its services once the application
// exists) goes through RegisterStartupHook, from the same register/ files.
//
// Tests: SetMessageBoxHook records message boxes and answers them;
// SetDesktopHooks replaces the file dialog, the shell "open" and process
// start with recorders.
#pragma once

#include <QIcon>
#include <QMainWindow>
#include <QMdiSubWindow>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/gui/commandids.h"
#include "common/gui/displayresources.h"

class QAction;
class QMdiArea;
class QLabel;
class QToolBar;
class QMenu;

namespace vantora {

class CWinApp;
class CMainFrame;
class CChildFrame;
class CDocument;
class CView;
class CDocTemplate;

// ---------------------------------------------------------------- messages

enum class MsgIcon { None, Information, Exclamation, Question, Stop };
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
// The answers carry the values of the Windows message box; where <windows.h>
// was included first its macros of the same names and values stand in.
#ifndef IDOK
enum MsgResult { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };
#endif

struct MessageBoxRecord {
  std::string text;  // Windows-1252
  MsgIcon icon = MsgIcon::Exclamation;
  MsgButtons buttons = MsgButtons::Ok;
};

// Shows a modal message box over the main window; returns the MsgResult.
int AfxMessageBox(const std::string& text, MsgIcon icon = MsgIcon::Exclamation,
                  MsgButtons buttons = MsgButtons::Ok);

// Test hook: when set, message boxes are not shown; the hook gets the box and
// returns the answer. Pass an empty function to remove it.
using MessageBoxHook = std::function<int(const MessageBoxRecord&)>;
void SetMessageBoxHook(MessageBoxHook hook);

// ------------------------------------------------------------ desktop

struct FileDialogRequest {
  std::string initialDir;  // Windows-1252
  std::string defaultExt;  // without dot
  std::string filter;      // "Location (*.loc)|*.loc|"
  bool save = false;
  std::string initialFile;  // proposed file (full path), Windows-1252; may be empty
  // For exports and reports: a ".loc" name or one of `keepFiles` (by identity)
  // is refused with a message and the dialog asked again.
  bool refuseLocationNames = false;
  std::vector<std::string> keepFiles;
};

struct DesktopHooks {
  // The chosen file, or empty for cancel.
  std::function<std::string(const FileDialogRequest&)> chooseFile;
  // Opens a file or web address with the desktop's handler.
  std::function<bool(const std::string&)> open;
  // Starts a program as an independent process in `workingDir`.
  std::function<bool(const std::string& program, const std::vector<std::string>& args,
                     const std::string& workingDir)>
      start;
};
// Test hook: each set member replaces the desktop's own behaviour.
void SetDesktopHooks(DesktopHooks hooks);

// The system's open (or save) dialog owned by the main window; false on cancel.
bool AfxGetFileName(const FileDialogRequest& request, std::string& chosen);
// The shell's "open" action on a file path (Windows-1252) or a URL. A text
// or HTML file the desktop has no program for opens in ShowBuiltInViewer.
bool ShellOpen(const std::string& fileOrUrl);
// Whether the built-in viewer shows the file (text and HTML files).
bool IsBuiltInViewerFile(const std::string& path);
// A window of the program showing the file: a read-only text view, or a
// help browser for HTML with working links. Null when it cannot be shown.
QWidget* ShowBuiltInViewer(const std::string& path);
// Starts `program` as an independent process, not waiting for it.
bool StartDetachedProcess(const std::string& program, const std::vector<std::string>& args,
                          const std::string& workingDir);
// Plain text (Windows-1252) onto the clipboard.
bool SetClipboardText(const std::string& text);
// The same for UTF-8 text (characters Windows-1252 lacks, such as the
// greater-or-equal sign, kept).
bool SetClipboardTextUtf8(const std::string& text);
// The system's warning beep.
void MessageBeep();

// Shows the busy cursor for its lifetime.
class CWaitCursor {
 public:
  CWaitCursor();
  ~CWaitCursor();
  CWaitCursor(const CWaitCursor&) = delete;
  CWaitCursor& operator=(const CWaitCursor&) = delete;
};

// Platform folders.
std::string UserDocumentsFolder();  // "c:\my documents\" on Windows; with separator

// ------------------------------------------------------------ commands

struct CommandContext {
  CWinApp* app = nullptr;
  CMainFrame* frame = nullptr;
  CDocument* doc = nullptr;  // active document, may be null
  CView* view = nullptr;     // active view, may be null
  int id = 0;
};

using CommandFn = std::function<void(CommandContext&)>;
using EnableFn = std::function<bool(CommandContext&)>;

constexpr const char* kAppScope = "CWinApp";

// Registers the handler of command `id` for objects of class `scope`. A later
// registration of the same (scope, id) replaces the earlier one. Returns true.
bool RegisterCommand(const std::string& scope, int id, CommandFn run, EnableFn enabled = {});
bool HasRegisteredCommand(const std::string& scope, int id);

// Anything that takes commands: built-in handlers through OnCommand and
// QueryCommand, registered ones through its class name.
class CCmdTarget {
 public:
  virtual ~CCmdTarget() = default;
  // Class name used for registered handlers.
  virtual const char* ClassName() const = 0;
  // Runs a built-in command; false when this object has none for `id`.
  virtual bool OnCommand(int id) { return false; }
  // Whether this object has a built-in handler for `id`; sets `enabled` (and
  // `checked` for toggles).
  virtual bool QueryCommand(int id, bool& enabled, bool& checked) { return false; }
};

// ------------------------------------------------------------ menus

// One menu entry: a popup (items set), a command (id set) or a separator
// (neither). The text may carry an accelerator after a tab: "&Copy\tCtrl+C".
struct MenuItemDef {
  MenuItemDef() = default;
  MenuItemDef(std::string text, int id, std::vector<MenuItemDef> items = {},
              std::string prompt = {})
      : text(std::move(text)), id(id), items(std::move(items)), prompt(std::move(prompt)) {}
  std::string text;
  int id = 0;
  std::vector<MenuItemDef> items;
  std::string prompt;  // status bar text
};

struct AcceleratorDef {
  const char* keys;  // QKeySequence text, "Ctrl+Alt+Z"
  int id;
};

// ------------------------------------------------------------ documents

class CDocument : public QObject, public CCmdTarget {
  Q_OBJECT
 public:
  CDocument();
  ~CDocument() override;

  // The framework's open step: the file can be opened for reading. Derived
  // classes call it first. Reports a failure itself.
  virtual bool OnOpenDocument(const std::string& path);
  virtual bool OnNewDocument();
  // Closes every view and frame, then deletes the document.
  virtual void OnCloseDocument();

  const std::string& GetPathName() const { return path_; }
  void SetPathName(const std::string& path);
  std::string GetTitle() const { return title_; }
  // Sets the title and shows it on the document's windows.
  void SetTitle(const std::string& title);
  bool IsModified() const { return modified_; }
  // Also marks the document's windows ("*" after the title).
  void SetModifiedFlag(bool modified = true);
  CDocTemplate* GetDocTemplate() const { return template_; }

  // Saving. Documents that can be saved return true from CanSave and write
  // themselves in OnSaveDocument, which reports its own failures.
  virtual bool CanSave() const { return false; }
  // The file Save As proposes: the document's own file, else its title with
  // the template's extension in the folder the document came from.
  virtual std::string ProposedSavePath() const;
  virtual bool OnSaveDocument(const std::string& path) { return false; }
  // Save: to the document's file, or through Save As when it has none.
  bool DoFileSave();
  // Save As: asks for a file (the template's filter and extension) unless
  // `path` is given; on success the document takes that name and enters the
  // recent-file list.
  bool DoSave(const std::string& path = std::string());
  // For a modified document that can be saved: asks "Save changes to
  // <title>?" (Yes saves, No discards). False when the user cancels or the
  // save failed, so whatever was closing stays open.
  virtual bool SaveModified();

  // Save (ID_FILE_SAVE) and Save As (ID_FILE_SAVE_AS) for documents that can
  // be saved; derived classes pass other ids on to these.
  bool OnCommand(int id) override;
  bool QueryCommand(int id, bool& enabled, bool& checked) override;

  const std::vector<CView*>& Views() const { return views_; }
  void AddView(CView* view);
  void RemoveView(CView* view);
  // Calls OnUpdate of every view but `sender`.
  void UpdateAllViews(CView* sender = nullptr);

 private:
  friend class CDocTemplate;
  std::string path_;
  std::string title_;
  bool modified_ = false;
  bool closing_ = false;
  CDocTemplate* template_ = nullptr;
  std::vector<CView*> views_;
};

class CView : public QWidget, public CCmdTarget {
  Q_OBJECT
 public:
  explicit CView(QWidget* parent = nullptr);
  ~CView() override;

  CDocument* GetDocument() const { return document_; }
  void SetDocument(CDocument* doc);
  CChildFrame* GetParentFrame() const;

  // After the view is attached to its document and before it is shown.
  virtual void OnInitialUpdate() {}
  virtual void OnUpdate(CView* sender) { update(); }
  // The least size at which the view shows anything useful; Tile cascades
  // rather than make a view smaller.
  virtual QSize SmallestUsefulSize() const { return QSize(60, 40); }

 private:
  CDocument* document_ = nullptr;
};

// Pairs a document class with its view class and menu resource.
class CDocTemplate {
 public:
  using DocFactory = std::function<CDocument*()>;
  using ViewFactory = std::function<CView*()>;

  // `docString`: "\nLoc\nLoc\nLocation files (*.loc)\n.loc\nHalvorn.Location\n..."
  CDocTemplate(int resourceId, std::string docString, DocFactory doc, ViewFactory view);
  // Deletes the documents still open.
  ~CDocTemplate();
  CDocTemplate(const CDocTemplate&) = delete;
  CDocTemplate& operator=(const CDocTemplate&) = delete;

  int ResourceId() const { return resourceId_; }
  // Field of the document string: 0 window title, 1 doc name, 2 new name,
  // 3 filter name, 4 extension, 5 type id, 6 type name.
  std::string GetDocString(int index) const;
  bool MatchesExtension(const std::string& path) const;

  // Opens `path` in a new document with a view in a new child frame; an
  // already open document of the same path is activated instead. Null on failure.
  CDocument* OpenDocumentFile(const std::string& path);
  // A new, untitled document ("Graph1", "Graph2" ...) in a new child frame;
  // null when its OnNewDocument fails.
  CDocument* CreateNewDocument();
  const std::vector<CDocument*>& Documents() const { return documents_; }
  void RemoveDocument(CDocument* doc);

 private:
  int resourceId_;
  std::string docString_;
  DocFactory makeDoc_;
  ViewFactory makeView_;
  std::vector<CDocument*> documents_;
  int untitledCount_ = 0;

  CChildFrame* ShowDocument(CDocument* doc);
};

// ------------------------------------------------------------ frames

// A child window of the main frame holding one view. Its size comes from
// "User"/"ChildCX", "ChildCY" and is stored there when closed in normal state.
class CChildFrame : public QMdiSubWindow {
  Q_OBJECT
 public:
  explicit CChildFrame(CView* view, QWidget* parent = nullptr);
  ~CChildFrame() override;
  CView* GetActiveView() const { return view_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void StoreSize();
  QPointer<CView> view_;
  bool stored_ = false;
};

class CMainFrame : public QMainWindow, public CCmdTarget {
  Q_OBJECT
 public:
  explicit CMainFrame(CWinApp* app);
  ~CMainFrame() override;
  const char* ClassName() const override { return "CMainFrame"; }

  QMdiArea* MdiArea() const { return mdi_; }
  CChildFrame* ActiveChild() const;
  CView* ActiveView() const;
  CDocument* ActiveDocument() const;
  CChildFrame* AddChild(CView* view);

  // The shared action of a command id (created on first use).
  QAction* Action(int id);
  // Routes command `id` as a menu item would; false when nothing handled it.
  bool RouteCommand(int id);
  // Re-evaluates the enabled and checked state of every action.
  void UpdateCommandUI();
  // The menu bar of a menu resource (kMainMenu, ...), switched to when a
  // document of that kind becomes active.
  void ShowMenu(int resourceId);
  int CurrentMenu() const { return currentMenu_; }
  QToolBar* ToolBar() const { return toolBar_; }
  void SetMessageText(const QString& text);

  bool OnCommand(int id) override;
  bool QueryCommand(int id, bool& enabled, bool& checked) override;

  // Window > Cascade: every window keeps its size. Window > Tile: side by
  // side, or cascaded when tiles would be too small for the views.
  void Cascade();
  void Tile();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void PlaceOnScreen();
  // "VantoraPC - <title>", or "VantoraPC - [<title>]" with the child maximised.
  void UpdateFrameTitle();
  void BuildToolBar();
  void FillWindowList(QMenu* menu);
  void BuildStatusBar();
  void StoreGeometry();
  void OnSubWindowActivated();
  void AddMenuItems(QMenu* menu, const std::vector<MenuItemDef>& items);
  CommandContext Context(int id);

  CWinApp* app_;
  QMdiArea* mdi_ = nullptr;
  QToolBar* toolBar_ = nullptr;
  QLabel* messagePane_ = nullptr;
  std::map<int, QAction*> actions_;
  std::vector<QMenu*> menus_;
  int currentMenu_ = 0;
  bool stored_ = false;
  QRect frameRect_;  // the frame's rectangle at start
  bool framePlaced_ = false;
  bool titlePending_ = false;
};

// Where the main frame opens: the stored frame rectangle, or about 80 % of
// the primary screen's available area centred there at first start
// (`hasStored` false) or when the stored one shows its title bar on none of
// `screens` (available areas).
QRect MainFrameStartRect(bool hasStored, const QRect& stored, const QRect& primary,
                         const std::vector<QRect>& screens);

// ------------------------------------------------------------ application

// The application object: one per run (the current one is AfxGetApp()).
// The QApplication is created by main() (or a test) before it.
class CWinApp : public QObject, public CCmdTarget {
  Q_OBJECT
 public:
  CWinApp();
  ~CWinApp() override;
  const char* ClassName() const override { return kAppScope; }

  // Builds the main window and everything else; false ends the program.
  virtual bool InitInstance(const std::vector<std::string>& args) = 0;

  CMainFrame* MainFrame() const { return mainFrame_; }
  void SetMainFrame(CMainFrame* frame) { mainFrame_ = frame; }

  void AddDocTemplate(std::unique_ptr<CDocTemplate> docTemplate);
  const std::vector<std::unique_ptr<CDocTemplate>>& DocTemplates() const { return templates_; }
  // Opens a file with the first template whose extension matches (else the
  // first template).
  virtual CDocument* OpenDocumentFile(const std::string& path);

  // Menus and accelerators by resource id.
  virtual const std::vector<MenuItemDef>& Menu(int resourceId) const = 0;
  virtual std::vector<AcceleratorDef> Accelerators(int resourceId) const = 0;
  // Toolbar: command ids, 0 for a separator; and their icons.
  virtual std::vector<int> ToolBarCommands() const = 0;
  virtual QIcon CommandIcon(int id) const;
  // Called after a menu bar was built: changing texts (recent files).
  virtual void UpdateMenuTexts(CMainFrame& frame) {}
  // A file just saved or opened, for the recent-file list.
  virtual void AddToRecentFileList(const std::string& path) {}

  DisplayResources displayResources;
  int charSet = 0;

 private:
  CMainFrame* mainFrame_ = nullptr;
  std::vector<std::unique_ptr<CDocTemplate>> templates_;
};

// Document kinds other libraries add (the graph documents): the application
// creates them after its own, in registration order.
using DocTemplateFactory = std::function<std::unique_ptr<CDocTemplate>()>;
bool RegisterDocTemplate(DocTemplateFactory factory);
const std::vector<DocTemplateFactory>& RegisteredDocTemplates();

// Functions run at the end of the application's start-up, in registration
// order (after the application installed its own defaults, so a library can
// replace them).
using StartupHook = std::function<void(CWinApp&)>;
bool RegisterStartupHook(StartupHook hook);
void RunStartupHooks(CWinApp& app);

CWinApp* AfxGetApp();
QWidget* AfxGetMainWnd();

}  // namespace vantora

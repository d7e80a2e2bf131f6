#include "common/gui/framework.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QShortcut>
#include <QStandardPaths>
#include <QStatusBar>
#include <QStyle>
#include <QTextBrowser>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <algorithm>
#include <limits>

#include "common/gui/qtstrings.h"
#include "common/pathutil.h"
#include "common/platform.h"
#include "common/profile.h"

namespace vantora {

namespace {

MessageBoxHook& TheMessageBoxHook() {
  static MessageBoxHook hook;
  return hook;
}
DesktopHooks& TheDesktopHooks() {
  static DesktopHooks hooks;
  return hooks;
}

struct Registered {
  CommandFn run;
  EnableFn enabled;
};
std::map<std::pair<std::string, int>, Registered>& Registry() {
  static std::map<std::pair<std::string, int>, Registered> registry;
  return registry;
}

CWinApp*& CurrentApp() {
  static CWinApp* app = nullptr;
  return app;
}

// "Add On Results (*.txt;*.htm)|*.txt;*.htm;*.html|" as a Qt filter list.
QString QtFilter(const std::string& filter) {
  QStringList parts = ToQt(filter).split('|');
  QStringList out;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    QString name = parts[i].trimmed();
    int paren = name.indexOf('(');
    if (paren >= 0) name = name.left(paren).trimmed();
    QString patterns = parts[i + 1].split(';', Qt::SkipEmptyParts).join(' ');
    if (!patterns.isEmpty()) out << QString("%1 (%2)").arg(name, patterns);
  }
  return out.join(";;");
}

// Adds `keys` to the shortcuts of `action` unless it has them already.
void AddShortcut(QAction* action, const QKeySequence& keys) {
  QList<QKeySequence> list = action->shortcuts();
  if (list.contains(keys)) return;
  list << keys;
  action->setShortcuts(list);
}

// A stored window extent of "User"; a value below 1 gives 100.
int StoredExtent(const char* key, int defaultValue) {
  int value = Profile::GetInt("User", key, defaultValue);
  return value < 1 ? 100 : value;
}

}  // namespace

// ------------------------------------------------------------ messages

int AfxMessageBox(const std::string& text, MsgIcon icon, MsgButtons buttons) {
  MessageBoxRecord record{text, icon, buttons};
  if (TheMessageBoxHook()) return TheMessageBoxHook()(record);
  QMessageBox box(AfxGetMainWnd());
  box.setWindowTitle("VantoraPC");
  box.setText(ToQt(text));
  switch (icon) {
    case MsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
    case MsgIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
    case MsgIcon::Stop: box.setIcon(QMessageBox::Critical); break;
  }
  switch (buttons) {
    case MsgButtons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case MsgButtons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case MsgButtons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case MsgButtons::YesNoCancel:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
      break;
  }
  switch (box.exec()) {
    case QMessageBox::Ok: return IDOK;
    case QMessageBox::Yes: return IDYES;
    case QMessageBox::No: return IDNO;
    default: return IDCANCEL;
  }
}

void SetMessageBoxHook(MessageBoxHook hook) { TheMessageBoxHook() = std::move(hook); }

// ------------------------------------------------------------ desktop

void SetDesktopHooks(DesktopHooks hooks) { TheDesktopHooks() = std::move(hooks); }

bool AfxGetFileName(const FileDialogRequest& request, std::string& chosen) {
  chosen.clear();
  auto refused = [&request](const std::string& name) {
    if (!request.save || !request.refuseLocationNames || !RefusesOutput(name, request.keepFiles))
      return false;
    AfxMessageBox(kLocationOutputRefused, MsgIcon::Exclamation);
    return true;
  };
  if (TheDesktopHooks().chooseFile) {
    do chosen = TheDesktopHooks().chooseFile(request);
    while (!chosen.empty() && refused(chosen));
    return !chosen.empty();
  }
  if (request.save && request.refuseLocationNames) {
    // The name is checked before the overwrite question, which is asked here.
    FileDialogRequest again = request;
    for (;;) {
      QFileDialog dialog(AfxGetMainWnd());
      dialog.setAcceptMode(QFileDialog::AcceptSave);
      dialog.setFileMode(QFileDialog::AnyFile);
      dialog.setOption(QFileDialog::DontConfirmOverwrite);
      dialog.setDirectory(NativeQtPath(again.initialDir));
      dialog.setDefaultSuffix(ToQt(again.defaultExt));
      dialog.setNameFilter(QtFilter(again.filter));
      // A name typed without an extension takes the chosen filter's.
      QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                       [&dialog](const QString& filter) {
                         const int star = filter.indexOf(QStringLiteral("*."));
                         if (star < 0) return;
                         QString ext = filter.mid(star + 2);
                         const int end = ext.indexOf(QRegularExpression(QStringLiteral("[ );]")));
                         if (end >= 0) ext.truncate(end);
                         if (!ext.isEmpty() && !ext.contains('*')) dialog.setDefaultSuffix(ext);
                       });
      if (!again.initialFile.empty()) dialog.selectFile(NativeQtPath(again.initialFile));
      if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
      chosen = FromQtPath(dialog.selectedFiles().first());
      if (chosen.empty()) return false;
      again.initialDir = SplitPath(chosen).first;
      again.initialFile = chosen;
      if (refused(chosen)) continue;
      if (FileExists(chosen) &&
          AfxMessageBox(SplitPath(chosen).second + " already exists.\nDo you want to replace it?",
                        MsgIcon::Exclamation, MsgButtons::YesNo) != IDYES)
        continue;
      return true;
    }
  }
  QFileDialog dialog(AfxGetMainWnd());
  dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setDirectory(NativeQtPath(request.initialDir));
  dialog.setDefaultSuffix(ToQt(request.defaultExt));
  dialog.setNameFilter(QtFilter(request.filter));
  if (!request.initialFile.empty()) dialog.selectFile(NativeQtPath(request.initialFile));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  chosen = FromQtPath(dialog.selectedFiles().first());
  return !chosen.empty();
}

namespace {

// Whether the desktop has a program for the local file: xdg-open is there
// and the file's type has a default handler.
bool DesktopHandles(const QString& path) {
  if (QStandardPaths::findExecutable("xdg-open").isEmpty()) return false;
  QString mime = QMimeDatabase().mimeTypeForFile(path).name();
  QString query = QStandardPaths::findExecutable("xdg-mime");
  if (query.isEmpty()) return true;  // xdg-open decides alone
  QProcess process;
  process.start(query, {"query", "default", mime});
  if (!process.waitForFinished(3000)) {
    process.kill();
    process.waitForFinished(1000);
    return true;
  }
  return !process.readAllStandardOutput().trimmed().isEmpty();
}

}  // namespace

bool IsBuiltInViewerFile(const std::string& path) {
  QMimeDatabase db;
  QMimeType type = db.mimeTypeForFile(NativeQtPath(path), QMimeDatabase::MatchExtension);
  return type.inherits("text/plain") || type.inherits("text/html");
}

QWidget* ShowBuiltInViewer(const std::string& path) {
  QString file = NativeQtPath(path);
  QFile in(file);
  if (!IsBuiltInViewerFile(path) || !in.open(QIODevice::ReadOnly)) return nullptr;
  const bool html =
      QMimeDatabase().mimeTypeForFile(file, QMimeDatabase::MatchExtension).inherits("text/html");
  QWidget* viewer = nullptr;
  if (html) {
    // A small help browser: links between the pages work, web links go to
    // the desktop's browser.
    auto* browser = new QTextBrowser;
    browser->setOpenExternalLinks(true);
    browser->setSource(QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath()));
    viewer = browser;
  } else {
    auto* text = new QPlainTextEdit;
    text->setReadOnly(true);
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    // Note and statistics files are Windows-1252 text.
    QByteArray bytes = in.readAll();
    text->setPlainText(ToQt(std::string(bytes.constData(), static_cast<size_t>(bytes.size()))));
    viewer = text;
  }
  viewer->setObjectName("builtInViewer");
  viewer->setAttribute(Qt::WA_DeleteOnClose);
  viewer->setWindowTitle(QFileInfo(file).fileName() + " - VantoraPC");
  QRect screen = QGuiApplication::primaryScreen()
                     ? QGuiApplication::primaryScreen()->availableGeometry()
                     : QRect(0, 0, 1024, 768);
  viewer->resize(std::min(760, screen.width() * 8 / 10), std::min(640, screen.height() * 8 / 10));
  viewer->show();
  viewer->raise();
  viewer->activateWindow();
  return viewer;
}

bool ShellOpen(const std::string& fileOrUrl) {
  QString text = ToQt(fileOrUrl);
  QUrl url(text);
  const bool web = url.scheme() == "http" || url.scheme() == "https" || url.scheme() == "mailto";
  bool opened = false;
  if (TheDesktopHooks().open)
    opened = TheDesktopHooks().open(fileOrUrl);
  else if (web)
    return QDesktopServices::openUrl(url);
  else if (DesktopHandles(NativeQtPath(fileOrUrl)))
    opened = QDesktopServices::openUrl(QUrl::fromLocalFile(NativeQtPath(fileOrUrl)));
  if (opened || web) return opened;
  // No program for the file: text and HTML open in a window of our own.
  return ShowBuiltInViewer(fileOrUrl) != nullptr;
}

bool StartDetachedProcess(const std::string& program, const std::vector<std::string>& args,
                          const std::string& workingDir) {
  if (TheDesktopHooks().start) return TheDesktopHooks().start(program, args, workingDir);
  QStringList list;
  for (const std::string& a : args) list << ToQt(a);
  return QProcess::startDetached(NativeQtPath(program), list, NativeQtPath(workingDir));
}

bool SetClipboardText(const std::string& text) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (!clipboard) return false;
  clipboard->setText(ToQt(text));
  return true;
}

bool SetClipboardTextUtf8(const std::string& text) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (!clipboard) return false;
  clipboard->setText(QString::fromStdString(text));
  return true;
}

void MessageBeep() { QApplication::beep(); }

CWaitCursor::CWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
CWaitCursor::~CWaitCursor() { QApplication::restoreOverrideCursor(); }

std::string UserDocumentsFolder() {
#ifdef _WIN32
  return "c:\\my documents\\";
#else
  QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (docs.isEmpty()) docs = QDir::homePath();
  return WithTrailingSeparator(FromQtPath(docs));
#endif
}

// ------------------------------------------------------------ commands

bool RegisterCommand(const std::string& scope, int id, CommandFn run, EnableFn enabled) {
  Registry()[{scope, id}] = Registered{std::move(run), std::move(enabled)};
  return true;
}

bool HasRegisteredCommand(const std::string& scope, int id) {
  return Registry().count({scope, id}) > 0;
}

// ------------------------------------------------------------ documents

CDocument::CDocument() = default;

CDocument::~CDocument() {
  for (CView* view : views_) view->SetDocument(nullptr);
  if (template_) template_->RemoveDocument(this);
}

bool CDocument::OnOpenDocument(const std::string& path) {
  PlatformFile file;
  if (!file.OpenRead(path)) {
    AfxMessageBox("Failed to open document.", MsgIcon::Exclamation);
    return false;
  }
  return true;
}

bool CDocument::OnNewDocument() {
  SetModifiedFlag(false);
  return true;
}

void CDocument::OnCloseDocument() {
  if (closing_) return;
  closing_ = true;
  std::vector<CView*> views = views_;
  views_.clear();
  for (CView* view : views) {
    view->SetDocument(nullptr);
    if (CChildFrame* frame = view->GetParentFrame()) frame->close();
  }
  if (template_) template_->RemoveDocument(this);
  template_ = nullptr;
  deleteLater();
}

void CDocument::SetPathName(const std::string& path) {
  path_ = path;
  SetTitle(SplitPath(path).second);
}

void CDocument::SetTitle(const std::string& title) {
  title_ = title;
  SetModifiedFlag(modified_);
  if (CWinApp* app = AfxGetApp())
    if (CMainFrame* frame = app->MainFrame())
      if (frame->ActiveDocument() == this) frame->setWindowTitle(ToQt("VantoraPC - " + title_));
}

void CDocument::SetModifiedFlag(bool modified) {
  modified_ = modified;
  for (CView* view : views_) {
    if (CChildFrame* child = view->GetParentFrame()) {
      child->setWindowTitle(ToQt(title_) + "[*]");
      child->setWindowModified(modified);
    }
  }
}

std::string CDocument::ProposedSavePath() const {
  if (!path_.empty() || !template_) return path_;
  return title_ + template_->GetDocString(4);
}

bool CDocument::DoFileSave() { return DoSave(path_); }

bool CDocument::DoSave(const std::string& path) {
  std::string target = path;
  if (target.empty()) {
    FileDialogRequest request;
    request.save = true;
    if (template_) {
      std::string ext = template_->GetDocString(4);
      request.defaultExt = ext.size() > 1 && ext[0] == '.' ? ext.substr(1) : ext;
      request.filter = template_->GetDocString(3) + "|*" + ext + "|";
      request.initialFile = ProposedSavePath();
    }
    if (!AfxGetFileName(request, target)) return false;
  }
  CWaitCursor wait;
  if (!OnSaveDocument(target)) return false;
  SetPathName(target);
  SetModifiedFlag(false);
  if (CWinApp* app = AfxGetApp()) app->AddToRecentFileList(target);
  return true;
}

bool CDocument::SaveModified() {
  if (!modified_ || !CanSave()) return true;
  switch (AfxMessageBox("Save changes to " + title_ + "?", MsgIcon::Exclamation,
                        MsgButtons::YesNoCancel)) {
    case IDYES: return DoFileSave();
    case IDNO: return true;
    default: return false;
  }
}

bool CDocument::OnCommand(int id) {
  if (!CanSave()) return false;
  if (id == ID_FILE_SAVE) {
    DoFileSave();
    return true;
  }
  if (id == ID_FILE_SAVE_AS) {
    DoSave();
    return true;
  }
  return false;
}

bool CDocument::QueryCommand(int id, bool& enabled, bool& checked) {
  if (!CanSave() || (id != ID_FILE_SAVE && id != ID_FILE_SAVE_AS)) return false;
  enabled = true;
  return true;
}

void CDocument::AddView(CView* view) {
  if (std::find(views_.begin(), views_.end(), view) == views_.end()) views_.push_back(view);
}

void CDocument::RemoveView(CView* view) {
  views_.erase(std::remove(views_.begin(), views_.end(), view), views_.end());
}

void CDocument::UpdateAllViews(CView* sender) {
  for (CView* view : views_)
    if (view != sender) view->OnUpdate(sender);
}

CView::CView(QWidget* parent) : QWidget(parent) {
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_DeleteOnClose, false);
}

CView::~CView() {
  if (document_) document_->RemoveView(this);
}

void CView::SetDocument(CDocument* doc) {
  document_ = doc;
  if (doc) doc->AddView(this);
}

CChildFrame* CView::GetParentFrame() const {
  for (QWidget* w = parentWidget(); w; w = w->parentWidget())
    if (auto* frame = qobject_cast<CChildFrame*>(w)) return frame;
  return nullptr;
}

CDocTemplate::CDocTemplate(int resourceId, std::string docString, DocFactory doc, ViewFactory view)
    : resourceId_(resourceId),
      docString_(std::move(docString)),
      makeDoc_(std::move(doc)),
      makeView_(std::move(view)) {}

CDocTemplate::~CDocTemplate() {
  std::vector<CDocument*> docs = documents_;
  documents_.clear();
  for (CDocument* doc : docs) {
    doc->template_ = nullptr;
    delete doc;
  }
}

std::string CDocTemplate::GetDocString(int index) const {
  std::size_t start = 0;
  for (int i = 0; i < index; ++i) {
    start = docString_.find('\n', start);
    if (start == std::string::npos) return std::string();
    ++start;
  }
  std::size_t end = docString_.find('\n', start);
  return docString_.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

bool CDocTemplate::MatchesExtension(const std::string& path) const {
  std::string ext = GetDocString(4);
  if (ext.empty() || path.size() < ext.size()) return false;
  return QString::compare(ToQt(path.substr(path.size() - ext.size())), ToQt(ext),
                          Qt::CaseInsensitive) == 0;
}

CDocument* CDocTemplate::OpenDocumentFile(const std::string& path) {
  CWinApp* app = AfxGetApp();
  CMainFrame* frame = app ? app->MainFrame() : nullptr;
  for (CDocument* doc : documents_) {
    if (doc->GetPathName() == path && !doc->Views().empty()) {
      CChildFrame* child = doc->Views().front()->GetParentFrame();
      if (child && frame) frame->MdiArea()->setActiveSubWindow(child);
      return doc;
    }
  }
  CDocument* doc = makeDoc_();
  doc->template_ = this;
  documents_.push_back(doc);
  doc->SetPathName(path);
  if (!doc->OnOpenDocument(path)) {
    RemoveDocument(doc);
    doc->template_ = nullptr;
    delete doc;
    return nullptr;
  }
  doc->SetModifiedFlag(false);
  ShowDocument(doc);
  return doc;
}

CDocument* CDocTemplate::CreateNewDocument() {
  CDocument* doc = makeDoc_();
  doc->template_ = this;
  documents_.push_back(doc);
  doc->SetTitle(GetDocString(2) + std::to_string(++untitledCount_));
  if (!doc->OnNewDocument()) {
    RemoveDocument(doc);
    doc->template_ = nullptr;
    delete doc;
    return nullptr;
  }
  ShowDocument(doc);
  return doc;
}

CChildFrame* CDocTemplate::ShowDocument(CDocument* doc) {
  CWinApp* app = AfxGetApp();
  CMainFrame* frame = app ? app->MainFrame() : nullptr;
  if (!frame) return nullptr;
  CView* view = makeView_();
  view->SetDocument(doc);
  CChildFrame* child = frame->AddChild(view);
  child->setWindowTitle(ToQt(doc->GetTitle()) + "[*]");
  child->setWindowModified(doc->IsModified());
  view->OnInitialUpdate();
  child->show();
  view->setFocus();
  frame->MdiArea()->setActiveSubWindow(child);
  return child;
}

void CDocTemplate::RemoveDocument(CDocument* doc) {
  documents_.erase(std::remove(documents_.begin(), documents_.end(), doc), documents_.end());
}

// ------------------------------------------------------------ frames

CChildFrame::CChildFrame(CView* view, QWidget* parent) : QMdiSubWindow(parent), view_(view) {
  setAttribute(Qt::WA_DeleteOnClose);
  setWidget(view);
  resize(StoredExtent("ChildCX", 605), StoredExtent("ChildCY", 345));
  // Ctrl+F4 belongs to the main frame (it closes whichever window is active);
  // the system menu's copy of it would make the key ambiguous.
  if (QMenu* menu = systemMenu())
    for (QAction* action : menu->actions()) {
      QList<QKeySequence> keys = action->shortcuts();
      if (keys.removeAll(QKeySequence("Ctrl+F4")) > 0) action->setShortcuts(keys);
    }
}

CChildFrame::~CChildFrame() = default;

void CChildFrame::StoreSize() {
  if (stored_) return;
  stored_ = true;
  if (isMinimized() || isMaximized()) return;
  Profile::WriteInt("User", "ChildCX", width());
  Profile::WriteInt("User", "ChildCY", height());
}

void CChildFrame::closeEvent(QCloseEvent* event) {
  if (view_) {
    CDocument* doc = view_->GetDocument();
    bool last = doc && doc->Views().size() == 1 && doc->Views().front() == view_;
    // The last window of a modified document asks first; Cancel keeps it.
    if (last && !doc->SaveModified()) {
      event->ignore();
      return;
    }
    StoreSize();
    if (last) doc->OnCloseDocument();
  } else {
    StoreSize();
  }
  QMdiSubWindow::closeEvent(event);
}

CMainFrame::CMainFrame(CWinApp* app) : app_(app) {
  setObjectName("CMainFrame");
  setWindowTitle("VantoraPC");
  mdi_ = new QMdiArea(this);
  mdi_->setObjectName("mdiArea");
  mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setCentralWidget(mdi_);
  PlaceOnScreen();
  connect(mdi_, &QMdiArea::subWindowActivated, this, &CMainFrame::OnSubWindowActivated);
  BuildToolBar();
  BuildStatusBar();
  ShowMenu(kMainMenu);
  auto* idle = new QTimer(this);
  connect(idle, &QTimer::timeout, this, &CMainFrame::UpdateCommandUI);
  idle->start(400);
  // Ctrl+F4 closes the active document window.
  auto* closeChild = new QShortcut(QKeySequence("Ctrl+F4"), this);
  connect(closeChild, &QShortcut::activated, this, [this] {
    if (QMdiSubWindow* sub = mdi_->activeSubWindow()) sub->close();
  });
}

QRect MainFrameStartRect(bool hasStored, const QRect& stored, const QRect& primary,
                         const std::vector<QRect>& screens) {
  auto centred = [&primary](QSize size) {
    size = size.boundedTo(primary.size());
    QRect r(QPoint(0, 0), size);
    r.moveCenter(primary.center());
    return r;
  };
  if (!hasStored) return centred(QSize(primary.width() * 4 / 5, primary.height() * 4 / 5));
  QRect r(stored.topLeft(), QSize(stored.width() < 1 ? 100 : stored.width(),
                                  stored.height() < 1 ? 100 : stored.height()));
  // The title bar must be reachable on some screen: a strip along the top
  // edge at least 60 pixels wide (or the window's width) and 20 high.
  const QRect titleStrip(r.left(), r.top(), r.width(), 20);
  for (const QRect& screen : screens) {
    QRect seen = titleStrip.intersected(screen);
    if (seen.height() >= 20 && seen.width() >= std::min(60, r.width())) return r;
  }
  return centred(r.size());
}

void CMainFrame::PlaceOnScreen() {
  QScreen* primaryScreen = QGuiApplication::primaryScreen();
  QRect primary = primaryScreen ? primaryScreen->availableGeometry() : QRect(0, 0, 1024, 768);
  std::vector<QRect> screens;
  for (QScreen* screen : QGuiApplication::screens()) screens.push_back(screen->availableGeometry());
  const int missing = std::numeric_limits<int>::min();
  int x = Profile::GetInt("User", "WindowX", missing);
  int y = Profile::GetInt("User", "WindowY", missing);
  bool hasStored = x != missing && y != missing;
  QRect stored;
  if (hasStored)
    stored = QRect(x, y, Profile::GetInt("User", "WindowCX", 630),
                   Profile::GetInt("User", "WindowCY", 470));
  frameRect_ = MainFrameStartRect(hasStored, stored, primary, screens);
  // The stored rectangle is the frame's; the frame's margins are known once
  // shown, when showEvent takes them off the size.
  move(frameRect_.topLeft());
  resize(frameRect_.size());
  if (Profile::GetInt("User", "WindowMaximized", 0) != 0) setWindowState(Qt::WindowMaximized);
}

void CMainFrame::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (framePlaced_) return;
  framePlaced_ = true;
  if (isMaximized() || isFullScreen()) return;
  QRect frame = frameGeometry(), client = geometry();
  int dw = frame.width() - client.width(), dh = frame.height() - client.height();
  if (dw > 0 || dh > 0)
    resize(std::max(100, frameRect_.width() - dw), std::max(100, frameRect_.height() - dh));
}

CMainFrame::~CMainFrame() {
  StoreGeometry();
  if (app_ && app_->MainFrame() == this) app_->SetMainFrame(nullptr);
}

void CMainFrame::StoreGeometry() {
  if (stored_) return;
  stored_ = true;
  if (isMaximized() && !isMinimized()) Profile::WriteInt("User", "WindowMaximized", 1);
  if (isMinimized() || isMaximized() || isFullScreen()) return;
  Profile::WriteInt("User", "WindowMaximized", 0);
  QRect r = frameGeometry();
  Profile::WriteInt("User", "WindowX", r.x());
  Profile::WriteInt("User", "WindowY", r.y());
  Profile::WriteInt("User", "WindowCX", r.width());
  Profile::WriteInt("User", "WindowCY", r.height());
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  // Each window may ask to save its document; one that stays open (Cancel)
  // keeps the program open.
  for (QMdiSubWindow* sub : mdi_->subWindowList())
    if (!sub->close()) {
      event->ignore();
      return;
    }
  // Every other window of the program closes with the main window (viewers,
  // exposure and statistics windows ...), so that the program ends; one that
  // refuses keeps it open as a document does. A floating toolbar is part of
  // the main window.
  std::vector<QPointer<QWidget>> others;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w != this && w->isVisible() && !qobject_cast<QToolBar*>(w)) others.emplace_back(w);
  for (const QPointer<QWidget>& w : others)
    if (w && w->isVisible() && !w->close()) {
      event->ignore();
      return;
    }
  StoreGeometry();
  QMainWindow::closeEvent(event);
}

QAction* CMainFrame::Action(int id) {
  auto it = actions_.find(id);
  if (it != actions_.end()) return it->second;
  auto* action = new QAction(this);
  action->setData(id);
  action->setEnabled(false);
  addAction(action);  // shortcuts work while the action is in no menu
  connect(action, &QAction::triggered, this, [this, id] { RouteCommand(id); });
  actions_[id] = action;
  return action;
}

CommandContext CMainFrame::Context(int id) {
  CommandContext c;
  c.app = app_;
  c.frame = this;
  c.view = ActiveView();
  c.doc = c.view ? c.view->GetDocument() : nullptr;
  c.id = id;
  return c;
}

namespace {

// The object that takes a command: the first of view, document, main frame
// and application with a built-in or registered handler for it.
struct CommandHandler {
  CCmdTarget* target = nullptr;            // null: no handler anywhere
  const Registered* registered = nullptr;  // set for a registered handler
  bool enabled = false;
  bool checked = false;
};

CommandHandler FindHandler(CommandContext& c) {
  CCmdTarget* chain[] = {c.view, c.doc, c.frame, c.app};
  for (CCmdTarget* target : chain) {
    if (!target) continue;
    bool enabled = true, checked = false;
    if (target->QueryCommand(c.id, enabled, checked))
      return CommandHandler{target, nullptr, enabled, checked};
    auto it = Registry().find({target->ClassName(), c.id});
    if (it != Registry().end()) {
      const Registered& r = it->second;
      return CommandHandler{target, &r, !r.enabled || r.enabled(c), false};
    }
  }
  return CommandHandler{};
}

}  // namespace

bool CMainFrame::RouteCommand(int id) {
  CommandContext c = Context(id);
  CommandHandler h = FindHandler(c);
  bool handled = h.target != nullptr;
  if (h.target && h.enabled) {
    if (h.registered)
      h.registered->run(c);
    else
      handled = h.target->OnCommand(id);
  }
  if (!app_ || app_->MainFrame() == this) UpdateCommandUI();
  return handled;
}

void CMainFrame::UpdateCommandUI() {
  CommandContext c = Context(0);
  for (auto& [id, action] : actions_) {
    c.id = id;
    CommandHandler h = FindHandler(c);
    action->setEnabled(h.target && h.enabled);
    if (action->isCheckable()) action->setChecked(h.checked);
  }
}

void CMainFrame::AddMenuItems(QMenu* menu, const std::vector<MenuItemDef>& items) {
  for (const MenuItemDef& item : items) {
    QString text = ToQt(item.text);
    QString keys;
    int tab = text.indexOf('\t');
    if (tab >= 0) {
      keys = text.mid(tab + 1);
      text = text.left(tab);
    }
    if (!item.items.empty()) {
      QMenu* sub = menu->addMenu(text);
      AddMenuItems(sub, item.items);
    } else if (item.id == 0) {
      menu->addSeparator();
    } else {
      QAction* action = Action(item.id);
      action->setText(text);
      if (!item.prompt.empty()) action->setStatusTip(ToQt(item.prompt).section('\n', 0, 0));
      if (!keys.isEmpty()) AddShortcut(action, QKeySequence(keys));
      menu->addAction(action);
    }
  }
}

void CMainFrame::ShowMenu(int resourceId) {
  if (!app_) return;
  currentMenu_ = resourceId;
  for (auto& [id, action] : actions_) action->setShortcuts({});
  menuBar()->clear();
  for (QMenu* old : menus_) old->deleteLater();
  menus_.clear();
  for (const MenuItemDef& top : app_->Menu(resourceId)) {
    QMenu* menu = menuBar()->addMenu(ToQt(top.text));
    menus_.push_back(menu);
    connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandUI);
    AddMenuItems(menu, top.items);
    if (top.text == "&Window")
      connect(menu, &QMenu::aboutToShow, this, [this, menu] { FillWindowList(menu); });
  }
  app_->UpdateMenuTexts(*this);
  for (const AcceleratorDef& accel : app_->Accelerators(resourceId))
    AddShortcut(Action(accel.id), QKeySequence(QString::fromLatin1(accel.keys)));
  UpdateCommandUI();
}

void CMainFrame::FillWindowList(QMenu* menu) {
  // The open windows after the fixed items, the active one checked.
  for (QAction* a : menu->actions())
    if (a->property("windowList").toBool()) {
      menu->removeAction(a);
      a->deleteLater();
    }
  QList<QMdiSubWindow*> windows = mdi_->subWindowList();
  if (windows.isEmpty()) return;
  QAction* separator = menu->addSeparator();
  separator->setProperty("windowList", true);
  int n = 0;
  for (QMdiSubWindow* sub : windows) {
    // The title with its modified mark shown as the frame shows it.
    QString title = sub->windowTitle();
    title.replace(QStringLiteral("[*]"), sub->isWindowModified() ? QStringLiteral("*") : QString());
    QAction* a = menu->addAction(QString("&%1 %2").arg(++n).arg(title));
    a->setProperty("windowList", true);
    a->setCheckable(true);
    a->setChecked(sub == mdi_->activeSubWindow());
    connect(a, &QAction::triggered, this, [this, sub] { mdi_->setActiveSubWindow(sub); });
  }
}

void CMainFrame::BuildToolBar() {
  toolBar_ = addToolBar("Standard");
  toolBar_->setObjectName("toolBar");
  toolBar_->setIconSize(QSize(16, 16));
  toolBar_->setMovable(true);
  toolBar_->setToolButtonStyle(Qt::ToolButtonIconOnly);
  if (!app_) return;
  for (int id : app_->ToolBarCommands()) {
    if (id == 0) {
      toolBar_->addSeparator();
      continue;
    }
    QAction* action = Action(id);
    action->setIcon(app_->CommandIcon(id));
    toolBar_->addAction(action);
  }
  Action(ID_VIEW_TOOLBAR)->setCheckable(true);
  Action(ID_VIEW_STATUS_BAR)->setCheckable(true);
}

void CMainFrame::BuildStatusBar() {
  messagePane_ = new QLabel("Ready", this);
  statusBar()->addWidget(messagePane_, 1);
  for (const char* indicator : {"CAP", "NUM", "SCRL"}) {
    auto* pane = new QLabel(indicator, this);
    pane->setAlignment(Qt::AlignCenter);
    pane->setMinimumWidth(pane->fontMetrics().horizontalAdvance("SCRL") + 12);
    pane->setEnabled(false);
    statusBar()->addPermanentWidget(pane);
  }
}

void CMainFrame::SetMessageText(const QString& text) { messagePane_->setText(text); }

CChildFrame* CMainFrame::ActiveChild() const {
  QMdiSubWindow* sub = mdi_->activeSubWindow();
  if (!sub) {
    QList<QMdiSubWindow*> list = mdi_->subWindowList(QMdiArea::ActivationHistoryOrder);
    if (!list.isEmpty()) sub = list.last();
  }
  return qobject_cast<CChildFrame*>(sub);
}

CView* CMainFrame::ActiveView() const {
  CChildFrame* child = ActiveChild();
  return child ? child->GetActiveView() : nullptr;
}

CDocument* CMainFrame::ActiveDocument() const {
  CView* view = ActiveView();
  return view ? view->GetDocument() : nullptr;
}

CChildFrame* CMainFrame::AddChild(CView* view) {
  auto* child = new CChildFrame(view);
  mdi_->addSubWindow(child);
  connect(child, &QMdiSubWindow::windowStateChanged, this, [this] { UpdateFrameTitle(); });
  // The area places a new window itself (at once while shown, else when
  // shown unless the window was moved): every child starts at the corner.
  child->move(0, 0);
  return child;
}

void CMainFrame::Cascade() {
  // Each window keeps its size (as far as the area allows) and steps one
  // title bar down and right from the one before.
  QList<QMdiSubWindow*> windows;
  for (QMdiSubWindow* sub : mdi_->subWindowList(QMdiArea::StackingOrder))
    if (!sub->isMinimized() && !sub->isHidden()) windows << sub;
  if (windows.isEmpty()) return;
  QMdiSubWindow* active = mdi_->activeSubWindow();
  const QSize area = mdi_->viewport()->size();
  const int step = std::max(
      16, style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, windows.front()) +
              style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, windows.front()));
  int k = 0;
  for (QMdiSubWindow* sub : windows) {
    if (sub->isMaximized()) sub->showNormal();
    QSize size = sub->size().boundedTo(area);
    QPoint at(k * step, k * step);
    if (at.y() + size.height() > area.height() || at.x() + size.width() > area.width()) {
      k = 0;
      at = QPoint(0, 0);
    }
    sub->setGeometry(QRect(at, size));
    sub->raise();
    ++k;
  }
  if (active) mdi_->setActiveSubWindow(active);
}

void CMainFrame::Tile() {
  std::vector<std::pair<QPointer<QMdiSubWindow>, QSize>> sizes;
  for (QMdiSubWindow* sub : mdi_->subWindowList()) sizes.emplace_back(sub, sub->size());
  mdi_->tileSubWindows();
  // Tiles too small for a view's least useful size: the windows take their
  // sizes back and are cascaded instead.
  for (QMdiSubWindow* sub : mdi_->subWindowList()) {
    if (sub->isMinimized()) continue;
    auto* child = qobject_cast<CChildFrame*>(sub);
    CView* view = child ? child->GetActiveView() : nullptr;
    if (!view) continue;
    QSize need = view->SmallestUsefulSize();
    if (view->width() < need.width() || view->height() < need.height()) {
      for (auto& [window, size] : sizes)
        if (window && !window->isMinimized()) window->resize(size);
      Cascade();
      return;
    }
  }
}

void CMainFrame::UpdateFrameTitle() {
  CDocument* doc = ActiveDocument();
  QString title("VantoraPC");
  if (doc) {
    CChildFrame* child = ActiveChild();
    // Maximised, the child's own title (with its modified placeholder) in
    // brackets: the form the MDI area itself writes, so it leaves it alone.
    if (child && child->isMaximized())
      title += " - [" + child->windowTitle() + "]";
    else
      title += " - " + ToQt(doc->GetTitle());
  }
  if (windowTitle() != title) setWindowTitle(title);
}

void CMainFrame::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  // A maximised child puts its own title after the frame's; ours replaces it
  // once that is done.
  if (event->type() == QEvent::WindowTitleChange && !titlePending_) {
    titlePending_ = true;
    QTimer::singleShot(0, this, [this] {
      titlePending_ = false;
      UpdateFrameTitle();
    });
  }
}

void CMainFrame::OnSubWindowActivated() {
  CDocument* doc = ActiveDocument();
  int menu = kMainMenu;
  if (doc && doc->GetDocTemplate()) menu = doc->GetDocTemplate()->ResourceId();
  if (menu != currentMenu_) ShowMenu(menu);
  const CView* view = ActiveView();
  const QString status = view ? view->StatusText() : QString();
  SetMessageText(status.isEmpty() ? QStringLiteral("Ready") : status);
  UpdateFrameTitle();
  UpdateCommandUI();
}

bool CMainFrame::QueryCommand(int id, bool& enabled, bool& checked) {
  switch (id) {
    case ID_VIEW_TOOLBAR:
      enabled = true;
      checked = toolBar_->isVisible();
      return true;
    case ID_VIEW_STATUS_BAR:
      enabled = true;
      checked = statusBar()->isVisible();
      return true;
    case ID_WINDOW_CASCADE:
    case ID_WINDOW_TILE_HORZ:
    case ID_WINDOW_ARRANGE:
    case ID_NEXT_PANE:
    case ID_PREV_PANE:
    case ID_FILE_CLOSE: enabled = !mdi_->subWindowList().isEmpty(); return true;
    case ID_APP_EXIT: enabled = true; return true;
    default: return false;
  }
}

bool CMainFrame::OnCommand(int id) {
  switch (id) {
    case ID_VIEW_TOOLBAR: toolBar_->setVisible(!toolBar_->isVisible()); return true;
    case ID_VIEW_STATUS_BAR: statusBar()->setVisible(!statusBar()->isVisible()); return true;
    case ID_WINDOW_CASCADE: Cascade(); return true;
    case ID_WINDOW_TILE_HORZ: Tile(); return true;
    case ID_WINDOW_ARRANGE: {
      // Minimised windows in a row along the bottom edge.
      int x = 0;
      for (QMdiSubWindow* sub : mdi_->subWindowList()) {
        if (!sub->isMinimized()) continue;
        sub->move(x, mdi_->viewport()->height() - sub->height());
        x += sub->width();
      }
      return true;
    }
    case ID_NEXT_PANE: mdi_->activateNextSubWindow(); return true;
    case ID_PREV_PANE: mdi_->activatePreviousSubWindow(); return true;
    case ID_FILE_CLOSE:
      if (QMdiSubWindow* sub = mdi_->activeSubWindow()) sub->close();
      return true;
    case ID_APP_EXIT: close(); return true;
    default: return false;
  }
}

// ------------------------------------------------------------ application

CWinApp::CWinApp() { CurrentApp() = this; }

CWinApp::~CWinApp() {
  if (CurrentApp() == this) CurrentApp() = nullptr;
}

void CWinApp::AddDocTemplate(std::unique_ptr<CDocTemplate> docTemplate) {
  templates_.push_back(std::move(docTemplate));
}

CDocument* CWinApp::OpenDocumentFile(const std::string& path) {
  if (templates_.empty()) return nullptr;
  for (auto& t : templates_)
    if (t->MatchesExtension(path)) return t->OpenDocumentFile(path);
  return templates_.front()->OpenDocumentFile(path);
}

QIcon CWinApp::CommandIcon(int) const { return QIcon(); }

std::vector<DocTemplateFactory>& TemplateFactories() {
  static std::vector<DocTemplateFactory> factories;
  return factories;
}

bool RegisterDocTemplate(DocTemplateFactory factory) {
  TemplateFactories().push_back(std::move(factory));
  return true;
}

const std::vector<DocTemplateFactory>& RegisteredDocTemplates() { return TemplateFactories(); }

std::vector<StartupHook>& StartupHooks() {
  static std::vector<StartupHook> hooks;
  return hooks;
}

bool RegisterStartupHook(StartupHook hook) {
  StartupHooks().push_back(std::move(hook));
  return true;
}

void RunStartupHooks(CWinApp& app) {
  for (const StartupHook& hook : StartupHooks()) hook(app);
}

CWinApp* AfxGetApp() { return CurrentApp(); }

QWidget* AfxGetMainWnd() {
  CWinApp* app = CurrentApp();
  return app ? app->MainFrame() : nullptr;
}

}  // namespace vantora

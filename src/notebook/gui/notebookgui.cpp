#include "notebook/gui/notebookgui.h"

#include <QGuiApplication>
#include <QScreen>

#include "common/gui/framework.h"
#include "common/pathutil.h"
#include "common/profile.h"
#include "integrity/gui/auditfiledialog.h"
#include "notebook/drawing.h"
#include "notebook/gui/eventsdialog.h"
#include "notebook/gui/notebookdialog.h"
#include "notebook/shelllauncher.h"

namespace vantora {

namespace {

// Notes open through the desktop. "open" and "play" use the desktop's
// default application (or the player set under "Directories"/"Player");
// "record" needs a sound recorder set under "Directories"/"Recorder", since
// the desktop has no standard recording action.
class DesktopShellLauncher : public ShellLauncher {
 public:
  bool ShellVerb(const std::string& verb, const std::string& file, std::string& why) override {
    std::string folder = SplitPath(file).first;
    if (verb == "record") {
      std::string recorder = Profile::GetString("Directories", "Recorder", "");
      if (recorder.empty()) {
        why =
            "No sound recorder is set up. Enter the recorder program under "
            "\"Directories\", \"Recorder\" in the settings.";
        return false;
      }
      return StartDetachedProcess(recorder, {file}, folder);
    }
    if (verb == "play") {
      std::string player = Profile::GetString("Directories", "Player", "");
      if (!player.empty()) return StartDetachedProcess(player, {file}, folder);
    }
    if (ShellOpen(file)) return true;
    why = "No program is set up to open this kind of file.";
    return false;
  }
  bool StartProgram(const std::string& program,
                    const std::vector<std::string>& arguments) override {
    return StartDetachedProcess(program, arguments, std::string());
  }
  void Message(const std::string& text) override { AfxMessageBox(text); }
  std::string ChooseFile(const std::string& filter) override {
    FileDialogRequest request;
    request.filter = filter;
    std::string chosen;
    return AfxGetFileName(request, chosen) ? chosen : std::string();
  }
  void ShowEvents(const std::string& eventsPath) override {
    EventsDialog dialog(eventsPath, AfxGetMainWnd());
    dialog.exec();
  }
  void ShowAudit(const std::string& locationPath) override {
    AuditFileDialog dialog(locationPath, AfxGetMainWnd());
    dialog.exec();
  }
};

}  // namespace

void InstallNotebookGui() {
  static DesktopShellLauncher launcher;
  SetShellLauncher(&launcher);
  InstallIntegrityMessages();
  SetDrawingDepthSource([]() -> int {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return 0;
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->depth() : 0;
  });
}

bool RunNotebookDialog(Notebook& notebook, const std::string& locationPath, QWidget* parent) {
  NotebookDialog dialog(parent, locationPath);
  if (dialog.exec() != NotebookDialog::kEditResult) return false;
  notebook.SetLocation(locationPath);
  notebook.SetTemplateName(dialog.TemplateName());
  notebook.OpenNote(dialog.CurrentKind());
  return true;
}

}  // namespace vantora

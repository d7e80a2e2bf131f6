// What the notebook asks of the desktop: starting programs and handlers for
// note files, messages, the file chooser and the notebook's own dialogs. The
// GUI installs a desktop implementation at start-up (InstallNotebookGui in
// notebook/gui/notebookgui.h); tests install a recorder. Without one
// installed every request fails quietly (the command-line tool).
#pragma once

#include <string>
#include <vector>

namespace vantora {

class ShellLauncher {
 public:
  virtual ~ShellLauncher();

  // Runs the desktop's handler for `file` with the verb "open", "record" or
  // "play". False when nothing could handle it; `why` may then say more.
  virtual bool ShellVerb(const std::string& verb, const std::string& file, std::string& why) = 0;
  // Starts `program` with `arguments`, not waiting for it.
  virtual bool StartProgram(const std::string& program,
                            const std::vector<std::string>& arguments) = 0;
  // Message box with the exclamation icon.
  virtual void Message(const std::string& text) = 0;
  // File-open dialog with a filter in the form "Photos |*.jpg;*.bmp|";
  // the chosen path, or empty on cancel.
  virtual std::string ChooseFile(const std::string& filter) = 0;
  // The Events dialog for an events file, modal.
  virtual void ShowEvents(const std::string& eventsPath) = 0;
  // The Audit File dialog for a location file, modal.
  virtual void ShowAudit(const std::string& locationPath) = 0;
};

// The installed launcher (never null: a do-nothing one until something is
// installed). The caller keeps ownership; pass nullptr to uninstall.
void SetShellLauncher(ShellLauncher* launcher);
ShellLauncher& TheShellLauncher();

// Splits a command line into arguments at blanks, honouring double quotes.
std::vector<std::string> SplitArguments(const std::string& commandLine);

}  // namespace vantora

#include "app/gui/desktoplauncher.h"

#include <QDir>

#include "common/gui/framework.h"
#include "common/platform.h"

namespace vantora {

bool DesktopShellLauncher::ShellVerb(const std::string& verb, const std::string& file,
                                     std::string& why) {
  // The desktop has one default action per file type: "record" and "play"
  // open the file like "open".
  if (ShellOpen(file)) return true;
  why = "no application is registered for this file";
  return false;
}

bool DesktopShellLauncher::StartProgram(const std::string& program,
                                        const std::vector<std::string>& arguments) {
  return StartDetachedProcess(
      program, arguments,
      FromNativePath(std::filesystem::u8path(QDir::currentPath().toStdString())));
}

void DesktopShellLauncher::Message(const std::string& text) {
  AfxMessageBox(text, MsgIcon::Exclamation);
}

std::string DesktopShellLauncher::ChooseFile(const std::string& filter) {
  FileDialogRequest request;
  request.filter = filter;
  std::string chosen;
  AfxGetFileName(request, chosen);
  return chosen;
}

}  // namespace vantora

// The desktop side of the notebook until its own dialogs are installed: note
// files open with the desktop's default application; the Events and Audit
// dialogs are not available, so those kinds do nothing.
#pragma once

#include "notebook/shelllauncher.h"

namespace vantora {

class DesktopShellLauncher : public ShellLauncher {
 public:
  bool ShellVerb(const std::string& verb, const std::string& file, std::string& why) override;
  bool StartProgram(const std::string& program, const std::vector<std::string>& arguments) override;
  void Message(const std::string& text) override;
  std::string ChooseFile(const std::string& filter) override;
  void ShowEvents(const std::string& eventsPath) override {}
  void ShowAudit(const std::string& locationPath) override {}
};

}  // namespace vantora

#include "notebook/shelllauncher.h"

namespace vantora {

ShellLauncher::~ShellLauncher() = default;

namespace {

class NullLauncher : public ShellLauncher {
 public:
  bool ShellVerb(const std::string&, const std::string&, std::string& why) override {
    why = "no desktop is available";
    return false;
  }
  bool StartProgram(const std::string&, const std::vector<std::string>&) override { return false; }
  void Message(const std::string&) override {}
  std::string ChooseFile(const std::string&) override { return std::string(); }
  void ShowEvents(const std::string&) override {}
  void ShowAudit(const std::string&) override {}
};

ShellLauncher*& Installed() {
  static ShellLauncher* launcher = nullptr;
  return launcher;
}

}  // namespace

void SetShellLauncher(ShellLauncher* launcher) { Installed() = launcher; }

ShellLauncher& TheShellLauncher() {
  static NullLauncher null;
  return Installed() ? *Installed() : null;
}

std::vector<std::string> SplitArguments(const std::string& commandLine) {
  std::vector<std::string> args;
  std::string current;
  bool inQuotes = false, any = false;
  for (char c : commandLine) {
    if (c == '"') {
      inQuotes = !inQuotes;
      any = true;
    } else if (c == ' ' && !inQuotes) {
      if (any) args.push_back(current);
      current.clear();
      any = false;
    } else {
      current += c;
      any = true;
    }
  }
  if (any) args.push_back(current);
  return args;
}

}  // namespace vantora

// Shared helpers of the notebook tests: a launcher that records what the
// notebook asks of the desktop, and settings isolated from the user's own.
#pragma once

#include <string>
#include <vector>

#include "notebook/shelllauncher.h"

namespace vantora::test {

class RecordingLauncher : public ShellLauncher {
 public:
  RecordingLauncher() { SetShellLauncher(this); }
  ~RecordingLauncher() override { SetShellLauncher(nullptr); }

  bool ShellVerb(const std::string& verb, const std::string& file, std::string& why) override {
    calls.push_back(verb + " " + file);
    if (!verbWorks) why = "nothing handles it";
    return verbWorks;
  }
  bool StartProgram(const std::string& program, const std::vector<std::string>& args) override {
    std::string call = "run " + program;
    for (const auto& a : args) call += " [" + a + "]";
    calls.push_back(call);
    return true;
  }
  void Message(const std::string& text) override { messages.push_back(text); }
  std::string ChooseFile(const std::string& filter) override {
    calls.push_back("choose " + filter);
    return chosen;
  }
  void ShowEvents(const std::string& path) override { calls.push_back("events " + path); }
  void ShowAudit(const std::string& path) override { calls.push_back("audit " + path); }

  bool verbWorks = true;
  std::string chosen;
  std::vector<std::string> calls;
  std::vector<std::string> messages;
};

}  // namespace vantora::test

// Helpers of the notebook GUI tests: a recorder of message boxes and desktop
// requests that answers them from a script, modal-dialog steps and list texts.
#pragma once

#include <QApplication>
#include <QListWidget>
#include <QTimer>
#include <deque>
#include <string>
#include <vector>

#include "common/gui/framework.h"

namespace vantora::test {

class DesktopRecorder {
 public:
  DesktopRecorder() {
    SetMessageBoxHook([this](const MessageBoxRecord& box) {
      boxes.push_back(box);
      if (answers.empty()) return static_cast<int>(IDOK);
      int answer = answers.front();
      answers.pop_front();
      return answer;
    });
    DesktopHooks hooks;
    hooks.chooseFile = [this](const FileDialogRequest& request) {
      filters.push_back(request.filter);
      return chosen;
    };
    hooks.open = [this](const std::string& file) {
      opened.push_back(file);
      return openWorks;
    };
    hooks.start = [this](const std::string& program, const std::vector<std::string>& args,
                         const std::string&) {
      std::string call = program;
      for (const auto& a : args) call += " [" + a + "]";
      started.push_back(call);
      return true;
    };
    SetDesktopHooks(hooks);
  }
  ~DesktopRecorder() {
    SetMessageBoxHook({});
    SetDesktopHooks({});
  }

  std::vector<MessageBoxRecord> boxes;
  std::deque<int> answers;
  std::string chosen;
  bool openWorks = true;
  std::vector<std::string> filters;
  std::vector<std::string> opened;
  std::vector<std::string> started;
};

// Runs `action` on the modal dialog of type T once the event loop shows it.
template <typename T, typename F>
void WhenShown(F action) {
  QTimer::singleShot(0, [action] {
    if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) action(*dialog);
  });
}

inline std::vector<std::string> Texts(QListWidget* list) {
  std::vector<std::string> out;
  for (int i = 0; i < list->count(); ++i) out.push_back(list->item(i)->text().toStdString());
  return out;
}

}  // namespace vantora::test

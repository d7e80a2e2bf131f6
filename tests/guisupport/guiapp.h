// Shared set-up of the GUI tests: one QApplication for the test program. The
// settings already live in the test process's own folder
// (support/perprocess/isolated_config.cpp).
#pragma once

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/gui/framework.h"

namespace vantora::test {

// Creates the application object on first use, with a temporary HOME for the
// whole test program.
inline QApplication* GuiApp() {
  static QApplication* app = [] {
    static QTemporaryDir home;
    // Default folders ("Documents/vantora") are made under a scratch home.
    qputenv("HOME", home.path().toUtf8());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "vantora-gui-test";
    static char* argv[] = {name, nullptr};
    return new QApplication(argc, argv);
  }();
  return app;
}

// Empties every stored setting.
inline void ClearSettings() {
  QSettings settings("Halvorn", "VantoraPC");
  settings.clear();
  settings.sync();
}

// Records message boxes and answers them with `answer`.
struct MessageRecorder {
  explicit MessageRecorder(int answer = 1) {
    SetMessageBoxHook([this, answer](const MessageBoxRecord& box) {
      boxes.push_back(box);
      return answer;
    });
  }
  ~MessageRecorder() { SetMessageBoxHook({}); }
  std::vector<MessageBoxRecord> boxes;
};

// While it lives, clicks the button named `button` of every modal dialog of
// class `Dialog` that comes up (the way a user answers a real dialog).
template <class Dialog>
struct ModalButtonPresser {
  explicit ModalButtonPresser(std::string button) : name(std::move(button)) {
    QObject::connect(&poll, &QTimer::timeout, [this] {
      auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
      if (!dialog) return;
      auto* b = dialog->template findChild<QPushButton*>(QString::fromStdString(name));
      if (b) {
        ++pressed;
        b->click();
      } else {
        ++missing;
        dialog->done(99);
      }
    });
    poll.start(20);
  }
  std::string name;
  QTimer poll;
  int pressed = 0;
  int missing = 0;
};

}  // namespace vantora::test

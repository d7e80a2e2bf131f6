// VantoraPC: opens location files, shows their readings and statistics.
#include <QApplication>
#include <string>
#include <vector>

#include "app/gui/vantoraapp.h"
#include "common/codepage.h"
#include "common/platform.h"

int main(int argc, char* argv[]) {
  vantora::IgnoreFileSizeSignal();
  QApplication qtApp(argc, argv);
  vantora::CVantoraApp app;
  // QApplication has taken its own options out of argv.
  std::vector<std::string> args;
  for (int i = 0; i < argc; ++i)
    args.push_back(vantora::Utf8ToCp1252(QString::fromLocal8Bit(argv[i]).toStdString()));
  if (!app.InitInstance(args)) return 1;
  return qtApp.exec();
}

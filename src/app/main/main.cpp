// VantoraPC: opens location files, shows their readings and statistics.
#include <QApplication>
#include <string>
#include <vector>

#include "app/gui/vantoraapp.h"
#include "common/codepage.h"

int main(int argc, char* argv[]) {
  QApplication qtApp(argc, argv);
  vantora::CVantoraApp app;
  std::vector<std::string> args;
  for (const QString& a : QCoreApplication::arguments())
    args.push_back(vantora::Utf8ToCp1252(a.toStdString()));
  if (!app.InitInstance(args)) return 1;
  return qtApp.exec();
}

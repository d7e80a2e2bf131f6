// VantoraPC: opens location files, shows their readings and statistics.
#include <QApplication>
#include <iostream>
#include <string>
#include <vector>

#include "app/gui/vantoraapp.h"
#include "common/codepage.h"
#include "common/platform.h"
#include "common/version.h"

int main(int argc, char* argv[]) {
  // Answered before the application exists: no display is needed.
  if (vantora::AsksForVersion(argc, argv)) {
    std::cout << vantora::VersionLine("VantoraPC") << std::endl;
    return 0;
  }
  vantora::IgnoreFileSizeSignal();
  vantora::RemoveScratchFilesOnSignals();
  QApplication qtApp(argc, argv);
  vantora::CVantoraApp app;
  // QApplication has taken its own options out of argv.
  std::vector<std::string> args;
  for (int i = 0; i < argc; ++i)
    args.push_back(vantora::Utf8ToCp1252(QString::fromLocal8Bit(argv[i]).toStdString()));
  // Hidden: "--shipped-files" writes where the shipped files were found
  // and ends (a check of an installed copy; no window is opened).
  if (args.size() == 2 && args[1] == "--shipped-files") return app.ReportShippedFiles(std::cout);
  if (!app.InitInstance(args)) return 1;
  return qtApp.exec();
}

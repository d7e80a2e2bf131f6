// corvanetransfer: downloads a Corvane instrument into location files.
#include <QApplication>
#include <QDir>
#include <iostream>

#include "common/codepage.h"
#include "common/platform.h"
#include "common/profile.h"
#include "common/version.h"
#include "transfer/gui/transferdlg.h"

int main(int argc, char** argv) {
  // Answered before the application exists: no display is needed.
  if (vantora::AsksForVersion(argc, argv)) {
    std::cout << vantora::VersionLine("corvanetransfer") << std::endl;
    return 0;
  }
  vantora::IgnoreFileSizeSignal();
  vantora::RemoveScratchFilesOnSignals();
  QApplication app(argc, argv);
  QApplication::setOrganizationName("Halvorn");
  QApplication::setApplicationName("corvanetransfer");
  vantora::SetProgramFolder(vantora::Utf8ToCp1252(
      QDir::toNativeSeparators(QApplication::applicationDirPath()).toStdString()));
  vantora::CTransferDlg dlg;
  dlg.show();
  dlg.exec();
  return 0;
}

// Takes pictures of VantoraPC for the documentation: starts the application
// with a location, sizes the main window and saves it as PNG.
//   vantora_screenshot OUT.png WIDTH HEIGHT FILE.loc [--about OUT2.png]
//                      [--tile OTHER.loc ...]
// With --tile the other locations are opened too and the windows tiled;
// otherwise the one window is maximised.
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTimer>
#include <cstdio>
#include <string>
#include <vector>

#include "app/gui/splashwnd.h"
#include "app/gui/vantoraapp.h"
#include "common/codepage.h"

int main(int argc, char* argv[]) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: %s OUT.png WIDTH HEIGHT FILE.loc [--about OUT.png]\n", argv[0]);
    return 2;
  }
  qputenv("VANTORA_SKIP_SPLASH", "1");
  QApplication qtApp(argc, argv);
  vantora::CVantoraApp app;
  std::vector<std::string> args = {argv[0], vantora::Utf8ToCp1252(argv[4])};
  if (!app.InitInstance(args)) return 1;
  vantora::CMainFrame* frame = app.MainFrame();
  frame->setGeometry(0, 0, std::stoi(argv[2]), std::stoi(argv[3]));
  bool tile = false;
  for (int i = 5; i < argc; ++i) {
    if (std::string(argv[i]) == "--tile") {
      tile = true;
    } else if (tile) {
      app.OpenDocumentFile(vantora::Utf8ToCp1252(argv[i]));
    }
  }
  if (tile)
    frame->MdiArea()->tileSubWindows();
  else if (QMdiSubWindow* sub = frame->MdiArea()->activeSubWindow())
    sub->showMaximized();
  int status = 0;
  QTimer::singleShot(300, [&] {
    frame->UpdateCommandUI();
    if (!frame->grab().save(QString::fromLocal8Bit(argv[1]))) status = 1;
    if (argc >= 7 && std::string(argv[5]) == "--about") {
      vantora::CSplashWnd about(vantora::CSplashWnd::kAbout, app.displayResources, frame);
      about.show();
      for (int i = 0; i < 12; ++i) about.Step();
      QApplication::processEvents();
      if (!about.grab().save(QString::fromLocal8Bit(argv[6]))) status = 1;
    }
    qtApp.quit();
  });
  qtApp.exec();
  return status;
}

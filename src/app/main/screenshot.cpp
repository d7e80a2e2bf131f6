// Takes pictures of VantoraPC for the documentation: starts the application
// with a location, sizes the main window and saves it as PNG.
//   vantora_screenshot OUT.png WIDTH HEIGHT FILE.loc [--about OUT.png]
//                      [--select-site OUT.png] [--tile OTHER.loc ...]
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
#include "common/gui/selectsitedlg.h"
#include "common/pathutil.h"

int main(int argc, char* argv[]) {
  if (argc < 5) {
    std::fprintf(stderr,
                 "usage: %s OUT.png WIDTH HEIGHT FILE.loc [--about OUT.png] "
                 "[--select-site OUT.png] [--tile OTHER.loc ...]\n",
                 argv[0]);
    return 2;
  }
  qputenv("VANTORA_SKIP_SPLASH", "1");
  QApplication qtApp(argc, argv);
  vantora::CVantoraApp app;
  const std::string file = vantora::Utf8ToCp1252(argv[4]);
  if (!app.InitInstance({argv[0], file})) return 1;
  vantora::CMainFrame* frame = app.MainFrame();
  frame->setGeometry(0, 0, std::stoi(argv[2]), std::stoi(argv[3]));

  QString aboutOut, siteOut;
  bool tile = false;
  for (int i = 5; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--about" && i + 1 < argc) {
      aboutOut = QString::fromLocal8Bit(argv[++i]);
    } else if (a == "--select-site" && i + 1 < argc) {
      siteOut = QString::fromLocal8Bit(argv[++i]);
    } else if (a == "--tile") {
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
    if (!aboutOut.isEmpty()) {
      vantora::CSplashWnd about(vantora::CSplashWnd::kAbout, app.displayResources, frame);
      about.show();
      for (int i = 0; i < 12; ++i) about.Step();
      QApplication::processEvents();
      if (!about.grab().save(aboutOut)) status = 1;
    }
    if (!siteOut.isEmpty()) {
      vantora::CSelectSiteDlg site(frame);
      site.path = vantora::SplitPath(file).first;
      site.show();
      QApplication::processEvents();
      if (!site.grab().save(siteOut)) status = 1;
    }
    qtApp.quit();
  });
  qtApp.exec();
  return status;
}

// Takes pictures of VantoraPC for the documentation: starts the application
// with a location, sizes the main window and saves it as PNG.
//   vantora_screenshot OUT.png WIDTH HEIGHT FILE.loc [--about OUT.png]
//                      [--select-site OUT.png] [--notebook OUT.png]
//                      [--exposure OUT.png [--exposure-set NAME]]
//                      [--limits OUT.png] [--screen] [--cascade]
//                      [--tile OTHER.loc ...]
// With --tile the other locations are opened too and the windows tiled
// (Window > Tile; with --cascade, Window > Cascade after it); otherwise the
// one window is maximised. --screen takes OUT.png from what the display
// shows of the main window (a real X server: xvfb-run) instead of drawing
// the window again. WIDTH and HEIGHT 0
// keep the window where a first start puts it, and OUT.png then shows the
// whole screen with the window on it. --exposure draws the main window with
// the location's exposure window over it (under set NAME, else the
// profile's); --limits the Exposure Limits dialog.
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPainter>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/gui/splashwnd.h"
#include "app/gui/vantoraapp.h"
#include "common/codepage.h"
#include "common/gui/selectsitedlg.h"
#include "common/pathutil.h"
#include "exposure/gui/exposurewindow.h"
#include "exposure/gui/limitseditor.h"
#include "location/gui/vantoralogview.h"
#include "notebook/gui/notebookdialog.h"

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
  const bool firstStart = std::stoi(argv[2]) == 0 || std::stoi(argv[3]) == 0;
  if (!firstStart) frame->setGeometry(0, 0, std::stoi(argv[2]), std::stoi(argv[3]));

  QString aboutOut, siteOut, notebookOut, exposureOut, limitsOut;
  std::string exposureSet;
  bool tile = false, fromScreen = false, cascade = false;
  for (int i = 5; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--about" && i + 1 < argc) {
      aboutOut = QString::fromLocal8Bit(argv[++i]);
    } else if (a == "--select-site" && i + 1 < argc) {
      siteOut = QString::fromLocal8Bit(argv[++i]);
    } else if (a == "--notebook" && i + 1 < argc) {
      notebookOut = QString::fromLocal8Bit(argv[++i]);
    } else if (a == "--exposure" && i + 1 < argc) {
      exposureOut = QString::fromLocal8Bit(argv[++i]);
    } else if (a == "--exposure-set" && i + 1 < argc) {
      exposureSet = argv[++i];
    } else if (a == "--limits" && i + 1 < argc) {
      limitsOut = QString::fromLocal8Bit(argv[++i]);
    } else if (a == "--screen") {
      fromScreen = true;
    } else if (a == "--cascade") {
      cascade = true;
    } else if (a == "--tile") {
      tile = true;
    } else if (tile) {
      app.OpenDocumentFile(vantora::Utf8ToCp1252(argv[i]));
    }
  }
  // At first start the document window keeps its own size.
  if (tile) {
    if (fromScreen) {
      // Shown and painted in the windows' first places, as a user sees
      // them before choosing Tile.
      frame->show();
      for (int i = 0; i < 20; ++i) {
        QApplication::processEvents();
        QThread::msleep(10);
      }
    }
    frame->RouteCommand(vantora::ID_WINDOW_TILE_HORZ);
    if (cascade) frame->RouteCommand(vantora::ID_WINDOW_CASCADE);
  } else if (!firstStart) {
    if (QMdiSubWindow* sub = frame->MdiArea()->activeSubWindow()) sub->showMaximized();
  }

  int status = 0;
  QTimer::singleShot(300, [&] {
    frame->UpdateCommandUI();
    QPixmap shot = fromScreen ? frame->screen()->grabWindow(frame->winId()) : frame->grab();
    if (firstStart) {
      // The screen, with the window where it opened.
      QRect screen = frame->screen()->geometry();
      QPixmap desktop(screen.size());
      desktop.fill(QColor(58, 82, 110));
      QPainter painter(&desktop);
      painter.drawPixmap(frame->geometry().topLeft() - screen.topLeft(), shot);
      painter.end();
      shot = desktop;
    }
    if (!shot.save(QString::fromLocal8Bit(argv[1]))) status = 1;
    if (!notebookOut.isEmpty()) {
      vantora::NotebookDialog notebook(frame, file);
      notebook.SelectKind(vantora::NoteKind::Template);
      notebook.show();
      QApplication::processEvents();
      if (!notebook.grab().save(notebookOut)) status = 1;
    }
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
    auto* view = dynamic_cast<vantora::CVantoraLogView*>(frame->ActiveView());
    if (!exposureOut.isEmpty() && view && view->LogData()) {
      vantora::exposure::ExposureWindow* window =
          vantora::exposure::ShowExposureWindow(*view, *view->LogData());
      if (!exposureSet.empty()) window->ChooseSet(exposureSet);
      QApplication::processEvents();
      // The main window with the exposure window over its lower right part.
      const QPixmap main = frame->grab(), over = window->grab();
      const QPoint at(main.width() / 5, main.height() / 4);
      QPixmap both(std::max(main.width(), at.x() + over.width()),
                   std::max(main.height(), at.y() + over.height()));
      both.fill(QColor(58, 82, 110));
      QPainter painter(&both);
      painter.drawPixmap(0, 0, main);
      painter.drawPixmap(at, over);
      painter.end();
      if (!both.save(exposureOut)) status = 1;
    }
    if (!limitsOut.isEmpty()) {
      vantora::exposure::LimitsEditor editor(frame);
      editor.show();
      QApplication::processEvents();
      if (!editor.grab().save(limitsOut)) status = 1;
    }
    qtApp.quit();
  });
  qtApp.exec();
  return status;
}

// The graph window in a running VantoraPC, headless: Graph > Create, saving
// and reopening, comments, zoom, Scale, Copy, images and printing.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMdiArea>
#include <QMouseEvent>
#include <QPrinter>
#include <QTimeEdit>
#include <QWheelEvent>
#include <cmath>
#include <filesystem>

#include "app/gui/vantoraapp.h"
#include "chart/chartinteract.h"
#include "chart/chartlayout.h"
#include "common/gui/framework.h"
#include "common/profile.h"
#include "common/timetext.h"
#include "graph/gui/creategraphdlg.h"
#include "graph/gui/graphdialogs.h"
#include "graph/gui/graphstatswnd.h"
#include "graph/gui/vantorapcdoc.h"
#include "graph/gui/vantorapcview.h"
#include "guisupport/guiapp.h"
#include "location/gui/vantoralogview.h"
#include "support/clirun.h"
#include "support/locbytes.h"

namespace vantora {
namespace {

using test::LocationSpec;

class GraphWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::GuiApp();
    test::ClearSettings();
    SetMessageBoxHook([this](const MessageBoxRecord& box) {
      boxes.push_back(box);
      return answer;
    });
    DesktopHooks hooks;
    hooks.chooseFile = [this](const FileDialogRequest& request) {
      requests.push_back(request);
      return chosen;
    };
    SetDesktopHooks(hooks);
    graph::SetCreateGraphDialogHook([](graph::CCreateGraphDlg& dialog) {
      dialog.OnCreate();
      return dialog.result() == QDialog::Accepted;
    });
    LocationSpec spec;
    spec.channels = {{"Temperature", 0, 0, 1, 6}, {"Humidity", 1, 3, 0, 5}, {"CO2", 2, 4, 0, 6}};
    for (int r = 0; r < 30; ++r)
      spec.records.push_back(
          {static_cast<std::uint32_t>(r * 300), {20.0f + r % 5, 40.0f + r, 450.0f + 7 * r}});
    loc = dir.File("Room.loc");
    test::WriteBytes(loc, test::LocationBytes(spec));
    app = std::make_unique<CVantoraApp>();
    ASSERT_TRUE(app->InitInstance({"VantoraPC", loc}));
    frame = app->MainFrame();
    frame->resize(1000, 800);
  }
  void TearDown() override {
    boxes.clear();
    answer = IDNO;  // nothing is saved on the way out
    app.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    SetMessageBoxHook({});
    SetDesktopHooks({});
    graph::SetCreateGraphDialogHook({});
    CVantoraPCView::SetCommentDialogHook({});
    CVantoraPCView::SetScaleDialogHook({});
  }

  // Graph > Create from the location view with time and the given channels
  // selected, in `mode` (the profile's "Mode" the dialog starts from).
  CVantoraPCView* Create(std::initializer_list<int> channels, int storedMode = 0) {
    Profile::WriteInt("Graph", "Mode", storedMode);
    auto* view = dynamic_cast<CVantoraLogView*>(frame->ActiveView());
    EXPECT_NE(view, nullptr);
    if (!view) return nullptr;
    view->Selection().Reset();
    view->Selection().SetTimeSelected(true);
    for (int c : channels) view->Selection().SetSelected(c, true);
    frame->UpdateCommandUI();
    EXPECT_TRUE(frame->Action(ID_GRAPH_CREATE)->isEnabled());
    frame->Action(ID_GRAPH_CREATE)->trigger();
    auto* graphView = dynamic_cast<CVantoraPCView*>(frame->ActiveView());
    if (graphView) graphView->parentWidget()->resize(420, 340);
    QApplication::processEvents();
    return graphView;
  }

  CVantoraPCDoc* Doc(CVantoraPCView* view) { return view ? view->GetDocument() : nullptr; }

  void Mouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button,
             Qt::KeyboardModifiers keys = Qt::NoModifier) {
    QMouseEvent event(type, QPointF(at), w->mapToGlobal(QPointF(at)), button,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : button, keys);
    QApplication::sendEvent(w, &event);
  }
  // One notch (120) forward per `notches`, at `ms` on the event clock.
  void Wheel(QWidget* w, QPoint at, int notches, ulong ms, Qt::KeyboardModifiers keys = {}) {
    QWheelEvent event(QPointF(at), w->mapToGlobal(QPointF(at)), QPoint(), QPoint(0, 120 * notches),
                      Qt::NoButton, keys, Qt::NoScrollPhase, false);
    event.setTimestamp(ms);
    QApplication::sendEvent(w, &event);
  }

  test::TempDir dir;
  std::string loc;
  std::unique_ptr<CVantoraApp> app;
  CMainFrame* frame = nullptr;
  std::vector<MessageBoxRecord> boxes;
  std::vector<FileDialogRequest> requests;
  std::string chosen;
  int answer = IDYES;
};

TEST_F(GraphWindowTest, CreateSaveCloseAndReopenShowTheSamePicture) {
  CVantoraPCView* view = Create({0, 2}, 1);  // stored 1: Multi Y
  ASSERT_NE(view, nullptr);
  CVantoraPCDoc* doc = Doc(view);
  EXPECT_EQ(doc->GetTitle(), "Graph1");
  EXPECT_TRUE(doc->IsModified());
  EXPECT_EQ(doc->Mode(), graph::kModeMultiY);
  EXPECT_EQ(frame->CurrentMenu(), kGraphMenu);
  frame->UpdateCommandUI();
  EXPECT_FALSE(frame->Action(ID_GRAPH_SCALE)->isEnabled());  // Multi Y
  const QImage before = view->RenderImage(500, 360);

  chosen = dir.File("Room graph.vtg");
  frame->Action(ID_FILE_SAVE_AS)->trigger();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].filter, "Graph files (*.vtg)|*.vtg|");
  EXPECT_EQ(requests[0].defaultExt, "vtg");
  EXPECT_EQ(requests[0].initialFile, dir.File("Graph1.vtg"));  // beside the location
  EXPECT_FALSE(doc->IsModified());
  EXPECT_EQ(doc->GetTitle(), "Room graph.vtg");
  EXPECT_EQ(Profile::GetString("Recent File List", "File1"), chosen);

  boxes.clear();
  frame->Action(ID_FILE_CLOSE)->trigger();
  QApplication::processEvents();
  EXPECT_TRUE(boxes.empty());  // saved: nothing to ask
  // Closing stored the graph's mode as the user's default.
  EXPECT_EQ(Profile::GetInt("Graph", "Mode", 0), 1);

  CDocument* reopened = app->OpenDocumentFile(chosen);
  ASSERT_NE(dynamic_cast<CVantoraPCDoc*>(reopened), nullptr);
  auto* view2 = dynamic_cast<CVantoraPCView*>(frame->ActiveView());
  ASSERT_NE(view2, nullptr);
  EXPECT_TRUE(view2->RenderImage(500, 360) == before);
  // The reopened graph knows its axes: the tip of a point names a value.
  EXPECT_EQ(Doc(view2)->Settings().AxisPair(1), std::make_pair(0, 3));

  // vantora render draws the same pixels at the same size.
  test::CliRun run = test::RunVantora("render " + test::ShellQuote(chosen) + " --size 500x360 -o " +
                                          test::ShellQuote(dir.File("cli.png")),
                                      dir);
  ASSERT_EQ(run.status, 0) << run.err;
  QImage cli(QString::fromStdString(dir.File("cli.png")));
  EXPECT_TRUE(cli.convertToFormat(QImage::Format_RGB32) == before);
}

TEST_F(GraphWindowTest, ACommentPlacedAtTheCentreIsStoredAtFiftyPercent) {
  CVantoraPCView* view = Create({0});
  ASSERT_NE(view, nullptr);
  view->resize(400, 300);
  CVantoraPCDoc* doc = Doc(view);
  doc->SetModifiedFlag(false);
  std::vector<int> offered;
  CVantoraPCView::SetCommentDialogHook([&offered](std::string& text, int& size) {
    offered.push_back(size);
    text = "Door open";
    size = 13;
    return true;
  });
  frame->Action(ID_GRAPH_ADD_COMMENTS)->trigger();
  EXPECT_TRUE(view->Placing());
  EXPECT_TRUE(doc->IsModified());
  EXPECT_EQ(Profile::GetInt("Comment", "FontSize", 0), 13);
  Mouse(view, QEvent::MouseMove, {150, 100}, Qt::NoButton);
  Mouse(view, QEvent::MouseButtonPress, {200, 150}, Qt::LeftButton);
  Mouse(view, QEvent::MouseButtonRelease, {200, 150}, Qt::LeftButton);
  EXPECT_FALSE(view->Placing());
  ASSERT_EQ(doc->Comments().Count(), 1);
  EXPECT_EQ(doc->Comments().Get(0).x, 50);
  EXPECT_EQ(doc->Comments().Get(0).y, 50);
  EXPECT_EQ(doc->Comments().Get(0).fontSize, 13);

  // Printed, the comment stands at the centre of the page.
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(QString::fromStdString(dir.File("page.pdf")));
  view->PrintOn(printer);
  EXPECT_GT(std::filesystem::file_size(dir.File("page.pdf")), 1000u);
  const QImage page = view->RenderImage(1100, 800);
  int dark = 0;
  for (int y = 400; y < 430; ++y)
    for (int x = 550; x < 650; ++x) dark += qGray(page.pixel(x, y)) < 100;
  EXPECT_GT(dark, 20) << "no comment text right of and below the centre";

  // A right click while placing leaves the comment at (0, 0).
  frame->Action(ID_GRAPH_ADD_COMMENTS)->trigger();
  Mouse(view, QEvent::MouseButtonRelease, {300, 200}, Qt::RightButton);
  EXPECT_FALSE(view->Placing());
  ASSERT_EQ(doc->Comments().Count(), 2);
  EXPECT_EQ(doc->Comments().Get(1).x, 0);
  // The dialog starts from the profile's size: the default, then the last one chosen.
  EXPECT_EQ(offered, (std::vector<int>{10, 13}));

  frame->Action(ID_GRAPH_REMOVE_COMMENTS)->trigger();
  EXPECT_EQ(doc->Comments().Count(), 0);
  doc->SetModifiedFlag(false);
  frame->Action(ID_GRAPH_REMOVE_COMMENTS)->trigger();  // an empty list only repaints
  EXPECT_FALSE(doc->IsModified());
}

TEST_F(GraphWindowTest, ZoomThenZoomOutRestoresTheRangesExactly) {
  CVantoraPCView* view = Create({0, 1}, 2);  // Strip Graph
  ASSERT_NE(view, nullptr);
  view->resize(600, 400);
  chart::SRGraph& chart = Doc(view)->GetGraph();
  view->RenderImage(600, 400);
  QApplication::processEvents();
  (void)view->TipText({0, 0});  // lays the chart out for the window
  const auto before = chart::ZoomState(chart);
  const chart::Rect plot = chart.Display(1)->plotArea;
  Mouse(view, QEvent::MouseButtonPress, {plot.left + 10, plot.top + 5}, Qt::LeftButton);
  Mouse(view, QEvent::MouseMove, {plot.left + 100, plot.bottom - 5}, Qt::LeftButton);
  Mouse(view, QEvent::MouseButtonRelease, {plot.left + 100, plot.bottom - 5}, Qt::LeftButton);
  EXPECT_EQ(view->ZoomSteps(), 1);
  EXPECT_TRUE(chart.Display(0)->display->xRange.fixed);
  EXPECT_FALSE(chart.Display(0)->display->yRange.fixed);  // only the strip dragged in
  EXPECT_TRUE(chart.Display(1)->display->yRange.fixed);
  frame->UpdateCommandUI();
  EXPECT_FALSE(frame->Action(ID_GRAPH_SCALE)->isEnabled());  // Strip Graph
  frame->Action(ID_GRAPH_ZOOM_OUT)->trigger();
  const auto after = chart::ZoomState(chart);
  ASSERT_EQ(after.size(), before.size());
  for (std::size_t i = 0; i < after.size(); ++i) {
    EXPECT_EQ(after[i].xRange, before[i].xRange);
    EXPECT_EQ(after[i].yRange, before[i].yRange);
  }
  EXPECT_EQ(view->ZoomSteps(), 0);
}

TEST_F(GraphWindowTest, ScaleCopyImagesAndTheQuestionOnClose) {
  CVantoraPCView* view = Create({0});
  ASSERT_NE(view, nullptr);
  CVantoraPCDoc* doc = Doc(view);
  frame->UpdateCommandUI();
  ASSERT_TRUE(frame->Action(ID_GRAPH_SCALE)->isEnabled());
  CVantoraPCView::SetScaleDialogHook([](chart::AxisRange& x, chart::AxisRange& y) {
    y.min = 10;
    y.max = 30;
    return true;
  });
  frame->Action(ID_GRAPH_SCALE)->trigger();
  EXPECT_EQ(doc->GetGraph().Display(0)->display->yRange, (chart::AxisRange{true, 10, 30}));
  EXPECT_EQ(view->ZoomSteps(), 1);
  EXPECT_EQ((view->TipText({0, 0})), "");
  // The tip of a point: pair 1, X is time, Y the reading.
  view->RenderImage(view->width(), view->height());
  (void)view->TipText({0, 0});  // lays the chart out for the window again
  const chart::SRGraph& chart = doc->GetGraph();
  const chart::Rect plot = chart.Display(0)->plotArea;
  const int px = static_cast<int>(
      std::lround(chart::XToPixel(plot, chart::DrawnXRange(chart, 0), chart.Value(3, 0))));
  const int py = static_cast<int>(
      std::lround(chart::YToPixel(plot, chart::DrawnYRange(chart, 0), chart.Value(3, 1))));
  EXPECT_EQ(view->TipText({px, py}), "Plot 1\nX=Time \nY=" + Format("%g", chart.Value(3, 1)));

  boxes.clear();
  frame->Action(ID_EDIT_COPY)->trigger();
  frame->Action(ID_EDIT_COPY)->trigger();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1].text, "Graph copied to clipboard.");
  EXPECT_EQ(boxes[1].icon, MsgIcon::Information);
  EXPECT_EQ(QApplication::clipboard()->image().size(), view->size());

  std::filesystem::create_directories(dir.File("pics"));
  chosen = dir.File("pics/a.jpg");
  frame->Action(ID_FILE_SAVE_JPEG)->trigger();
  EXPECT_EQ(QImage(QString::fromStdString(chosen)).size(), view->size());
  chosen = dir.File("pics/a.dib");
  frame->Action(ID_FILE_SAVE_DIB)->trigger();
  ASSERT_EQ(requests.size(), 2u);
  // Both propose the graph's folder (the location's, until it is saved) and name.
  EXPECT_EQ(requests[0].initialFile, dir.File("Graph1.jpg"));
  EXPECT_EQ(requests[1].initialFile, dir.File("Graph1.dib"));
  EXPECT_EQ(requests[1].initialDir, dir.path() + "/");
  EXPECT_EQ(requests[1].filter, "Device Independent Bitmap|*.dib|");
  EXPECT_EQ(test::ReadAll(chosen).substr(0, 2), "BM");

  // A save that fails names the file and keeps the changes.
  boxes.clear();
  chosen = dir.File("no such folder/g.vtg");
  frame->Action(ID_FILE_SAVE)->trigger();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].text.find(chosen), std::string::npos);
  EXPECT_TRUE(doc->IsModified());
  EXPECT_EQ(doc->GetTitle(), "Graph1");

  // Closing the modified graph asks; Cancel keeps it open.
  boxes.clear();
  answer = IDCANCEL;
  frame->Action(ID_FILE_CLOSE)->trigger();
  QApplication::processEvents();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Save changes to Graph1?");
  EXPECT_EQ(frame->ActiveDocument(), doc);
}

TEST_F(GraphWindowTest, WheelPanAndFullViewAreStepsThatZoomOutStepsBackThrough) {
  CVantoraPCView* view = Create({0, 1});  // Single Y
  ASSERT_NE(view, nullptr);
  CVantoraPCDoc* doc = Doc(view);
  doc->SetModifiedFlag(false);
  chart::SRGraph& chart = doc->GetGraph();
  (void)view->ReadoutLines({0, 0});  // lays the chart out for the window
  const chart::Rect plot = chart.Display(0)->plotArea;
  const QPoint centre((plot.left + plot.right) / 2, (plot.top + plot.bottom) / 2);
  const chart::AxisRange x0 = chart::DrawnXRange(chart, 0), y0 = chart::DrawnYRange(chart, 0);
  frame->UpdateCommandUI();
  EXPECT_FALSE(frame->Action(ID_GRAPH_FULL_VIEW)->isEnabled());  // already the whole range

  // A plain click changes nothing: closing would ask nothing.
  Mouse(view, QEvent::MouseButtonPress, centre, Qt::LeftButton);
  Mouse(view, QEvent::MouseButtonRelease, centre, Qt::LeftButton);
  EXPECT_FALSE(doc->IsModified());

  // Two notches 100 ms apart are one step; the X range shrinks to 64 %.
  Wheel(view, centre, 1, 5000);
  Wheel(view, centre, 1, 5100);
  EXPECT_EQ(view->ZoomSteps(), 1);
  EXPECT_TRUE(doc->IsModified());
  const chart::AxisRange x1 = chart::DrawnXRange(chart, 0);
  EXPECT_NEAR((x1.max - x1.min) / (x0.max - x0.min), 0.64, 1e-9);
  EXPECT_EQ(chart::DrawnYRange(chart, 0), y0);
  // Ctrl: the Y range, a step of its own.
  Wheel(view, centre, -1, 5200, Qt::ControlModifier);
  EXPECT_EQ(view->ZoomSteps(), 2);
  const chart::AxisRange y2 = chart::DrawnYRange(chart, 0);
  EXPECT_NEAR((y2.max - y2.min) / (y0.max - y0.min), 1.25, 1e-9);
  // A Shift+drag pans X and Y (Single Y) in one step.
  Mouse(view, QEvent::MouseButtonPress, centre, Qt::LeftButton, Qt::ShiftModifier);
  Mouse(view, QEvent::MouseMove, centre + QPoint(20, 5), Qt::LeftButton, Qt::ShiftModifier);
  Mouse(view, QEvent::MouseMove, centre + QPoint(40, 10), Qt::LeftButton, Qt::ShiftModifier);
  Mouse(view, QEvent::MouseButtonRelease, centre + QPoint(40, 10), Qt::LeftButton,
        Qt::ShiftModifier);
  EXPECT_EQ(view->ZoomSteps(), 3);
  const chart::AxisRange x3 = chart::DrawnXRange(chart, 0), y3 = chart::DrawnYRange(chart, 0);
  EXPECT_NEAR(x3.min - x1.min, -40.0 / plot.Width() * (x1.max - x1.min), 1e-9);
  EXPECT_NEAR(y3.min - y2.min, 10.0 / plot.Height() * (y2.max - y2.min), 1e-9);
  // The status bar names the range shown and its records.
  EXPECT_NE(view->StatusText().toStdString().find(" records"), std::string::npos);
  // Home: the whole range again, as one more step.
  frame->UpdateCommandUI();
  ASSERT_TRUE(frame->Action(ID_GRAPH_FULL_VIEW)->isEnabled());
  frame->Action(ID_GRAPH_FULL_VIEW)->trigger();
  EXPECT_EQ(view->ZoomSteps(), 4);
  EXPECT_EQ(chart::DrawnXRange(chart, 0), x0);

  // Zoom Out walks back through every step.
  const std::vector<std::pair<chart::AxisRange, chart::AxisRange>> back = {
      {x3, y3}, {x1, y2}, {x1, y0}, {x0, y0}};
  for (const auto& [x, y] : back) {
    frame->Action(ID_GRAPH_ZOOM_OUT)->trigger();
    EXPECT_NEAR(chart::DrawnXRange(chart, 0).min, x.min, 1e-9);
    EXPECT_NEAR(chart::DrawnXRange(chart, 0).max, x.max, 1e-9);
    EXPECT_NEAR(chart::DrawnYRange(chart, 0).min, y.min, 1e-9);
  }
  EXPECT_EQ(view->ZoomSteps(), 0);

  // A wheel turn outside the plot area zooms nothing.
  Wheel(view, {2, 2}, 1, 9000);
  EXPECT_EQ(view->ZoomSteps(), 0);
}

TEST_F(GraphWindowTest, ViewStatisticsFollowTheRangeAndCopyAsText) {
  CVantoraPCView* view = Create({0, 1, 2});
  ASSERT_NE(view, nullptr);
  chart::SRGraph& chart = Doc(view)->GetGraph();
  frame->Action(ID_GRAPH_VIEW_STATISTICS)->trigger();
  CGraphStatisticsWnd* stats = view->StatisticsWindow();
  ASSERT_NE(stats, nullptr);
  EXPECT_TRUE(stats->isVisible());
  EXPECT_FALSE(stats->isModal());
  ASSERT_EQ(stats->Rows().size(), 4u);   // heading and three series
  EXPECT_EQ(stats->Rows()[1][2], "30");  // every record
  // The location's numbers: CO2 from 450 in steps of 7.
  EXPECT_EQ(stats->Rows()[3][3], "450");
  EXPECT_EQ(stats->Rows()[3][5], "653");

  // Zoomed to records 10 to 19 (times 10 x 300 s ...), the table follows.
  chart::SRGCompoundDisplay* d = chart.Display(0);
  d->display->xRange = chart::AxisRange{true, chart.Value(10, 0), chart.Value(19, 0)};
  Doc(view)->UpdateAllViews();
  EXPECT_EQ(stats->Rows()[1][2], "10");
  EXPECT_EQ(stats->Rows()[3][3], "520");
  frame->UpdateCommandUI();
  frame->Action(ID_GRAPH_FULL_VIEW)->trigger();
  EXPECT_EQ(stats->Rows()[1][2], "30");
  QApplication::clipboard()->clear();
  stats->Copy();
  const std::string text = QApplication::clipboard()->text().toStdString();
  EXPECT_EQ(text.substr(0, text.find('\t')), "Series");
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 4);
}

TEST_F(GraphWindowTest, ScaleShowsRoundedValuesAndTakesTypedTimes) {
  const double start = chart::OleDate(2026, 6, 1, 9, 30, 0);
  CEditScalingDlg dialog(true, false, chart::AxisRange{false, start, start + 0.5},
                         chart::AxisRange{false, 19.9537, 25.04}, nullptr, " %H:%M:%S ", "%3.1f");
  EXPECT_EQ(dialog.y.min->text().toStdString(), "20.0");
  EXPECT_EQ(dialog.y.max->text().toStdString(), "25.0");
  // A click puts the cursor into the hour; digits typed there replace it.
  dialog.x.minTime->setCurrentSection(QDateTimeEdit::HourSection);
  for (const char* key : {"1", "4", "0", "5"}) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, key);
    QApplication::sendEvent(dialog.x.minTime, &press);
  }
  EXPECT_EQ(dialog.x.minTime->time(), QTime(14, 5, 0));
  EXPECT_DOUBLE_EQ(dialog.X().min, chart::OleDate(2026, 6, 1, 14, 5, 0));
  // Ends that would round to one value keep their digits.
  CEditScalingDlg close(false, false, chart::AxisRange{false, 0, 1},
                        chart::AxisRange{false, 20.11, 20.14}, nullptr, "%3.0f", "%3.0f");
  EXPECT_EQ(close.y.min->text().toStdString(), "20.11");
}

TEST_F(GraphWindowTest, DamagedAndOlderGraphFilesDoNotOpen) {
  test::WriteBytes(dir.File("empty.vtg"), {});
  EXPECT_EQ(app->OpenDocumentFile(dir.File("empty.vtg")), nullptr);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, dir.File("empty.vtg") + " is not a graph file.");
  test::WriteBytes(dir.File("old.vtg"), {104, 0, 0, 0, 103, 0, 0, 0, 1, 0, 0, 0});
  EXPECT_EQ(app->OpenDocumentFile(dir.File("old.vtg")), nullptr);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1].text,
            "This .vtg graph file was created with an older version of VantoraPC and can not be "
            "opened.");
  // Tags of a graph file, then something cut off: damaged.
  test::WriteBytes(dir.File("cut.vtg"), {104, 0, 0, 0, 104, 0, 0, 0, 1, 0});
  EXPECT_EQ(app->OpenDocumentFile(dir.File("cut.vtg")), nullptr);
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[2].text,
            "The graph file " + dir.File("cut.vtg") + " is damaged and can not be opened.");
}

}  // namespace
}  // namespace vantora

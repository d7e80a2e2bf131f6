// The graph window in a running VantoraPC, headless: Graph > Create, saving
// and reopening, comments, zoom, Scale, Copy, images and printing.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMouseEvent>
#include <QPrinter>
#include <QPushButton>
#include <QTimeEdit>
#include <QWheelEvent>
#include <cmath>
#include <filesystem>
#include <functional>

#include "app/gui/vantoraapp.h"
#include "chart/chartinteract.h"
#include "chart/chartlayout.h"
#include "common/gui/framework.h"
#include "common/profile.h"
#include "common/timetext.h"
#include "graph/gui/comparedlg.h"
#include "graph/gui/creategraphdlg.h"
#include "graph/gui/graphdialogs.h"
#include "graph/gui/graphstatswnd.h"
#include "graph/gui/vantorapcdoc.h"
#include "graph/gui/vantorapcview.h"
#include "guisupport/guiapp.h"
#include "location/gui/vantoralogview.h"
#include "location/samplesite.h"
#include "model/vocabulary.h"
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
  EXPECT_EQ(view->StatusText().toStdString(),
            "Click where the comment goes (right button: top left)");
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

  // Saved while zoomed, the graph reopens able to step back to its whole
  // range.
  Mouse(view, QEvent::MouseButtonPress, {plot.left + 10, plot.top + 5}, Qt::LeftButton);
  Mouse(view, QEvent::MouseButtonRelease, {plot.left + 100, plot.bottom - 5}, Qt::LeftButton);
  ASSERT_EQ(view->ZoomSteps(), 1);
  chosen = dir.File("zoomed.vtg");
  frame->Action(ID_FILE_SAVE_AS)->trigger();
  frame->Action(ID_FILE_CLOSE)->trigger();
  QApplication::processEvents();
  ASSERT_NE(app->OpenDocumentFile(chosen), nullptr);
  auto* reopened = dynamic_cast<CVantoraPCView*>(frame->ActiveView());
  ASSERT_NE(reopened, nullptr);
  EXPECT_EQ(reopened->ZoomSteps(), 1);
  EXPECT_TRUE(chart::HasFixedRange(Doc(reopened)->GetGraph()));
  frame->UpdateCommandUI();
  ASSERT_TRUE(frame->Action(ID_GRAPH_ZOOM_OUT)->isEnabled());
  frame->Action(ID_GRAPH_ZOOM_OUT)->trigger();
  EXPECT_FALSE(chart::HasFixedRange(Doc(reopened)->GetGraph()));
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

TEST_F(GraphWindowTest, ALocationWithoutReadingsMakesNoGraphAndSvgIsSaved) {
  // Every CO2 reading of this location is missing.
  LocationSpec spec;
  spec.channels = {{"CO2", 4, 4, 0, 6}};
  spec.records = {{0, {-999999.0f}}, {60, {-999999.0f}}};
  test::WriteBytes(dir.File("Empty.loc"), test::LocationBytes(spec));
  ASSERT_NE(app->OpenDocumentFile(dir.File("Empty.loc")), nullptr);
  boxes.clear();
  EXPECT_EQ(Create({0}), nullptr);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Empty has no readings to graph.");

  // File > Save As SVG: the drawing through the file dialog.
  ASSERT_NE(app->OpenDocumentFile(loc), nullptr);
  CVantoraPCView* view = Create({0, 1});
  ASSERT_NE(view, nullptr);
  chosen = dir.File("drawing.svg");
  requests.clear();
  frame->UpdateCommandUI();
  ASSERT_TRUE(frame->Action(ID_FILE_SAVE_SVG)->isEnabled());
  frame->Action(ID_FILE_SAVE_SVG)->trigger();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].defaultExt, "svg");
  const std::string svg = test::ReadAll(chosen);
  EXPECT_EQ(svg.substr(0, 5), "<?xml");
  EXPECT_NE(svg.find("<svg"), std::string::npos);
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

TEST_F(GraphWindowTest, ReadoutNamesEachSeriesValueAndTheMarksOfLeftOutReadings) {
  LocationSpec spec;
  spec.channels = {{"Temperature", 0, 0, 1, 6}, {"Humidity", 1, 3, 0, 5}};
  for (int r = 0; r < 10; ++r)
    spec.records.push_back({static_cast<std::uint32_t>(r * 60),
                            {r == 4 ? -999999.0f : 20.0f + r, r == 6 ? -999.0f : 40.0f + r}});
  test::WriteBytes(dir.File("Marks.loc"), test::LocationBytes(spec));
  ASSERT_NE(app->OpenDocumentFile(dir.File("Marks.loc")), nullptr);
  CVantoraPCView* view = Create({0, 1});
  ASSERT_NE(view, nullptr);
  EXPECT_TRUE(view->ReadoutOn());  // on by default
  const chart::SRGraph& chart = Doc(view)->GetGraph();
  (void)view->ReadoutLines({0, 0});
  const chart::Rect plot = chart.Display(0)->plotArea;
  const auto at = [&](int record) {
    // Pair 1 keeps an X where pair 0 lost its point, and the other way round.
    const double x =
        std::isfinite(chart.Value(record, 0)) ? chart.Value(record, 0) : chart.Value(record, 2);
    const int px =
        static_cast<int>(std::lround(chart::XToPixel(plot, chart::DrawnXRange(chart, 0), x)));
    return view->ReadoutLines({px, (plot.top + plot.bottom) / 2});
  };
  const std::string celsius = TheUnitNames().GetName(0), rh = TheUnitNames().GetName(3);
  EXPECT_EQ(at(3), (std::vector<std::string>{"01-Jun-2026 09:03:00", "Temperature: 23.0 " + celsius,
                                             "Humidity: 43 " + rh}));
  EXPECT_EQ(at(4), (std::vector<std::string>{"01-Jun-2026 09:04:00", "Temperature: N/A",
                                             "Humidity: 44 " + rh}));
  EXPECT_EQ(at(6)[2], "Humidity: OverRange");
  EXPECT_TRUE(view->ReadoutLines({plot.left - 5, plot.top}).empty());  // outside the plot area

  // Off (and remembered): the point tip again, and no readout drawn.
  frame->UpdateCommandUI();
  EXPECT_TRUE(frame->Action(ID_GRAPH_READOUT)->isChecked());
  frame->Action(ID_GRAPH_READOUT)->trigger();
  EXPECT_FALSE(view->ReadoutOn());
  EXPECT_EQ(Profile::GetInt("Graph", "Readout", 1), 0);
}

TEST_F(GraphWindowTest, ALegendClickHidesItsSeriesGreyedAndTheFileKeepsIt) {
  CVantoraPCView* view = Create({0, 1, 2}, 1);  // Multi Y, with its legend
  ASSERT_NE(view, nullptr);
  CVantoraPCDoc* doc = Doc(view);
  chart::SRGraph& chart = doc->GetGraph();
  (void)view->ReadoutLines({0, 0});
  ASSERT_NE(chart.Legend(), nullptr);
  ASSERT_EQ(chart.Legend()->items.size(), 3u);
  const chart::SRGraphLegend::Item item = chart.Legend()->items[1];
  const QPoint key((item.key.left + item.key.right) / 2, (item.key.top + item.key.bottom) / 2);
  chosen = dir.File("Legend.vtg");
  frame->Action(ID_FILE_SAVE_AS)->trigger();
  ASSERT_FALSE(doc->IsModified());

  Mouse(view, QEvent::MouseButtonPress, key, Qt::LeftButton);
  Mouse(view, QEvent::MouseButtonRelease, key, Qt::LeftButton);
  EXPECT_TRUE(chart.SeriesHidden(1));
  EXPECT_TRUE(doc->IsModified());
  // Its key is grey, the others keep their colours; the readout leaves it out.
  const QImage picture = view->RenderImage(view->width(), view->height());
  const QColor hidden = picture.pixelColor(key);
  EXPECT_TRUE(hidden.red() == hidden.green() && hidden.green() == hidden.blue())
      << hidden.name().toStdString();
  const chart::SRGraphLegend::Item first = chart.Legend()->items[0];
  EXPECT_EQ(picture.pixelColor((first.key.left + first.key.right) / 2,
                               (first.key.top + first.key.bottom) / 2),
            QColor(255, 0, 0));
  const chart::Rect plot = chart.Display(0)->plotArea;
  EXPECT_EQ(view->ReadoutLines({(plot.left + plot.right) / 2, plot.top + 5}).size(), 3u);

  // Saved and opened again, the series stays hidden.
  frame->Action(ID_FILE_SAVE)->trigger();
  frame->Action(ID_FILE_CLOSE)->trigger();
  QApplication::processEvents();
  ASSERT_NE(app->OpenDocumentFile(chosen), nullptr);
  auto* again = dynamic_cast<CVantoraPCView*>(frame->ActiveView());
  ASSERT_NE(again, nullptr);
  EXPECT_TRUE(Doc(again)->GetGraph().SeriesHidden(1));
  EXPECT_FALSE(Doc(again)->GetGraph().SeriesHidden(0));

  // A click in the unchanged graph changes nothing: closing it asks nothing.
  (void)again->ReadoutLines({0, 0});
  const chart::Rect plot2 = Doc(again)->GetGraph().Display(0)->plotArea;
  const QPoint inside((plot2.left + plot2.right) / 2, (plot2.top + plot2.bottom) / 2);
  Mouse(again, QEvent::MouseButtonPress, inside, Qt::LeftButton);
  Mouse(again, QEvent::MouseButtonRelease, inside, Qt::LeftButton);
  EXPECT_FALSE(Doc(again)->IsModified());
  boxes.clear();
  frame->Action(ID_FILE_CLOSE)->trigger();
  QApplication::processEvents();
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(dynamic_cast<CVantoraPCView*>(frame->ActiveView()), nullptr);
}

TEST_F(GraphWindowTest, CompareLocationsFromTheOpenOnesAndAFolder) {
  LocationSpec hall;
  hall.channels = {{"co2", 4, 4, 0, 6}, {"Temperature", 0, 0, 1, 6}};
  for (int r = 0; r < 20; ++r)
    hall.records.push_back({static_cast<std::uint32_t>(r * 600), {600.0f + r, 19.0f}});
  std::filesystem::create_directories(dir.File("other"));
  test::WriteBytes(dir.File("other/Hall.loc"), test::LocationBytes(hall));
  test::WriteBytes(dir.File("other/Broken.loc"), {1, 2, 3});
  SetCompareFolderHook([this] { return dir.File("other"); });
  bool shown = false;
  SetCompareDialogHook([&](CCompareDlg& dialog) {
    shown = true;
    EXPECT_EQ(dialog.locations->count(), 1);  // the open location
    EXPECT_FALSE(dialog.elapsed->isChecked());
    QMetaObject::invokeMethod(dialog.findChild<QPushButton*>("addFolder"), "click");
    EXPECT_EQ(dialog.locations->count(), 2);
    // The damaged file is named, and left out.
    EXPECT_EQ(boxes.size(), 1u);
    if (!boxes.empty()) {
      EXPECT_NE(boxes[0].text.find(dir.File("other/Broken.loc")), std::string::npos)
          << boxes[0].text;
    }
    // Channels of both, each once; letter case ignored.
    std::vector<std::string> names;
    for (int i = 0; i < dialog.channels->count(); ++i)
      names.push_back(dialog.channels->item(i)->text().toStdString());
    EXPECT_EQ(names, (std::vector<std::string>{"Temperature", "Humidity", "CO2"}));
    dialog.locations->item(0)->setCheckState(Qt::Unchecked);
    dialog.locations->item(1)->setCheckState(Qt::Unchecked);
    EXPECT_FALSE(dialog.create->isEnabled());  // nothing to compare
    dialog.locations->item(0)->setCheckState(Qt::Checked);
    dialog.locations->item(1)->setCheckState(Qt::Checked);
    dialog.channels->item(2)->setSelected(true);
    EXPECT_TRUE(dialog.create->isEnabled());
    return true;
  });
  frame->Action(ID_GRAPH_COMPARE)->trigger();
  ASSERT_TRUE(shown);
  auto* view = dynamic_cast<CVantoraPCView*>(frame->ActiveView());
  ASSERT_NE(view, nullptr);
  const chart::SRGraph& chart = Doc(view)->GetGraph();
  ASSERT_EQ(chart.SeriesCount(), 2);
  EXPECT_EQ(chart.Annotation(1), "Room");
  EXPECT_EQ(chart.Annotation(3), "Hall");
  EXPECT_EQ(Doc(view)->Settings().title, "Compare: CO2");
  EXPECT_TRUE(Doc(view)->IsModified());
  // Its images are proposed beside the first location.
  EXPECT_EQ(Doc(view)->ProposedImagePath("jpg"), dir.File(Doc(view)->GetTitle() + ".jpg"));

  // With no location open, the main window offers it too.
  SetCompareDialogHook([](CCompareDlg& dialog) { return dialog.locations->count() < 0; });
  while (frame->ActiveDocument()) {
    frame->ActiveDocument()->SetModifiedFlag(false);
    frame->ActiveDocument()->OnCloseDocument();
    QApplication::processEvents();
  }
  EXPECT_EQ(frame->CurrentMenu(), kMainMenu);
  frame->UpdateCommandUI();
  EXPECT_TRUE(frame->Action(ID_GRAPH_COMPARE)->isEnabled());
  SetCompareDialogHook({});
  SetCompareFolderHook({});
}

// Pictures of the window for looking at them (scripts/graph-pictures.sh):
// the readout over a Multi Y graph of the sample site's office, a hidden
// series, View Statistics of a zoomed range, the Compare dialog and its graph.
TEST_F(GraphWindowTest, Pictures) {
  const char* out = std::getenv("VANTORA_GRAPH_PICTURES");
  if (!out) GTEST_SKIP() << "only for scripts/graph-pictures.sh";
  const std::string folder(out);
  std::string error;
  ASSERT_FALSE(WriteSampleSite(dir.File("site"), error).empty()) << error;
  frame->resize(1280, 900);
  frame->show();
  ASSERT_NE(app->OpenDocumentFile(dir.File("site/Night Survey.loc")), nullptr);
  ASSERT_NE(app->OpenDocumentFile(dir.File("site/Office 101.loc")), nullptr);
  CVantoraPCView* view = Create({0, 1, 2, 3}, 1);
  ASSERT_NE(view, nullptr);
  view->parentWidget()->resize(900, 600);
  QApplication::processEvents();
  chart::SRGraph& chart = Doc(view)->GetGraph();
  (void)view->ReadoutLines({0, 0});
  const chart::Rect plot = chart.Display(0)->plotArea;
  const QPoint middle(plot.left + plot.Width() * 3 / 5, plot.top + plot.Height() / 3);
  Mouse(view, QEvent::MouseMove, middle, Qt::NoButton);
  frame->grab().save(QString::fromStdString(folder + "/window-readout.png"));
  // Near the right edge the box turns to the left of the mouse.
  Mouse(view, QEvent::MouseMove, {plot.right - 4, plot.bottom - 10}, Qt::NoButton);
  view->grab().save(QString::fromStdString(folder + "/window-readout-edge.png"));

  const chart::SRGraphLegend::Item item = chart.Legend()->items[2];
  const QPoint key((item.key.left + item.key.right) / 2, (item.key.top + item.key.bottom) / 2);
  Mouse(view, QEvent::MouseButtonPress, key, Qt::LeftButton);
  Mouse(view, QEvent::MouseButtonRelease, key, Qt::LeftButton);
  Mouse(view, QEvent::MouseMove, middle, Qt::NoButton);
  view->grab().save(QString::fromStdString(folder + "/window-hidden-series.png"));

  for (int i = 0; i < 4; ++i) Wheel(view, middle, 1, 1000 + 50 * i);
  frame->Action(ID_GRAPH_VIEW_STATISTICS)->trigger();
  QApplication::processEvents();
  view->StatisticsWindow()->grab().save(QString::fromStdString(folder + "/view-statistics.png"));
  frame->grab().save(QString::fromStdString(folder + "/window-zoomed.png"));
  view->StatisticsWindow()->close();

  SetCompareDialogHook([&](CCompareDlg& dialog) {
    dialog.show();
    dialog.locations->item(0)->setCheckState(Qt::Unchecked);  // the test's own room
    dialog.elapsed->setChecked(true);
    for (int i = 0; i < dialog.channels->count(); ++i)
      if (dialog.channels->item(i)->text() == "CO2") dialog.channels->item(i)->setSelected(true);
    QApplication::processEvents();
    dialog.grab().save(QString::fromStdString(folder + "/compare-dialog.png"));
    return true;
  });
  frame->Action(ID_GRAPH_COMPARE)->trigger();
  SetCompareDialogHook({});
  if (auto* compare = dynamic_cast<CVantoraPCView*>(frame->ActiveView())) {
    compare->parentWidget()->resize(900, 600);
    QApplication::processEvents();
    compare->grab().save(QString::fromStdString(folder + "/compare-graph.png"));
  }
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

  // A saved graph with a rotated side title of 20,000 characters and one
  // with a display showing groups from 0x7FFFFFFF on: the message, no window.
  CVantoraPCView* view = Create({0, 2}, 1);
  ASSERT_NE(view, nullptr);
  const std::string bytes = graph::GraphFileBytes(Doc(view)->Core());
  const auto edited = [&](const std::function<void(chart::SRGraph&)>& edit) {
    graph::GraphDocument doc;
    std::string detail;
    EXPECT_EQ(graph::ReadGraphBytes(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                    bytes.size(), doc, detail),
              graph::GraphFileResult::Ok);
    edit(doc.GetGraph());
    const std::string out = graph::GraphFileBytes(doc);
    return std::vector<std::uint8_t>(out.begin(), out.end());
  };
  test::WriteBytes(dir.File("title.vtg"), edited([](chart::SRGraph& g) {
                     chart::SRGraphLabel title;
                     title.text = std::string(20000, 'T');
                     title.rotated = true;
                     title.side = chart::Side::Left;
                     g.Display(0)->labels.push_back(title);
                   }));
  test::WriteBytes(dir.File("groups.vtg"), edited([](chart::SRGraph& g) {
                     g.Display(0)->display->firstGroup = 0x7FFFFFFF;
                   }));
  const std::size_t views = frame->findChildren<CVantoraPCView*>().size();
  for (const char* name : {"title.vtg", "groups.vtg"}) {
    const std::size_t before = boxes.size();
    EXPECT_EQ(app->OpenDocumentFile(dir.File(name)), nullptr) << name;
    ASSERT_EQ(boxes.size(), before + 1) << name;
    EXPECT_EQ(boxes.back().text,
              "The graph file " + dir.File(name) + " is damaged and can not be opened.");
  }
  EXPECT_EQ(frame->findChildren<CVantoraPCView*>().size(), views);
}

}  // namespace
}  // namespace vantora

#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSettings>
#include <memory>

#include "common/codepage.h"
#include "common/gui/framework.h"
#include "common/pathutil.h"
#include "common/profile.h"
#include "common/timetext.h"
#include "guisupport/guiapp.h"
#include "location/columnselection.h"
#include "location/gui/vantoralogdoc.h"
#include "location/gui/vantoralogview.h"
#include "location/statistics.h"
#include "notebook/shelllauncher.h"
#include "support/clirun.h"
#include "support/locbytes.h"

namespace vantora {
namespace {

// A location of `channels` channels and `records` one-minute records.
test::LocationSpec Spec(int channels, int records) {
  test::LocationSpec spec;
  spec.hour = 23;
  spec.minute = 50;
  for (int c = 0; c < channels; ++c) {
    test::ChannelSpec ch;
    ch.name = c == 0 ? "Temperature" : "Ch" + std::to_string(c);
    ch.param = c == 0 ? 0 : 1;
    ch.unit = c == 0 ? 0 : 3;
    spec.channels.push_back(ch);
  }
  for (int r = 0; r < records; ++r) {
    std::vector<float> values;
    for (int c = 0; c < channels; ++c) values.push_back(20.0f + c + r * 0.1f);
    spec.records.push_back({static_cast<std::uint32_t>(r * 60), values});
  }
  return spec;
}

// Records what the notebook asks of the desktop.
struct RecordingLauncher : ShellLauncher {
  bool ShellVerb(const std::string& verb, const std::string& file, std::string&) override {
    calls.push_back(verb + " " + file);
    return true;
  }
  bool StartProgram(const std::string&, const std::vector<std::string>&) override { return true; }
  void Message(const std::string&) override {}
  std::string ChooseFile(const std::string&) override { return {}; }
  void ShowEvents(const std::string&) override {}
  void ShowAudit(const std::string&) override {}
  std::vector<std::string> calls;
};

class LogViewTest : public ::testing::Test {
 protected:
  void SetUp() override { test::GuiApp(); }
  void TearDown() override {
    view.reset();
    if (doc) doc->OnCloseDocument();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  void Open(const test::LocationSpec& spec, const std::string& name = "Room 4.loc",
            QSize size = QSize(800, 560)) {
    OpenBytes(test::LocationBytes(spec), name, size);
  }
  void OpenBytes(const std::vector<std::uint8_t>& bytes, const std::string& name = "Room 4.loc",
                 QSize size = QSize(800, 560)) {
    path = dir.File(name);
    test::WriteBytes(path, bytes);
    doc = new CVantoraLogDoc;
    ASSERT_TRUE(doc->OnOpenDocument(path));
    view = std::make_unique<CVantoraLogView>();
    view->SetDocument(doc);
    view->OnInitialUpdate();
    view->resize(size);
    Paint();
  }

  void Paint() { view->grab(); }

  std::vector<DrawnText> Drawn(DrawnText::Kind kind) const {
    std::vector<DrawnText> out;
    for (const DrawnText& t : view->Panel()->drawnTexts())
      if (t.kind == kind) out.push_back(t);
    return out;
  }
  std::string Cell(int row, int column) const {
    for (const DrawnText& t : view->Panel()->drawnTexts())
      if (t.kind == DrawnText::kCell && t.row == row && t.column == column) return t.text;
    return "<none>";
  }
  QPoint HeadingCentre(int channel) const {
    for (int i = 0; i < view->hotSpots.Count(); ++i)
      if (view->hotSpots.TypeAt(i) == HotSpotList::kHeading && view->hotSpots.ValueAt(i) == channel)
        return view->hotSpots.RectAt(i).center();
    return QPoint(-1, -1);
  }

  test::TempDir dir;
  std::string path;
  CVantoraLogDoc* doc = nullptr;
  std::unique_ptr<CVantoraLogView> view;
};

TEST_F(LogViewTest, OpenWritesStatisticsAndDataFolder) {
  Open(Spec(3, 50));
  std::string stats;
  ASSERT_TRUE(ReadTextFile(dir.File("Room 4_stats.txt"), stats));
  EXPECT_EQ(stats, StatisticsText(*doc->LogData()));
  EXPECT_EQ(Profile::GetString("Directories", "Data"), dir.path() + "/");
  EXPECT_EQ(doc->notebook.LocationPath(), path);
}

TEST_F(LogViewTest, DrawsCaptionDateLineHeadingsAndAPageOfCells) {
  Open(Spec(3, 200));
  ReadingsPanel* panel = view->Panel();
  ASSERT_TRUE(panel->laidOut());
  auto caption = Drawn(DrawnText::kCaption);
  ASSERT_EQ(caption.size(), 1u);
  EXPECT_EQ(caption[0].text, "Location File: " + AbbreviatePath(path, 33));
  // 23:50 on 1 June; the page runs past midnight.
  auto date = Drawn(DrawnText::kDateLine);
  ASSERT_EQ(date.size(), 1u);
  EXPECT_EQ(date[0].text, "01-Jun-2026 to 02-Jun-2026");
  auto headings = Drawn(DrawnText::kHeading);
  ASSERT_EQ(headings.size(), 4u);
  EXPECT_EQ(headings[0].text, "Time (H:M:S) ");
  EXPECT_EQ(headings[1].text, "Temperature");
  EXPECT_EQ(headings[3].text, "Ch2");
  const int rows = panel->visibleRows();
  ASSERT_GT(rows, 10);
  for (int r = 0; r < rows; ++r) {
    LogTime t = 0;
    ASSERT_TRUE(doc->LogData()->GetTime(r, t));
    EXPECT_EQ(Cell(r, 0), TimeText(t, true)) << r;
    for (int c = 1; c <= 3; ++c) {
      std::string expected;
      doc->LogData()->GetValueText(r, c - 1, expected);
      EXPECT_EQ(Cell(r, c), expected) << r << "," << c;
    }
  }
  // One data hot spot per drawn cell, valued with its record.
  int cells = 0;
  for (int i = 0; i < view->hotSpots.Count(); ++i) {
    if (view->hotSpots.TypeAt(i) != HotSpotList::kDataCell) continue;
    ++cells;
    int value = -1;
    EXPECT_EQ(view->hotSpots.HitTest(view->hotSpots.RectAt(i).center(), value),
              HotSpotList::kDataCell);
  }
  EXPECT_EQ(cells, rows * 4);
  // A click below everything does nothing.
  ColumnSelection before = view->selection;
  view->Click(QPoint(5, view->height() - 2));
  EXPECT_EQ(view->selection.Count(), before.Count());
}

// Records the paint events a widget gets.
struct PaintRecorder : QObject {
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) rects.push_back(static_cast<QPaintEvent*>(event)->rect());
    return false;
  }
  std::vector<QRect> rects;
};

TEST_F(LogViewTest, ANewLayoutDrawnOverPartOfTheViewRepaintsAllOfIt) {
  Open(Spec(3, 200));
  view->show();
  QCoreApplication::processEvents();
  PaintRecorder paints;
  view->installEventFilter(&paints);
  // Nothing changed: a partial paint stays partial.
  QImage image(view->size(), QImage::Format_RGB32);
  const QRect area = view->rect().adjusted(0, 0, 0, -CVantoraLogView::kBottomMargin);
  RedrawState strip;
  strip.paintRect = QRect(area.width() / 2, 40, 16, 200);
  {
    QPainter painter(&image);
    view->Panel()->Draw(painter, area, strip);
  }
  QCoreApplication::processEvents();
  EXPECT_TRUE(paints.rects.empty());
  // A panel of another size laid out in that paint: the whole view follows.
  {
    QPainter painter(&image);
    view->Panel()->Draw(painter, area.adjusted(0, 0, -40, -30), strip);
  }
  QCoreApplication::processEvents();
  ASSERT_FALSE(paints.rects.empty());
  EXPECT_EQ(paints.rects.back(), view->rect());
  view->removeEventFilter(&paints);
}

TEST_F(LogViewTest, EndScrollsToTheLastPage) {
  Open(Spec(2, 300));
  ASSERT_TRUE(view->OnCommand(ID_SCROLL_END));
  Paint();
  ReadingsPanel* panel = view->Panel();
  EXPECT_EQ(panel->topRow(), 300 - panel->visibleRows());
  LogTime last = 0;
  doc->LogData()->GetTime(299, last);
  EXPECT_EQ(Cell(panel->visibleRows() - 1, 0), TimeText(last, true));
  EXPECT_EQ(panel->scrollBar()->value(), panel->topRow());
  EXPECT_EQ(panel->scrollBar()->maximum(), panel->topRow());
  view->OnCommand(ID_SCROLL_DOWN);
  EXPECT_EQ(panel->topRow(), 300 - panel->visibleRows());
  view->OnCommand(ID_SCROLL_PAGE_UP);
  EXPECT_EQ(panel->topRow(), 300 - 2 * panel->visibleRows());
  view->OnCommand(ID_SCROLL_HOME);
  EXPECT_EQ(panel->topRow(), 0);
  view->OnCommand(ID_SCROLL_UP);
  EXPECT_EQ(panel->topRow(), 0);
}

TEST_F(LogViewTest, ScrollBarMovesTheRecords) {
  Open(Spec(2, 300));
  QScrollBar* bar = view->Panel()->scrollBar();
  ASSERT_NE(bar, nullptr);
  EXPECT_TRUE(bar->isVisibleTo(view.get()));
  bar->triggerAction(QAbstractSlider::SliderToMaximum);
  EXPECT_EQ(view->Panel()->topRow(), 300 - view->Panel()->visibleRows());
  bar->triggerAction(QAbstractSlider::SliderPageStepSub);
  EXPECT_EQ(view->Panel()->topRow(), 300 - 2 * view->Panel()->visibleRows());
  bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
  EXPECT_EQ(view->Panel()->topRow(), 300 - 2 * view->Panel()->visibleRows() - 1);
  bar->setSliderPosition(17);
  EXPECT_EQ(view->Panel()->topRow(), 17);
  Paint();
  LogTime t = 0;
  doc->LogData()->GetTime(17, t);
  EXPECT_EQ(Cell(0, 0), TimeText(t, true));
  EXPECT_EQ(bar->value(), 17);
}

TEST_F(LogViewTest, RightArrowStopsAtTheLastChannel) {
  Open(Spec(3, 20));
  for (int i = 0; i < 3; ++i) view->OnCommand(ID_SCROLL_RIGHT);
  EXPECT_EQ(view->Panel()->firstChannel(), 2);
  Paint();
  auto headings = Drawn(DrawnText::kHeading);
  ASSERT_EQ(headings.size(), 2u);
  EXPECT_EQ(headings[1].text, "Ch2");
  view->OnCommand(ID_SCROLL_RIGHT);
  EXPECT_EQ(view->Panel()->firstChannel(), 2);
  // The left button returns one channel at a time.
  view->Panel()->leftButton()->click();
  EXPECT_EQ(view->Panel()->firstChannel(), 1);
}

TEST_F(LogViewTest, TwentyChannelsShowAtMostTenColumns) {
  Open(Spec(20, 5), "Wide.loc", QSize(2400, 700));
  EXPECT_EQ(Drawn(DrawnText::kHeading).size(), 10u);
  EXPECT_TRUE(view->Panel()->Scroll(kPanelRightButton, 0, 0));
  Paint();
  auto headings = Drawn(DrawnText::kHeading);
  ASSERT_EQ(headings.size(), 10u);
  EXPECT_EQ(headings[1].text, "Ch1");
}

TEST_F(LogViewTest, ClickOnHeadingTogglesBoldColumn) {
  Open(Spec(3, 20));
  view->Click(HeadingCentre(1));
  EXPECT_TRUE(view->selection.IsSelected(1));
  Paint();
  auto headings = Drawn(DrawnText::kHeading);
  EXPECT_TRUE(headings[2].bold);
  EXPECT_FALSE(headings[1].bold);
  view->Click(HeadingCentre(-1));
  EXPECT_TRUE(view->selection.IsTimeSelected());
  Paint();
  EXPECT_TRUE(Drawn(DrawnText::kHeading)[0].bold);
  view->Click(HeadingCentre(1));
  Paint();
  EXPECT_FALSE(view->selection.IsSelected(1));
  EXPECT_FALSE(Drawn(DrawnText::kHeading)[2].bold);
}

TEST_F(LogViewTest, CopyPutsTheReadingsOnTheClipboard) {
  Open(Spec(3, 30));
  test::MessageRecorder messages;
  view->OnCommand(ID_EDIT_COPY);
  std::string expected = CopyReadingsText(*doc->LogData(), view->selection);
  EXPECT_NE(expected.find("Date \tTime \tTemperature\tCh1\tCh2\r\n"), std::string::npos);
  EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), Cp1252ToUtf8(expected));
  ASSERT_EQ(messages.boxes.size(), 1u);
  EXPECT_EQ(messages.boxes[0].text, "Copied to clipboard.");
  EXPECT_EQ(messages.boxes[0].icon, MsgIcon::Information);
  // Only channel 2 selected: its values alone.
  view->Click(HeadingCentre(2));
  view->OnCommand(ID_EDIT_COPY);
  QString text = QGuiApplication::clipboard()->text();
  EXPECT_TRUE(text.startsWith("Ch2\r\n")) << text.left(40).toStdString();
  EXPECT_FALSE(text.contains('\t'));
}

TEST_F(LogViewTest, EmptyLocationShowsNoData) {
  Open(Spec(2, 0));
  auto noData = Drawn(DrawnText::kNoData);
  ASSERT_EQ(noData.size(), 1u);
  EXPECT_EQ(noData[0].text, "No data");
  EXPECT_TRUE(Drawn(DrawnText::kDateLine).empty());
  EXPECT_TRUE(Drawn(DrawnText::kCell).empty());
  EXPECT_FALSE(view->Panel()->laidOut());
  EXPECT_FALSE(view->Panel()->Scroll(kPanelScrollBar, SB_BOTTOM, 0));
}

TEST_F(LogViewTest, NoteIconsFromTheRightAndClicksOpenNotes) {
  test::WriteBytes(dir.File("Room 4.txt"), {'h', 'i'});
  Open(Spec(2, 10));
  std::vector<int> icons;
  std::vector<QRect> rects;
  for (int i = 0; i < view->hotSpots.Count(); ++i) {
    if (view->hotSpots.TypeAt(i) == HotSpotList::kNoteIcon) {
      icons.push_back(view->hotSpots.ValueAt(i));
      rects.push_back(view->hotSpots.RectAt(i));
    }
  }
  // The text note and the statistics written at opening; Text rightmost.
  ASSERT_EQ(icons, (std::vector<int>{135, 127}));
  EXPECT_GT(rects[0].left(), rects[1].right());
  EXPECT_EQ(rects[0].left() - rects[1].right() - 1, kPanelIconGap);
  RecordingLauncher launcher;
  ShellLauncher* previous = &TheShellLauncher();
  SetShellLauncher(&launcher);
  view->Click(rects[1].center());
  view->OnCommand(ID_VIEW_STATISTICS);
  SetShellLauncher(previous);
  ASSERT_EQ(launcher.calls.size(), 2u);
  EXPECT_EQ(launcher.calls[0], "open " + dir.File("Room 4_stats.txt"));
  EXPECT_EQ(launcher.calls[1], launcher.calls[0]);
}

TEST_F(LogViewTest, FontsFollowTheWindowSize) {
  Open(Spec(2, 10), "Room 4.loc", QSize(400, 318));
  EXPECT_EQ(view->Panel()->fontSize(), 10);
  view->resize(1600, 900);
  Paint();
  EXPECT_EQ(view->Panel()->fontSize(), 14);
  EXPECT_EQ(view->Panel()->normalFont().pixelSize(), 14);
  // Every heading fits in its column.
  QFontMetrics bold(view->Panel()->normalFont());
  for (const DrawnText& h : Drawn(DrawnText::kHeading))
    EXPECT_LE(bold.horizontalAdvance(QString::fromStdString(h.text)), h.rect.width() + 2) << h.text;
}

TEST_F(LogViewTest, ABadRecordWarnsOnceAndReadsAsErrorOnlyThere) {
  auto bytes = test::LocationBytes(Spec(2, 5));
  bytes[18 + 2 * 57 + 1 + 2 * 12] = 0x00;  // record 2's tag
  test::MessageRecorder messages;
  OpenBytes(bytes);
  ASSERT_EQ(messages.boxes.size(), 1u);
  EXPECT_EQ(messages.boxes[0].text, path + " holds 1 damaged record; it reads as errors.");
  EXPECT_EQ(Cell(1, 0), "23:51:00");
  EXPECT_EQ(Cell(2, 0), "error");
  EXPECT_EQ(Cell(2, 1), "");
  EXPECT_EQ(Cell(3, 0), "23:53:00");
  EXPECT_EQ(Cell(3, 1), "   20.3");
  // The application and the tool read the same.
  if (!std::getenv("VANTORA_BIN")) GTEST_SKIP() << "VANTORA_BIN not set";
  test::CliRun stats = test::RunVantora("stats " + test::ShellQuote(path), dir);
  EXPECT_EQ(stats.status, 1);
  EXPECT_EQ(test::ReadAll(dir.File("Room 4_stats.txt")), stats.out);
  EXPECT_NE(stats.out.find("Num points=   4\r\n"), std::string::npos) << stats.out;
  test::CliRun copy = test::RunVantora("copy " + test::ShellQuote(path), dir);
  EXPECT_EQ(CopyReadingsText(*doc->LogData(), ColumnSelection()), copy.out);
  EXPECT_NE(copy.out.find("\r\nerror\terror\t    0.0\t    0.0\r\n"), std::string::npos) << copy.out;
}

TEST_F(LogViewTest, ACutLocationShowsItsWholeRecordsAfterOneWarning) {
  auto bytes = test::LocationBytes(Spec(2, 5));
  bytes.resize(bytes.size() - 12 - 5);  // the fourth record is cut, the fifth gone
  test::MessageRecorder messages;
  OpenBytes(bytes);
  ASSERT_EQ(messages.boxes.size(), 1u);
  EXPECT_EQ(messages.boxes[0].text,
            path + " holds 3 of the 5 records its header counts; the rest is missing.");
  EXPECT_EQ(doc->LogData()->RecordCount(), 3);
  EXPECT_EQ(Cell(2, 0), "23:52:00");
  EXPECT_EQ(Cell(3, 0), "<none>");
  EXPECT_EQ(Drawn(DrawnText::kDateLine)[0].text, "01-Jun-2026");
}

TEST_F(LogViewTest, AnUnreadableHeaderGivesNoDocument) {
  path = dir.File("Junk.loc");
  test::WriteBytes(path, {3, 3, 24, 0, 0, 9, 0, 0x20, 9});
  test::MessageRecorder messages;
  CVantoraLogDoc junk;
  EXPECT_FALSE(junk.OnOpenDocument(path));
  ASSERT_EQ(messages.boxes.size(), 1u);
  EXPECT_EQ(messages.boxes[0].text, path + " can not be opened: cut inside its header.");
  EXPECT_EQ(junk.LogData(), nullptr);
  EXPECT_FALSE(FileExists(dir.File("Junk_stats.txt")));
}

}  // namespace
}  // namespace vantora

namespace vantora {
namespace {

TEST_F(LogViewTest, OverRangeFitsItsCellAtEveryFontSize) {
  test::LocationSpec spec = Spec(3, 10);
  spec.records[0].values[1] = -300.0f;  // reads "OverRange"
  for (QSize size : {QSize(420, 260), QSize(800, 560), QSize(1600, 900)}) {
    Open(spec, "Room 4.loc", size);
    ASSERT_EQ(Cell(0, 2), "OverRange");
    QFontMetrics fm(view->Panel()->normalFont());
    for (const DrawnText& t : view->Panel()->drawnTexts()) {
      if (t.kind != DrawnText::kCell && t.kind != DrawnText::kHeading) continue;
      QFont font = view->Panel()->normalFont();
      font.setBold(t.bold);
      EXPECT_GE(t.rect.width(),
                QFontMetrics(font).horizontalAdvance(QString::fromStdString(t.text)))
          << t.text << " at " << size.width() << "x" << size.height();
    }
    view.reset();
    doc->OnCloseDocument();
    doc = nullptr;
  }
}

}  // namespace
}  // namespace vantora

// The exposure window on the sample site, and the limits it reads.
#include <gtest/gtest.h>

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <filesystem>
#include <memory>

#include "app/gui/vantoraapp.h"
#include "common/pathutil.h"
#include "common/profile.h"
#include "exposure/gui/exposurewindow.h"
#include "exposure/gui/limitstore.h"
#include "guisupport/guiapp.h"
#include "location/gui/vantoralogdoc.h"
#include "location/gui/vantoralogview.h"
#include "location/samplesite.h"
#include "model/vocabulary.h"
#include "support/locbytes.h"

namespace vantora::exposure {
namespace {

const char* const kNiosh = "Workplace (NIOSH REL)";

class ExposureWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::GuiApp();
    test::ClearSettings();
    MakeDirectoryPath(SettingsFolder());  // a fresh process has none yet
    std::filesystem::remove(NativePath(UserLimitsPath()));
    ReloadLimits();
    std::string error;
    ASSERT_FALSE(WriteSampleSite(dir.File("site"), error).empty()) << error;
  }
  void TearDown() override {
    app.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    std::filesystem::remove(NativePath(UserLimitsPath()));
  }

  std::string Location(const char* name) const { return dir.File("site/") + name; }
  // Starts VantoraPC on a location and opens its exposure window through
  // the menu command.
  ExposureWindow* Open(const char* name) {
    if (!app) {
      app = std::make_unique<CVantoraApp>();
      if (!app->InitInstance({"VantoraPC", Location(name)})) return nullptr;
    } else if (!app->OpenDocumentFile(Location(name))) {
      return nullptr;
    }
    app->MainFrame()->UpdateCommandUI();
    if (!app->MainFrame()->Action(ID_VIEW_EXPOSURE)->isEnabled()) return nullptr;
    app->MainFrame()->RouteCommand(ID_VIEW_EXPOSURE);
    auto* view = dynamic_cast<CVantoraLogView*>(app->MainFrame()->ActiveView());
    return view ? view->findChild<ExposureWindow*>() : nullptr;
  }
  // The same location assessed without the window.
  static LocationResult Expected(const CLogData& log, const char* set) {
    Recording rec;
    ReadRecording(log, rec);
    LoadedLimits limits = LoadLimitLibrary("", "", TheParamNames().compounds());
    return Assess(rec, limits.library.Find(set), TheParamNames().compounds());
  }
  static CLogData& DataOf(ExposureWindow* w) {
    return *static_cast<CVantoraLogView*>(w->parentWidget())->LogData();
  }
  // The table line of a channel's first row, or -1.
  static int ChannelLine(ExposureWindow* w, const std::string& channel) {
    const auto& rows = w->Table().rows;
    for (std::size_t i = 0; i < rows.size(); ++i)
      if (rows[i].channelRow && rows[i].cells[0] == channel) return static_cast<int>(i);
    return -1;
  }
  static QColor Background(ExposureWindow* w, int line, int column) {
    QTableWidgetItem* item = w->TableWidget()->item(line, column);
    return item && item->background().style() != Qt::NoBrush ? item->background().color()
                                                             : QColor();
  }
  static std::string Verdict(const LocationResult& r, const std::string& channel) {
    for (const ChannelResult& ch : r.channels)
      if (ch.name == channel) return VerdictText(ch.verdict);
    return "<none>";
  }

  test::TempDir dir;
  std::unique_ptr<CVantoraApp> app;
};

constexpr int kLimitColumn = 6, kResultColumn = 7, kVerdictColumn = 8;

TEST_F(ExposureWindowTest, ThePaintStoreUnderTheDefaultAndTheNioshSet) {
  ExposureWindow* w = Open("Paint Store.loc");
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(w->isVisible());
  EXPECT_EQ(w->windowTitle(), "Exposure - Paint Store.loc");
  EXPECT_EQ(w->SetName(), kDefaultLimitSet);
  EXPECT_EQ(w->SetChooser()->currentData().toString().toStdString(), kDefaultLimitSet);
  EXPECT_EQ(w->SetChooser()->count(), 3);
  // Indoor air: the CO 8-hour TWA is below 9 ppm, toluene has no limit.
  EXPECT_EQ(VerdictText(w->Result().verdict), std::string("within"));
  EXPECT_EQ(Verdict(w->Result(), "CO"), "within");
  EXPECT_EQ(Verdict(w->Result(), "Toluene"), "no limits");
  EXPECT_TRUE(w->Summary()->text().contains("Verdict: within"));
  EXPECT_TRUE(w->Summary()->text().contains("Limit set: Indoor air (guideline)"));
  EXPECT_FALSE(w->Notice()->isVisibleTo(w));
  EXPECT_EQ(Background(w, ChannelLine(w, "CO"), kVerdictColumn), VerdictColour(Verdict::Within));
  EXPECT_FALSE(Background(w, ChannelLine(w, "Toluene"), kVerdictColumn).isValid());

  // NIOSH, chosen in the window: toluene over its TWA and STEL, CO over its
  // ceiling. The window shows the table of the same assessment.
  w->SetChooser()->setCurrentIndex(w->SetChooser()->findData(QString(kNiosh)));
  EXPECT_EQ(w->SetName(), kNiosh);
  const LocationResult expected = Expected(DataOf(w), kNiosh);
  EXPECT_EQ(TabSeparatedText(w->Table()), TabSeparatedText(BuildTable(expected)));
  EXPECT_EQ(VerdictText(w->Result().verdict), std::string("exceeded"));
  EXPECT_EQ(Verdict(w->Result(), "CO"), "exceeded");
  EXPECT_EQ(Verdict(w->Result(), "Toluene"), "exceeded");
  EXPECT_EQ(Verdict(w->Result(), "Temperature"), "no limits");
  ASSERT_EQ(w->TableWidget()->rowCount(), static_cast<int>(w->Table().rows.size()));
  for (int r = 0; r < w->TableWidget()->rowCount(); ++r) {
    const TableRow& row = w->Table().rows[static_cast<std::size_t>(r)];
    for (int c = 0; c < w->TableWidget()->columnCount(); ++c)
      EXPECT_EQ(w->TableWidget()->item(r, c)->text().toStdString(), row.cells[c]) << r << c;
    // Exceeded limits in red, the others without colour.
    const QColor limitColour = Background(w, r, kResultColumn);
    EXPECT_EQ(limitColour, row.limitExceeded ? VerdictColour(Verdict::Exceeded) : QColor()) << r;
    EXPECT_EQ(Background(w, r, kLimitColumn), limitColour) << r;
  }
  const int co = ChannelLine(w, "CO");
  ASSERT_GE(co, 0);
  EXPECT_EQ(Background(w, co, kVerdictColumn), VerdictColour(Verdict::Exceeded));
  // Its first limit, the 8-hour TWA, is not exceeded; the ceiling below is.
  EXPECT_FALSE(Background(w, co, kResultColumn).isValid());
  EXPECT_EQ(Background(w, co + 1, kResultColumn), VerdictColour(Verdict::Exceeded));
  EXPECT_TRUE(w->Notes()->toPlainText().contains(
      QString::fromUtf8("Toluene: STEL 150 ppm \xE2\x80\x94 NIOSH Pocket Guide")));
  EXPECT_TRUE(w->Notes()->toPlainText().contains("stricter than the REL"));

  // The choice is kept; a second location opens with it. The command raises
  // the window a location has rather than opening another.
  EXPECT_EQ(Profile::GetUtf8String("Exposure", "LimitSet"), kNiosh);
  ExposureWindow* office = Open("Office 101.loc");
  ASSERT_NE(office, nullptr);
  EXPECT_NE(office, w);
  EXPECT_EQ(office->SetName(), kNiosh);
  app->MainFrame()->RouteCommand(ID_VIEW_EXPOSURE);
  EXPECT_EQ(ExposureWindows().size(), 2u);
  // The window goes with its location.
  app->MainFrame()->MdiArea()->activeSubWindow()->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  ASSERT_EQ(ExposureWindows().size(), 1u);
  EXPECT_EQ(ExposureWindows().front(), w);
  // Without a location the View menu still offers the limits.
  app->MainFrame()->MdiArea()->closeAllSubWindows();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(ExposureWindows().empty());
  ASSERT_EQ(app->MainFrame()->CurrentMenu(), kMainMenu);
  app->MainFrame()->UpdateCommandUI();
  QAction* limits = app->MainFrame()->Action(ID_VIEW_EXPOSURE_LIMITS);
  EXPECT_TRUE(limits->isEnabled());
  bool inViewMenu = false;
  for (QAction* top : app->MainFrame()->menuBar()->actions())
    if (top->text() == "&View" && top->menu()) inViewMenu = top->menu()->actions().contains(limits);
  EXPECT_TRUE(inViewMenu);
}

TEST_F(ExposureWindowTest, CopyAndColoursOfLowerBoundsAndAStaleChoice) {
  // A set that no longer exists falls back to the default.
  Profile::WriteUtf8String("Exposure", "LimitSet", "Gone (deleted)");
  ExposureWindow* w = Open("Boiler Room.loc");
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->SetName(), kDefaultLimitSet);
  // CO read over range: lower bounds, insufficient data in amber.
  const int co = ChannelLine(w, "CO");
  ASSERT_GE(co, 0);
  EXPECT_EQ(Background(w, co, kVerdictColumn), VerdictColour(Verdict::InsufficientData));
  EXPECT_EQ(Background(w, ChannelLine(w, "Room temp"), kVerdictColumn),
            VerdictColour(Verdict::Exceeded));
  test::MessageRecorder messages;
  w->CopyButton()->click();
  const std::string copied = QGuiApplication::clipboard()->text().toStdString();
  EXPECT_EQ(copied, TabSeparatedText(BuildTable(Expected(DataOf(w), kDefaultLimitSet))));
  // The greater-or-equal sign of the lower bounds survives the clipboard.
  EXPECT_NE(copied.find("\xE2\x89\xA5"), std::string::npos);
  ASSERT_EQ(messages.boxes.size(), 1u);
  EXPECT_EQ(messages.boxes[0].text, "Copied to clipboard.");
}

TEST_F(ExposureWindowTest, TheUsersFileReplacesAShippedSetAndItsBadRowsAreReported) {
  ASSERT_TRUE(WriteTextFile(UserLimitsPath(),
                            "set,parameter,kind,value,unit,source\n"
                            "Indoor air (guideline),Toluene,TWA8,50,ppm,house rule\n"
                            "Mine,CO,peak,1,ppm,x\n"
                            "Mine,CO,TWA8,many,ppm,x\n"));
  test::MessageRecorder messages;
  ReloadLimits();
  ASSERT_EQ(messages.boxes.size(), 1u);
  const std::string& box = messages.boxes[0].text;
  EXPECT_NE(box.find("limits.csv:3: kind \"peak\" is none of TWA8, STEL, ceiling, high, low"),
            std::string::npos)
      << box;
  EXPECT_NE(box.find("limits.csv:4: value \"many\" is not a number"), std::string::npos) << box;
  // Nothing changed since: opening a window reads nothing again.
  ExposureWindow* w = Open("Paint Store.loc");
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(messages.boxes.size(), 1u);
  // The user's indoor set replaces the shipped one as a whole.
  EXPECT_EQ(w->SetName(), kDefaultLimitSet);
  EXPECT_EQ(w->SetChooser()->currentText().toStdString(), "Indoor air (guideline) (your set)");
  EXPECT_EQ(Verdict(w->Result(), "Toluene"), "exceeded");
  EXPECT_EQ(Verdict(w->Result(), "Temperature"), "no limits");

  // A file too large to be a limits file is not read; a window opened
  // after the change says so and judges by the shipped sets again.
  std::filesystem::resize_file(NativePath(UserLimitsPath()), 2 * 1024 * 1024);
  ExposureWindow* office = Open("Office 101.loc");
  ASSERT_NE(office, nullptr);
  ASSERT_EQ(messages.boxes.size(), 2u);
  EXPECT_NE(messages.boxes[1].text.find(
                "limits.csv: 2 MB is more than a limits file holds; it was not read"),
            std::string::npos)
      << messages.boxes[1].text;
  EXPECT_EQ(Verdict(w->Result(), "Toluene"), "no limits");
  EXPECT_EQ(w->SetChooser()->currentText().toStdString(), kDefaultLimitSet);
}

TEST_F(ExposureWindowTest, DamagedRecordsAreLeftOutAndSaidSo) {
  test::LocationSpec spec;
  for (const char* name : {"CO", "Temperature"}) {
    test::ChannelSpec ch;
    ch.name = name;
    ch.param = name[0] == 'C' ? 3 : 0;
    ch.unit = name[0] == 'C' ? 4 : 0;
    spec.channels.push_back(ch);
  }
  for (int r = 0; r < 5; ++r) spec.records.push_back({static_cast<std::uint32_t>(r * 60), {5, 21}});
  auto bytes = test::LocationBytes(spec);
  bytes[18 + 2 * 57 + 1 + 2 * 12] = 0x00;  // record 2's tag
  test::WriteBytes(Location("Damaged.loc"), bytes);
  test::MessageRecorder messages;  // the location's own warning at opening
  ExposureWindow* w = Open("Damaged.loc");
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->Result().records, 4);
  EXPECT_TRUE(w->Notice()->isVisibleTo(w));
  EXPECT_EQ(w->Notice()->text().toStdString(),
            "1 record of this location could not be read and is left out of every result.");
}

}  // namespace
}  // namespace vantora::exposure

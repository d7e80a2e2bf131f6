// The notebook as the user reaches it in a running VantoraPC: the Notebook
// and Documents commands, and the note icons of the location view.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <memory>

#include "app/gui/vantoraapp.h"
#include "common/gui/framework.h"
#include "common/profile.h"
#include "guisupport/guiapp.h"
#include "integrity/auditgen.h"
#include "integrity/gui/auditfiledialog.h"
#include "location/gui/hotspotlist.h"
#include "location/gui/vantoralogdoc.h"
#include "location/gui/vantoralogview.h"
#include "notebook/gui/documentsdialog.h"
#include "notebook/gui/eventsdialog.h"
#include "notebook/gui/notebookdialog.h"
#include "notebook/gui/notepicker.h"
#include "notebookguitest.h"
#include "support/locbytes.h"

namespace vantora {
namespace {

using test::WhenShown;

test::LocationSpec Spec() {
  test::LocationSpec spec;
  test::ChannelSpec ch;
  ch.name = "Temp";
  ch.param = 1;
  ch.unit = 1;
  spec.channels.push_back(ch);
  for (int r = 0; r < 5; ++r) spec.records.push_back({static_cast<std::uint32_t>(r * 60), {20.5f}});
  return spec;
}

TEST(NotebookWiring, CommandsAreRegistered) {
  EXPECT_TRUE(HasRegisteredCommand("CVantoraLogDoc", ID_FILE_NOTEBOOK));
  EXPECT_TRUE(HasRegisteredCommand(kAppScope, ID_FILE_DOCUMENTS));
}

class RunningAppTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::GuiApp();
    test::ClearSettings();
    oldDir = QDir::currentPath();
  }
  void TearDown() override {
    app.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QDir::setCurrent(oldDir);
  }
  std::string WriteLocation() {
    std::string loc = dir.File("Room 4.loc");
    test::WriteBytes(loc, test::LocationBytes(Spec()));
    return loc;
  }
  void Start(const std::string& loc) {
    app = std::make_unique<CVantoraApp>();
    ASSERT_TRUE(app->InitInstance({"VantoraPC", loc}));
    frame = app->MainFrame();
    view = dynamic_cast<CVantoraLogView*>(frame->ActiveView());
    ASSERT_NE(view, nullptr);
    view->resize(800, 500);
    view->grab();
  }
  // Clicks the note icon with this bitmap number; false when not drawn.
  bool ClickIcon(int bitmap) {
    view->grab();
    for (int i = 0; i < view->hotSpots.Count(); ++i) {
      if (view->hotSpots.TypeAt(i) == HotSpotList::kNoteIcon &&
          view->hotSpots.ValueAt(i) == bitmap) {
        view->Click(view->hotSpots.RectAt(i).center());
        return true;
      }
    }
    return false;
  }

  test::TempDir dir;
  test::DesktopRecorder desktop;
  QString oldDir;
  std::unique_ptr<CVantoraApp> app;
  CMainFrame* frame = nullptr;
  CVantoraLogView* view = nullptr;
};

TEST_F(RunningAppTest, NotebookMenuCreatesAndOpensANote) {
  std::string loc = WriteLocation();
  Start(loc);
  frame->UpdateCommandUI();
  ASSERT_TRUE(frame->Action(ID_FILE_NOTEBOOK)->isEnabled());
  WhenShown<NotebookDialog>([](NotebookDialog& d) {
    d.SelectKind(NoteKind::Text);
    d.CreateButton()->click();
  });
  frame->Action(ID_FILE_NOTEBOOK)->trigger();
  EXPECT_EQ(desktop.opened, std::vector<std::string>{dir.File("Room 4.txt")});
  // The new note's icon is drawn and opens it again.
  ASSERT_TRUE(ClickIcon(kIconText));
  EXPECT_EQ(desktop.opened.size(), 2u);
}

TEST_F(RunningAppTest, TemplatesIconOpensThePicker) {
  std::string loc = WriteLocation();
  test::WriteBytes(dir.File("Room 4 Fan Test.rtf"), {'r'});
  Start(loc);
  WhenShown<AttachedNotesPicker>([](AttachedNotesPicker& p) {
    EXPECT_EQ(p.windowTitle().toStdString(), "Attached templates:");
    p.List()->setCurrentRow(0);
    p.ViewButton()->click();
  });
  ASSERT_TRUE(ClickIcon(kIconTemplates));
  EXPECT_EQ(desktop.opened, std::vector<std::string>{dir.File("Room 4 Fan Test.rtf")});
}

TEST_F(RunningAppTest, EventAndAuditIconsOpenTheirDialogs) {
  std::string loc = WriteLocation();
  test::Bytes events;
  events.U8(100);
  for (int v : {9, 15, 0, 0, 2, 6}) events.U8(v);
  events.U16(2026);
  events.U16(4);
  for (char c : std::string("Door")) events.U8(c);
  test::WriteBytes(dir.File("Room 4.evt"), events.data);
  // Lock the location as it now stands.
  std::string bytes = test::ReadAll(loc);
  test::MakeLockedLocation(dir.path(), test::AuditSpec{}, bytes);
  Start(loc);
  int lines = -1;
  WhenShown<EventsDialog>([&lines](EventsDialog& d) {
    lines = d.List()->count();
    d.accept();
  });
  ASSERT_TRUE(ClickIcon(kIconEvent));
  EXPECT_EQ(lines, 1);
  std::string status;
  WhenShown<AuditFileDialog>([&status](AuditFileDialog& d) {
    status = d.StatusLabel()->text().toStdString();
    d.accept();
  });
  ASSERT_TRUE(ClickIcon(kIconAudit));
  EXPECT_EQ(status, "CRC32 Check OK");
}

TEST_F(RunningAppTest, DocumentsMenuShowsTheLibrary) {
  Profile::WriteString("Directories", "Documents", dir.File("docs") + "/");
  std::string loc = WriteLocation();
  Start(loc);
  int entries = -1;
  WhenShown<DocumentsDialog>([&entries](DocumentsDialog& d) {
    entries = d.List()->count();
    d.reject();
  });
  frame->Action(ID_FILE_DOCUMENTS)->trigger();
  EXPECT_EQ(entries, 5);  // the hint of an empty library
}

}  // namespace
}  // namespace vantora

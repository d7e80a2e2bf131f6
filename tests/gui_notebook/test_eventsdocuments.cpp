#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QListWidget>
#include <QPushButton>
#include <filesystem>

#include "common/profile.h"
#include "guisupport/guiapp.h"
#include "notebook/gui/documentsdialog.h"
#include "notebook/gui/eventsdialog.h"
#include "notebookguitest.h"
#include "support/locbytes.h"

namespace vantora {
namespace {

using test::Texts;

namespace fs = std::filesystem;
using test::TempDir;

void PutEvent(test::Bytes& b, int day, int hour, const std::string& text) {
  b.U8(100);
  for (int v : {hour, 30, 0, 0, day, 3}) b.U8(v);
  b.U16(2026);
  b.U16(static_cast<int>(text.size()));
  for (char c : text) b.U8(static_cast<unsigned char>(c));
}

class EventsDialogTest : public ::testing::Test {
 protected:
  void SetUp() override { test::GuiApp(); }
  TempDir dir;
};

TEST_F(EventsDialogTest, ListsEventsAndCopiesThem) {
  test::Bytes b;
  PutEvent(b, 6, 9, "Door opened");
  PutEvent(b, 7, 17, "Caf\xE9 fan off");
  b.U8(1);  // stray byte: the list ends here
  test::WriteBytes(dir.File("Room 4.evt"), b.data);
  EventsDialog dialog(dir.File("Room 4.evt"));
  EXPECT_EQ(dialog.windowTitle().toStdString(), "Events");
  EXPECT_EQ(Texts(dialog.List()),
            (std::vector<std::string>{"06-Mar-2026 09:30:00 Door opened",
                                      "07-Mar-2026 17:30:00 Caf\xC3\xA9 fan off"}));
  EXPECT_EQ(dialog.List()->selectionMode(), QAbstractItemView::NoSelection);
  EXPECT_FALSE(dialog.AddButton()->isEnabled());
  dialog.CopyButton()->click();
  EXPECT_EQ(dialog.CopyText(),
            "06-Mar-2026 09:30:00 Door opened\r\n07-Mar-2026 17:30:00 Caf\xE9 fan off\r\n");
  EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(),
            "06-Mar-2026 09:30:00 Door opened\r\n07-Mar-2026 17:30:00 Caf\xC3\xA9 fan off\r\n");
}

TEST_F(EventsDialogTest, EmptyOrMissingFileGivesAnEmptyList) {
  test::WriteBytes(dir.File("e.evt"), {});
  EventsDialog empty(dir.File("e.evt"));
  EXPECT_EQ(empty.List()->count(), 0);
  QGuiApplication::clipboard()->setText("before");
  empty.CopyButton()->click();
  EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), "");
  EventsDialog missing(dir.File("none.evt"));
  EXPECT_EQ(missing.List()->count(), 0);
}

class DocumentsDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::GuiApp();
    test::ClearSettings();
    folder = dir.File("Documents") + "/";
    Profile::WriteString("Directories", "Documents", folder);
  }
  TempDir dir;
  std::string folder;
  test::DesktopRecorder desktop;
};

TEST_F(DocumentsDialogTest, EmptyFolderShowsTheFiveLineHint) {
  DocumentsDialog dialog;
  EXPECT_TRUE(fs::is_directory(folder));  // created on filling
  EXPECT_EQ(dialog.windowTitle().toStdString(), "Select Document");
  EXPECT_EQ(
      Texts(dialog.List()),
      (std::vector<std::string>{"No documents loaded.", " ", "Use the GET DOCUMENTS button to",
                                "select desired Documents from", "your computer."}));
  EXPECT_FALSE(dialog.List()->isEnabled());
  dialog.OpenButton()->click();
  EXPECT_TRUE(desktop.opened.empty());
}

TEST_F(DocumentsDialogTest, SystemFilesAreHiddenAndTheChosenOneOpens) {
  fs::create_directories(folder);
  test::WriteBytes(folder + "Guide.pdf", {'x'});
  test::WriteBytes(folder + "Thumbs.db", {'x'});
  test::WriteBytes(folder + ".hidden", {'x'});
  fs::create_directories(folder + "sub");
  DocumentsDialog dialog;
  EXPECT_EQ(Texts(dialog.List()), std::vector<std::string>{"Guide.pdf"});
  EXPECT_TRUE(dialog.List()->isEnabled());
  dialog.List()->setCurrentRow(0);
  dialog.OpenButton()->click();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(desktop.opened, std::vector<std::string>{folder + "Guide.pdf"});
}

TEST_F(DocumentsDialogTest, GetDocumentsCopiesAndReplaces) {
  TempDir source;
  test::WriteBytes(source.File("Manual.txt"), {'n', 'e', 'w'});
  fs::create_directories(folder);
  test::WriteBytes(folder + "Manual.txt", {'o', 'l', 'd'});
  DocumentsDialog dialog;
  desktop.answers = {IDCANCEL};
  dialog.GetDocumentsButton()->click();
  ASSERT_EQ(desktop.boxes.size(), 1u);
  EXPECT_EQ(desktop.boxes[0].text,
            "Use the following dialog box to select files from any folder on your system.\n"
            "The files will then be available from the Vantora File \\ Documents menu.");
  EXPECT_EQ(desktop.boxes[0].icon, MsgIcon::Information);
  EXPECT_EQ(desktop.boxes[0].buttons, MsgButtons::OkCancel);
  EXPECT_TRUE(desktop.filters.empty());
  desktop.answers = {IDOK};
  desktop.chosen = source.File("Manual.txt");
  dialog.GetDocumentsButton()->click();
  EXPECT_EQ(desktop.filters,
            std::vector<std::string>{"Document Files |*.xls; *.doc; *.htm; *.html; *.pdf; *.txt; "
                                     "*.rtf|All Files (*.*)|*.*|"});
  EXPECT_EQ(test::ReadAll(folder + "Manual.txt"), "new");
  EXPECT_EQ(Texts(dialog.List()), std::vector<std::string>{"Manual.txt"});
  // A file that cannot be copied.
  desktop.chosen = source.File("gone.txt");
  dialog.GetDocumentsButton()->click();
  EXPECT_EQ(desktop.boxes.back().text,
            "Error copying file.\n" + source.File("gone.txt") + ": No such file or directory");
  EXPECT_EQ(desktop.boxes.back().icon, MsgIcon::Exclamation);
}

TEST_F(DocumentsDialogTest, NoFolderSettingMeansHintAndCopyError) {
  Profile::Remove("Directories", "Documents");
  TempDir source;
  test::WriteBytes(source.File("a.txt"), {'a'});
  DocumentsDialog dialog;
  EXPECT_EQ(dialog.List()->count(), 5);
  EXPECT_FALSE(dialog.List()->isEnabled());
  desktop.chosen = source.File("a.txt");
  dialog.GetDocumentsButton()->click();
  EXPECT_EQ(desktop.boxes.back().text, "Error copying file.");
}

}  // namespace
}  // namespace vantora

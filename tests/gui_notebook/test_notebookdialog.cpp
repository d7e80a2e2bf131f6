#include <gtest/gtest.h>

#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <filesystem>

#include "common/pathutil.h"
#include "common/profile.h"
#include "guisupport/guiapp.h"
#include "notebook/gui/notebookdialog.h"
#include "notebook/gui/notebookgui.h"
#include "notebook/gui/notepicker.h"
#include "notebookguitest.h"
#include "support/locbytes.h"

namespace vantora {
namespace {

using test::Texts;

using test::WhenShown;

namespace fs = std::filesystem;
using test::TempDir;

void Touch(const std::string& path, const std::string& text = "x") {
  test::WriteBytes(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

class NotebookDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::GuiApp();
    test::ClearSettings();
    loc = dir.File("Room 4.loc");
    Touch(loc);
  }
  TempDir dir;
  std::string loc;
  test::DesktopRecorder desktop;
};

TEST_F(NotebookDialogTest, CaptionKindsAndInitialButtons) {
  NotebookDialog dialog(nullptr, loc);
  EXPECT_EQ(dialog.windowTitle().toStdString(), "Notebook: " + AbbreviatePath(loc, 33));
  EXPECT_EQ(Texts(dialog.KindList()),
            (std::vector<std::string>{"Text", "Drawing", "Templates", "Audio", "Photo", "Event",
                                      "Custom Note"}));
  EXPECT_FALSE(dialog.KindList()->item(0)->icon().isNull());
  EXPECT_EQ(dialog.CurrentKind(), NoteKind::None);
  EXPECT_FALSE(dialog.TemplateList()->isEnabled());
  EXPECT_FALSE(dialog.EditButton()->isEnabled());
  EXPECT_FALSE(dialog.CreateButton()->isEnabled());
  EXPECT_FALSE(dialog.DeleteButton()->isEnabled());
}

TEST_F(NotebookDialogTest, CreateAMissingNote) {
  NotebookDialog dialog(nullptr, loc);
  dialog.SelectKind(NoteKind::Text);
  EXPECT_EQ(dialog.CurrentKind(), NoteKind::Text);
  EXPECT_TRUE(dialog.CreateButton()->isEnabled());
  EXPECT_FALSE(dialog.EditButton()->isEnabled());
  EXPECT_FALSE(dialog.DeleteButton()->isEnabled());
  dialog.CreateButton()->click();
  EXPECT_EQ(dialog.result(), NotebookDialog::kEditResult);
}

TEST_F(NotebookDialogTest, EditAndDeleteWithItsQuestion) {
  Touch(dir.File("Room 4_photo1.jpg"));
  NotebookDialog dialog(nullptr, loc);
  dialog.SelectKind(NoteKind::Photo);
  EXPECT_TRUE(dialog.EditButton()->isEnabled());
  EXPECT_TRUE(dialog.DeleteButton()->isEnabled());
  EXPECT_FALSE(dialog.CreateButton()->isEnabled());
  desktop.answers = {IDNO};
  dialog.DeleteButton()->click();
  ASSERT_EQ(desktop.boxes.size(), 1u);
  EXPECT_EQ(desktop.boxes[0].text, "DELETE: Are you sure you want to to remove the Photo note?");
  EXPECT_EQ(desktop.boxes[0].icon, MsgIcon::Question);
  EXPECT_EQ(desktop.boxes[0].buttons, MsgButtons::YesNo);
  EXPECT_TRUE(fs::exists(dir.File("Room 4_photo1.jpg")));
  desktop.answers = {IDYES};
  dialog.DeleteButton()->click();
  EXPECT_FALSE(fs::exists(dir.File("Room 4_photo1.jpg")));
  EXPECT_FALSE(dialog.EditButton()->isEnabled());
  EXPECT_TRUE(dialog.CreateButton()->isEnabled());
  // Switching kind refreshes the buttons.
  Touch(dir.File("Room 4.evt"), "");
  dialog.SelectKind(NoteKind::Event);
  EXPECT_TRUE(dialog.EditButton()->isEnabled());
  dialog.EditButton()->click();
  EXPECT_EQ(dialog.result(), NotebookDialog::kEditResult);
}

TEST_F(NotebookDialogTest, TemplatesHintWithoutTemplates) {
  std::string folder = dir.File("templates") + "/";
  Profile::WriteString("Directories", "Templates", folder);
  NotebookDialog dialog(nullptr, loc);
  dialog.SelectKind(NoteKind::Template);
  EXPECT_EQ(Texts(dialog.TemplateList()),
            (std::vector<std::string>{"Templates not available.", "Place templates in:", folder}));
  EXPECT_FALSE(dialog.TemplateList()->isEnabled());
  EXPECT_FALSE(dialog.CreateButton()->isEnabled());
  // The whole folder shows.
  dialog.show();
  QCoreApplication::processEvents();
  QListWidget* list = dialog.TemplateList();
  QRect line = list->visualItemRect(list->item(2));
  EXPECT_GE(line.width(), list->fontMetrics().horizontalAdvance(QString::fromStdString(folder)));
  EXPECT_LE(line.right(), list->viewport()->width());
  // Leaving the kind empties the list again.
  dialog.SelectKind(NoteKind::Audio);
  EXPECT_EQ(dialog.TemplateList()->count(), 0);
}

TEST_F(NotebookDialogTest, CreateFromATemplateAndTheOverwriteQuestion) {
  std::string folder = dir.File("templates");
  fs::create_directories(folder);
  Touch(folder + "/Fan Test.rtf", "TEMPLATE");
  Touch(folder + "/Plan.2005.rtf");
  Touch(folder + "/Other.doc");
  Profile::WriteString("Directories", "Templates", folder);
  {
    NotebookDialog dialog(nullptr, loc);
    dialog.SelectKind(NoteKind::Template);
    EXPECT_EQ(Texts(dialog.TemplateList()), (std::vector<std::string>{"Fan Test", "Plan"}));
    EXPECT_TRUE(dialog.TemplateList()->isEnabled());
    EXPECT_FALSE(dialog.CreateButton()->isEnabled());
    dialog.TemplateList()->setCurrentRow(0);
    EXPECT_EQ(dialog.TemplateName(), "Fan Test");
    EXPECT_TRUE(dialog.CreateButton()->isEnabled());
    EXPECT_FALSE(dialog.EditButton()->isEnabled());
    dialog.CreateButton()->click();
    EXPECT_EQ(dialog.result(), NotebookDialog::kEditResult);
    EXPECT_EQ(test::ReadAll(dir.File("Room 4 Fan Test.rtf")), "TEMPLATE");
    EXPECT_TRUE(desktop.boxes.empty());
  }
  Touch(dir.File("Room 4 Fan Test.rtf"), "EDITED");
  NotebookDialog again(nullptr, loc);
  again.SelectKind(NoteKind::Template);
  again.TemplateList()->setCurrentRow(0);
  EXPECT_TRUE(again.EditButton()->isEnabled());
  desktop.answers = {IDNO};
  again.CreateButton()->click();
  ASSERT_EQ(desktop.boxes.size(), 1u);
  EXPECT_EQ(desktop.boxes[0].text,
            "A template for this location already exists.\nWould you like to overwrite it?");
  EXPECT_EQ(again.result(), QDialog::Rejected);
  EXPECT_EQ(test::ReadAll(dir.File("Room 4 Fan Test.rtf")), "EDITED");
}

TEST_F(NotebookDialogTest, RunNotebookDialogOpensTheChosenNote) {
  Notebook nb;
  WhenShown<NotebookDialog>([](NotebookDialog& d) {
    d.SelectKind(NoteKind::Text);
    d.Create();
  });
  EXPECT_TRUE(RunNotebookDialog(nb, loc, nullptr));
  EXPECT_EQ(nb.LocationPath(), loc);
  EXPECT_TRUE(fs::exists(dir.File("Room 4.txt")));
  EXPECT_EQ(desktop.opened, std::vector<std::string>{dir.File("Room 4.txt")});
  // Closing the dialog opens nothing.
  WhenShown<NotebookDialog>([](NotebookDialog& d) { d.reject(); });
  EXPECT_FALSE(RunNotebookDialog(nb, loc, nullptr));
  EXPECT_EQ(desktop.opened.size(), 1u);
}

TEST_F(NotebookDialogTest, AudioRecordingNeedsARecorder) {
  Notebook nb;
  nb.SetLocation(loc);
  nb.OpenNote(NoteKind::Audio);
  ASSERT_EQ(desktop.boxes.size(), 1u);
  EXPECT_EQ(desktop.boxes[0].text.rfind("Can not execute " + dir.File("Room 4.wav"), 0), 0u);
  // No empty recording is left to show as a note.
  EXPECT_FALSE(fs::exists(dir.File("Room 4.wav")));
  EXPECT_FALSE(nb.HasNote(NoteKind::Audio));
  EXPECT_NE(desktop.boxes[0].text.find("Recorder"), std::string::npos);
  EXPECT_EQ(desktop.boxes[0].icon, MsgIcon::Exclamation);
  Profile::WriteString("Directories", "Recorder", "/usr/bin/recorder");
  fs::remove(dir.File("Room 4.wav"));
  nb.OpenNote(NoteKind::Audio);
  nb.OpenNote(NoteKind::Audio);  // now it exists: played by the desktop
  EXPECT_EQ(desktop.started,
            std::vector<std::string>{"/usr/bin/recorder [" + dir.File("Room 4.wav") + "]"});
  EXPECT_EQ(desktop.opened, std::vector<std::string>{dir.File("Room 4.wav")});
}

TEST_F(NotebookDialogTest, PaintProgramStartsWithTheDrawing) {
  Profile::WriteString("Directories", "MSPaint", "/opt/paint");
  Notebook nb;
  nb.SetLocation(loc);
  nb.OpenNote(NoteKind::Drawing);
  EXPECT_EQ(desktop.started,
            std::vector<std::string>{"/opt/paint [" + dir.File("Room 4.bmp") + "]"});
}

TEST_F(NotebookDialogTest, AttachThroughTheFileDialog) {
  TempDir source;
  Touch(source.File("report.pdf"), "PDF");
  desktop.chosen = source.File("report.pdf");
  Notebook nb;
  nb.SetLocation(loc);
  nb.OpenNote(NoteKind::CustomNote);
  EXPECT_EQ(desktop.filters, std::vector<std::string>{"All Files |*.*|"});
  EXPECT_EQ(test::ReadAll(dir.File("Room 4_user1.pdf")), "PDF");
  nb.OpenNote(NoteKind::CustomNote);
  EXPECT_EQ(desktop.opened, std::vector<std::string>{dir.File("Room 4_user1.pdf")});
}

TEST_F(NotebookDialogTest, PickerEnablesViewOnSelection) {
  AttachedNotesPicker picker("Attached templates:", {"Fan Test", "Plan"});
  EXPECT_EQ(picker.windowTitle().toStdString(), "Attached templates:");
  EXPECT_EQ(Texts(picker.List()), (std::vector<std::string>{"Fan Test", "Plan"}));
  EXPECT_FALSE(picker.ViewButton()->isEnabled());
  picker.List()->setCurrentRow(1);
  EXPECT_TRUE(picker.ViewButton()->isEnabled());
  EXPECT_EQ(picker.Chosen(), "Plan");
  picker.List()->clearSelection();
  EXPECT_FALSE(picker.ViewButton()->isEnabled());
}

TEST_F(NotebookDialogTest, ResultsPickerOpensTheChosenReport) {
  Touch(dir.File("Room 4.htm"));
  Touch(dir.File("Room 4 Fan Test.htm"));
  Notebook nb;
  nb.SetLocation(loc);
  WhenShown<AttachedNotesPicker>([](AttachedNotesPicker& p) {
    EXPECT_EQ(p.windowTitle().toStdString(), "Attached results:");
    p.List()->setCurrentRow(1);
    p.ViewButton()->click();
  });
  EXPECT_TRUE(ShowAttachedNotes(nb, NoteKind::Results, nullptr));
  EXPECT_EQ(desktop.opened, std::vector<std::string>{dir.File("Room 4.htm")});
  WhenShown<AttachedNotesPicker>([](AttachedNotesPicker& p) { p.reject(); });
  EXPECT_FALSE(ShowAttachedNotes(nb, NoteKind::Results, nullptr));
}

TEST_F(NotebookDialogTest, NoteIconsAreDrawnWithoutTheirGreenBackground) {
  NotebookDialog dialog(nullptr, loc);
  dialog.show();
  QCoreApplication::processEvents();
  auto* kinds = dialog.findChild<QListWidget*>("1038");
  ASSERT_NE(kinds, nullptr);
  QImage shot = kinds->grab().toImage().convertToFormat(QImage::Format_RGB32);
  int green = 0;
  for (int y = 0; y < shot.height(); ++y)
    for (int x = 0; x < shot.width(); ++x)
      if (shot.pixel(x, y) == qRgb(0, 255, 0)) ++green;
  EXPECT_EQ(green, 0);
  // The icons themselves are drawn (something other than the background).
  QImage icon = kinds->item(0)->icon().pixmap(16, 16).toImage();
  EXPECT_TRUE(icon.hasAlphaChannel());
}

}  // namespace
}  // namespace vantora

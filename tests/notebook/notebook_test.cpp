#include "notebook/notebook.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#ifndef _WIN32
#include <unistd.h>
#endif

#include <filesystem>

#include "common/pathutil.h"
#include "common/profile.h"
#include "notebook/filesearch.h"
#include "notebook_support.h"
#include "support/locbytes.h"

namespace vantora {
namespace {

using test::ReadAll;
using test::RecordingLauncher;
using test::TempDir;
using test::WriteBytes;

namespace fs = std::filesystem;

void Touch(const std::string& path, const std::string& text = "x") {
  WriteBytes(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

class NotebookTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Profile::Remove("Report", "Ext");
    Profile::Remove("Directories", "MSPaint");
    Profile::Remove("Directories", "Program");
    loc = dir.File("Room 4.loc");
    Touch(loc);
  }
  TempDir dir;
  std::string loc;
  RecordingLauncher shell;
};

TEST(NoteKinds, IconsMapBothWays) {
  const std::pair<NoteKind, int> expected[] = {
      {NoteKind::Text, 135},       {NoteKind::Cal, 162},     {NoteKind::Template, 163},
      {NoteKind::Audio, 136},      {NoteKind::Drawing, 137}, {NoteKind::Results, 140},
      {NoteKind::Statistics, 127}, {NoteKind::Event, 205},   {NoteKind::CustomNote, 203},
      {NoteKind::Photo, 165},      {NoteKind::Audit, 167}};
  for (auto [kind, bitmap] : expected) {
    EXPECT_EQ(NoteIconBitmap(kind), bitmap);
    NoteKind back = NoteKind::None;
    auto action = NoteIconActionOf(bitmap, back);
    if (bitmap == 163) {
      EXPECT_EQ(action, NoteIconAction::TemplatesPicker);
    } else if (bitmap == 140) {
      EXPECT_EQ(action, NoteIconAction::ResultsPicker);
    } else {
      EXPECT_EQ(action, NoteIconAction::OpenNote);
      EXPECT_EQ(back, kind);
    }
  }
  NoteKind none = NoteKind::Text;
  EXPECT_EQ(NoteIconActionOf(999, none), NoteIconAction::None);
  EXPECT_EQ(none, NoteKind::None);
  ASSERT_EQ(PanelNoteIcons().size(), 11u);
  EXPECT_EQ(PanelNoteIcons()[2].bitmap, 163);
  EXPECT_TRUE(PanelNoteIcons()[2].anyOfKind);
  EXPECT_EQ(PanelNoteIcons()[10].kind, NoteKind::Audit);
  EXPECT_EQ(NoteKindListName(NoteKind::CustomNote), "Custom Note");
  EXPECT_EQ(NoteKindListName(NoteKind::Template), "Templates");
  EXPECT_EQ(NoteKindListName(NoteKind::Statistics), "");
}

TEST_F(NotebookTest, FileNamesOfEveryKind) {
  Notebook nb;
  EXPECT_EQ(nb.NoteFile(NoteKind::Text), "");  // no location yet
  nb.SetLocation("C:\\Sites\\Plant\\Room 4.loc");
  EXPECT_TRUE(nb.HasLocation());
  EXPECT_EQ(nb.NoteFile(NoteKind::Text), "C:\\Sites\\Plant\\Room 4.txt");
  EXPECT_EQ(nb.NoteFile(NoteKind::Cal), "C:\\Sites\\Plant\\Room 4.cal");
  EXPECT_EQ(nb.NoteFile(NoteKind::Audio), "C:\\Sites\\Plant\\Room 4.wav");
  EXPECT_EQ(nb.NoteFile(NoteKind::Drawing), "C:\\Sites\\Plant\\Room 4.bmp");
  EXPECT_EQ(nb.NoteFile(NoteKind::Statistics), "C:\\Sites\\Plant\\Room 4_stats.txt");
  EXPECT_EQ(nb.NoteFile(NoteKind::Event), "C:\\Sites\\Plant\\Room 4.evt");
  EXPECT_EQ(nb.NoteFile(NoteKind::Audit), "C:\\Sites\\Plant\\Room 4.lck");
  EXPECT_EQ(nb.NoteFile(NoteKind::Results), "C:\\Sites\\Plant\\Room 4.htm");
  EXPECT_EQ(nb.NoteFile(NoteKind::CustomNote), "");
  EXPECT_EQ(nb.NoteFile(NoteKind::Photo), "");
  EXPECT_EQ(nb.NoteFile(static_cast<NoteKind>(12)), "");
  nb.SetTemplateName("Fan Test  ");
  EXPECT_EQ(nb.NoteFile(NoteKind::Template), "C:\\Sites\\Plant\\Room 4 Fan Test.rtf");
  EXPECT_EQ(nb.NoteFile(NoteKind::Results), "C:\\Sites\\Plant\\Room 4 Fan Test.htm");
  nb.SetTemplateName("");
  EXPECT_EQ(nb.NoteFile(NoteKind::Template), "C:\\Sites\\Plant\\Room 4.rtf");
  // Setting the location again forgets the template name.
  nb.SetTemplateName("X");
  nb.SetLocation("C:\\Sites\\Plant\\Room 4.loc");
  EXPECT_EQ(nb.TemplateName(), "");
  nb.Reset();
  EXPECT_FALSE(nb.HasLocation());
  EXPECT_EQ(nb.NoteFile(NoteKind::Text), "");
}

TEST_F(NotebookTest, TemplateExtensionFromProfileWithoutLeadingDot) {
  Profile::WriteString("Report", "Ext", ".doc");
  Notebook nb;
  nb.SetLocation(loc);
  EXPECT_EQ(nb.NoteExtension(NoteKind::Template), "doc");
  Profile::Remove("Report", "Ext");
  nb.SetLocation(loc);
  EXPECT_EQ(nb.NoteExtension(NoteKind::Template), "rtf");
}

TEST_F(NotebookTest, AuditFileCutsAtTheFileNamesFirstDot) {
  Notebook nb;
  nb.SetLocation("C:\\Data.2005\\Room.loc");
  EXPECT_EQ(nb.NoteFile(NoteKind::Audit), "C:\\Data.2005\\Room.lck");
}

TEST_F(NotebookTest, HasNoteFollowsTheFiles) {
  Notebook nb;
  nb.SetLocation(loc);
  EXPECT_FALSE(nb.HasNote(NoteKind::Text));
  Touch(dir.File("Room 4.txt"));
  EXPECT_TRUE(nb.HasNote(NoteKind::Text));
  fs::remove(dir.File("Room 4.txt"));
  EXPECT_FALSE(nb.HasNote(NoteKind::Text));
  // An empty audit file is not a lock.
  Touch(dir.File("Room 4.lck"), "");
  EXPECT_FALSE(nb.HasNote(NoteKind::Audit));
  // An attachment is found by its prefix and index whatever its extension.
  EXPECT_FALSE(nb.HasNote(NoteKind::Photo));
  Touch(dir.File("Room 4_photo1.JPG"));
  EXPECT_TRUE(nb.HasNote(NoteKind::Photo));
  EXPECT_EQ(nb.FindAttachment(NoteKind::Photo, 1), dir.path() + "/" + "Room 4_photo1.JPG");
  EXPECT_EQ(nb.FindAttachment(NoteKind::Photo, 2), "");
  EXPECT_FALSE(nb.HasNote(NoteKind::CustomNote));
}

TEST_F(NotebookTest, TemplatesAndResultsOfAnyName) {
  Notebook nb;
  nb.SetLocation(loc);
  EXPECT_FALSE(nb.AnyNoteOfKind(NoteKind::Template));
  Touch(dir.File("Room 4 Fan Test.rtf"));
  Touch(dir.File("Room 4  Plan .rtf"));
  Touch(dir.File("Room 4.htm"));
  Touch(dir.File("Other Fan Test.rtf"));
  EXPECT_TRUE(nb.AnyNoteOfKind(NoteKind::Template));
  EXPECT_TRUE(nb.AnyNoteOfKind(NoteKind::Results));
  EXPECT_FALSE(nb.AnyNoteOfKind(NoteKind::Audio));
  std::vector<std::string> names{"stale"};
  nb.ListNotesOfKind(NoteKind::Template, names);
  EXPECT_EQ(names, (std::vector<std::string>{"Plan", "Fan Test"}));  // file-name order
  nb.ListNotesOfKind(NoteKind::Results, names);
  EXPECT_EQ(names, (std::vector<std::string>{""}));
  nb.ListNotesOfKind(NoteKind::Photo, names);
  EXPECT_TRUE(names.empty());
}

TEST_F(NotebookTest, AudioIsRecordedWhenNewAndPlayedAfterwards) {
  Notebook nb;
  nb.SetLocation(loc);
  nb.OpenNote(NoteKind::Audio);
  std::string wav = dir.File("Room 4.wav");
  EXPECT_TRUE(FileIsEmpty(wav));
  nb.OpenNote(NoteKind::Audio);
  EXPECT_EQ(shell.calls, (std::vector<std::string>{"record " + wav, "play " + wav}));
  EXPECT_TRUE(shell.messages.empty());
}

TEST_F(NotebookTest, ShellFailureSaysWhichFile) {
  Notebook nb;
  nb.SetLocation(loc);
  shell.verbWorks = false;
  nb.OpenNote(NoteKind::Text);
  ASSERT_EQ(shell.messages.size(), 1u);
  EXPECT_EQ(shell.messages[0].rfind("Can not execute " + dir.File("Room 4.txt"), 0), 0u);
}

TEST_F(NotebookTest, EventAndAuditOpenTheirDialogs) {
  Notebook nb;
  nb.SetLocation(loc);
  nb.OpenNote(NoteKind::Event);
  nb.OpenNote(NoteKind::Audit);
  EXPECT_EQ(shell.calls,
            (std::vector<std::string>{"events " + dir.File("Room 4.evt"), "audit " + loc}));
  // Both leave an empty file; the empty audit file still means "not locked".
  EXPECT_TRUE(FileIsEmpty(dir.File("Room 4.evt")));
  EXPECT_TRUE(FileIsEmpty(dir.File("Room 4.lck")));
  EXPECT_FALSE(nb.HasNote(NoteKind::Audit));
  EXPECT_TRUE(nb.HasNote(NoteKind::Event));
}

TEST_F(NotebookTest, NewDrawingStartsFromTheBlankAndOpensInThePaintProgram) {
  TempDir program;
  Touch(program.File("bitmap.bmp"), "BLANK");
  Profile::WriteString("Directories", "Program", program.path());
  Profile::WriteString("Directories", "MSPaint", "/opt/paint/paint");
  Notebook nb;
  nb.SetLocation(loc);
  nb.OpenNote(NoteKind::Drawing);
  std::string bmp = dir.File("Room 4.bmp");
  EXPECT_EQ(ReadAll(bmp), "BLANK");
  EXPECT_EQ(shell.calls, (std::vector<std::string>{"run /opt/paint/paint [" + bmp + "]"}));
  // An existing drawing is not replaced.
  Touch(bmp, "MINE");
  Profile::Remove("Directories", "MSPaint");
  Notebook plain;
  plain.SetLocation(loc);
  plain.OpenNote(NoteKind::Drawing);
  EXPECT_EQ(ReadAll(bmp), "MINE");
  EXPECT_EQ(shell.calls.back(), "open " + bmp);
}

TEST_F(NotebookTest, AttachPhotoThenOpenIt) {
  TempDir source;
  std::string holiday = source.File("holiday.jpg");
  Touch(holiday, "JPEG");
  fs::permissions(holiday, fs::perms::owner_write, fs::perm_options::remove);
  Notebook nb;
  nb.SetLocation(loc);
  shell.chosen = holiday;
  nb.OpenNote(NoteKind::Photo);  // nothing attached yet: attach
  std::string photo = dir.File("Room 4_photo1.jpg");
  EXPECT_EQ(ReadAll(photo), "JPEG");
  EXPECT_EQ(shell.calls[0], "choose Photos |*.jpg;*.bmp;*.gif|");
  // The copy of a read-only source is writable.
  EXPECT_NE(fs::status(photo).permissions() & fs::perms::owner_write, fs::perms::none);
  nb.OpenNote(NoteKind::Photo);
  EXPECT_EQ(shell.calls.back(), "open " + photo);
  EXPECT_TRUE(shell.messages.empty());
  // A second attachment under the same index is refused.
  EXPECT_FALSE(nb.AttachFile(NoteKind::Photo, 1));
  EXPECT_EQ(shell.messages.back(), "Unable to attach file!\n" + photo + ": File exists");
}

TEST_F(NotebookTest, AttachmentExtensionComesFromTheFileName) {
  TempDir source;
  fs::create_directories(source.File("v1.2"));
  std::string noExt = source.File("v1.2/readme");
  std::string withExt = source.File("v1.2/notes.txt");
  Touch(noExt);
  Touch(withExt, "NOTES");
  Notebook nb;
  nb.SetLocation(loc);
  shell.chosen = noExt;
  EXPECT_FALSE(nb.AttachFile(NoteKind::CustomNote, 1));
  EXPECT_EQ(shell.messages.back(), "Unable to attach files without extensions!");
  shell.chosen = withExt;
  EXPECT_TRUE(nb.AttachFile(NoteKind::CustomNote, 1));
  EXPECT_EQ(ReadAll(dir.File("Room 4_user1.txt")), "NOTES");
  EXPECT_EQ(shell.calls[0], "choose All Files |*.*|");
  // Cancelled chooser: nothing happens.
  shell.chosen.clear();
  shell.messages.clear();
  EXPECT_FALSE(nb.AttachFile(NoteKind::Photo, 1));
  EXPECT_TRUE(shell.messages.empty());
}

TEST_F(NotebookTest, AttachmentsOfALocationInADottedFolder) {
  fs::create_directories(dir.File("Site.2005"));
  std::string dotted = dir.File("Site.2005/Room.loc");
  Touch(dotted);
  TempDir source;
  Touch(source.File("p.gif"), "GIF");
  Notebook nb;
  nb.SetLocation(dotted);
  shell.chosen = source.File("p.gif");
  EXPECT_TRUE(nb.AttachFile(NoteKind::Photo, 1));
  EXPECT_EQ(ReadAll(dir.File("Site.2005/Room_photo1.gif")), "GIF");
  EXPECT_EQ(nb.FindAttachment(NoteKind::Photo, 1), dir.File("Site.2005/Room_photo1.gif"));
}

TEST_F(NotebookTest, DeleteNote) {
  Notebook nb;
  nb.SetLocation(loc);
  Touch(dir.File("Room 4.txt"));
  Touch(dir.File("Room 4_user1.pdf"));
  EXPECT_TRUE(nb.DeleteNote(NoteKind::Text));
  EXPECT_FALSE(FileExists(dir.File("Room 4.txt")));
  EXPECT_TRUE(nb.DeleteNote(NoteKind::CustomNote));
  EXPECT_FALSE(nb.HasNote(NoteKind::CustomNote));
  EXPECT_FALSE(nb.DeleteNote(NoteKind::Text));  // nothing left
}

TEST_F(NotebookTest, ReadOnlyFolderOpensButCannotCreateNotes) {
#ifdef _WIN32
  GTEST_SKIP() << "folder permissions are POSIX";
#else
  if (::geteuid() == 0) GTEST_SKIP() << "root ignores folder permissions";
#endif
  Touch(dir.File("Room 4.txt"), "old");
  fs::permissions(dir.path(), fs::perms::owner_write, fs::perm_options::remove);
  fs::permissions(loc, fs::perms::owner_write, fs::perm_options::remove);
  Notebook nb;
  nb.SetLocation(loc);
  EXPECT_TRUE(nb.HasNote(NoteKind::Text));
  nb.OpenNote(NoteKind::Text);  // existing notes still open
  EXPECT_EQ(shell.calls.back(), "open " + dir.File("Room 4.txt"));
  bool created = true;
  EXPECT_FALSE(nb.CreateEmptyNote(NoteKind::Audio, created));
  EXPECT_FALSE(created);
  nb.OpenNote(NoteKind::Audio);
  ASSERT_EQ(shell.messages.size(), 1u);
  EXPECT_NE(shell.messages[0].find(dir.File("Room 4.wav")), std::string::npos);
  EXPECT_NE(shell.messages[0].find("read-only"), std::string::npos);
  EXPECT_EQ(shell.calls.size(), 1u);  // nothing was started for the failed note
  fs::permissions(dir.path(), fs::perms::owner_all, fs::perm_options::add);
}

TEST_F(NotebookTest, ANewEmptyNoteIsNeverMadeThroughALink) {
  fs::create_symlink(dir.File("elsewhere.wav"), dir.File("Room 4.wav"));
  Notebook nb;
  nb.SetLocation(loc);
  bool created = true;
  EXPECT_FALSE(nb.CreateEmptyNote(NoteKind::Audio, created));
  EXPECT_FALSE(created);
  EXPECT_FALSE(fs::exists(dir.File("elsewhere.wav")));
  // A free name gets an empty file with the usual permission bits.
  const mode_t mask = ::umask(022);
  EXPECT_TRUE(nb.CreateEmptyNote(NoteKind::Text, created));
  ::umask(mask);
  EXPECT_TRUE(created);
  EXPECT_EQ(fs::status(dir.File("Room 4.txt")).permissions() & fs::perms::all, fs::perms(0644));
}

TEST_F(NotebookTest, FolderWhereNothingCanBeCreated) {
  // /proc refuses new files even to root.
  if (!fs::is_directory("/proc/self")) GTEST_SKIP() << "no /proc";
  Notebook nb;
  nb.SetLocation("/proc/self/Room 4.loc");
  EXPECT_FALSE(nb.HasNote(NoteKind::Text));
  nb.OpenNote(NoteKind::Event);
  ASSERT_EQ(shell.messages.size(), 1u);
  EXPECT_EQ(shell.messages[0],
            "Unable to create the note file\n/proc/self/Room 4.evt: No such file or directory");
  EXPECT_TRUE(shell.calls.empty());  // the Events dialog is not opened
}

TEST_F(NotebookTest, NothingHappensWithoutALocation) {
  Notebook nb;
  nb.OpenNote(NoteKind::Text);
  nb.OpenNote(NoteKind::Photo);
  EXPECT_TRUE(shell.calls.empty());
  EXPECT_FALSE(nb.HasNote(NoteKind::Audit));
  EXPECT_FALSE(nb.AnyNoteOfKind(NoteKind::Template));
}

TEST(FileSearch, WildcardsLikeTheWindowsFinder) {
  EXPECT_TRUE(WildcardMatch("Room 4*.rtf", "room 4 fan.RTF"));
  EXPECT_FALSE(WildcardMatch("Room 4*.rtf", "Room 4 fan.rtf.bak"));
  EXPECT_TRUE(WildcardMatch("Room 4_user1*.*", "Room 4_user1.pdf"));
  EXPECT_TRUE(WildcardMatch("Room 4_user1*.*", "Room 4_user1"));
  EXPECT_TRUE(WildcardMatch("*.*", "README"));
  EXPECT_TRUE(WildcardMatch("a?c", "abc"));
  EXPECT_FALSE(WildcardMatch("a?c", "ac"));
}

TEST(FileSearch, SplitArguments) {
  EXPECT_EQ(SplitArguments(" \"C:\\My Site\\Room 4.bmp\""),
            (std::vector<std::string>{"C:\\My Site\\Room 4.bmp"}));
  EXPECT_EQ(SplitArguments("a  b \"\""), (std::vector<std::string>{"a", "b", ""}));
}

}  // namespace
}  // namespace vantora

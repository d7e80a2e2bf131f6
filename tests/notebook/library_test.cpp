#include "notebook/library.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/profile.h"
#include "notebook/filesearch.h"
#include "support/locbytes.h"

namespace vantora {
namespace {

using test::TempDir;

namespace fs = std::filesystem;

void Touch(const std::string& path, const std::string& text = "x") {
  test::WriteBytes(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

TEST(Documents, FolderIsCreatedAndSystemFilesHidden) {
  TempDir dir;
  std::string folder = dir.File("docs/library");
  EXPECT_TRUE(ListDocuments(folder).empty());
  EXPECT_TRUE(fs::is_directory(folder));
  Touch(folder + "/Manual.pdf");
  Touch(folder + "/readme");
  Touch(folder + "/desktop.ini");
  Touch(folder + "/.hidden");
  fs::create_directories(folder + "/sub.folder");
  EXPECT_EQ(ListDocuments(folder), (std::vector<std::string>{"Manual.pdf", "readme"}));
  EXPECT_TRUE(ListDocuments("").empty());
}

TEST(Documents, HintHasFiveLines) {
  ASSERT_EQ(NoDocumentsHint().size(), 5u);
  EXPECT_EQ(NoDocumentsHint()[0], "No documents loaded.");
  EXPECT_EQ(NoDocumentsHint()[1], " ");
  EXPECT_EQ(NoDocumentsHint()[4], "your computer.");
}

TEST(Documents, CopyReplacesAStoredCopy) {
  TempDir dir;
  std::string folder = dir.File("docs");
  fs::create_directories(folder);
  Touch(dir.File("Guide.txt"), "new");
  Touch(folder + "/Guide.txt", "old");
  fs::permissions(folder + "/Guide.txt", fs::perms::owner_write, fs::perm_options::remove);
  EXPECT_TRUE(CopyIntoFolder(dir.File("Guide.txt"), folder));
  EXPECT_EQ(test::ReadAll(folder + "/Guide.txt"), "new");
  EXPECT_FALSE(CopyIntoFolder(dir.File("Guide.txt"), ""));
  EXPECT_FALSE(CopyIntoFolder(dir.File("missing.txt"), folder));
}

TEST(Templates, TitlesCutAtTheFirstDot) {
  TempDir dir;
  Touch(dir.File("Fan Test.rtf"));
  Touch(dir.File("Plan.2005.rtf"));
  Touch(dir.File("Other.doc"));
  EXPECT_EQ(ListTemplates(dir.path(), "rtf"), (std::vector<std::string>{"Fan Test", "Plan"}));
  EXPECT_TRUE(ListTemplates(dir.path(), "xls").empty());
  EXPECT_TRUE(ListTemplates("", "rtf").empty());
  EXPECT_EQ(
      NoTemplatesHint("C:\\T\\"),
      (std::vector<std::string>{"Templates not available.", "Place templates in:", "C:\\T\\"}));
}

TEST(Templates, FoldersFromTheProfile) {
  Profile::WriteString("Directories", "Documents", "/x/docs/");
  Profile::WriteString("Directories", "Templates", "/x/templates/");
  EXPECT_EQ(DocumentsFolder(), "/x/docs/");
  EXPECT_EQ(TemplatesFolder(), "/x/templates/");
  Profile::Remove("Directories", "Documents");
  Profile::Remove("Directories", "Templates");
  EXPECT_EQ(DocumentsFolder(), "");
}

TEST(SystemFiles, DesktopSettingsAndDotFiles) {
  EXPECT_TRUE(IsSystemFile("/a/Thumbs.db"));
  EXPECT_TRUE(IsSystemFile("C:\\a\\DESKTOP.INI"));
  EXPECT_TRUE(IsSystemFile("/a/.DS_Store"));
  EXPECT_FALSE(IsSystemFile("/a/Manual.pdf"));
}

}  // namespace
}  // namespace vantora

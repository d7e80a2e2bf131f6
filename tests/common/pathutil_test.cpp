#include "common/pathutil.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/codepage.h"
#include "support/locbytes.h"

namespace vantora {
namespace {

TEST(PathSplit, SplitsAtLastSeparatorOfEitherKind) {
  EXPECT_EQ(SplitPath("C:\\Data\\Site1\\Loc1.loc"),
            std::make_pair(std::string("C:\\Data\\Site1\\"), std::string("Loc1.loc")));
  EXPECT_EQ(SplitPath("/home/u/site/Loc1.loc"),
            std::make_pair(std::string("/home/u/site/"), std::string("Loc1.loc")));
  EXPECT_EQ(SplitPath("C:\\Data/Loc1.loc").first, "C:\\Data/");
  EXPECT_EQ(SplitPath("Loc1.loc"), std::make_pair(std::string(), std::string("Loc1.loc")));
}

TEST(PathSplit, FileTitleCutsAtFirstDotOfTheFileNameOnly) {
  EXPECT_EQ(FileTitle("Loc1.loc"), std::make_pair(std::string("Loc1"), std::string(".loc")));
  EXPECT_EQ(FileTitle("Room.4.loc"), std::make_pair(std::string("Room"), std::string(".4.loc")));
  // A leading dot is no extension.
  EXPECT_EQ(FileTitle(".hidden"), std::make_pair(std::string(".hidden"), std::string()));
  EXPECT_EQ(FileTitle("noext"), std::make_pair(std::string("noext"), std::string()));
  // Dots in folder names never count.
  EXPECT_EQ(FileTitle("C:\\Site.2005\\Loc1.loc").first, "C:\\Site.2005\\Loc1");
  EXPECT_EQ(PathWithoutExtension("/home/u/.config/site/Loc1.loc"), "/home/u/.config/site/Loc1");
  EXPECT_EQ(PathWithoutExtension("/home/u/.config/site/noext"), "/home/u/.config/site/noext");
}

TEST(PathSplit, ParentFolderName) {
  EXPECT_EQ(ParentFolderName("C:\\Data\\Site1\\"), "Site1");
  EXPECT_EQ(ParentFolderName("C:\\Data\\Site1"), "Site1");
  EXPECT_EQ(ParentFolderName("C:\\"), "C:");
  EXPECT_EQ(ParentFolderName("/home/u/sites/Plant A/"), "Plant A");
  EXPECT_EQ(ParentFolderName("/home/u/.cache/Site1/"), "Site1");
  // A folder whose own name holds a dot is still a folder when it ends in a separator.
  EXPECT_EQ(ParentFolderName("/home/u/Site.2005/"), "Site.2005");
  EXPECT_EQ(ParentFolderName("Loc1"), "Loc1");
  EXPECT_EQ(ParentFolderName("\\Site\\"), "Site");
}

TEST(PathSplit, AbbreviatePath) {
  EXPECT_EQ(AbbreviatePath("C:\\Sites\\Plant\\Room 4.loc", 20), "... Plant\\Room 4");
  EXPECT_EQ(AbbreviatePath("C:\\A\\b.loc", 20), "C:\\A\\b");
  EXPECT_EQ(AbbreviatePath("short", 20), "short");
  // The limit is clamped to 11-100.
  EXPECT_EQ(AbbreviatePath("C:\\Sites\\Plant\\Room 4.loc", 1), "... Room 4");
  // A dot in a folder that survives is not taken for the extension.
  EXPECT_EQ(AbbreviatePath("/home/u/.sites/Plant/Room 4.loc", 30),
            "... home/u/.sites/Plant/Room 4");
  EXPECT_EQ(AbbreviatePath("/x/.sites/Plant/R.loc", 11), "... Plant/R");
}

TEST(TextFiles, ReadStopsAtZeroAndReportsEmptyFiles) {
  test::TempDir dir;
  auto path = dir.File("a.txt");
  test::WriteBytes(path, {'a', 'b', 0, 'c'});
  std::string text;
  EXPECT_TRUE(ReadTextFile(path, text));
  EXPECT_EQ(text, "ab");
  test::WriteBytes(path, {});
  EXPECT_FALSE(ReadTextFile(path, text));
  EXPECT_TRUE(FileIsEmpty(path));
  EXPECT_TRUE(FileExists(path));
  EXPECT_FALSE(ReadTextFile(dir.File("missing.txt"), text));
  EXPECT_FALSE(FileExists(dir.File("missing.txt")));
  EXPECT_FALSE(FileExists(dir.path()));
}

TEST(TextFiles, WriteReplacesReadOnlyFilesAndLeavesNoScratch) {
  test::TempDir dir;
  auto path = dir.File("stats.txt");
  ASSERT_TRUE(WriteTextFile(path, "old\r\n"));
  std::filesystem::permissions(path, std::filesystem::perms::owner_read);
  ASSERT_TRUE(WriteTextFile(path, "new\r\n"));
  EXPECT_EQ(test::ReadAll(path), "new\r\n");
  int files = 0;
  for (auto& e : std::filesystem::directory_iterator(dir.path())) {
    (void)e;
    ++files;
  }
  EXPECT_EQ(files, 1);
}

TEST(TextFiles, FailedWriteKeepsTheOldFile) {
  test::TempDir dir;
  auto path = dir.File("keep.txt");
  ASSERT_TRUE(WriteTextFile(path, "precious"));
  // A folder in the way of the new file's name: writing into a missing folder fails.
  EXPECT_FALSE(WriteTextFile(dir.File("missing/keep.txt"), "x"));
  EXPECT_FALSE(WriteTextFile(dir.path(), "x"));
  EXPECT_EQ(test::ReadAll(path), "precious");
}

TEST(TextFiles, MakeDirectoryPathCreatesEveryLevel) {
  test::TempDir dir;
  MakeDirectoryPath(dir.path() + "/a/b\\c");
  EXPECT_TRUE(DirectoryExists(dir.path() + "/a/b/c"));
  MakeDirectoryPath(dir.path() + "/a/b/c/");  // existing levels are fine
  EXPECT_TRUE(DirectoryExists(dir.path() + "/a/b/c"));
}

TEST(TextFiles, Cp1252NamesReachTheFileSystemAsUtf8) {
  test::TempDir dir;
  std::string name =
      "B\xFCro \xB0"
      "C.txt";  // "Büro °C.txt" in Windows-1252
  ASSERT_TRUE(WriteTextFile(dir.path() + "/" + name, "x"));
  EXPECT_TRUE(std::filesystem::exists(dir.path() + "/B\xC3\xBCro \xC2\xB0"
                                                   "C.txt"));
  EXPECT_TRUE(FileExists(dir.path() + "/" + name));
}

TEST(CodePage, RoundTripsEveryDefinedByte) {
  std::string all;
  for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
  EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all);
  EXPECT_EQ(Cp1252ToUtf8("\x80"), "\xE2\x82\xAC");  // euro sign
  EXPECT_EQ(Utf8ToCp1252("\xE4\xB8\xAD"), "?");     // no Windows-1252 form
}

}  // namespace
}  // namespace vantora

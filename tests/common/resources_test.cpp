#include "common/resources.h"

#include <gtest/gtest.h>

#include "common/pathutil.h"
#include "common/profile.h"
#include "model/vocabulary.h"
#include "support/locbytes.h"

namespace vantora {
namespace {

void Put(const std::string& path, const std::string& text) {
  MakeDirectoryPath(SplitPath(path).first);
  test::WriteBytes(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

// <prefix>/bin/ for the program and <prefix>/share/vantorapc/ for what ships
// with it, as installed.
class ShippedFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeDirectoryPath(bin);
    Profile::Remove("Directories", "Program");
    oldFolder = ProgramFolder();
  }
  void TearDown() override { SetProgramFolder(oldFolder); }
  test::TempDir dir;
  std::string bin = dir.File("usr/bin/");
  std::string share = dir.File("usr/share/vantorapc/");
  std::string oldFolder;
};

TEST_F(ShippedFilesTest, BesideTheProgramFirstThenTheInstalledData) {
  // Nowhere: the path beside the program, for the message that names it.
  EXPECT_EQ(ShippedFile(bin, "help/vantorapchelp.html"), bin + "help/vantorapchelp.html");
  EXPECT_FALSE(InstalledLayout(bin));

  Put(share + "help/vantorapchelp.html", "<html>");
  Put(share + "tvoc.csv", "4,Toluene\n");
  EXPECT_EQ(ShippedFile(bin, "help/vantorapchelp.html"), share + "help/vantorapchelp.html");
  EXPECT_EQ(ShippedFile(bin, "tvoc.csv"), share + "tvoc.csv");
  EXPECT_TRUE(InstalledLayout(bin));

  // A copy beside the program (the build tree) wins.
  Put(bin + "tvoc.csv", "4,Other\n");
  EXPECT_EQ(ShippedFile(bin, "tvoc.csv"), bin + "tvoc.csv");
  EXPECT_FALSE(InstalledLayout(bin));
  EXPECT_EQ(ShippedFile(bin, "help/vantorapchelp.html"), share + "help/vantorapchelp.html");
}

TEST_F(ShippedFilesTest, TheCompoundListOfAnInstalledProgram) {
  Put(share + "tvoc.csv", "1,Benzene\n4,Toluene\n");
  SetProgramFolder(bin);
  CompoundLibrary installed;
  EXPECT_EQ(installed.CompoundName(kCompoundBase + 4), "Toluene");
  // The "Directories"/"Program" setting, when set, is the folder searched.
  Profile::WriteString("Directories", "Program", dir.File("elsewhere"));
  CompoundLibrary elsewhere;
  EXPECT_EQ(elsewhere.CompoundName(kCompoundBase + 4), "Error");
  Profile::Remove("Directories", "Program");
}

TEST_F(ShippedFilesTest, SeedingCopiesOnlyMissingTemplates) {
  std::string folder = dir.File("docs/vantora templates/");
  MakeDirectoryPath(folder);
  EXPECT_EQ(SeedTemplates(bin, folder), 0);  // nothing ships

  Put(share + "templates/Site Survey.rtf", "{\\rtf1 shipped}");
  Put(share + "templates/Ventilation Check.rtf", "{\\rtf1 shipped}");
  MakeDirectoryPath(share + "templates/sub/");
  Put(folder + "Site Survey.rtf", "mine");
  EXPECT_EQ(SeedTemplates(bin, folder), 1);
  EXPECT_EQ(test::ReadAll(folder + "Site Survey.rtf"), "mine");
  EXPECT_EQ(test::ReadAll(folder + "Ventilation Check.rtf"), "{\\rtf1 shipped}");
  EXPECT_FALSE(DirectoryExists(folder + "sub"));
  EXPECT_EQ(SeedTemplates(bin, folder), 0);
}

TEST_F(ShippedFilesTest, WritableFolders) {
  EXPECT_TRUE(FolderIsWritable(bin));
  EXPECT_FALSE(FolderIsWritable(dir.File("missing/")));
  EXPECT_FALSE(FolderIsWritable(""));
}

}  // namespace
}  // namespace vantora

// Placing downloaded locations: an existing file is never replaced.
#include "transfer/destination.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/filesizelimit.h"
#include "support/locbytes.h"

namespace vantora {
namespace {

namespace fs = std::filesystem;

class PlaceNewFileTest : public ::testing::Test {
 protected:
  std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dest.path()))
      names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  std::string Dest(const std::string& name) { return dest.File(name); }
  test::TempDir dest, dumps;
  std::string source = dumps.File("finished.loc");
};

TEST_F(PlaceNewFileTest, TakesTheNextFreeNameAndKeepsWhatIsThere) {
  test::WriteBytes(source, {1, 2, 3, 4});
  const mode_t mask = ::umask(022);
  EXPECT_EQ(PlaceNewFile(source, Dest("Room_01.loc")), Dest("Room_01.loc"));
  ::umask(mask);
  struct stat st {};
  ASSERT_EQ(::stat(Dest("Room_01.loc").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0644u);  // not the scratch file's 0600
  // The same contents again: the file there is the download.
  EXPECT_EQ(PlaceNewFile(source, Dest("Room_01.loc")), Dest("Room_01.loc"));
  // Different contents, and a link in the way (never followed).
  test::WriteBytes(source, {9, 9});
  fs::create_symlink(dumps.File("elsewhere.loc"), Dest("Room_01 (2).loc"));
  EXPECT_EQ(PlaceNewFile(source, Dest("Room_01.loc")), Dest("Room_01 (3).loc"));
  EXPECT_EQ(test::ReadAll(Dest("Room_01.loc")), std::string("\x01\x02\x03\x04"));
  EXPECT_EQ(test::ReadAll(Dest("Room_01 (3).loc")), std::string("\x09\x09"));
  EXPECT_FALSE(fs::exists(dumps.File("elsewhere.loc")));
  EXPECT_EQ(Names(),
            (std::vector<std::string>{"Room_01 (2).loc", "Room_01 (3).loc", "Room_01.loc"}));
}

TEST_F(PlaceNewFileTest, AFailedCopyLeavesNothingUnderAnyName) {
  test::WriteBytes(source, std::vector<std::uint8_t>(5000, 0x5A));
  {
    test::FileSizeLimit full(1000);
    EXPECT_EQ(PlaceNewFile(source, Dest("Room_01.loc")), "");
  }
  EXPECT_TRUE(Names().empty());
  EXPECT_EQ(PlaceNewFile(dumps.File("missing.loc"), Dest("Room_01.loc")), "");
  EXPECT_EQ(PlaceNewFile(source, dest.File("missing/Room_01.loc")), "");
  EXPECT_TRUE(Names().empty());
}

}  // namespace
}  // namespace vantora

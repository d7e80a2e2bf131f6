// Site table export against tables written out by hand.
#include "location/sitetable.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "support/filesizelimit.h"
#include "support/locbytes.h"

namespace vantora {
namespace {

using test::ChannelSpec;
using test::LocationSpec;

// Parameter and unit codes: 0 Temperature, 1 Relative Humidity; 0 degC,
// 1 degF, 3 %RH. Records start 01-Jun-2026 09:00:00 (Europe/Berlin).
const ChannelSpec kTempC{"T", 0, 0, 1, 6};
const ChannelSpec kTempF{"TF", 0, 1, 1, 6};
const ChannelSpec kRh{"RH", 1, 3, 0, 5};

LocationSpec Location(std::vector<ChannelSpec> channels,
                      std::vector<LocationSpec::Record> records) {
  LocationSpec s;
  s.channels = std::move(channels);
  s.records = std::move(records);
  return s;
}

const char* const kHead = "\"Location\",\"Date\",\"Time\"";

class SiteTableTest : public ::testing::Test {
 protected:
  void Add(const std::string& name, const LocationSpec& spec) {
    test::WriteBytes(site + name, test::LocationBytes(spec));
  }
  // The table written for the site, or the status when it failed.
  std::string Export() {
    SiteTableStatus status = SiteTableStatus::Ok;
    if (!ExportSiteTable(site, out, &status))
      return std::string("failed: ") + SiteTableMessage(status);
    return test::ReadAll(out);
  }
  int OutFiles() {
    int n = 0;
    for (auto it = std::filesystem::directory_iterator(outDir.path());
         it != std::filesystem::directory_iterator(); ++it)
      ++n;
    return n;
  }
  test::TempDir dir;
  test::TempDir outDir;
  std::string site = dir.path() + "/";
  std::string out = outDir.File("site.csv");
};

TEST_F(SiteTableTest, LocationsShareColumnsOfTheSameQuantity) {
  Add("A.loc", Location({kTempC, kRh}, {{0, {21.5f, 45}}, {60, {-700000.0f, -250}}}));
  Add("B.loc", Location({kTempC}, {{3600, {19.0f}}}));
  Add("C.loc", Location({kTempF}, {{0, {70.25f}}}));
  EXPECT_EQ(Export(), std::string(kHead) +
                          ",\"Temperature \xB0"
                          "C\",\"Relative Humidity %RH\","
                          "\"Temperature \xB0"
                          "F\"\r\n"
                          "\"A\",\"01-Jun-2026\",\"09:00:00\",   21.5,     45\r\n"
                          "\"A\",\"01-Jun-2026\",\"09:01:00\",N/A,OverRange\r\n"
                          "\"B\",\"01-Jun-2026\",\"10:00:00\",   19.0\r\n"
                          "\"C\",\"01-Jun-2026\",\"09:00:00\",,,   70.2\r\n");
}

TEST_F(SiteTableTest, EmptyCellBeforeALaterColumn) {
  Add("a1.loc", Location({kTempC, kRh}, {{0, {20.0f, 40}}}));
  Add("a2.loc", Location({kRh}, {{0, {55}}}));
  EXPECT_EQ(Export(), std::string(kHead) +
                          ",\"Temperature \xB0"
                          "C\",\"Relative Humidity %RH\"\r\n"
                          "\"a1\",\"01-Jun-2026\",\"09:00:00\",   20.0,     40\r\n"
                          "\"a2\",\"01-Jun-2026\",\"09:00:00\",,     55\r\n");
}

TEST_F(SiteTableTest, TwoChannelsOfOneQuantityFillOneColumnWithTheLaterValue) {
  ChannelSpec second = kTempC;
  second.decimals = 2;
  Add("Dup.loc", Location({kTempC, kRh, second}, {{0, {20.0f, 40, 20.5f}}}));
  EXPECT_EQ(Export(), std::string(kHead) +
                          ",\"Temperature \xB0"
                          "C\",\"Relative Humidity %RH\"\r\n"
                          "\"Dup\",\"01-Jun-2026\",\"09:00:00\",  20.50,     40\r\n");
}

TEST_F(SiteTableTest, SubfoldersEmptyLocationsAndOtherFilesAreLeftOut) {
  std::filesystem::create_directories(site + "sub");
  std::filesystem::create_directories(site + "folder.loc");
  test::WriteBytes(site + "sub/Deep.loc", test::LocationBytes(Location({kTempC}, {{0, {1.0f}}})));
  test::WriteBytes(site + "notes.txt", {'x'});
  Add("Empty.loc", Location({kTempC}, {}));
  // Sorted ignoring case; the name is cut at its first dot.
  Add("room.2.LOC", Location({kRh}, {{0, {33}}}));
  Add("Hall.loc", Location({kTempC}, {{7200, {18.0f}}}));
  EXPECT_EQ(Export(), std::string(kHead) +
                          ",\"Temperature \xB0"
                          "C\",\"Relative Humidity %RH\"\r\n"
                          "\"Hall\",\"01-Jun-2026\",\"11:00:00\",   18.0\r\n"
                          "\"room\",\"01-Jun-2026\",\"09:00:00\",,     33\r\n");
}

TEST_F(SiteTableTest, LocationWithoutChannelsAndDamagedRecords) {
  Add("Bare.loc", Location({}, {{0, {}}}));
  LocationSpec damaged = Location({kTempC, kRh}, {{0, {20.0f, 40}}});
  damaged.recordCount = 2;
  Add("Cut.loc", damaged);
  auto bytes = test::LocationBytes(Location({kRh}, {{0, {30}}, {60, {31}}, {120, {32}}}));
  bytes[18 + 57 + 1 + 8] = 0x12;  // the second record's tag
  test::WriteBytes(site + "Holed.loc", bytes);
  test::WriteBytes(site + "Junk.loc", {3, 3, 24, 0});
  ASSERT_EQ(mkfifo((site + "Pipe.loc").c_str(), 0600), 0);
  std::vector<std::string> notices;
  ASSERT_TRUE(ExportSiteTable(site, out, nullptr, {}, &notices));
  EXPECT_EQ(test::ReadAll(out), std::string(kHead) +
                                    ",\"Temperature \xB0"
                                    "C\",\"Relative Humidity %RH\"\r\n"
                                    "\"Bare\",\"01-Jun-2026\",\"09:00:00\",\r\n"
                                    "\"Cut\",\"01-Jun-2026\",\"09:00:00\",   20.0,     40\r\n"
                                    "\"Holed\",\"01-Jun-2026\",\"09:00:00\",,     30\r\n"
                                    "\"Holed\",\"error\",\"error\",\r\n"
                                    "\"Holed\",\"01-Jun-2026\",\"09:02:00\",,     32\r\n");
  EXPECT_EQ(notices,
            (std::vector<std::string>{
                site + "Cut.loc holds 1 of the 2 records its header counts; the rest is missing.",
                site + "Holed.loc holds 1 damaged record; it reads as errors.",
                site + "Junk.loc can not be opened: cut inside its header.",
                site + "Pipe.loc can not be opened: not a regular file."}));
}

TEST_F(SiteTableTest, TheTwoFailureMessages) {
  std::filesystem::create_directories(site + "sub");
  test::WriteBytes(site + "sub/Deep.loc", test::LocationBytes(Location({kTempC}, {{0, {1.0f}}})));
  EXPECT_EQ(Export(), "failed: No location files found.\n(Search is non-recursive.)");
  Add("Empty.loc", Location({kTempC}, {}));
  test::WriteBytes(site + "Junk.loc", {1, 2, 3});
  EXPECT_EQ(Export(), "failed: Error creating table.");
  EXPECT_FALSE(std::filesystem::exists(out));
  // Every file left out is named.
  std::vector<std::string> notices;
  EXPECT_FALSE(ExportSiteTable(site, out, nullptr, {}, &notices));
  EXPECT_EQ(notices, std::vector<std::string>{
                         site + "Junk.loc can not be opened: not a location file (bad version)."});
}

TEST_F(SiteTableTest, OldTableSurvivesFailureAndCancel) {
  test::WriteBytes(out, {'o', 'l', 'd'});
  Add("A.loc", Location({kTempC}, {{0, {20.0f}}}));
  Add("B.loc", Location({kTempC}, {{0, {21.0f}}}));

  int calls = 0;
  SiteTableStatus status = SiteTableStatus::Ok;
  EXPECT_FALSE(ExportSiteTable(site, out, &status, [&](int done, int total) {
    EXPECT_EQ(total, 2);
    EXPECT_EQ(done, calls);
    ++calls;
    return done < 1;
  }));
  EXPECT_EQ(status, SiteTableStatus::Cancelled);
  EXPECT_EQ(calls, 2);
  EXPECT_STREQ(SiteTableMessage(status), "Export cancelled. The table was not written.");
  EXPECT_EQ(test::ReadAll(out), "old");

  {
    // A full disk: the write fails part-way.
    test::FileSizeLimit full(20);
    EXPECT_FALSE(ExportSiteTable(site, out, &status));
  }
  EXPECT_EQ(status, SiteTableStatus::WriteFailed);
  EXPECT_STREQ(SiteTableMessage(status), "Error creating table.");
  EXPECT_EQ(test::ReadAll(out), "old");
  EXPECT_EQ(OutFiles(), 1);

  // A read-only table is replaced; progress sees every file and the end.
  std::filesystem::permissions(out, std::filesystem::perms::owner_read);
  calls = 0;
  EXPECT_TRUE(ExportSiteTable(site, out, &status, [&](int, int) { return ++calls > 0; }));
  EXPECT_EQ(calls, 3);
  EXPECT_EQ(test::ReadAll(out).substr(0, 10), "\"Location\"");
  EXPECT_EQ(OutFiles(), 1);
  struct stat st {};
  ASSERT_EQ(::stat(out.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0400u);
}

TEST(SiteTablePaths, ProposedBesideTheFolder) {
  EXPECT_EQ(ProposedSiteTablePath("C:\\Data\\Site1\\"), "C:\\Data\\Site1.csv");
  EXPECT_EQ(ProposedSiteTablePath("/home/u/Site 1/"), "/home/u/Site 1.csv");
  EXPECT_EQ(ProposedSiteTablePath("/home/u/Site 1"), "/home/u/Site 1.csv");
}

}  // namespace
}  // namespace vantora

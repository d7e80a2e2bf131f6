// Location CSV export against tables written out by hand.
#include "location/csvexport.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/logfile.h"
#include "common/pathutil.h"
#include "support/filesizelimit.h"
#include "support/locbytes.h"

namespace vantora {
namespace {

using test::LocationSpec;

// 01-Jun-2026 09:00:00 local time (TZ pinned to Europe/Berlin by CTest).
LocationSpec TempAndRh() {
  LocationSpec s;
  s.channels = {{"Temp", 0, 0, 1, 6}, {"RH", 1, 3, 0, 5}};
  s.records = {{0, {21.5f, 45.0f}}, {65, {-700000.0f, -250.0f}}, {3600, {25000.0f, -200.0f}}};
  return s;
}

class CsvExportTest : public ::testing::Test {
 protected:
  std::string Write(const LocationSpec& spec, const std::string& name = "Loc1.loc") {
    auto path = dir.File(name);
    test::WriteBytes(path, test::LocationBytes(spec));
    return path;
  }
  // Exports `spec` with the usual quote and line end, returns the file's bytes.
  std::string Export(const LocationSpec& spec, const std::string& separator = ",") {
    CLogFile log(Write(spec));
    EXPECT_TRUE(log.ExportCsv(out, "\"", separator, "\r\n"));
    return test::ReadAll(out);
  }
  test::TempDir dir;
  std::string out = dir.File("out.csv");
};

TEST_F(CsvExportTest, RecordsWithValuesNaAndOverRange) {
  EXPECT_EQ(Export(TempAndRh()),
            "\"Date\",\"Time\",\"Temp\",\"RH\"\r\n"
            "01-Jun-2026,09:00:00,   21.5,     45\r\n"
            "01-Jun-2026,09:01:05,N/A,OverRange\r\n"
            "01-Jun-2026,10:00:00,25000,   -200\r\n");
}

TEST_F(CsvExportTest, SemicolonSeparatorAndOtherLineEnds) {
  LocationSpec s = TempAndRh();
  s.records.resize(1);
  CLogFile log(Write(s));
  ASSERT_TRUE(log.ExportCsv(out, "'", ";", "\n"));
  EXPECT_EQ(test::ReadAll(out),
            "'Date';'Time';'Temp';'RH'\n01-Jun-2026;09:00:00;   21.5;     45\n");
}

TEST_F(CsvExportTest, ChannelsWithoutRecordsGiveTheHeadingOnly) {
  LocationSpec s;
  s.channels = {{"A", 0, 0, 1, 6}, {"B", 0, 0, 1, 6}, {"C", 0, 0, 1, 6}};
  EXPECT_EQ(Export(s), "\"Date\",\"Time\",\"A\",\"B\",\"C\"\r\n");
}

TEST_F(CsvExportTest, RecordsWithoutChannelsAreEmptyLines) {
  LocationSpec s;
  s.records = {{0, {}}, {1, {}}};
  EXPECT_EQ(Export(s), "\"Date\",\"Time\"\r\n\r\n\r\n");
}

TEST_F(CsvExportTest, QuotesInChannelNamesAreDoubled) {
  LocationSpec s;
  s.channels = {{"Probe \"A\"", 0, 0, 1, 6}, {"\"", 0, 0, 1, 6}};
  EXPECT_EQ(Export(s), "\"Date\",\"Time\",\"Probe \"\"A\"\"\",\"\"\"\"\r\n");
  EXPECT_EQ(CsvQuoted("x''y", "''"), "''x''''y''");
  EXPECT_EQ(CsvQuoted("", "\""), "\"\"");
}

TEST_F(CsvExportTest, CutFilesExportTheirWholeRecordsAndBadRecordsSayError) {
  // The header counts three records, the file holds two.
  LocationSpec s = TempAndRh();
  s.records.resize(2);
  s.recordCount = 3;
  const std::string twoLines =
      "\"Date\",\"Time\",\"Temp\",\"RH\"\r\n"
      "01-Jun-2026,09:00:00,   21.5,     45\r\n"
      "01-Jun-2026,09:01:05,N/A,OverRange\r\n";
  EXPECT_EQ(Export(s), twoLines);
  // The first record's tag is bad: only its line says so.
  s = TempAndRh();
  s.records.resize(2);
  auto bytes = test::LocationBytes(s);
  bytes[18 + 2 * 57 + 1] = 0;
  const std::string path = dir.File("bad.loc");
  test::WriteBytes(path, bytes);
  CLogFile log(path);
  ASSERT_TRUE(log.ExportCsv(out, "\"", ",", "\r\n"));
  EXPECT_EQ(test::ReadAll(out),
            "\"Date\",\"Time\",\"Temp\",\"RH\"\r\n"
            "error,error,0.00,0.00\r\n"
            "01-Jun-2026,09:01:05,N/A,OverRange\r\n");
}

TEST_F(CsvExportTest, ReplacesAReadOnlyFile) {
  test::WriteBytes(out, {'o', 'l', 'd'});
  std::filesystem::permissions(out, std::filesystem::perms::owner_read);
  LocationSpec s = TempAndRh();
  s.records.clear();
  EXPECT_EQ(Export(s), "\"Date\",\"Time\",\"Temp\",\"RH\"\r\n");
}

TEST_F(CsvExportTest, AFailedWriteLeavesTheOldFileAndNoLeftovers) {
  test::WriteBytes(out, {'o', 'l', 'd'});
  CLogFile log(Write(TempAndRh()));
  const auto before = std::distance(std::filesystem::directory_iterator(dir.path()),
                                    std::filesystem::directory_iterator());
  {
    // A full disk: the write fails part-way.
    test::FileSizeLimit full(10);
    EXPECT_FALSE(log.ExportCsv(out, "\"", ",", "\r\n"));
  }
  EXPECT_EQ(test::ReadAll(out), "old");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()),
            before);
  // A folder as the target and a missing folder fail too.
  EXPECT_FALSE(log.ExportCsv(dir.path(), "\"", ",", "\r\n"));
  EXPECT_FALSE(log.ExportCsv(dir.File("missing/out.csv"), "\"", ",", "\r\n"));
}

TEST_F(CsvExportTest, NeverReplacesTheLocationItself) {
  // A location whose own name is the proposed table's name.
  const std::string path = Write(TempAndRh(), "Room.csv");
  const std::string bytes = test::ReadAll(path);
  CLogFile log(path);
  ASSERT_EQ(ProposedCsvPath(path), path);
  EXPECT_FALSE(log.ExportCsv(path, "\"", ",", "\r\n"));
  EXPECT_FALSE(log.ExportCsv(dir.path() + "/./Room.csv", "\"", ",", "\r\n"));
  EXPECT_EQ(test::ReadAll(path), bytes);
  EXPECT_TRUE(log.ExportCsv(out, "\"", ",", "\r\n"));
}

TEST(CsvSeparator, DecimalCommaSwitchesToSemicolon) {
  EXPECT_EQ(SeparatorForNumberText(" 12.24"), ",");
  EXPECT_EQ(SeparatorForNumberText(" 12,24"), ";");
  // The test programs run with the C locale.
  EXPECT_EQ(CsvSeparator(), ",");
}

TEST(CsvProposedName, CutsOnlyTheFileNameAtItsFirstDot) {
  EXPECT_EQ(ProposedCsvPath("C:\\Site.2005\\Loc1.loc"), "C:\\Site.2005\\Loc1.csv");
  EXPECT_EQ(ProposedCsvPath("/data/site/Room.4.loc"), "/data/site/Room.csv");
  EXPECT_EQ(ProposedCsvPath("Loc1.loc"), "Loc1.csv");
}

}  // namespace
}  // namespace vantora

// vantora export, export-site and print, run as a separate process: the files
// must be byte for byte what the application's commands write.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "common/logfile.h"
#include "location/csvexport.h"
#include "location/sitetable.h"
#include "support/clirun.h"
#include "support/locbytes.h"

namespace vantora {
namespace {

using test::LocationSpec;

using test::CliRun;
const auto& Quoted = test::ShellQuote;

class CliExportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(site);
    LocationSpec a;
    a.channels = {{"Temp \"in\"", 0, 0, 1, 6}, {"RH", 1, 3, 0, 5}};
    a.records = {{0, {21.5f, 45}}, {60, {-700000.0f, -250}}};
    LocationSpec b;
    b.channels = {{"RH", 1, 3, 0, 5}};
    b.records = {{3600, {50}}};
    test::WriteBytes(site + "Room.4.loc", test::LocationBytes(a));
    test::WriteBytes(site + "Hall.loc", test::LocationBytes(b));
  }
  // Numbers follow the locale, as in the application; by default the C one.
  CliRun Vantora(const std::string& args, const std::string& env = "LC_ALL=C") {
    return test::RunVantora(args, dir, env);
  }
  test::TempDir dir;
  std::string site = dir.path() + "/Site 1/";
};

TEST_F(CliExportTest, ExportWritesWhatTheViewCommandWrites) {
  CliRun r = Vantora("export " + Quoted(site + "Room.4.loc"));
  ASSERT_EQ(r.status, 0) << r.err;
  // Proposed name: the file name cut at its first dot, beside the location.
  const std::string written = site + "Room.csv";
  EXPECT_EQ(r.out, written + "\n");
  const std::string expected =
      "\"Date\",\"Time\",\"Temp \"\"in\"\"\",\"RH\"\r\n"
      "01-Jun-2026,09:00:00,   21.5,     45\r\n"
      "01-Jun-2026,09:01:00,N/A,OverRange\r\n";
  EXPECT_EQ(test::ReadAll(written), expected);

  CLogFile log(site + "Room.4.loc");
  ASSERT_TRUE(log.ExportCsv(dir.File("core.csv"), kCsvQuote, CsvSeparator(), kCsvLineEnd));
  EXPECT_EQ(test::ReadAll(dir.File("core.csv")), expected);

  r = Vantora("export " + Quoted(site + "Hall.loc") + " -o " + Quoted(dir.File("h.csv")));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(test::ReadAll(dir.File("h.csv")),
            "\"Date\",\"Time\",\"RH\"\r\n01-Jun-2026,10:00:00,     50\r\n");
}

TEST_F(CliExportTest, ExportFailures) {
  CliRun r = Vantora("export " + Quoted(site + "Room.4.loc") + " -o " + Quoted(dir.path()));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "vantora: Unable to export!\nvantora: " + dir.path() + ": Is a directory\n");
  r = Vantora("export " + Quoted(site + "Missing.loc"));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "vantora: " + site + "Missing.loc can not be opened: no such file.\n");
  // An unreadable header writes no table.
  test::WriteBytes(site + "Junk.loc", {2, 3, 24});
  r = Vantora("export " + Quoted(site + "Junk.loc"));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "vantora: " + site +
                       "Junk.loc can not be opened: not a location file (bad version).\n");
  EXPECT_FALSE(std::filesystem::exists(site + "Junk.csv"));
}

TEST_F(CliExportTest, ExportSiteNamesWhatItLeftOut) {
  test::WriteBytes(site + "Junk.loc", {3, 3, 24});
  auto bytes = test::LocationBytes(LocationSpec{});
  bytes[5] = 7;  // counts seven records, holds none
  test::WriteBytes(site + "Cut.loc", bytes);
  const std::string list = "vantora: " + site +
                           "Cut.loc holds 0 of the 7 records its header counts; the rest is "
                           "missing.\nvantora: " +
                           site + "Junk.loc can not be opened: cut inside its header.\n";
  CliRun r = Vantora("export-site " + Quoted(site) + " -o " + Quoted(dir.File("s.csv")));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, list);
  EXPECT_EQ(r.out, dir.File("s.csv") + "\n");
  EXPECT_EQ(test::ReadAll(dir.File("s.csv")).substr(0, 10), "\"Location\"");

  std::filesystem::remove(site + "Hall.loc");
  std::filesystem::remove(site + "Room.4.loc");
  r = Vantora("export-site " + Quoted(site) + " -o " + Quoted(dir.File("t.csv")));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, list + "vantora: Error creating table.\n");
  EXPECT_FALSE(std::filesystem::exists(dir.File("t.csv")));
}

TEST_F(CliExportTest, ExportSiteWritesBesideTheFolder) {
  // Without the trailing separator, as typed on a command line.
  CliRun r = Vantora("export-site " + Quoted(dir.path() + "/Site 1"));
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string written = dir.path() + "/Site 1.csv";
  EXPECT_EQ(r.out, written + "\n");
  const std::string expected =
      "\"Location\",\"Date\",\"Time\",\"Relative Humidity %RH\",\"Temperature \xB0"
      "C\"\r\n"
      "\"Hall\",\"01-Jun-2026\",\"10:00:00\",     50\r\n"
      "\"Room\",\"01-Jun-2026\",\"09:00:00\",     45,   21.5\r\n"
      "\"Room\",\"01-Jun-2026\",\"09:01:00\",OverRange,N/A\r\n";
  EXPECT_EQ(test::ReadAll(written), expected);
  ASSERT_TRUE(ExportSiteTable(site, dir.File("core.csv")));
  EXPECT_EQ(test::ReadAll(dir.File("core.csv")), expected);
}

TEST_F(CliExportTest, ExportSiteFailureMessages) {
  std::filesystem::create_directories(dir.path() + "/Empty/sub");
  // Subfolders are not searched.
  std::filesystem::copy_file(site + "Hall.loc", dir.path() + "/Empty/sub/Deep.loc");
  CliRun r =
      Vantora("export-site " + Quoted(dir.path() + "/Empty/") + " -o " + Quoted(dir.File("e.csv")));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "vantora: No location files found.\n(Search is non-recursive.)\n");
  EXPECT_FALSE(std::filesystem::exists(dir.File("e.csv")));

  LocationSpec none;
  none.channels = {{"RH", 1, 3, 0, 5}};
  test::WriteBytes(dir.path() + "/Empty/None.loc", test::LocationBytes(none));
  test::WriteBytes(dir.File("e.csv"), {'o', 'l', 'd'});
  r = Vantora("export-site " + Quoted(dir.path() + "/Empty/") + " -o " + Quoted(dir.File("e.csv")));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "vantora: Error creating table.\n");
  EXPECT_EQ(test::ReadAll(dir.File("e.csv")), "old");
}

TEST_F(CliExportTest, DecimalCommaLocalesSeparateWithSemicolons) {
  // A German locale compiled into the test folder.
  const std::string locales = dir.path() + "/locales";
  std::filesystem::create_directories(locales);
  if (std::system(
          ("localedef -i de_DE -f UTF-8 " + Quoted(locales + "/de_DE.UTF-8") + " >/dev/null 2>&1")
              .c_str()) != 0)
    GTEST_SKIP() << "localedef cannot build de_DE.UTF-8";
  const std::string env = "LOCPATH=" + Quoted(locales) + " LC_ALL=de_DE.UTF-8";
  CliRun r = Vantora("export " + Quoted(site + "Room.4.loc"), env);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(test::ReadAll(site + "Room.csv"),
            "\"Date\";\"Time\";\"Temp \"\"in\"\"\";\"RH\"\r\n"
            "01-Jun-2026;09:00:00;   21,5;     45\r\n"
            "01-Jun-2026;09:01:00;N/A;OverRange\r\n");
  // The site table too: a comma inside a number must not split its cell.
  r = Vantora("export-site " + Quoted(site) + " -o " + Quoted(dir.File("de.csv")), env);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(test::ReadAll(dir.File("de.csv")),
            "\"Location\";\"Date\";\"Time\";\"Relative Humidity %RH\";\"Temperature \xB0"
            "C\"\r\n"
            "\"Hall\";\"01-Jun-2026\";\"10:00:00\";     50\r\n"
            "\"Room\";\"01-Jun-2026\";\"09:00:00\";     45;   21,5\r\n"
            "\"Room\";\"01-Jun-2026\";\"09:01:00\";OverRange;N/A\r\n");
}

const char* const kRefused =
    "A location file cannot be replaced by an export or report. Choose another name.";

TEST_F(CliExportTest, OutputsThatWouldReplaceALocationAreRefused) {
  const std::string room = site + "Room.4.loc", hall = site + "Hall.loc";
  const std::string roomBytes = test::ReadAll(room), hallBytes = test::ReadAll(hall);
  // The same files under other names and spellings.
  ASSERT_EQ(::link(room.c_str(), dir.File("room.csv").c_str()), 0);
  ASSERT_EQ(::link(hall.c_str(), dir.File("hall.pdf").c_str()), 0);
  const std::string roomCsv = site + "../room.csv", hallPdf = dir.File("hall.pdf");
  struct Case {
    std::string args, output;
  } cases[] = {
      {"export-site " + Quoted(site) + " -o " + Quoted(room), room},
      {"export-site " + Quoted(site) + " -o " + Quoted(hallPdf), hallPdf},
      {"export " + Quoted(room) + " -o " + Quoted(roomCsv), roomCsv},
      {"export " + Quoted(hall) + " -o " + Quoted(dir.File("new.LoC")), dir.File("new.LoC")},
      {"print " + Quoted(room) + " -o " + Quoted(room), room},
      {"print " + Quoted(hall) + " -o " + Quoted(hallPdf), hallPdf},
  };
  for (const Case& c : cases) {
    CliRun r = Vantora(c.args);
    if (c.args.rfind("print", 0) == 0 && r.status == 2) continue;  // without the report painter
    EXPECT_EQ(r.status, 1) << c.args;
    EXPECT_EQ(r.err, "vantora: " + std::string(kRefused) + " (" + c.output + ")\n") << c.args;
  }
  EXPECT_EQ(test::ReadAll(room), roomBytes);
  EXPECT_EQ(test::ReadAll(hall), hallBytes);
  EXPECT_FALSE(std::filesystem::exists(dir.File("new.LoC")));
}

TEST_F(CliExportTest, AFileSizeLimitFailsTheExportAndLeavesNothing) {
  LocationSpec big;
  big.channels = {{"T", 0, 0, 1, 6}};
  for (int r = 0; r < 3000; ++r) big.records.push_back({static_cast<std::uint32_t>(r * 60), {20}});
  test::WriteBytes(site + "Big.loc", test::LocationBytes(big));
  const std::string out = dir.File("out");
  std::filesystem::create_directory(out);
  test::WriteBytes(out + "/site.csv", {'o', 'l', 'd'});
  // 8 blocks: room for the messages, not for the table.
  CliRun r = Vantora("export-site " + Quoted(site) + " -o " + Quoted(out + "/site.csv"),
                     "ulimit -f 8; LC_ALL=C");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "vantora: Error creating table.\nvantora: " + out + "/site.csv: File too large\n");
  EXPECT_EQ(test::ReadAll(out + "/site.csv"), "old");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out),
                          std::filesystem::directory_iterator()),
            1);
}

TEST_F(CliExportTest, PrintRendersAPdf) {
  const std::string pdf = dir.File("room.pdf");
  CliRun r = Vantora("print " + Quoted(site + "Room.4.loc") + " -o " + Quoted(pdf));
  if (r.err.find("unknown") != std::string::npos || r.status == 2)
    GTEST_SKIP() << "built without the report painter";
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, pdf + ": 1 page\n");
  EXPECT_EQ(test::ReadAll(pdf).substr(0, 5), "%PDF-");

  r = Vantora("print " + Quoted(site + "Room.4.loc"));
  EXPECT_EQ(r.status, 2);  // the output is required
  r = Vantora("print " + Quoted(site + "Missing.loc") + " -o " + Quoted(pdf));
  EXPECT_EQ(r.status, 1);

  // A damaged record: the report is written, the exit status says so.
  auto holed = test::ReadAll(site + "Room.4.loc");
  holed[18 + 2 * 57 + 1] = 0;
  test::WriteBytes(site + "Holed.loc", std::vector<std::uint8_t>(holed.begin(), holed.end()));
  std::filesystem::remove(pdf);
  r = Vantora("print " + Quoted(site + "Holed.loc") + " -o " + Quoted(pdf));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, pdf + ": 1 page\n");
  EXPECT_NE(
      r.err.find("vantora: " + site + "Holed.loc holds 1 damaged record; it reads as errors.\n"),
      std::string::npos)
      << r.err;
  EXPECT_EQ(test::ReadAll(pdf).substr(0, 5), "%PDF-");
}

}  // namespace
}  // namespace vantora

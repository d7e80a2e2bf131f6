// The vantora tool, run as a separate process on generated files.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "common/logfile.h"
#include "common/timetext.h"
#include "location/statistics.h"
#include "support/clirun.h"
#include "support/samples.h"

namespace vantora {
namespace {

using test::CliRun;
const auto& Quote = test::ShellQuote;

CliRun Vantora(const std::string& args, const test::TempDir& dir) {
  return test::RunVantora(args, dir);
}

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(dir.path() + "/Site A");
    survey = dir.path() + "/Site A/Survey.loc";
    test::WriteBytes(survey, test::LocationBytes(test::DstSurveySpec()));
  }
  test::ScopedTz tz{"Europe/Berlin"};  // inherited by the tool; the texts are Berlin time
  test::TempDir dir;
  std::string survey;
};

TEST_F(CliTest, StatsPrintsAndWritesTheStatisticsText) {
  CliRun run = Vantora("stats " + Quote(survey), dir);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, test::kDstSurveyStats);
  EXPECT_FALSE(std::filesystem::exists(dir.path() + "/Site A/Survey_stats.txt"));

  run = Vantora("stats --write " + Quote(survey), dir);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(test::ReadAll(dir.path() + "/Site A/Survey_stats.txt"), test::kDstSurveyStats);
}

TEST_F(CliTest, StatsNeverWritesOverTheLocation) {
  // The statistics name is another name of the location itself.
  const std::string stats = dir.path() + "/Site A/Survey_stats.txt";
  ASSERT_EQ(::link(survey.c_str(), stats.c_str()), 0);
  const std::string before = test::ReadAll(survey);
  CliRun run = Vantora("stats --write " + Quote(survey), dir);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err,
            "vantora: A location file cannot be replaced by an export or report. Choose another "
            "name. (" +
                stats + ")\n");
  EXPECT_EQ(test::ReadAll(survey), before);
}

TEST_F(CliTest, CopyPrintsTheClipboardText) {
  CliRun run = Vantora("copy " + Quote(survey), dir);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, test::kDstSurveyCopyAll);
  run = Vantora("copy --columns 2 " + Quote(survey), dir);
  EXPECT_EQ(run.out, "Flow\r\n0.0215\r\n0.0300\r\n0.0100\r\n0.0250\r\n");
  run = Vantora("copy --columns time,0 " + Quote(survey), dir);
  EXPECT_EQ(run.out.substr(0, 46), "Date \tTime \tTemp\r\n28-Mar-2026\t23:00:00\t   21.5");
  run = Vantora("copy --columns 1,x " + Quote(survey), dir);
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("'x'"), std::string::npos) << run.err;
  // A channel the location does not have.
  run = Vantora("copy --columns 9 " + Quote(survey), dir);
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "vantora: bad column '9' (the location has 4 channels)\n");
}

TEST_F(CliTest, InfoListsTheChannels) {
  CliRun run = Vantora("info " + Quote(survey), dir);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("Version: 3\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("Records: 4\n"), std::string::npos);
  EXPECT_NE(run.out.find(" 3: Toluene | Toluene (10004) | ppb (51) | decimals 0 | width 4\n"),
            std::string::npos)
      << run.out;
  // Text for the terminal is UTF-8.
  EXPECT_NE(run.out.find("\xC2\xB0"
                         "C (0)"),
            std::string::npos)
      << run.out;
}

TEST_F(CliTest, UnreadableHeadersNameTheFileAndTheReason) {
  auto bad = dir.File("bad.loc");
  auto bytes = test::LocationBytes(test::DstSurveySpec());
  bytes[7] = 0;
  test::WriteBytes(bad, bytes);
  CliRun run = Vantora("stats --write " + Quote(bad), dir);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "vantora: " + bad + " can not be opened: damaged (bad tag in the header).\n");
  EXPECT_EQ(run.out, "");
  EXPECT_FALSE(std::filesystem::exists(dir.File("bad_stats.txt")));

  run = Vantora("copy " + Quote(dir.File("missing.loc")), dir);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("missing.loc can not be opened: no such file."), std::string::npos)
      << run.err;
  run = Vantora("info " + Quote(dir.path()), dir);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("can not be opened: is a folder."), std::string::npos) << run.err;
  test::WriteBytes(bad, {});
  run = Vantora("stats " + Quote(bad), dir);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("can not be opened: empty file."), std::string::npos) << run.err;
}

TEST_F(CliTest, ACutFileGivesItsWholeRecordsWithAWarning) {
  auto cut = dir.File("cut.loc");
  auto bytes = test::LocationBytes(test::DstSurveySpec());
  bytes.resize(bytes.size() - 3);
  test::WriteBytes(cut, bytes);
  const std::string warning =
      "vantora: " + cut + " holds 3 of the 4 records its header counts; the rest is missing.\n";
  CliRun run = Vantora("stats " + Quote(cut), dir);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, warning);
  EXPECT_NE(run.out.find("Ended at: 29-Mar-2026 01:00:00\r\nDuration: 02:00:00\r\n"
                         "Num points=   3"),
            std::string::npos)
      << run.out;
  run = Vantora("copy " + Quote(cut), dir);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, warning);
  EXPECT_EQ(run.out, std::string(test::kDstSurveyCopyAll).substr(0, 192));
}

TEST_F(CliTest, ABadRecordInTheMiddleIsAnErrorEverywhereAndOnlyThere) {
  auto holed = dir.File("holed.loc");
  auto bytes = test::LocationBytes(test::DstSurveySpec());
  bytes[18 + 4 * 57 + 1 + 20] = 0xFE;  // the second record's tag
  test::WriteBytes(holed, bytes);
  const std::string err = "vantora: " + holed + " holds 1 damaged record; it reads as errors.\n";
  CliRun run = Vantora("stats " + Quote(holed), dir);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, err);
  EXPECT_NE(run.out.find("Num points=   3"), std::string::npos) << run.out;
  run = Vantora("copy --columns time,0 " + Quote(holed), dir);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, err);
  EXPECT_EQ(run.out,
            "Date \tTime \tTemp\r\n28-Mar-2026\t23:00:00\t   21.5\r\nerror\terror\t    0.0\r\n"
            "29-Mar-2026\t01:00:00\t   20.0\r\n29-Mar-2026\t03:00:00\t   23.3\r\n");
  run = Vantora("export " + Quote(holed) + " -o " + Quote(dir.File("h.csv")), dir);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, err);
  const std::string csv = test::ReadAll(dir.File("h.csv"));
  EXPECT_NE(csv.find("\r\n28-Mar-2026,23:00:00,   21.5,"), std::string::npos) << csv;
  EXPECT_NE(csv.find("\r\nerror,error,0.00,0.00,0.00,0.00\r\n29-Mar-2026,01:00:00,   20.0,"),
            std::string::npos)
      << csv;
  run = Vantora("info " + Quote(holed), dir);
  EXPECT_EQ(run.status, 0);  // reads no record
}

TEST_F(CliTest, CompanionCommandsNeedTheLocation) {
  const std::string missing = dir.File("Gone.loc");
  for (const char* cmd : {"notes", "events", "verify", "drawing"}) {
    CliRun run = Vantora(std::string(cmd) + " " + Quote(missing), dir);
    EXPECT_EQ(run.status, 1) << cmd;
    EXPECT_EQ(run.out, "") << cmd;
    EXPECT_EQ(run.err, "vantora: " + missing + " can not be opened: no such file.\n") << cmd;
  }
}

TEST_F(CliTest, UsageErrorsAndHelp) {
  EXPECT_EQ(Vantora("", dir).status, 2);
  EXPECT_EQ(Vantora("stats", dir).status, 2);
  EXPECT_EQ(Vantora("frobnicate", dir).status, 2);
  for (const char* cmd : {"info", "stats", "copy", "make-sample"}) {
    CliRun help = Vantora(std::string(cmd) + " --help", dir);
    EXPECT_EQ(help.status, 0) << cmd;
    EXPECT_NE(help.out.find("Usage"), std::string::npos) << cmd;
  }
  CliRun version = Vantora("--version", dir);
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, std::string("vantora ") + VANTORA_VERSION + "\n");
}

TEST_F(CliTest, SampleSiteOpensAndCoversTheInterestingCases) {
  auto site = dir.path() + "/sample";
  CliRun run = Vantora("make-sample " + Quote(site), dir);
  ASSERT_EQ(run.status, 0) << run.err;
  int files = 0, versions2 = 0, empty = 0, overRange = 0, notAvailable = 0, midnight = 0;
  for (auto& e : std::filesystem::directory_iterator(site)) {
    CLogFile log(e.path().string());
    ASSERT_EQ(log.Error(), LogFileError::None) << e.path();
    ++files;
    versions2 += log.Version() == 2;
    empty += log.RecordCount() == 0;
    CliRun copy = Vantora("copy " + Quote(e.path().string()), dir);
    overRange += copy.out.find("OverRange") != std::string::npos;
    notAvailable += copy.out.find("N/A") != std::string::npos;
    LogTime first = 0, last = 0;
    if (log.RecordCount() > 0 && log.GetTime(0, first) && log.GetTime(log.LastRecordIndex(), last))
      midnight += DateText(first) != DateText(last);
    EXPECT_EQ(log.Error(), LogFileError::None) << e.path();
  }
  EXPECT_GE(files, 4);
  EXPECT_GE(versions2, 1);
  EXPECT_EQ(empty, 1);
  EXPECT_GE(overRange, 1);
  EXPECT_GE(notAvailable, 1);
  EXPECT_GE(midnight, 1);
}

}  // namespace
}  // namespace vantora

// The tool's writes under faults: a failed write names the file once with the
// system's reason, and a signal that ends the tool mid-write leaves no
// scratch file behind. Full disks, read-only file systems and stalled writes
// come from a preloaded library (tests/support/faultshim).
#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "support/clirun.h"
#include "support/faultrun.h"
#include "support/filesizelimit.h"
#include "support/largest.h"
#include "support/locbytes.h"

namespace vantora {
namespace {

namespace fs = std::filesystem;
using test::CliRun;
const auto& Quoted = test::ShellQuote;

std::string Shim(const std::string& fault, const std::string& path) {
  return "LD_PRELOAD=" + Quoted(VANTORA_FAULTSHIM) + " ASAN_OPTIONS=verify_asan_link_order=0" +
         " VANTORA_FAULT=" + fault + " VANTORA_FAULT_PATH=" + Quoted(path);
}

// How often the tool's own lines ("vantora: ...") hold `part`; a library
// may add lines of its own.
int Occurrences(const std::string& text, const std::string& part) {
  int n = 0;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    const std::string line = text.substr(start, end - start);
    if (line.rfind("vantora: ", 0) == 0 && line.find(part) != std::string::npos) ++n;
  }
  return n;
}

class CliWriteFaultTest : public ::testing::Test {
 protected:
  // False for the commands that need the painters (a build of the core only).
  bool Has(const std::string& command) {
    return test::RunVantora("--help", dir).out.find("\n  " + command + " ") != std::string::npos;
  }
  void SetUp() override {
    fs::create_directories(site);
    test::LocationSpec spec;
    spec.channels = {{"Temp", 0, 0, 1, 6}, {"RH", 1, 3, 0, 5}};
    for (std::uint32_t r = 0; r < 600; ++r) spec.records.push_back({r * 60, {21.5f, 45}});
    test::WriteBytes(location, test::LocationBytes(spec));
  }
  // The failed run: exit status 1 and `lines` on standard error, which name
  // the target once; nothing is left at the target or beside it.
  void ExpectFailure(const CliRun& r, const std::string& lines, const std::string& target) {
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.err.find(lines), std::string::npos) << r.err;
    EXPECT_EQ(Occurrences(r.err, target), 1) << r.err;
    EXPECT_FALSE(fs::exists(target));
    const std::string folder = fs::path(target).parent_path().string();
    if (fs::is_directory(folder)) {
      EXPECT_TRUE(test::ScratchFiles(folder).empty()) << folder;
    }
  }
  test::TempDir dir;
  std::string site = dir.path() + "/Site/";
  std::string location = site + "Room.loc";
};

TEST_F(CliWriteFaultTest, EveryFailedWriteGivesTheFileAndTheSystemsReason) {
  const std::string missing = dir.File("gone/Room.csv");
  ExpectFailure(test::RunVantora("export " + Quoted(location) + " -o " + Quoted(missing), dir),
                "Unable to export!\nvantora: " + missing + ": No such file or directory\n",
                missing);

  const std::string table = dir.File("Site.csv");
  ExpectFailure(test::RunVantora("export-site " + Quoted(site) + " -o " + Quoted(table), dir,
                                 Shim("ENOSPC", table)),
                "Error creating table.\nvantora: " + table + ": No space left on device\n", table);

  const std::string stats = site + "Room_stats.txt";
  ExpectFailure(test::RunVantora("stats --write " + Quoted(location), dir, Shim("EROFS", stats)),
                "cannot write " + stats + ": Read-only file system\n", stats);

  if (!Has("report") || !Has("graph")) GTEST_SKIP() << "built without the painters";
  const std::string pdf = dir.File("Survey.pdf");
  ExpectFailure(test::RunVantora("report " + Quoted(location) + " -o " + Quoted(pdf), dir,
                                 Shim("ENOSPC", pdf)),
                "cannot write " + pdf + ": No space left on device\n", pdf);

  // A real file-size limit; the workbook's library writes its file itself.
  const std::string png = dir.File("Room.png");
  const std::string xlsx = dir.File("Survey.xlsx");
  CliRun image, book;
  {
    test::FileSizeLimit limit(4096);
    image = test::RunVantora("graph " + Quoted(location) + " -o " + Quoted(png), dir);
    book = test::RunVantora("report " + Quoted(location) + " -o " + Quoted(xlsx), dir);
  }
  ExpectFailure(image, "cannot write " + png + ": File too large\n", png);
  ExpectFailure(book, "cannot write " + xlsx + ": File too large\n", xlsx);
}

TEST_F(CliWriteFaultTest, SignalsMidWriteLeaveNoScratchFile) {
  fs::copy_file(test::LargestLocationPath(), site + "Largest.loc");
  const std::string out = dir.File("out");
  fs::create_directories(out);
  struct Run {
    std::vector<std::string> args;
    std::string target;
  };
  std::vector<Run> runs = {{{"export-site", site, "-o", out + "/Site.csv"}, out + "/Site.csv"}};
  if (Has("graph"))
    runs.push_back(
        {{"graph", site + "Largest.loc", "-o", out + "/Largest.bmp"}, out + "/Largest.bmp"});
  if (Has("report")) {
    runs.push_back(
        {{"report", site + "Largest.loc", "-o", out + "/Survey.pdf"}, out + "/Survey.pdf"});
    runs.push_back(
        {{"report", site + "Largest.loc", "-o", out + "/Survey.xlsx"}, out + "/Survey.xlsx"});
  }
  // The site table under each signal, then each other output under one.
  const int signals[] = {SIGTERM, SIGINT, SIGHUP};
  for (std::size_t i = 0; i < runs.size(); ++i)
    for (int sig : signals) {
      if (i > 0 && sig != signals[i % 3]) continue;
      SCOPED_TRACE(runs[i].args[0] + " " + runs[i].target + " signal " + std::to_string(sig));
      const int status = test::InterruptedRun(test::ProgramPath("vantora"), runs[i].args,
                                              runs[i].target, sig, dir.File("stalled"));
      EXPECT_TRUE(WIFSIGNALED(status)) << status;
      if (WIFSIGNALED(status)) {
        EXPECT_EQ(WTERMSIG(status), sig);
      }
      EXPECT_TRUE(test::ScratchFiles(out).empty());
      EXPECT_FALSE(fs::exists(runs[i].target));
    }
}

}  // namespace
}  // namespace vantora

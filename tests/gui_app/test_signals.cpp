// VantoraPC ended by a signal while it writes: its scratch file goes with it.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <string>

#include "support/faultrun.h"
#include "support/largest.h"
#include "support/locbytes.h"

namespace vantora {
namespace {

TEST(ProgramSignals, VantoraPCEndedMidWriteLeavesNoScratchFile) {
  test::TempDir dir;
  const std::string location = dir.File("Largest.loc");
  std::filesystem::copy_file(test::LargestLocationPath(), location);
  // Opening a location writes its statistics file beside it.
  const std::string stats = dir.File("Largest_stats.txt");
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE(sig);
    const int status = test::InterruptedRun(test::ProgramPath("VantoraPC"), {location}, stats, sig,
                                            dir.File("stalled"));
    ASSERT_TRUE(WIFSIGNALED(status)) << status;
    EXPECT_EQ(WTERMSIG(status), sig);
    EXPECT_TRUE(test::ScratchFiles(dir.path()).empty());
    EXPECT_FALSE(std::filesystem::exists(stats));
  }
}

}  // namespace
}  // namespace vantora

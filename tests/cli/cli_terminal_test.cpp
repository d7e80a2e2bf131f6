// Output of the tool on a terminal (a pseudo-terminal made by script(1)) and
// piped.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "support/clirun.h"
#include "support/locbytes.h"
#include "support/samples.h"

namespace vantora {
namespace {

using test::CliRun;
const auto& Quote = test::ShellQuote;

class CliTerminalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(dir.path() + "/Site A");
    survey = dir.path() + "/Site A/Survey.loc";
    test::WriteBytes(survey, test::LocationBytes(test::DstSurveySpec()));
  }
  // The tool's standard output on a terminal, the terminal's own line-end
  // translation switched off so that the bytes are the tool's.
  std::string OnTerminal(const std::string& args) {
    const char* bin = std::getenv("VANTORA_BIN");
    std::string exe = std::string(bin ? bin : ".") + "/vantora";
    std::string inner = "stty -onlcr; " + Quote(exe) + " " + args + " 2>/dev/null";
    std::string cmd = "script -qec " + Quote(inner) + " /dev/null </dev/null";
    std::string out;
    FILE* pipe = popen(cmd.c_str(), "r");
    if (!pipe) return out;
    char buffer[4096];
    std::size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    pclose(pipe);
    return out;
  }
  test::ScopedTz tz{"Europe/Berlin"};
  test::TempDir dir;
  std::string survey;
};

TEST_F(CliTerminalTest, StatsAndCopyReadAsUtf8OnATerminalAndStayByteExactPiped) {
  if (std::system("command -v script >/dev/null 2>&1") != 0) GTEST_SKIP() << "no script(1)";
  std::string shown = OnTerminal("stats " + Quote(survey));
  EXPECT_NE(shown.find("Temperature \xC2\xB0"
                       "C\n"),
            std::string::npos)
      << shown;
  EXPECT_EQ(shown.find('\r'), std::string::npos);
  // Piped: the Windows-1252 text with CR LF the GUI writes.
  CliRun piped = test::RunVantora("stats " + Quote(survey), dir);
  EXPECT_EQ(piped.out, test::kDstSurveyStats);

  std::string copy = OnTerminal("copy " + Quote(survey));
  EXPECT_EQ(copy.find('\r'), std::string::npos);
  EXPECT_GT(std::count(copy.begin(), copy.end(), '\n'), 3);
  CliRun copyPiped = test::RunVantora("copy " + Quote(survey), dir);
  EXPECT_NE(copyPiped.out.find("\r\n"), std::string::npos);
  std::string plain = copyPiped.out;
  plain.erase(std::remove(plain.begin(), plain.end(), '\r'), plain.end());
  EXPECT_EQ(copy, plain);
}

TEST_F(CliTerminalTest, InfoIsUtf8WithPlainLineEnds) {
  if (std::system("command -v script >/dev/null 2>&1") != 0) GTEST_SKIP() << "no script(1)";
  std::string shown = OnTerminal("info " + Quote(survey));
  EXPECT_NE(shown.find("Channels: "), std::string::npos) << shown;
  EXPECT_EQ(shown.find('\r'), std::string::npos);
  // Degree signs as UTF-8 only.
  EXPECT_NE(shown.find("\xC2\xB0"), std::string::npos);
  for (std::size_t i = shown.find('\xB0'); i != std::string::npos; i = shown.find('\xB0', i + 1))
    EXPECT_TRUE(i > 0 && shown[i - 1] == '\xC2') << i;
}

TEST_F(CliTerminalTest, PrintKeepsQtsRuntimeFolderNoteToItself) {
  CliRun run = test::RunVantora("print " + Quote(survey) + " -o " + Quote(dir.File("out.pdf")), dir,
                                "env -u XDG_RUNTIME_DIR");
  if (run.status == 2) GTEST_SKIP() << "built without printing";
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err.find("XDG_RUNTIME_DIR"), std::string::npos) << run.err;
  EXPECT_TRUE(std::filesystem::exists(dir.File("out.pdf")));
}

}  // namespace
}  // namespace vantora

// vantora verify, run as a separate process on generated audit files.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cstdlib>

#include "integrity/auditgen.h"
#include "support/clirun.h"

namespace vantora {
namespace {

using test::AuditSpec;
using test::RunVantora;
using test::ShellQuote;
using test::TempDir;

TEST(CliVerify, LockedUnchangedFile) {
  TempDir dir;
  std::string loc = test::MakeLockedLocation(dir.path(), AuditSpec{});
  auto run = RunVantora("verify " + ShellQuote(loc), dir);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "Room 4.loc\r\nUser ID:jsmith\r\nCRC32 Check OK\n");
  run = RunVantora("verify " + ShellQuote(loc) + " --password secret", dir);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "User ID:jsmith\r\nName:John Smith\r\nCode:C-17\r\nCreated by:Logger 2210\r\n"
            "File Start Time:06-Mar-2026 14:05:09\r\nFile Locked Time:07-Mar-2026 08:00:30\r\n"
            "Creation path:\\Storage\\Sites\\Plant\r\nEncrypted CRC32 Check OK\n");
}

TEST(CliVerify, FailuresExitWithOne) {
  TempDir dir;
  std::string loc = test::MakeLockedLocation(dir.path(), AuditSpec{});
  auto run = RunVantora("verify " + ShellQuote(loc) + " --password wrong", dir);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "Can not open audit file.\r\nPassword does not match!\n");
  test::WriteBytes(loc, {'x'});
  run = RunVantora("verify " + ShellQuote(loc), dir);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "Room 4.loc\r\nUser ID:jsmith\r\nCRC32 Check FAILED!\n");
  std::string plain = dir.File("Plain.loc");
  test::WriteBytes(plain, {'x'});
  run = RunVantora("verify " + ShellQuote(plain) + " --password secret", dir);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "File was not locked.\n");
}

const char* const kDetails =
    "User ID:jsmith\r\nName:John Smith\r\nCode:C-17\r\nCreated by:Logger 2210\r\n"
    "File Start Time:06-Mar-2026 14:05:09\r\nFile Locked Time:07-Mar-2026 08:00:30\r\n"
    "Creation path:\\Storage\\Sites\\Plant\r\nEncrypted CRC32 Check OK\n";
const char* const kOpening = "Room 4.loc\r\nUser ID:jsmith\r\nCRC32 Check OK\n";

TEST(CliVerify, PasswordFromStandardInputAndNoQuestionOnAPipe) {
  TempDir dir;
  std::string loc = test::MakeLockedLocation(dir.path(), AuditSpec{});
  std::string input = dir.File("pw.txt");
  auto verifyWith = [&](const std::string& text, const std::string& options) {
    test::WriteBytes(input, std::vector<std::uint8_t>(text.begin(), text.end()));
    return RunVantora("verify " + ShellQuote(loc) + options + " < " + ShellQuote(input), dir);
  };
  auto run = verifyWith("secret\n", " --password-stdin");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, kDetails);
  run = verifyWith("secret\r\nsecond line\n", " --password-stdin");
  EXPECT_EQ(run.out, kDetails);
  run = verifyWith("wrong\n", " --password-stdin");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "Can not open audit file.\r\nPassword does not match!\n");
  // An empty line is no password: today's report.
  run = verifyWith("\n", " --password-stdin");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, kOpening);
  // Standard input that is no terminal is never asked, nor read.
  run = verifyWith("secret\n", "");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, kOpening);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(RunVantora("verify " + ShellQuote(loc) + " --password a --password-stdin", dir).status,
            2);
}

#ifndef _WIN32
// Runs vantora verify on a pseudo-terminal, answers its question with
// `answer` and gives everything the terminal showed.
std::string VerifyOnATerminal(const std::string& loc, const std::string& answer, int& status) {
  const char* bin = std::getenv("VANTORA_BIN");
  std::string exe = std::string(bin ? bin : ".") + "/vantora";
  int master = -1;
  pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
  if (pid == 0) {
    execl(exe.c_str(), "vantora", "verify", loc.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  std::string shown;
  bool answered = false;
  char buffer[512];
  for (;;) {
    pollfd p{master, POLLIN, 0};
    if (poll(&p, 1, 10000) <= 0) break;
    ssize_t n = read(master, buffer, sizeof buffer);
    if (n <= 0) break;
    shown.append(buffer, static_cast<std::size_t>(n));
    if (!answered && shown.find("(empty: skip): ") != std::string::npos) {
      std::string line = answer + "\n";
      EXPECT_EQ(write(master, line.data(), line.size()), static_cast<ssize_t>(line.size()));
      answered = true;
    }
  }
  close(master);
  int raw = 0;
  waitpid(pid, &raw, 0);
  status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  EXPECT_TRUE(answered) << shown;
  return shown;
}

TEST(CliVerify, ATerminalIsAskedWithoutEcho) {
  TempDir dir;
  std::string loc = test::MakeLockedLocation(dir.path(), AuditSpec{});
  int status = -1;
  std::string shown = VerifyOnATerminal(loc, "secret", status);
  EXPECT_EQ(status, 0) << shown;
  EXPECT_NE(shown.find("Encrypted CRC32 Check OK"), std::string::npos) << shown;
  EXPECT_EQ(shown.find("secret"), std::string::npos) << shown;
  // An empty answer gives the opening report.
  shown = VerifyOnATerminal(loc, "", status);
  EXPECT_EQ(status, 0) << shown;
  EXPECT_NE(shown.find("CRC32 Check OK"), std::string::npos) << shown;
  EXPECT_EQ(shown.find("Name:"), std::string::npos) << shown;
}
#endif

TEST(CliVerify, BadSealedLengthIsReported) {
  TempDir dir;
  AuditSpec spec;
  spec.sealedLengthOverride = 12;
  std::string loc = test::MakeLockedLocation(dir.path(), spec);
  auto run = RunVantora("verify " + ShellQuote(loc) + " --password secret", dir);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("Bad buffer length."), std::string::npos);
}

}  // namespace
}  // namespace vantora

// vantora verify, run as a separate process on generated audit files.
#include <gtest/gtest.h>

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

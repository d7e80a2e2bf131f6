#include "integrity/lockfile.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/timetext.h"
#include "integrity/auditgen.h"
#include "integrity/auditreport.h"

namespace vantora {
namespace {

using test::AuditSpec;
using test::MakeLockedLocation;
using test::TempDir;

namespace fs = std::filesystem;

TEST(LockPath, CutsAtTheFileNamesFirstDot) {
  EXPECT_EQ(LockPathOf("C:\\Sites\\Plant\\Room 4.loc"), "C:\\Sites\\Plant\\Room 4.lck");
  EXPECT_EQ(LockPathOf("C:\\Data.2005\\Room.loc"), "C:\\Data.2005\\Room.lck");
  EXPECT_EQ(LockPathOf("/d/Room.v2.loc"), "/d/Room.lck");
}

TEST(PasswordKeyTest, TenBytesCutOrZeroPadded) {
  EXPECT_EQ(PasswordKey("abc"), std::string("abc\0\0\0\0\0\0\0", 10));
  EXPECT_EQ(PasswordKey("0123456789XYZ"), "0123456789");
  EXPECT_EQ(PasswordKey(""), std::string(10, '\0'));
}

TEST(LockFileTest, UnchangedFileWithCorrectPassword) {
  TempDir dir;
  AuditSpec spec;
  std::string loc = MakeLockedLocation(dir.path(), spec);
  LockFile lock(loc);
  EXPECT_TRUE(lock.Exists());
  EXPECT_TRUE(lock.IsLocked());
  LockInfo plain;
  EXPECT_TRUE(lock.CheckFileCrc(plain));
  EXPECT_EQ(plain.fileTitle, "Room 4");
  EXPECT_EQ(plain.userId, "jsmith");
  EXPECT_EQ(plain.creationPath, "\\Storage\\Sites\\Plant");

  LockInfo full;
  ASSERT_TRUE(lock.ReadFull(lock.LockPath(), "secret", full));
  EXPECT_FALSE(lock.PasswordMismatch());
  EXPECT_EQ(full.sealedUserId, "jsmith");
  EXPECT_EQ(full.code, "C-17");
  EXPECT_EQ(full.name, "John Smith");
  EXPECT_EQ(full.createdBy, "Logger 2210");
  EXPECT_EQ(full.startTime, MakeLocalTime(2026, 3, 6, 14, 5, 9));
  EXPECT_EQ(full.lockedTime, MakeLocalTime(2026, 3, 7, 8, 0, 30));
  EXPECT_EQ(full.sealedCrc, plain.fileCrc);

  auto details = AuditDetailsReport(loc, "secret");
  EXPECT_TRUE(details.opened);
  EXPECT_TRUE(details.encryptedCrcOk);
  ASSERT_EQ(details.lines.size(), 8u);
  EXPECT_EQ(details.reportText,
            "User ID:jsmith\r\nName:John Smith\r\nCode:C-17\r\nCreated by:Logger 2210\r\n"
            "File Start Time:06-Mar-2026 14:05:09\r\nFile Locked Time:07-Mar-2026 08:00:30\r\n"
            "Creation path:\\Storage\\Sites\\Plant\r\nEncrypted CRC32 Check OK");
  auto opening = AuditOpeningReport(loc);
  EXPECT_TRUE(opening.locked);
  EXPECT_EQ(opening.titleLine, "Room 4");
  EXPECT_EQ(opening.userLine, "User ID:jsmith");
  EXPECT_EQ(opening.statusLine, "CRC32 Check OK");
  EXPECT_EQ(opening.reportText, "Room 4.loc\r\nUser ID:jsmith\r\nCRC32 Check OK");
}

TEST(LockFileTest, PasswordBeyondTenCharactersIsIgnored) {
  TempDir dir;
  AuditSpec spec;
  spec.password = "0123456789";
  std::string loc = MakeLockedLocation(dir.path(), spec);
  EXPECT_TRUE(AuditDetailsReport(loc, "0123456789-and-more").opened);
  EXPECT_FALSE(AuditDetailsReport(loc, "012345678").opened);
}

TEST(LockFileTest, WrongPassword) {
  TempDir dir;
  std::string loc = MakeLockedLocation(dir.path(), AuditSpec{});
  LockFile lock(loc);
  LockInfo info;
  EXPECT_FALSE(lock.ReadFull(lock.LockPath(), "Secret", info));
  EXPECT_TRUE(lock.PasswordMismatch());
  auto details = AuditDetailsReport(loc, "Secret");
  EXPECT_EQ(details.lines,
            (std::vector<std::string>{"Can not open audit file!", "Password does not match!"}));
  EXPECT_EQ(details.reportText, "Can not open audit file.\r\nPassword does not match!");
}

TEST(LockFileTest, ChangedLocation) {
  TempDir dir;
  std::string loc = MakeLockedLocation(dir.path(), AuditSpec{});
  test::WriteBytes(loc, {'C', 'H', 'A', 'N', 'G', 'E', 'D'});
  auto opening = AuditOpeningReport(loc);
  EXPECT_TRUE(opening.locked);
  EXPECT_FALSE(opening.crcOk);
  EXPECT_EQ(opening.statusLine, "CRC32 Check FAILED!");
  EXPECT_EQ(opening.reportText, "Room 4.loc\r\nUser ID:jsmith\r\nCRC32 Check FAILED!");
  auto details = AuditDetailsReport(loc, "secret");
  EXPECT_TRUE(details.opened);
  EXPECT_FALSE(details.encryptedCrcOk);
  EXPECT_EQ(details.lines.back(), "Encrypted CRC32 Check FAILED!");
}

TEST(LockFileTest, SealedCrcDisagreeingWithPlainCrc) {
  TempDir dir;
  AuditSpec spec;
  spec.sealedCrc = 0x12345678;
  std::string loc = MakeLockedLocation(dir.path(), spec);
  EXPECT_TRUE(AuditOpeningReport(loc).crcOk);
  auto details = AuditDetailsReport(loc, "secret");
  EXPECT_TRUE(details.opened);
  EXPECT_EQ(details.lines.back(), "Encrypted CRC32 Check FAILED!");
}

TEST(LockFileTest, DeletedLocationAfterOpening) {
  TempDir dir;
  std::string loc = MakeLockedLocation(dir.path(), AuditSpec{});
  EXPECT_TRUE(AuditOpeningReport(loc).crcOk);
  fs::remove(loc);
  auto details = AuditDetailsReport(loc, "secret");
  EXPECT_TRUE(details.opened);
  EXPECT_EQ(details.lines.back(), "Encrypted CRC32 Check FAILED!");
  EXPECT_EQ(FileCrc32(loc), 0u);
}

TEST(LockFileTest, VersionWordsOneAndTwoMeanNotLocked) {
  TempDir dir;
  AuditSpec spec;
  spec.versionCopy = 2;
  std::string loc = MakeLockedLocation(dir.path(), spec);
  LockFile lock(loc);
  EXPECT_TRUE(lock.Exists());
  EXPECT_FALSE(lock.IsLocked());
  LockInfo info;
  EXPECT_FALSE(lock.ReadPlain(lock.LockPath(), info));
  EXPECT_EQ(info.userId, "");
  auto opening = AuditOpeningReport(loc);
  EXPECT_FALSE(opening.locked);
  EXPECT_EQ(opening.statusLine, "File was not locked.");
  EXPECT_EQ(opening.userLine, "");
  EXPECT_EQ(opening.reportText, "Room 4.loc\r\nFile was not locked.");
  EXPECT_FALSE(lock.ReadFull(lock.LockPath(), "secret", info));
  EXPECT_FALSE(lock.PasswordMismatch());
  // Both words 2: not the expected version either.
  spec.version = 2;
  loc = MakeLockedLocation(dir.path(), spec);
  EXPECT_FALSE(LockFile(loc).IsLocked());
}

TEST(LockFileTest, MissingOrZeroCrcAuditFile) {
  TempDir dir;
  std::string loc = dir.File("Room 4.loc");
  test::WriteBytes(loc, {'x'});
  auto opening = AuditOpeningReport(loc);
  EXPECT_FALSE(opening.locked);
  EXPECT_EQ(opening.reportText, "File was not locked.");
  EXPECT_EQ(opening.titleLine, "Room 4.loc");
  AuditSpec spec;
  spec.fileCrc = 0;
  test::WriteBytes(dir.File("Room 4.lck"), test::AuditBytes(spec));
  EXPECT_FALSE(LockFile(loc).IsLocked());
  EXPECT_EQ(AuditOpeningReport(loc).reportText, "Room 4.loc\r\nFile was not locked.");
}

TEST(LockFileTest, SealedLengthNotAMultipleOfEight) {
  TempDir dir;
  std::string reported;
  BlowfishCipher::SetMessageHook([&](const std::string& m) { reported = m; });
  AuditSpec spec;
  spec.encipher = false;           // stored in plain: read as it came
  spec.sealedLengthOverride = 61;  // the block holds 59 bytes of fields
  std::string loc = MakeLockedLocation(dir.path(), spec);
  LockFile lock(loc);
  LockInfo info;
  EXPECT_TRUE(lock.ReadFull(lock.LockPath(), "anything", info));
  EXPECT_EQ(reported, "Bad buffer length.");
  EXPECT_EQ(info.sealedUserId, "jsmith");
  EXPECT_EQ(info.name, "John Smith");
  EXPECT_EQ(info.startTime, MakeLocalTime(2026, 3, 6, 14, 5, 9));
  // Enciphered but with a length of 12: not deciphered, so the IDs differ.
  reported.clear();
  spec.encipher = true;
  spec.sealedLengthOverride = 12;
  loc = MakeLockedLocation(dir.path(), spec);
  EXPECT_FALSE(LockFile(loc).ReadFull(LockPathOf(loc), "secret", info));
  EXPECT_EQ(reported, "Bad buffer length.");
  BlowfishCipher::SetMessageHook(nullptr);
}

TEST(LockFileTest, SealedLengthBeyondTheFileIsAReadError) {
  TempDir dir;
  AuditSpec spec;
  spec.sealedLengthOverride = 0x7FFFFFF8;
  std::string loc = MakeLockedLocation(dir.path(), spec);
  LockFile lock(loc);
  LockInfo info;
  EXPECT_FALSE(lock.ReadFull(lock.LockPath(), "secret", info));
  EXPECT_FALSE(lock.PasswordMismatch());
  EXPECT_EQ(AuditDetailsReport(loc, "secret").lines,
            std::vector<std::string>{"Can not open audit file!"});
}

TEST(LockFileTest, NothingIsWrittenToTheTemporaryFolder) {
  TempDir dir;
  std::string loc = MakeLockedLocation(dir.path(), AuditSpec{});
  auto scratch = fs::temp_directory_path() / "e.e";
  bool existed = fs::exists(scratch);
  auto before = existed ? fs::last_write_time(scratch) : fs::file_time_type{};
  ASSERT_TRUE(AuditDetailsReport(loc, "secret").opened);
  EXPECT_EQ(fs::exists(scratch), existed);
  if (existed) {
    EXPECT_EQ(fs::last_write_time(scratch), before);
  }
}

TEST(LockInfoTest, DefaultTimes) {
  LockInfo info;
  EXPECT_EQ(DateTimeText(info.startTime), "01-Jan-1990 01:00:00");
  EXPECT_EQ(info.lockedTime, info.startTime);
  EXPECT_EQ(info.fileCrc, 0u);
}

}  // namespace
}  // namespace vantora

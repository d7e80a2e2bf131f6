#include "integrity/recordfile.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/pathutil.h"
#include "support/locbytes.h"

namespace vantora {
namespace {

using test::ReadAll;
using test::TempDir;
using test::WriteBytes;

namespace fs = std::filesystem;

std::string Bytes(std::initializer_list<int> b) {
  std::string s;
  for (int v : b) s += static_cast<char>(v);
  return s;
}

void Put(const std::string& path, const std::string& bytes) {
  WriteBytes(path, std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
}

TEST(RecordFileRead, WordFromOneByteThenEnd) {
  TempDir dir;
  Put(dir.File("a"), Bytes({0x41}));
  RecordFile f(dir.File("a"));
  f.OpenForRead();
  EXPECT_EQ(f.ReadWord(), 0x41);
  EXPECT_FALSE(f.AtEnd());
  EXPECT_EQ(f.Error(), RecordFileError::None);
  EXPECT_EQ(f.ReadByte(), 0);
  EXPECT_TRUE(f.AtEnd());
  EXPECT_EQ(f.Error(), RecordFileError::None);
  // At the end every read yields zero without touching the error.
  EXPECT_EQ(f.ReadDword(), 0u);
  EXPECT_EQ(f.ReadCountedString(), "");
  EXPECT_EQ(f.Error(), RecordFileError::None);
  f.Close();
}

TEST(RecordFileRead, LittleEndianIntegersAndStrings) {
  TempDir dir;
  Put(dir.File("a"),
      Bytes({0x34, 0x12, 0x78, 0x56, 0x34, 0x12, 'A', 0, 'B', 0, 0, 3, 0, 'x', 'y', 'z', 0xE9}));
  RecordFile f(dir.File("a"));
  f.OpenForRead();
  EXPECT_EQ(f.ReadWord(), 0x1234);
  EXPECT_EQ(f.ReadDword(), 0x12345678u);
  EXPECT_EQ(f.ReadFixedString(5), "AB");
  EXPECT_EQ(f.ReadCountedString(), "xyz");
  EXPECT_EQ(f.ReadFixedString(0), "");
  EXPECT_EQ(f.ReadByte(), 0xE9);
  EXPECT_EQ(f.Error(), RecordFileError::None);
  EXPECT_FALSE(f.AtEnd());
  f.Close();
}

TEST(RecordFileRead, ExpectByteAndStickyErrors) {
  TempDir dir;
  Put(dir.File("a"), Bytes({100, 7, 8}));
  RecordFile f(dir.File("a"));
  f.OpenForRead();
  EXPECT_EQ(f.ExpectByte(100), 100);
  EXPECT_EQ(f.Error(), RecordFileError::None);
  EXPECT_EQ(f.ExpectByte(100), 7);
  EXPECT_EQ(f.Error(), RecordFileError::UnexpectedValue);
  // Sticky: the next read is skipped.
  EXPECT_EQ(f.ReadByte(), 0);
  EXPECT_EQ(f.ErrorCode(), 1);
  f.Close();
  // Closing keeps the flags.
  EXPECT_EQ(f.ErrorCode(), 1);
}

TEST(RecordFileRead, ReadBytesShortReadIsNotAnError) {
  TempDir dir;
  Put(dir.File("a"), Bytes({1, 2, 3}));
  RecordFile f(dir.File("a"));
  f.OpenForRead();
  unsigned char buf[8] = {};
  EXPECT_FALSE(f.ReadBytes(buf, 8));
  EXPECT_EQ(buf[2], 3);
  EXPECT_FALSE(f.AtEnd());
  EXPECT_EQ(f.Error(), RecordFileError::None);
  EXPECT_FALSE(f.ReadBytes(buf, 1));
  EXPECT_TRUE(f.AtEnd());
  f.Close();
}

TEST(RecordFileRead, FailedOpenThenReadsEndWithError7) {
  TempDir dir;
  RecordFile f(dir.File("missing"));
  f.OpenForRead();
  EXPECT_EQ(f.ErrorCode(), 4);
  LogTime before = Now();
  LogTime t = f.ReadTime();
  EXPECT_GE(t, before);
  EXPECT_LE(t, Now());
  EXPECT_EQ(f.ReadByte(), 0);
  EXPECT_EQ(f.ErrorCode(), 7);
}

TEST(RecordFileTime, RoundTripAndLayout) {
  TempDir dir;
  LogTime t = MakeLocalTime(2026, 3, 6, 14, 5, 9);
  RecordFile w(dir.File("t"));
  w.Create();
  w.WriteTime(t);
  w.Close();
  EXPECT_EQ(w.Error(), RecordFileError::None);
  EXPECT_EQ(ReadAll(dir.File("t")), Bytes({14, 5, 9, 0, 6, 3, 0xEA, 0x07}));
  RecordFile r(dir.File("t"));
  r.OpenForRead();
  EXPECT_EQ(r.ReadTime(), t);
  EXPECT_EQ(r.Error(), RecordFileError::None);
  // Now at the end: the current time, not a read.
  LogTime before = Now();
  EXPECT_GE(r.ReadTime(), before);
  r.Close();
}

TEST(RecordFileTime, RecordCutShortYieldsTheCurrentTime) {
  TempDir dir;
  Put(dir.File("t"), Bytes({14, 5, 9, 0, 6}));
  RecordFile r(dir.File("t"));
  r.OpenForRead();
  LogTime before = Now();
  EXPECT_GE(r.ReadTime(), before);
  EXPECT_TRUE(r.AtEnd());
  r.Close();
}

TEST(RecordFileTime, RecordCutInsideItsYearYieldsTheCurrentTime) {
  TempDir dir;
  Put(dir.File("t"), Bytes({14, 5, 9, 0, 6, 3, 0xEA}));
  RecordFile r(dir.File("t"));
  r.OpenForRead();
  LogTime before = Now();
  EXPECT_GE(r.ReadTime(), before);
  EXPECT_TRUE(r.AtEnd());
  EXPECT_EQ(r.Error(), RecordFileError::None);
  r.Close();
}

TEST(RecordFileWrite, FixedStringsAreCutOrPadded) {
  TempDir dir;
  RecordFile w(dir.File("s"));
  w.Create();
  w.WriteFixedString("ABCDEFG", 4);
  w.WriteFixedString("AB", 4);
  w.WriteFixedString("ignored", 0);
  w.WriteWord(0xBEEF);
  w.WriteByte(0x7F);
  const unsigned char block[3] = {9, 8, 7};
  w.WriteBytes(block, 3);
  w.Close();
  EXPECT_EQ(w.Error(), RecordFileError::None);
  EXPECT_EQ(ReadAll(dir.File("s")),
            Bytes({'A', 'B', 'C', 'D', 'A', 'B', 0, 0, 0xEF, 0xBE, 0x7F, 9, 8, 7}));
}

TEST(RecordFileWrite, CreateReplacesAReadOnlyFile) {
  TempDir dir;
  std::string p = dir.File("ro");
  Put(p, "old contents");
  fs::permissions(p, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  RecordFile w(p);
  w.Create();
  w.WriteByte('N');
  w.Close();
  EXPECT_EQ(w.Error(), RecordFileError::None);
  EXPECT_EQ(ReadAll(p), "N");
}

TEST(RecordFileWrite, AppendNeedsAnExistingFile) {
  TempDir dir;
  RecordFile missing(dir.File("none"));
  missing.OpenForAppend();
  EXPECT_EQ(missing.ErrorCode(), 3);
  EXPECT_FALSE(FileExists(dir.File("none")));
  missing.WriteByte(1);
  EXPECT_EQ(missing.ErrorCode(), 6);
  EXPECT_FALSE(FileExists(dir.File("none")));

  Put(dir.File("log"), "ab");
  RecordFile append(dir.File("log"));
  append.OpenForAppend();
  append.WriteByte('c');
  append.Close();
  EXPECT_EQ(append.Error(), RecordFileError::None);
  EXPECT_EQ(ReadAll(dir.File("log")), "abc");
}

TEST(RecordFileWrite, WriteOnAReaderSetsError6AndChangesNothing) {
  TempDir dir;
  Put(dir.File("r"), "keep");
  RecordFile f(dir.File("r"));
  f.OpenForRead();
  f.WriteWord(0x4141);
  EXPECT_EQ(f.ErrorCode(), 6);
  f.WriteTime(Now());
  f.Close();
  EXPECT_EQ(ReadAll(dir.File("r")), "keep");
  // And a read on a writer: error 7.
  RecordFile w(dir.File("w"));
  w.Create();
  EXPECT_EQ(w.ReadByte(), 0);
  EXPECT_EQ(w.ErrorCode(), 7);
  w.Close();
}

TEST(RecordFileWrite, CreateFailsInAMissingFolder) {
  TempDir dir;
  RecordFile w(dir.File("no/such/folder/x"));
  w.Create();
  EXPECT_EQ(w.ErrorCode(), 3);
  w.WriteByte(1);
  EXPECT_EQ(w.ErrorCode(), 6);
}

TEST(RecordFileMemory, ReadsLikeTheFile) {
  const std::string data = Bytes({3, 0, 'a', 0, 'b', 0x10, 0x20});
  TempDir dir;
  Put(dir.File("m"), data);
  RecordFile disk(dir.File("m"));
  RecordFile mem(dir.File("m"));
  disk.OpenForRead();
  mem.OpenMemoryForRead(data.data(), data.size());
  EXPECT_EQ(mem.Size(), disk.Size());
  EXPECT_EQ(mem.ReadCountedString(), disk.ReadCountedString());
  EXPECT_EQ(mem.ReadDword(), disk.ReadDword());
  EXPECT_EQ(mem.AtEnd(), disk.AtEnd());
  EXPECT_EQ(mem.ReadByte(), disk.ReadByte());
  EXPECT_EQ(mem.AtEnd(), disk.AtEnd());
  EXPECT_TRUE(mem.AtEnd());
  mem.Close();
  disk.Close();
}

}  // namespace
}  // namespace vantora

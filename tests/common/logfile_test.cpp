#include "common/logfile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <memory>

#include "common/timetext.h"
#include "support/locbytes.h"

namespace vantora {
namespace {

using test::ChannelSpec;
using test::LocationSpec;

LocationSpec TwoChannels(int version) {
  LocationSpec s;
  s.version = version;
  s.hour = 14;
  s.minute = 5;
  s.second = 9;
  s.day = 6;
  s.month = 3;
  s.year = 2005;
  s.channels = {{"Temp", 0, 0, 1, 6}, {"RH", 1, 3, 0, 5}};
  s.records = {{0, {21.5f, 45.0f}}, {60, {-999.0f, -666666.0f}}, {70000, {22.25f, 46.0f}}};
  return s;
}

class LogFileTest : public ::testing::Test {
 protected:
  std::string Write(const LocationSpec& spec, const std::string& name = "loc.loc") {
    auto path = dir.File(name);
    test::WriteBytes(path, test::LocationBytes(spec));
    return path;
  }
  std::string WriteRaw(const std::vector<std::uint8_t>& bytes) {
    auto path = dir.File("raw.loc");
    test::WriteBytes(path, bytes);
    return path;
  }
  test::TempDir dir;
};

TEST_F(LogFileTest, ReadsBothVersionsWithTheirDataStart) {
  for (int version : {2, 3}) {
    CLogFile log(Write(TwoChannels(version)));
    ASSERT_EQ(log.Error(), LogFileError::None) << version;
    EXPECT_EQ(log.Version(), version);
    EXPECT_EQ(log.io().dataStart(), version == 2 ? 128 : 133);
    EXPECT_EQ(log.io().recordSize(), 1 + 3 + 8);
    EXPECT_EQ(log.ChannelCount(), 2);
    EXPECT_EQ(log.RecordCount(), 3);
    EXPECT_EQ(log.LastRecordIndex(), 2);
    std::string name;
    int param = -5, unit = -5, decimals = -5, width = -5;
    log.GetChannelName(1, name);
    log.GetChannelParam(1, param);
    log.GetChannelUnit(1, unit);
    log.GetChannelDecimals(1, decimals);
    log.GetChannelWidth(1, width);
    EXPECT_EQ(name, "RH");
    EXPECT_EQ(param, 1);
    EXPECT_EQ(unit, 3);
    EXPECT_EQ(decimals, 0);
    EXPECT_EQ(width, 5);

    LogTime t = 0;
    ASSERT_TRUE(log.GetTime(0, t));
    EXPECT_EQ(DateTimeText(t), "06-Mar-2005 14:05:09");
    ASSERT_TRUE(log.GetTime(2, t));
    EXPECT_EQ(DateTimeText(t), "07-Mar-2005 09:31:49");  // 70000 s later
    double v = 0;
    ASSERT_TRUE(log.GetValue(2, 0, v));
    EXPECT_DOUBLE_EQ(v, 22.25);
    std::string text;
    ASSERT_TRUE(log.GetValueText(0, 0, text));
    EXPECT_EQ(text, "   21.5");
    ASSERT_TRUE(log.GetValueText(1, 0, text));
    EXPECT_EQ(text, "OverRange");
    ASSERT_TRUE(log.GetValueText(1, 1, text));
    EXPECT_EQ(text, "N/A");
    ASSERT_TRUE(log.GetTimeText(0, text, true));
    EXPECT_EQ(text, "06-Mar-2005 14:05:09");
    ASSERT_TRUE(log.GetTimeText(0, text, false));
    EXPECT_EQ(text, "14:05:09");
  }
}

TEST_F(LogFileTest, RecordTimeBitsGiveTheRecordSize) {
  LocationSpec s = TwoChannels(3);
  s.channels.push_back({"CO2", 4, 4, 0, 6});
  for (auto& r : s.records) r.values.push_back(400.0f);
  CLogFile log(Write(s));
  EXPECT_EQ(log.io().recordSize(), 16);
  for (int bits : {8, 16}) {
    LocationSpec n = TwoChannels(2);
    n.timeBits = bits;
    for (auto& r : n.records) r.offset &= bits == 8 ? 0xFF : 0xFFFF;
    CLogFile small(Write(n, "small.loc"));
    EXPECT_EQ(small.io().recordSize(), 1 + bits / 8 + 8);
    LogTime t0 = 0, t2 = 0;
    ASSERT_TRUE(small.GetTime(0, t0));
    ASSERT_TRUE(small.GetTime(2, t2));
    EXPECT_EQ(t2 - t0, bits == 8 ? (70000 & 0xFF) : (70000 & 0xFFFF));
  }
}

TEST_F(LogFileTest, NamesDecodeSignExtendedUnitsAndSkipZeros) {
  LocationSpec s = TwoChannels(3);
  s.channels[0].name =
      "\xB0"
      "C probe";  // byte 0xB0 stored as 0xFFB0
  auto bytes = test::LocationBytes(s);
  // Put a zero unit in the middle of channel 1's name: "RH" -> "R", 0, "H".
  std::size_t name1 = 18 + 57 + 7;
  bytes[name1 + 2] = 0;
  bytes[name1 + 3] = 0;
  bytes[name1 + 4] = 'H';
  EXPECT_EQ(bytes[18 + 7 + 1], 0xFF);
  CLogFile log(WriteRaw(bytes));
  std::string name;
  log.GetChannelName(0, name);
  EXPECT_EQ(name,
            "\xB0"
            "C probe");
  log.GetChannelName(1, name);
  EXPECT_EQ(name, "RH");
}

TEST_F(LogFileTest, YearBelow1900ReadsAs2000) {
  LocationSpec s = TwoChannels(3);
  s.year = 0;
  CLogFile log(Write(s));
  LogTime t = 0;
  ASSERT_TRUE(log.GetTime(0, t));
  EXPECT_EQ(DateText(t), "06-Mar-2000");
}

TEST_F(LogFileTest, StaleCountShowsOnlyCountedRecords) {
  LocationSpec s = TwoChannels(3);
  s.recordCount = 2;
  CLogFile log(Write(s));
  EXPECT_EQ(log.RecordCount(), 2);
  double v;
  EXPECT_TRUE(log.GetValue(1, 0, v));
  EXPECT_FALSE(log.GetValue(2, 0, v));
  EXPECT_EQ(log.Error(), LogFileError::Range);
}

struct Malformed {
  const char* what;
  std::function<void(std::vector<std::uint8_t>&)> damage;
  LogFileError expected;
  LocationProblem problem;
};

TEST_F(LogFileTest, DamagedHeadersNameTheirReasonAndNeverReadRecords) {
  const std::vector<Malformed> cases = {
      {"version bytes differ", [](auto& b) { b[1] = 2; }, LogFileError::BadVersion,
       LocationProblem::BadVersion},
      {"version 1", [](auto& b) { b[0] = b[1] = 1; }, LogFileError::BadVersion,
       LocationProblem::BadVersion},
      {"version 4", [](auto& b) { b[0] = b[1] = 4; }, LogFileError::BadVersion,
       LocationProblem::BadVersion},
      {"start tag", [](auto& b) { b[7] = 0x21; }, LogFileError::BadTag, LocationProblem::BadTag},
      {"channel tag", [](auto& b) { b[16] = 0; }, LogFileError::BadTag, LocationProblem::BadTag},
      {"descriptor tag", [](auto& b) { b[18 + 57] = 0x81; }, LogFileError::BadTag,
       LocationProblem::BadTag},
      {"cut inside the channel list", [](auto& b) { b.resize(40); }, LogFileError::BadRead,
       LocationProblem::CutHeader},
      {"cut before the reserved byte", [](auto& b) { b.resize(132); }, LogFileError::BadRead,
       LocationProblem::CutHeader},
      {"only the version", [](auto& b) { b.resize(1); }, LogFileError::BadRead,
       LocationProblem::CutHeader},
      {"empty file", [](auto& b) { b.clear(); }, LogFileError::BadRead, LocationProblem::EmptyFile},
  };
  for (const auto& c : cases) {
    auto bytes = test::LocationBytes(TwoChannels(3));
    c.damage(bytes);
    CLogFile log(WriteRaw(bytes));
    EXPECT_EQ(log.Error(), c.expected) << c.what;
    EXPECT_EQ(log.Problem(), c.problem) << c.what;
    double values[kMaxChannels];
    LogTime t;
    for (int r = 0; r < 3; ++r) EXPECT_FALSE(log.ReadRecord(r, values, t)) << c.what;
    EXPECT_EQ(log.Error(), c.expected) << c.what;
  }
}

TEST_F(LogFileTest, PathsThatAreNoLocationFileAreRefusedBeforeReading) {
  CLogFile missing(dir.File("none.loc"));
  EXPECT_EQ(missing.Problem(), LocationProblem::NoSuchFile);
  EXPECT_EQ(CannotOpenMessage("x.loc", missing.Problem()),
            "x.loc can not be opened: no such file.");
  std::filesystem::create_directory(dir.File("folder.loc"));
  CLogFile folder(dir.File("folder.loc"));
  EXPECT_EQ(folder.Problem(), LocationProblem::IsFolder);
  EXPECT_STREQ(LocationProblemText(folder.Problem()), "is a folder");
  // A pipe would block the open until a writer came: it is never opened.
  ASSERT_EQ(mkfifo(dir.File("pipe.loc").c_str(), 0600), 0);
  CLogFile pipe(dir.File("pipe.loc"));
  EXPECT_EQ(pipe.Problem(), LocationProblem::NotRegularFile);
  EXPECT_EQ(pipe.Error(), LogFileError::CannotOpen);
  EXPECT_EQ(pipe.RecordCount(), 0);
  if (geteuid() != 0) {
    auto locked = Write(TwoChannels(3), "locked.loc");
    std::filesystem::permissions(locked, std::filesystem::perms::none);
    CLogFile denied(locked);
    EXPECT_EQ(denied.Problem(), LocationProblem::PermissionDenied);
  }
  EXPECT_STREQ(LocationProblemText(LocationProblem::PermissionDenied), "permission denied");
}

TEST_F(LogFileTest, ACutFileHoldsExactlyItsWholeRecords) {
  const auto whole = test::LocationBytes(TwoChannels(3));
  const std::size_t dataStart = 133, recordSize = 12;
  ASSERT_EQ(whole.size(), dataStart + 3 * recordSize);
  struct Cut {
    std::size_t size;
    int held;
  };
  for (Cut c : {Cut{dataStart, 0}, Cut{dataStart + 5, 0}, Cut{dataStart + recordSize + 11, 1},
                Cut{dataStart + 2 * recordSize, 2}}) {
    auto bytes = whole;
    bytes.resize(c.size);
    CLogFile log(WriteRaw(bytes));
    EXPECT_EQ(log.Problem(), LocationProblem::None) << c.size;
    EXPECT_EQ(log.RecordCount(), c.held) << c.size;
    EXPECT_EQ(log.HeaderRecordCount(), 3) << c.size;
    EXPECT_EQ(log.MissingRecordCount(), 3 - c.held) << c.size;
    double values[kMaxChannels];
    LogTime t;
    for (int r = 0; r < c.held; ++r) EXPECT_TRUE(log.ReadRecord(r, values, t)) << c.size;
    if (c.held == 2) {
      EXPECT_EQ(t - log.StartTime(), 60);
    }
    EXPECT_EQ(log.BadRecordCount(), 0);
  }
  EXPECT_EQ(MissingRecordsMessage("/s/a.loc", 12, 540),
            "/s/a.loc holds 12 of the 540 records its header counts; the rest is missing.");
  // A header that counts fewer records than the file holds keeps its count.
  auto longer = whole;
  longer[5] = 2;
  CLogFile stale(WriteRaw(longer));
  EXPECT_EQ(stale.RecordCount(), 2);
  EXPECT_EQ(stale.MissingRecordCount(), 0);
}

TEST_F(LogFileTest, ABadRecordFailsAloneAndIsCountedOnce) {
  auto bytes = test::LocationBytes(TwoChannels(3));
  bytes[133 + 12] = 0xFE;  // record 1's tag
  CLogFile log(WriteRaw(bytes));
  double values[kMaxChannels];
  LogTime t;
  EXPECT_TRUE(log.ReadRecord(0, values, t));
  EXPECT_FALSE(log.ReadRecord(1, values, t));
  EXPECT_FALSE(log.ReadRecord(1, values, t));
  EXPECT_TRUE(log.ReadRecord(2, values, t));
  EXPECT_EQ(values[0], 22.25);
  EXPECT_TRUE(log.ReadRecord(0, values, t));
  EXPECT_EQ(log.Error(), LogFileError::None);
  EXPECT_EQ(log.BadRecordCount(), 1);
  std::string text;
  EXPECT_FALSE(log.GetTimeText(1, text, true));
  EXPECT_TRUE(log.GetTimeText(2, text, false));
  EXPECT_EQ(text, "09:31:49");
  EXPECT_EQ(BadRecordsMessage("a.loc", 1), "a.loc holds 1 damaged record; it reads as errors.");
  EXPECT_EQ(BadRecordsMessage("a.loc", 3), "a.loc holds 3 damaged records; they read as errors.");
}

// Records read many at a time give what reading them one by one gives:
// damaged tags, records the file lost after it was opened, refusals.
TEST_F(LogFileTest, BlockReadsAgreeWithRecordReads) {
  LocationSpec s;
  for (int c = 0; c < kMaxChannels; ++c) s.channels.push_back({"C" + std::to_string(c), 0, 0});
  const int count = 9000;  // several reads' worth
  for (int r = 0; r < count; ++r) {
    std::vector<float> v(kMaxChannels);
    for (int c = 0; c < kMaxChannels; ++c) v[c] = static_cast<float>(r * 0.5 + c);
    s.records.push_back({static_cast<std::uint32_t>(r * 7), v});
  }
  auto bytes = test::LocationBytes(s);
  const std::size_t dataStart = 18 + kMaxChannels * 57 + 1, size = 4 + 4 * kMaxChannels;
  for (int bad : {0, 1, 3119, 3120, 3121, 6240, 8998}) bytes[dataStart + size * bad] = 0x7F;
  const std::string path = WriteRaw(bytes);
  CLogFile block(path), single(path);
  // The last 500 records and half of one more go after both were opened.
  std::filesystem::resize_file(path, dataStart + size * (count - 500) - size / 2);

  std::vector<LogTime> times(count);
  std::vector<double> values(static_cast<std::size_t>(count) * kMaxChannels);
  std::unique_ptr<bool[]> ok(new bool[count]);
  EXPECT_EQ(block.ReadRecords(0, count, times.data(), values.data(), ok.get()), count - 507);
  int agree = 0;
  for (int r = 0; r < count; ++r) {
    double v[kMaxChannels];
    LogTime t = 0;
    const bool read = single.ReadRecord(r, v, t);
    ASSERT_EQ(ok[r], read) << r;
    if (!read) continue;
    ASSERT_EQ(times[r], t) << r;
    for (int c = 0; c < kMaxChannels; ++c) ASSERT_EQ(values[r * kMaxChannels + c], v[c]) << r;
    ++agree;
  }
  EXPECT_EQ(agree, count - 507);
  EXPECT_EQ(block.BadRecordCount(), single.BadRecordCount());
  EXPECT_EQ(block.BadRecordCount(), 507);
  EXPECT_EQ(block.Error(), LogFileError::None);
  // A part of the records reads alone.
  EXPECT_EQ(block.ReadRecords(3119, 3, times.data(), values.data(), ok.get()), 0);
  EXPECT_EQ(block.ReadRecords(5, 2, times.data(), values.data(), ok.get()), 2);
  EXPECT_EQ(times[1] - block.StartTime(), 42);
  EXPECT_EQ(values[kMaxChannels + 2], 5.0);

  // Beyond the records: refused, as a record read beyond them is.
  EXPECT_EQ(block.ReadRecords(count - 1, 2, times.data(), values.data(), ok.get()), 0);
  EXPECT_FALSE(ok[0]);
  EXPECT_EQ(block.Error(), LogFileError::Range);
  CLogFile damaged(WriteRaw({3, 2, 24}));
  EXPECT_EQ(damaged.ReadRecords(0, 1, times.data(), values.data(), ok.get()), 0);
}

TEST_F(LogFileTest, TwentyOneChannelsIsARangeError) {
  LocationSpec s;
  for (int c = 0; c < 21; ++c) s.channels.push_back({"C" + std::to_string(c), 0, 0, 1, 6});
  s.records = {{0, std::vector<float>(21, 1.0f)}};
  CLogFile log(Write(s));
  EXPECT_EQ(log.Error(), LogFileError::Range);
  EXPECT_EQ(CannotOpenMessage("/s/a.loc", log.Problem()),
            "/s/a.loc can not be opened: damaged (more than 20 channels).");
  EXPECT_LE(log.ChannelCount(), kMaxChannels);
  double v;
  EXPECT_FALSE(log.GetValue(0, 0, v));
  // A header that claims 255 channels but stops early is bounded too.
  auto bytes = test::LocationBytes(s);
  bytes[17] = 255;
  bytes.resize(300);
  CLogFile hostile(WriteRaw(bytes));
  EXPECT_NE(hostile.Error(), LogFileError::None);
  EXPECT_LE(hostile.ChannelCount(), kMaxChannels);
}

TEST_F(LogFileTest, TimeBitsOtherThanWholeBytesUpToThreeAreADamagedHeader) {
  for (int bits : {0, 7, 32, 255}) {
    LocationSpec s = TwoChannels(3);
    s.timeBits = bits;
    s.records = {{0xFFFFFFFF, {1.0f, 2.0f}}};
    CLogFile log(Write(s));
    EXPECT_EQ(log.Error(), LogFileError::BadTag) << bits;
    EXPECT_EQ(log.Problem(), LocationProblem::BadTag) << bits;
    double values[kMaxChannels];
    LogTime t;
    EXPECT_FALSE(log.ReadRecord(0, values, t)) << bits;
  }
}

TEST_F(LogFileTest, MissingFileCannotOpen) {
  CLogFile log(dir.File("none.loc"));
  EXPECT_EQ(log.Error(), LogFileError::CannotOpen);
  EXPECT_EQ(log.LastRecordIndex(), -1);
  LogTime t;
  EXPECT_FALSE(log.GetTime(0, t));
  EXPECT_STREQ(LogFileErrorText(log.Error()), "Can't open");
}

TEST_F(LogFileTest, ChannelAccessOutOfRange) {
  CLogFile log(Write(TwoChannels(3)));
  double v = 7;
  EXPECT_TRUE(log.GetValue(0, 25, v));
  EXPECT_EQ(v, 0);
  std::string name = "unchanged";
  log.GetChannelName(2, name);
  EXPECT_EQ(name, "unchanged");
  log.SetChannelName(25, "x");
  EXPECT_EQ(log.ChannelCount(), 2);
  std::string text = "x";
  EXPECT_FALSE(log.FormatValue(2, 1.0, text, true));
  EXPECT_EQ(text, "");
}

// ---------------------------------------------------------------------------
// Writer

class LogWriterTest : public LogFileTest {
 protected:
  LogTime start = MakeLocalTime(2026, 6, 1, 23, 59, 0);
  void Define(CLogFile& log, int version, int channels = 2) {
    log.SetVersion(version);
    log.SetTimeBits(24);
    log.SetStartTime(start);
    for (int c = 0; c < channels; ++c) {
      log.SetChannelName(c,
                         "Channel name that is thirty ch"[0] ? "Channel " + std::to_string(c) : "");
      log.SetChannelParam(c, c);
      log.SetChannelUnit(c, 3 + c);
      log.SetChannelDecimals(c, 1);
      log.SetChannelWidth(c, 6);
    }
  }
};

TEST_F(LogWriterTest, WritesTheSameBytesAsTheLayout) {
  for (int version : {2, 3}) {
    auto path = dir.File("w" + std::to_string(version) + ".loc");
    {
      CLogFile log(path, false);
      Define(log, version);
      log.SetChannelName(1, "A name of exactly thirty chars");
      ASSERT_TRUE(log.OpenWrite(true));
      double a[] = {21.5, 45}, b[] = {-999, -666666}, c[] = {22.25, 46};
      EXPECT_TRUE(log.AppendRecord(start, a));
      EXPECT_TRUE(log.AppendRecord(start + 60, b));
      EXPECT_TRUE(log.AppendRecord(start + 70000, c));
    }
    LocationSpec s;
    s.version = version;
    s.hour = 23;
    s.minute = 59;
    s.day = 1;
    s.month = 6;
    s.year = 2026;
    s.channels = {{"Channel 0", 0, 3, 1, 6}, {"A name of exactly thirty", 1, 4, 1, 6}};
    s.channels[1].name = std::string("A name of exactly thirty chars").substr(0, 25);
    s.records = {{0, {21.5f, 45.0f}}, {60, {-999.0f, -666666.0f}}, {70000, {22.25f, 46.0f}}};
    auto expected = test::LocationBytes(s);
    auto actual = test::ReadAll(path);
    ASSERT_EQ(actual.size(), expected.size()) << version;
    EXPECT_EQ(actual, std::string(expected.begin(), expected.end())) << version;
    // 70000 s is stored as 0x70 0x11 0x01.
    std::size_t rec2 = (version == 2 ? 128 : 133) + 2 * 12;
    EXPECT_EQ(static_cast<unsigned char>(actual[rec2 + 1]), 0x70);
    EXPECT_EQ(static_cast<unsigned char>(actual[rec2 + 2]), 0x11);
    EXPECT_EQ(static_cast<unsigned char>(actual[rec2 + 3]), 0x01);
  }
}

TEST_F(LogWriterTest, OpenWriteAppendsToAnExistingFileAndRestartsAnEmptyOne) {
  auto path = dir.File("append.loc");
  {
    CLogFile log(path, false);
    Define(log, 2);
    ASSERT_TRUE(log.OpenWrite(true));
    double v[] = {1, 2};
    log.AppendRecord(start, v);
  }
  {
    CLogFile log(path, false);
    ASSERT_TRUE(log.OpenWrite(false));
    EXPECT_EQ(log.RecordCount(), 1);
    double v[] = {3, 4};
    EXPECT_TRUE(log.AppendRecord(start + 10, v));
  }
  CLogFile read(path);
  ASSERT_EQ(read.RecordCount(), 2);
  double v = 0;
  EXPECT_TRUE(read.GetValue(1, 1, v));
  EXPECT_EQ(v, 4);

  // A cut file takes the next record after its last whole one.
  auto bytes = test::LocationBytes(TwoChannels(3));
  bytes.resize(133 + 12 + 7);
  auto cut = WriteRaw(bytes);
  {
    CLogFile log(cut, false);
    ASSERT_TRUE(log.OpenWrite(false));
    EXPECT_EQ(log.RecordCount(), 1);
    double w[] = {5, 6};
    EXPECT_TRUE(log.AppendRecord(log.StartTime() + 30, w));
  }
  CLogFile mended(cut);
  ASSERT_EQ(mended.RecordCount(), 2);
  EXPECT_EQ(mended.MissingRecordCount(), 0);
  EXPECT_TRUE(mended.GetValue(1, 1, v));
  EXPECT_EQ(v, 6);

  auto empty = dir.File("empty.loc");
  test::WriteBytes(empty, {});
  {
    CLogFile log(empty, false);
    Define(log, 3, 1);
    ASSERT_TRUE(log.OpenWrite(false));
    EXPECT_EQ(log.RecordCount(), 0);
  }
  CLogFile fresh(empty);
  EXPECT_EQ(fresh.Error(), LogFileError::None);
  EXPECT_EQ(fresh.ChannelCount(), 1);
}

TEST_F(LogWriterTest, RefusedAppendsKeepEverythingWritten) {
  auto path = dir.File("refuse.loc");
  {
    CLogFile log(path, false);
    Define(log, 2, 1);
    log.SetTimeBits(8);
    ASSERT_TRUE(log.OpenWrite(true));
    double v[] = {1};
    EXPECT_TRUE(log.AppendRecord(start + 255, v));
    EXPECT_FALSE(log.AppendRecord(start + 256, v));  // does not fit in 8 bits
    EXPECT_EQ(log.Error(), LogFileError::Range);
    EXPECT_EQ(log.RecordCount(), 1);
  }
  CLogFile read(path);
  EXPECT_EQ(read.Error(), LogFileError::None);
  EXPECT_EQ(read.RecordCount(), 1);
  LogTime t;
  ASSERT_TRUE(read.GetTime(0, t));
  EXPECT_EQ(t - read.StartTime(), 255);

  CLogFile before(dir.File("before.loc"), false);
  Define(before, 3, 1);
  ASSERT_TRUE(before.OpenWrite(true));
  double v[] = {1};
  EXPECT_FALSE(before.AppendRecord(start - 1, v));
  EXPECT_EQ(before.RecordCount(), 0);
}

TEST_F(LogWriterTest, RefusesTheRecordAfter65535) {
  auto path = dir.File("full.loc");
  {
    CLogFile log(path, false);
    Define(log, 3, 1);
    ASSERT_TRUE(log.OpenWrite(true));
    double v[] = {0};
    for (int r = 0; r < kMaxRecords; ++r) {
      v[0] = r;
      ASSERT_TRUE(log.AppendRecord(start + r, v)) << r;
    }
    EXPECT_FALSE(log.AppendRecord(start + kMaxRecords, v));
  }
  CLogFile read(path);
  EXPECT_EQ(read.RecordCount(), kMaxRecords);
  double v = 0;
  ASSERT_TRUE(read.GetValue(kMaxRecords - 1, 0, v));
  EXPECT_EQ(v, kMaxRecords - 1);
  EXPECT_EQ(std::filesystem::file_size(path), 133u - 57u + static_cast<unsigned>(kMaxRecords) * 8u);
}

TEST_F(LogWriterTest, ReaderSeesRecordsAppendedThroughTheSameObject) {
  auto path = dir.File("live.loc");
  CLogFile log(path, false);
  Define(log, 3, 1);
  log.CreateForWrite();
  EXPECT_EQ(log.TimeBits(), 24);
  double v[] = {5};
  log.AppendRecord(start, v);
  double got = 0;
  ASSERT_TRUE(log.GetValue(0, 0, got));
  EXPECT_EQ(got, 5);
  v[0] = 6;
  log.AppendRecord(start + 1, v);
  ASSERT_TRUE(log.GetValue(1, 0, got));
  EXPECT_EQ(got, 6);
  ASSERT_TRUE(log.GetValue(0, 0, got));
  EXPECT_EQ(got, 5);
}

TEST_F(LogWriterTest, ReadOnlyFileDeniesWrites) {
  CLogFile log(Write(TwoChannels(3)));
  double v[] = {1, 2};
  log.AppendNow(v);
  EXPECT_EQ(log.Error(), LogFileError::WriteDenied);
  EXPECT_EQ(log.RecordCount(), 3);
}

// ---------------------------------------------------------------------------
// Value and time texts

TEST(ValueText, FormatsByDecimals) {
  EXPECT_EQ(FormatNumber(2, 3.14159, true), "   3.14");
  EXPECT_EQ(FormatNumber(2, 3.14159, false), " 3.14");
  EXPECT_EQ(FormatNumber(203, 3.14159, true), "3.14");
  EXPECT_EQ(FormatNumber(203, 0.0215, true), "0.0215");
  EXPECT_EQ(FormatNumber(0, 25000, true), "25000");
  EXPECT_EQ(FormatNumber(2, 25000, true), "25000");
  EXPECT_EQ(FormatNumber(0, 45, true), "     45");
  EXPECT_EQ(FormatNumber(-3, 45, true), "     45");
}

TEST(TimeText, DurationsAndDates) {
  EXPECT_EQ(DurationText(90061, true), "01 days 01:01:01");
  EXPECT_EQ(DurationText(90061, false), "01:01:01");
  EXPECT_EQ(DurationText(0, true), "00:00:00");
  EXPECT_EQ(DurationText(86399, true), "23:59:59");
  LogTime t = MakeLocalTime(2005, 3, 6, 4, 5, 9);
  EXPECT_EQ(DateText(t), "06-Mar-2005");
  EXPECT_EQ(TimeText(t, false), "04:05");
  EXPECT_EQ(MonthAbbrev(12), std::string("Dec"));
  EXPECT_EQ(MonthAbbrev(13), std::string(""));
}

TEST(TimeText, LocalTimeFollowsTheZone) {
  test::ScopedTz tz("America/New_York");
  // 2026-03-08 is the first day of daylight saving time there: 01:59:59 + 1 s = 03:00:00.
  LogTime t = MakeLocalTime(2026, 3, 8, 1, 59, 59);
  EXPECT_EQ(DateTimeText(t + 1), "08-Mar-2026 03:00:00");
}

}  // namespace
}  // namespace vantora

namespace vantora {
namespace {

// The fast path of the padded value text must give exactly what printf gives.
TEST(ValueText, PaddedTextMatchesPrintf) {
  std::uint64_t state = 88172645463325252ULL;
  auto next = [&state] {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return state;
  };
  const double specials[] = {0.0,   -0.0,  0.05,     0.15,    0.25,     2.5,    -2.5,
                             21.45, -0.05, 1e-300,   -199.95, 21999.99, 0.125,  1234567.0 / 1e3,
                             -200,  1e-7,  -1.0 / 3, 22000.0, 9.995,    -9.995, 0.5};
  for (int decimals = 0; decimals < 12; ++decimals) {
    std::vector<double> values(std::begin(specials), std::end(specials));
    for (int i = 0; i < 2000; ++i) {
      double magnitude = static_cast<double>(next() % 2200000) / 100.0;
      double v = (next() & 1) ? magnitude : -magnitude / 110.0;
      if (i % 3 == 0) v = static_cast<float>(v);  // stored values are floats
      values.push_back(v);
    }
    for (double v : values) {
      char expected[128];
      std::snprintf(expected, sizeof expected, "%7.*f", decimals, v);
      ASSERT_EQ(FormatNumber(decimals, v, true), expected) << v << " decimals " << decimals;
    }
  }
}

}  // namespace
}  // namespace vantora

// Dump conversion from dump files written byte by byte: log headers, the
// three modes and their times, packed values, channel tables, names, and the
// guards against unsafe names, oversized tables and lost files.
#include <gtest/gtest.h>

#include <filesystem>

#include "common/logfile.h"
#include "common/platform.h"
#include "location/csvexport.h"
#include "model/vocabulary.h"
#include "support/locbytes.h"
#include "transfer/transfer_support.h"
#include "transfer/transferjob.h"

namespace vantora::test {
namespace {

namespace fs = std::filesystem;

struct Channel {
  int d = 0, w = 16, g = 3;
  std::string name = "TEMP", unit = "C";
};

class DumpBuilder {
 public:
  // The channel area ends 6 bytes below 0x20000; tables are laid out from its
  // start.
  std::uint32_t AddTable(const std::vector<Channel>& channels) {
    std::uint32_t at = static_cast<std::uint32_t>(tables.size());
    tables.push_back(static_cast<std::uint8_t>(channels.size()));
    for (const auto& c : channels) {
      tables.push_back(static_cast<std::uint8_t>(c.d));
      tables.push_back(static_cast<std::uint8_t>(static_cast<std::int8_t>(c.w)));
      tables.push_back(static_cast<std::uint8_t>(static_cast<std::int8_t>(c.g)));
      for (int i = 0; i < 6; ++i) tables.push_back(i < (int)c.name.size() ? c.name[i] : 0);
      for (int i = 0; i < 10; ++i) tables.push_back(i < (int)c.unit.size() ? c.unit[i] : 0);
    }
    return at;  // offset; the address is fixed up in Write
  }
  void Header(int mode, int location, std::uint32_t t, int slots, std::uint32_t tableOffset,
              std::uint32_t interval = 60) {
    log.push_back(0x01);
    for (int i = 0; i < 5; ++i) log.push_back(0xAA);
    log.push_back(static_cast<std::uint8_t>(mode));
    log.push_back(static_cast<std::uint8_t>(location));
    Big(t, 4);
    Big(static_cast<std::uint32_t>(slots), 2);
    fixups.push_back({log.size(), tableOffset});
    Big(0, 4);
    if (mode == 1 || mode == 3) Big(interval, 4);
  }
  void Big(std::uint32_t v, int n) {
    for (int k = n - 1; k >= 0; --k) log.push_back(static_cast<std::uint8_t>(v >> (8 * k)));
  }
  void Bytes(std::initializer_list<int> bytes) {
    for (int b : bytes) log.push_back(static_cast<std::uint8_t>(b));
  }
  void Write(const std::string& folder) {
    std::uint32_t b = static_cast<std::uint32_t>((tables.size() + 127) / 128 * 128);
    std::uint32_t start = 0x20000 - b - 6;
    for (auto& f : fixups)
      for (int k = 0; k < 4; ++k)
        log[f.first + k] = static_cast<std::uint8_t>((start + f.second) >> (8 * (3 - k)));
    std::vector<std::uint8_t> chan;
    chan.reserve(4 + b);
    for (int k = 0; k < 4; ++k) chan.push_back(static_cast<std::uint8_t>(b >> (8 * k)));
    chan.insert(chan.end(), tables.begin(), tables.end());
    chan.resize(4 + b, 0);
    WriteBytes(folder + "/chan_dump.sol", chan);
    WriteBytes(folder + "/log_dump.sol", log);
  }
  std::vector<std::uint8_t> tables, log;
  std::vector<std::pair<std::size_t, std::uint32_t>> fixups;
};

class ConversionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetProfile();
    job.SetDumpFolder(dumps.path());
  }
  // A site Lab (id 1) with the location Room (id 5).
  void LabSite(CTransferJob& j) {
    CSite site;
    site.id = 1;
    site.name = "Lab";
    site.locationIds = {5};
    site.locationNames = {"Room"};
    const_cast<CSiteList&>(j.Instrument().SiteList()).sites.push_back(site);
  }
  std::string Dest(const std::string& rel) const { return dest.path() + "/" + rel; }
  void Convert() {
    builder.Write(dumps.path());
    job.ConvertLogDump(dest.path());
  }
  TempDir dumps, dest;
  DumpBuilder builder;
  CTransferJob job{""};
};

LogTime Epoch() { return MakeLocalTime(1980, 1, 1, 0, 0, 0); }

TEST_F(ConversionTest, TwoLogsOfOneLocationAreNumberedInTheSiteFolder) {
  LabSite(job);
  auto t = builder.AddTable({{1, 16, 3, "TEMP", "C"}});
  builder.Header(1, 5, 3600, 1, t);
  builder.Bytes({0x02, 0x00, 0xD7});
  builder.Header(1, 5, 7200, 1, t);
  builder.Bytes({0x02, 0x00, 0x01});
  Convert();
  EXPECT_TRUE(fs::exists(Dest("Lab/Room_01.loc")));
  EXPECT_TRUE(fs::exists(Dest("Lab/Room_02.loc")));
  CLogFile f(Dest("Lab/Room_01.loc"));
  double v = 0;
  ASSERT_TRUE(f.GetValue(0, 0, v));
  EXPECT_NEAR(v, 21.5, 1e-5);
}

TEST_F(ConversionTest, UnknownIdGoesToTheDestinationAsLocation) {
  LabSite(job);
  auto t = builder.AddTable({{}});
  builder.Header(1, 42, 3600, 1, t);
  builder.Bytes({0x02, 0, 1});
  // A site's own id: its folder, named "location".
  builder.Header(1, 1, 3600, 1, t);
  builder.Bytes({0x02, 0, 1});
  Convert();
  EXPECT_TRUE(fs::exists(Dest("location_01.loc")));
  EXPECT_TRUE(fs::exists(Dest("Lab/location_02.loc")));
}

TEST_F(ConversionTest, ModeOneTimesStartAnHourBeforeT) {
  auto t = builder.AddTable({{0, 8, 3, "X", ""}});
  builder.Header(1, 5, 3600, 5, t, 60);
  builder.Bytes({0x02, 1, 0x00, 0x02, 2, 0xFF, 0x02, 3});  // an empty slot between
  Convert();
  CLogFile f(Dest("location_01.loc"));
  EXPECT_EQ(f.Version(), 3);
  EXPECT_EQ(f.StartTime(), Epoch());
  ASSERT_EQ(f.RecordCount(), 3);
  LogTime tm = 0;
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(f.GetTime(i, tm));
    EXPECT_EQ(tm, Epoch() + 60 * i);
  }
}

TEST_F(ConversionTest, ModeThreeIsTimedLikeModeOne) {
  auto t = builder.AddTable({{0, 8, 3, "X", ""}});
  builder.Header(3, 5, 10000, 2, t, 30);
  builder.Bytes({0x02, 1, 0x02, 2});
  Convert();
  CLogFile f(Dest("location_01.loc"));
  LogTime tm = 0;
  ASSERT_TRUE(f.GetTime(1, tm));
  EXPECT_EQ(tm, Epoch() + 10000 - 3600 + 30);
}

TEST_F(ConversionTest, ModeTwoUsesItsOwnStampsWithoutTheShift) {
  auto t = builder.AddTable({{0, 16, 3, "X", ""}});
  builder.Header(2, 5, 100000, 2, t);
  builder.Bytes({0x02});
  builder.Big(100000, 4);
  builder.Bytes({0, 5, 0x02});
  builder.Big(100500, 4);
  builder.Bytes({0, 6});
  Convert();
  CLogFile f(Dest("location_01.loc"));
  LogTime tm = 0;
  EXPECT_EQ(f.StartTime(), Epoch() + 100000 - 3600);
  ASSERT_TRUE(f.GetTime(0, tm));
  EXPECT_EQ(tm - f.StartTime(), 3600);
  ASSERT_TRUE(f.GetTime(1, tm));
  EXPECT_EQ(tm, Epoch() + 100500);
}

TEST_F(ConversionTest, RecordsOutsideTheFilesTimeRangeDoNotStopTheLog) {
  auto t = builder.AddTable({{0, 16, 3, "X", ""}});
  builder.Header(2, 5, 100000, 3, t);
  builder.Bytes({0x02});
  builder.Big(100000, 4);
  builder.Bytes({0, 1, 0x02});
  builder.Big(5000, 4);  // before the file's start
  builder.Bytes({0, 2, 0x02});
  builder.Big(100060, 4);
  builder.Bytes({0, 3});
  builder.Write(dumps.path());
  struct Collect : TransferObserver {
    std::vector<std::string> warnings;
    void Warning(const std::string& t) override { warnings.push_back(t); }
  } observer;
  job.ConvertLogDump(dest.path(), &observer);
  CLogFile f(Dest("location_01.loc"));
  ASSERT_EQ(f.RecordCount(), 2);
  double v = 0;
  ASSERT_TRUE(f.GetValue(1, 0, v));
  EXPECT_DOUBLE_EQ(v, 3);
  ASSERT_EQ(observer.warnings.size(), 1u);
  EXPECT_NE(observer.warnings[0].find("records left out: 1 "), std::string::npos)
      << observer.warnings[0];
}

TEST(PackedValues, EveryWidthAndSign) {
  const std::uint8_t a[] = {0xFF, 0xFE};
  EXPECT_DOUBLE_EQ(DecodePackedValue(a, 2, 1), -0.2);
  const std::uint8_t b[] = {0x00, 0x01, 0x00};
  EXPECT_DOUBLE_EQ(DecodePackedValue(b, 3, 0), 256);
  const std::uint8_t c[] = {0xFF, 0xFF, 0xFF, 0xFF};
  EXPECT_DOUBLE_EQ(DecodePackedValue(c, 4, 0), -1);
  const std::uint8_t d[] = {0x80};
  EXPECT_DOUBLE_EQ(DecodePackedValue(d, 1, 0), -128);
  const std::uint8_t e[] = {0x7F};
  EXPECT_DOUBLE_EQ(DecodePackedValue(e, 1, 2), 1.27);
  const std::uint8_t f[] = {0x80, 0x00, 0x00};
  EXPECT_DOUBLE_EQ(DecodePackedValue(f, 3, 0), -8388608);
  const std::uint8_t g[] = {0x7F, 0xFF, 0xFF, 0xFF};
  EXPECT_DOUBLE_EQ(DecodePackedValue(g, 4, 0), 2147483647);
  const std::uint8_t h[] = {0x80, 0x00, 0x00, 0x00};
  EXPECT_DOUBLE_EQ(DecodePackedValue(h, 4, 3), -2147483.648);
  EXPECT_DOUBLE_EQ(DecodePackedValue(h, 0, 0), 0);
}

TEST_F(ConversionTest, ChannelTableEntriesBecomeDescriptors) {
  std::string unit127 = std::string("\x7f") + "F";
  auto t = builder.AddTable({{1, -16, 7, " REL HUMIDITY"[0] == ' ' ? "REL HU" : "", "%"},
                             {0, 24, -2, "CARBON", unit127},
                             {2, 8, 1, "TEMPER", "C"}});
  builder.Header(1, 5, 3600, 1, t);
  // W = -16 reads two bytes; then 3 bytes, then 1 byte.
  builder.Bytes({0x02, 0xFF, 0xFE, 0x00, 0x01, 0x00, 0x05});
  Convert();
  CLogFile f(Dest("location_01.loc"));
  ASSERT_EQ(f.ChannelCount(), 3);
  int dec = 0, param = 0, unit = 0, width = -1;
  std::string name;
  // The packed value's own decimals, not the display digits G.
  f.GetChannelDecimals(0, dec);
  EXPECT_EQ(dec, 1);
  f.GetChannelDecimals(1, dec);
  EXPECT_EQ(dec, 0);
  f.GetChannelDecimals(2, dec);
  EXPECT_EQ(dec, 2);
  f.GetChannelName(1, name);
  EXPECT_EQ(name, "CARBON F");
  f.GetChannelParam(0, param);
  f.GetChannelUnit(0, unit);
  f.GetChannelWidth(0, width);
  EXPECT_EQ(param, 9000);
  EXPECT_EQ(unit, 9000);
  EXPECT_EQ(width, 0);
  // Code 9000 names neither a parameter nor a unit.
  EXPECT_EQ(TheParamNames().GetName(param, true), "");
  EXPECT_EQ(TheUnitNames().GetName(unit), "");
  double values[20];
  ASSERT_TRUE(f.GetValues(0, values));
  EXPECT_NEAR(values[0], -0.2, 1e-6);
  EXPECT_DOUBLE_EQ(values[1], 256);
  EXPECT_NEAR(values[2], 0.05, 1e-6);
}

TEST_F(ConversionTest, ReadingsKeepTheDigitsTheInstrumentStored) {
  // G = 3 on every channel: general notation would give 1.08e+03, 21.5 with
  // G = 1 would give 2.e+01, and 650 would give "650.".
  auto t = builder.AddTable({{0, 16, 3, "CARBON", "ppm"},
                             {1, 16, 1, "TEMPER", "C"},
                             {0, 16, 3, "PRESS", "hPa"},
                             {2, 16, 2, "CO", "ppm"},
                             {12, 32, 3, "TINY", "u"},
                             {0, 32, 3, "BIG", "u"}});
  builder.Header(1, 5, 3600, 1, t);
  builder.Bytes({0x02, 0x04, 0x3D, 0x00, 0xD7, 0x02, 0x8A, 0x00, 0x0A});
  builder.Bytes({0x00, 0x00, 0x1B, 0x58, 0x00, 0x01, 0x86, 0xA3});  // 7000, 100003
  Convert();
  CLogFile f(Dest("location_01.loc"));
  ASSERT_EQ(f.Error(), LogFileError::None);
  EXPECT_EQ(f.Version(), 3);
  ASSERT_EQ(f.ChannelCount(), 6);
  int dec = -1;
  f.GetChannelDecimals(4, dec);
  EXPECT_EQ(dec, 9);  // D above 9 shows nine decimals
  const char* const padded[] = {"   1085", "   21.5",     "    650",
                                "   0.10", "0.000000007", "100003"};
  for (int c = 0; c < 6; ++c) {
    std::string text;
    double v = 0;
    ASSERT_TRUE(f.GetValue(0, c, v));
    ASSERT_TRUE(f.FormatValue(c, v, text, true));
    EXPECT_EQ(text, padded[c]) << c;
  }
  std::string csv = LocationCsvText(f, "", ",", "\n");
  std::string row = csv.substr(csv.find('\n') + 1);
  EXPECT_EQ(row.substr(row.find(',', row.find(',') + 1)),
            ",   1085,   21.5,    650,   0.10,0.000000007,100003\n")
      << csv;
}

TEST(ChannelNames, Normalised) {
  auto check = [](std::string name, const std::string& expected) {
    std::string unit = std::string("\x7f") + "F\x7f";
    NormaliseChannelName(name, unit);
    EXPECT_EQ(name, expected);
    EXPECT_EQ(unit, "F");
  };
  check("XCARBON DIOXIDE", "Carbon Dioxide");
  check("CARBON MONOXIDE", "Carbon Monoxide");
  check("carbon dioxide", "carbon dioxide");  // case-sensitive
  check("rel humidity", "Relative Humidity");
  check("Temperature", "Temperature");
  check("DEW POINT", "Dew Point");
  check("DEW POINTS", "DEW POINTS");
}

TEST_F(ConversionTest, EmptyLogMakesTheFolderButNoFileAndCounts) {
  LabSite(job);
  auto t = builder.AddTable({{}});
  builder.Header(1, 5, 3600, 0, t);
  builder.Header(1, 5, 3600, 1, t);
  builder.Bytes({0x02, 0, 9});
  Convert();
  EXPECT_TRUE(fs::is_directory(Dest("Lab")));
  EXPECT_FALSE(fs::exists(Dest("Lab/Room_01.loc")));
  EXPECT_TRUE(fs::exists(Dest("Lab/Room_02.loc")));
}

TEST_F(ConversionTest, BytesBetweenLogsAreSkippedAndACutRecordIsDropped) {
  auto t = builder.AddTable({{0, 16, 3, "X", ""}});
  builder.Bytes({0xFF, 0x00, 0x07});
  builder.Header(1, 5, 3600, 3, t);
  builder.Bytes({0x02, 0, 1, 0x02, 0, 2, 0x02, 0});  // the last record is cut
  Convert();
  CLogFile f(Dest("location_01.loc"));
  EXPECT_EQ(f.RecordCount(), 2);
}

TEST_F(ConversionTest, UntrustedNamesStayInsideTheDestination) {
  CSite site;
  site.id = 1;
  site.name = "..";
  site.locationIds = {5, 6, 7};
  site.locationNames = {"../../escape", "a\\b:c", "CON"};
  const_cast<CSiteList&>(job.Instrument().SiteList()).sites.push_back(site);
  auto t = builder.AddTable({{}});
  for (int id : {5, 6, 7}) {
    builder.Header(1, id, 3600, 1, t);
    builder.Bytes({0x02, 0, 1});
  }
  Convert();
  ASSERT_EQ(job.WrittenFiles().size(), 3u);
  auto root = fs::canonical(dest.path());
  for (const auto& file : job.WrittenFiles()) {
    auto p = fs::canonical(file);
    EXPECT_EQ(p.parent_path().parent_path(), root) << file;
  }
  EXPECT_TRUE(fs::exists(Dest("_/.._.._escape_01.loc")));
  EXPECT_TRUE(fs::exists(Dest("_/a_b_c_02.loc")));
  EXPECT_TRUE(fs::exists(Dest("_/_CON_03.loc")));
  EXPECT_EQ(SafeFileName("Room 1. "), "Room 1");
  EXPECT_EQ(SafeFileName("lpt3.txt"), "_lpt3.txt");
}

TEST_F(ConversionTest, OversizedTablesAreRefusedButTheNextLogStaysAligned) {
  std::vector<Channel> many(24, Channel{0, 8, 3, "C", ""});
  std::vector<Channel> twelve(12, Channel{0, 16, 3, "C", ""});
  auto tMany = builder.AddTable(many);
  auto tWide = builder.AddTable({{0, 40, 3, "W", ""}, {0, 8, 3, "N", ""}});
  auto t12 = builder.AddTable(twelve);
  builder.Header(1, 5, 3600, 2, tMany);
  for (int r = 0; r < 2; ++r) {
    builder.Bytes({0x02});
    for (int c = 0; c < 24; ++c) builder.Bytes({0x01});  // 0x01 would look like a log start
  }
  builder.Header(1, 5, 3600, 1, tWide);
  builder.Bytes({0x02, 0x01, 0x01, 0x01, 0x01, 0x01, 0x07});
  builder.Header(1, 5, 3600, 1, t12);
  builder.Bytes({0x02});
  for (int c = 0; c < 12; ++c) builder.Bytes({0x00, c + 1});
  builder.Write(dumps.path());

  struct Collect : TransferObserver {
    std::vector<std::string> warnings;
    void Warning(const std::string& t) override { warnings.push_back(t); }
  } observer;
  job.ConvertLogDump(dest.path(), &observer);
  ASSERT_EQ(observer.warnings.size(), 2u);
  EXPECT_NE(observer.warnings[0].find("24 channels"), std::string::npos) << observer.warnings[0];
  EXPECT_NE(observer.warnings[1].find("40 bits"), std::string::npos) << observer.warnings[1];
  EXPECT_FALSE(fs::exists(Dest("location_01.loc")));
  EXPECT_FALSE(fs::exists(Dest("location_02.loc")));
  ASSERT_EQ(job.WrittenFiles().size(), 1u);
  // Refused logs are no write failure.
  EXPECT_EQ(job.LogsToWrite(), 1);
  EXPECT_EQ(job.UnwrittenLogs(), 0);
  CLogFile f(Dest("location_03.loc"));
  ASSERT_EQ(f.ChannelCount(), 12);
  double values[20];
  ASSERT_TRUE(f.GetValues(0, values));
  EXPECT_DOUBLE_EQ(values[0], 1);
  EXPECT_DOUBLE_EQ(values[11], 12);
}

TEST_F(ConversionTest, ExistingFilesAreNeverLost) {
  auto t = builder.AddTable({{0, 16, 3, "X", ""}});
  builder.Header(1, 5, 3600, 1, t);
  builder.Bytes({0x02, 0, 1});
  builder.Write(dumps.path());
  // A different file of the same name keeps its place.
  WriteBytes(Dest("location_01.loc"), {1, 2, 3});
  job.ConvertLogDump(dest.path());
  EXPECT_EQ(FileBytes(Dest("location_01.loc")), std::string("\x01\x02\x03"));
  ASSERT_TRUE(fs::exists(Dest("location_01 (2).loc")));
  // The same download again: the identical file is kept, no third copy.
  job.ConvertLogDump(dest.path());
  ASSERT_EQ(job.WrittenFiles().size(), 1u);
  EXPECT_EQ(job.WrittenFiles()[0], Dest("location_01 (2).loc"));
  EXPECT_FALSE(fs::exists(Dest("location_01 (3).loc")));
}

#ifndef _WIN32
TEST_F(ConversionTest, AFailedCopyLeavesNoPartialFiles) {
  WriteBytes(dumps.File("finished.loc"), std::vector<std::uint8_t>(5000, 0x5A));
  WriteBytes(Dest("Room_01.loc"), {1, 2, 3});
  std::string placed;
  {
    test::FileSizeLimit full(1000);
    placed = PlaceFile(dumps.File("finished.loc"), Dest("Room_01.loc"));
  }
  EXPECT_EQ(placed, "");
  // The file that was there is untouched, and no cut copy is left beside it.
  EXPECT_EQ(FileBytes(Dest("Room_01.loc")), std::string("\x01\x02\x03"));
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dest.path()))
    names.push_back(e.path().filename().string());
  EXPECT_EQ(names, std::vector<std::string>{"Room_01.loc"});
  // With room on the disk the same call finds the next free name.
  EXPECT_EQ(PlaceFile(dumps.File("finished.loc"), Dest("Room_01.loc")), Dest("Room_01 (2).loc"));
  EXPECT_EQ(PlaceFile(dumps.File("missing.loc"), Dest("Room_01.loc")), "");
}

TEST_F(ConversionTest, ALogThatCannotBeWrittenIsNamed) {
  auto t = builder.AddTable({{0, 16, 3, "X", ""}});
  builder.Header(1, 5, 3600, 200, t);
  for (int r = 0; r < 200; ++r) builder.Bytes({0x02, 0, r});
  builder.Header(1, 5, 3600, 1, t);
  builder.Bytes({0x02, 0, 1});
  builder.Write(dumps.path());
  struct Collect : TransferObserver {
    std::vector<std::string> warnings;
    void Warning(const std::string& t) override { warnings.push_back(t); }
  } observer;
  {
    test::FileSizeLimit full(1000);
    job.ConvertLogDump(dest.path(), &observer);
  }
  ASSERT_EQ(observer.warnings.size(), 1u);
  EXPECT_EQ(observer.warnings[0],
            "Cannot write " + dest.path() + "/location_01.loc: File too large.");
  EXPECT_FALSE(fs::exists(Dest("location_01.loc")));
  // The next log, which fits, is written.
  ASSERT_EQ(job.WrittenFiles().size(), 1u);
  EXPECT_EQ(job.WrittenFiles()[0], Dest("location_02.loc"));
  EXPECT_EQ(job.LogsToWrite(), 2);
  EXPECT_EQ(job.UnwrittenLogs(), 1);
}
#endif

TEST_F(ConversionTest, ReservedAreaSizeLocatesTheTables) {
  // The same table read with a reserved area of 38 bytes instead of 6.
  auto t = builder.AddTable({{0, 16, 3, "ABC", "u"}});
  builder.Header(1, 5, 3600, 1, t);
  builder.Bytes({0x02, 0, 4});
  builder.Write(dumps.path());
  // Move the table addresses 32 bytes lower, as an instrument with c = 38
  // would place them.
  for (auto& f : builder.fixups) {
    std::uint32_t a = 0;
    for (int k = 0; k < 4; ++k) a = (a << 8) | builder.log[f.first + k];
    a -= 32;
    for (int k = 0; k < 4; ++k)
      builder.log[f.first + k] = static_cast<std::uint8_t>(a >> (8 * (3 - k)));
  }
  WriteBytes(dumps.path() + "/log_dump.sol", builder.log);
  job.SetReservedSize(38);
  job.ConvertLogDump(dest.path());
  CLogFile f(Dest("location_01.loc"));
  std::string name;
  f.GetChannelName(0, name);
  EXPECT_EQ(name, "ABC u");
}

}  // namespace
}  // namespace vantora::test

// Whole downloads against the simulator over a real pseudo-terminal.
// POSIX only: the simulator serves a pseudo-terminal.
#ifndef _WIN32
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>

#include "common/logfile.h"
#include "common/platform.h"
#include "support/clirun.h"
#include "support/locbytes.h"
#include "transfer/seriallink.h"
#include "transfer/transfer_support.h"
#include "transfer/transferjob.h"

namespace vantora::test {
namespace {

namespace fs = std::filesystem;

const char* const kThreeModes = R"(
version 2.3
state 4
site 1 Lab
location 5 Room
location 6 "Hall 2"
site 2 Plant
location 9 Boiler
log mode=1 location=5 start=3600 interval=60
channel 1 16 3 TEMPER C
channel 0 8 2 "REL HU" %
record 215 40
empty
record -12 -128
record 1000 127
log mode=2 location=6 start=7200
channel 2 32 3 "CARBON" ppm
channel 0 24 3 "X" y
record @7200 -1 8388607
record @7300 123456 -8388608
log mode=3 location=9 start=100000 interval=10
channel 3 -16 3 "DEW POINT" "\x7f\x46"
record -1 
record 32767
log mode=1 location=77 start=3600 interval=1
channel 0 8 3 A b
record 1
log mode=1 location=5 start=3600 interval=1
channel 0 8 3 A b
log mode=2 location=5 start=3600
channel 0 8 3 A b
record @3600 3
)";

struct Recorder : TransferObserver {
  std::vector<int> positions;
  std::vector<std::string> statuses;
  std::vector<std::string> warnings;
  int pumps = 0;
  // Cancels once this holds.
  std::function<bool(const Recorder&)> cancelWhen;
  void SetPos(int p) override { positions.push_back(p); }
  void Status(const std::string& t) override { statuses.push_back(t); }
  void Pump() override { ++pumps; }
  void Warning(const std::string& t) override { warnings.push_back(t); }
  bool Cancelled() override { return cancelWhen && cancelWhen(*this); }
};

class PtyTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetProfile(); }
  std::string Dest(const std::string& rel) const { return dest.path() + "/" + rel; }
  TempDir dest;
};

LogTime Epoch() { return MakeLocalTime(1980, 1, 1, 0, 0, 0); }

TEST_F(PtyTest, ThreeModesDownloadIntoSiteFolders) {
  SimRunner sim(kThreeModes);
  ASSERT_TRUE(sim.ok());
  ResetProfile(sim.Device());
  CTransferJob job(dest.path());
  Recorder rec;
  ASSERT_TRUE(job.Download(&rec)) << job.ErrorText();
  EXPECT_GT(rec.pumps, 5);
  EXPECT_TRUE(rec.warnings.empty());
  // The instrument was answering at the first rate tried, and its state set to 0.
  EXPECT_EQ(job.Instrument().Baud(), 9600u);
  EXPECT_EQ(sim.Sim().State(), 0);
  EXPECT_EQ(job.WrittenFiles().size(), 5u);

  CLogFile room(Dest("Lab/Room_01.loc"));
  ASSERT_EQ(room.Error(), LogFileError::None);
  EXPECT_EQ(room.StartTime(), Epoch());
  ASSERT_EQ(room.RecordCount(), 3);
  double v[20];
  LogTime t = 0;
  ASSERT_TRUE(room.GetValues(1, v));
  EXPECT_NEAR(v[0], -1.2, 1e-5);
  EXPECT_DOUBLE_EQ(v[1], -128);
  ASSERT_TRUE(room.GetTime(2, t));
  EXPECT_EQ(t, Epoch() + 120);
  std::string name;
  room.GetChannelName(0, name);
  EXPECT_EQ(name, "TEMPER C");

  CLogFile hall(Dest("Lab/Hall 2_02.loc"));
  ASSERT_EQ(hall.RecordCount(), 2);
  ASSERT_TRUE(hall.GetTime(0, t));
  EXPECT_EQ(t - hall.StartTime(), 3600);
  ASSERT_TRUE(hall.GetTime(1, t));
  EXPECT_EQ(t, Epoch() + 7300);
  ASSERT_TRUE(hall.GetValues(0, v));
  EXPECT_NEAR(v[0], -0.01, 1e-7);
  EXPECT_DOUBLE_EQ(v[1], 8388607);
  ASSERT_TRUE(hall.GetValues(1, v));
  EXPECT_NEAR(v[0], 1234.56, 1e-3);
  EXPECT_DOUBLE_EQ(v[1], -8388608);

  CLogFile boiler(Dest("Plant/Boiler_03.loc"));
  ASSERT_EQ(boiler.RecordCount(), 2);
  boiler.GetChannelName(0, name);
  // The name field holds six characters; the unit loses its character 127.
  EXPECT_EQ(name, "DEW PO F");
  ASSERT_TRUE(boiler.GetTime(1, t));
  EXPECT_EQ(t, Epoch() + 100000 - 3600 + 10);
  ASSERT_TRUE(boiler.GetValues(1, v));
  EXPECT_NEAR(v[0], 32.767, 1e-4);

  EXPECT_TRUE(fs::exists(Dest("location_04.loc")));
  // The fifth log has no slots: no file, but it is counted.
  EXPECT_FALSE(fs::exists(Dest("Lab/Room_05.loc")));
  EXPECT_TRUE(fs::exists(Dest("Lab/Room_06.loc")));
}

TEST_F(PtyTest, InstrumentOnlyAt2400IsFoundAfterThreeRates) {
  corvanesim::Faults f;
  f.onlyBaud = 2400;
  SimRunner sim("log mode=1 location=1\nchannel 0 8 3 A b\nrecord 1\n", f);
  ASSERT_TRUE(sim.ok());
  ResetProfile(sim.Device());
  CTransferJob job(dest.path());
  ASSERT_TRUE(job.Download(nullptr)) << job.ErrorText();
  EXPECT_EQ(job.Instrument().Baud(), 2400u);
  auto received = sim.Sim().Received();
  ASSERT_GE(received.size(), 10u);
  std::vector<std::uint32_t> probeBauds;
  for (std::size_t i = 0; i < 10; ++i) {
    EXPECT_EQ(received[i].first, 0x35);
    probeBauds.push_back(received[i].second);
  }
  EXPECT_EQ(probeBauds, (std::vector<std::uint32_t>{9600, 9600, 9600, 19200, 19200, 19200, 38400,
                                                    38400, 38400, 2400}));
  EXPECT_TRUE(fs::exists(Dest("location_01.loc")));
}

TEST_F(PtyTest, CorruptedRepliesAreRetried) {
  corvanesim::Faults f;
  f.corruptReplies = {1, 2, 7};  // two probes and one later reply
  SimRunner sim("log mode=1 location=1\nchannel 0 8 3 A b\nrecord 1\n", f);
  ASSERT_TRUE(sim.ok());
  ResetProfile(sim.Device());
  CTransferJob job(dest.path());
  ASSERT_TRUE(job.Download(nullptr)) << job.ErrorText();
  EXPECT_EQ(job.Instrument().Baud(), 9600u);
  EXPECT_EQ(sim.Count(0x35), 3);
}

TEST_F(PtyTest, CommandFailedAndUnimplementedOverTheLine) {
  corvanesim::Faults f;
  f.badCodeReplies = {2, 3, 4};
  f.unimplemented = {0x19};
  SimRunner sim("version 2.0\n", f);
  ASSERT_TRUE(sim.ok());
  ResetProfile(sim.Device());
  CInstrument inst;
  ASSERT_EQ(inst.Connect(), 1);
  EXPECT_EQ(inst.ReadVersion(), 0);
  EXPECT_EQ(inst.ErrorText(), "Command failed");
  std::uint32_t l = 7;
  EXPECT_EQ(inst.ReadLogSize(l), 1);
  EXPECT_EQ(inst.ErrorText(), "Unimplemented command");
  EXPECT_EQ(l, 0u);
  EXPECT_EQ(inst.ReadVersion(), 1);
  EXPECT_FLOAT_EQ(inst.Version(), 2.0f);
}

TEST_F(PtyTest, AReplyCutShortIsRetriedLikeACorruptedOne) {
  corvanesim::Faults f;
  f.shortReplies = {2};
  SimRunner sim("", f);
  ASSERT_TRUE(sim.ok());
  ResetProfile(sim.Device());
  CInstrument inst;
  ASSERT_EQ(inst.Connect(), 1);
  EXPECT_EQ(inst.ReadState(), 1);
  EXPECT_EQ(sim.Count(0x06), 2);

  // A whole download survives a cut reply to a site entry (reply 3) and to
  // the size query of the reserved area (reply 10, after the retried site
  // entry, two location entries, the last site entry, "<" and the version).
  corvanesim::Faults g;
  g.shortReplies = {3, 10};
  SimRunner cut("fill 600\nsite 1 Lab\nlocation 1 Room\n", g);
  ASSERT_TRUE(cut.ok());
  ResetProfile(cut.Device());
  CTransferJob job(dest.path());
  ASSERT_TRUE(job.Download(nullptr)) << job.ErrorText();
  EXPECT_EQ(cut.Count(0x43), 3);
  EXPECT_FALSE(job.WrittenFiles().empty());
}

TEST_F(PtyTest, ASiteListThatCannotBeReadFailsTheRun) {
  // Every site entry comes back damaged: nothing is read from the memory and
  // no nameless location appears.
  corvanesim::Faults f;
  f.corruptCodes = {0x43};
  SimRunner sim(kThreeModes, f);
  ASSERT_TRUE(sim.ok());
  ResetProfile(sim.Device());
  CTransferJob job(dest.path());
  EXPECT_FALSE(job.Download(nullptr));
  EXPECT_EQ(job.ErrorText(), "The instrument's site list could not be read.");
  EXPECT_EQ(sim.Count(0x43), 3);
  EXPECT_EQ(sim.Count(0x18), 0);
  EXPECT_TRUE(fs::is_empty(dest.path()));

  // A location entry that gets no answer at all is a lost line.
  corvanesim::Faults g;
  g.muteCodes = {0x44};
  SimRunner mute(kThreeModes, g);
  ASSERT_TRUE(mute.ok());
  ResetProfile(mute.Device());
  CTransferJob job2(dest.path());
  EXPECT_FALSE(job2.Download(nullptr));
  EXPECT_EQ(job2.ErrorText(), "The instrument stopped answering.");
  EXPECT_TRUE(fs::is_empty(dest.path()));
}

TEST_F(PtyTest, LogsThatCannotBeWrittenFailTheRunAfterTheRest) {
  // A file where the folder of the site Plant belongs: its log cannot be
  // placed, the other four are.
  WriteBytes(Dest("Plant"), {1});
  SimRunner sim(kThreeModes);
  ASSERT_TRUE(sim.ok());
  ResetProfile(sim.Device());
  CTransferJob job(dest.path());
  Recorder rec;
  EXPECT_FALSE(job.Download(&rec));
  EXPECT_FALSE(job.Cancelled());
  EXPECT_EQ(job.ErrorText(), "1 of 5 logs could not be written.");
  EXPECT_EQ(job.WrittenFiles().size(), 4u);
  EXPECT_TRUE(fs::exists(Dest("Lab/Room_01.loc")));
  EXPECT_TRUE(fs::exists(Dest("location_04.loc")));
  ASSERT_EQ(rec.warnings.size(), 1u);
  EXPECT_EQ(rec.warnings[0], "Cannot write " + Dest("Plant/Boiler_03.loc") + ": Not a directory.");
  EXPECT_EQ(sim.Count(0x3D), 1);
}

TEST_F(PtyTest, BlockCountsAndDumpSizes) {
  // l = 300: the logs are padded to 300 bytes with 0xFF.
  SimRunner sim(
      "channel-area 300\nlog-size 300\nlog mode=1 location=1\nchannel 0 8 3 A b\nrecord 5\n");
  ASSERT_TRUE(sim.ok());
  ResetProfile(sim.Device());
  TempDir dumps;
  CTransferJob job(dest.path());
  job.SetDumpFolder(dumps.path());
  job.SetKeepDumps(true);
  ASSERT_TRUE(job.Download(nullptr)) << job.ErrorText();
  EXPECT_EQ(sim.Count(0x18), 6);
  EXPECT_EQ(fs::file_size(dumps.File("log_dump.sol")), 300u);
  EXPECT_EQ(fs::file_size(dumps.File("chan_dump.sol")), 4u + 384u);
  EXPECT_EQ(sim.Count(0x3D), 1);
}

TEST_F(PtyTest, SizeBeyondTheMemoryReadsNoBlock) {
  SimRunner sim("log-size 0x20001\nlog mode=1 location=1\nchannel 0 8 3 A b\nrecord 5\n");
  ASSERT_TRUE(sim.ok());
  ResetProfile(sim.Device());
  CTransferJob job(dest.path());
  EXPECT_FALSE(job.Download(nullptr));
  EXPECT_EQ(job.ErrorText(), "Communications error");
  EXPECT_EQ(sim.Count(0x18), 0);
  EXPECT_EQ(sim.Count(0x3D), 1);
  EXPECT_TRUE(fs::is_empty(dest.path()));
}

TEST_F(PtyTest, EmptyLogAreaReadsNoBlockAndWritesNoFile) {
  SimRunner sim("site 1 Lab\nlocation 5 Room\n");
  ASSERT_TRUE(sim.ok());
  ResetProfile(sim.Device());
  TempDir dumps;
  CTransferJob job(dest.path());
  job.SetDumpFolder(dumps.path());
  job.SetKeepDumps(true);
  ASSERT_TRUE(job.Download(nullptr)) << job.ErrorText();
  EXPECT_EQ(sim.Count(0x18), 0);
  EXPECT_EQ(fs::file_size(dumps.File("log_dump.sol")), 0u);
  EXPECT_TRUE(job.WrittenFiles().empty());
  EXPECT_TRUE(fs::is_empty(dest.path()));
}

TEST_F(PtyTest, DumpThatCannotBeWrittenFailsTheRun) {
  SimRunner sim("fill 6000\nsite 1 Lab\nlocation 1 Room\n");
  ASSERT_TRUE(sim.ok());
  ResetProfile(sim.Device());
  TempDir dumps;
  CTransferJob job(dest.path());
  job.SetDumpFolder(dumps.path());
  bool ok = true;
  {
    FileSizeLimit full(2000);
    ok = job.Download(nullptr);
  }
  EXPECT_FALSE(ok);
  EXPECT_EQ(job.ErrorText(),
            "Cannot write the dump files.\n" + dumps.File("log_dump.sol") + ": File too large");
  // The instrument's session still ends, and nothing half-converted appears.
  EXPECT_EQ(sim.Count(0x3D), 1);
  EXPECT_TRUE(fs::is_empty(dest.path()));
}

TEST_F(PtyTest, OldFirmwareStopsBeforeAnySizeQuery) {
  SimRunner sim("version 1.9\nlog mode=1 location=1\nchannel 0 8 3 A b\nrecord 5\n");
  ASSERT_TRUE(sim.ok());
  ResetProfile(sim.Device());
  CTransferJob job(dest.path());
  EXPECT_FALSE(job.Download(nullptr));
  EXPECT_EQ(job.ErrorText(), "Incompatible instrument version.");
  EXPECT_EQ(sim.Count(0x3C), 1);
  for (int code : {0x19, 0x1A, 0x1B, 0x18, 0x3D}) EXPECT_EQ(sim.Count(code), 0) << code;
}

TEST_F(PtyTest, DisconnectInTheLogAreaFailsWithOneMessage) {
  corvanesim::Faults f;
  f.disconnectAt = 256;
  SimRunner sim("fill 1000\nsite 1 Lab\nlocation 1 Room\n", f);
  ASSERT_TRUE(sim.ok());
  ResetProfile(sim.Device());
  CTransferJob job(dest.path());
  Recorder rec;
  EXPECT_FALSE(job.Download(&rec));
  EXPECT_FALSE(job.Cancelled());
  // The block's own message, then the run's: the line is gone.
  EXPECT_EQ(job.ErrorText(), "The instrument stopped answering.");
  ASSERT_EQ(rec.warnings.size(), 1u);
  EXPECT_EQ(rec.warnings[0], "Command failed");
  EXPECT_TRUE(job.WrittenFiles().empty());
  EXPECT_TRUE(fs::is_empty(dest.path()));
}

TEST_F(PtyTest, ProgressFollowsTheBytesOfBothAreas) {
  SimRunner sim(
      "channel-area 300\nlog-size 300\nlog mode=1 location=1\nchannel 0 8 3 A b\nrecord 5\n");
  ASSERT_TRUE(sim.ok());
  ResetProfile(sim.Device());
  CTransferJob job(dest.path());
  Recorder rec;
  ASSERT_TRUE(job.Download(&rec)) << job.ErrorText();
  // Steps at multiples of 100; 600 bytes in blocks of 128, 128, 44 (channel
  // area) and 128, 128, 44 (log area) fill 100 to 300.
  EXPECT_EQ(rec.positions, (std::vector<int>{0, 100, 100, 142, 185, 200, 242, 285, 300, 300, 500}));
  std::vector<std::string> expected;
  for (int n : {0, 128, 256, 300, 428, 556, 600})
    expected.push_back("Reading memory: " + std::to_string(n) + " of 600 bytes");
  EXPECT_EQ(rec.statuses, expected);
}

TEST_F(PtyTest, AnInstrumentThatFallsSilentIsALostConnection) {
  // It answers the probe, the state and the first site entry, then nothing:
  // the site list is cut off by a lost line, and nothing further is asked.
  corvanesim::Faults f;
  f.silentAfter = 3;
  SimRunner sim("site 1 Lab\nlocation 5 Room\n", f);
  ASSERT_TRUE(sim.ok());
  ResetProfile(sim.Device());
  CTransferJob job(dest.path());
  EXPECT_FALSE(job.Download(nullptr));
  EXPECT_EQ(job.ErrorText(), "The instrument stopped answering.");
  EXPECT_EQ(sim.Count(0x44), 3);
  EXPECT_EQ(sim.Count(0x01), 0);

  // A version query without a reply is a lost line, not old firmware.
  corvanesim::Faults v;
  v.muteCodes = {0x01};
  SimRunner noVersion("site 1 Lab\nlocation 5 Room\n", v);
  ASSERT_TRUE(noVersion.ok());
  ResetProfile(noVersion.Device());
  CTransferJob job1(dest.path());
  EXPECT_FALSE(job1.Download(nullptr));
  EXPECT_EQ(job1.ErrorText(), "The instrument stopped answering.");
  EXPECT_EQ(noVersion.Count(0x01), 3);

  // Silent right after the probe: the state query goes unanswered.
  corvanesim::Faults g;
  g.silentAfter = 1;
  SimRunner mute("", g);
  ASSERT_TRUE(mute.ok());
  ResetProfile(mute.Device());
  CTransferJob job2(dest.path());
  EXPECT_FALSE(job2.Download(nullptr));
  EXPECT_EQ(job2.ErrorText(), "The instrument stopped answering.");

  // A reply that arrives but is wrong keeps its own text.
  corvanesim::Faults h;
  h.badCodeReplies = {2, 3, 4};
  SimRunner wrong("", h);
  ASSERT_TRUE(wrong.ok());
  ResetProfile(wrong.Device());
  CTransferJob job3(dest.path());
  EXPECT_FALSE(job3.Download(nullptr));
  EXPECT_EQ(job3.ErrorText(), "Communications error");
}

// A cancelled run: no location file, no dump left, the instrument's state
// reset and its transfer ended as after a finished run.
class CancelTest : public PtyTest {
 protected:
  void Run(Recorder& rec, const char* scenario =
                              "state 4\nfill 1000\nsite 1 Lab\nlocation 1 "
                              "Room\n") {
    sim = std::make_unique<SimRunner>(scenario);
    ASSERT_TRUE(sim->ok());
    ResetProfile(sim->Device());
    CTransferJob job(dest.path());
    job.SetDumpFolder(dumps.path());
    EXPECT_FALSE(job.Download(&rec));
    EXPECT_TRUE(job.Cancelled());
    EXPECT_EQ(job.ErrorText(), "Transfer cancelled.");
    EXPECT_TRUE(job.WrittenFiles().empty());
    EXPECT_TRUE(fs::is_empty(dest.path()));
    EXPECT_TRUE(fs::is_empty(dumps.path()));
    EXPECT_EQ(sim->Sim().State(), 0);
    EXPECT_EQ(sim->Count(0x3D), 1);
  }
  TempDir dumps;
  std::unique_ptr<SimRunner> sim;
};

TEST_F(CancelTest, DuringTheMemoryReadStopsAfterTheCurrentBlock) {
  Recorder rec;
  rec.cancelWhen = [](const Recorder& r) { return r.statuses.size() >= 3; };
  Run(rec);
  // Cancelled after the second block: no third one is asked for.
  EXPECT_EQ(sim->Count(0x18), 2);
  EXPECT_LT(rec.positions.back(), 300);
}

TEST_F(CancelTest, DuringTheConversionPlacesNothing) {
  Recorder rec;
  rec.cancelWhen = [](const Recorder& r) {
    return std::count(r.positions.begin(), r.positions.end(), 300) >= 2;
  };
  Run(rec);
  // The memory was read whole; the conversion was under way.
  const auto& mem = sim->Sim().Image();
  std::string total = std::to_string(mem.logSize + mem.channelAreaSize);
  ASSERT_FALSE(rec.statuses.empty());
  EXPECT_EQ(rec.statuses.back(), "Reading memory: " + total + " of " + total + " bytes");
}

TEST_F(PtyTest, CancelDuringThePortSearch) {
  corvanesim::Faults f;
  f.silentAfter = 0;
  SimRunner sim("state 4\n", f);
  ASSERT_TRUE(sim.ok());
  ResetProfile(sim.Device());
  CTransferJob job(dest.path());
  Recorder rec;
  rec.cancelWhen = [](const Recorder& r) { return r.pumps >= 3; };
  EXPECT_FALSE(job.Download(&rec));
  EXPECT_TRUE(job.Cancelled());
  EXPECT_EQ(job.ErrorText(), "Transfer cancelled.");
  // Between baud rates, long before the 24 probes of a whole search.
  EXPECT_LE(sim.Count(0x35), 9);
  EXPECT_EQ(sim.Count(0x3C), 0);
  EXPECT_EQ(sim.Count(0x3D), 0);
}

TEST_F(PtyTest, NoInstrumentMeansNoConnection) {
  // Silent on port 1, nothing on the other ports.
  corvanesim::Faults f;
  f.silentAfter = 0;
  SimRunner sim("", f);
  ASSERT_TRUE(sim.ok());
  ResetProfile(sim.Device());
  CTransferJob job(dest.path());
  EXPECT_FALSE(job.Download(nullptr));
  EXPECT_EQ(job.ErrorText(), "Can not connect to instrument.");
  // Port 1 is tried first and again as the tenth attempt: 2 x 4 rates x 3.
  EXPECT_EQ(sim.Count(0x35), 24);
}

TEST_F(PtyTest, PortWalkOverSerialLinks) {
  // A mute instrument on port 9, nothing on the others.
  corvanesim::Faults f;
  f.silentAfter = 0;
  SimRunner sim("", f);
  ASSERT_TRUE(sim.ok());
  TransferProfile::WriteString("COM9", "Device", sim.Device());
  TransferProfile::WriteInt("Kestrane", "Port", 9);
  CTransferJob job(dest.path());
  std::vector<int> ports;
  job.Instrument().SetLinkFactory([&ports](int port) {
    ports.push_back(port);
    return std::make_unique<CSerialLink>(port);
  });
  EXPECT_FALSE(job.Download(nullptr));
  EXPECT_EQ(job.ErrorText(), "Can not connect to instrument.");
  EXPECT_EQ(ports, (std::vector<int>{9, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
  EXPECT_EQ(TransferProfile::GetInt("Kestrane", "Port", 0), 1);
  EXPECT_EQ(sim.Count(0x35), 24);
}

TEST(SerialLink, MissingPortAndSettings) {
  ResetProfile();
  TransferProfile::WriteInt("COM3", "Parity", 0);
  TransferProfile::WriteInt("COM3", "Baud", 2400);
  CSerialLink link3(3);
  EXPECT_EQ(link3.LinkName(), "COM3");
  EXPECT_EQ(link3.Baud(), 2400u);
  EXPECT_EQ(link3.Parity(), 0);
  CSerialLink link1(1);
  EXPECT_EQ(link1.Baud(), 19200u);
  EXPECT_EQ(link1.Parity(), 2);
  EXPECT_EQ(link1.WordLength(), 8);
  EXPECT_EQ(link1.StopBits(), 0);
  link1.Open();
  EXPECT_EQ(link1.ErrorText(), "Open error 2");
  std::uint8_t b[4];
  EXPECT_EQ(link1.Read(b, 4, 10), 0);
  EXPECT_EQ(link1.Write(b, 4), 1);  // the error flag's value; nothing is sent
  EXPECT_EQ(link1.TakeError(), "Open error 2");
  EXPECT_EQ(link1.Error(), 0);
}

TEST(SerialLink, DeviceThatCannotBeSetUpIsLetGo) {
  auto openFiles = [] {
    int n = 0;
    for (auto it = fs::directory_iterator("/dev/fd"); it != fs::directory_iterator(); ++it) ++n;
    return n;
  };
  // Not a terminal: it opens, but has no line settings.
  ResetProfile("/dev/null");
  int before = openFiles();
  CSerialLink link(1);
  link.Open();
  EXPECT_FALSE(link.IsOpen());
  EXPECT_EQ(link.ErrorText(), "Get state error");
  EXPECT_EQ(openFiles(), before);
  // A second attempt holds nothing either.
  link.TakeError();
  link.Open();
  EXPECT_EQ(openFiles(), before);
}

TEST(SerialLink, ParityFollowsTheProfileAndSilenceIsNoError) {
  SimRunner sim("");
  ASSERT_TRUE(sim.ok());
  ResetProfile(sim.Device());
  TransferProfile::WriteInt("COM1", "Parity", 0);
  CSerialLink link(1);
  link.Open();
  ASSERT_TRUE(link.IsOpen()) << link.ErrorText();
  EXPECT_FALSE(link.ParityChecked());
  std::uint8_t b[4];
  EXPECT_EQ(link.Read(b, 4, 50), 0);
  EXPECT_EQ(link.Error(), 0);
  link.Close();
  TransferProfile::WriteInt("COM1", "Parity", 1);
  CSerialLink odd(1);
  odd.Open();
  ASSERT_TRUE(odd.IsOpen());
  EXPECT_TRUE(odd.ParityChecked());
}

// `vantora transfer` against the simulator.
std::string Bin(const std::string& name) {
  const char* dir = std::getenv("VANTORA_BIN");
  return std::string(dir ? dir : ".") + "/" + name;
}

// One `vantora transfer` from `device` (none when empty) into `folder`.
CliRun Transfer(const std::string& device, const std::string& folder) {
  TempDir tmp;
  std::string args = "transfer --dest " + ShellQuote(folder);
  if (!device.empty()) args += " --device " + ShellQuote(device);
  return RunVantora(args, tmp);
}

TEST_F(PtyTest, CommandLineTransfer) {
  SimRunner sim(kThreeModes);
  ASSERT_TRUE(sim.ok());
  CliRun run = Transfer(sim.Device(), dest.path());
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("progress 5/5"), std::string::npos) << run.err;
  EXPECT_TRUE(fs::exists(Dest("Plant/Boiler_03.loc")));

  SimRunner old("version 1.9\n");
  ASSERT_TRUE(old.ok());
  run = Transfer(old.Device(), dest.path());
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("Incompatible instrument version."), std::string::npos) << run.err;
  EXPECT_EQ(Transfer("", dest.path()).status, 2);
}

TEST_F(PtyTest, CommandLineFailsForAnUnreadSiteListAndForUnwrittenLogs) {
  corvanesim::Faults f;
  f.corruptCodes = {0x43};
  SimRunner sim(kThreeModes, f);
  ASSERT_TRUE(sim.ok());
  CliRun run = Transfer(sim.Device(), dest.path());
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("The instrument's site list could not be read."), std::string::npos)
      << run.err;
  EXPECT_EQ(run.err.find("Transfer complete."), std::string::npos) << run.err;
  EXPECT_TRUE(fs::is_empty(dest.path()));

  WriteBytes(Dest("Lab"), {1});
  SimRunner sim2(kThreeModes);
  ASSERT_TRUE(sim2.ok());
  run = Transfer(sim2.Device(), dest.path());
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("3 of 5 logs could not be written."), std::string::npos) << run.err;
  EXPECT_EQ(run.err.find("Transfer complete."), std::string::npos) << run.err;
  // The files that were written are listed and stay.
  EXPECT_NE(run.out.find("Boiler_03.loc"), std::string::npos) << run.out;
  EXPECT_TRUE(fs::exists(Dest("Plant/Boiler_03.loc")));
}

TEST_F(PtyTest, CommandLineBlockFailureFallsBackToTransferError) {
  // The first block is answered three times with a wrong code: replies 1-8
  // are the probe, the state, the site list, "<", the version and the sizes.
  corvanesim::Faults f;
  f.badCodeReplies = {9, 10, 11};
  SimRunner sim("fill 600\n", f);
  ASSERT_TRUE(sim.ok());
  CliRun run = Transfer(sim.Device(), dest.path());
  EXPECT_EQ(run.status, 1);
  // The block's own text first, then the run's.
  auto block = run.err.find("Command failed");
  auto failure = run.err.find("Transfer error.");
  EXPECT_NE(block, std::string::npos) << run.err;
  EXPECT_NE(failure, std::string::npos) << run.err;
  EXPECT_LT(block, failure) << run.err;

  // A line that goes dead is named as such.
  corvanesim::Faults g;
  g.disconnectAt = 0;
  SimRunner gone("fill 600\n", g);
  ASSERT_TRUE(gone.ok());
  run = Transfer(gone.Device(), dest.path());
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("The instrument stopped answering."), std::string::npos) << run.err;
}

TEST_F(PtyTest, CommandLineShowsTheBytesAndStopsOnCtrlC) {
  corvanesim::Faults f;
  f.replyDelayMs = 10;  // about 1.6 s for the whole memory
  SimRunner sim("state 4\nfill 20000\nsite 1 Lab\nlocation 1 Room\n", f);
  ASSERT_TRUE(sim.ok());
  int err[2];
  ASSERT_EQ(pipe(err), 0);
  auto started = std::chrono::steady_clock::now();
  pid_t pid = fork();
  if (pid == 0) {
    dup2(err[1], 2);
    close(err[0]);
    std::string exe = Bin("vantora");
    execl(exe.c_str(), exe.c_str(), "transfer", "--device", sim.Device().c_str(), "--dest",
          dest.path().c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(err[1]);
  FILE* in = fdopen(err[0], "r");
  std::string text;
  int reading = 0;
  char line[512];
  while (fgets(line, sizeof line, in)) {
    text += line;
    if (std::string(line).rfind("Reading memory: ", 0) == 0 && ++reading == 3) kill(pid, SIGINT);
  }
  fclose(in);
  int status = 0;
  waitpid(pid, &status, 0);
  double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  ASSERT_TRUE(WIFEXITED(status)) << text;
  EXPECT_EQ(WEXITSTATUS(status), 1) << text;
  EXPECT_NE(text.find("vantora: Transfer cancelled."), std::string::npos) << text;
  EXPECT_EQ(text.find("Transfer complete."), std::string::npos) << text;
  // At most five status lines a second.
  EXPECT_GE(reading, 3) << text;
  EXPECT_LE(reading, 1 + 5 * seconds) << text;
  EXPECT_NE(
      text.find(" of " +
                std::to_string(sim.Sim().Image().logSize + sim.Sim().Image().channelAreaSize) +
                " bytes\n"),
      std::string::npos)
      << text;
  // Stopped part-way, with the instrument left as after a finished run.
  EXPECT_LT(sim.Count(0x18), 150);
  EXPECT_EQ(sim.Count(0x3D), 1);
  EXPECT_EQ(sim.Sim().State(), 0);
  EXPECT_TRUE(fs::is_empty(dest.path()));
}

// SIGTERM and SIGHUP end the tool mid-download as the signal would, and take
// the dump folder and its files with them.
TEST_F(PtyTest, CommandLineEndedBySignalLeavesNoDumps) {
  for (int sig : {SIGTERM, SIGHUP}) {
    SCOPED_TRACE(sig);
    corvanesim::Faults f;
    f.replyDelayMs = 10;
    SimRunner sim("state 4\nfill 20000\nsite 1 Lab\nlocation 1 Room\n", f);
    ASSERT_TRUE(sim.ok());
    TempDir temp;
    int err[2];
    ASSERT_EQ(pipe(err), 0);
    pid_t pid = fork();
    if (pid == 0) {
      dup2(err[1], 2);
      close(err[0]);
      setenv("TMPDIR", temp.path().c_str(), 1);
      std::string exe = Bin("vantora");
      execl(exe.c_str(), exe.c_str(), "transfer", "--device", sim.Device().c_str(), "--dest",
            dest.path().c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    close(err[1]);
    FILE* in = fdopen(err[0], "r");
    int reading = 0;
    bool dumping = false;
    char line[512];
    while (fgets(line, sizeof line, in)) {
      if (std::string(line).rfind("Reading memory: ", 0) != 0 || ++reading != 3) continue;
      dumping = !fs::is_empty(temp.path());
      kill(pid, sig);
    }
    fclose(in);
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(dumping);
    ASSERT_TRUE(WIFSIGNALED(status)) << status;
    EXPECT_EQ(WTERMSIG(status), sig);
    EXPECT_TRUE(fs::is_empty(temp.path()));
    EXPECT_TRUE(fs::is_empty(dest.path()));
  }
}

TEST_F(PtyTest, SimulatorProgramServesALink) {
  TempDir work;
  std::ofstream(work.File("scenario.txt")) << "site 3 \"Site/../x\"\nlocation 4 Hall\nlog mode=1 "
                                              "location=4\nchannel 0 8 3 A b\nrecord 1\n";
  std::string link = work.File("corvane");
  int out[2];
  ASSERT_EQ(pipe(out), 0);
  pid_t pid = fork();
  if (pid == 0) {
    dup2(out[1], 1);
    close(out[0]);
    std::string sim = Bin("corvane-sim"), scenario = work.File("scenario.txt");
    execl(sim.c_str(), sim.c_str(), "--link", link.c_str(), "--unimplemented", "0x3C",
          scenario.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(out[1]);
  FILE* in = fdopen(out[0], "r");
  char line[256] = {0};
  ASSERT_NE(fgets(line, sizeof line, in), nullptr);
  EXPECT_EQ(std::string(line).rfind("/dev/pts/", 0), 0u) << line;
  CliRun run = Transfer(link, dest.path());
  EXPECT_EQ(run.status, 0) << run.err;
  kill(pid, SIGTERM);
  int status = 0;
  waitpid(pid, &status, 0);
  fclose(in);
  EXPECT_TRUE(fs::exists(Dest("Site_.._x/Hall_01.loc")));
  EXPECT_FALSE(fs::exists(link));  // removed on the way out
}

}  // namespace
}  // namespace vantora::test

#endif  // _WIN32

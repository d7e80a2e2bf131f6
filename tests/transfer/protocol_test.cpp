// The protocol over a scripted byte port: frames, retries, the
// unimplemented-command rule, the baud-rate and port search, the site list.
#include <gtest/gtest.h>

#include "transfer/instrument.h"
#include "transfer/transfer_support.h"
#include "transfer/transferjob.h"

namespace vantora::test {
namespace {

class ProtocolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetProfile();
    inst.SetLinkFactory([this](int port) {
      ports.push_back(port);
      return std::make_unique<ScriptedLink>(&script, &log, failOpen);
    });
  }
  // Connects on the scripted port with one good probe reply.
  void Connect() {
    script.push_back(ReplyFrame(0x35, {}));
    ASSERT_EQ(inst.Connect(), 1);
    log.writes.clear();
  }
  std::deque<std::vector<std::uint8_t>> script;
  ScriptedLink::Log log;
  bool failOpen = false;
  std::vector<int> ports;
  CInstrument inst;
};

TEST_F(ProtocolTest, CommandFrameCarriesLengthAndChecksum) {
  Connect();
  std::uint8_t block[128];
  auto payload = std::vector<std::uint8_t>(128, 0x11);
  script.push_back(ReplyFrame(0x18, payload));
  ASSERT_EQ(inst.ReadBlock(0x01020304, block), 1);
  ASSERT_EQ(log.writes.size(), 1u);
  std::vector<std::uint8_t> expected = {6, 0x18, 1, 2, 3, 4};
  std::uint8_t sum = 0;
  for (auto b : expected) sum = static_cast<std::uint8_t>(sum + b);
  expected.push_back(static_cast<std::uint8_t>(-sum));
  EXPECT_EQ(log.writes[0], expected);
  EXPECT_EQ(block[0], 0x11);
  EXPECT_EQ(block[127], 0x11);
}

TEST_F(ProtocolTest, CorruptedReplyIsRetriedTwice) {
  Connect();
  auto good = ReplyFrame(0x01, {2, 3});
  auto bad = good;
  bad[2] ^= 0x40;
  script = {bad, bad, good};
  ASSERT_EQ(inst.ReadVersion(), 1);
  EXPECT_EQ(log.writes.size(), 3u);
  EXPECT_FLOAT_EQ(inst.Version(), 2.3f);

  log.writes.clear();
  script = {bad, bad, bad, good};
  EXPECT_EQ(inst.ReadVersion(), 0);
  EXPECT_EQ(log.writes.size(), 3u);
  EXPECT_EQ(inst.ErrorText(), "Invalid checksum");
}

TEST_F(ProtocolTest, CodeWithoutReplyBitFailsButShortFrameIsUnimplemented) {
  Connect();
  // Full length, valid checksum, code lacking 0x80.
  std::vector<std::uint8_t> failed = {6, 0x19, 0, 0, 1, 0};
  std::uint8_t sum = 0;
  for (auto b : failed) sum = static_cast<std::uint8_t>(sum + b);
  failed.push_back(static_cast<std::uint8_t>(-sum));
  script = {failed, failed, failed};
  std::uint32_t size = 99;
  EXPECT_EQ(inst.ReadLogSize(size), 0);
  EXPECT_EQ(inst.ErrorText(), "Command failed");
  EXPECT_EQ(size, 0u);

  // The same reply cut short to its own length field.
  Connect();
  script = {{2, 0x19, static_cast<std::uint8_t>(-(2 + 0x19))}};
  size = 99;
  EXPECT_EQ(inst.ReadLogSize(size), 1);
  EXPECT_EQ(inst.ErrorText(), "Unimplemented command");
  EXPECT_EQ(inst.Error(), 0);
  EXPECT_EQ(inst.Link()->Error(), 0);
  // The checksum byte of the short frame is not taken for a size.
  EXPECT_EQ(size, 0u);
  // The link works on.
  script.push_back(ReplyFrame(0x06, {7}));
  EXPECT_EQ(inst.ReadState(), 1);
  EXPECT_EQ(inst.SiteList().state, 7);
}

TEST_F(ProtocolTest, ACutReplyIsRetried) {
  Connect();
  auto good = ReplyFrame(0x01, {2, 0});
  auto cut = std::vector<std::uint8_t>(good.begin(), good.begin() + 3);
  script = {cut, good};
  EXPECT_EQ(inst.ReadVersion(), 1);
  EXPECT_EQ(log.writes.size(), 2u);
  EXPECT_FLOAT_EQ(inst.Version(), 2.0f);
  // Three cut replies fail the exchange after three commands.
  log.writes.clear();
  script = {cut, cut, cut};
  EXPECT_EQ(inst.ReadVersion(), 0);
  EXPECT_EQ(log.writes.size(), 3u);
  EXPECT_EQ(inst.ErrorText(), "Invalid checksum");
}

TEST_F(ProtocolTest, BaudRatesAreProbedInOrder) {
  script = {{}, {}, {}, {}, {}, {}, {}, {}, {}, ReplyFrame(0x35, {})};
  ASSERT_EQ(inst.Connect(), 1);
  EXPECT_EQ(log.bauds, (std::vector<std::uint32_t>{9600, 19200, 38400, 2400}));
  EXPECT_EQ(log.writes.size(), 10u);
  EXPECT_EQ(inst.Baud(), 2400u);
}

TEST_F(ProtocolTest, PortWalkVisitsTenPortsAndLeavesTheProfileAtOne) {
  TransferProfile::WriteInt("Kestrane", "Port", 9);
  failOpen = true;
  CTransferJob job("/nonexistent-dest/");
  job.Instrument().SetLinkFactory([this](int port) {
    ports.push_back(port);
    return std::make_unique<ScriptedLink>(&script, &log, true);
  });
  EXPECT_FALSE(job.Download(nullptr));
  EXPECT_EQ(job.ErrorText(), "Can not connect to instrument.");
  EXPECT_EQ(ports, (std::vector<int>{9, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
  EXPECT_EQ(TransferProfile::GetInt("Kestrane", "Port", 0), 1);
}

TEST_F(ProtocolTest, OpenFailureTextReachesTheProtocol) {
  failOpen = true;
  EXPECT_EQ(inst.Connect(), 0);
  EXPECT_EQ(inst.ErrorText(), "Open error 2");
}

TEST_F(ProtocolTest, SiteListAndIdLookups) {
  Connect();
  auto entry = [](std::uint8_t code, int id, int valid, const std::string& name) {
    std::vector<std::uint8_t> p = {static_cast<std::uint8_t>(id), static_cast<std::uint8_t>(valid)};
    for (int i = 0; i < 16; ++i) p.push_back(i < static_cast<int>(name.size()) ? name[i] : 0);
    return ReplyFrame(code, p);
  };
  script = {entry(0x43, 1, 1, "Lab"),
            entry(0x44, 5, 1, "Room"),
            entry(0x44, 6, 1, "A name of 16 chars+"),
            entry(0x44, 0, 0, ""),
            entry(0x43, 2, 1, "Plant"),
            entry(0x44, 0, 0, ""),
            entry(0x43, 0, 0, "")};
  ASSERT_EQ(inst.ReadSiteList(), 1);
  ASSERT_EQ(inst.SiteList().sites.size(), 2u);
  EXPECT_EQ(inst.SiteList().sites[0].locationNames[1], "A name of 16 cha");
  std::string name;
  EXPECT_EQ(inst.SiteOfId(5), 0);
  EXPECT_EQ(inst.SiteOfId(2), 1);
  EXPECT_EQ(inst.LocationNameOfId(6, name), 1);
  EXPECT_EQ(name, "A name of 16 cha");
  // A site's own id names no location.
  EXPECT_EQ(inst.LocationNameOfId(2, name), -1);
  EXPECT_EQ(name, "");
  EXPECT_EQ(inst.SiteOfId(77), -1);
}

}  // namespace
}  // namespace vantora::test

// A Corvane instrument on a pseudo-terminal, for tests and for trying the
// transfer without hardware. Its memory image is built from a scenario:
// sites with their locations, logs in modes 1, 2 and 3 with their channel
// tables and records, the firmware version and the state byte. Faults can be
// injected: answering at one baud rate only, corrupted or cut replies,
// silence, unimplemented commands, a disconnect within the log area.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace corvanesim {

struct SimChannel {
  int decimals = 0;  // D, unsigned byte
  int width = 16;    // W in bits, signed byte
  int digits = 3;    // G, signed byte
  std::string name;  // 6 bytes
  std::string unit;  // 10 bytes
};

struct SimSlot {
  bool record = true;             // false: a slot with marker 0x00
  std::uint32_t stamp = 0;        // mode 2 only
  std::vector<std::int64_t> raw;  // packed integers, one per channel
};

struct SimLog {
  int mode = 1;
  int location = 0;
  std::uint32_t start = 3600;  // seconds since 1980-01-01 00:00:00
  std::uint32_t interval = 60;
  std::vector<SimChannel> channels;
  std::vector<SimSlot> slots;
  int gapBefore = 0;            // bytes of 0xFF in front of the log
  long long slotCount = -1;     // N as written (-1: the slots given)
  long long tableAddress = -1;  // E as written (-1: its own table)
};

struct SimLocation {
  int id = 0;
  std::string name;
};

struct SimSite {
  int id = 0;
  std::string name;
  std::vector<SimLocation> locations;
};

struct Scenario {
  int versionWhole = 2, versionTenths = 3;
  int state = 0;
  std::uint32_t reservedSize = 6;  // c
  long long channelAreaSize = -1;  // b (-1: the tables' size)
  long long logSize = -1;          // l (-1: the logs' size)
  long long fillTo = -1;           // generate logs up to this size (0: all free memory)
  std::vector<SimSite> sites;
  std::vector<SimLog> logs;

  // Reads the scenario text; false with a message on a bad line.
  bool Parse(const std::string& text, std::string& error);
};

// The memory image of a scenario and the three sizes the instrument reports.
struct Memory {
  std::vector<std::uint8_t> bytes;    // addresses 0 to 0x1FFFF
  std::uint32_t logSize = 0;          // l
  std::uint32_t channelAreaSize = 0;  // b
  std::uint32_t reservedSize = 0;     // c
};
bool BuildMemory(const Scenario& scenario, Memory& memory, std::string& error);

struct Faults {
  std::uint32_t onlyBaud = 0;    // answer only at this baud rate (0: any)
  std::set<int> corruptReplies;  // replies (counted from 1) with a wrong checksum
  std::set<int> badCodeReplies;  // replies whose code lacks the 0x80 bit
  std::set<int> shortReplies;    // replies cut to half their length
  std::set<int> unimplemented;   // command codes answered as unimplemented
  std::set<int> corruptCodes;    // command codes whose every reply has a wrong checksum
  std::set<int> muteCodes;       // command codes never answered
  long long silentAfter = -1;    // stop answering after this many replies
  long long disconnectAt = -1;   // close the line at a block read from this log address
  int replyDelayMs = 0;          // wait this long before answering each command
  bool wireTiming = false;       // take as long as the line would at its baud rate
  int charBits = 11;             // bits a character takes on the line (8E1: 11)
};

class Simulator {
 public:
  Simulator(Scenario scenario, Faults faults);
  ~Simulator();

  // Builds the memory and opens the pseudo-terminal.
  bool Open(std::string& error);
  const std::string& DevicePath() const { return devicePath_; }
  // Answers commands until Stop() or a disconnect.
  void Serve();
  void Stop() { stop_ = true; }

  const Memory& Image() const { return memory_; }
  // Commands received, as (code, baud rate of the line at the time).
  std::vector<std::pair<int, std::uint32_t>> Received() const;
  int RepliesSent() const { return replies_; }
  std::uint8_t State() const { return state_; }

 private:
  void Handle(const std::vector<std::uint8_t>& frame);
  void Reply(std::vector<std::uint8_t> payload, std::uint8_t code);
  void SendBytes(const std::vector<std::uint8_t>& bytes);
  std::uint32_t LineBaud(int* bitsPerChar) const;
  void Disconnect();

  Scenario scenario_;
  Faults faults_;
  Memory memory_;
  std::string devicePath_;
  int master_ = -1;
  int slave_ = -1;
  std::atomic<bool> stop_{false};
  std::atomic<int> replies_{0};
  std::atomic<std::uint8_t> state_{0};
  mutable std::mutex mutex_;
  std::vector<std::pair<int, std::uint32_t>> received_;
};

}  // namespace corvanesim

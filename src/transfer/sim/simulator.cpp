#include "transfer/sim/simulator.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <thread>

namespace corvanesim {

namespace {

constexpr std::uint32_t kTop = 0x20000;

// Splits a line into words; "..." keeps blanks and knows \\, \" and \xHH.
bool Words(const std::string& line, std::vector<std::string>& out, std::string& error) {
  out.clear();
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
    if (i >= line.size() || line[i] == '#') break;
    std::string word;
    if (line[i] == '"') {
      ++i;
      bool closed = false;
      while (i < line.size()) {
        char c = line[i++];
        if (c == '"') {
          closed = true;
          break;
        }
        if (c == '\\' && i < line.size()) {
          char e = line[i++];
          if (e == 'x' && i + 1 < line.size()) {
            word += static_cast<char>(std::strtol(line.substr(i, 2).c_str(), nullptr, 16));
            i += 2;
          } else {
            word += e;
          }
        } else {
          word += c;
        }
      }
      if (!closed) {
        error = "unclosed quote";
        return false;
      }
    } else {
      while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r')
        word += line[i++];
    }
    out.push_back(word);
  }
  return true;
}

bool Number(const std::string& text, long long& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  value = std::strtoll(text.c_str(), &end, 0);
  return *end == '\0';
}

void Big(std::vector<std::uint8_t>& out, std::uint64_t v, int bytes) {
  for (int k = bytes - 1; k >= 0; --k) out.push_back(static_cast<std::uint8_t>(v >> (8 * k)));
}

void Text(std::vector<std::uint8_t>& out, const std::string& text, std::size_t size) {
  for (std::size_t i = 0; i < size; ++i)
    out.push_back(i < text.size() ? static_cast<std::uint8_t>(text[i]) : 0);
}

std::uint32_t BaudOf(speed_t s) {
  switch (s) {
    case B300: return 300;
    case B600: return 600;
    case B1200: return 1200;
    case B2400: return 2400;
    case B4800: return 4800;
    case B9600: return 9600;
    case B19200: return 19200;
    case B38400: return 38400;
    case B57600: return 57600;
    case B115200: return 115200;
    default: return 0;
  }
}

}  // namespace

bool Scenario::Parse(const std::string& text, std::string& error) {
  std::istringstream in(text);
  std::string line;
  int lineNo = 0;
  std::vector<std::string> w;
  auto fail = [&](const std::string& what) {
    error = "line " + std::to_string(lineNo) + ": " + what;
    return false;
  };
  while (std::getline(in, line)) {
    ++lineNo;
    std::string why;
    if (!Words(line, w, why)) return fail(why);
    if (w.empty()) continue;
    const std::string& cmd = w[0];
    long long v = 0;
    if (cmd == "version" && w.size() == 2) {
      auto dot = w[1].find('.');
      long long whole = 0, tenths = 0;
      if (!Number(w[1].substr(0, dot), whole)) return fail("bad version");
      if (dot != std::string::npos && !Number(w[1].substr(dot + 1), tenths))
        return fail("bad version");
      versionWhole = static_cast<int>(whole);
      versionTenths = static_cast<int>(tenths);
    } else if (cmd == "state" && w.size() == 2 && Number(w[1], v)) {
      state = static_cast<int>(v);
    } else if (cmd == "reserved" && w.size() == 2 && Number(w[1], v)) {
      reservedSize = static_cast<std::uint32_t>(v);
    } else if (cmd == "channel-area" && w.size() == 2 && Number(w[1], v)) {
      channelAreaSize = v;
    } else if (cmd == "log-size" && w.size() == 2 && Number(w[1], v)) {
      logSize = v;
    } else if (cmd == "fill" && w.size() == 2) {
      if (w[1] == "max")
        fillTo = 0;
      else if (Number(w[1], v))
        fillTo = v;
      else
        return fail("bad fill size");
    } else if (cmd == "site" && w.size() == 3 && Number(w[1], v)) {
      sites.push_back({static_cast<int>(v), w[2], {}});
    } else if (cmd == "location" && w.size() == 3 && Number(w[1], v)) {
      if (sites.empty()) return fail("location before any site");
      sites.back().locations.push_back({static_cast<int>(v), w[2]});
    } else if (cmd == "log") {
      SimLog log;
      for (std::size_t i = 1; i < w.size(); ++i) {
        auto eq = w[i].find('=');
        if (eq == std::string::npos || !Number(w[i].substr(eq + 1), v))
          return fail("bad log attribute " + w[i]);
        std::string key = w[i].substr(0, eq);
        if (key == "mode")
          log.mode = static_cast<int>(v);
        else if (key == "location")
          log.location = static_cast<int>(v);
        else if (key == "start")
          log.start = static_cast<std::uint32_t>(v);
        else if (key == "interval")
          log.interval = static_cast<std::uint32_t>(v);
        else if (key == "gap")
          log.gapBefore = static_cast<int>(v);
        else if (key == "slots")
          log.slotCount = v;
        else if (key == "table")
          log.tableAddress = v;
        else
          return fail("unknown log attribute " + key);
      }
      logs.push_back(log);
    } else if (cmd == "channel" && w.size() >= 5) {
      if (logs.empty()) return fail("channel before any log");
      SimChannel ch;
      long long d = 0, width = 0, g = 0;
      if (!Number(w[1], d) || !Number(w[2], width) || !Number(w[3], g))
        return fail("bad channel numbers");
      ch.decimals = static_cast<int>(d);
      ch.width = static_cast<int>(width);
      ch.digits = static_cast<int>(g);
      ch.name = w[4];
      ch.unit = w.size() > 5 ? w[5] : std::string();
      logs.back().channels.push_back(ch);
    } else if (cmd == "record") {
      if (logs.empty()) return fail("record before any log");
      SimSlot slot;
      std::size_t i = 1;
      if (i < w.size() && !w[i].empty() && w[i][0] == '@') {
        if (!Number(w[i].substr(1), v)) return fail("bad time stamp");
        slot.stamp = static_cast<std::uint32_t>(v);
        ++i;
      }
      for (; i < w.size(); ++i) {
        if (!Number(w[i], v)) return fail("bad value " + w[i]);
        slot.raw.push_back(v);
      }
      logs.back().slots.push_back(slot);
    } else if (cmd == "empty") {
      if (logs.empty()) return fail("empty slot before any log");
      long long n = 1;
      if (w.size() == 2 && !Number(w[1], n)) return fail("bad count");
      for (long long i = 0; i < n; ++i) logs.back().slots.push_back(SimSlot{false, 0, {}});
    } else {
      return fail("cannot read '" + line + "'");
    }
  }
  return true;
}

bool BuildMemory(const Scenario& scenarioIn, Memory& memory, std::string& error) {
  Scenario scenario = scenarioIn;
  // Generated logs share one table of four 16-bit channels.
  bool filling = scenario.fillTo >= 0;
  SimLog fillTemplate;
  if (filling) {
    fillTemplate.channels = {{1, 16, 3, "TEMP", "C"},
                             {1, 16, 3, "REL HU", "%"},
                             {0, 16, 4, "CARBON", "ppm"},
                             {2, 16, 3, "AIR VE", "m/s"}};
  }
  std::vector<const SimLog*> tabled;
  for (const auto& log : scenario.logs)
    if (log.tableAddress < 0) tabled.push_back(&log);
  if (filling) tabled.push_back(&fillTemplate);
  std::uint64_t tablesSize = 0;
  for (const SimLog* log : tabled) tablesSize += 1 + 19 * log->channels.size();
  std::uint64_t b = scenario.channelAreaSize >= 0
                        ? static_cast<std::uint64_t>(scenario.channelAreaSize)
                        : tablesSize;
  std::uint64_t c = scenario.reservedSize;
  if (b + c > kTop) {
    error = "channel area and reserved area exceed the memory";
    return false;
  }
  if (tablesSize > b) {
    error = "the channel tables do not fit in the channel area";
    return false;
  }
  memory.bytes.assign(kTop, 0);
  std::uint32_t areaStart = static_cast<std::uint32_t>(kTop - b - c);
  for (std::uint64_t a = kTop - c; a < kTop; ++a) memory.bytes[a] = 0xEE;

  // Channel tables: count, then per channel D, W, G, name (6), unit (10).
  std::vector<std::uint32_t> tableOf(tabled.size());
  std::uint32_t at = areaStart;
  for (std::size_t i = 0; i < tabled.size(); ++i) {
    tableOf[i] = at;
    std::vector<std::uint8_t> t;
    t.push_back(static_cast<std::uint8_t>(tabled[i]->channels.size()));
    for (const auto& ch : tabled[i]->channels) {
      t.push_back(static_cast<std::uint8_t>(ch.decimals));
      t.push_back(static_cast<std::uint8_t>(static_cast<std::int8_t>(ch.width)));
      t.push_back(static_cast<std::uint8_t>(static_cast<std::int8_t>(ch.digits)));
      Text(t, ch.name, 6);
      Text(t, ch.unit, 10);
    }
    std::memcpy(memory.bytes.data() + at, t.data(), t.size());
    at += static_cast<std::uint32_t>(t.size());
  }

  // Logs from address 0.
  std::vector<std::uint8_t> area;
  auto writeLog = [&](const SimLog& log, std::uint32_t table) {
    for (int g = 0; g < log.gapBefore; ++g) area.push_back(0xFF);
    area.push_back(0x01);
    Big(area, 0, 4);
    area.push_back(0);
    area.push_back(static_cast<std::uint8_t>(log.mode));
    area.push_back(static_cast<std::uint8_t>(log.location));
    Big(area, log.start, 4);
    Big(area, log.slotCount >= 0 ? static_cast<std::uint64_t>(log.slotCount) : log.slots.size(), 2);
    Big(area, table, 4);
    if (log.mode == 1 || log.mode == 3) Big(area, log.interval, 4);
    for (const auto& slot : log.slots) {
      if (!slot.record) {
        area.push_back(0x00);
        continue;
      }
      area.push_back(0x02);
      if (log.mode == 2) Big(area, slot.stamp, 4);
      for (std::size_t i = 0; i < log.channels.size(); ++i) {
        int n = std::abs(log.channels[i].width) / 8;
        std::int64_t raw = i < slot.raw.size() ? slot.raw[i] : 0;
        Big(area, static_cast<std::uint64_t>(raw), n);
      }
    }
  };
  std::size_t t = 0;
  for (const auto& log : scenario.logs) {
    std::uint32_t table =
        log.tableAddress >= 0 ? static_cast<std::uint32_t>(log.tableAddress) : tableOf[t++];
    writeLog(log, table);
  }
  if (filling) {
    std::uint64_t target =
        scenario.fillTo == 0 ? areaStart : static_cast<std::uint64_t>(scenario.fillTo);
    int location = 1;
    if (!scenario.sites.empty() && !scenario.sites[0].locations.empty())
      location = scenario.sites[0].locations[0].id;
    std::uint32_t start = 3600;
    std::uint32_t seed = 12345;
    const std::size_t header = 22, record = 9;
    while (area.size() + header + record <= target) {
      SimLog log = fillTemplate;
      log.location = location;
      log.start = start;
      log.interval = 60;
      std::size_t room = (target - area.size() - header) / record;
      std::size_t n = std::min<std::size_t>(room, 2000);
      for (std::size_t k = 0; k < n; ++k) {
        SimSlot slot;
        for (int ch = 0; ch < 4; ++ch) {
          seed = seed * 1103515245u + 12345u;
          slot.raw.push_back(static_cast<std::int64_t>((seed >> 16) % 1000) + 100 * ch);
        }
        log.slots.push_back(slot);
      }
      writeLog(log, tableOf.back());
      start += static_cast<std::uint32_t>(n * 60 + 3600);
    }
  }
  if (area.size() > areaStart) {
    error = "the logs (" + std::to_string(area.size()) + " bytes) overlap the channel area at " +
            std::to_string(areaStart);
    return false;
  }
  std::copy(area.begin(), area.end(), memory.bytes.begin());
  memory.logSize = static_cast<std::uint32_t>(
      scenario.logSize >= 0 ? scenario.logSize : static_cast<long long>(area.size()));
  memory.channelAreaSize = static_cast<std::uint32_t>(b);
  memory.reservedSize = static_cast<std::uint32_t>(c);
  return true;
}

Simulator::Simulator(Scenario scenario, Faults faults)
    : scenario_(std::move(scenario)), faults_(std::move(faults)) {
  state_ = static_cast<std::uint8_t>(scenario_.state);
}

Simulator::~Simulator() { Disconnect(); }

bool Simulator::Open(std::string& error) {
  if (!BuildMemory(scenario_, memory_, error)) return false;
  master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
    error = std::string("cannot open a pseudo-terminal: ") + std::strerror(errno);
    return false;
  }
  const char* name = ::ptsname(master_);
  if (!name) {
    error = "no pseudo-terminal name";
    return false;
  }
  devicePath_ = name;
  // Keeping the slave side open ourselves lets the program close and reopen
  // the port without the master seeing a hang-up.
  slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  termios tio{};
  if (slave_ >= 0 && ::tcgetattr(slave_, &tio) == 0) {
    ::cfmakeraw(&tio);
    ::cfsetispeed(&tio, B19200);
    ::cfsetospeed(&tio, B19200);
    ::tcsetattr(slave_, TCSANOW, &tio);
  }
  int flags = ::fcntl(master_, F_GETFL);
  ::fcntl(master_, F_SETFL, flags | O_NONBLOCK);
  return true;
}

void Simulator::Disconnect() {
  if (master_ >= 0) ::close(master_);
  if (slave_ >= 0) ::close(slave_);
  master_ = slave_ = -1;
}

std::vector<std::pair<int, std::uint32_t>> Simulator::Received() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return received_;
}

std::uint32_t Simulator::LineBaud(int* bitsPerChar) const {
  termios tio{};
  // On a pseudo-terminal the master sees the settings of the slave side.
  int fd = slave_ >= 0 ? slave_ : master_;
  if (::tcgetattr(fd, &tio) != 0) return 0;
  // A pseudo-terminal keeps the speed but drops the parity and stop-bit
  // flags, so the character length comes from the options.
  if (bitsPerChar) *bitsPerChar = faults_.charBits > 0 ? faults_.charBits : 11;
  return BaudOf(::cfgetospeed(&tio));
}

void Simulator::Serve() {
  std::vector<std::uint8_t> pending;
  std::uint8_t buffer[512];
  while (!stop_ && master_ >= 0) {
    pollfd p{master_, POLLIN, 0};
    int ready = ::poll(&p, 1, 50);
    if (ready <= 0) continue;
    ssize_t n = ::read(master_, buffer, sizeof buffer);
    if (n <= 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      continue;
    }
    pending.insert(pending.end(), buffer, buffer + n);
    // Frames: [L][L - 1 command bytes][checksum].
    while (!pending.empty()) {
      std::size_t total = static_cast<std::size_t>(pending[0]) + 1;
      if (pending[0] < 2) {
        pending.erase(pending.begin());
        continue;
      }
      if (pending.size() < total) break;
      std::vector<std::uint8_t> frame(pending.begin(), pending.begin() + static_cast<long>(total));
      pending.erase(pending.begin(), pending.begin() + static_cast<long>(total));
      std::uint8_t sum = 0;
      for (auto b : frame) sum = static_cast<std::uint8_t>(sum + b);
      if (sum != 0) continue;  // a damaged command gets no answer
      Handle(frame);
      if (master_ < 0) return;
    }
  }
}

void Simulator::SendBytes(const std::vector<std::uint8_t>& bytes) {
  int bits = 11;
  std::uint32_t baud = faults_.wireTiming ? LineBaud(&bits) : 0;
  if (baud == 0) {
    std::size_t put = 0;
    while (put < bytes.size() && master_ >= 0 && !stop_) {
      ssize_t n = ::write(master_, bytes.data() + put, bytes.size() - put);
      if (n > 0)
        put += static_cast<std::size_t>(n);
      else
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return;
  }
  using clock = std::chrono::steady_clock;
  auto perChar = std::chrono::nanoseconds(1000000000LL * bits / baud);
  auto t0 = clock::now();
  for (std::size_t i = 0; i < bytes.size() && master_ >= 0 && !stop_; ++i) {
    std::this_thread::sleep_until(t0 + perChar * static_cast<long>(i + 1));
    while (::write(master_, &bytes[i], 1) != 1 && !stop_)
      std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
}

void Simulator::Reply(std::vector<std::uint8_t> payload, std::uint8_t code) {
  int number = ++replies_;
  if (faults_.silentAfter >= 0 && number > faults_.silentAfter) return;
  std::vector<std::uint8_t> r;
  r.push_back(static_cast<std::uint8_t>(payload.size() + 2));
  r.push_back(faults_.badCodeReplies.count(number) ? code : static_cast<std::uint8_t>(code | 0x80));
  r.insert(r.end(), payload.begin(), payload.end());
  std::uint8_t sum = 0;
  for (auto b : r) sum = static_cast<std::uint8_t>(sum + b);
  r.push_back(static_cast<std::uint8_t>(-sum));
  if (faults_.corruptReplies.count(number) || faults_.corruptCodes.count(code)) r.back() ^= 0x5A;
  if (faults_.shortReplies.count(number)) r.resize(r.size() / 2);
  SendBytes(r);
}

void Simulator::Handle(const std::vector<std::uint8_t>& frame) {
  int bits = 11;
  std::uint32_t baud = LineBaud(&bits);
  std::uint8_t code = frame[1];
  {
    std::lock_guard<std::mutex> guard(mutex_);
    received_.emplace_back(code, baud);
  }
  if (faults_.replyDelayMs > 0)
    std::this_thread::sleep_for(std::chrono::milliseconds(faults_.replyDelayMs));
  if (faults_.wireTiming && baud)
    std::this_thread::sleep_for(std::chrono::nanoseconds(1000000000LL * bits / baud) *
                                static_cast<long>(frame.size()));
  if (faults_.onlyBaud && baud != faults_.onlyBaud) return;  // garbage at the wrong speed
  if (faults_.muteCodes.count(code)) return;
  if (faults_.unimplemented.count(code)) {
    ++replies_;
    std::vector<std::uint8_t> r = {2, code};
    r.push_back(static_cast<std::uint8_t>(-(2 + code)));
    SendBytes(r);
    return;
  }
  auto arg = [&](std::size_t i) -> std::uint32_t {
    return i + 2 < frame.size() ? frame[i + 1] : 0;
  };
  std::vector<std::uint8_t> p;
  switch (code) {
    case 0x01:
      p = {static_cast<std::uint8_t>(scenario_.versionWhole),
           static_cast<std::uint8_t>(scenario_.versionTenths)};
      break;
    case 0x06: p = {state_.load()}; break;
    case 0x07: state_ = static_cast<std::uint8_t>(arg(1)); break;
    case 0x18: {
      std::uint32_t address = (arg(1) << 24) | (arg(2) << 16) | (arg(3) << 8) | arg(4);
      if (faults_.disconnectAt >= 0 && address >= faults_.disconnectAt &&
          address < memory_.logSize) {
        Disconnect();
        return;
      }
      for (std::uint32_t i = 0; i < 128; ++i) {
        std::uint64_t a = static_cast<std::uint64_t>(address) + i;
        p.push_back(a < memory_.bytes.size() ? memory_.bytes[a] : 0);
      }
      break;
    }
    case 0x19: Big(p, memory_.logSize, 4); break;
    case 0x1A: Big(p, memory_.channelAreaSize, 4); break;
    case 0x1B: Big(p, memory_.reservedSize, 4); break;
    case 0x35:
    case 0x3C:
    case 0x3D: break;
    case 0x43: {
      std::uint32_t i = arg(1);
      bool valid = i < scenario_.sites.size();
      p.push_back(valid ? static_cast<std::uint8_t>(scenario_.sites[i].id) : 0);
      p.push_back(valid ? 1 : 0);
      Text(p, valid ? scenario_.sites[i].name : std::string(), 16);
      break;
    }
    case 0x44: {
      std::uint32_t i = arg(1), j = arg(2);
      bool valid = i < scenario_.sites.size() && j < scenario_.sites[i].locations.size();
      p.push_back(valid ? static_cast<std::uint8_t>(scenario_.sites[i].locations[j].id) : 0);
      p.push_back(valid ? 1 : 0);
      Text(p, valid ? scenario_.sites[i].locations[j].name : std::string(), 16);
      break;
    }
    default: {
      ++replies_;
      std::vector<std::uint8_t> r = {2, code};
      r.push_back(static_cast<std::uint8_t>(-(2 + code)));
      SendBytes(r);
      return;
    }
  }
  Reply(p, code);
}

}  // namespace corvanesim

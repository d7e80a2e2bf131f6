// Helpers of the transfer tests: a scripted byte port, the simulator on a
// thread, dump files written byte by byte, and a short-timeout profile.
#pragma once

#include <gtest/gtest.h>

#include <QSettings>
#include <cstdint>
#include <deque>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "support/filesizelimit.h"
#include "transfer/commlink.h"
#include "transfer/sim/simulator.h"
#include "transfer/transferprofile.h"

namespace vantora::test {

// A byte port that answers each written frame with the next scripted reply.
class ScriptedLink : public CCommLink {
 public:
  struct Log {
    std::vector<std::vector<std::uint8_t>> writes;
    std::vector<std::uint32_t> bauds;
    int opens = 0;
  };
  ScriptedLink(std::deque<std::vector<std::uint8_t>>* script, Log* log, bool failOpen = false)
      : script_(script), log_(log), failOpen_(failOpen) {}

  void Open() override {
    ++log_->opens;
    if (failOpen_) {
      SetError(1, "Open error 2");
      return;
    }
    open_ = 1;
  }
  void Purge() override { input_.clear(); }
  int Read(std::uint8_t* buffer, int count, unsigned) override {
    if (error_ || !open_) return 0;
    if (input_.empty()) return 0;
    int n = std::min<int>(count, static_cast<int>(input_.size()));
    std::copy(input_.begin(), input_.begin() + n, buffer);
    input_.erase(input_.begin(), input_.begin() + n);
    if (n == count) return 1;
    SetError(1, "Read error 0");
    return 0;
  }
  int Write(const std::uint8_t* buffer, int count) override {
    if (error_) return error_;
    if (!open_) return 0;
    log_->writes.emplace_back(buffer, buffer + count);
    if (!script_->empty()) {
      input_ = script_->front();
      script_->pop_front();
    }
    return 1;
  }
  void SetBaud(std::uint32_t rate) override { log_->bauds.push_back(rate); }

 private:
  std::deque<std::vector<std::uint8_t>>* script_;
  Log* log_;
  bool failOpen_;
  std::vector<std::uint8_t> input_;
};

// A reply frame [R-1][code|0x80][payload][checksum].
inline std::vector<std::uint8_t> ReplyFrame(std::uint8_t code, std::vector<std::uint8_t> payload) {
  std::vector<std::uint8_t> r;
  r.push_back(static_cast<std::uint8_t>(payload.size() + 2));
  r.push_back(static_cast<std::uint8_t>(code | 0x80));
  r.insert(r.end(), payload.begin(), payload.end());
  std::uint8_t sum = 0;
  for (auto b : r) sum = static_cast<std::uint8_t>(sum + b);
  r.push_back(static_cast<std::uint8_t>(-sum));
  return r;
}

// Clears the transfer profile and points ports 1-9 at devices that do not
// exist, with short time-outs; `port1` (when given) becomes the device of
// port 1.
inline void ResetProfile(const std::string& port1 = std::string()) {
  QSettings s(QSettings::IniFormat, QSettings::UserScope, "Halvorn", "corvanetransfer");
  s.clear();
  for (int p = 1; p <= 9; ++p) {
    QString section = QString("COM%1/").arg(p);
    s.setValue(section + "Device", p == 1 && !port1.empty() ? QString::fromStdString(port1)
                                                            : QString("/nonexistent/tty%1").arg(p));
    s.setValue(section + "ReadIntervalTimeout", 20);
    s.setValue(section + "ReadTotalTimeoutConstant", 60);
    s.setValue(section + "ReadTotalTimeoutMultiplier", 1);
  }
  s.setValue("Kestrane/TimeLimit", 60);
  s.setValue("Kestrane/Port", 1);
}

// The simulator serving on a thread for the life of the object.
class SimRunner {
 public:
  SimRunner(const std::string& scenarioText, corvanesim::Faults faults = {}) {
    corvanesim::Scenario scenario;
    std::string error;
    parsed_ = scenario.Parse(scenarioText, error);
    EXPECT_TRUE(parsed_) << error;
    sim_ = std::make_unique<corvanesim::Simulator>(scenario, faults);
    open_ = sim_->Open(error);
    EXPECT_TRUE(open_) << error;
    if (open_) thread_ = std::thread([this] { sim_->Serve(); });
  }
  ~SimRunner() {
    sim_->Stop();
    if (thread_.joinable()) thread_.join();
  }
  bool ok() const { return parsed_ && open_; }
  const std::string& Device() const { return sim_->DevicePath(); }
  corvanesim::Simulator& Sim() { return *sim_; }
  // Codes of the commands received.
  std::vector<int> Codes() const {
    std::vector<int> codes;
    for (auto& r : sim_->Received()) codes.push_back(r.first);
    return codes;
  }
  int Count(int code) const {
    int n = 0;
    for (auto& r : sim_->Received()) n += r.first == code;
    return n;
  }

 private:
  bool parsed_ = false, open_ = false;
  std::unique_ptr<corvanesim::Simulator> sim_;
  std::thread thread_;
};

inline std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace vantora::test

// A numbered serial port ("COM1" to "COM9") with its line settings kept in
// the transfer profile, one section per port:
//   "Baud" (19200), "Word Length" (8), "Parity" (2, even: 0 none, 1 odd,
//   2 even, 3 mark, 4 space), "StopBits" (0: one, 1: one and a half, 2: two),
//   "ReadIntervalTimeout" (100 ms), "ReadTotalTimeoutMultiplier" (10 ms),
//   "ReadTotalTimeoutConstant" (1000 ms), "WriteTotalTimeoutMultiplier"
//   (10 ms), "WriteTotalTimeoutConstant" (100 ms),
//   and on POSIX "Device": the device file of the port (by default
//   /dev/ttyUSB<n-1> where that exists, else /dev/ttyS<n-1>).
//
// Reads follow the port's time-outs: one read of `count` bytes ends when all
// came, after ReadIntervalTimeout of silence between two bytes, or after
// ReadTotalTimeoutConstant + count * ReadTotalTimeoutMultiplier.
#pragma once

#include <cstdint>

#include "transfer/commlink.h"

namespace vantora {

class CSerialLink : public CCommLink {
 public:
  // `device` (POSIX only) replaces the profile's device of the port.
  explicit CSerialLink(int port, const std::string& device = std::string());
  ~CSerialLink() override;

  void Close() override;
  void LoadSettings() override;
  void Open() override;
  void SaveSettings() override;
  void Purge() override;
  int Read(std::uint8_t* buffer, int count, unsigned timeLimitMs) override;
  int Write(const std::uint8_t* buffer, int count) override;
  void SetBaud(std::uint32_t rate) override;

  int Port() const { return port_; }
  std::uint32_t Baud() const { return baud_; }
  int WordLength() const { return wordLength_; }
  int Parity() const { return parity_; }
  int StopBits() const { return stopBits_; }
  const std::string& Device() const { return device_; }
  // Whether the open port checks parity (set when the parity code is not 0).
  bool ParityChecked() const { return parityChecked_; }

  // The device a port number stands for when the profile names none.
  static std::string DefaultDevice(int port);

 private:
  // One system read with the port's time-outs: bytes read, or -1 with the
  // system's error code in `code`.
  int SystemRead(std::uint8_t* buffer, int count, unsigned& code);
  static std::uint32_t TickCount();

  int port_;
  std::uint32_t baud_ = 19200;
  std::uint8_t wordLength_ = 8;
  std::uint8_t parity_ = 2;
  std::uint8_t stopBits_ = 0;
  std::string device_;
  std::string deviceOverride_;
  bool parityChecked_ = false;
  int readInterval_ = 100;
  int readTotalMultiplier_ = 10;
  int readTotalConstant_ = 1000;
  int writeTotalMultiplier_ = 10;
  int writeTotalConstant_ = 100;
#ifdef _WIN32
  void* handle_ = reinterpret_cast<void*>(-1);
#else
  int fd_ = -1;
#endif
};

}  // namespace vantora

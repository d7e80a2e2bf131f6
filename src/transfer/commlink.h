// The byte link under the instrument protocol. CCommLink is the abstract
// byte port the protocol talks to; CSerialLink (seriallink.h) is the serial
// port behind it, and tests put a scripted port in its place.
//
// Failures are sticky: the first one sets the error flag and the error text,
// and every later operation that checks the flag does nothing until
// TakeError clears it.
#pragma once

#include <cstdint>
#include <string>

namespace vantora {

class CCommLink {
 public:
  CCommLink() = default;
  virtual ~CCommLink() = default;
  CCommLink(const CCommLink&) = delete;
  CCommLink& operator=(const CCommLink&) = delete;

  // The base only clears the open flag.
  virtual void Close() { open_ = 0; }
  virtual void LoadSettings() {}
  virtual void Open() {}
  virtual void SaveSettings() {}
  // Discards the input received and not yet read.
  virtual void Purge() = 0;
  // 1 when exactly `count` bytes were read within `timeLimitMs` (0 = 1000 ms).
  virtual int Read(std::uint8_t* buffer, int count, unsigned timeLimitMs) = 0;
  // Nonzero on success.
  virtual int Write(const std::uint8_t* buffer, int count) = 0;
  // Changes the line speed of the open port.
  virtual void SetBaud(std::uint32_t rate) = 0;

  // Clears the error flag and gives the error text (which stays in place).
  std::string TakeError() {
    error_ = 0;
    return errorText_;
  }

  bool IsOpen() const { return open_ != 0; }
  int Error() const { return error_; }
  const std::string& ErrorText() const { return errorText_; }
  const std::string& LinkName() const { return linkName_; }

 protected:
  // Error texts hold at most 79 characters, link names 19.
  void SetError(int flag, const std::string& text) {
    error_ = flag;
    errorText_ = text.substr(0, 79);
  }
  void SetLinkName(const std::string& name) { linkName_ = name.substr(0, 19); }

  int open_ = 0;
  int error_ = 0;
  std::string errorText_;
  std::string linkName_;
};

}  // namespace vantora

// Serial port: Windows communications API on Windows, termios elsewhere.
#include "transfer/seriallink.h"

#include <chrono>

#include "common/platform.h"
#include "common/timetext.h"
#include "transfer/transferprofile.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#endif

namespace vantora {

CSerialLink::CSerialLink(int port, const std::string& device)
    : port_(port), deviceOverride_(device) {
  std::string name = "COM";
  if (port >= 0 && port <= 9)
    name += static_cast<char>('0' + port);
  else
    name += std::to_string(port);
  SetLinkName(name);
  open_ = 0;
  error_ = 0;
  LoadSettings();
}

std::uint32_t CSerialLink::TickCount() {
  using namespace std::chrono;
  return static_cast<std::uint32_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void CSerialLink::LoadSettings() {
  const std::string& section = LinkName();
  baud_ = static_cast<std::uint32_t>(TransferProfile::GetInt(section, "Baud", 19200));
  wordLength_ = static_cast<std::uint8_t>(TransferProfile::GetInt(section, "Word Length", 8));
  parity_ = static_cast<std::uint8_t>(TransferProfile::GetInt(section, "Parity", 2));
  stopBits_ = static_cast<std::uint8_t>(TransferProfile::GetInt(section, "StopBits", 0));
  readInterval_ = TransferProfile::GetInt(section, "ReadIntervalTimeout", 100);
  readTotalMultiplier_ = TransferProfile::GetInt(section, "ReadTotalTimeoutMultiplier", 10);
  readTotalConstant_ = TransferProfile::GetInt(section, "ReadTotalTimeoutConstant", 1000);
  writeTotalMultiplier_ = TransferProfile::GetInt(section, "WriteTotalTimeoutMultiplier", 10);
  writeTotalConstant_ = TransferProfile::GetInt(section, "WriteTotalTimeoutConstant", 100);
  if (!deviceOverride_.empty())
    device_ = deviceOverride_;
  else
    device_ = TransferProfile::GetString(section, "Device", DefaultDevice(port_));
}

void CSerialLink::SaveSettings() {
  const std::string& section = LinkName();
  TransferProfile::WriteInt(section, "Baud", static_cast<int>(baud_));
  TransferProfile::WriteInt(section, "Word Length", wordLength_);
  TransferProfile::WriteInt(section, "Parity", parity_);
  TransferProfile::WriteInt(section, "StopBits", stopBits_);
}

int CSerialLink::Read(std::uint8_t* buffer, int count, unsigned timeLimitMs) {
  if (error_ || !open_) return 0;
  if (timeLimitMs == 0) timeLimitMs = 1000;
  std::uint32_t start = TickCount();
  for (;;) {
    unsigned code = 0;
    int got = SystemRead(buffer, count, code);
    if (got < 0) {
      SetError(1, Format("Read error %u", code));
      return 0;
    }
    if (got == count) return 1;
    if (got > 0) {
      SetError(1, Format("Read error %u", 0u));
      return 0;
    }
    if (static_cast<std::uint32_t>(TickCount() - start) >= timeLimitMs) return 0;
  }
}

#ifdef _WIN32

std::string CSerialLink::DefaultDevice(int port) { return "COM" + std::to_string(port); }

CSerialLink::~CSerialLink() {
  if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
}

void CSerialLink::Open() {
  if (error_ || open_) return;
  std::string name = "\\\\.\\" + LinkName();
  handle_ = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                        nullptr);
  if (handle_ == INVALID_HANDLE_VALUE) {
    SetError(1, Format("Open error %u", static_cast<unsigned>(GetLastError())));
    return;
  }
  // A port that cannot be set up is let go again.
  auto fail = [this](int flag, const std::string& text) {
    SetError(flag, text);
    CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  };
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  if (!GetCommState(handle_, &dcb)) {
    fail(1, "Get state error");
    return;
  }
  dcb.BaudRate = baud_;
  dcb.ByteSize = wordLength_;
  dcb.Parity = parity_;
  dcb.StopBits = stopBits_;
  dcb.fParity = parity_ != 0;
  dcb.fOutX = FALSE;
  dcb.fInX = FALSE;
  parityChecked_ = parity_ != 0;
  if (!SetCommState(handle_, &dcb)) {
    fail(static_cast<int>(GetLastError()), "Set state error");
    return;
  }
  COMMTIMEOUTS timeouts{};
  timeouts.ReadIntervalTimeout = static_cast<DWORD>(readInterval_);
  timeouts.ReadTotalTimeoutMultiplier = static_cast<DWORD>(readTotalMultiplier_);
  timeouts.ReadTotalTimeoutConstant = static_cast<DWORD>(readTotalConstant_);
  timeouts.WriteTotalTimeoutMultiplier = static_cast<DWORD>(writeTotalMultiplier_);
  timeouts.WriteTotalTimeoutConstant = static_cast<DWORD>(writeTotalConstant_);
  if (!SetCommTimeouts(handle_, &timeouts)) {
    fail(static_cast<int>(GetLastError()), "Set time out error");
    return;
  }
  open_ = 1;
}

void CSerialLink::Close() {
  if (!open_) return;
  if (!CloseHandle(handle_)) {
    SetError(1, Format("Close error %u", static_cast<unsigned>(GetLastError())));
    return;
  }
  handle_ = INVALID_HANDLE_VALUE;
  open_ = 0;
}

void CSerialLink::Purge() {
  if (error_ || !open_) return;
  PurgeComm(handle_, PURGE_RXCLEAR);
}

int CSerialLink::SystemRead(std::uint8_t* buffer, int count, unsigned& code) {
  DWORD got = 0;
  if (!ReadFile(handle_, buffer, static_cast<DWORD>(count), &got, nullptr)) {
    code = GetLastError();
    return -1;
  }
  return static_cast<int>(got);
}

int CSerialLink::Write(const std::uint8_t* buffer, int count) {
  if (error_) return error_;
  if (!open_) return 0;
  DWORD put = 0;
  if (!WriteFile(handle_, buffer, static_cast<DWORD>(count), &put, nullptr)) {
    SetError(1, Format("Write error %u", static_cast<unsigned>(GetLastError())));
    return 0;
  }
  return 1;
}

void CSerialLink::SetBaud(std::uint32_t rate) {
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  if (!GetCommState(handle_, &dcb)) {
    SetError(1, "Get state error");
    return;
  }
  baud_ = rate;
  dcb.BaudRate = rate;
  if (!SetCommState(handle_, &dcb)) SetError(1, "Set state error");
}

#else  // POSIX

namespace {

bool SpeedCode(std::uint32_t rate, speed_t& code) {
  switch (rate) {
    case 300: code = B300; return true;
    case 600: code = B600; return true;
    case 1200: code = B1200; return true;
    case 2400: code = B2400; return true;
    case 4800: code = B4800; return true;
    case 9600: code = B9600; return true;
    case 19200: code = B19200; return true;
    case 38400: code = B38400; return true;
    case 57600: code = B57600; return true;
    case 115200: code = B115200; return true;
    default: return false;
  }
}

int RemainingMs(std::chrono::steady_clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                  deadline - std::chrono::steady_clock::now())
                  .count();
  return left < 0 ? 0 : static_cast<int>(left);
}

}  // namespace

std::string CSerialLink::DefaultDevice(int port) {
  std::error_code ec;
  std::string usb = "/dev/ttyUSB" + std::to_string(port - 1);
  if (std::filesystem::exists(usb, ec)) return usb;
  return "/dev/ttyS" + std::to_string(port - 1);
}

CSerialLink::~CSerialLink() {
  if (fd_ >= 0) {
    ::ioctl(fd_, TIOCNXCL);
    ::close(fd_);
  }
}

void CSerialLink::Open() {
  if (error_ || open_) return;
  fd_ = ::open(NativePath(device_).c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd_ < 0) {
    SetError(1, Format("Open error %u", static_cast<unsigned>(errno)));
    return;
  }
  // No sharing: nobody else may open the port while we hold it.
  ::ioctl(fd_, TIOCEXCL);
  // A port that cannot be set up is let go again.
  auto fail = [this](int flag, const std::string& text) {
    SetError(flag, text);
    ::ioctl(fd_, TIOCNXCL);
    ::close(fd_);
    fd_ = -1;
  };
  termios tio{};
  if (::tcgetattr(fd_, &tio) != 0) {
    fail(1, "Get state error");
    return;
  }
  ::cfmakeraw(&tio);
  speed_t speed;
  if (!SpeedCode(baud_, speed)) {
    fail(EINVAL, "Set state error");
    return;
  }
  ::cfsetispeed(&tio, speed);
  ::cfsetospeed(&tio, speed);
  tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CMSPAR | CRTSCTS);
  tio.c_cflag |= CLOCAL | CREAD;
  switch (wordLength_) {
    case 5: tio.c_cflag |= CS5; break;
    case 6: tio.c_cflag |= CS6; break;
    case 7: tio.c_cflag |= CS7; break;
    default: tio.c_cflag |= CS8; break;
  }
  switch (parity_) {
    case 0: break;
    case 1: tio.c_cflag |= PARENB | PARODD; break;
    case 3: tio.c_cflag |= PARENB | PARODD | CMSPAR; break;
    case 4: tio.c_cflag |= PARENB | CMSPAR; break;
    default: tio.c_cflag |= PARENB; break;
  }
  parityChecked_ = parity_ != 0;
  if (parityChecked_)
    tio.c_iflag |= INPCK;
  else
    tio.c_iflag &= ~INPCK;
  if (stopBits_ != 0) tio.c_cflag |= CSTOPB;
  tio.c_iflag &= ~(IXON | IXOFF | IXANY);
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
  if (::tcsetattr(fd_, TCSANOW, &tio) != 0) {
    fail(errno ? errno : 1, "Set state error");
    return;
  }
  // Time-outs are applied by SystemRead and Write; nothing to set here.
  open_ = 1;
}

void CSerialLink::Close() {
  if (!open_) return;
  ::ioctl(fd_, TIOCNXCL);
  if (::close(fd_) != 0) {
    SetError(1, Format("Close error %u", static_cast<unsigned>(errno)));
    return;
  }
  fd_ = -1;
  open_ = 0;
}

void CSerialLink::Purge() {
  if (error_ || !open_) return;
  ::tcflush(fd_, TCIFLUSH);
}

int CSerialLink::SystemRead(std::uint8_t* buffer, int count, unsigned& code) {
  using clock = std::chrono::steady_clock;
  auto deadline =
      clock::now() + std::chrono::milliseconds(readTotalConstant_ + readTotalMultiplier_ * count);
  int got = 0;
  while (got < count) {
    int wait = RemainingMs(deadline);
    if (got > 0 && readInterval_ > 0 && readInterval_ < wait) wait = readInterval_;
    if (wait <= 0) break;
    pollfd p{fd_, POLLIN, 0};
    int ready = ::poll(&p, 1, wait);
    if (ready < 0) {
      if (errno == EINTR) continue;
      code = static_cast<unsigned>(errno);
      return -1;
    }
    if (ready == 0) break;  // silence: total or interval time-out
    ssize_t n = ::read(fd_, buffer + got, static_cast<size_t>(count - got));
    if (n < 0) {
      if (errno == EAGAIN || errno == EINTR) continue;
      code = static_cast<unsigned>(errno);
      return -1;
    }
    if (n == 0) {
      // The other end hung up.
      code = EIO;
      return -1;
    }
    got += static_cast<int>(n);
  }
  return got;
}

int CSerialLink::Write(const std::uint8_t* buffer, int count) {
  if (error_) return error_;
  if (!open_) return 0;
  auto deadline = std::chrono::steady_clock::now() +
                  std::chrono::milliseconds(writeTotalConstant_ + writeTotalMultiplier_ * count);
  int put = 0;
  while (put < count) {
    ssize_t n = ::write(fd_, buffer + put, static_cast<size_t>(count - put));
    if (n > 0) {
      put += static_cast<int>(n);
      continue;
    }
    if (n < 0 && errno != EAGAIN && errno != EINTR) {
      SetError(1, Format("Write error %u", static_cast<unsigned>(errno)));
      return 0;
    }
    int wait = RemainingMs(deadline);
    if (wait <= 0) break;  // write time-out: the count is not checked
    pollfd p{fd_, POLLOUT, 0};
    ::poll(&p, 1, wait);
  }
  return 1;
}

void CSerialLink::SetBaud(std::uint32_t rate) {
  termios tio{};
  if (fd_ < 0 || ::tcgetattr(fd_, &tio) != 0) {
    SetError(1, "Get state error");
    return;
  }
  baud_ = rate;
  speed_t speed;
  if (!SpeedCode(rate, speed)) {
    SetError(1, "Set state error");
    return;
  }
  ::cfsetispeed(&tio, speed);
  ::cfsetospeed(&tio, speed);
  if (::tcsetattr(fd_, TCSANOW, &tio) != 0) SetError(1, "Set state error");
}

#endif

}  // namespace vantora

// The command/reply protocol of Corvane instruments.
//
// Command frame: [L = n + 1][n command bytes][checksum], all bytes summing to
// 0 modulo 256. Reply: [R - 1][code + 0x80][payload][checksum] of a length R
// known per command. An instrument that does not implement a command answers
// with the short frame [L][code][...][checksum]. Numbers are big-endian.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "transfer/commlink.h"

namespace vantora {

struct CSite {
  std::string name;
  int id = 0;
  std::vector<std::string> locationNames;
  std::vector<int> locationIds;
};

class CSiteList {
 public:
  std::vector<CSite> sites;
  std::uint8_t state = 0;

  void Clear() { sites.clear(); }
  // Index of the first site whose own id or one of whose location ids equals
  // `id`; -1 when there is none.
  int SiteOfId(int id) const;
  // Position of `id` among that site's locations, with its name; -1 (name
  // empty) when either search fails.
  int LocationNameOfId(int id, std::string& name) const;
};

// Creates the link for a port number (tests put a scripted port here).
using LinkFactory = std::function<std::unique_ptr<CCommLink>(int port)>;

class CInstrument {
 public:
  enum Code : std::uint8_t {
    kReadVersion = 0x01,
    kReadState = 0x06,
    kSetState = 0x07,
    kReadBlock = 0x18,
    kReadLogSize = 0x19,
    kReadChannelAreaSize = 0x1A,
    kReadReservedSize = 0x1B,
    kProbe = 0x35,
    kBeginTransfer = 0x3C,
    kEndTransfer = 0x3D,
    kSiteEntry = 0x43,
    kLocationEntry = 0x44,
  };
  static constexpr int kBlockSize = 128;
  static const std::uint32_t kBaudRates[4];

  CInstrument();
  ~CInstrument();

  // Default: a CSerialLink for the port.
  void SetLinkFactory(LinkFactory factory) { factory_ = std::move(factory); }
  // Time limit of every exchange; default the profile's "Kestrane"/"TimeLimit"
  // (1000 ms).
  void SetTimeLimit(unsigned ms) { timeLimit_ = ms; }
  unsigned TimeLimit() const { return timeLimit_; }
  // Called between the steps of Connect (baud rates) and ReadSiteList
  // (entries); returning true abandons the operation, which then fails.
  void SetStopCheck(std::function<bool()> check) { stopCheck_ = std::move(check); }

  // One exchange with up to three attempts: 1 on success (also when the
  // instrument answers that it does not implement the command; the reply is
  // then all zeros), 0 on failure with the error text set.
  int Transact(const std::uint8_t* command, int n, std::uint8_t* reply, int replyLength,
               unsigned timeLimitMs);

  // Opens a link for the current port and probes the baud rates 9600, 19200,
  // 38400, 2400. The first call reads the port from the profile unless
  // SetPort came first.
  int Connect();
  // Closes the link and keeps `port` in the object and in the profile.
  void ChangePort(int port);
  // Sets the port of the next Connect without touching the profile.
  void SetPort(int port) {
    port_ = port;
    portKnown_ = true;
  }
  void CloseLink();

  int ReadVersion();
  int ReadState();
  int SetState(std::uint8_t value);
  int ReadBlock(std::uint32_t address, std::uint8_t* data);
  int ReadLogSize(std::uint32_t& size) { return ReadSize(kReadLogSize, size); }
  int ReadChannelAreaSize(std::uint32_t& size) { return ReadSize(kReadChannelAreaSize, size); }
  int ReadReservedSize(std::uint32_t& size) { return ReadSize(kReadReservedSize, size); }
  int Probe() { return Simple(kProbe); }
  int BeginTransfer() { return Simple(kBeginTransfer); }
  int EndTransfer() { return Simple(kEndTransfer); }
  int ReadSiteList();

  int SiteOfId(int id) const { return siteList_.SiteOfId(id); }
  int LocationNameOfId(int id, std::string& name) const {
    return siteList_.LocationNameOfId(id, name);
  }

  int Error() const { return error_; }
  // The last failed exchange never received a whole reply: the instrument
  // is silent or the line is gone.
  bool NoReply() const { return noReply_; }
  const std::string& ErrorText() const { return errorText_; }
  void SetErrorText(const std::string& text) { errorText_ = text.substr(0, 79); }
  const CSiteList& SiteList() const { return siteList_; }
  float Version() const { return version_; }
  int Port() const { return port_; }
  std::uint32_t Baud() const { return baud_; }
  CCommLink* Link() const { return link_.get(); }
  // Bytes written and expected on the wire, for timing comparisons.
  std::uint64_t BytesSent() const { return bytesSent_; }
  std::uint64_t BytesReceived() const { return bytesReceived_; }

 private:
  int Simple(std::uint8_t code);
  int ReadSize(std::uint8_t code, std::uint32_t& size);
  bool StopRequested() const { return stopCheck_ && stopCheck_(); }

  int error_ = 0;
  bool noReply_ = false;
  std::string errorText_;
  std::unique_ptr<CCommLink> link_;
  CSiteList siteList_;
  float version_ = 0.0f;
  int port_ = 1;
  bool portKnown_ = false;
  std::uint32_t baud_ = 0;
  unsigned timeLimit_ = 1000;
  LinkFactory factory_;
  std::function<bool()> stopCheck_;
  std::uint64_t bytesSent_ = 0;
  std::uint64_t bytesReceived_ = 0;
};

}  // namespace vantora

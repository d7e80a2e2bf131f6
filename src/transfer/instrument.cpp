#include "transfer/instrument.h"

#include <algorithm>
#include <cstring>

#include "transfer/seriallink.h"
#include "transfer/transferprofile.h"

namespace vantora {

const std::uint32_t CInstrument::kBaudRates[4] = {9600, 19200, 38400, 2400};

namespace {

// At most 16 characters, up to the first zero byte.
std::string NameField(const std::uint8_t* bytes) {
  std::string name;
  for (int i = 0; i < 16 && bytes[i] != 0; ++i) name += static_cast<char>(bytes[i]);
  return name;
}

std::uint32_t BigEndian32(const std::uint8_t* b) {
  return (static_cast<std::uint32_t>(b[0]) << 24) | (static_cast<std::uint32_t>(b[1]) << 16) |
         (static_cast<std::uint32_t>(b[2]) << 8) | b[3];
}

}  // namespace

int CSiteList::SiteOfId(int id) const {
  for (std::size_t i = 0; i < sites.size(); ++i) {
    const CSite& s = sites[i];
    if (s.id == id) return static_cast<int>(i);
    if (std::find(s.locationIds.begin(), s.locationIds.end(), id) != s.locationIds.end())
      return static_cast<int>(i);
  }
  return -1;
}

int CSiteList::LocationNameOfId(int id, std::string& name) const {
  name.clear();
  int site = SiteOfId(id);
  if (site < 0) return -1;
  const CSite& s = sites[static_cast<std::size_t>(site)];
  auto it = std::find(s.locationIds.begin(), s.locationIds.end(), id);
  if (it == s.locationIds.end()) return -1;
  auto pos = static_cast<std::size_t>(it - s.locationIds.begin());
  name = s.locationNames[pos];
  return static_cast<int>(pos);
}

CInstrument::CInstrument() {
  timeLimit_ =
      static_cast<unsigned>(std::max(1, TransferProfile::GetInt("Kestrane", "TimeLimit", 1000)));
  factory_ = [](int port) { return std::make_unique<CSerialLink>(port); };
}

CInstrument::~CInstrument() { CloseLink(); }

void CInstrument::CloseLink() {
  if (!link_) return;
  link_->TakeError();
  link_->Close();
  link_.reset();
}

int CInstrument::Transact(const std::uint8_t* command, int n, std::uint8_t* reply, int replyLength,
                          unsigned timeLimitMs) {
  noReply_ = !link_;
  if (!link_ || n < 1 || replyLength < 3) return 0;
  std::vector<std::uint8_t> frame;
  frame.push_back(static_cast<std::uint8_t>(n + 1));
  frame.insert(frame.end(), command, command + n);
  std::uint8_t sum = 0;
  for (std::uint8_t b : frame) sum = static_cast<std::uint8_t>(sum + b);
  frame.push_back(static_cast<std::uint8_t>(-sum));
  const std::uint8_t code = command[0];

  bool answered = false;
  for (int attempt = 0; attempt < 3; ++attempt) {
    error_ = 0;
    // The link's error is sticky; a reply cut short on the last attempt must
    // not silence the next ones.
    link_->TakeError();
    std::memset(reply, 0, static_cast<std::size_t>(replyLength));
    link_->Purge();
    link_->Write(frame.data(), static_cast<int>(frame.size()));
    bytesSent_ += frame.size();
    bytesReceived_ += static_cast<std::uint64_t>(replyLength);
    if (link_->Read(reply, replyLength, timeLimitMs)) {
      answered = true;
    } else {
      int l = reply[0];
      if (reply[1] == code && l + 1 <= replyLength) {
        std::uint8_t s = 0;
        for (int i = 0; i <= l; ++i) s = static_cast<std::uint8_t>(s + reply[i]);
        if (s == 0) {
          // The payload of a short reply means nothing: zeros, so that no
          // caller takes the checksum for a size or a version.
          std::memset(reply, 0, static_cast<std::size_t>(replyLength));
          error_ = 0;
          SetErrorText("Unimplemented command");
          link_->TakeError();
          link_->Purge();
          return 1;
        }
      }
      SetErrorText("Response too short");
    }
    std::uint8_t s = 0;
    for (int i = 0; i < replyLength; ++i) s = static_cast<std::uint8_t>(s + reply[i]);
    if (s != 0) {
      error_ = 1;
      SetErrorText("Invalid checksum");
    }
    if (reply[1] != static_cast<std::uint8_t>(code + 0x80)) {
      error_ = 1;
      SetErrorText("Command failed");
    }
    if (!error_) return 1;
  }
  noReply_ = !answered;
  return 0;
}

int CInstrument::Connect() {
  if (link_) {
    CloseLink();
  } else if (!portKnown_) {
    port_ = TransferProfile::GetInt("Kestrane", "Port", 1);
    portKnown_ = true;
  }
  link_ = factory_(port_);
  link_->Open();
  if (link_->Error()) {
    SetErrorText(link_->TakeError());
    return 0;
  }
  for (std::uint32_t rate : kBaudRates) {
    if (StopRequested()) return 0;
    link_->SetBaud(rate);
    if (Probe()) {
      baud_ = rate;
      return 1;
    }
  }
  return 0;
}

void CInstrument::ChangePort(int port) {
  CloseLink();
  port_ = port;
  portKnown_ = true;
  TransferProfile::WriteInt("Kestrane", "Port", port);
}

int CInstrument::Simple(std::uint8_t code) {
  std::uint8_t reply[3];
  return Transact(&code, 1, reply, 3, timeLimit_);
}

int CInstrument::ReadSize(std::uint8_t code, std::uint32_t& size) {
  std::uint8_t reply[7];
  size = 0;
  if (!Transact(&code, 1, reply, 7, timeLimit_)) return 0;
  size = BigEndian32(reply + 2);
  return 1;
}

int CInstrument::ReadVersion() {
  std::uint8_t cmd = kReadVersion, reply[5];
  if (!Transact(&cmd, 1, reply, 5, timeLimit_)) return 0;
  version_ = static_cast<float>(static_cast<std::int8_t>(reply[2])) +
             static_cast<float>(static_cast<std::int8_t>(reply[3])) * 0.1f;
  return 1;
}

int CInstrument::ReadState() {
  std::uint8_t cmd = kReadState, reply[4];
  if (!Transact(&cmd, 1, reply, 4, timeLimit_)) return 0;
  siteList_.state = reply[2];
  return 1;
}

int CInstrument::SetState(std::uint8_t value) {
  std::uint8_t cmd[2] = {kSetState, value}, reply[3];
  if (!Transact(cmd, 2, reply, 3, timeLimit_)) return 0;
  siteList_.state = value;
  return 1;
}

int CInstrument::ReadBlock(std::uint32_t address, std::uint8_t* data) {
  std::uint8_t cmd[5] = {kReadBlock, static_cast<std::uint8_t>(address >> 24),
                         static_cast<std::uint8_t>(address >> 16),
                         static_cast<std::uint8_t>(address >> 8),
                         static_cast<std::uint8_t>(address)};
  std::uint8_t reply[131];
  if (!Transact(cmd, 5, reply, 131, timeLimit_)) return 0;
  std::memcpy(data, reply + 2, kBlockSize);
  return 1;
}

int CInstrument::ReadSiteList() {
  siteList_.Clear();
  for (int i = 0; i < 256; ++i) {
    if (StopRequested()) return 0;
    std::uint8_t cmd[2] = {kSiteEntry, static_cast<std::uint8_t>(i)}, reply[21];
    if (!Transact(cmd, 2, reply, 21, timeLimit_)) return 0;
    if (reply[3] == 0) break;
    CSite site;
    site.id = reply[2];
    site.name = NameField(reply + 4);
    siteList_.sites.push_back(site);
    for (int j = 0; j < 256; ++j) {
      if (StopRequested()) return 0;
      std::uint8_t lcmd[3] = {kLocationEntry, static_cast<std::uint8_t>(i),
                              static_cast<std::uint8_t>(j)};
      if (!Transact(lcmd, 3, reply, 21, timeLimit_)) return 0;
      if (reply[3] == 0) break;
      siteList_.sites.back().locationIds.push_back(reply[2]);
      siteList_.sites.back().locationNames.push_back(NameField(reply + 4));
    }
  }
  return 1;
}

}  // namespace vantora

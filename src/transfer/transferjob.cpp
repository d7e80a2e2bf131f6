#include "transfer/transferjob.h"

#include <QDir>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <iterator>

#include "common/codepage.h"
#include "common/logfile.h"
#include "common/pathutil.h"
#include "common/platform.h"
#include "common/timetext.h"
#include "transfer/destination.h"
#include "transfer/dumpreader.h"
#include "transfer/seriallink.h"

namespace vantora {

namespace {

namespace fs = std::filesystem;

constexpr const char* kLogDump = "log_dump.sol";
constexpr const char* kChannelDump = "chan_dump.sol";

// The code for "no known parameter / unit"; it needs the 16-bit code fields
// of a version-3 file.
constexpr int kNoCode = 9000;
// Fixed decimals a location file shows at most.
constexpr int kMaxDecimals = 9;

std::string Trimmed(const std::string& s) {
  auto b = s.find_first_not_of(" \t\r\n\f\v");
  if (b == std::string::npos) return std::string();
  auto e = s.find_last_not_of(" \t\r\n\f\v");
  return s.substr(b, e - b + 1);
}

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

void NormaliseChannelName(std::string& name, std::string& unit) {
  std::string upper = Upper(name);
  if (name.find("CARBON DIOXID") != std::string::npos)
    name = "Carbon Dioxide";
  else if (name.find("CARBON MONOXI") != std::string::npos)
    name = "Carbon Monoxide";
  else if (upper == "REL HUMIDITY")
    name = "Relative Humidity";
  else if (upper == "TEMPERATURE")
    name = "Temperature";
  else if (upper == "DEW POINT")
    name = "Dew Point";
  unit.erase(std::remove(unit.begin(), unit.end(), '\x7f'), unit.end());
}

double DecodePackedValue(const std::uint8_t* bytes, int n, int decimals) {
  if (n <= 0) return 0.0;
  std::int64_t v = (bytes[0] & 0x80) ? -1 : 0;
  for (int i = 0; i < n && i < 8; ++i)
    v = static_cast<std::int64_t>(static_cast<std::uint64_t>(v) << 8) | bytes[i];
  double value = static_cast<double>(v);
  if (decimals != 0) value *= std::pow(10.0, -decimals);
  return value;
}

std::string SafeFileName(const std::string& name) {
  std::string out;
  for (char ch : name) {
    auto c = static_cast<unsigned char>(ch);
    if (c < 0x20 || c == 0x7f || std::string("<>:\"/\\|?*").find(ch) != std::string::npos)
      out += '_';
    else
      out += ch;
  }
  // Windows drops trailing dots and blanks; leading blanks are confusing.
  while (!out.empty() && (out.back() == '.' || out.back() == ' ')) out.pop_back();
  while (!out.empty() && out.front() == ' ') out.erase(out.begin());
  if (out.empty()) return "_";
  // Device names of Windows, also with an extension.
  std::string stem = Upper(out.substr(0, out.find('.')));
  static const char* const kReserved[] = {"CON", "PRN", "AUX", "NUL"};
  bool reserved =
      std::find(std::begin(kReserved), std::end(kReserved), stem) != std::end(kReserved);
  if (stem.size() == 4 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0) &&
      stem[3] >= '1' && stem[3] <= '9')
    reserved = true;
  if (reserved) out = "_" + out;
  return out;
}

std::string PlaceFile(const std::string& source, const std::string& target, int* error) {
  return PlaceNewFile(source, target, error);
}

namespace {

// A dump file written from its start, remembering the first failure.
class DumpFile {
 public:
  bool Create(const std::string& path) {
    path_ = path;
    // The dumps of an earlier run in the same folder are replaced.
    std::error_code ec;
    fs::remove(NativePath(path), ec);
    if (file_.OpenReadWrite(path, true)) return true;
    error_ = file_.LastError();
    return false;
  }
  void Write(const void* data, std::size_t size) {
    if (error_ == 0 && !file_.WriteAt(offset_, data, size)) error_ = file_.LastError();
    offset_ += static_cast<std::int64_t>(size);
  }
  void Close() { file_.Close(); }
  bool Failed() const { return error_ != 0; }
  std::string FailureLine() const { return WriteFailureLine(path_, error_); }

 private:
  PlatformFile file_;
  std::string path_;
  std::int64_t offset_ = 0;
  int error_ = 0;
};

}  // namespace

CTransferJob::CTransferJob(std::string destination) : destination_(std::move(destination)) {}

CTransferJob::~CTransferJob() {
  if (ownDumpFolder_.empty()) return;
  std::error_code ec;
  fs::remove_all(NativePath(ownDumpFolder_), ec);
  dumpFolderRemoval_.Forget();
}

std::string CTransferJob::TempFilePath(const std::string& name) const {
  return WithTrailingSeparator(dumpFolder_) + name;
}

std::string CTransferJob::FailureText() const {
  auto b = errorText_.find_first_not_of(" \t\r\n\f\v");
  return b == std::string::npos ? std::string("Transfer error.") : errorText_.substr(b);
}

void CTransferJob::Progress(TransferObserver* o, int pos) {
  if (!o) return;
  o->SetPos(pos);
  o->Pump();
}

bool CTransferJob::Poll(TransferObserver* o) {
  if (!o) return cancelled_;
  o->Pump();
  if (o->Cancelled()) cancelled_ = true;
  return cancelled_;
}

void CTransferJob::RemoveDumps() {
  std::error_code ec;
  fs::remove(NativePath(TempFilePath(kLogDump)), ec);
  fs::remove(NativePath(TempFilePath(kChannelDump)), ec);
}

bool CTransferJob::EndCancelled(bool transferBegun) {
  cancelled_ = true;
  if (transferBegun) instrument_.EndTransfer();
  instrument_.CloseLink();
  if (!dumpFolder_.empty()) RemoveDumps();
  errorText_ = kCancelledText;
  return false;
}

bool CTransferJob::Download(TransferObserver* o) {
  struct BusyGuard {
    TransferObserver* o;
    explicit BusyGuard(TransferObserver* obs) : o(obs) {
      if (o) o->Busy(true);
    }
    ~BusyGuard() {
      if (o) o->Busy(false);
    }
  } busy(o);
  errorText_.clear();
  written_.clear();
  cancelled_ = false;
  if (o) o->SetRange(0, kProgressMax);
  Progress(o, 0);
  // The port search and the site list look for a cancel between exchanges.
  struct StopCheckGuard {
    CInstrument& instrument;
    ~StopCheckGuard() { instrument.SetStopCheck(nullptr); }
  } stopCheck{instrument_};
  instrument_.SetStopCheck([this, o] { return Poll(o); });

  // Connecting: up to ten attempts over the ports 1 to 9.
  if (!fixedDevice_.empty()) {
    std::string device = fixedDevice_;
    instrument_.SetLinkFactory(
        [device](int port) { return std::make_unique<CSerialLink>(port, device); });
  }
  if (startPort_ > 0) instrument_.SetPort(startPort_);
  int attempts = fixedDevice_.empty() ? 10 : 1;
  bool connected = false;
  for (int i = 0; i < attempts && !connected; ++i) {
    if (instrument_.Connect()) {
      connected = true;
      break;
    }
    if (Poll(o)) return EndCancelled(false);
    if (fixedDevice_.empty()) {
      int next = instrument_.Port() + 1;
      if (next > 9 || next < 1) next = 1;
      instrument_.ChangePort(next);
    }
  }
  if (!connected) {
    errorText_ = "Can not connect to instrument.";
    return false;
  }

  // Once connected the state is reset before anything can be cancelled, so
  // that every run leaves the instrument alike.
  if (!instrument_.ReadState()) {
    errorText_ = instrument_.NoReply() ? kStoppedAnswering : "Communications error";
    instrument_.CloseLink();
    return false;
  }
  if (instrument_.SiteList().state != 0) instrument_.SetState(0);
  if (Poll(o)) return EndCancelled(false);
  // Without the site list every log would land nameless in the destination.
  if (!instrument_.ReadSiteList()) {
    if (cancelled_) return EndCancelled(false);
    errorText_ = instrument_.NoReply() ? kStoppedAnswering : kSiteListUnreadable;
    instrument_.CloseLink();
    return false;
  }
  if (cancelled_) return EndCancelled(false);
  Progress(o, 100);

  // The dump files live in a folder of this run only, which a signal that
  // ends the program removes with them.
  if (dumpFolder_.empty()) {
    const std::string temp = WithTrailingSeparator(Utf8ToCp1252(QDir::tempPath().toStdString()));
    for (int attempt = 0; attempt < 100 && ownDumpFolder_.empty(); ++attempt) {
      const std::string folder = temp + "corvanetransfer-" + RandomNamePart();
      std::error_code ec;
      dumpFolderRemoval_.Begin(folder, true);
      const bool made = fs::create_directory(NativePath(folder), ec) && !ec;
      dumpFolderRemoval_.End(made);
      if (made) {
        fs::permissions(NativePath(folder), fs::perms::owner_all, fs::perm_options::replace, ec);
        ownDumpFolder_ = folder;
      } else if (!fs::exists(NativePath(folder), ec)) {
        break;
      }
    }
    if (ownDumpFolder_.empty()) {
      errorText_ = "Cannot create a temporary folder for the transfer.";
      instrument_.CloseLink();
      return false;
    }
    dumpFolder_ = ownDumpFolder_;
  }
  DumpFile logDump, chanDump;
  const bool created =
      logDump.Create(TempFilePath(kLogDump)) && chanDump.Create(TempFilePath(kChannelDump));
  if (!created) {
    errorText_ =
        "Cannot create the dump files.\n" + (logDump.Failed() ? logDump : chanDump).FailureLine();
    instrument_.CloseLink();
    return false;
  }

  instrument_.BeginTransfer();
  if (!instrument_.ReadVersion() || instrument_.Version() < 2.0f) {
    // A version query without an answer is a lost line, not old firmware.
    errorText_ = instrument_.NoReply() ? kStoppedAnswering : "Incompatible instrument version.";
    instrument_.CloseLink();
    return false;
  }
  if (Poll(o)) {
    logDump.Close();
    chanDump.Close();
    return EndCancelled(true);
  }

  std::uint32_t c = 0, b = 0, l = 0;
  bool ok = instrument_.ReadReservedSize(c) != 0;
  if (ok) ok = instrument_.ReadChannelAreaSize(b) != 0;
  if (ok) ok = instrument_.ReadLogSize(l) != 0;
  if (!ok && instrument_.NoReply()) errorText_ = kStoppedAnswering;
  reservedSize_ = c;
  // Areas larger than the instrument's memory come from a garbled reply;
  // reading them would take hours, wrap the addresses and fill the disk.
  if (ok && (static_cast<std::uint64_t>(b) + c > kMemoryTop || l > kMemoryTop)) {
    errorText_ = "Communications error";
    ok = false;
  }

  // One message for the block that fails; the blocks after it are not
  // requested. A block without an answer fails the run as a lost line.
  bool warned = false;
  auto blockFailed = [&] {
    if (!warned && instrument_.Error() && o) o->Warning(instrument_.ErrorText());
    warned = true;
    if (instrument_.NoReply()) errorText_ = kStoppedAnswering;
  };

  // The memory read fills its span of the progress range byte by byte, over
  // the channel area and then the log area.
  const std::uint64_t total = ok ? static_cast<std::uint64_t>(b) + l : 0;
  std::uint64_t done = 0;
  auto reading = [&] {
    if (!o) return;
    int pos = kMemoryTo;
    if (total > 0) pos = kMemoryFrom + static_cast<int>((kMemoryTo - kMemoryFrom) * done / total);
    o->SetPos(pos);
    o->Status(Format("Reading memory: %u of %u bytes", static_cast<unsigned>(done),
                     static_cast<unsigned>(total)));
  };
  if (ok) reading();

  std::uint8_t block[CInstrument::kBlockSize];
  std::uint8_t sizeBytes[4] = {static_cast<std::uint8_t>(b), static_cast<std::uint8_t>(b >> 8),
                               static_cast<std::uint8_t>(b >> 16),
                               static_cast<std::uint8_t>(b >> 24)};
  chanDump.Write(sizeBytes, 4);
  std::uint32_t start = kMemoryTop - b - c;
  std::uint64_t blocks = (static_cast<std::uint64_t>(b) + 127) / 128;
  for (std::uint64_t k = 0; k < blocks && ok && !cancelled_; ++k) {
    ok = instrument_.ReadBlock(static_cast<std::uint32_t>(start + 128 * k), block) != 0;
    if (!ok) {
      blockFailed();
      break;
    }
    chanDump.Write(block, sizeof block);
    done += std::min<std::uint64_t>(128, b - 128 * k);
    reading();
    Poll(o);
  }

  blocks = (static_cast<std::uint64_t>(l) + 127) / 128;
  for (std::uint64_t k = 0; k < blocks && ok && !cancelled_; ++k) {
    ok = instrument_.ReadBlock(static_cast<std::uint32_t>(128 * k), block) != 0;
    if (!ok) {
      blockFailed();
      break;
    }
    std::uint64_t part = std::min<std::uint64_t>(128, l - 128 * k);
    logDump.Write(block, static_cast<std::size_t>(part));
    done += part;
    reading();
    Poll(o);
  }
  if (cancelled_) {
    logDump.Close();
    chanDump.Close();
    return EndCancelled(true);
  }
  Progress(o, kMemoryTo);

  logDump.Close();
  chanDump.Close();
  instrument_.EndTransfer();
  instrument_.CloseLink();
  // A dump cut short (a full disk) would convert into logs that silently
  // lack their later records.
  if (ok && (logDump.Failed() || chanDump.Failed())) {
    errorText_ =
        "Cannot write the dump files.\n" + (logDump.Failed() ? logDump : chanDump).FailureLine();
    ok = false;
  }
  if (ok && !ConvertLogDump(destination_, o)) return EndCancelled(false);
  // The files that were written stay; the run still fails for the others.
  if (ok && unwritten_ > 0) {
    errorText_ = Format("%i of %i logs could not be written.", unwritten_, toWrite_);
    ok = false;
  }
  Progress(o, kProgressMax);

  if (!keepDumps_) RemoveDumps();
  return ok;
}

bool CTransferJob::ReadChannelTable(std::uint32_t address, std::vector<DumpChannel>& channels) {
  channels.clear();
  CDumpReader in(TempFilePath(kChannelDump));
  if (!in.IsOpen()) return false;
  std::uint32_t b = in.ReadLittle32();
  // The area starts at kMemoryTop - b - c; the table lies address - start
  // bytes into it.
  std::int64_t skip = static_cast<std::int64_t>(b) + address + reservedSize_ -
                      static_cast<std::int64_t>(kMemoryTop);
  if (skip > 0) in.Skip(static_cast<std::uint64_t>(skip));
  int count = in.ReadByte();
  for (int i = 0; i < count; ++i) {
    DumpChannel ch;
    ch.decimals = in.ReadByte();
    ch.widthBits = std::abs(static_cast<int>(static_cast<std::int8_t>(in.ReadByte())));
    ch.digits = std::min(3, std::abs(static_cast<int>(static_cast<std::int8_t>(in.ReadByte()))));
    std::string name = Trimmed(in.ReadText(6));
    std::string unit = Trimmed(in.ReadText(10));
    NormaliseChannelName(name, unit);
    ch.label = name + " " + unit;
    channels.push_back(ch);
  }
  return true;
}

bool CTransferJob::ConvertLogDump(const std::string& destinationIn, TransferObserver* o) {
  written_.clear();
  toWrite_ = unwritten_ = 0;
  std::string destination = WithTrailingSeparator(destinationIn);
  CDumpReader in(TempFilePath(kLogDump));
  if (!in.IsOpen()) return true;
  const LogTime epoch = MakeLocalTime(1980, 1, 1, 0, 0, 0);
  int counter = 0;
  std::vector<DumpChannel> channels;
  std::vector<std::uint8_t> bytes;
  std::vector<double> values;
  // Every log is converted into a file of the dump folder first; only a
  // conversion that runs to its end puts them under the destination.
  struct Converted {
    std::string folder;   // created under the destination, also for no file
    std::string scratch;  // empty: nothing to place
    std::string path;
  };
  std::vector<Converted> converted;
  auto dropScratch = [&] {
    std::error_code ec;
    for (const auto& c : converted)
      if (!c.scratch.empty()) fs::remove(NativePath(c.scratch), ec);
  };

  while (in.ErrorCode() == 0 && !in.Eof()) {
    int tag = in.ReadByte();
    if (in.Eof()) break;
    if (tag != 0x01) continue;
    if (Poll(o)) {
      dropScratch();
      return false;
    }
    in.Skip(5);
    int mode = in.ReadByte();
    int locationId = in.ReadByte();
    std::uint32_t t = in.ReadBig32();
    int slots = in.ReadBig16();
    std::uint32_t tableAddress = in.ReadBig32();
    ++counter;

    const CSiteList& list = instrument_.SiteList();
    int site = list.SiteOfId(locationId);
    std::string folder;
    if (site >= 0)
      folder = SafeFileName(list.sites[static_cast<std::size_t>(site)].name) + kPathSeparator;
    std::string name;
    if (list.LocationNameOfId(locationId, name) < 0) name = "location";
    name = SafeFileName(name) + Format("_%02i", counter);
    LogTime startTime = epoch + static_cast<LogTime>(t) - 3600;
    std::string path = destination + folder + name + ".loc";
    std::string scratch = TempFilePath(Format("convert_%i.loc", counter));

    ReadChannelTable(tableAddress, channels);
    std::uint32_t interval = (mode == 1 || mode == 3) ? in.ReadBig32() : 0;

    // Logs a location file cannot hold are skipped, but read through, so
    // that the next log is found where it starts.
    std::string refusal;
    int wideBits = 0;
    for (const auto& ch : channels) wideBits = std::max(wideBits, ch.widthBits);
    if (channels.size() > static_cast<std::size_t>(kMaxFileChannels))
      refusal = "it has " + std::to_string(channels.size()) +
                " channels; a location file holds at most 20.";
    else if (wideBits > 32)
      refusal =
          "it has values of " + std::to_string(wideBits) + " bits; at most 32 bits are supported.";
    if (!refusal.empty() && slots > 0 && o)
      o->Warning("Log " + std::to_string(counter) + " (" + name +
                 ") was not converted: " + refusal);

    std::unique_ptr<CLogFile> writer;
    if (slots > 0 && refusal.empty()) {
      std::error_code ec;
      fs::remove(NativePath(scratch), ec);
      writer = std::make_unique<CLogFile>(scratch, false);
      for (std::size_t i = 0; i < channels.size(); ++i) {
        int ch = static_cast<int>(i);
        writer->SetChannelName(ch, channels[i].label);
        writer->SetChannelParam(ch, kNoCode);
        writer->SetChannelUnit(ch, kNoCode);
        // Fixed notation with the packed value's own decimals: the
        // resolution the instrument stored.
        writer->SetChannelDecimals(ch, std::min(channels[i].decimals, kMaxDecimals));
        writer->SetChannelWidth(ch, 0);
      }
      // The code kNoCode of every channel needs 16-bit code fields.
      writer->SetVersion(channels.empty() ? 2 : 3);
      writer->SetStartTime(startTime);
      writer->SetTimeBits(24);
      writer->OpenWrite(true);
    }

    LogTime current = startTime;
    int outOfRange = 0;
    for (int s = 0; s < slots; ++s) {
      int marker = in.ReadByte();
      if (marker != 0x02) continue;
      LogTime when = current;
      if (mode == 2) when = epoch + static_cast<LogTime>(in.ReadBig32());
      values.assign(std::max<std::size_t>(channels.size(), 1), 0.0);
      for (std::size_t i = 0; i < channels.size(); ++i) {
        int n = channels[i].widthBits / 8;
        bytes.assign(static_cast<std::size_t>(std::max(n, 1)), 0);
        for (int k = 0; k < n; ++k) bytes[static_cast<std::size_t>(k)] = in.ReadByte();
        if (n <= 4) values[i] = DecodePackedValue(bytes.data(), n, channels[i].decimals);
      }
      if (in.Eof()) break;  // a record cut off by the end of the dump
      // A record the file cannot time (before its start, or beyond what 24
      // bits of seconds hold) is left out; appending it would stop the
      // writer and lose every later record.
      LogTime offset = when - startTime;
      if (offset < 0 || offset > 0xFFFFFF) {
        ++outOfRange;
      } else if (writer) {
        writer->AppendRecord(when, values.data());
      }
      if (mode != 2) current += interval;
    }

    if (writer && outOfRange > 0 && o)
      o->Warning("Log " + std::to_string(counter) + " (" + name +
                 "): records left out: " + std::to_string(outOfRange) +
                 " (timed before the start of the log or too far after it).");
    Converted entry{destination + folder, std::string(), path};
    if (writer) {
      ++toWrite_;
      writer->Close();
      bool sound = writer->Error() == LogFileError::None;
      const int error = writer->SystemError();
      writer.reset();
      if (sound) {
        entry.scratch = scratch;
      } else {
        // A log whose file could not be written (a full disk) is named, like
        // one that could not be placed, so that its loss is not silent.
        std::error_code ec;
        fs::remove(NativePath(scratch), ec);
        ++unwritten_;
        if (o) o->Warning("Cannot write " + WriteFailureLine(path, error) + ".");
      }
    }
    converted.push_back(std::move(entry));
  }

  for (const auto& c : converted) {
    MakeDirectoryPath(c.folder);
    if (c.scratch.empty()) continue;
    int error = 0;
    std::string placed = PlaceFile(c.scratch, c.path, &error);
    if (!placed.empty()) {
      written_.push_back(placed);
    } else {
      ++unwritten_;
      if (o) o->Warning("Cannot write " + WriteFailureLine(c.path, error) + ".");
    }
  }
  dropScratch();
  return true;
}

}  // namespace vantora

// One "Get All Files" run: find the instrument, read its site list and its
// two memory areas into dump files in a private temporary folder, and turn
// every log of the dumps into a location file under the destination.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/platform.h"
#include "transfer/instrument.h"

namespace vantora {

class CDumpReader;
class CLogFile;

// What a run reports to its caller: progress 0 to 500 (the steps at
// multiples of 100, the memory read filling 100 to 300 as its bytes come),
// a status text, a chance to handle window events between steps, warnings
// to show and the busy state; and whether the user wants the run stopped.
class TransferObserver {
 public:
  virtual ~TransferObserver() = default;
  virtual void SetRange(int low, int high) {}
  virtual void SetPos(int pos) {}
  virtual void Status(const std::string& text) {}
  virtual void Pump() {}
  virtual void Warning(const std::string& text) {}
  virtual void Busy(bool busy) {}
  // Asked after every pump; true stops the run after the current exchange.
  virtual bool Cancelled() { return false; }
};

// The channel table entry of one channel of a log.
struct DumpChannel {
  int decimals = 0;   // D
  int widthBits = 0;  // |W|
  int digits = 0;     // |G| limited to 0..3
  std::string label;  // name + " " + unit
};

// Rewrites the instrument's channel names to their plain forms and removes
// character 127 from the unit.
void NormaliseChannelName(std::string& name, std::string& unit);

// A big-endian two's-complement integer of `n` bytes (1 to 4) times 10^-D.
double DecodePackedValue(const std::uint8_t* bytes, int n, int decimals);

// A name from the instrument made safe as one file or folder name: no path
// separators, no characters that file systems refuse, never "." or "..".
std::string SafeFileName(const std::string& name);

// Puts the finished file `source` at `target` without destroying a different
// file there: an identical file is kept as it is, a different one keeps its
// place and the new file gets a free name beside it ("Room_01 (2).loc").
// Returns the path used, or an empty text on failure (`error`: the system's
// error number).
std::string PlaceFile(const std::string& source, const std::string& target, int* error = nullptr);

class CTransferJob {
 public:
  static constexpr std::uint32_t kMemoryTop = 0x20000;
  static constexpr int kMaxFileChannels = 20;
  // The progress range and the span of the memory read within it.
  static constexpr int kProgressMax = 500;
  static constexpr int kMemoryFrom = 100, kMemoryTo = 300;
  static constexpr const char* kStoppedAnswering = "The instrument stopped answering.";
  static constexpr const char* kCancelledText = "Transfer cancelled.";
  static constexpr const char* kSiteListUnreadable =
      "The instrument's site list could not be read.";

  explicit CTransferJob(std::string destination);
  ~CTransferJob();

  // The whole run; true on success. `observer` may be null. A run the
  // observer cancels returns false with Cancelled() set: it leaves the
  // instrument as a finished run does and writes no location file.
  bool Download(TransferObserver* observer);

  // Converts the logs of the dumps into location files under `destination`.
  // The files are placed only once every log is converted; false (nothing
  // placed) when the observer cancels.
  bool ConvertLogDump(const std::string& destination, TransferObserver* observer = nullptr);
  // Reads the channel table at instrument address `address` from the channel
  // dump into `channels`; false when the channel dump cannot be read.
  bool ReadChannelTable(std::uint32_t address, std::vector<DumpChannel>& channels);

  // Folder of the dump files (created by Download, or set by tests).
  void SetDumpFolder(const std::string& folder) { dumpFolder_ = folder; }
  const std::string& DumpFolder() const { return dumpFolder_; }
  std::string TempFilePath(const std::string& name) const;
  // Size of the reserved area above the channel tables; the channel dump
  // starts b + c bytes below the top of memory.
  void SetReservedSize(std::uint32_t c) { reservedSize_ = c; }
  // Leaves the dump files in place after the run (tests).
  void SetKeepDumps(bool keep) { keepDumps_ = keep; }

  // Port handling: a fixed device is tried once and the profile is left
  // alone; otherwise the search starts at `startPort` (0: the profile's).
  void SetFixedDevice(const std::string& device) { fixedDevice_ = device; }
  void SetStartPort(int port) { startPort_ = port; }

  CInstrument& Instrument() { return instrument_; }
  const std::string& ErrorText() const { return errorText_; }
  bool Cancelled() const { return cancelled_; }
  // What a failed run tells the user: the error text without leading white
  // space, or "Transfer error." when nothing is left.
  std::string FailureText() const;
  const std::string& Destination() const { return destination_; }
  // Location files written by the last conversion.
  const std::vector<std::string>& WrittenFiles() const { return written_; }
  // Logs of the last conversion that were to become files, and those of
  // them whose file could not be written or placed (logs refused for their
  // content are in neither count).
  int LogsToWrite() const { return toWrite_; }
  int UnwrittenLogs() const { return unwritten_; }

 private:
  void Progress(TransferObserver* o, int pos);
  // Pumps the observer's events; true (and Cancelled()) once it cancels.
  bool Poll(TransferObserver* o);
  // Ends a cancelled run: the instrument leaves its transfer, the dumps go.
  bool EndCancelled(bool transferBegun);
  void RemoveDumps();

  CInstrument instrument_;
  std::string destination_;
  std::string errorText_;
  std::string dumpFolder_;
  // The folder Download made for the dumps and the converted logs, removed
  // with the job or by a signal that ends the program.
  std::string ownDumpFolder_;
  RemoveOnSignal dumpFolderRemoval_;
  std::uint32_t reservedSize_ = 6;
  std::string fixedDevice_;
  int startPort_ = 0;
  bool keepDumps_ = false;
  bool cancelled_ = false;
  std::vector<std::string> written_;
  int toWrite_ = 0;
  int unwritten_ = 0;
};

}  // namespace vantora

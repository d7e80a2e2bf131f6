// File-backed location data: the reader and writer of location files.
//
// Nothing is loaded in advance: every record read seeks to the record and
// reads it. The last record read is kept, so that reading one record channel
// by channel costs one file read.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "common/logdata.h"
#include "common/platform.h"

namespace vantora {

enum class LogFileError {
  None = 0,
  BadTag = 1,
  Range = 2,
  CannotCreate = 3,
  CannotOpen = 4,
  BadVersion = 5,
  WriteDenied = 6,
  ReadDenied = 7,
  BadRead = 8,
  WriteFailed = 9,
};

// "Bad file tag", "Range", ... ("File error" for None, "" for WriteFailed).
const char* LogFileErrorText(LogFileError error);

// Why a location file cannot be opened for reading (None: it can).
enum class LocationProblem {
  None,
  NoSuchFile,
  IsFolder,
  NotRegularFile,
  PermissionDenied,
  EmptyFile,
  BadVersion,
  BadTag,
  TooManyChannels,
  CutHeader,
  ReadFailed,
};

// "no such file", "is a folder", ... ("" for None).
const char* LocationProblemText(LocationProblem problem);
// What the file system says about `path` before it is read: NoSuchFile,
// IsFolder, NotRegularFile, EmptyFile or None.
LocationProblem FileProblem(const std::string& path);
// "<file> can not be opened: <reason>."
std::string CannotOpenMessage(const std::string& path, LocationProblem problem);
// "<file> holds 12 of the 540 records its header counts; the rest is missing."
std::string MissingRecordsMessage(const std::string& path, int held, int counted);
// "<file> holds 3 damaged records; they read as errors."
std::string BadRecordsMessage(const std::string& path, int bad);

// Largest record count the 16-bit header field holds.
constexpr int kMaxRecords = 65535;

class CLogFileIO {
 public:
  CLogFileIO(std::string path, std::recursive_mutex* lock);
  ~CLogFileIO();

  // Refuses (without opening) a path that is not a regular file. A header
  // that cannot be read leaves problem() set.
  bool OpenRead();
  bool OpenWrite(bool overwrite);
  void RewriteHeader();
  void Close();
  // A record whose own bytes are bad (tag, or the file shrank) fails alone:
  // the error does not stick and the record is counted in badRecordCount().
  bool ReadRecord(int index, LogTime& time, double* values);
  // Records first to first + count - 1 as ReadRecord reads them, many per
  // system call: the times in `times`, channelCount() values a record in
  // `values`, ok[i] true when record first + i read (a damaged record fails
  // alone). The number that read; 0 when ReadRecord would refuse them all
  // (not open, an error set, or a record beyond the range: error Range).
  int ReadRecords(int first, int count, LogTime* times, double* values, bool* ok);
  // Refused (error Range) beyond kMaxRecords records, before the start time
  // or past what timeBits can hold; nothing is written then.
  bool AppendRecord(LogTime time, const double* values);

  void GetChannel(int index, std::string* name, int* paramCode, int* unitCode, int* width,
                  int* decimals) const;
  void SetChannel(int index, const std::string* name, const int* paramCode, const int* unitCode,
                  const int* width, const int* decimals);

  LogFileError error() const { return error_; }
  // The operating system's error number of the latest failed file call.
  int systemError() const { return file_.LastError(); }
  int mode() const { return mode_; }
  // The records a reader uses: the header's count, or the whole records the
  // file holds when it ends sooner.
  int recordCount() const { return recordCount_; }
  // The count stored in the header.
  int headerRecordCount() const { return headerRecordCount_; }
  LocationProblem problem() const { return problem_; }
  // Distinct records whose reads failed by their own bytes so far.
  int badRecordCount() const { return badRecordCount_; }
  int channelCount() const { return channelCount_; }
  int version() const { return version_; }
  int timeBits() const { return timeBits_; }
  int reserved() const { return reserved_; }
  LogTime startTime() const { return startTime_; }
  std::int64_t dataStart() const { return dataStart_; }
  int recordSize() const { return recordSize_; }
  void setVersion(int v) { version_ = v; }
  void setTimeBits(int bits) { timeBits_ = bits; }
  void setStartTime(LogTime t) { startTime_ = t; }

 private:
  void SetError(LogFileError e);
  void ReadHeader();
  std::vector<std::uint8_t> BuildHeader() const;
  int OffsetBytes() const { return timeBits_ / 8; }
  void ComputeLayout();
  void NoteBadRecord(int index);
  // One record's bytes (recordSize_ of them); false when they are bad.
  bool ParseRecord(const std::uint8_t* raw, LogTime& time, double* values) const;

  std::string path_;
  LogFileError error_ = LogFileError::None;
  PlatformFile file_;
  int mode_ = 0;
  std::recursive_mutex* lock_;
  std::int64_t dataStart_ = 0;
  int recordSize_ = 0;
  int reserved_ = 0;
  LogTime startTime_;
  int timeBits_ = 0;
  int version_ = 3;
  int recordCount_ = 0;
  int headerRecordCount_ = 0;
  int channelCount_ = 0;
  LocationProblem problem_ = LocationProblem::None;
  std::vector<bool> badRecords_;
  int badRecordCount_ = 0;
  std::vector<std::string> names_;
  std::vector<int> units_;
  std::vector<int> params_;
  std::vector<int> widths_;
  std::vector<int> decimals_;
  // True once an append was refused: the file itself is sound, so its header
  // is still brought up to date at close.
  bool appendRefused_ = false;
  // The last record read (index -1: none), and a buffer for its bytes.
  int cachedIndex_ = -1;
  LogTime cachedTime_ = 0;
  double cachedValues_[kMaxChannels] = {};
  std::vector<std::uint8_t> cache_;
};

class CLogFile : public CLogData {
 public:
  explicit CLogFile(const std::string& path, bool openNow = true);
  ~CLogFile() override;

  int LastRecordIndex() const override;
  int ChannelCount() const override;
  int RecordCount() const override;
  void SetChannelName(int channel, const std::string& name) override;
  void SetChannelUnit(int channel, int unitCode) override;
  void SetChannelParam(int channel, int paramCode) override;
  void SetChannelDecimals(int channel, int decimals) override;
  void SetChannelWidth(int channel, int width) override;
  void GetChannelName(int channel, std::string& name) const override;
  void GetChannelUnit(int channel, int& unitCode) const override;
  void GetChannelParam(int channel, int& paramCode) const override;
  void GetChannelWidth(int channel, int& width) const override;
  void GetChannelDecimals(int channel, int& decimals) const override;
  bool GetTimeText(int record, std::string& text, bool withDate) const override;
  bool GetTime(int record, LogTime& time) const override;
  bool GetValueText(int record, int channel, std::string& text) const override;
  bool GetValue(int record, int channel, double& value) const override;
  bool GetValues(int record, double* values) const override;
  void AppendNow(const double* values) override;
  void CreateForWrite() override;
  void Flush() override;

  bool ReadRecord(int record, double* values, LogTime& time) const;
  // Many records at once (see CLogFileIO::ReadRecords); 0 when not open.
  int ReadRecords(int first, int count, LogTime* times, double* values, bool* ok) const;

  // Writer side (corvanetransfer, sample sites, tests).
  void SetVersion(int version) { io_->setVersion(version); }
  void SetTimeBits(int bits) { io_->setTimeBits(bits); }
  void SetStartTime(LogTime t) { io_->setStartTime(t); }
  bool OpenWrite(bool overwrite) { return io_->OpenWrite(overwrite); }
  bool AppendRecord(LogTime time, const double* values) { return io_->AppendRecord(time, values); }
  // Rewrites the header when writing, then closes the file.
  void Close();

  LogFileError Error() const { return io_->error(); }
  // The system's error number behind a failed write (0: none known).
  int SystemError() const { return io_->systemError(); }
  // Why the header could not be read (None when it was).
  LocationProblem Problem() const { return io_->problem(); }
  int HeaderRecordCount() const { return io_->headerRecordCount(); }
  // Records counted by the header that the file does not hold.
  int MissingRecordCount() const { return std::max(0, HeaderRecordCount() - RecordCount()); }
  int BadRecordCount() const { return io_->badRecordCount(); }
  bool GetStartTime(LogTime& time) const override;
  int Version() const { return io_->version(); }
  int TimeBits() const { return io_->timeBits(); }
  LogTime StartTime() const { return io_->startTime(); }
  const CLogFileIO& io() const { return *io_; }

 private:
  mutable std::recursive_mutex lock_;
  std::unique_ptr<CLogFileIO> io_;
};

}  // namespace vantora

#include "common/logfile.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "common/timetext.h"

namespace vantora {

namespace {

// Largest header: 20 version-3 descriptors and the trailing reserved byte.
constexpr int kMaxHeaderSize = 18 + kMaxChannels * 57 + 1;
constexpr int kNameUnits = 25;

// Little-endian reads from a byte buffer. Reading past the end sets BadRead;
// once any error is set every read returns 0.
class ByteReader {
 public:
  ByteReader(const std::uint8_t* data, std::size_t size, LogFileError& error)
      : data_(data), size_(size), error_(error) {}

  std::uint32_t Bytes(int count) {
    if (error_ != LogFileError::None) return 0;
    if (pos_ + static_cast<std::size_t>(count) > size_) {
      error_ = LogFileError::BadRead;
      return 0;
    }
    std::uint32_t v = 0;
    for (int k = 0; k < count && k < 4; ++k)
      v |= static_cast<std::uint32_t>(data_[pos_ + k]) << (8 * k);
    pos_ += static_cast<std::size_t>(count);
    return v;
  }
  std::uint8_t Byte() { return static_cast<std::uint8_t>(Bytes(1)); }
  std::uint16_t Word() { return static_cast<std::uint16_t>(Bytes(2)); }
  float Float() {
    std::uint32_t bits = Bytes(4);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
  }
  void Tag(std::uint8_t expected) {
    std::uint8_t tag = Byte();
    if (error_ == LogFileError::None && tag != expected) error_ = LogFileError::BadTag;
  }
  std::size_t pos() const { return pos_; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
  LogFileError& error_;
};

class ByteWriter {
 public:
  void Byte(int v) { out.push_back(static_cast<std::uint8_t>(v)); }
  void Word(int v) {
    Byte(v & 0xFF);
    Byte((v >> 8) & 0xFF);
  }
  void Float(double v) {
    float f = static_cast<float>(v);
    std::uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    for (int k = 0; k < 4; ++k) Byte((bits >> (8 * k)) & 0xFF);
  }
  std::vector<std::uint8_t> out;
};

}  // namespace

const char* LogFileErrorText(LogFileError error) {
  switch (error) {
    case LogFileError::None: return "File error";
    case LogFileError::BadTag: return "Bad file tag";
    case LogFileError::Range: return "Range";
    case LogFileError::CannotCreate: return "Can't create";
    case LogFileError::CannotOpen: return "Can't open";
    case LogFileError::BadVersion: return "Bad version";
    case LogFileError::WriteDenied: return "Write access denied";
    case LogFileError::ReadDenied: return "Read denied.";
    case LogFileError::BadRead: return "Bad read";
    case LogFileError::WriteFailed: return "";
  }
  return "";
}

const char* LocationProblemText(LocationProblem problem) {
  switch (problem) {
    case LocationProblem::None: return "";
    case LocationProblem::NoSuchFile: return "no such file";
    case LocationProblem::IsFolder: return "is a folder";
    case LocationProblem::NotRegularFile: return "not a regular file";
    case LocationProblem::PermissionDenied: return "permission denied";
    case LocationProblem::EmptyFile: return "empty file";
    case LocationProblem::BadVersion: return "not a location file (bad version)";
    case LocationProblem::BadTag: return "damaged (bad tag in the header)";
    case LocationProblem::TooManyChannels: return "damaged (more than 20 channels)";
    case LocationProblem::CutHeader: return "cut inside its header";
    case LocationProblem::ReadFailed: return "read error";
  }
  return "";
}

LocationProblem FileProblem(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::file_status status = fs::status(NativePath(path), ec);
  if (!fs::exists(status)) return LocationProblem::NoSuchFile;
  if (fs::is_directory(status)) return LocationProblem::IsFolder;
  if (!fs::is_regular_file(status)) return LocationProblem::NotRegularFile;
  if (fs::file_size(NativePath(path), ec) == 0 && !ec) return LocationProblem::EmptyFile;
  return LocationProblem::None;
}

std::string CannotOpenMessage(const std::string& path, LocationProblem problem) {
  return path + " can not be opened: " + LocationProblemText(problem) + ".";
}

std::string MissingRecordsMessage(const std::string& path, int held, int counted) {
  return Format("%s holds %i of the %i records its header counts; the rest is missing.",
                path.c_str(), held, counted);
}

std::string BadRecordsMessage(const std::string& path, int bad) {
  return Format("%s holds %i damaged record%s; %s as errors.", path.c_str(), bad,
                bad == 1 ? "" : "s", bad == 1 ? "it reads" : "they read");
}

CLogFileIO::CLogFileIO(std::string path, std::recursive_mutex* lock)
    : path_(std::move(path)), lock_(lock), startTime_(Now()) {}

CLogFileIO::~CLogFileIO() { file_.Close(); }

void CLogFileIO::SetError(LogFileError e) {
  if (error_ == LogFileError::None) error_ = e;
}

void CLogFileIO::ComputeLayout() { recordSize_ = timeBits_ / 8 + 4 * channelCount_ + 1; }

void CLogFileIO::ReadHeader() {
  std::uint8_t buffer[kMaxHeaderSize];
  long long got = file_.ReadAt(0, buffer, sizeof buffer);
  const bool readFailed = got < 0;
  if (readFailed) {
    SetError(LogFileError::BadRead);
    got = 0;
  }
  // The reader shares the sticky error: once it is set every read gives 0.
  ByteReader in(buffer, static_cast<std::size_t>(got), error_);

  int version = in.Byte();
  int copy = in.Byte();
  if (error_ == LogFileError::None) {
    version_ = version;
    if (version != copy || (version != 2 && version != 3)) SetError(LogFileError::BadVersion);
  }
  timeBits_ = in.Byte();
  // Record times are offsets of one, two or three bytes; anything else is a
  // damaged header.
  if (error_ == LogFileError::None && timeBits_ != 8 && timeBits_ != 16 && timeBits_ != 24)
    SetError(LogFileError::BadTag);
  in.Word();
  recordCount_ = in.Word();

  in.Tag(0x20);
  int hour = in.Byte(), minute = in.Byte(), second = in.Byte();
  in.Byte();
  int day = in.Byte(), month = in.Byte(), year = in.Word();
  if (error_ == LogFileError::None) {
    if (year < 1900) year = 2000;
    startTime_ = MakeLocalTime(year, month, day, hour, minute, second);
  }

  names_.clear();
  units_.clear();
  params_.clear();
  widths_.clear();
  decimals_.clear();
  channelCount_ = 0;
  in.Tag(0x40);
  int count = in.Byte();
  if (error_ == LogFileError::None) {
    channelCount_ = std::min(count, kMaxChannels);
    for (int i = 0; i < count; ++i) {
      if (i >= kMaxChannels) {
        SetError(LogFileError::Range);
        break;
      }
      in.Tag(0x80);
      int param = version_ == 2 ? in.Byte() : in.Word();
      int unit = version_ == 2 ? in.Byte() : in.Word();
      int decimals = in.Byte();
      int width = in.Byte();
      std::string name;
      for (int k = 0; k < kNameUnits; ++k) {
        std::uint16_t unitValue = in.Word();
        if (unitValue != 0) name += static_cast<char>(unitValue & 0xFF);
      }
      if (error_ != LogFileError::None) break;
      names_.push_back(name);
      params_.push_back(param);
      units_.push_back(unit);
      decimals_.push_back(decimals);
      widths_.push_back(width);
    }
  }
  if (version_ == 3) reserved_ = in.Byte();
  dataStart_ = static_cast<std::int64_t>(in.pos());
  ComputeLayout();
  headerRecordCount_ = recordCount_;
  badRecords_.clear();
  badRecordCount_ = 0;

  switch (error_) {
    case LogFileError::None: problem_ = LocationProblem::None; break;
    case LogFileError::BadVersion: problem_ = LocationProblem::BadVersion; break;
    case LogFileError::BadTag: problem_ = LocationProblem::BadTag; break;
    case LogFileError::Range: problem_ = LocationProblem::TooManyChannels; break;
    default:
      problem_ = readFailed ? LocationProblem::ReadFailed
                 : got == 0 ? LocationProblem::EmptyFile
                            : LocationProblem::CutHeader;
      break;
  }
  if (error_ != LogFileError::None) return;
  // Records the file cannot hold do not exist: a cut file has only its whole
  // records.
  const std::int64_t size = file_.Size();
  const std::int64_t room = size > dataStart_ ? size - dataStart_ : 0;
  const std::int64_t held = room / recordSize_;
  if (size >= 0 && held < recordCount_) recordCount_ = static_cast<int>(held);
}

void CLogFileIO::NoteBadRecord(int index) {
  if (index < 0) return;
  const std::size_t i = static_cast<std::size_t>(index);
  if (badRecords_.size() <= i) badRecords_.resize(i + 1, false);
  if (!badRecords_[i]) {
    badRecords_[i] = true;
    ++badRecordCount_;
  }
}

std::vector<std::uint8_t> CLogFileIO::BuildHeader() const {
  ByteWriter out;
  out.Byte(version_);
  out.Byte(version_);
  out.Byte(timeBits_);
  out.Word(0);
  out.Word(recordCount_ & 0xFFFF);
  std::tm f = LocalFields(startTime_);
  out.Byte(0x20);
  out.Byte(f.tm_hour);
  out.Byte(f.tm_min);
  out.Byte(f.tm_sec);
  out.Byte(0);
  out.Byte(f.tm_mday);
  out.Byte(f.tm_mon + 1);
  out.Word(f.tm_year + 1900);
  out.Byte(0x40);
  out.Byte(channelCount_);
  for (int i = 0; i < channelCount_; ++i) {
    bool stored = i < static_cast<int>(names_.size());
    int param = stored ? params_[i] : -1, unit = stored ? units_[i] : -1;
    out.Byte(0x80);
    if (version_ == 2) {
      out.Byte(param);
      out.Byte(unit);
    } else {
      out.Word(param);
      out.Word(unit);
    }
    out.Byte(stored ? decimals_[i] : 0);
    out.Byte(stored ? widths_[i] : 0);
    std::string name = stored ? names_[i] : std::string();
    for (int k = 0; k < kNameUnits; ++k) {
      int c = k < static_cast<int>(name.size()) ? static_cast<signed char>(name[k]) : 0;
      out.Word(c & 0xFFFF);
    }
  }
  if (version_ == 3) out.Byte(reserved_);
  return out.out;
}

bool CLogFileIO::OpenRead() {
  std::lock_guard<std::recursive_mutex> guard(*lock_);
  cachedIndex_ = -1;
  // Checked before opening: opening a pipe or a device could wait forever.
  // An empty file is opened: its header read names it.
  problem_ = FileProblem(path_);
  if (problem_ == LocationProblem::EmptyFile) problem_ = LocationProblem::None;
  if (problem_ == LocationProblem::None && !file_.OpenRead(path_)) {
    // A regular file that exists but does not open.
    problem_ = LocationProblem::PermissionDenied;
  }
  if (problem_ != LocationProblem::None) {
    SetError(LogFileError::CannotOpen);
    return false;
  }
  mode_ = 1;
  ReadHeader();
  return error_ == LogFileError::None;
}

bool CLogFileIO::OpenWrite(bool overwrite) {
  std::lock_guard<std::recursive_mutex> guard(*lock_);
  cachedIndex_ = -1;
  file_.Close();
  mode_ = 0;
  bool exists = false, empty = false;
  {
    PlatformFile probe;
    if (probe.OpenRead(path_)) {
      exists = true;
      empty = probe.Size() == 0;
    }
  }
  if (exists && (empty || overwrite)) {
    RemoveFileForced(path_);
    exists = false;
  }
  if (!file_.OpenReadWrite(path_, true)) {
    SetError(LogFileError::CannotCreate);
    return false;
  }
  mode_ = 2;
  recordCount_ = 0;
  if (exists) {
    ReadHeader();
  } else {
    auto header = BuildHeader();
    if (error_ == LogFileError::None && !file_.WriteAt(0, header.data(), header.size()))
      SetError(LogFileError::WriteFailed);
    dataStart_ = static_cast<std::int64_t>(header.size());
    ComputeLayout();
  }
  return error_ == LogFileError::None;
}

void CLogFileIO::RewriteHeader() {
  std::lock_guard<std::recursive_mutex> guard(*lock_);
  if (mode_ != 2) return;
  bool sound = error_ == LogFileError::None || (appendRefused_ && error_ == LogFileError::Range);
  if (!sound) return;
  auto header = BuildHeader();
  if (!file_.WriteAt(0, header.data(), header.size())) SetError(LogFileError::WriteFailed);
}

void CLogFileIO::Close() {
  std::lock_guard<std::recursive_mutex> guard(*lock_);
  file_.Close();
  mode_ = 0;
  cachedIndex_ = -1;
}

bool CLogFileIO::ReadRecord(int index, LogTime& time, double* values) {
  std::lock_guard<std::recursive_mutex> guard(*lock_);
  if (mode_ != 1 && mode_ != 2) SetError(LogFileError::ReadDenied);
  if (static_cast<unsigned>(index) >= static_cast<unsigned>(recordCount_))
    SetError(LogFileError::Range);
  if (error_ != LogFileError::None) return false;

  if (cachedIndex_ == index) {
    std::copy(cachedValues_, cachedValues_ + channelCount_, values);
    time = cachedTime_;
    return true;
  }
  std::vector<std::uint8_t>& raw = cache_;
  raw.resize(static_cast<std::size_t>(recordSize_));
  long long got = file_.ReadAt(dataStart_ + static_cast<std::int64_t>(recordSize_) * index,
                               raw.data(), raw.size());
  // A record's own failure (the file shrank, a bad tag) does not stick.
  if (got != static_cast<long long>(raw.size())) {
    NoteBadRecord(index);
    return false;
  }
  if (!ParseRecord(raw.data(), time, values)) {
    NoteBadRecord(index);
    return false;
  }
  cachedIndex_ = index;
  cachedTime_ = time;
  std::copy(values, values + channelCount_, cachedValues_);
  return true;
}

bool CLogFileIO::ParseRecord(const std::uint8_t* raw, LogTime& time, double* values) const {
  LogFileError parseError = LogFileError::None;
  ByteReader in(raw, static_cast<std::size_t>(recordSize_), parseError);
  in.Tag(0xFF);
  std::uint64_t offset = 0;
  for (int k = 0; k < OffsetBytes(); ++k) {
    std::uint64_t b = in.Byte();
    if (k < 4) offset += b << (8 * k);
  }
  for (int c = 0; c < channelCount_; ++c) values[c] = in.Float();
  if (parseError != LogFileError::None) return false;
  time = startTime_ + static_cast<LogTime>(offset);
  return true;
}

int CLogFileIO::ReadRecords(int first, int count, LogTime* times, double* values, bool* ok) {
  std::lock_guard<std::recursive_mutex> guard(*lock_);
  if (count <= 0) return 0;
  std::fill(ok, ok + count, false);
  if (mode_ != 1 && mode_ != 2) SetError(LogFileError::ReadDenied);
  if (first < 0 || first >= recordCount_ || count > recordCount_ - first)
    SetError(LogFileError::Range);
  if (error_ != LogFileError::None) return 0;

  // About 256 KB a read.
  const std::size_t size = static_cast<std::size_t>(recordSize_);
  const int perRead = std::max(1, static_cast<int>((256 * 1024) / size));
  std::vector<std::uint8_t> block;
  int good = 0;
  for (int done = 0; done < count;) {
    const int n = std::min(perRead, count - done);
    block.resize(size * static_cast<std::size_t>(n));
    const long long got =
        file_.ReadAt(dataStart_ + static_cast<std::int64_t>(recordSize_) * (first + done),
                     block.data(), block.size());
    // Records the read did not reach in full fail, as a short read fails one.
    const int whole = got > 0 ? static_cast<int>(static_cast<std::size_t>(got) / size) : 0;
    for (int i = 0; i < n; ++i) {
      const int k = done + i;
      double* row = values + static_cast<std::size_t>(k) * static_cast<std::size_t>(channelCount_);
      ok[k] = i < whole &&
              ParseRecord(block.data() + size * static_cast<std::size_t>(i), times[k], row);
      if (ok[k])
        ++good;
      else
        NoteBadRecord(first + k);
    }
    done += n;
  }
  return good;
}

bool CLogFileIO::AppendRecord(LogTime time, const double* values) {
  std::lock_guard<std::recursive_mutex> guard(*lock_);
  if (mode_ != 2) SetError(LogFileError::WriteDenied);
  if (error_ != LogFileError::None) return false;
  int bytes = OffsetBytes();
  long long offset = time - startTime_;
  long long maxOffset = bytes >= 4 ? 0xFFFFFFFFLL : (1LL << (8 * bytes)) - 1;
  if (recordCount_ >= kMaxRecords || offset < 0 || offset > maxOffset) {
    appendRefused_ = true;
    SetError(LogFileError::Range);
    return false;
  }
  ByteWriter out;
  out.Byte(0xFF);
  for (int k = 0; k < bytes; ++k)
    out.Byte(k < 4 ? static_cast<int>((offset >> (8 * k)) & 0xFF) : 0);
  for (int c = 0; c < channelCount_; ++c) out.Float(values[c]);
  if (!file_.WriteAt(dataStart_ + static_cast<std::int64_t>(recordSize_) * recordCount_,
                     out.out.data(), out.out.size())) {
    SetError(LogFileError::WriteFailed);
    return false;
  }
  ++recordCount_;
  return true;
}

void CLogFileIO::GetChannel(int index, std::string* name, int* paramCode, int* unitCode, int* width,
                            int* decimals) const {
  std::lock_guard<std::recursive_mutex> guard(*lock_);
  if (index < 0 || index >= channelCount_ || index >= static_cast<int>(names_.size())) return;
  if (name) *name = names_[index];
  if (paramCode) *paramCode = params_[index];
  if (unitCode) *unitCode = units_[index];
  if (width) *width = widths_[index];
  if (decimals) *decimals = decimals_[index];
}

void CLogFileIO::SetChannel(int index, const std::string* name, const int* paramCode,
                            const int* unitCode, const int* width, const int* decimals) {
  std::lock_guard<std::recursive_mutex> guard(*lock_);
  if (index < 0 || index >= kMaxChannels) return;
  if (index >= static_cast<int>(names_.size())) {
    std::size_t n = static_cast<std::size_t>(index) + 1;
    names_.resize(n);
    params_.resize(n, -1);
    units_.resize(n, -1);
    widths_.resize(n, 0);
    decimals_.resize(n, 0);
  }
  if (name) names_[index] = name->substr(0, kNameUnits);
  if (paramCode) params_[index] = *paramCode;
  if (unitCode) units_[index] = *unitCode;
  if (width) widths_[index] = *width;
  if (decimals) decimals_[index] = *decimals;
  channelCount_ = std::max(channelCount_, static_cast<int>(names_.size()));
}

// ---------------------------------------------------------------------------

CLogFile::CLogFile(const std::string& path, bool openNow)
    : CLogData(path), io_(std::make_unique<CLogFileIO>(path, &lock_)) {
  if (openNow) io_->OpenRead();
}

CLogFile::~CLogFile() { Close(); }

void CLogFile::Close() {
  if (io_->mode() == 2) io_->RewriteHeader();
  io_->Close();
}

int CLogFile::LastRecordIndex() const { return RecordCount() - 1; }
int CLogFile::ChannelCount() const { return io_->channelCount(); }
int CLogFile::RecordCount() const { return io_->recordCount(); }

void CLogFile::SetChannelName(int channel, const std::string& name) {
  io_->SetChannel(channel, &name, nullptr, nullptr, nullptr, nullptr);
}
void CLogFile::SetChannelUnit(int channel, int unitCode) {
  io_->SetChannel(channel, nullptr, nullptr, &unitCode, nullptr, nullptr);
}
void CLogFile::SetChannelParam(int channel, int paramCode) {
  io_->SetChannel(channel, nullptr, &paramCode, nullptr, nullptr, nullptr);
}
void CLogFile::SetChannelDecimals(int channel, int decimals) {
  io_->SetChannel(channel, nullptr, nullptr, nullptr, nullptr, &decimals);
}
void CLogFile::SetChannelWidth(int channel, int width) {
  io_->SetChannel(channel, nullptr, nullptr, nullptr, &width, nullptr);
}
void CLogFile::GetChannelName(int channel, std::string& name) const {
  io_->GetChannel(channel, &name, nullptr, nullptr, nullptr, nullptr);
}
void CLogFile::GetChannelUnit(int channel, int& unitCode) const {
  io_->GetChannel(channel, nullptr, nullptr, &unitCode, nullptr, nullptr);
}
void CLogFile::GetChannelParam(int channel, int& paramCode) const {
  io_->GetChannel(channel, nullptr, &paramCode, nullptr, nullptr, nullptr);
}
void CLogFile::GetChannelWidth(int channel, int& width) const {
  io_->GetChannel(channel, nullptr, nullptr, nullptr, &width, nullptr);
}
void CLogFile::GetChannelDecimals(int channel, int& decimals) const {
  io_->GetChannel(channel, nullptr, nullptr, nullptr, nullptr, &decimals);
}

bool CLogFile::ReadRecord(int record, double* values, LogTime& time) const {
  if (io_->mode() == 0) return false;
  return io_->ReadRecord(record, time, values) && io_->error() == LogFileError::None;
}

int CLogFile::ReadRecords(int first, int count, LogTime* times, double* values, bool* ok) const {
  if (io_->mode() == 0) {
    if (count > 0) std::fill(ok, ok + count, false);
    return 0;
  }
  return io_->ReadRecords(first, count, times, values, ok);
}

bool CLogFile::GetStartTime(LogTime& time) const {
  if (io_->mode() == 0 || io_->error() != LogFileError::None) return false;
  time = io_->startTime();
  return true;
}

bool CLogFile::GetValues(int record, double* values) const {
  LogTime time = 0;
  return ReadRecord(record, values, time);
}

bool CLogFile::GetTime(int record, LogTime& time) const {
  double values[kMaxChannels];
  return ReadRecord(record, values, time);
}

bool CLogFile::GetValue(int record, int channel, double& value) const {
  value = 0;
  double values[kMaxChannels];
  LogTime time = 0;
  bool ok = ReadRecord(record, values, time);
  if (ok && channel >= 0 && channel < ChannelCount()) value = values[channel];
  return ok;
}

bool CLogFile::GetValueText(int record, int channel, std::string& text) const {
  text.clear();
  double value = 0;
  if (!GetValue(record, channel, value)) return false;
  FormatValue(channel, value, text, true);
  return true;
}

bool CLogFile::GetTimeText(int record, std::string& text, bool withDate) const {
  double values[kMaxChannels];
  LogTime time = 0;
  bool ok = ReadRecord(record, values, time);
  text.clear();
  if (ok) text = withDate ? DateTimeText(time) : TimeText(time, true);
  return ok;
}

void CLogFile::AppendNow(const double* values) {
  if (io_->mode() == 0) return;
  io_->AppendRecord(Now(), values);
  Flush();
}

void CLogFile::CreateForWrite() {
  io_->setTimeBits(24);
  io_->OpenWrite(false);
}

void CLogFile::Flush() {}

}  // namespace vantora

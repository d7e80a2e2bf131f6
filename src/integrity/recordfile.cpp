#include "integrity/recordfile.h"

#include <algorithm>
#include <cstring>

#include "common/pathutil.h"

namespace vantora {

RecordFile::RecordFile(const std::string& path) : path_(path) {}

RecordFile::~RecordFile() = default;

void RecordFile::Create() {
  // Create-always: an existing file, read-only or not, is removed first.
  if (FileExists(path_)) RemoveFileForced(path_);
  if (!file_.OpenReadWrite(path_, true) || file_.Size() != 0) {
    // Not creatable, or an old file that could not be removed.
    file_.Close();
    error_ = RecordFileError::CreateFailed;
    return;
  }
  position_ = 0;
  mode_ = kWriting;
}

void RecordFile::OpenForAppend() {
  if (!FileExists(path_) || !file_.OpenReadWrite(path_, false)) {
    error_ = RecordFileError::CreateFailed;
    return;
  }
  position_ = file_.Size();
  if (position_ < 0) position_ = 0;
  mode_ = kWriting;
}

void RecordFile::OpenForRead() {
  inMemory_ = false;
  if (!file_.OpenRead(path_)) {
    error_ = RecordFileError::OpenFailed;
    return;
  }
  position_ = 0;
  mode_ = kReading;
}

void RecordFile::OpenMemoryForRead(const void* bytes, std::size_t size) {
  file_.Close();
  const auto* b = static_cast<const unsigned char*>(bytes);
  memory_.assign(b, b + size);
  inMemory_ = true;
  position_ = 0;
  mode_ = kReading;
}

void RecordFile::Close() {
  file_.Close();
  inMemory_ = false;
  memory_.clear();
  memory_.shrink_to_fit();
  mode_ = kClosed;
}

std::int64_t RecordFile::Size() {
  if (mode_ == kClosed) return -1;
  if (inMemory_) return static_cast<std::int64_t>(memory_.size());
  return file_.Size();
}

bool RecordFile::CanRead() {
  if (mode_ != kReading) error_ = RecordFileError::NotOpenForReading;
  return !atEnd_ && error_ == RecordFileError::None;
}

bool RecordFile::CanWrite() {
  if (mode_ != kWriting) error_ = RecordFileError::NotOpenForWriting;
  return error_ == RecordFileError::None;
}

std::size_t RecordFile::RawRead(void* buffer, std::size_t n) {
  long long got;
  if (inMemory_) {
    auto left = memory_.size() - static_cast<std::size_t>(position_);
    got = static_cast<long long>(std::min(n, left));
    if (got > 0) std::memcpy(buffer, memory_.data() + position_, static_cast<std::size_t>(got));
  } else {
    got = file_.ReadAt(position_, buffer, n);
  }
  if (got < 0) {
    error_ = RecordFileError::ReadFailed;
    return 0;
  }
  if (got == 0) {
    atEnd_ = true;
    return 0;
  }
  position_ += got;
  return static_cast<std::size_t>(got);
}

void RecordFile::RawWrite(const void* buffer, std::size_t n) {
  if (!file_.WriteAt(position_, buffer, n)) {
    error_ = RecordFileError::WriteFailed;
    return;
  }
  position_ += static_cast<std::int64_t>(n);
}

std::uint8_t RecordFile::ReadByte() {
  std::uint8_t b = 0;
  if (CanRead()) RawRead(&b, 1);
  return b;
}

std::uint16_t RecordFile::ReadWord() {
  std::uint8_t b[2] = {0, 0};
  if (CanRead()) RawRead(b, 2);
  return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
}

std::uint32_t RecordFile::ReadDword() {
  std::uint8_t b[4] = {0, 0, 0, 0};
  if (CanRead()) RawRead(b, 4);
  return static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
         (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
}

std::uint8_t RecordFile::ExpectByte(std::uint8_t expected) {
  std::uint8_t b = ReadByte();
  if (error_ == RecordFileError::None && b != expected) error_ = RecordFileError::UnexpectedValue;
  return b;
}

bool RecordFile::ReadBytes(void* buffer, std::size_t n) {
  if (!CanRead()) return false;
  if (n == 0) return true;
  return RawRead(buffer, n) == n;
}

std::string RecordFile::ReadFixedString(int n) {
  std::string text;
  if (n < 1) return text;
  // The mode check runs even when nothing else will be read.
  if (mode_ != kReading) error_ = RecordFileError::NotOpenForReading;
  for (int i = 0; i < n && !atEnd_ && error_ == RecordFileError::None; ++i) {
    std::uint8_t b = 0;
    RawRead(&b, 1);
    if (b != 0) text += static_cast<char>(b);
  }
  return text;
}

std::string RecordFile::ReadCountedString() {
  int n = ReadWord();
  return ReadFixedString(n);
}

LogTime RecordFile::ReadTime() {
  if (mode_ != kReading) error_ = RecordFileError::NotOpenForReading;
  if (atEnd_ || error_ != RecordFileError::None) return Now();
  int hour = ReadByte();
  int minute = ReadByte();
  int second = ReadByte();
  ReadByte();  // reserved
  int day = ReadByte();
  int month = ReadByte();
  // The year a byte at a time too: a word read with one byte left does not
  // reach the end of the file.
  int year = ReadByte();
  year |= ReadByte() << 8;
  // A record cut short by the end of the file has no date: like a missing
  // one it yields the current time.
  if (error_ != RecordFileError::None || atEnd_) return Now();
  return MakeLocalTime(year, month, day, hour, minute, second);
}

void RecordFile::WriteByte(std::uint8_t value) {
  if (CanWrite()) RawWrite(&value, 1);
}

void RecordFile::WriteWord(std::uint16_t value) {
  std::uint8_t b[2] = {static_cast<std::uint8_t>(value & 0xFF),
                       static_cast<std::uint8_t>(value >> 8)};
  if (CanWrite()) RawWrite(b, 2);
}

void RecordFile::WriteBytes(const void* buffer, std::size_t n) {
  if (CanWrite() && n > 0) RawWrite(buffer, n);
}

void RecordFile::WriteFixedString(const std::string& text, int n) {
  for (int i = 0; i < n; ++i) {
    std::uint8_t b = i < static_cast<int>(text.size()) ? static_cast<std::uint8_t>(text[i]) : 0;
    WriteByte(b);
  }
}

void RecordFile::WriteTime(LogTime time) {
  if (mode_ != kWriting) error_ = RecordFileError::NotOpenForWriting;
  if (error_ != RecordFileError::None) return;
  std::tm f = LocalFields(time);
  WriteByte(static_cast<std::uint8_t>(f.tm_hour));
  WriteByte(static_cast<std::uint8_t>(f.tm_min));
  WriteByte(static_cast<std::uint8_t>(f.tm_sec));
  WriteByte(0);
  WriteByte(static_cast<std::uint8_t>(f.tm_mday));
  WriteByte(static_cast<std::uint8_t>(f.tm_mon + 1));
  WriteWord(static_cast<std::uint16_t>(f.tm_year + 1900));
}

}  // namespace vantora

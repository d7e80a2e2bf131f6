// Sequential little-endian reader and writer of the small binary side files
// (events, point drawings, audit files). Failures are sticky error codes; the
// caller checks Error() (and AtEnd()) once after a sequence of operations.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/platform.h"

namespace vantora {

enum class RecordFileError : std::int32_t {
  None = 0,
  UnexpectedValue = 1,
  CreateFailed = 3,
  OpenFailed = 4,
  NotOpenForWriting = 6,
  NotOpenForReading = 7,
  ReadFailed = 8,
  WriteFailed = 9,
};

class RecordFile {
 public:
  enum Mode { kClosed = 0, kReading = 1, kWriting = 2 };

  explicit RecordFile(const std::string& path);
  // Owners call Close() when done; a handle left open is still released here.
  virtual ~RecordFile();
  RecordFile(const RecordFile&) = delete;
  RecordFile& operator=(const RecordFile&) = delete;

  // A new, empty file for writing; an existing (even read-only) file is
  // removed first.
  void Create();
  // Opens an existing file for writing at its end; never creates one.
  void OpenForAppend();
  void OpenForRead();
  // Reads from a copy of `bytes` instead of the file, with the same rules as
  // OpenForRead (used for data that must not touch the disk).
  void OpenMemoryForRead(const void* bytes, std::size_t size);
  void Close();
  // Size of the open file (or memory block); -1 when closed.
  std::int64_t Size();

  RecordFileError Error() const { return error_; }
  bool AtEnd() const { return atEnd_; }
  int ErrorCode() const { return static_cast<int>(error_); }
  Mode CurrentMode() const { return mode_; }
  const std::string& Path() const { return path_; }

  std::uint8_t ReadByte();
  std::uint16_t ReadWord();
  std::uint32_t ReadDword();
  std::uint8_t ExpectByte(std::uint8_t expected);
  // One read of `n` bytes; true only when all of them arrived.
  bool ReadBytes(void* buffer, std::size_t n);
  // `n` single-byte reads; zero bytes are skipped, not terminators.
  std::string ReadFixedString(int n);
  std::string ReadCountedString();
  // The 8-byte local time record; the current time when nothing (complete)
  // could be read.
  LogTime ReadTime();

  void WriteByte(std::uint8_t value);
  void WriteWord(std::uint16_t value);
  void WriteBytes(const void* buffer, std::size_t n);
  void WriteFixedString(const std::string& text, int n);
  void WriteTime(LogTime time);

 private:
  bool CanRead();
  bool CanWrite();
  // Raw read at the current position: bytes delivered, sets the flags.
  std::size_t RawRead(void* buffer, std::size_t n);
  void RawWrite(const void* buffer, std::size_t n);

  bool atEnd_ = false;
  std::string path_;
  RecordFileError error_ = RecordFileError::None;
  PlatformFile file_;
  bool inMemory_ = false;
  std::vector<unsigned char> memory_;
  Mode mode_ = kClosed;
  std::int64_t position_ = 0;
};

}  // namespace vantora

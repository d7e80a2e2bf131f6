// The operating-system layer of the core: file names, local time and a small
// positioned-I/O file. Everything that differs between Windows and POSIX in the
// core lives in platform.cpp.
#pragma once

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <string>

namespace vantora {

// Absolute time in whole seconds since 1970-01-01 UTC.
using LogTime = std::int64_t;

// A core path (Windows-1252, either separator) as an operating-system path.
std::filesystem::path NativePath(const std::string& path);
// An operating-system path as a core path (Windows-1252).
std::string FromNativePath(const std::filesystem::path& path);

// Local calendar fields of an absolute time (C library rules, TZ honoured).
std::tm LocalFields(LogTime t);
// Absolute time of local calendar fields; daylight saving left to the rules
// for that date. Out-of-range fields are normalised as mktime does.
LogTime MakeLocalTime(int year, int month, int day, int hour, int minute, int second);
LogTime Now();

// A binary file opened for positioned reads and writes.
class PlatformFile {
 public:
  PlatformFile() = default;
  ~PlatformFile();
  PlatformFile(const PlatformFile&) = delete;
  PlatformFile& operator=(const PlatformFile&) = delete;

  // Existing file, read only, others may read.
  bool OpenRead(const std::string& path);
  // Read and write, others may read; creates the file when `create` is set.
  bool OpenReadWrite(const std::string& path, bool create);
  void Close();
  bool IsOpen() const;

  // Bytes read at `offset`; -1 on an operating-system failure.
  long long ReadAt(std::int64_t offset, void* buffer, std::size_t size);
  // True when every byte was written.
  bool WriteAt(std::int64_t offset, const void* buffer, std::size_t size);
  std::int64_t Size();

 private:
#ifdef _WIN32
  void* handle_ = reinterpret_cast<void*>(-1);
#else
  int fd_ = -1;
#endif
};

// Folder of the running executable (core path, with a trailing separator),
// or "" when it cannot be found.
std::string ExecutableFolder();

// Removes the file, first making it writable. True when it is gone.
bool RemoveFileForced(const std::string& path);

}  // namespace vantora

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
// Offset of local time from UTC at `t`, in seconds (east positive).
long UtcOffsetSeconds(LogTime t);

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
  // A new file for writing, readable by its owner only: fails when the name
  // exists in any form (a file, a folder, a link that is not followed).
  bool CreateNew(const std::string& path);
  // Gives the open file the permission bits of `model`, or the default ones
  // for a new file (0666 less the umask) when `model` does not exist.
  bool TakePermissionsOf(const std::string& model);
  // Forces what was written to the disk.
  bool Sync();
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

// Moves `from` over `to` in one step: `to` is either the old or the new file,
// never a mix. A read-only `to` is replaced like any other.
bool ReplaceFile(const std::string& from, const std::string& to);

enum class MoveResult { Moved, Exists, Failed };
// Gives `from` the name `to` unless `to` exists; `from` is gone after Moved.
MoveResult MoveFileNoReplace(const std::string& from, const std::string& to);

// True when both names exist and are the same file (device and file number,
// whatever the spelling or links).
bool SameFile(const std::string& a, const std::string& b);

// A few random letters and digits for a private file name.
std::string RandomNamePart();

// A write past the process's file-size limit fails like a full disk instead
// of ending the program. Called first thing in each program's main().
void IgnoreFileSizeSignal();

// While it lives, the C library of this thread prints and reads numbers by
// the "C" rules (a '.' decimal point), whatever locale the program set (a
// GUI application takes the user's).
class CNumericLocale {
 public:
  CNumericLocale();
  ~CNumericLocale();
  CNumericLocale(const CNumericLocale&) = delete;
  CNumericLocale& operator=(const CNumericLocale&) = delete;

 private:
  void* own_ = nullptr;
  void* previous_ = nullptr;
  [[maybe_unused]] int previousMode_ = 0;
};

// Asks on the terminal for a line that is not echoed: the prompt goes to
// standard error, the answer (without its line end) to `line`. False, with
// nothing asked, when standard input is not a terminal.
bool ReadHiddenLine(const std::string& prompt, std::string& line);

}  // namespace vantora

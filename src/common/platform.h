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

// The calling thread's last operating-system error (errno; on Windows
// GetLastError()), 0 for none.
int LastSystemError();
// The system's words for such an error ("No space left on device"; in English
// on POSIX whatever the locale).
std::string SystemErrorText(int error);
// The error of a folder found where a file was to be written, and of a name
// that is taken.
int FolderErrorCode();
int ExistsErrorCode();
// The words for an errno value of the C library (on POSIX the same as
// SystemErrorText; Windows numbers these apart from its own).
std::string CLibraryErrorText(int error);

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
  // The LastSystemError() of the latest failed call (0: none failed).
  int LastError() const { return error_; }

 private:
  bool Failed();

#ifdef _WIN32
  void* handle_ = reinterpret_cast<void*>(-1);
#else
  int fd_ = -1;
#endif
  int error_ = 0;
};

// Folder of the running executable (core path, with a trailing separator),
// or "" when it cannot be found.
std::string ExecutableFolder();

// Removes the file, first making it writable. True when it is gone.
bool RemoveFileForced(const std::string& path);

// Moves `from` over `to` in one step: `to` is either the old or the new file,
// never a mix. A read-only `to` is replaced like any other. On failure
// LastSystemError() tells why (also after MoveFileNoReplace).
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

// From here on SIGTERM, SIGINT and SIGHUP (Windows: SIGINT, SIGTERM and
// SIGBREAK) remove every path held by a RemoveOnSignal, then end the program
// as the signal would have. A signal the program ignores stays ignored.
// Called first thing in each program's main().
void RemoveScratchFilesOnSignals();

// One path that a signal ending the program removes: a scratch file, or a
// private folder with the files in it (not its subfolders). The path is kept
// ready in a fixed table, so that the handler only unlinks; paths beyond the
// table's 64 places or 4,095 characters go unguarded.
class RemoveOnSignal {
 public:
  RemoveOnSignal() = default;
  ~RemoveOnSignal() { Forget(); }
  RemoveOnSignal(const RemoveOnSignal&) = delete;
  RemoveOnSignal& operator=(const RemoveOnSignal&) = delete;

  // `path` is about to be created by this thread: the signals wait (in this
  // thread, and in a handler running on another) until End(). Nothing else
  // may be called between the two.
  void Begin(const std::string& path, bool folder = false);
  // `created`: the path is removed at a signal from now on; else forgotten.
  void End(bool created);
  // Both, for a path inside a folder of this program alone.
  void Keep(const std::string& path, bool folder = false) {
    Begin(path, folder);
    End(true);
  }
  // The path is no longer removed at a signal (it was moved or removed).
  void Forget();

 private:
  int slot_ = -1;
};

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

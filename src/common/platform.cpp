#include "common/platform.h"

#include <algorithm>
#include <atomic>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <system_error>

#include "common/codepage.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <csignal>
#else
#include <dirent.h>
#include <fcntl.h>
#include <locale.h>
#include <pthread.h>
#include <sys/stat.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#endif

namespace vantora {

namespace fs = std::filesystem;

#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

#ifdef _WIN32
fs::path NativePath(const std::string& path) {
  std::wstring wide;
  if (!path.empty()) {
    int n = MultiByteToWideChar(1252, 0, path.data(), static_cast<int>(path.size()), nullptr, 0);
    wide.resize(n);
    MultiByteToWideChar(1252, 0, path.data(), static_cast<int>(path.size()), wide.data(), n);
  }
  return fs::path(wide);
}
std::string FromNativePath(const fs::path& path) {
  const std::wstring& wide = path.native();
  if (wide.empty()) return std::string();
  int n = WideCharToMultiByte(1252, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, "?",
                              nullptr);
  std::string out(n, '\0');
  WideCharToMultiByte(1252, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n, "?",
                      nullptr);
  return out;
}
#else
fs::path NativePath(const std::string& path) {
  std::string p = path;
  for (char& c : p)
    if (c == '\\') c = '/';
  return fs::path(Cp1252ToUtf8(p));
}
std::string FromNativePath(const fs::path& path) { return Utf8ToCp1252(path.native()); }
#endif

std::tm LocalFields(LogTime t) {
  std::time_t tt = static_cast<std::time_t>(t);
  std::tm out{};
#ifdef _WIN32
  localtime_s(&out, &tt);
#else
  localtime_r(&tt, &out);
#endif
  return out;
}

long UtcOffsetSeconds(LogTime t) {
  std::time_t tt = static_cast<std::time_t>(t);
#ifdef _WIN32
  std::tm local{};
  localtime_s(&local, &tt);
  return static_cast<long>(_mkgmtime(&local) - tt);
#else
  std::tm local{};
  localtime_r(&tt, &local);
  return local.tm_gmtoff;
#endif
}

LogTime MakeLocalTime(int year, int month, int day, int hour, int minute, int second) {
  std::tm fields{};
  fields.tm_year = year - 1900;
  fields.tm_mon = month - 1;
  fields.tm_mday = day;
  fields.tm_hour = hour;
  fields.tm_min = minute;
  fields.tm_sec = second;
  fields.tm_isdst = -1;
  return static_cast<LogTime>(std::mktime(&fields));
}

LogTime Now() { return static_cast<LogTime>(std::time(nullptr)); }

PlatformFile::~PlatformFile() { Close(); }

bool PlatformFile::Failed() {
  error_ = LastSystemError();
  return false;
}

#ifdef _WIN32
int LastSystemError() { return static_cast<int>(GetLastError()); }
std::string SystemErrorText(int error) {
  std::string text = std::system_category().message(error);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == '.'))
    text.pop_back();
  return text;
}
int FolderErrorCode() { return ERROR_ACCESS_DENIED; }
int ExistsErrorCode() { return ERROR_FILE_EXISTS; }
std::string CLibraryErrorText(int error) { return std::generic_category().message(error); }
#else
int LastSystemError() { return errno; }
std::string SystemErrorText(int error) {
  // The C locale's words: the same in every program, whatever its locale.
  static const locale_t english = ::newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  if (english) return ::strerror_l(error, english);
  return std::generic_category().message(error);
}
int FolderErrorCode() { return EISDIR; }
int ExistsErrorCode() { return EEXIST; }
std::string CLibraryErrorText(int error) { return SystemErrorText(error); }
#endif

#ifdef _WIN32
bool PlatformFile::OpenRead(const std::string& path) {
  Close();
  handle_ = CreateFileW(NativePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  return IsOpen() || Failed();
}
bool PlatformFile::OpenReadWrite(const std::string& path, bool create) {
  Close();
  handle_ =
      CreateFileW(NativePath(path).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                  create ? OPEN_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  return IsOpen() || Failed();
}
bool PlatformFile::CreateNew(const std::string& path) {
  Close();
  // Others may only delete it: a signal's handler removes it while it is open.
  handle_ = CreateFileW(NativePath(path).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_DELETE,
                        nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                        nullptr);
  return IsOpen() || Failed();
}
bool PlatformFile::TakePermissionsOf(const std::string&) {
  // The read-only attribute is given back by ReplaceFile.
  return IsOpen();
}
bool PlatformFile::Sync() { return IsOpen() && (FlushFileBuffers(handle_) || Failed()); }
void PlatformFile::Close() {
  if (IsOpen()) CloseHandle(handle_);
  handle_ = INVALID_HANDLE_VALUE;
}
bool PlatformFile::IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
long long PlatformFile::ReadAt(std::int64_t offset, void* buffer, std::size_t size) {
  OVERLAPPED ov{};
  ov.Offset = static_cast<DWORD>(offset);
  ov.OffsetHigh = static_cast<DWORD>(offset >> 32);
  DWORD got = 0;
  if (!ReadFile(handle_, buffer, static_cast<DWORD>(size), &got, &ov)) {
    if (GetLastError() == ERROR_HANDLE_EOF) return 0;
    return -1;
  }
  return got;
}
bool PlatformFile::WriteAt(std::int64_t offset, const void* buffer, std::size_t size) {
  OVERLAPPED ov{};
  ov.Offset = static_cast<DWORD>(offset);
  ov.OffsetHigh = static_cast<DWORD>(offset >> 32);
  DWORD put = 0;
  if (!WriteFile(handle_, buffer, static_cast<DWORD>(size), &put, &ov)) return Failed();
  if (put == size) return true;
  error_ = ERROR_DISK_FULL;
  return false;
}
std::int64_t PlatformFile::Size() {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(handle_, &size)) return -1;
  return size.QuadPart;
}
#else
bool PlatformFile::OpenRead(const std::string& path) {
  Close();
  // Opened without waiting (a pipe or a device would wait for a writer), then
  // kept only when it is a regular file.
  fd_ = ::open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd_ < 0) return Failed();
  struct stat st {};
  if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
    Close();
    return false;
  }
  ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
  return true;
}
bool PlatformFile::OpenReadWrite(const std::string& path, bool create) {
  Close();
  std::error_code ec;
  auto native = NativePath(path);
  if (fs::is_directory(native, ec)) {
    error_ = EISDIR;
    return false;
  }
  fd_ = ::open(native.c_str(), O_RDWR | O_CLOEXEC | (create ? O_CREAT : 0), 0644);
  return IsOpen() || Failed();
}
bool PlatformFile::CreateNew(const std::string& path) {
  Close();
  fd_ = ::open(NativePath(path).c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  return IsOpen() || Failed();
}
bool PlatformFile::TakePermissionsOf(const std::string& model) {
  if (!IsOpen()) return false;
  struct stat st {};
  mode_t mode;
  if (::stat(NativePath(model).c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
    mode = st.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(022);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  return ::fchmod(fd_, mode) == 0 || Failed();
}
bool PlatformFile::Sync() { return IsOpen() && (::fsync(fd_) == 0 || Failed()); }
void PlatformFile::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}
bool PlatformFile::IsOpen() const { return fd_ >= 0; }
long long PlatformFile::ReadAt(std::int64_t offset, void* buffer, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    auto n = ::pread(fd_, static_cast<char*>(buffer) + done, size - done,
                     static_cast<off_t>(offset + static_cast<std::int64_t>(done)));
    if (n < 0) return done > 0 ? static_cast<long long>(done) : -1;
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  return static_cast<long long>(done);
}
bool PlatformFile::WriteAt(std::int64_t offset, const void* buffer, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    auto n = ::pwrite(fd_, static_cast<const char*>(buffer) + done, size - done,
                      static_cast<off_t>(offset + static_cast<std::int64_t>(done)));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Failed();
    if (n == 0) {
      error_ = ENOSPC;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}
std::int64_t PlatformFile::Size() {
  struct stat st {};
  if (::fstat(fd_, &st) != 0) return -1;
  return st.st_size;
}
#endif

std::string ExecutableFolder() {
#ifdef _WIN32
  wchar_t buffer[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, buffer, MAX_PATH);
  if (n == 0 || n == MAX_PATH) return std::string();
  std::string folder = FromNativePath(fs::path(std::wstring(buffer, n)).parent_path());
#else
  std::error_code ec;
  auto exe = fs::canonical("/proc/self/exe", ec);
  if (ec) return std::string();
  std::string folder = FromNativePath(exe.parent_path());
#endif
  if (!folder.empty() && folder.back() != '/' && folder.back() != '\\') folder += kSeparator;
  return folder;
}

bool RemoveFileForced(const std::string& path) {
  std::error_code ec;
  auto native = NativePath(path);
  fs::permissions(native, fs::perms::owner_write, fs::perm_options::add, ec);
  fs::remove(native, ec);
  return !fs::exists(native, ec);
}

#ifdef _WIN32
bool ReplaceFile(const std::string& from, const std::string& to) {
  const auto target = NativePath(to);
  const DWORD attributes = GetFileAttributesW(target.c_str());
  const bool readOnly =
      attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
  if (readOnly) SetFileAttributesW(target.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  if (!MoveFileExW(NativePath(from).c_str(), target.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    const DWORD error = GetLastError();
    if (readOnly) SetFileAttributesW(target.c_str(), attributes);
    SetLastError(error);
    return false;
  }
  if (readOnly)
    SetFileAttributesW(target.c_str(),
                       GetFileAttributesW(target.c_str()) | FILE_ATTRIBUTE_READONLY);
  return true;
}

MoveResult MoveFileNoReplace(const std::string& from, const std::string& to) {
  if (MoveFileExW(NativePath(from).c_str(), NativePath(to).c_str(), MOVEFILE_WRITE_THROUGH))
    return MoveResult::Moved;
  const DWORD error = GetLastError();
  return error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS ? MoveResult::Exists
                                                                     : MoveResult::Failed;
}

bool SameFile(const std::string& a, const std::string& b) {
  auto identity = [](const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
    HANDLE h = CreateFileW(NativePath(path).c_str(), 0,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    const bool ok = GetFileInformationByHandle(h, &info) != 0;
    CloseHandle(h);
    return ok;
  };
  BY_HANDLE_FILE_INFORMATION x{}, y{};
  return identity(a, x) && identity(b, y) && x.dwVolumeSerialNumber == y.dwVolumeSerialNumber &&
         x.nFileIndexHigh == y.nFileIndexHigh && x.nFileIndexLow == y.nFileIndexLow;
}

void IgnoreFileSizeSignal() {}
#else
bool ReplaceFile(const std::string& from, const std::string& to) {
  return ::rename(NativePath(from).c_str(), NativePath(to).c_str()) == 0;
}

MoveResult MoveFileNoReplace(const std::string& from, const std::string& to) {
  const auto source = NativePath(from);
  const auto target = NativePath(to);
  if (::link(source.c_str(), target.c_str()) == 0) {
    ::unlink(source.c_str());
    return MoveResult::Moved;
  }
  if (errno == EEXIST) return MoveResult::Exists;
#ifdef RENAME_NOREPLACE
  // File systems without hard links.
  if (::renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0)
    return MoveResult::Moved;
  if (errno == EEXIST) return MoveResult::Exists;
#endif
  return MoveResult::Failed;
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat x {
  }, y{};
  return ::stat(NativePath(a).c_str(), &x) == 0 && ::stat(NativePath(b).c_str(), &y) == 0 &&
         x.st_dev == y.st_dev && x.st_ino == y.st_ino;
}

void IgnoreFileSizeSignal() { std::signal(SIGXFSZ, SIG_IGN); }
#endif

#ifdef _WIN32
CNumericLocale::CNumericLocale() {
  previousMode_ = _configthreadlocale(_ENABLE_PER_THREAD_LOCALE);
  const char* current = std::setlocale(LC_NUMERIC, nullptr);
  own_ = new std::string(current ? current : "C");
  std::setlocale(LC_NUMERIC, "C");
}
CNumericLocale::~CNumericLocale() {
  auto* saved = static_cast<std::string*>(own_);
  std::setlocale(LC_NUMERIC, saved->c_str());
  delete saved;
  _configthreadlocale(previousMode_);
}
#else
CNumericLocale::CNumericLocale() {
  locale_t c = ::newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  if (c) {
    own_ = c;
    previous_ = ::uselocale(c);
  }
}
CNumericLocale::~CNumericLocale() {
  if (!own_) return;
  ::uselocale(static_cast<locale_t>(previous_));
  ::freelocale(static_cast<locale_t>(own_));
}
#endif

// The paths a signal removes. A place is taken (Claimed) by one thread, which
// writes the path and then publishes it: Pending while the file is being
// created, Kept once it exists. The handler reads only published places.
namespace {

constexpr int kSignalSlots = 64;
constexpr std::size_t kSignalPathChars = 4096;
enum SlotState : int { kFree, kClaimed, kPending, kKept };

struct SignalSlot {
  std::atomic<int> state{kFree};
  bool folder = false;
  fs::path::value_type path[kSignalPathChars];
};

SignalSlot signalSlots[kSignalSlots];
static_assert(std::atomic<int>::is_always_lock_free, "the handler needs lock-free atomics");

void PauseBriefly() {
#ifdef _WIN32
  Sleep(1);
#else
  const timespec pause{0, 1000000};
  ::nanosleep(&pause, nullptr);
#endif
}

// The files of a kept folder. Async-signal-safe on Linux (system calls
// only); elsewhere on POSIX the folder goes only when it is empty. Windows
// runs its handlers on a thread of their own, where any call may be made.
void RemoveFolderFiles(const SignalSlot& slot) {
#ifdef _WIN32
  std::wstring pattern = std::wstring(slot.path) + L"\\*";
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      DeleteFileW((std::wstring(slot.path) + L"\\" + found.cFileName).c_str());
  } while (FindNextFileW(search, &found));
  FindClose(search);
#elif defined(__linux__)
  const int folder = ::open(slot.path, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (folder < 0) return;
  // Removing entries while reading them may skip some: read again until a
  // pass removes nothing.
  alignas(dirent64) char entries[8192];
  for (int pass = 0; pass < 16; ++pass) {
    bool removed = false;
    ::lseek(folder, 0, SEEK_SET);
    for (;;) {
      const ssize_t n = ::getdents64(folder, entries, sizeof entries);
      if (n <= 0) break;
      for (ssize_t at = 0; at < n;) {
        const auto* entry = reinterpret_cast<const dirent64*>(entries + at);
        at += entry->d_reclen;
        if (entry->d_type == DT_DIR) continue;
        removed = ::unlinkat(folder, entry->d_name, 0) == 0 || removed;
      }
    }
    if (!removed) break;
  }
  ::close(folder);
#else
  (void)slot;
#endif
}

// Async-signal-safe: removes every kept file, then every kept folder. A path
// still being created is waited for (at most about a second).
void RemoveKeptPaths() {
  for (int folders = 0; folders < 2; ++folders)
    for (SignalSlot& slot : signalSlots) {
      int state = slot.state.load(std::memory_order_acquire);
      for (int wait = 0; state == kPending && wait < 1000; ++wait) {
        PauseBriefly();
        state = slot.state.load(std::memory_order_acquire);
      }
      if (state != kKept || slot.folder != (folders == 1)) continue;
      if (slot.folder) RemoveFolderFiles(slot);
#ifdef _WIN32
      if (slot.folder)
        RemoveDirectoryW(slot.path);
      else
        DeleteFileW(slot.path);
#else
      if (slot.folder)
        ::rmdir(slot.path);
      else
        ::unlink(slot.path);
#endif
    }
}

extern "C" void RemoveKeptPathsAndRaise(int sig) {
  RemoveKeptPaths();
#ifdef _WIN32
  std::signal(sig, SIG_DFL);
#else
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  sigemptyset(&fallback.sa_mask);
  ::sigaction(sig, &fallback, nullptr);
#endif
  // Delivered once the handler returns (the signal is blocked until then).
  std::raise(sig);
}

#ifndef _WIN32
constexpr int kCleanupSignals[] = {SIGTERM, SIGINT, SIGHUP};

sigset_t CleanupSignalSet() {
  sigset_t set;
  sigemptyset(&set);
  for (int sig : kCleanupSignals) sigaddset(&set, sig);
  return set;
}

thread_local sigset_t maskBeforeCreation;
#else
constexpr int kCleanupSignals[] = {SIGINT, SIGTERM, SIGBREAK};
#endif

}  // namespace

void RemoveScratchFilesOnSignals() {
#ifdef _WIN32
  for (int sig : kCleanupSignals) {
    auto previous = std::signal(sig, RemoveKeptPathsAndRaise);
    if (previous == SIG_IGN) std::signal(sig, SIG_IGN);
  }
#else
  struct sigaction action {};
  action.sa_handler = RemoveKeptPathsAndRaise;
  action.sa_mask = CleanupSignalSet();
  action.sa_flags = SA_RESTART;
  for (int sig : kCleanupSignals) {
    struct sigaction previous {};
    if (::sigaction(sig, nullptr, &previous) != 0 || previous.sa_handler == SIG_IGN) continue;
    ::sigaction(sig, &action, nullptr);
  }
#endif
}

void RemoveOnSignal::Begin(const std::string& path, bool folder) {
  Forget();
#ifndef _WIN32
  const sigset_t held = CleanupSignalSet();
  ::pthread_sigmask(SIG_BLOCK, &held, &maskBeforeCreation);
#endif
  const auto native = NativePath(path).native();
  if (native.empty() || native.size() >= kSignalPathChars) return;
  for (int i = 0; i < kSignalSlots; ++i) {
    int expected = kFree;
    SignalSlot& slot = signalSlots[i];
    if (!slot.state.compare_exchange_strong(expected, kClaimed, std::memory_order_acq_rel))
      continue;
    std::copy(native.begin(), native.end(), slot.path);
    slot.path[native.size()] = 0;
    slot.folder = folder;
    slot.state.store(kPending, std::memory_order_release);
    slot_ = i;
    return;
  }
}

void RemoveOnSignal::End(bool created) {
  if (slot_ >= 0) {
    signalSlots[slot_].state.store(created ? kKept : kFree, std::memory_order_release);
    if (!created) slot_ = -1;
  }
#ifndef _WIN32
  ::pthread_sigmask(SIG_SETMASK, &maskBeforeCreation, nullptr);
#endif
}

void RemoveOnSignal::Forget() {
  if (slot_ < 0) return;
  signalSlots[slot_].state.store(kFree, std::memory_order_release);
  slot_ = -1;
}

std::string RandomNamePart() {
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  thread_local std::mt19937_64 engine{std::random_device{}() ^
                                      (static_cast<std::uint64_t>(Now()) << 20)};
  std::uniform_int_distribution<int> pick(0, static_cast<int>(sizeof kLetters) - 2);
  std::string part(8, 'a');
  for (char& c : part) c = kLetters[pick(engine)];
  return part;
}

#ifdef _WIN32
bool ReadHiddenLine(const std::string& prompt, std::string& line) {
  line.clear();
  HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
  DWORD mode = 0;
  if (in == INVALID_HANDLE_VALUE || !GetConsoleMode(in, &mode)) return false;
  SetConsoleMode(in, mode & ~static_cast<DWORD>(ENABLE_ECHO_INPUT));
  std::fputs(prompt.c_str(), stderr);
  std::fflush(stderr);
  char c = 0;
  DWORD n = 0;
  while (ReadFile(in, &c, 1, &n, nullptr) && n == 1 && c != '\n')
    if (c != '\r') line += c;
  SetConsoleMode(in, mode);
  std::fputc('\n', stderr);
  return true;
}
#else
namespace {
termios hiddenLineSaved;
// An interrupted question gives the terminal its echo back before the
// signal ends the program.
extern "C" void RestoreEchoAndRaise(int sig) {
  ::tcsetattr(STDIN_FILENO, TCSANOW, &hiddenLineSaved);
  RemoveKeptPaths();
  std::signal(sig, SIG_DFL);
  std::raise(sig);
}
}  // namespace

bool ReadHiddenLine(const std::string& prompt, std::string& line) {
  line.clear();
  termios quiet{};
  if (!::isatty(STDIN_FILENO) || ::tcgetattr(STDIN_FILENO, &quiet) != 0) return false;
  hiddenLineSaved = quiet;
  quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
  auto oldInt = std::signal(SIGINT, RestoreEchoAndRaise);
  auto oldTerm = std::signal(SIGTERM, RestoreEchoAndRaise);
  // The echo goes off before the prompt shows, so that an answer typed at
  // once is neither shown nor thrown away.
  ::tcsetattr(STDIN_FILENO, TCSANOW, &quiet);
  std::fputs(prompt.c_str(), stderr);
  std::fflush(stderr);
  char c = 0;
  for (;;) {
    ssize_t n = ::read(STDIN_FILENO, &c, 1);
    if (n < 0 && errno == EINTR) continue;
    if (n != 1 || c == '\n') break;
    if (c != '\r') line += c;
  }
  ::tcsetattr(STDIN_FILENO, TCSANOW, &hiddenLineSaved);
  std::signal(SIGINT, oldInt);
  std::signal(SIGTERM, oldTerm);
  std::fputc('\n', stderr);
  return true;
}
#endif

}  // namespace vantora

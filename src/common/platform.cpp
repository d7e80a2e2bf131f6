#include "common/platform.h"

#include <clocale>
#include <cstdio>
#include <random>
#include <string>
#include <system_error>

#include "common/codepage.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <fcntl.h>
#include <locale.h>
#include <sys/stat.h>
#include <termios.h>
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

#ifdef _WIN32
bool PlatformFile::OpenRead(const std::string& path) {
  Close();
  handle_ = CreateFileW(NativePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  return IsOpen();
}
bool PlatformFile::OpenReadWrite(const std::string& path, bool create) {
  Close();
  handle_ =
      CreateFileW(NativePath(path).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                  create ? OPEN_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  return IsOpen();
}
bool PlatformFile::CreateNew(const std::string& path) {
  Close();
  handle_ = CreateFileW(NativePath(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                        CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  return IsOpen();
}
bool PlatformFile::TakePermissionsOf(const std::string&) {
  // The read-only attribute is given back by ReplaceFile.
  return IsOpen();
}
bool PlatformFile::Sync() { return IsOpen() && FlushFileBuffers(handle_); }
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
  return WriteFile(handle_, buffer, static_cast<DWORD>(size), &put, &ov) && put == size;
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
  if (fd_ < 0) return false;
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
  if (fs::is_directory(native, ec)) return false;
  fd_ = ::open(native.c_str(), O_RDWR | O_CLOEXEC | (create ? O_CREAT : 0), 0644);
  return IsOpen();
}
bool PlatformFile::CreateNew(const std::string& path) {
  Close();
  fd_ = ::open(NativePath(path).c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  return IsOpen();
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
  return ::fchmod(fd_, mode) == 0;
}
bool PlatformFile::Sync() { return IsOpen() && ::fsync(fd_) == 0; }
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
    if (n <= 0) return false;
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
    if (readOnly) SetFileAttributesW(target.c_str(), attributes);
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

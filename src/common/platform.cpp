#include "common/platform.h"

#include <system_error>

#include "common/codepage.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
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
  std::error_code ec;
  auto native = NativePath(path);
  if (fs::is_directory(native, ec)) return false;
  fd_ = ::open(native.c_str(), O_RDONLY | O_CLOEXEC);
  return IsOpen();
}
bool PlatformFile::OpenReadWrite(const std::string& path, bool create) {
  Close();
  std::error_code ec;
  auto native = NativePath(path);
  if (fs::is_directory(native, ec)) return false;
  fd_ = ::open(native.c_str(), O_RDWR | O_CLOEXEC | (create ? O_CREAT : 0), 0644);
  return IsOpen();
}
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

}  // namespace vantora

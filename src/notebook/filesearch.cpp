#include "notebook/filesearch.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <vector>

#include "common/pathutil.h"
#include "common/platform.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif

namespace vantora {

namespace fs = std::filesystem;

namespace {

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

bool Match(const char* p, const char* n) {
  // Iterative glob with backtracking to the last '*'.
  const char* star = nullptr;
  const char* resume = nullptr;
  while (*n) {
    if (*p == '?' || (*p != '*' && *p && Lower(*p) == Lower(*n))) {
      ++p;
      ++n;
    } else if (*p == '*') {
      star = p++;
      resume = n;
    } else if (star) {
      p = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (*p == '*') ++p;
  return *p == '\0';
}

std::string LowerText(std::string s) {
  for (char& c : s) c = Lower(c);
  return s;
}

}  // namespace

bool WildcardMatch(const std::string& pattern, const std::string& name) {
  if (Match(pattern.c_str(), name.c_str())) return true;
  if (pattern.size() >= 2 && pattern.compare(pattern.size() - 2, 2, ".*") == 0 &&
      name.find('.') == std::string::npos)
    return Match(pattern.substr(0, pattern.size() - 2).c_str(), name.c_str());
  return false;
}

bool IsSystemFile(const std::string& path) {
#ifdef _WIN32
  DWORD attributes = GetFileAttributesW(NativePath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_SYSTEM);
#else
  std::string name = LowerText(SplitPath(path).second);
  return (!name.empty() && name[0] == '.') || name == "desktop.ini" || name == "thumbs.db";
#endif
}

std::vector<std::string> FindFiles(const std::string& pathPattern, bool skipSystem) {
  std::vector<std::string> names;
  auto [folder, pattern] = SplitPath(pathPattern);
  if (pattern.empty()) return names;
  std::error_code ec;
  fs::path dir = folder.empty() ? fs::path(".") : NativePath(folder);
  fs::directory_iterator it(dir, ec), end;
  for (; !ec && it != end; it.increment(ec)) {
    std::error_code ec2;
    if (!it->is_regular_file(ec2)) continue;
    std::string name = FromNativePath(it->path().filename());
    if (!WildcardMatch(pattern, name)) continue;
    if (skipSystem && IsSystemFile(folder + name)) continue;
    names.push_back(name);
  }
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    auto la = LowerText(a), lb = LowerText(b);
    return la != lb ? la < lb : a < b;
  });
  return names;
}

bool CopyFileTo(const std::string& from, const std::string& to, bool overwrite,
                std::string* failure) {
  int error = 0;
  bool reading = true;
  const bool copied = [&] {
    PlatformFile in;
    if (!in.OpenRead(from)) {
      error = in.LastError();
      return false;
    }
    reading = false;
    FileWriter copy(to);
    if (!copy.Open()) {
      error = copy.Error();
      return false;
    }
    std::vector<char> block(1 << 16);
    for (std::int64_t offset = 0;;) {
      const long long got = in.ReadAt(offset, block.data(), block.size());
      if (got < 0) {
        error = in.LastError();
        reading = true;
        return false;
      }
      if (got == 0) break;
      if (!copy.Write(std::string_view(block.data(), static_cast<std::size_t>(got)))) break;
      offset += got;
    }
    bool done = false;
    if (overwrite) {
      done = copy.Commit();
    } else {
      const MoveResult moved = copy.CommitWithoutReplacing(to);
      done = moved == MoveResult::Moved;
      if (moved == MoveResult::Exists) error = ExistsErrorCode();
    }
    if (!done && error == 0) error = copy.Error();
    return done;
  }();
  if (copied) {
    std::error_code ec;
    const auto perms = fs::status(NativePath(from), ec).permissions();
    if (!ec) fs::permissions(NativePath(to), perms, fs::perm_options::replace, ec);
  }
  if (failure) *failure = copied ? std::string() : WriteFailureLine(reading ? from : to, error);
  return copied;
}

}  // namespace vantora

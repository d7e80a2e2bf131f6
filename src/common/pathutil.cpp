#include "common/pathutil.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "common/platform.h"

namespace vantora {

namespace fs = std::filesystem;

std::string::size_type LastSeparator(const std::string& path) { return path.find_last_of("\\/"); }

std::pair<std::string, std::string> SplitPath(const std::string& path) {
  auto pos = LastSeparator(path);
  if (pos == std::string::npos) return {std::string(), path};
  return {path.substr(0, pos + 1), path.substr(pos + 1)};
}

std::pair<std::string, std::string> FileTitle(const std::string& name) {
  auto sep = LastSeparator(name);
  auto nameStart = sep == std::string::npos ? 0 : sep + 1;
  auto dot = name.find('.', nameStart);
  if (dot == std::string::npos || dot == 0 || dot == nameStart) return {name, std::string()};
  return {name.substr(0, dot), name.substr(dot)};
}

std::string PathWithoutExtension(const std::string& path) { return FileTitle(path).first; }

std::string ParentFolderName(const std::string& folderIn) {
  std::string folder = folderIn;
  auto sep = LastSeparator(folder);
  auto lastName = sep == std::string::npos ? folder : folder.substr(sep + 1);
  bool endsWithSep = !folder.empty() && IsPathSeparator(folder.back());
  if (!endsWithSep && lastName.find('.') == std::string::npos) folder += kPathSeparator;
  auto last = LastSeparator(folder);
  if (last == std::string::npos || last == 0) return std::string();
  auto before = folder.find_last_of("\\/", last - 1);
  auto start = before == std::string::npos ? 0 : before + 1;
  return folder.substr(start, last - start);
}

std::string AbbreviatePath(const std::string& path, int limit) {
  limit = std::clamp(limit, 11, 100);
  std::string text = path;
  bool removed = false;
  for (int i = 0; i < 9 && static_cast<int>(text.size()) > limit; ++i) {
    auto sep = text.find_first_of("\\/");
    if (sep == std::string::npos) break;
    text.erase(0, sep + 1);
    removed = true;
  }
  // The extension is cut at the first dot of the file name, never at one in
  // a folder name.
  auto sep = LastSeparator(text);
  auto nameStart = sep == std::string::npos ? 0 : sep + 1;
  auto dot = text.find('.', std::max<std::string::size_type>(nameStart, 1));
  if (dot != std::string::npos && dot > nameStart) text.erase(dot);
  return removed ? "... " + text : text;
}

std::string LocationBase(const std::string& path) {
  auto sep = LastSeparator(path);
  auto nameLength = sep == std::string::npos ? path.size() : path.size() - sep - 1;
  if (nameLength > 4 && path[path.size() - 4] == '.') return path.substr(0, path.size() - 4);
  return path;
}

std::string WithTrailingSeparator(std::string folder) {
  if (!folder.empty() && !IsPathSeparator(folder.back())) folder += kPathSeparator;
  return folder;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  return WithTrailingSeparator(folder) + name;
}

std::string NativeSeparators(std::string path) {
  std::replace(path.begin(), path.end(), kPathSeparator == '/' ? '\\' : '/', kPathSeparator);
  return path;
}

bool FileExists(const std::string& path) {
  std::error_code ec;
  auto p = NativePath(path);
  if (!fs::is_regular_file(p, ec)) return false;
  std::ifstream in(p, std::ios::binary);
  return in.good();
}

bool FileIsEmpty(const std::string& path) {
  std::error_code ec;
  auto p = NativePath(path);
  if (!fs::is_regular_file(p, ec)) return false;
  auto size = fs::file_size(p, ec);
  return !ec && size == 0;
}

bool DirectoryExists(const std::string& path) {
  std::error_code ec;
  return fs::is_directory(NativePath(path), ec);
}

bool ReadTextFile(const std::string& path, std::string& text) {
  text.clear();
  std::error_code ec;
  auto p = NativePath(path);
  if (fs::is_directory(p, ec)) return false;
  std::ifstream in(p, std::ios::binary);
  if (!in) return false;
  std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  bool any = !data.empty();
  auto zero = data.find('\0');
  if (zero != std::string::npos) data.resize(zero);
  text = std::move(data);
  return any;
}

bool WriteTextFile(const std::string& path, const std::string& text) {
  return WriteFilePieces(path, {std::string_view(text)});
}

bool WriteFilePieces(const std::string& path, const std::vector<std::string_view>& pieces) {
  auto target = NativePath(path);
  std::error_code ec;
  if (fs::is_directory(target, ec)) return false;
  auto temp = target;
  temp += ".vtmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    for (auto piece : pieces) out.write(piece.data(), static_cast<std::streamsize>(piece.size()));
    out.flush();
    if (!out) {
      out.close();
      fs::remove(temp, ec);
      return false;
    }
  }
  // A read-only file is replaced like any other: make it writable first.
  if (fs::exists(target, ec))
    fs::permissions(target, fs::perms::owner_write, fs::perm_options::add, ec);
  fs::rename(temp, target, ec);
  if (ec) {
    fs::remove(temp, ec);
    return false;
  }
  return true;
}

void MakeDirectoryPath(const std::string& pathIn) {
  std::string path = WithTrailingSeparator(pathIn);
  for (std::string::size_type i = 0; i < path.size(); ++i) {
    if (!IsPathSeparator(path[i]) || i == 0) continue;
    std::error_code ec;
    fs::create_directory(NativePath(path.substr(0, i)), ec);
  }
}

}  // namespace vantora

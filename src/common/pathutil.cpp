#include "common/pathutil.h"

#include <algorithm>
#include <cctype>
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

std::string AbbreviatePath(const std::string& path, int limit, bool keepExtension) {
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
  if (!keepExtension && dot != std::string::npos && dot > nameStart) text.erase(dot);
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
  // Only a regular file is read: a pipe or a device could wait forever.
  PlatformFile in;
  if (!in.OpenRead(path)) return false;
  std::string data;
  char block[1 << 16];
  for (std::int64_t offset = 0;;) {
    const long long got = in.ReadAt(offset, block, sizeof block);
    if (got <= 0) break;
    data.append(block, static_cast<std::size_t>(got));
    offset += got;
  }
  bool any = !data.empty();
  auto zero = data.find('\0');
  if (zero != std::string::npos) data.resize(zero);
  text = std::move(data);
  return any;
}

FileWriter::FileWriter(std::string target) : target_(std::move(target)) {}

FileWriter::~FileWriter() { Discard(); }

void FileWriter::NoteError(int error) {
  if (error_ == 0) error_ = error;
}

std::string FileWriter::ErrorText() const { return WriteErrorText(error_); }

bool FileWriter::Open() {
  Discard();
  error_ = 0;
  std::error_code ec;
  if (fs::is_directory(NativePath(target_), ec)) {
    error_ = FolderErrorCode();
    return false;
  }
  file_ = std::make_unique<PlatformFile>();
  // A name taken by another writer (or anything else) is never reused. A
  // long name is shortened so that the scratch name stays within the limit.
  auto [folder, name] = SplitPath(target_);
  if (name.size() > 75) name.resize(75);
  for (int attempt = 0; attempt < 100; ++attempt) {
    scratch_ = folder + name + "." + RandomNamePart() + ".vtmp";
    removal_.Begin(scratch_);
    const bool created = file_->CreateNew(scratch_);
    removal_.End(created);
    if (created) {
      open_ = true;
      failed_ = false;
      offset_ = 0;
      buffer_.clear();
      return true;
    }
    const int err = file_->LastError();
    if (FileExists(scratch_) || fs::is_symlink(NativePath(scratch_), ec)) continue;
    error_ = err;
    break;
  }
  scratch_.clear();
  file_.reset();
  return false;
}

bool FileWriter::Flush() {
  if (!buffer_.empty()) {
    if (!file_->WriteAt(offset_, buffer_.data(), buffer_.size())) {
      NoteError(file_->LastError());
      failed_ = true;
    }
    offset_ += static_cast<std::int64_t>(buffer_.size());
    buffer_.clear();
  }
  return !failed_;
}

bool FileWriter::Write(std::string_view data) {
  constexpr std::size_t kBuffer = 1 << 16;
  if (!open_ || failed_) return false;
  if (buffer_.size() + data.size() > kBuffer && !Flush()) return false;
  if (data.size() >= kBuffer) {
    if (!file_->WriteAt(offset_, data.data(), data.size())) {
      NoteError(file_->LastError());
      failed_ = true;
    }
    offset_ += static_cast<std::int64_t>(data.size());
    return !failed_;
  }
  buffer_.append(data);
  return true;
}

bool FileWriter::Commit() {
  if (!open_) return false;
  bool ok = Flush() && file_->TakePermissionsOf(target_) && file_->Sync();
  if (!ok) NoteError(file_->LastError());
  file_->Close();
  if (ok && !ReplaceFile(scratch_, target_)) {
    NoteError(LastSystemError());
    ok = false;
  }
  if (ok) {
    removal_.Forget();
    open_ = false;
    scratch_.clear();
    file_.reset();
    return true;
  }
  Discard();
  return false;
}

MoveResult FileWriter::CommitWithoutReplacing(const std::string& path) {
  if (!open_) return MoveResult::Failed;
  if (file_->IsOpen()) {
    const bool ok = Flush() && file_->TakePermissionsOf(std::string()) && file_->Sync();
    if (!ok) NoteError(file_->LastError());
    file_->Close();
    if (!ok) {
      Discard();
      return MoveResult::Failed;
    }
  }
  const MoveResult result = MoveFileNoReplace(scratch_, path);
  if (result == MoveResult::Failed) NoteError(LastSystemError());
  if (result == MoveResult::Moved) {
    removal_.Forget();
    open_ = false;
    scratch_.clear();
    file_.reset();
  } else if (result == MoveResult::Failed) {
    Discard();
  }
  return result;
}

void FileWriter::Discard() {
  if (file_) file_->Close();
  file_.reset();
  if (!scratch_.empty()) {
    std::error_code ec;
    fs::remove(NativePath(scratch_), ec);
  }
  removal_.Forget();
  scratch_.clear();
  buffer_.clear();
  open_ = false;
}

bool WriteTextFile(const std::string& path, const std::string& text, int* error) {
  return WriteFilePieces(path, {std::string_view(text)}, error);
}

bool WriteFilePieces(const std::string& path, const std::vector<std::string_view>& pieces,
                     int* error) {
  FileWriter writer(path);
  bool ok = writer.Open();
  for (auto piece : pieces) ok = ok && writer.Write(piece);
  ok = ok && writer.Commit();
  if (error) *error = ok ? 0 : writer.Error();
  return ok;
}

bool IsLocationName(const std::string& path) {
  const std::string name = SplitPath(path).second;
  if (name.size() < 4) return false;
  std::string ext = name.substr(name.size() - 4);
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext == ".loc";
}

std::string WriteErrorText(int error) {
  return error ? SystemErrorText(error) : std::string("the file could not be written");
}

std::string WriteFailureLine(const std::string& path, int error) {
  return path + ": " + WriteErrorText(error);
}

std::string WithWriteFailure(const std::string& message, const std::string& path, int error) {
  return message + "\n" + WriteFailureLine(path, error);
}

const char* const kLocationOutputRefused =
    "A location file cannot be replaced by an export or report. Choose another name.";

std::string LocationOutputRefusedMessage(const std::string& output) {
  return std::string(kLocationOutputRefused) + " (" + output + ")";
}

bool RefusesOutput(const std::string& output, const std::vector<std::string>& inputs) {
  if (IsLocationName(output)) return true;
  return std::any_of(inputs.begin(), inputs.end(),
                     [&](const std::string& input) { return SameFile(output, input); });
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

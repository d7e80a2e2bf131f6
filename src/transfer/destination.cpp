#include "transfer/destination.h"

#include <QDir>
#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

#include "common/codepage.h"
#include "common/pathutil.h"
#include "common/platform.h"
#include "common/profile.h"

namespace vantora {

namespace {
constexpr const char* kSection = "Transfer/Directories";
}

namespace {

// True when both files hold the same bytes.
bool SameContents(const std::string& a, const std::string& b) {
  PlatformFile x, y;
  if (!x.OpenRead(a) || !y.OpenRead(b) || x.Size() != y.Size()) return false;
  std::vector<char> bx(1 << 16), by(1 << 16);
  for (std::int64_t offset = 0;;) {
    const long long gx = x.ReadAt(offset, bx.data(), bx.size());
    const long long gy = y.ReadAt(offset, by.data(), by.size());
    if (gx != gy || gx < 0) return false;
    if (gx == 0) return true;
    if (!std::equal(bx.begin(), bx.begin() + gx, by.begin())) return false;
    offset += gx;
  }
}

}  // namespace

std::string PlaceNewFile(const std::string& source, const std::string& target, int* error) {
  const auto failed = [&](int why) {
    if (error) *error = why;
    return std::string();
  };
  if (error) *error = 0;
  PlatformFile in;
  if (!in.OpenRead(source)) return failed(in.LastError());
  FileWriter copy(target);
  if (!copy.Open()) return failed(copy.Error());
  std::vector<char> block(1 << 16);
  for (std::int64_t offset = 0;;) {
    const long long got = in.ReadAt(offset, block.data(), block.size());
    if (got < 0) return failed(in.LastError());
    if (got == 0) break;
    if (!copy.Write(std::string_view(block.data(), static_cast<std::size_t>(got))))
      return failed(copy.Error());
    offset += got;
  }
  in.Close();
  auto [folder, name] = SplitPath(target);
  auto [title, ext] = FileTitle(name);
  for (int n = 1; n < 10000; ++n) {
    const std::string path =
        n == 1 ? target : folder + title + " (" + std::to_string(n) + ")" + ext;
    switch (copy.CommitWithoutReplacing(path)) {
      case MoveResult::Moved: return path;
      case MoveResult::Failed: return failed(copy.Error());
      case MoveResult::Exists:
        if (SameContents(source, path)) return path;  // the copy is discarded
        break;
    }
  }
  return failed(ExistsErrorCode());
}

std::string DefaultTransferDestination() {
#ifdef _WIN32
  return "\\my documents\\vantora\\corvane\\";
#else
  return Utf8ToCp1252(QDir::homePath().toStdString()) + "/Documents/Vantora/Corvane/";
#endif
}

std::string TransferDestination() {
  std::string path = DefaultTransferDestination();
  if (Profile::Contains(kSection, "CLRoot"))
    path = Profile::GetString(kSection, "CLRoot");
  else if (Profile::Contains(kSection, "PCRoot"))
    path = Profile::GetString(kSection, "PCRoot");
  if (path.empty()) path = DefaultTransferDestination();
  if (!IsPathSeparator(path.back())) path += kPathSeparator;
  return path;
}

void StoreTransferDestination(const std::string& path) {
  Profile::WriteString(kSection, "CLRoot", path);
}

}  // namespace vantora

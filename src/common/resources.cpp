#include "common/resources.h"

#include <QFileInfo>
#include <filesystem>
#include <system_error>

#include "common/codepage.h"
#include "common/pathutil.h"
#include "common/platform.h"
#include "common/profile.h"

namespace vantora {

namespace fs = std::filesystem;

namespace {

constexpr const char* kInstalledData = "../share/vantorapc/";

std::string WithPlatformSeparators(std::string name) {
  for (char& c : name)
    if (c == '/') c = kPathSeparator;
  return name;
}

bool Exists(const std::string& path) {
  std::error_code ec;
  return fs::exists(NativePath(path), ec);
}

// programFolder + "../share/vantorapc/" + name with the ".." resolved.
std::string InstalledPath(const std::string& programFolder, const std::string& name) {
  fs::path p = NativePath(WithTrailingSeparator(programFolder) +
                          WithPlatformSeparators(kInstalledData + name));
  return FromNativePath(p.lexically_normal());
}

}  // namespace

std::string ShippedFile(const std::string& programFolder, const std::string& name) {
  std::string beside = WithTrailingSeparator(programFolder) + WithPlatformSeparators(name);
  if (programFolder.empty() || Exists(beside)) return beside;
  std::string installed = InstalledPath(programFolder, name);
  return Exists(installed) ? installed : beside;
}

std::string ShippedFile(const std::string& name) { return ShippedFile(ProgramDirectory(), name); }

bool InstalledLayout(const std::string& programFolder) {
  if (programFolder.empty()) return false;
  return !Exists(WithTrailingSeparator(programFolder) + "tvoc.csv") &&
         Exists(InstalledPath(programFolder, "tvoc.csv"));
}

bool FolderIsWritable(const std::string& folder) {
  if (folder.empty()) return false;
  QFileInfo info(QString::fromStdString(Cp1252ToUtf8(folder)));
  return info.isDir() && info.isWritable();
}

int SeedTemplates(const std::string& programFolder, const std::string& folder) {
  std::string shipped = ShippedFile(programFolder, "templates");
  std::error_code ec;
  fs::directory_iterator it(NativePath(shipped), ec), end;
  if (ec || folder.empty()) return 0;
  fs::path target = NativePath(folder);
  int copied = 0;
  for (; it != end; it.increment(ec)) {
    if (ec) break;
    std::error_code fileEc;
    if (!it->is_regular_file(fileEc)) continue;
    fs::path to = target / it->path().filename();
    if (fs::exists(to, fileEc)) continue;
    if (fs::copy_file(it->path(), to, fs::copy_options::skip_existing, fileEc)) ++copied;
  }
  return copied;
}

}  // namespace vantora

#include "transfer/destination.h"

#include <QDir>

#include "common/codepage.h"
#include "common/pathutil.h"
#include "common/profile.h"

namespace vantora {

namespace {
constexpr const char* kSection = "Transfer/Directories";
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

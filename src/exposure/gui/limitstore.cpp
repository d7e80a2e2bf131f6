#include "exposure/gui/limitstore.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include "common/codepage.h"
#include "common/gui/framework.h"
#include "common/gui/qtstrings.h"
#include "common/pathutil.h"
#include "common/profile.h"
#include "model/vocabulary.h"

namespace vantora::exposure {

const char* const kUserLimitsLabel = "limits.csv";

namespace {

// What a read saw of the user's file, to tell a later change.
struct FileStamp {
  bool exists = false;
  qint64 size = 0;
  qint64 modified = 0;
  bool operator==(const FileStamp& o) const {
    return exists == o.exists && size == o.size && modified == o.modified;
  }
};

FileStamp StampOf(const std::string& path) {
  QFileInfo info(NativeQtPath(path));
  FileStamp s;
  s.exists = info.exists();
  if (s.exists) {
    s.size = info.size();
    s.modified = info.lastModified().toMSecsSinceEpoch();
  }
  return s;
}

struct Store {
  std::shared_ptr<const LoadedLimits> limits;
  FileStamp stamp;
};

Store& TheStore() {
  static Store store;
  return store;
}

void Load() {
  const std::string path = UserLimitsPath();
  Store& store = TheStore();
  store.stamp = StampOf(path);
  const std::string problem = UserLimitsProblem(path);
  auto limits = std::make_shared<LoadedLimits>(LoadLimitLibrary(
      problem.empty() ? path : std::string(), kUserLimitsLabel, TheParamNames().compounds()));
  if (!problem.empty()) limits->problems.push_back(problem);
  store.limits = limits;
  const std::string text = LimitProblemsText(limits->problems);
  if (!text.empty()) AfxMessageBox(Utf8ToCp1252(text), MsgIcon::Exclamation);
}

}  // namespace

std::string UserLimitsPath() { return SettingsFolder() + "limits.csv"; }

std::string UserLimitsProblem(const std::string& path) {
  QFileInfo info(NativeQtPath(path));
  if (!info.exists()) return std::string();
  const std::string label = kUserLimitsLabel;
  if (info.isDir()) return label + ": is a folder, not a file; it was not read";
  if (info.size() > kMaxUserLimitsBytes)
    return label + ": " + std::to_string(info.size() / (1024 * 1024)) +
           " MB is more than a limits file holds; it was not read";
  QFile file(info.filePath());
  if (!file.open(QIODevice::ReadOnly))
    return label + ": cannot be read (" + file.errorString().toStdString() + ")";
  return std::string();
}

std::shared_ptr<const LoadedLimits> CurrentLimits() {
  if (!TheStore().limits) Load();
  return TheStore().limits;
}

void ReloadLimits() { Load(); }

bool ReloadLimitsIfChanged() {
  if (TheStore().limits && StampOf(UserLimitsPath()) == TheStore().stamp) return false;
  Load();
  return true;
}

std::string LimitProblemsText(const std::vector<std::string>& problems, std::size_t maxLines) {
  if (problems.empty()) return std::string();
  std::string text = "Limit rows that could not be read were skipped (your own limits are in " +
                     Cp1252ToUtf8(UserLimitsPath()) + "):\n";
  for (std::size_t i = 0; i < problems.size() && i < maxLines; ++i) text += "\n" + problems[i];
  if (problems.size() > maxLines)
    text += "\n... and " + std::to_string(problems.size() - maxLines) + " more";
  return text;
}

const LimitSet* ChosenLimitSet(const LoadedLimits& limits) {
  const std::string name = Profile::GetUtf8String("Exposure", "LimitSet");
  const LimitSet* set = name.empty() ? nullptr : limits.library.Find(name);
  if (!set) set = limits.library.Find(kDefaultLimitSet);
  if (!set && !limits.library.Sets().empty()) set = &limits.library.Sets().front();
  return set;
}

void StoreChosenLimitSet(const std::string& name) {
  Profile::WriteUtf8String("Exposure", "LimitSet", name);
}

}  // namespace vantora::exposure

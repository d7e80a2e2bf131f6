#include "graph/gui/graphprofile.h"

#include <QFileInfo>
#include <QSettings>
#include <algorithm>

#include "common/codepage.h"
#include "common/gui/qtstrings.h"
#include "common/profile.h"
#include "exposure/limits.h"
#include "model/vocabulary.h"

namespace vantora::graph {

namespace {

constexpr const char* kSection = "Graph";

bool ReadFlag(const char* key, bool defaultValue) {
  return Profile::GetInt(kSection, key, defaultValue ? 1 : 0) != 0;
}

void WriteFlag(const char* key, bool value) { Profile::WriteInt(kSection, key, value ? 1 : 0); }

}  // namespace

void LoadGraphSettings(GraphSettings& s) {
  const GraphSettings defaults;
  std::fill(std::begin(s.axisParams), std::end(s.axisParams), 0);
  s.axisCount = 0;
  s.mode = 0;
  s.dateOnX = ReadFlag("DateOnX", defaults.dateOnX);
  s.showTitle = ReadFlag("Title", defaults.showTitle);
  s.xGrid = ReadFlag("XGrid", defaults.xGrid);
  s.yGrid = ReadFlag("YGrid", defaults.yGrid);
  s.xLabels = ReadFlag("XLabels", defaults.xLabels);
  s.yLabels = ReadFlag("YLabels", defaults.yLabels);
  s.lines = ReadFlag("Lines", defaults.lines);
  s.markers = ReadFlag("Markers", defaults.markers);
  s.legend = Profile::GetInt(kSection, "Legend", defaults.legend);
  s.limitLines = ReadFlag("LimitLines", defaults.limitLines);
  switch (Profile::GetInt(kSection, "Mode", defaults.mode - 1)) {
    case 1: s.mode = kModeMultiY; break;
    case 2: s.mode = kModeStrip; break;
    default: s.mode = kModeSingleY; break;
  }
  s.title.clear();
  s.titleFontSize = 16;
}

void SaveGraphSettings(const GraphSettings& s) {
  WriteFlag("DateOnX", s.dateOnX);
  WriteFlag("Title", s.showTitle);
  WriteFlag("XGrid", s.xGrid);
  WriteFlag("YGrid", s.yGrid);
  WriteFlag("XLabels", s.xLabels);
  WriteFlag("YLabels", s.yLabels);
  WriteFlag("Lines", s.lines);
  WriteFlag("Markers", s.markers);
  Profile::WriteInt(kSection, "Legend", s.legend);
  WriteFlag("LimitLines", s.limitLines);
  int stored = 0;
  if (s.mode == kModeMultiY) stored = 1;
  if (s.mode == kModeStrip) stored = 2;
  Profile::WriteInt(kSection, "Mode", stored);
}

std::string UserLimitsFile() {
  // The folder of the settings file: where the user's own limits live.
  const QSettings settings(QStringLiteral("Halvorn"), QStringLiteral("VantoraPC"));
  const QString folder = QFileInfo(settings.fileName()).absolutePath();
  return FromQtPath(folder + QStringLiteral("/limits.csv"));
}

ProfileLimits::ProfileLimits() {
  const std::string user = UserLimitsFile();
  loaded = exposure::LoadLimitLibrary(user, "limits.csv", TheParamNames().compounds());
  const std::string name = Profile::GetString("Exposure", "LimitSet");
  set = exposure::ChooseLimitSet(loaded, Cp1252ToUtf8(name));
  // A set of that name no longer exists: the default one.
  if (!set) set = exposure::ChooseLimitSet(loaded, exposure::kDefaultLimitSet);
}

}  // namespace vantora::graph

#include "location/statistics.h"

#include <algorithm>

#include "common/pathutil.h"
#include "common/timetext.h"
#include "model/vocabulary.h"

namespace vantora {

CLogStatistics::CLogStatistics(const CLogData* src)
    : channelCount(std::clamp(src->ChannelCount(), 0, kMaxChannels)), source(src) {
  LogTime now = Now();
  for (int c = 0; c < kMaxChannels; ++c) {
    count[c] = -1;
    timeOfMin[c] = timeOfMax[c] = firstTime[c] = lastTime[c] = now;
  }
}

void CLogStatistics::Compute() {
  int n = source->LastRecordIndex();
  for (int c = 0; c < channelCount; ++c) {
    source->GetChannelUnit(c, unitCode[c]);
    source->GetChannelParam(c, paramCode[c]);
  }
  if (n < 0) return;
  for (int r = 0; r <= n; ++r) {
    for (int c = 0; c < channelCount; ++c) {
      double v = 0;
      if (!source->GetValue(r, c, v)) continue;
      LogTime t = 0;
      source->GetTime(r, t);
      bool first = count[c] < 0;
      if (first || t <= firstTime[c]) firstTime[c] = t;
      if (first || t >= lastTime[c]) lastTime[c] = t;
      if (first || v <= min[c]) {
        min[c] = v;
        timeOfMin[c] = t;
      }
      if (first || v >= max[c]) {
        max[c] = v;
        timeOfMax[c] = t;
      }
      sum[c] += v;
      count[c] = std::max(count[c], 0) + 1;
      avg[c] = sum[c] / count[c];
    }
  }
}

void CLogStatistics::BuildText(std::string& text) const {
  auto [folder, file] = SplitPath(source->path);
  text = FileTitle(file).first + "\r\n";
  text += ParentFolderName(folder) + "\r\n\r\n";
  text += Format("Started at: %s\r\n", DateTimeText(firstTime[0]).c_str());
  text += Format("Ended at: %s\r\n", DateTimeText(lastTime[0]).c_str());
  text += Format("Duration: %s\r\n", DurationText(lastTime[0] - firstTime[0], true).c_str());
  text += Format("Num points= %3i\r\n\r\n", std::max(count[0], 0));
  CUnitNames& units = TheUnitNames();
  CParamNames& params = TheParamNames();
  for (int c = 0; c < channelCount; ++c) {
    int w = 0, d = 0;
    source->GetChannelWidth(c, w);
    source->GetChannelDecimals(c, d);
    std::string minMaxFormat, avgFormat;
    if (d >= 200) {
      minMaxFormat = avgFormat = Format("%%#%i.%ig", d - 200, d - 200);
    } else {
      d = std::max(d, 0);
      minMaxFormat = Format("%%%i.%if", w, d);
      avgFormat = Format("%%%i.%if", w, d + 1);
    }
    std::string unit = units.GetName(unitCode[c]);
    text += Format("%s %s\r\n", params.GetName(paramCode[c], true).c_str(), unit.c_str());
    text += "  " + Format("Min= %s @ %s\r\n", Format(minMaxFormat.c_str(), min[c]).c_str(),
                          DateTimeText(timeOfMin[c]).c_str());
    text += "  " + Format("Max= %s @ %s\r\n", Format(minMaxFormat.c_str(), max[c]).c_str(),
                          DateTimeText(timeOfMax[c]).c_str());
    text += "  " +
            Format("Avg= %s %s\r\n\r\n", Format(avgFormat.c_str(), avg[c]).c_str(), unit.c_str());
  }
}

std::string StatisticsFilePath(const std::string& locationPath) {
  return LocationBase(locationPath) + "_stats.txt";
}

std::string StatisticsText(const CLogData& data) {
  CLogStatistics stats(&data);
  stats.Compute();
  std::string text;
  stats.BuildText(text);
  return text;
}

}  // namespace vantora

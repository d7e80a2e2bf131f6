#include "location/statistics.h"

#include <algorithm>

#include "common/pathutil.h"
#include "common/timetext.h"
#include "model/vocabulary.h"

namespace vantora {

namespace {
// Values below this are the over-range and not-available marks.
constexpr double kLowestReading = -200;
}  // namespace

CLogStatistics::CLogStatistics(const CLogData* src)
    : channelCount(std::clamp(src->ChannelCount(), 0, kMaxChannels)), source(src) {
  // A location without records shows its header's start time, the same at
  // every open.
  LogTime initial = Now();
  src->GetStartTime(initial);
  for (int c = 0; c < kMaxChannels; ++c) {
    count[c] = -1;
    timeOfMin[c] = timeOfMax[c] = firstTime[c] = lastTime[c] = initial;
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
      count[c] = std::max(count[c], 0) + 1;
      if (!(v >= kLowestReading)) continue;
      bool firstReading = readings[c] == 0;
      if (firstReading || v <= min[c]) {
        min[c] = v;
        timeOfMin[c] = t;
      }
      if (firstReading || v >= max[c]) {
        max[c] = v;
        timeOfMax[c] = t;
      }
      sum[c] += v;
      ++readings[c];
      avg[c] = sum[c] / readings[c];
    }
  }
}

StatisticsHeadingText CLogStatistics::HeadingText() const {
  StatisticsHeadingText h;
  h.start = DateTimeText(firstTime[0]);
  h.end = DateTimeText(lastTime[0]);
  h.duration = DurationText(lastTime[0] - firstTime[0], true);
  h.points = std::max(count[0], 0);
  return h;
}

ChannelStatisticsText CLogStatistics::ChannelText(int c) const {
  ChannelStatisticsText t;
  if (c < 0 || c >= channelCount) return t;
  t.parameter = TheParamNames().GetName(paramCode[c], true);
  t.unit = TheUnitNames().GetName(unitCode[c]);
  t.hasReadings = readings[c] > 0;
  if (!t.hasReadings) {
    t.min = t.max = t.avg = "N/A";
    return t;
  }
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
  t.min = Format(minMaxFormat.c_str(), min[c]);
  t.max = Format(minMaxFormat.c_str(), max[c]);
  t.avg = Format(avgFormat.c_str(), avg[c]);
  t.minTime = DateTimeText(timeOfMin[c]);
  t.maxTime = DateTimeText(timeOfMax[c]);
  return t;
}

void CLogStatistics::BuildText(std::string& text) const {
  auto [folder, file] = SplitPath(source->path);
  const StatisticsHeadingText h = HeadingText();
  text = FileTitle(file).first + "\r\n";
  text += ParentFolderName(folder) + "\r\n\r\n";
  text += Format("Started at: %s\r\n", h.start.c_str());
  text += Format("Ended at: %s\r\n", h.end.c_str());
  text += Format("Duration: %s\r\n", h.duration.c_str());
  text += Format("Num points= %3i\r\n\r\n", h.points);
  for (int c = 0; c < channelCount; ++c) {
    const ChannelStatisticsText t = ChannelText(c);
    text += Format("%s %s\r\n", t.parameter.c_str(), t.unit.c_str());
    if (!t.hasReadings) {
      text += "  Min= N/A\r\n";
      text += "  Max= N/A\r\n";
      text += "  " + Format("Avg= %s %s\r\n\r\n", "N/A", t.unit.c_str());
      continue;
    }
    text += "  " + Format("Min= %s @ %s\r\n", t.min.c_str(), t.minTime.c_str());
    text += "  " + Format("Max= %s @ %s\r\n", t.max.c_str(), t.maxTime.c_str());
    text += "  " + Format("Avg= %s %s\r\n\r\n", t.avg.c_str(), t.unit.c_str());
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

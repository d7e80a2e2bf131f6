// Statistics of one location: start, end, duration, number of points and
// per-channel minimum, maximum and average with their times.
#pragma once

#include <string>

#include "common/logdata.h"

namespace vantora {

// Minimum, maximum and average take real readings only (-200 and above): the
// over-range and not-available marks do not count. A channel without a real
// reading prints "N/A" for its numbers. Start, end and number of points are
// taken over the records that read; without any, the header's start time.
// The texts of one channel's statistics, as the statistics file writes them
// (Windows-1252). A channel without a real reading has "N/A" for minimum,
// maximum and average and no times.
struct ChannelStatisticsText {
  std::string parameter;  // the parameter's long name
  std::string unit;
  bool hasReadings = false;
  std::string min, minTime, max, maxTime, avg;
};

// The heading texts of the statistics: start, end and duration of the first
// channel's records, and their number.
struct StatisticsHeadingText {
  std::string start, end, duration;
  int points = 0;
};

class CLogStatistics {
 public:
  explicit CLogStatistics(const CLogData* source);
  virtual ~CLogStatistics() = default;

  void Compute();
  // The statistics text, lines ending in CR LF.
  void BuildText(std::string& text) const;
  // The texts BuildText writes, for other outputs that show the same numbers.
  StatisticsHeadingText HeadingText() const;
  ChannelStatisticsText ChannelText(int channel) const;

  int channelCount;
  double min[kMaxChannels] = {};
  double max[kMaxChannels] = {};
  double avg[kMaxChannels] = {};
  double sum[kMaxChannels] = {};
  // Records read (whatever their values) and real readings among them.
  int count[kMaxChannels];
  int readings[kMaxChannels] = {};
  int unitCode[kMaxChannels] = {};
  int paramCode[kMaxChannels] = {};
  LogTime timeOfMin[kMaxChannels];
  LogTime timeOfMax[kMaxChannels];
  LogTime firstTime[kMaxChannels];
  LogTime lastTime[kMaxChannels];
  const CLogData* source;
};

// The statistics file beside a location: its base (LocationBase), then
// "_stats.txt".
std::string StatisticsFilePath(const std::string& locationPath);

// Computes the statistics of `data` and returns their text.
std::string StatisticsText(const CLogData& data);

}  // namespace vantora

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
class CLogStatistics {
 public:
  explicit CLogStatistics(const CLogData* source);
  virtual ~CLogStatistics() = default;

  void Compute();
  // The statistics text, lines ending in CR LF.
  void BuildText(std::string& text) const;

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

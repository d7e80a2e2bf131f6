// Exposure assessment of a location's readings: coverage, time-weighted
// averages over the sample and over 8 hours, the highest 15-minute mean
// (STEL), and every limit of a set judged against them.
//
// Times are whole seconds. Record r stands for d_r = min(t[r+1] - t[r], I)
// seconds (0 when that difference is not positive; the last record I), where
// I is the logging interval. Unsampled time counts as zero in window means.
// Texts are UTF-8.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/logdata.h"
#include "exposure/limits.h"

namespace vantora {
class CompoundLibrary;
}

namespace vantora::exposure {

constexpr std::int64_t kTwa8Seconds = 28800;
constexpr std::int64_t kStelSeconds = 900;
// Coverage below this makes a result prove nothing.
constexpr double kMinimumCoverage = 75.0;

// A location's records that read, in file order.
struct Recording {
  struct Channel {
    std::string name;  // Windows-1252, as in the file
    int param = 0;
    int unit = 0;
    int decimals = 0;
  };
  std::string path;  // Windows-1252
  std::vector<Channel> channels;
  std::vector<LogTime> times;
  // times.size() rows of channels.size() values.
  std::vector<double> values;
  bool hasStart = false;  // the header's start time
  LogTime start = 0;
  int recordCount = 0;  // records the file counts (read or not)

  double Value(std::size_t record, std::size_t channel) const {
    return values[record * channels.size() + channel];
  }
};

// Reads every record of `log` (those that fail to read are left out).
void ReadRecording(const CLogData& log, Recording& out);

// How one value reads: not available (below -666660, NaN, infinite), over
// range (-666660 to below -200) or a real reading.
enum class Reading { NotAvailable, OverRange, Real };
Reading Classify(double value);

// The logging interval: the lower median of the positive differences of
// consecutive times; 0 when there is none.
std::int64_t LoggingInterval(const std::vector<LogTime>& times);
// d_r of every record for interval `interval`.
std::vector<std::int64_t> RecordSpans(const std::vector<LogTime>& times, std::int64_t interval);

enum class Verdict { NoLimits, Within, InsufficientData, Exceeded };
// "no limits", "within", "insufficient data", "exceeded".
const char* VerdictText(Verdict v);
// The worse of two verdicts: exceeded > insufficient data > within > no limits.
Verdict Worse(Verdict a, Verdict b);

struct WindowResult {
  double value = 0;
  LogTime windowStart = 0;
  bool shortSample = false;  // 8-hour TWA only
  bool lowerBound = false;
};

struct LimitResult : ChannelLimit {
  bool exceeded = false;
  // The result over the limit (both in the channel's unit); none when the
  // result is unknown or the limit is not above zero.
  std::optional<double> ratio;
  int periods = 0;  // STEL: runs of 15-minute windows above the limit
  // Ceiling, high and low: the sampled readings beyond the limit.
  int count = 0;
  int excursions = 0;
  std::int64_t longestSeconds = 0;
  std::int64_t totalSeconds = 0;
  double percent = 0;  // of the sampled time
};

struct ChannelResult {
  int index = 0;
  std::string name, parameter, unit;
  int paramCode = 0, unitCode = 0, decimals = 0;
  int readings = 0;  // real readings
  int overRange = 0;
  int notAvailable = 0;
  bool lowerBound = false;
  std::int64_t sampledSeconds = 0;
  std::int64_t spanSeconds = 0;
  double coverage = 0;
  // False when nothing can be computed (`reason` says why); the results
  // below are then absent.
  bool computed = false;
  std::optional<double> twaSample;
  std::optional<WindowResult> twa8h;
  std::optional<WindowResult> stel;
  double highest = 0, lowest = 0;  // sampled values (over-range as the highest real)
  std::vector<LimitResult> limits;
  Verdict verdict = Verdict::NoLimits;
  std::string reason;  // for insufficient data
};

struct LocationResult {
  std::string name;  // the file title
  std::string file;  // the path as given
  bool hasRecords = false;
  bool hasStart = false;  // start and end are known (records, or the header's start)
  LogTime start = 0, end = 0;
  std::int64_t interval = 0;  // 0: none
  int records = 0;            // records that read
  Verdict verdict = Verdict::NoLimits;
  std::vector<ChannelResult> channels;
};

// Assesses every channel of `rec` against `set` (null: no limits).
LocationResult Assess(const Recording& rec, const LimitSet* set, CompoundLibrary& compounds);

// Means of the values `v` (one per record; NaN where not sampled) over
// windows [a, a + length) with unsampled time as zero, for every start
// a = times[r] (file order). Exposed for the tests of the two evaluators:
// `sorted` takes the linear path (times must not decrease).
struct WindowMeans {
  std::vector<long double> sum;       // per record: value-seconds in its window
  std::vector<std::int64_t> sampled;  // per record: sampled seconds in its window
};
WindowMeans WindowSums(const std::vector<LogTime>& times, const std::vector<double>& v,
                       const std::vector<std::int64_t>& spans, std::int64_t length, bool sorted);

}  // namespace vantora::exposure

#include "exposure/exposure.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

#include "common/codepage.h"
#include "common/logfile.h"
#include "common/pathutil.h"
#include "model/vocabulary.h"

namespace vantora::exposure {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Readings are stored in single precision, so a result is above a limit only
// when it is above it at that precision: a reading of 0.1 is not above a
// limit of 0.1 because 0.1 has no exact float.
bool Above(double value, double limit) {
  constexpr double kFloatRange = 1e37;
  if (std::fabs(value) > kFloatRange || std::fabs(limit) > kFloatRange) return value > limit;
  return static_cast<float>(value) > static_cast<float>(limit);
}

bool Below(double value, double limit) { return Above(-value, -limit); }

inline Reading ClassifyValue(double value) {
  if (!std::isfinite(value) || value < -666660.0) return Reading::NotAvailable;
  if (value < -200.0) return Reading::OverRange;
  return Reading::Real;
}

// The window start with the highest sum among the qualifying records; among
// sums equal to rounding, the first in record order. -1 when none qualifies.
template <class Qualifies>
long BestWindow(const WindowMeans& w, long double scale, Qualifies qualifies) {
  long best = -1;
  long double top = 0;
  for (std::size_t r = 0; r < w.sum.size(); ++r)
    if (qualifies(r) && (best < 0 || w.sum[r] > top)) {
      best = static_cast<long>(r);
      top = w.sum[r];
    }
  if (best < 0) return best;
  // Sums are differences of running totals: equal windows may differ in
  // their last bits. The tolerance is far below what a float reading holds.
  const long double tolerance = scale * 1e-12L;
  for (std::size_t r = 0; r < static_cast<std::size_t>(best); ++r)
    if (qualifies(r) && w.sum[r] >= top - tolerance) return static_cast<long>(r);
  return best;
}

// Running totals over the records' spans: P[r], Q[r] are the value-seconds
// and sampled seconds of the records before r.
struct Prefix {
  std::vector<long double> P;
  std::vector<std::int64_t> Q;
};

void PrefixSums(const std::vector<double>& v, const std::vector<std::int64_t>& d, Prefix& p) {
  const std::size_t n = v.size();
  p.P.resize(n + 1);
  p.Q.resize(n + 1);
  p.P[0] = 0;
  p.Q[0] = 0;
  for (std::size_t r = 0; r < n; ++r) {
    const bool s = !std::isnan(v[r]);
    p.P[r + 1] = p.P[r] + (s ? static_cast<long double>(v[r]) * d[r] : 0.0L);
    p.Q[r + 1] = p.Q[r] + (s ? d[r] : 0);
  }
}

// Window sums from the running totals for times that never decrease: every
// span ends before the next record starts.
void SortedWindowSums(const std::vector<LogTime>& t, const std::vector<double>& v,
                      const std::vector<std::int64_t>& d, const Prefix& p, std::int64_t length,
                      WindowMeans& w) {
  const std::size_t n = t.size();
  const std::vector<long double>& P = p.P;
  const std::vector<std::int64_t>& Q = p.Q;
  w.sum.resize(n);
  w.sampled.resize(n);
  std::size_t j = 0;  // the last record starting at or before the window's end
  for (std::size_t r = 0; r < n; ++r) {
    const LogTime end = t[r] + length;
    if (j < r) j = r;
    while (j + 1 < n && t[j + 1] <= end) ++j;
    long double sumEnd = P[j];
    std::int64_t sampledEnd = Q[j];
    if (!std::isnan(v[j])) {
      const std::int64_t part = std::min<std::int64_t>(d[j], std::max<std::int64_t>(0, end - t[j]));
      sumEnd += static_cast<long double>(v[j]) * part;
      sampledEnd += part;
    }
    w.sum[r] = sumEnd - P[r];
    w.sampled[r] = sampledEnd - Q[r];
  }
}

// Any order: the cumulative functions are piecewise linear with corners at
// every span's start and end; they are tabulated at the sorted corners and
// read there by binary search.
WindowMeans GeneralWindowSums(const std::vector<LogTime>& t, const std::vector<double>& v,
                              const std::vector<std::int64_t>& d, std::int64_t length) {
  const std::size_t n = t.size();
  struct Event {
    LogTime x;
    long double weight;
    int count;
  };
  std::vector<Event> events;
  events.reserve(2 * n);
  for (std::size_t r = 0; r < n; ++r)
    if (!std::isnan(v[r]) && d[r] > 0) {
      events.push_back({t[r], static_cast<long double>(v[r]), 1});
      events.push_back({t[r] + d[r], -static_cast<long double>(v[r]), -1});
    }
  std::stable_sort(events.begin(), events.end(),
                   [](const Event& a, const Event& b) { return a.x < b.x; });
  // Corner k: position X, the totals F and G there, and the slopes after it.
  std::vector<LogTime> X;
  std::vector<long double> F, slope;
  std::vector<std::int64_t> G, count;
  long double f = 0, s = 0;
  std::int64_t g = 0, c = 0;
  for (std::size_t e = 0; e < events.size();) {
    const LogTime x = events[e].x;
    if (!X.empty()) {
      f += s * (x - X.back());
      g += c * (x - X.back());
    }
    while (e < events.size() && events[e].x == x) {
      s += events[e].weight;
      c += events[e].count;
      ++e;
    }
    if (c == 0) s = 0;  // nothing is active: no rounding is left behind
    X.push_back(x);
    F.push_back(f);
    G.push_back(g);
    slope.push_back(s);
    count.push_back(c);
  }
  auto at = [&](LogTime x, long double& fx, std::int64_t& gx) {
    auto it = std::upper_bound(X.begin(), X.end(), x);
    if (it == X.begin()) {
      fx = 0;
      gx = 0;
      return;
    }
    const std::size_t k = static_cast<std::size_t>(it - X.begin()) - 1;
    fx = F[k] + slope[k] * (x - X[k]);
    gx = G[k] + count[k] * (x - X[k]);
  };
  WindowMeans w;
  w.sum.assign(n, 0);
  w.sampled.assign(n, 0);
  for (std::size_t r = 0; r < n; ++r) {
    long double f0, f1;
    std::int64_t g0, g1;
    at(t[r], f0, g0);
    at(t[r] + length, f1, g1);
    w.sum[r] = f1 - f0;
    w.sampled[r] = g1 - g0;
  }
  return w;
}

std::string Joined(const std::vector<std::string>& parts) {
  std::string out;
  for (const std::string& p : parts) out += (out.empty() ? "" : "; ") + p;
  return out;
}

std::string Percent(double p) {
  char text[32];
  std::snprintf(text, sizeof text, "%d", static_cast<int>(std::floor(p)));
  return text;
}

}  // namespace

Reading Classify(double value) { return ClassifyValue(value); }

void ReadRecording(const CLogData& log, Recording& out) {
  out = Recording();
  out.path = log.path;
  const int channels = std::clamp(log.ChannelCount(), 0, kMaxChannels);
  for (int c = 0; c < channels; ++c) {
    Recording::Channel ch;
    log.GetChannelName(c, ch.name);
    log.GetChannelParam(c, ch.param);
    log.GetChannelUnit(c, ch.unit);
    log.GetChannelDecimals(c, ch.decimals);
    out.channels.push_back(ch);
  }
  out.hasStart = log.GetStartTime(out.start);
  out.recordCount = std::max(0, log.RecordCount());
  out.times.reserve(static_cast<std::size_t>(out.recordCount));
  out.values.reserve(static_cast<std::size_t>(out.recordCount) * out.channels.size());
  if (const auto* file = dynamic_cast<const CLogFile*>(&log);
      file && file->ChannelCount() == channels) {
    // A block of records per read.
    const int block = std::clamp(out.recordCount, 1, 4096);
    std::vector<LogTime> times(static_cast<std::size_t>(block));
    std::vector<double> values(static_cast<std::size_t>(block) * kMaxChannels);
    std::unique_ptr<bool[]> ok(new bool[static_cast<std::size_t>(block)]);
    for (int first = 0; first < out.recordCount; first += block) {
      const int count = std::min(block, out.recordCount - first);
      if (file->ReadRecords(first, count, times.data(), values.data(), ok.get()) == 0) continue;
      for (int i = 0; i < count; ++i) {
        if (!ok[i]) continue;
        out.times.push_back(times[static_cast<std::size_t>(i)]);
        const auto row = values.begin() + static_cast<std::ptrdiff_t>(i) * channels;
        out.values.insert(out.values.end(), row, row + channels);
      }
    }
    return;
  }
  double values[kMaxChannels];
  for (int r = 0; r < out.recordCount; ++r) {
    LogTime time = 0;
    if (!log.GetTime(r, time) || !log.GetValues(r, values)) continue;
    out.times.push_back(time);
    out.values.insert(out.values.end(), values, values + channels);
  }
}

std::int64_t LoggingInterval(const std::vector<LogTime>& times) {
  std::vector<std::int64_t> diffs;
  diffs.reserve(times.size());
  for (std::size_t r = 0; r + 1 < times.size(); ++r)
    if (times[r + 1] > times[r]) diffs.push_back(times[r + 1] - times[r]);
  if (diffs.empty()) return 0;
  const std::size_t mid = (diffs.size() - 1) / 2;
  std::nth_element(diffs.begin(), diffs.begin() + static_cast<std::ptrdiff_t>(mid), diffs.end());
  return diffs[mid];
}

std::vector<std::int64_t> RecordSpans(const std::vector<LogTime>& times, std::int64_t interval) {
  std::vector<std::int64_t> d(times.size(), 0);
  for (std::size_t r = 0; r + 1 < times.size(); ++r) {
    const std::int64_t diff = times[r + 1] - times[r];
    d[r] = diff > 0 ? std::min(diff, interval) : 0;
  }
  if (!d.empty()) d.back() = interval;
  return d;
}

const char* VerdictText(Verdict v) {
  switch (v) {
    case Verdict::NoLimits: return "no limits";
    case Verdict::Within: return "within";
    case Verdict::InsufficientData: return "insufficient data";
    case Verdict::Exceeded: return "exceeded";
  }
  return "";
}

Verdict Worse(Verdict a, Verdict b) { return static_cast<int>(a) > static_cast<int>(b) ? a : b; }

WindowMeans WindowSums(const std::vector<LogTime>& times, const std::vector<double>& v,
                       const std::vector<std::int64_t>& spans, std::int64_t length, bool sorted) {
  if (!sorted) return GeneralWindowSums(times, v, spans, length);
  Prefix prefix;
  PrefixSums(v, spans, prefix);
  WindowMeans w;
  SortedWindowSums(times, v, spans, prefix, length, w);
  return w;
}

LocationResult Assess(const Recording& rec, const LimitSet* set, CompoundLibrary& compounds) {
  LocationResult out;
  out.file = Cp1252ToUtf8(rec.path);
  out.name = Cp1252ToUtf8(FileTitle(SplitPath(rec.path).second).first);
  const std::vector<LogTime>& t = rec.times;
  const std::size_t n = t.size();
  out.records = static_cast<int>(n);
  out.hasRecords = n > 0;
  if (n > 0) {
    out.start = t.front();
    out.end = t.back();
  } else if (rec.hasStart) {
    out.start = out.end = rec.start;
  }
  out.hasStart = n > 0 || rec.hasStart;
  const std::int64_t I = LoggingInterval(t);
  out.interval = I;
  const std::vector<std::int64_t> d = RecordSpans(t, I);
  const bool sorted = std::is_sorted(t.begin(), t.end());
  const std::size_t channels = rec.channels.size();
  // Reused from channel to channel.
  std::vector<double> v(n);
  // The values of a few channels at a time, each channel's side by side:
  // one pass over the records' rows serves them all.
  constexpr std::size_t kGroup = 5;
  std::vector<double> columns(n * std::min(kGroup, channels));
  std::vector<Reading> kinds(n);
  Prefix prefix;
  WindowMeans twaSums, stelSums;

  for (std::size_t c = 0; c < channels; ++c) {
    const Recording::Channel& info = rec.channels[c];
    ChannelResult ch;
    ch.index = static_cast<int>(c);
    ch.name = Cp1252ToUtf8(info.name);
    ch.parameter = Cp1252ToUtf8(TheParamNames().GetName(info.param, true));
    ch.unit = Cp1252ToUtf8(TheUnitNames().GetName(info.unit));
    ch.paramCode = info.param;
    ch.unitCode = info.unit;
    ch.decimals = info.decimals;
    if (set) {
      for (const ChannelLimit& limit : LimitsForChannel(*set, info.param, info.unit, compounds)) {
        LimitResult result;
        static_cast<ChannelLimit&>(result) = limit;
        ch.limits.push_back(result);
      }
    }

    double maxReal = -std::numeric_limits<double>::infinity();
    if (c % kGroup == 0) {
      const std::size_t group = std::min(kGroup, channels - c);
      for (std::size_t r = 0; r < n; ++r)
        for (std::size_t k = 0; k < group; ++k) columns[k * n + r] = rec.Value(r, c + k);
    }
    const double* column = columns.data() + (c % kGroup) * n;
    for (std::size_t r = 0; r < n; ++r) {
      const double value = column[r];
      kinds[r] = ClassifyValue(value);
      switch (kinds[r]) {
        case Reading::NotAvailable: ++ch.notAvailable; break;
        case Reading::OverRange: ++ch.overRange; break;
        case Reading::Real:
          ++ch.readings;
          maxReal = std::max(maxReal, value);
          break;
      }
    }
    ch.lowerBound = ch.overRange > 0;
    std::string why;
    if (n < 2)
      why = "fewer than two records";
    else if (I <= 0)
      why = "no logging interval";
    else if (ch.readings == 0)
      why = "no real reading";

    std::int64_t S = 0;
    long double weighted = 0;
    // Scale of the running totals, for telling equal windows apart.
    long double magnitude = 0;
    if (why.empty()) {
      double lo = std::numeric_limits<double>::infinity(), hi = -lo;
      for (std::size_t r = 0; r < n; ++r) {
        const double value = column[r];
        const Reading kind = kinds[r];
        v[r] = kind == Reading::Real ? value : kind == Reading::OverRange ? maxReal : kNaN;
        if (kind == Reading::NotAvailable) continue;
        S += d[r];
        weighted += static_cast<long double>(v[r]) * d[r];
        magnitude += std::fabs(static_cast<long double>(v[r])) * d[r];
        lo = std::min(lo, v[r]);
        hi = std::max(hi, v[r]);
      }
      ch.highest = hi;
      ch.lowest = lo;
      if (S <= 0) why = "no sampled time";
    }
    if (!why.empty()) {
      ch.verdict = Verdict::InsufficientData;
      ch.reason = why;
      out.verdict = Worse(out.verdict, ch.verdict);
      out.channels.push_back(std::move(ch));
      continue;
    }

    ch.computed = true;
    const std::int64_t span = t.back() + I - t.front();
    ch.sampledSeconds = S;
    ch.spanSeconds = span;
    ch.coverage = span > 0 ? 100.0 * static_cast<double>(S) / static_cast<double>(span) : 0.0;
    ch.twaSample = static_cast<double>(weighted / S);
    const LogTime windowEndLimit = t.back() + I;

    // The window sums of both lengths; for ordered times from running totals
    // shared by the two.
    auto windowSums = [&](std::int64_t length, WindowMeans& w) {
      if (sorted)
        SortedWindowSums(t, v, d, prefix, length, w);
      else
        w = GeneralWindowSums(t, v, d, length);
    };
    if (sorted) PrefixSums(v, d, prefix);

    // 8-hour TWA.
    {
      windowSums(kTwa8Seconds, twaSums);
      const WindowMeans& w = twaSums;
      WindowResult twa;
      twa.lowerBound = ch.lowerBound;
      twa.shortSample = span < kTwa8Seconds;
      long best = 0;
      if (span > kTwa8Seconds)
        best = BestWindow(w, magnitude,
                          [&](std::size_t r) { return t[r] + kTwa8Seconds <= windowEndLimit; });
      if (best < 0) best = 0;
      twa.value = static_cast<double>(w.sum[static_cast<std::size_t>(best)] / kTwa8Seconds);
      twa.windowStart = t[static_cast<std::size_t>(best)];
      ch.twa8h = twa;
    }

    // STEL, and the windows that qualify for it.
    std::vector<char> stelQualifies;
    if (I <= kStelSeconds) {
      windowSums(kStelSeconds, stelSums);
      stelQualifies.assign(n, 0);
      for (std::size_t r = 0; r < n; ++r)
        stelQualifies[r] = !std::isnan(v[r]) && stelSums.sampled[r] == kStelSeconds &&
                           t[r] + kStelSeconds <= windowEndLimit;
      const long best =
          BestWindow(stelSums, magnitude, [&](std::size_t r) { return stelQualifies[r] != 0; });
      if (best >= 0) {
        WindowResult stel;
        stel.lowerBound = ch.lowerBound;
        stel.value =
            static_cast<double>(stelSums.sum[static_cast<std::size_t>(best)] / kStelSeconds);
        stel.windowStart = t[static_cast<std::size_t>(best)];
        ch.stel = stel;
      }
    }

    // Limits.
    bool anyApplicable = false, anyExceeded = false;
    std::vector<std::string> insufficient;
    if (ch.coverage < kMinimumCoverage)
      insufficient.push_back("coverage " + Percent(ch.coverage) + " % is below 75 %");
    bool needsMissing = false, needsTwa8 = false;
    for (LimitResult& limit : ch.limits) {
      if (!limit.applicable) continue;
      anyApplicable = true;
      const double L = limit.valueInChannelUnit;
      // None when the quotient is beyond the range of numbers (a tiny limit).
      auto ratio = [&](double result) {
        if (L > 0 && std::isfinite(result / L)) limit.ratio = result / L;
      };
      switch (limit.kind) {
        case LimitKind::Twa8:
          needsTwa8 = true;
          limit.exceeded = Above(ch.twa8h->value, L);
          ratio(ch.twa8h->value);
          break;
        case LimitKind::Stel:
          if (!ch.stel) {
            needsMissing = true;
            break;
          }
          limit.exceeded = Above(ch.stel->value, L);
          ratio(ch.stel->value);
          {
            bool inRun = false;
            for (std::size_t r = 0; r < n; ++r) {
              const bool above =
                  stelQualifies[r] && Above(static_cast<double>(stelSums.sum[r] / kStelSeconds), L);
              if (above && !inRun) ++limit.periods;
              inRun = above;
            }
          }
          break;
        case LimitKind::Ceiling:
        case LimitKind::High:
        case LimitKind::Low: {
          const bool low = limit.kind == LimitKind::Low;
          std::int64_t run = 0;
          bool inRun = false;
          for (std::size_t r = 0; r < n; ++r) {
            const Reading kind = kinds[r];
            bool beyond = false;
            if (kind == Reading::OverRange)
              beyond = !low;
            else if (kind == Reading::Real)
              beyond = low ? Below(v[r], L) : Above(v[r], L);
            if (!beyond) {
              inRun = false;
              continue;
            }
            ++limit.count;
            limit.totalSeconds += d[r];
            if (inRun && t[r] - t[r - 1] <= I) {
              run += d[r];
            } else {
              ++limit.excursions;
              run = d[r];
            }
            inRun = true;
            limit.longestSeconds = std::max(limit.longestSeconds, run);
          }
          limit.percent = 100.0 * static_cast<double>(limit.totalSeconds) / static_cast<double>(S);
          limit.exceeded = limit.count > 0;
          if (low)
            ratio(ch.lowest);
          else if (ch.overRange == 0)
            ratio(ch.highest);
          break;
        }
      }
      anyExceeded = anyExceeded || limit.exceeded;
    }
    if (needsMissing) insufficient.push_back("no fully sampled 15-minute period");
    if (ch.lowerBound) insufficient.push_back("over-range readings: the results are lower bounds");
    if (needsTwa8 && ch.twa8h->shortSample)
      insufficient.push_back("short sample: unsampled time counted as zero");

    if (!anyApplicable) {
      ch.verdict = Verdict::NoLimits;
    } else if (anyExceeded) {
      ch.verdict = Verdict::Exceeded;
    } else if (!insufficient.empty()) {
      ch.verdict = Verdict::InsufficientData;
      ch.reason = Joined(insufficient);
    } else {
      ch.verdict = Verdict::Within;
    }
    out.verdict = Worse(out.verdict, ch.verdict);
    out.channels.push_back(std::move(ch));
  }
  return out;
}

}  // namespace vantora::exposure

// The exposure definitions on small locations whose results are worked out
// by hand.
#include "exposure/exposure.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "common/logfile.h"
#include "model/vocabulary.h"
#include "support/locbytes.h"

namespace vantora::exposure {
namespace {

constexpr double kNA = -999999.0;
constexpr double kOR = -999.0;
constexpr LogTime kT0 = 1773126000;  // any start; times are relative to it

struct Builder {
  Recording rec;
  explicit Builder(std::vector<Recording::Channel> channels) {
    rec.path = "/site/Test Room.loc";
    rec.channels = std::move(channels);
  }
  // One record every `step` seconds from `first`, value(record, channel).
  template <class F>
  Builder& Records(int count, LogTime first, LogTime step, F value) {
    for (int r = 0; r < count; ++r)
      Add(first + r * step, [&](std::size_t c) { return value(r, c); });
    return *this;
  }
  template <class F>
  Builder& Add(LogTime offset, F value) {
    rec.times.push_back(kT0 + offset);
    for (std::size_t c = 0; c < rec.channels.size(); ++c) rec.values.push_back(value(c));
    rec.recordCount = static_cast<int>(rec.times.size());
    return *this;
  }
};

Recording::Channel Co() { return {"CO", 3, 4, 1}; }

LimitSet Set(std::vector<std::tuple<const char*, LimitKind, double, const char*>> rows) {
  LimitSet set{"Test", {}};
  for (auto& [param, kind, value, unit] : rows) {
    LimitRow row;
    row.set = "Test";
    row.parameter = param;
    row.kind = kind;
    row.value = value;
    row.unit = unit;
    row.source = "test source";
    row.codes = ParameterCodesOf(param, TheParamNames().compounds());
    set.rows.push_back(row);
  }
  return set;
}

LocationResult Judge(const Recording& rec, const LimitSet& set) {
  return Assess(rec, &set, TheParamNames().compounds());
}

TEST(Exposure, RegularEightHourLog) {
  // 480 minutes: 10 ppm for four hours, then 30 ppm.
  Builder b({Co()});
  b.Records(480, 0, 60, [](int r, std::size_t) { return r < 240 ? 10.0 : 30.0; });
  auto within =
      Judge(b.rec, Set({{"CO", LimitKind::Twa8, 25, "ppm"}, {"CO", LimitKind::Stel, 35, "ppm"}}));
  ASSERT_EQ(within.channels.size(), 1u);
  const ChannelResult& ch = within.channels[0];
  EXPECT_EQ(within.interval, 60);
  EXPECT_EQ(ch.sampledSeconds, 28800);
  EXPECT_EQ(ch.spanSeconds, 28800);
  EXPECT_DOUBLE_EQ(ch.coverage, 100.0);
  EXPECT_DOUBLE_EQ(*ch.twaSample, 20.0);
  EXPECT_DOUBLE_EQ(ch.twa8h->value, 20.0);
  EXPECT_FALSE(ch.twa8h->shortSample);  // exactly 8 hours is not short
  EXPECT_EQ(ch.twa8h->windowStart, kT0);
  ASSERT_TRUE(ch.stel);
  EXPECT_DOUBLE_EQ(ch.stel->value, 30.0);
  EXPECT_EQ(ch.stel->windowStart, kT0 + 240 * 60);  // the first window of 30s only
  EXPECT_EQ(ch.verdict, Verdict::Within);
  EXPECT_EQ(within.verdict, Verdict::Within);
  EXPECT_DOUBLE_EQ(*ch.limits[0].ratio, 0.8);

  // STEL 25: windows from record 237 hold at most three 10s; they stay above
  // until the last full window (start 465): one period.
  auto stel = Judge(
      b.rec, Set({{"CO", LimitKind::Stel, 25, "ppm"}, {"CO", LimitKind::Ceiling, 25, "ppm"}}));
  const ChannelResult& s = stel.channels[0];
  EXPECT_EQ(s.verdict, Verdict::Exceeded);
  EXPECT_TRUE(s.limits[0].exceeded);
  EXPECT_EQ(s.limits[0].periods, 1);
  const LimitResult& ceiling = s.limits[1];
  EXPECT_EQ(ceiling.count, 240);
  EXPECT_EQ(ceiling.excursions, 1);
  EXPECT_EQ(ceiling.longestSeconds, 14400);
  EXPECT_EQ(ceiling.totalSeconds, 14400);
  EXPECT_DOUBLE_EQ(ceiling.percent, 50.0);
  EXPECT_DOUBLE_EQ(*ceiling.ratio, 30.0 / 25.0);
}

TEST(Exposure, ShortSampleCountsUnsampledTimeAsZeroAndProvesNothingBelowTheLimit) {
  // One hour of 30 ppm CO: E = 30 x 1 h / 8 h = 3.75 ppm.
  Builder b({Co()});
  b.Records(60, 0, 60, [](int, std::size_t) { return 30.0; });
  auto r = Judge(b.rec, Set({{"CO", LimitKind::Twa8, 35, "ppm"}}));
  const ChannelResult& ch = r.channels[0];
  EXPECT_DOUBLE_EQ(ch.twa8h->value, 3.75);
  EXPECT_TRUE(ch.twa8h->shortSample);
  EXPECT_FALSE(ch.limits[0].exceeded);
  EXPECT_EQ(ch.verdict, Verdict::InsufficientData);
  EXPECT_NE(ch.reason.find("short sample: unsampled time counted as zero"), std::string::npos);
  // Above the limit even with the unsampled time as zero: proven.
  auto over = Judge(b.rec, Set({{"CO", LimitKind::Twa8, 3, "ppm"}}));
  EXPECT_EQ(over.channels[0].verdict, Verdict::Exceeded);
  // Without a TWA8 limit a short sample is no reason.
  auto ceiling = Judge(b.rec, Set({{"CO", LimitKind::Ceiling, 200, "ppm"}}));
  EXPECT_EQ(ceiling.channels[0].verdict, Verdict::Within);
}

TEST(Exposure, TwentySixHoursFindTheHighestWindowAndItsEarliestStart) {
  // 5 ppm with 100 ppm from hour 10 to hour 12: every 8-hour window holding
  // the whole peak has (360 x 5 + 120 x 100) / 480 = 28.75; the earliest of
  // them starts at hour 4.
  Builder b({Co()});
  b.Records(1560, 0, 60, [](int r, std::size_t) { return r >= 600 && r < 720 ? 100.0 : 5.0; });
  auto r = Judge(b.rec, Set({{"CO", LimitKind::Twa8, 25, "ppm"}}));
  const ChannelResult& ch = r.channels[0];
  EXPECT_FALSE(ch.twa8h->shortSample);
  EXPECT_DOUBLE_EQ(ch.twa8h->value, 28.75);
  EXPECT_EQ(ch.twa8h->windowStart, kT0 + 4 * 3600);
  EXPECT_EQ(ch.verdict, Verdict::Exceeded);
  EXPECT_DOUBLE_EQ(*ch.limits[0].ratio, 28.75 / 25);
}

TEST(Exposure, GapsAndNotAvailableRunsLowerCoverageAndNoStelWindowCrossesAGap) {
  // Records each minute for 100 minutes, a 31-minute gap, 100 more. Channel
  // 0: 10 ppm, 80 ppm in records 95-104 (five each side of the gap).
  // Channel 1: 10 ppm, not available in records 20-39.
  Builder b({Co(), {"CO 2", 3, 4, 1}});
  for (int r = 0; r < 200; ++r) {
    const LogTime minute = r < 100 ? r : r + 30;
    b.Add(minute * 60, [&](std::size_t c) {
      if (c == 0) return r >= 95 && r < 105 ? 80.0 : 10.0;
      return r >= 20 && r < 40 ? kNA : 10.0;
    });
  }
  auto res = Judge(b.rec, Set({{"CO", LimitKind::Stel, 20, "ppm"}}));
  const ChannelResult& a = res.channels[0];
  EXPECT_EQ(res.interval, 60);
  EXPECT_EQ(a.spanSeconds, 230 * 60);
  EXPECT_EQ(a.sampledSeconds, 200 * 60);
  EXPECT_NEAR(a.coverage, 100.0 * 200 / 230, 1e-12);
  // Windows starting at records 86-99 reach into the gap and do not qualify;
  // records 85 and 100 both hold five 80s: (5 x 80 + 10 x 10) / 15.
  ASSERT_TRUE(a.stel);
  EXPECT_NEAR(a.stel->value, 500.0 / 15, 1e-12);
  EXPECT_EQ(a.stel->windowStart, kT0 + 85 * 60);
  // Above 20: starts 83-85, then 100-102; the gap ends the first run.
  EXPECT_EQ(a.limits[0].periods, 2);
  EXPECT_EQ(a.verdict, Verdict::Exceeded);

  const ChannelResult& na = res.channels[1];
  EXPECT_EQ(na.notAvailable, 20);
  EXPECT_EQ(na.readings, 180);
  EXPECT_EQ(na.sampledSeconds, 180 * 60);
  EXPECT_NEAR(na.coverage, 100.0 * 180 / 230, 1e-12);
  // Its STEL windows: none may hold records 20-39 or the gap.
  EXPECT_DOUBLE_EQ(na.stel->value, 10.0);
  EXPECT_EQ(na.verdict, Verdict::Within);  // 78 % covered, STEL 10 below 20

  // Below 75 % coverage nothing below a limit is proven.
  Builder sparse({Co()});
  sparse.Records(40, 0, 60, [](int r, std::size_t) { return r % 2 ? kNA : 10.0; });
  auto s = Judge(sparse.rec, Set({{"CO", LimitKind::Ceiling, 200, "ppm"}}));
  EXPECT_DOUBLE_EQ(s.channels[0].coverage, 50.0);
  EXPECT_EQ(s.channels[0].verdict, Verdict::InsufficientData);
  EXPECT_NE(s.channels[0].reason.find("coverage 50 % is below 75 %"), std::string::npos);
  // No fully sampled 15 minutes: a STEL limit cannot be judged.
  auto stel = Judge(sparse.rec, Set({{"CO", LimitKind::Stel, 200, "ppm"}}));
  EXPECT_FALSE(stel.channels[0].stel);
  EXPECT_NE(stel.channels[0].reason.find("no fully sampled 15-minute period"), std::string::npos);
}

TEST(Exposure, OverRangeReadingsTakeTheHighestRealReadingAndMakeLowerBounds) {
  // 480 minutes of 10 ppm; one real 50; five over-range marks (taken as 50).
  Builder b({Co()});
  b.Records(480, 0, 60, [](int r, std::size_t) {
    if (r >= 100 && r < 105) return kOR;
    return r == 200 ? 50.0 : 10.0;
  });
  auto r = Judge(b.rec,
                 Set({{"CO", LimitKind::Twa8, 20, "ppm"}, {"CO", LimitKind::Ceiling, 40, "ppm"}}));
  const ChannelResult& ch = r.channels[0];
  EXPECT_EQ(ch.overRange, 5);
  EXPECT_EQ(ch.readings, 475);
  EXPECT_TRUE(ch.lowerBound);
  EXPECT_TRUE(ch.twa8h->lowerBound);
  EXPECT_DOUBLE_EQ(ch.twa8h->value, (474 * 10.0 + 6 * 50.0) / 480);
  const LimitResult& ceiling = ch.limits[1];
  EXPECT_EQ(ceiling.count, 6);
  EXPECT_EQ(ceiling.excursions, 2);
  EXPECT_EQ(ceiling.longestSeconds, 300);
  EXPECT_FALSE(ceiling.ratio);  // the highest value is not known
  EXPECT_EQ(ch.verdict, Verdict::Exceeded);
  // Below every limit but a lower bound: proves nothing.
  auto twa = Judge(b.rec, Set({{"CO", LimitKind::Twa8, 20, "ppm"}}));
  EXPECT_EQ(twa.channels[0].verdict, Verdict::InsufficientData);
  EXPECT_NE(twa.channels[0].reason.find("lower bounds"), std::string::npos);
  // Over range is below no low limit.
  auto low = Judge(b.rec, Set({{"CO", LimitKind::Low, 5, "ppm"}}));
  EXPECT_EQ(low.channels[0].limits[0].count, 0);
}

TEST(Exposure, WhatCannotBeComputedSaysWhy) {
  Builder one({Co()});
  one.Add(0, [](std::size_t) { return 5.0; });
  EXPECT_EQ(Judge(one.rec, Set({})).channels[0].reason, "fewer than two records");
  Builder same({Co()});
  same.Records(3, 0, 0, [](int, std::size_t) { return 5.0; });
  EXPECT_EQ(Judge(same.rec, Set({})).channels[0].reason, "no logging interval");
  Builder marks({Co()});
  marks.Records(5, 0, 60, [](int r, std::size_t) { return r % 2 ? kOR : std::nan(""); });
  auto m = Judge(marks.rec, Set({{"CO", LimitKind::Twa8, 35, "ppm"}}));
  EXPECT_EQ(m.channels[0].reason, "no real reading");
  EXPECT_FALSE(m.channels[0].computed);
  EXPECT_EQ(m.channels[0].notAvailable, 3);  // NaN is not available
  EXPECT_EQ(m.verdict, Verdict::InsufficientData);
  // Without an applicable limit: no limits.
  Builder b({Co()});
  b.Records(10, 0, 60, [](int, std::size_t) { return 5.0; });
  EXPECT_EQ(Judge(b.rec, Set({{"CO2", LimitKind::Twa8, 5000, "ppm"}})).verdict, Verdict::NoLimits);
  EXPECT_EQ(Worse(Verdict::Within, Verdict::NoLimits), Verdict::Within);
  EXPECT_EQ(Worse(Verdict::InsufficientData, Verdict::Exceeded), Verdict::Exceeded);
  EXPECT_EQ(Worse(Verdict::InsufficientData, Verdict::Within), Verdict::InsufficientData);
}

TEST(Exposure, UnsortedAndRepeatedTimes) {
  // Times 0, 60, 120, 60, 180, 240: I = 60 (lower middle of 60, 60, 60, 120);
  // the record after which time goes back stands for nothing.
  Builder b({Co()});
  const LogTime times[] = {0, 60, 120, 60, 180, 240};
  for (int r = 0; r < 6; ++r) b.Add(times[r], [&](std::size_t) { return r == 3 ? 40.0 : 10.0; });
  EXPECT_EQ(LoggingInterval(b.rec.times), 60);
  EXPECT_EQ(RecordSpans(b.rec.times, 60), (std::vector<std::int64_t>{60, 60, 0, 60, 60, 60}));
  auto r = Judge(b.rec, Set({}));
  const ChannelResult& ch = r.channels[0];
  EXPECT_EQ(ch.sampledSeconds, 300);
  EXPECT_EQ(ch.spanSeconds, 300);
  EXPECT_DOUBLE_EQ(*ch.twaSample, 16.0);
  EXPECT_DOUBLE_EQ(ch.twa8h->value, (4 * 600.0 + 2400.0) / 28800);
}

// A location file's records as the engine reads them: a damaged record and
// the records past a cut are left out, the rest keep their times and values.
TEST(Exposure, ReadRecordingLeavesOutRecordsThatFailToRead) {
  test::LocationSpec s;
  s.channels = {{"CO", 3, 4, 1}, {"Temp", 0, 0, 1}};
  for (int r = 0; r < 5000; ++r)
    s.records.push_back({static_cast<std::uint32_t>(60 * r), {r * 0.25f, 20.0f}});
  s.recordCount = 5002;  // two more than the file holds
  auto bytes = test::LocationBytes(s);
  bytes[18 + 2 * 57 + 1 + 12 * 4321] = 0;  // record 4321's tag
  test::TempDir dir;
  test::WriteBytes(dir.File("a.loc"), bytes);
  CLogFile log(dir.File("a.loc"));
  Recording rec;
  ReadRecording(log, rec);
  EXPECT_EQ(rec.recordCount, 5000);
  ASSERT_EQ(rec.times.size(), 4999u);
  ASSERT_EQ(rec.values.size(), 2 * 4999u);
  EXPECT_EQ(rec.times[4321] - rec.times[4320], 120);
  EXPECT_EQ(rec.Value(4321, 0), 4322 * 0.25);
  EXPECT_EQ(rec.Value(4998, 1), 20.0);
  EXPECT_EQ(log.BadRecordCount(), 1);
}

// Both evaluators against the definition, summed record by record.
TEST(Exposure, WindowSumsMatchTheDefinitionInAnyOrder) {
  std::mt19937 rng(7);
  for (int trial = 0; trial < 40; ++trial) {
    const bool sorted = trial % 2 == 0;
    const int n = 5 + static_cast<int>(rng() % 120);
    std::vector<LogTime> t(n);
    std::vector<double> v(n);
    LogTime now = 0;
    for (int r = 0; r < n; ++r) {
      now += sorted ? static_cast<LogTime>(rng() % 4) * 30 : static_cast<LogTime>(rng() % 200) - 80;
      t[r] = now;
      v[r] = rng() % 7 == 0 ? std::nan("") : static_cast<double>(rng() % 1000) / 8;
    }
    const std::int64_t I = std::max<std::int64_t>(1, LoggingInterval(t));
    const auto d = RecordSpans(t, I);
    const std::int64_t L = trial % 3 == 0 ? 900 : 240;
    const WindowMeans w = WindowSums(t, v, d, L, sorted);
    for (int r = 0; r < n; ++r) {
      long double sum = 0;
      std::int64_t sampled = 0;
      for (int k = 0; k < n; ++k) {
        if (std::isnan(v[k])) continue;
        const std::int64_t overlap =
            std::max<std::int64_t>(0, std::min(t[k] + d[k], t[r] + L) - std::max(t[k], t[r]));
        sum += v[k] * overlap;
        sampled += overlap;
      }
      ASSERT_NEAR(static_cast<double>(w.sum[r]), static_cast<double>(sum), 1e-6)
          << "trial " << trial << " record " << r;
      ASSERT_EQ(w.sampled[r], sampled) << "trial " << trial << " record " << r;
    }
  }
}

TEST(Exposure, UnitsConvertLimitsIntoTheChannelsUnit) {
  Builder b({{"Toluene", 10004, 51, 0},  // ppb
             {"CO mass", 3, 7, 0},       // µg/m3
             {"Temp", 0, 1, 1},          // °F
             {"Air speed", 5, 5, 2},     // m/s
             {"Oxygen", 18, 17, 1}});    // %
  b.Records(60, 0, 60, [](int, std::size_t c) {
    const double values[] = {120000.0, 30000.0, 80.0, 1.5, 20.9};
    return values[c];
  });
  auto r = Judge(b.rec, Set({{"Toluene", LimitKind::Stel, 100, "ppm"},
                             {"CO", LimitKind::Ceiling, 35, "ppm"},
                             {"Temperature", LimitKind::High, 26,
                              "\xC2\xB0"
                              "C"},
                             {"Air Speed", LimitKind::High, 1, "m/s"},
                             {"Air Speed", LimitKind::High, 1, "ppm"},
                             {"Oxygen", LimitKind::Low, 19.5, "%RH"},
                             {"Oxygen", LimitKind::Low, 19.5, "%"},
                             {"Toluene", LimitKind::Twa8, 1e305, "%"},
                             {"Air Speed", LimitKind::Ceiling, 1e-310, "m/s"}}));
  const LimitResult& toluene = r.channels[0].limits[0];
  EXPECT_TRUE(toluene.applicable);
  EXPECT_DOUBLE_EQ(toluene.valueInChannelUnit, 100000.0);
  EXPECT_TRUE(toluene.exceeded);
  // 35 ppm of CO (12.011 + 15.999 g/mol) at 24.45 l/mol, in µg/m3.
  const LimitResult& co = r.channels[1].limits[0];
  EXPECT_NEAR(co.valueInChannelUnit, 35 * 28.010 / 24.45 * 1000, 1e-9);
  EXPECT_FALSE(co.exceeded);
  EXPECT_NEAR(r.channels[2].limits[0].valueInChannelUnit, 78.8, 1e-12);
  EXPECT_TRUE(r.channels[2].limits[0].exceeded);
  EXPECT_TRUE(r.channels[3].limits[0].applicable);  // the channel's own unit name
  EXPECT_TRUE(r.channels[3].limits[0].exceeded);
  EXPECT_FALSE(r.channels[3].limits[1].applicable);
  EXPECT_EQ(r.channels[3].limits[1].reason, "ppm does not convert to m/s");
  EXPECT_FALSE(r.channels[4].limits[0].applicable);  // %RH is not %
  EXPECT_TRUE(r.channels[4].limits[1].applicable);
  EXPECT_FALSE(r.channels[4].limits[1].exceeded);
  EXPECT_EQ(r.channels[4].verdict, Verdict::Within);  // short, but no 8-hour limit applies
  // Beyond the range of numbers: a limit that has no value in the channel's
  // unit is not compared; a ratio too large to hold is left out.
  const LimitResult& huge = r.channels[0].limits[1];
  EXPECT_FALSE(huge.applicable);
  EXPECT_EQ(huge.reason, "the value is out of range in ppb");
  const LimitResult& tiny = r.channels[3].limits[2];
  EXPECT_TRUE(tiny.exceeded);
  EXPECT_FALSE(tiny.ratio.has_value());
}

}  // namespace
}  // namespace vantora::exposure

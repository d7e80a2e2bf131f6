// libFuzzer target: the limits reader and the exposure engine on arbitrary
// input. The first two bytes (little-endian) give the length of a location
// file's bytes that follow, read through the real reader from a scratch
// file; the rest is the text of a limits file, read as it is and once more
// behind the heading. Every set read is assessed, laid out as a table, as
// JSON (which must parse) and as the command line's text, and the results
// are checked against what holds for any input.
#include <QJsonDocument>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/logfile.h"
#include "exposure/exposure.h"
#include "exposure/exposuretext.h"
#include "exposure/limits.h"
#include "model/vocabulary.h"
#include "scratch.h"

namespace {

using namespace vantora;
using namespace vantora::exposure;

void Check(bool ok) {
  if (!ok) std::abort();
}

void CheckResult(const LocationResult& loc, const Recording& rec) {
  Check(loc.channels.size() == rec.channels.size());
  Check(loc.records == static_cast<int>(rec.times.size()));
  for (const ChannelResult& ch : loc.channels) {
    Check(ch.readings + ch.overRange + ch.notAvailable == loc.records);
    Check(ch.computed == ch.twaSample.has_value() && ch.computed == ch.twa8h.has_value());
    if (!ch.computed) {
      Check(!ch.reason.empty() && ch.verdict == Verdict::InsufficientData);
      continue;
    }
    Check(ch.sampledSeconds > 0 && std::isfinite(ch.coverage) && std::isfinite(*ch.twaSample));
    Check(std::isfinite(ch.twa8h->value));
    if (ch.stel) Check(std::isfinite(ch.stel->value));
    for (const LimitResult& l : ch.limits) {
      Check(l.count >= 0 && l.count <= loc.records && l.excursions <= l.count);
      Check(l.longestSeconds >= 0 && l.longestSeconds <= l.totalSeconds &&
            l.totalSeconds <= ch.sampledSeconds);
      Check(l.percent >= 0 && l.percent <= 100);
      if (l.ratio) Check(std::isfinite(*l.ratio));
    }
  }
}

// For times that never decrease the linear evaluator and the general one
// must find the same sampled time in every window, and sums equal to
// rounding.
void CheckEvaluators(const Recording& rec) {
  const std::vector<LogTime>& t = rec.times;
  if (t.size() < 2 || !std::is_sorted(t.begin(), t.end())) return;
  const std::int64_t interval = LoggingInterval(t);
  if (interval <= 0) return;
  const std::vector<std::int64_t> d = RecordSpans(t, interval);
  std::vector<double> v(t.size());
  for (std::size_t c = 0; c < rec.channels.size(); ++c) {
    long double magnitude = 1;
    for (std::size_t r = 0; r < t.size(); ++r) {
      const double value = rec.Value(r, c);
      v[r] = Classify(value) == Reading::NotAvailable ? std::nan("") : value;
      if (!std::isnan(v[r])) magnitude += std::fabs(static_cast<long double>(v[r])) * d[r];
    }
    for (std::int64_t length : {kStelSeconds, kTwa8Seconds}) {
      const WindowMeans a = WindowSums(t, v, d, length, true);
      const WindowMeans b = WindowSums(t, v, d, length, false);
      for (std::size_t r = 0; r < t.size(); ++r) {
        Check(a.sampled[r] == b.sampled[r] && a.sampled[r] >= 0 && a.sampled[r] <= length);
        Check(std::fabs(a.sum[r] - b.sum[r]) <= magnitude * 1e-9L);
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = fuzz::ScratchFolder("exposure") + "/E.loc";
  if (size < 2) return 0;
  const std::size_t locationSize = std::min<std::size_t>(data[0] | (data[1] << 8), size - 2);
  if (!fuzz::WriteScratchFile(path, data + 2, locationSize)) return 0;
  const std::string text(reinterpret_cast<const char*>(data + 2 + locationSize),
                         size - 2 - locationSize);

  CompoundLibrary& compounds = TheParamNames().compounds();
  LimitLibrary library;
  std::vector<std::string> problems;
  library.AddText(text, "limits.csv", compounds, problems);
  library.AddText(std::string(kLimitsHeading) + "\n" + text, "limits.csv", compounds, problems);

  CLogFile log(path);
  Recording rec;
  ReadRecording(log, rec);
  CheckEvaluators(rec);

  std::vector<const LimitSet*> sets = {nullptr};
  for (const LimitSet& set : library.Sets()) sets.push_back(&set);
  for (const LimitSet* set : sets) {
    const LocationResult result = Assess(rec, set, compounds);
    CheckResult(result, rec);
    const ExposureTable table = BuildTable(result);
    for (const TableRow& row : table.rows) Check(row.cells.size() == table.heading.size());
    const std::string name = set ? set->name : std::string("none");
    const std::string json = ExposureJson({result}, name);
    QJsonParseError error;
    QJsonDocument::fromJson(QByteArray::fromStdString(json), &error);
    Check(error.error == QJsonParseError::NoError);
    const std::string lines = LocationText(result, name);
    Check(!lines.empty());
  }
  return 0;
}

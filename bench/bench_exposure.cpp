// Exposure assessment at its largest: the largest location (65,535 records x
// 20 channels) with a limits file that gives every channel a TWA8, a STEL
// and a ceiling limit in the channel's own unit (some exceeded, some not; a
// channel whose unit has a blank name cannot take one and gets them in
// another unit, not applicable).
//  - ReadRecording: open the location and read every record.
//  - Assess: the engine on the records read, with the limit set.
//  - Json: the --json text of the results.
//  - WholeProcess/vantora and /numpy: `vantora exposure --json` and
//    bench/exposure_numpy.py as whole processes, with their peak resident
//    memory (maxrss_MB).
// Before timing, both processes run once and their outputs are compared
// number by number (relative tolerance 1e-9, window starts equal); the bench
// stops with status 1 when they differ.
#include <benchmark/benchmark.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "common/codepage.h"
#include "common/logfile.h"
#include "exposure/exposure.h"
#include "exposure/exposuretext.h"
#include "exposure/limits.h"
#include "model/vocabulary.h"
#include "processrun.h"
#include "support/largest.h"
#include "support/locbytes.h"

namespace {

using namespace vantora;
using bench::RunProcess;

const char* const kSetName = "Every channel";

// Limits around each channel's readings (20 + c + 5 sin(...)): the 8-hour
// TWA is above the lower TWA8 values, the 15-minute means above the lower
// STEL values and the readings above the lower ceilings.
std::string LimitsText(const CLogFile& log) {
  std::string text = std::string(exposure::kLimitsHeading) + "\n";
  for (int c = 0; c < log.ChannelCount(); ++c) {
    int param = 0, unit = 0;
    log.GetChannelParam(c, param);
    log.GetChannelUnit(c, unit);
    std::string unitName = Cp1252ToUtf8(TheUnitNames().GetName(unit));
    // A blank unit name cannot be written in a limits file: such a channel
    // gets its rows in another unit, which are then not applicable.
    if (unitName.find_first_not_of(' ') == std::string::npos) unitName = "g/m3";
    const double base = 20.0 + c;
    const double twa8 = base + (c % 2 == 0 ? 0.0 : 1.0);
    const double stel = base + (c % 3 == 0 ? 2.0 : 4.0);
    const double ceiling = base + (c % 4 == 0 ? 4.5 : 5.5);
    for (auto [kind, value] :
         {std::pair<const char*, double>{"TWA8", twa8}, {"STEL", stel}, {"ceiling", ceiling}}) {
      char row[200];
      std::snprintf(row, sizeof row, "%s,%d,%s,%.2f,%s,bench limit\n", kSetName, param, kind, value,
                    unitName.c_str());
      text += row;
    }
  }
  return text;
}

struct Files {
  test::TempDir dir;
  std::string location, limits;
  Files() : location(test::LargestLocationPath()), limits(dir.File("limits.csv")) {
    CLogFile log(location);
    test::WriteBytes(limits, [&] {
      std::string t = LimitsText(log);
      return std::vector<std::uint8_t>(t.begin(), t.end());
    }());
  }
};

const Files& TheFiles() {
  static Files files;
  return files;
}

std::vector<std::string> VantoraCommand() {
  const Files& f = TheFiles();
  return {std::string(VANTORA_BENCH_BIN) + "/vantora",
          "exposure",
          "--json",
          "--limits",
          f.limits,
          "--set",
          kSetName,
          f.location};
}

std::vector<std::string> NumpyCommand() {
  const Files& f = TheFiles();
  return {"/usr/bin/python3", std::string(VANTORA_SOURCE_DIR) + "/bench/exposure_numpy.py",
          f.location, f.limits, kSetName};
}

// Compares the two outputs; every difference is added to `problems`.
class Comparison {
 public:
  std::vector<std::string> problems;
  int numbers = 0, starts = 0, limits = 0, exceeded = 0;

  void Locations(const QJsonObject& ours, const QJsonObject& peer) {
    Same("start", ours["start"], peer["start"]);
    Same("end", ours["end"], peer["end"]);
    Number("interval", ours["interval"], peer["interval"]);
    const QJsonArray a = ours["channels"].toArray(), b = peer["channels"].toArray();
    if (a.size() != b.size()) Problem("channels", QString::number(a.size()), b.size());
    for (qsizetype c = 0; c < std::min(a.size(), b.size()); ++c) {
      where_ = "channel " + std::to_string(c) + ": ";
      Channel(a[c].toObject(), b[c].toObject());
    }
  }

 private:
  void Channel(const QJsonObject& o, const QJsonObject& p) {
    for (const char* key : {"index", "readings", "overRange", "notAvailable"})
      Number(key, o[key], p[key]);
    Same("lowerBound", o["lowerBound"], p["lowerBound"]);
    if (p.contains("reason")) {
      Same("twaSample", o["twaSample"], QJsonValue());
      Same("reason", o["reason"], p["reason"]);
      return;
    }
    for (const char* key : {"sampledSeconds", "spanSeconds", "coverage", "twaSample"})
      Number(key, o[key], p[key]);
    Window("twa8h", o["twa8h"], p["twa8h"], {"shortSample", "lowerBound"});
    Window("stel", o["stel"], p["stel"], {"lowerBound"});
    QJsonArray applicable;
    for (const QJsonValue& l : o["limits"].toArray())
      if (l.toObject()["applicable"].toBool()) applicable.append(l);
    const QJsonArray peer = p["limits"].toArray();
    if (applicable.size() != peer.size())
      Problem("applicable limits", QString::number(applicable.size()), peer.size());
    for (qsizetype k = 0; k < std::min(applicable.size(), peer.size()); ++k) {
      const QJsonObject a = applicable[k].toObject(), b = peer[k].toObject();
      const std::string kind = a["kind"].toString().toLower().toStdString();
      const std::string saved = where_;
      where_ += kind + " limit: ";
      Same("kind", QJsonValue(a["kind"].toString().toLower()), b["kind"]);
      Number("value", a["value"], b["value"]);
      Same("exceeded", a["exceeded"], b["exceeded"]);
      Number("ratio", a["ratio"], b["ratio"]);
      for (const char* key :
           {"periods", "count", "excursions", "longestSeconds", "totalSeconds", "percent"})
        if (b.contains(key)) Number(key, a[key], b[key]);
      ++limits;
      if (a["exceeded"].toBool()) ++exceeded;
      where_ = saved;
    }
  }

  void Window(const char* name, const QJsonValue& o, const QJsonValue& p,
              std::initializer_list<const char*> flags) {
    if (o.isNull() || p.isNull()) {
      Same(name, o, p);
      return;
    }
    const std::string saved = where_;
    where_ += std::string(name) + " ";
    const QJsonObject a = o.toObject(), b = p.toObject();
    Number("value", a["value"], b["value"]);
    Same("windowStart", a["windowStart"], b["windowStart"]);
    ++starts;
    for (const char* key : flags) Same(key, a[key], b[key]);
    where_ = saved;
  }

  // Numbers agree to a relative 1e-9 (integers exactly); nulls match nulls.
  void Number(const char* key, const QJsonValue& a, const QJsonValue& b) {
    ++numbers;
    if (a.isNull() && b.isNull()) return;
    if (!a.isDouble() || !b.isDouble()) {
      Problem(key, Text(a), b);
      return;
    }
    const double x = a.toDouble(), y = b.toDouble();
    if (std::fabs(x - y) > 1e-9 * std::max(std::fabs(x), std::fabs(y))) Problem(key, Text(a), b);
  }

  void Same(const char* key, const QJsonValue& a, const QJsonValue& b) {
    if (a != b) Problem(key, Text(a), b);
  }

  static QString Text(const QJsonValue& v) {
    if (v.isString()) return v.toString();
    if (v.isDouble()) return QString::number(v.toDouble(), 'g', 17);
    if (v.isBool()) return v.toBool() ? "true" : "false";
    if (v.isUndefined()) return "absent";
    return v.isNull() ? "null" : "an object";
  }

  void Problem(const char* key, const QString& ours, const QJsonValue& peer) {
    problems.push_back(where_ + key + ": vantora " + ours.toStdString() + ", numpy " +
                       Text(peer).toStdString());
  }

  std::string where_;
};

bool ReadJson(const std::string& path, QJsonObject& out) {
  const std::string text = test::ReadAll(path);
  QJsonParseError error;
  const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(text), &error);
  if (!doc.isObject()) {
    std::fprintf(stderr, "bench_exposure: %s is no JSON object: %s\n", path.c_str(),
                 error.errorString().toStdString().c_str());
    return false;
  }
  out = doc.object();
  return true;
}

// Both programs once; true when they agree.
bool CompareOutputs() {
  test::TempDir out;
  double seconds = 0, rss = 0;
  const std::string ours = out.File("vantora.json"), peer = out.File("numpy.json");
  if (!RunProcess(VantoraCommand(), ours, seconds, rss)) {
    std::fprintf(stderr, "bench_exposure: vantora exposure failed\n");
    return false;
  }
  if (!RunProcess(NumpyCommand(), peer, seconds, rss)) {
    std::fprintf(stderr, "bench_exposure: exposure_numpy.py failed\n");
    return false;
  }
  QJsonObject a, b;
  if (!ReadJson(ours, a) || !ReadJson(peer, b)) return false;
  Comparison cmp;
  const QJsonArray la = a["locations"].toArray(), lb = b["locations"].toArray();
  if (la.size() != 1 || lb.size() != 1) {
    std::fprintf(stderr, "bench_exposure: one location expected (vantora %d, numpy %d)\n",
                 static_cast<int>(la.size()), static_cast<int>(lb.size()));
    return false;
  }
  cmp.Locations(la[0].toObject(), lb[0].toObject());
  if (!cmp.problems.empty()) {
    std::fprintf(stderr, "bench_exposure: vantora and exposure_numpy.py DIFFER in %zu places:\n",
                 cmp.problems.size());
    for (std::size_t i = 0; i < cmp.problems.size() && i < 40; ++i)
      std::fprintf(stderr, "  %s\n", cmp.problems[i].c_str());
    return false;
  }
  if (cmp.limits == 0 || cmp.exceeded == 0 || cmp.exceeded == cmp.limits) {
    std::fprintf(stderr,
                 "bench_exposure: the limits compared (%d, %d exceeded) do not test both "
                 "outcomes\n",
                 cmp.limits, cmp.exceeded);
    return false;
  }
  std::printf(
      "vantora and exposure_numpy.py agree: %d numbers, %d window starts, %d limits (%d "
      "exceeded)\n",
      cmp.numbers, cmp.starts, cmp.limits, cmp.exceeded);
  return true;
}

void BM_ReadRecording(benchmark::State& state) {
  const std::string& path = TheFiles().location;
  for (auto _ : state) {
    CLogFile log(path);
    exposure::Recording rec;
    exposure::ReadRecording(log, rec);
    benchmark::DoNotOptimize(rec.values.data());
  }
}
BENCHMARK(BM_ReadRecording)->Unit(benchmark::kMillisecond)->Iterations(10);

struct Loaded {
  exposure::Recording rec;
  exposure::LoadedLimits limits;
  const exposure::LimitSet* set = nullptr;
  Loaded() {
    CLogFile log(TheFiles().location);
    exposure::ReadRecording(log, rec);
    limits = exposure::LoadLimitLibrary(TheFiles().limits, "", TheParamNames().compounds());
    set = exposure::ChooseLimitSet(limits, kSetName);
  }
};

void BM_Assess(benchmark::State& state) {
  static Loaded loaded;
  for (auto _ : state) {
    exposure::LocationResult r =
        exposure::Assess(loaded.rec, loaded.set, TheParamNames().compounds());
    benchmark::DoNotOptimize(r.channels.data());
  }
}
BENCHMARK(BM_Assess)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_Json(benchmark::State& state) {
  static Loaded loaded;
  const std::vector<exposure::LocationResult> results = {
      exposure::Assess(loaded.rec, loaded.set, TheParamNames().compounds())};
  for (auto _ : state) {
    std::string json = exposure::ExposureJson(results, kSetName);
    benchmark::DoNotOptimize(json.data());
  }
}
BENCHMARK(BM_Json)->Unit(benchmark::kMillisecond)->Iterations(10);

// The JSON goes to a file, as a script reading it would take it.
void WholeProcess(benchmark::State& state, const std::vector<std::string>& command) {
  static test::TempDir out;
  bench::WholeProcess(state, command, out.File("out.json"));
}

void BM_WholeProcessVantora(benchmark::State& state) { WholeProcess(state, VantoraCommand()); }
BENCHMARK(BM_WholeProcessVantora)
    ->Name("WholeProcess/vantora")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);

void BM_WholeProcessNumpy(benchmark::State& state) { WholeProcess(state, NumpyCommand()); }
BENCHMARK(BM_WholeProcessNumpy)
    ->Name("WholeProcess/numpy")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (!CompareOutputs()) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

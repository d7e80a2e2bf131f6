// Locations and graph definitions shared by the graph tests.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "common/logfile.h"
#include "graph/graphsettings.h"
#include "support/locbytes.h"

namespace vantora::graph::test {

// Temp (°C, 1 decimal), RH (%RH, 0 decimals) and Flow (2 decimals) from
// 01-Jun-2026 09:00:00 local time, one record a minute.
inline vantora::test::LocationSpec ThreeChannels(std::vector<std::vector<float>> rows) {
  vantora::test::LocationSpec s;
  s.channels = {{"Temp", 0, 0, 1, 6}, {"RH", 1, 3, 0, 5}, {"Flow", 7, 4, 2, 6}};
  std::uint32_t t = 0;
  for (auto& r : rows) {
    s.records.push_back({t, r});
    t += 60;
  }
  return s;
}

// Writes `spec` into a temporary folder and opens it.
class Location {
 public:
  explicit Location(const vantora::test::LocationSpec& spec) {
    const std::string path = dir_.File("Loc1.loc");
    vantora::test::WriteBytes(path, vantora::test::LocationBytes(spec));
    log_ = std::make_unique<CLogFile>(path);
  }
  const CLogData& log() const { return *log_; }

 private:
  vantora::test::TempDir dir_;
  std::unique_ptr<CLogFile> log_;
};

// X and Y references with the option defaults.
inline GraphSettings Settings(int mode, int x, std::vector<int> ys) {
  GraphSettings s;
  s.mode = mode;
  s.axisParams[0] = x;
  for (std::size_t i = 0; i < ys.size(); ++i) s.axisParams[i + 1] = ys[i];
  s.axisCount = 1 + static_cast<int>(ys.size());
  s.title = "Site1\\Loc1";
  return s;
}

}  // namespace vantora::graph::test

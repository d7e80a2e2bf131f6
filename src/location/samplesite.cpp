#include "location/samplesite.h"

#include <cmath>

#include "common/logfile.h"
#include "common/pathutil.h"

namespace vantora {

namespace {

struct Channel {
  const char* name;
  int param, unit, decimals, width;
};

constexpr double kNotAvailable = -999999.0;
constexpr double kOverRange = -999.0;

using ValueFn = double (*)(int record, int channel);

bool WriteLocation(const std::string& path, int version, LogTime start, int interval, int records,
                   const std::vector<Channel>& channels, ValueFn value, std::string& error) {
  CLogFile log(path, false);
  log.SetVersion(version);
  log.SetTimeBits(24);
  log.SetStartTime(start);
  for (int c = 0; c < static_cast<int>(channels.size()); ++c) {
    log.SetChannelName(c, channels[c].name);
    log.SetChannelParam(c, channels[c].param);
    log.SetChannelUnit(c, channels[c].unit);
    log.SetChannelDecimals(c, channels[c].decimals);
    log.SetChannelWidth(c, channels[c].width);
  }
  // A file cut short by a signal that ends the program is removed.
  RemoveOnSignal removal;
  removal.Begin(path);
  removal.End(log.OpenWrite(true));
  double values[kMaxChannels];
  for (int r = 0; r < records; ++r) {
    for (int c = 0; c < static_cast<int>(channels.size()); ++c) values[c] = value(r, c);
    log.AppendRecord(start + static_cast<LogTime>(r) * interval, values);
  }
  log.Close();
  if (log.Error() != LogFileError::None) {
    error = log.SystemError() ? WriteFailureLine(path, log.SystemError())
                              : path + ": " + LogFileErrorText(log.Error());
    return false;
  }
  removal.Forget();
  return true;
}

// A smooth daily swing with a little deterministic ripple.
double Wave(int r, double base, double swing, double period, double ripple) {
  return base + swing * std::sin(r / period) + ripple * std::sin(r * 1.7 + 0.3);
}

double Office(int r, int c) {
  switch (c) {
    case 0: return Wave(r, 22.0, 1.5, 80.0, 0.2);  // temperature
    case 1: return r >= 200 && r < 204 ? kNotAvailable : Wave(r, 41.0, 6.0, 95.0, 0.8);
    case 2: return std::round(Wave(r, 650.0, 350.0, 60.0, 25.0));  // CO2
    default: return std::max(0.0, Wave(r, 0.8, 0.6, 40.0, 0.2));   // CO
  }
}

double Boiler(int r, int c) {
  switch (c) {
    case 0: return Wave(r, 95.0, 8.0, 30.0, 0.6);                     // deg F
    case 1: return std::max(0.0, Wave(r, 410.0, 120.0, 20.0, 15.0));  // ft/min
    default: return r % 37 == 36 ? kOverRange : std::max(0.0, Wave(r, 6.0, 5.0, 12.0, 1.0));
  }
}

double Night(int r, int c) {
  switch (c) {
    case 0: return Wave(r, 19.5, -1.2, 15.0, 0.1);
    case 1: return Wave(r, 48.0, 4.0, 18.0, 0.5);
    case 2: return std::round(Wave(r, 480.0, 60.0, 10.0, 8.0));
    default: return std::max(0.0, Wave(r, 310.0, 150.0, 9.0, 20.0));  // toluene ppb
  }
}

double Lab(int r, int c) {
  switch (c) {
    case 0: return Wave(r, 21.0, 0.4, 25.0, 0.05);
    case 1: return Wave(r, 0.0215, 0.006, 11.0, 0.001);  // airflow, 3 sig. digits
    case 2: return r == 5 ? kNotAvailable : Wave(r, 20.9, 0.05, 7.0, 0.01);  // oxygen %
    default: return std::max(0.0, Wave(r, 120.0, 90.0, 14.0, 10.0));
  }
}

// A paint store from 07:00, one record a minute: spraying from 09:00 to
// 10:10 and from 13:00 to 14:40 drives toluene (ppb) far over the workplace
// limits, and a propane heater gives a short CO peak at 11:20.
double PaintStore(int r, int c) {
  switch (c) {
    case 0: return std::round(Wave(r, 21.0, 0.8, 90.0, 0.1) * 10.0) / 10.0;
    case 1: return std::round(Wave(r, 46.0, 3.0, 70.0, 0.5) * 10.0) / 10.0;
    case 2: {
      double co = std::max(0.0, Wave(r, 3.0, 1.0, 30.0, 0.3));
      if (r >= 260 && r < 266) co += r == 260 || r == 265 ? 90.0 : 235.0 + 4.0 * std::sin(r);
      return std::round(co * 10.0) / 10.0;
    }
    default: {
      const bool spraying = (r >= 120 && r < 190) || (r >= 360 && r < 460);
      const double ppm =
          spraying ? Wave(r, 620.0, 60.0, 9.0, 25.0) : Wave(r, 45.0, 12.0, 40.0, 4.0);
      return std::round(std::max(0.0, ppm) * 1000.0);
    }
  }
}

double Nothing(int, int) { return 0.0; }

}  // namespace

std::vector<std::string> WriteSampleSite(const std::string& folderIn, std::string& error) {
  std::string folder = WithTrailingSeparator(folderIn);
  MakeDirectoryPath(folder);
  std::vector<std::string> written;
  auto add = [&](const std::string& name, int version, LogTime start, int interval, int records,
                 const std::vector<Channel>& channels, ValueFn fn) {
    std::string path = folder + name;
    if (WriteLocation(path, version, start, interval, records, channels, fn, error))
      written.push_back(path);
  };
  LogTime morning = MakeLocalTime(2026, 3, 10, 8, 30, 0);
  add("Office 101.loc", 3, morning, 60, 540,
      {{"Temperature", 0, 0, 1, 6},
       {"Humidity", 1, 3, 1, 6},
       {"CO2", 4, 4, 0, 6},
       {"CO", 3, 4, 1, 5}},
      Office);
  add("Boiler Room.loc", 2, MakeLocalTime(2026, 3, 10, 13, 15, 30), 30, 400,
      {{"Room temp", 0, 1, 1, 6}, {"Air speed", 5, 6, 0, 6}, {"CO", 3, 4, 1, 6}}, Boiler);
  add("Night Survey.loc", 3, MakeLocalTime(2026, 3, 10, 21, 40, 0), 300, 120,
      {{"Temperature", 0, 0, 1, 6},
       {"Humidity", 1, 3, 1, 6},
       {"CO2", 4, 4, 0, 6},
       {"Toluene", 10004, 51, 0, 6}},
      Night);
  add("Lab 2.loc", 3, MakeLocalTime(2026, 3, 11, 9, 0, 0), 10, 90,
      {{"Temperature", 0, 0, 2, 7},
       {"Exhaust flow", 7, 62, 203, 8},
       {"Oxygen", 18, 17, 1, 6},
       {"TVOC", 87, 51, 0, 6}},
      Lab);
  add("Paint Store.loc", 3, MakeLocalTime(2026, 3, 11, 7, 0, 0), 60, 540,
      {{"Temperature", 0, 0, 1, 6},
       {"Humidity", 1, 3, 1, 6},
       {"CO", 3, 4, 1, 6},
       {"Toluene", 10004, 51, 0, 7}},
      PaintStore);
  add("Empty Store.loc", 3, MakeLocalTime(2026, 3, 11, 10, 0, 0), 60, 0,
      {{"Temperature", 0, 0, 1, 6}, {"Humidity", 1, 3, 1, 6}}, Nothing);
  return written;
}

}  // namespace vantora

#include "support/samples.h"

namespace vantora::test {

LocationSpec DstSurveySpec() {
  LocationSpec s;
  s.version = 3;
  s.hour = 23;
  s.day = 28;
  s.month = 3;
  s.year = 2026;
  s.channels = {{"Temp", 0, 0, 1, 6},
                {"CO2", 4, 4, 0, 5},
                {"Flow", 7, 62, 203, 8},
                {"Toluene", 10004, 51, 0, 4}};
  s.records = {{0, {21.5f, 451.0f, 0.0215f, 100.0f}},
               {3600, {20.0f, -999.0f, 0.03f, -999999.0f}},
               {7200, {20.0f, 500.0f, 0.01f, 200.0f}},
               {10800, {23.3f, 500.0f, 0.025f, 301.0f}}};
  return s;
}

const char* const kDstSurveyStats =
    "Survey\r\n"
    "Site A\r\n"
    "\r\n"
    "Started at: 28-Mar-2026 23:00:00\r\n"
    "Ended at: 29-Mar-2026 03:00:00\r\n"
    "Duration: 03:00:00\r\n"
    "Num points=   4\r\n"
    "\r\n"
    "Temperature \xB0"
    "C\r\n"
    "  Min=   20.0 @ 29-Mar-2026 01:00:00\r\n"
    "  Max=   23.3 @ 29-Mar-2026 03:00:00\r\n"
    "  Avg=  21.20 \xB0"
    "C\r\n"
    "\r\n"
    "Carbon Dioxide ppm\r\n"
    "  Min=   451 @ 28-Mar-2026 23:00:00\r\n"
    "  Max=   500 @ 29-Mar-2026 03:00:00\r\n"
    "  Avg= 483.7 ppm\r\n"
    "\r\n"
    "Volume Flow m3/s\r\n"
    "  Min= 0.0100 @ 29-Mar-2026 01:00:00\r\n"
    "  Max= 0.0300 @ 29-Mar-2026 00:00:00\r\n"
    "  Avg= 0.0216 m3/s\r\n"
    "\r\n"
    "Toluene ppb\r\n"
    "  Min=  100 @ 28-Mar-2026 23:00:00\r\n"
    "  Max=  301 @ 29-Mar-2026 03:00:00\r\n"
    "  Avg= 200.3 ppb\r\n"
    "\r\n";

const char* const kDstSurveyCopyAll =
    "Date \tTime \tTemp\tCO2\tFlow\tToluene\r\n"
    "28-Mar-2026\t23:00:00\t   21.5\t    451\t0.0215\t    100\r\n"
    "29-Mar-2026\t00:00:00\t   20.0\tOverRange\t0.0300\tN/A\r\n"
    "29-Mar-2026\t01:00:00\t   20.0\t    500\t0.0100\t    200\r\n"
    "29-Mar-2026\t03:00:00\t   23.3\t    500\t0.0250\t    301\r\n";

}  // namespace vantora::test

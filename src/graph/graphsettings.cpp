#include "graph/graphsettings.h"

#include <algorithm>

#include "graph/graphchecks.h"

namespace vantora::graph {

void GraphSettings::Copy(const GraphSettings& from) {
  const int keepFontSize = titleFontSize;
  *this = from;
  titleFontSize = keepFontSize;
}

int GraphSettings::YCount() const { return std::clamp(axisCount - 1, 0, kMaxYParams); }

std::pair<int, int> GraphSettings::AxisPair(int i) const {
  if (i < 0 || i >= YCount()) return {-1, -1};
  return {axisParams[0], axisParams[i + 1]};
}

namespace {

int UnitOf(const CLogData& log, int ref) {
  if (ref <= 0) return 0;  // time counts as unit 0
  int unit = 0;
  log.GetChannelUnit(ref - 1, unit);
  return unit;
}

}  // namespace

GraphChecks CheckGraphSettings(const CLogData& log, const GraphSettings& s) {
  GraphChecks c;
  const int nY = s.YCount();
  if (nY >= 1) {
    const int firstUnit = UnitOf(log, s.axisParams[1]);
    bool unitsDiffer = false;
    for (int k = 0; k < nY; ++k) {
      const int ref = s.axisParams[k + 1];
      if (k > 0 && ref == 0) c.timeNotPrimary = true;
      if (UnitOf(log, ref) != firstUnit) unitsDiffer = true;
    }
    c.mixedUnits =
        !c.timeNotPrimary && unitsDiffer && s.mode != kModeMultiY && s.mode != kModeStrip;
  }
  c.singleYMultiMode =
      !c.timeNotPrimary && nY < 2 && (s.mode == kModeMultiY || s.mode == kModeStrip);
  return c;
}

}  // namespace vantora::graph

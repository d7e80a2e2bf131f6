// A graph's definition: the X and Y parameters, the mode and the display
// options. The profile side (load at construction, write-back at
// destruction) lives with the GUI, so the core and the command line never
// touch the user's settings.
#pragma once

#include <string>
#include <utility>

namespace vantora::graph {

constexpr int kModeSingleY = 1;
constexpr int kModeMultiY = 2;
constexpr int kModeStrip = 3;

// Y parameters a graph holds at most.
constexpr int kMaxYParams = 20;

struct GraphSettings {
  bool dateOnX = true;
  bool showTitle = true;
  bool xGrid = true;
  bool yGrid = true;
  bool lines = true;
  bool markers = false;
  bool yLabels = true;
  bool xLabels = true;
  int legend = 1;
  // A line at every applicable exposure limit of each channel.
  bool limitLines = false;
  // Entry 0: the X parameter; entries 1-20 the Y parameters in order
  // (0 time, n channel n-1).
  int axisParams[kMaxYParams + 1] = {};
  int axisCount = 0;  // 1 + number of Y parameters
  int mode = kModeSingleY;
  std::string title;  // Windows-1252, at most 50 characters
  int titleFontSize = 16;

  // Copies everything but the title font size.
  void Copy(const GraphSettings& from);
  // Number of Y parameters (axis count - 1, within 0..20).
  int YCount() const;
  // (X parameter, Y parameter i) for 0 <= i < YCount(), else (-1, -1).
  std::pair<int, int> AxisPair(int i) const;
};

}  // namespace vantora::graph

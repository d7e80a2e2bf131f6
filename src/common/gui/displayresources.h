// Drawing resources shared by every surface the program paints itself (the
// readings panel, printed reports, the splash and About window, graph
// comments): the display face name, a colour table, pens and what was learnt
// of the first device drawn on. One per application; each preparation step
// happens once per run.
#pragma once

#include <QColor>
#include <QPen>
#include <QRect>
#include <string>
#include <vector>

class QPaintDevice;

namespace vantora {

class DisplayResources {
 public:
  DisplayResources();
  virtual ~DisplayResources();
  DisplayResources(const DisplayResources&) = delete;
  DisplayResources& operator=(const DisplayResources&) = delete;

  // First call only: colour capability and the device's full size in pixels
  // (the screen for a widget, the page for a printer).
  void CheckDevice(const QPaintDevice* device);
  // First call only: the face names offered ("Arial") and the current one.
  void SetDefaultFonts();
  // While not created: the pen colours, the colour table and the six pens.
  void CreatePens();
  void ReleasePens();
  // CheckDevice, SetDefaultFonts and CreatePens.
  void PrepareCommon(const QPaintDevice* device);

  QPen pens[6];
  int reserved = 0;
  std::string faceName;
  std::vector<std::string> faceNames;
  QColor penColours[4];
  QColor colours[16];
  int penWidth = 1;
  bool pensCreated = false;
  bool colourDevice = false;
  bool deviceChecked = false;
  bool fontsSet = false;
  QRect deviceRect;
};

}  // namespace vantora

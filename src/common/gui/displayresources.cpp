#include "common/gui/displayresources.h"

#include <QPaintDevice>
#include <QScreen>
#include <QWidget>

namespace vantora {

DisplayResources::DisplayResources() = default;

DisplayResources::~DisplayResources() { ReleasePens(); }

void DisplayResources::CheckDevice(const QPaintDevice* device) {
  if (deviceChecked || !device) return;
  // Widgets report no colour count, only their depth.
  colourDevice = device->depth() > 2 ||
                 (device->devType() != QInternal::Widget && device->colorCount() >= 16);
  QSize size(device->width(), device->height());
  if (device->devType() == QInternal::Widget) {
    auto* widget = static_cast<const QWidget*>(device);
    if (QScreen* screen = widget->screen()) size = screen->geometry().size();
  }
  deviceRect = QRect(0, 0, size.width(), size.height());
  penWidth = 1;
  deviceChecked = true;
}

void DisplayResources::SetDefaultFonts() {
  if (fontsSet) return;
  faceNames.clear();
  faceNames.push_back("Arial");
  faceName = "Arial";
  fontsSet = true;
}

void DisplayResources::CreatePens() {
  if (pensCreated) return;
  static const int table[16][3] = {{0, 0, 0},   {255, 255, 255}, {128, 128, 128}, {192, 192, 192},
                                   {128, 0, 0}, {255, 0, 0},     {200, 200, 0},   {255, 255, 0},
                                   {0, 128, 0}, {0, 255, 0},     {0, 128, 128},   {0, 255, 255},
                                   {0, 0, 128}, {0, 0, 255},     {128, 0, 128},   {255, 0, 255}};
  for (int i = 0; i < 16; ++i) colours[i] = QColor(table[i][0], table[i][1], table[i][2]);
  penColours[0] = QColor(0, 0, 0);
  penColours[1] = QColor(0, 128, 128);
  penColours[2] = QColor(255, 0, 0);
  penColours[3] = QColor(0, 170, 170);
  for (int i = 0; i < 4; ++i) pens[i] = QPen(penColours[i], penWidth, Qt::SolidLine);
  pens[4] = QPen(colours[0], penWidth, Qt::SolidLine);
  pens[5] = QPen(colours[0], 2 * penWidth, Qt::SolidLine);
  pensCreated = true;
}

void DisplayResources::ReleasePens() {
  if (!pensCreated) return;
  for (QPen& pen : pens) pen = QPen();
  pensCreated = false;
}

void DisplayResources::PrepareCommon(const QPaintDevice* device) {
  CheckDevice(device);
  SetDefaultFonts();
  CreatePens();
}

}  // namespace vantora

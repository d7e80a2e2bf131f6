#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>

#include "common/gui/displayresources.h"
#include "guisupport/guiapp.h"

namespace vantora {
namespace {

TEST(DisplayResources, StartsEmpty) {
  DisplayResources r;
  EXPECT_FALSE(r.pensCreated);
  EXPECT_FALSE(r.deviceChecked);
  EXPECT_FALSE(r.fontsSet);
  EXPECT_FALSE(r.colourDevice);
  EXPECT_TRUE(r.deviceRect.isNull());
  EXPECT_EQ(r.penWidth, 1);
  EXPECT_EQ(r.reserved, 0);
}

TEST(DisplayResources, FirstDeviceFixesTheValuesForTheRun) {
  test::GuiApp();
  DisplayResources r;
  // A printed page first: its size, not the screen's.
  QImage page(2480, 3508, QImage::Format_RGB32);
  r.PrepareCommon(&page);
  EXPECT_TRUE(r.colourDevice);
  EXPECT_EQ(r.deviceRect, QRect(0, 0, 2480, 3508));
  const QColor colour6 = r.colours[6];
  QWidget screenWidget;
  screenWidget.resize(300, 200);
  r.colours[6] = Qt::blue;  // a later preparation must not reset the table
  r.PrepareCommon(&screenWidget);
  EXPECT_EQ(r.deviceRect, QRect(0, 0, 2480, 3508));
  EXPECT_EQ(r.colours[6], QColor(Qt::blue));
  EXPECT_EQ(colour6, QColor(200, 200, 0));
}

TEST(DisplayResources, ColourTablePensAndFaceNames) {
  DisplayResources r;
  r.SetDefaultFonts();
  r.faceNames.push_back("Other");
  r.SetDefaultFonts();  // only the first call counts
  EXPECT_EQ(r.faceNames.size(), 2u);
  EXPECT_EQ(r.faceName, "Arial");
  r.CreatePens();
  EXPECT_EQ(r.colours[0], QColor(0, 0, 0));
  EXPECT_EQ(r.colours[1], QColor(255, 255, 255));
  EXPECT_EQ(r.colours[10], QColor(0, 128, 128));
  EXPECT_EQ(r.colours[15], QColor(255, 0, 255));
  EXPECT_EQ(r.pens[1].color(), QColor(0, 128, 128));
  EXPECT_EQ(r.pens[3].color(), QColor(0, 170, 170));
  EXPECT_EQ(r.pens[4].color(), r.colours[0]);
  EXPECT_EQ(r.pens[4].width(), 1);
  EXPECT_EQ(r.pens[5].width(), 2);
  EXPECT_EQ(r.pens[2].style(), Qt::SolidLine);
  r.ReleasePens();
  EXPECT_FALSE(r.pensCreated);
}

}  // namespace
}  // namespace vantora

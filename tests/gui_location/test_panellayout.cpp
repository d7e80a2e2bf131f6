#include <gtest/gtest.h>

#include "location/gui/panellayout.h"

namespace vantora {
namespace {

TEST(PanelFontSize, FollowsThePageSize) {
  EXPECT_EQ(PanelFontSize(640, 500), 12);
  EXPECT_EQ(PanelFontSize(640, 470), 11);
  EXPECT_EQ(PanelFontSize(640, 310), 10);
  EXPECT_EQ(PanelFontSize(640, 700), 13);
  EXPECT_EQ(PanelFontSize(1600, 900), 14);
  EXPECT_EQ(PanelFontSize(470, 500), 11);
  EXPECT_EQ(PanelFontSize(310, 700), 11);
  // 300 high and 400 wide: 10 - 1, raised to the minimum.
  EXPECT_EQ(PanelFontSize(400, 300), 10);
  EXPECT_EQ(PanelFontSize(100, 100), 10);
}

TEST(PanelLayout, AreasRowsAndColumns) {
  QRect panel(0, 0, 800, 560);
  std::vector<int> chars = {14, 6, 6, 6};
  PanelLayout l = ComputePanelLayout(panel, 7, 14, 3, 0, chars);
  // Grid: inset by width/16 and height/14, moved down by height/18.
  EXPECT_EQ(l.gridRect, QRect(50, 40 + 31, 700, 560 - 80));
  EXPECT_EQ(l.headingHeight, 21);
  EXPECT_EQ(l.visibleRows, (480 - 21) / 17);
  EXPECT_EQ(l.rowPitch, (480 - 21) / l.visibleRows - 1);
  EXPECT_EQ(l.wantedColumns, 4);
  EXPECT_EQ(l.visibleColumns, 4);
  ASSERT_EQ(l.columnRects.size(), 4u);
  EXPECT_EQ(l.columnRects[0].width(), 7 * 14 + 9);
  EXPECT_EQ(l.columnRects[1].width(), 7 * 6 + 9);
  EXPECT_EQ(l.columnRects[1].left(), l.columnRects[0].right() + 1);
  ASSERT_EQ(static_cast<int>(l.cellRects.size()), l.visibleRows);
  // Cells stay inside the grid; rows follow the pitch.
  const QRect& last = l.cellRects.back().back();
  EXPECT_LE(last.bottom(), l.gridRect.bottom());
  EXPECT_EQ(l.cellRects[1][0].top() - l.cellRects[0][0].top(), l.rowPitch + 1);
  // Caption above the date line above the grid; controls beside the grid.
  EXPECT_LT(l.captionRect.bottom(), l.titleRect.top());
  EXPECT_LT(l.titleRect.bottom(), l.gridRect.top());
  EXPECT_GT(l.scrollBar.left(), l.gridRect.right());
  EXPECT_LE(l.scrollBar.right(), panel.right());
  EXPECT_FALSE(l.leftButton.intersects(l.rightButton));
}

TEST(PanelLayout, AtMostTenColumnsAndOnlyThoseThatFit) {
  std::vector<int> chars(10, 6);
  PanelLayout wide = ComputePanelLayout(QRect(0, 0, 2000, 600), 7, 14, 20, 0, chars);
  EXPECT_EQ(wide.wantedColumns, 10);
  EXPECT_EQ(wide.visibleColumns, 10);
  PanelLayout narrow = ComputePanelLayout(QRect(0, 0, 300, 600), 7, 14, 20, 0, chars);
  EXPECT_EQ(narrow.wantedColumns, 10);
  EXPECT_LT(narrow.visibleColumns, 10);
  for (const QRect& r : narrow.columnRects) EXPECT_LE(r.right(), narrow.gridRect.right());
  // Scrolled to the last of 20 channels: the time column and one channel.
  PanelLayout end = ComputePanelLayout(QRect(0, 0, 2000, 600), 7, 14, 20, 19, chars);
  EXPECT_EQ(end.wantedColumns, 2);
}

TEST(PanelLayout, RowsClampedToThirtyFive) {
  PanelLayout tall = ComputePanelLayout(QRect(0, 0, 800, 3000), 7, 14, 2, 0, {14, 6, 6});
  EXPECT_EQ(tall.visibleRows, 35);
  PanelLayout tiny = ComputePanelLayout(QRect(0, 0, 800, 40), 7, 14, 2, 0, {14, 6, 6});
  EXPECT_EQ(tiny.visibleRows, 1);
}

TEST(PanelLayout, MaxTopRow) {
  EXPECT_EQ(MaxTopRow(100, 30), 70);
  EXPECT_EQ(MaxTopRow(10, 30), 0);
  EXPECT_EQ(MaxTopRow(0, 30), 0);
}

TEST(PanelLayout, ColumnWidthHasSixCharactersAtLeast) {
  EXPECT_EQ(PanelColumnWidth(8, 3), 8 * 6 + 9);
  EXPECT_EQ(PanelColumnWidth(8, 10), 8 * 10 + 9);
}

// Caption, date line, arrow buttons, scroll bar, headings and cells never
// cover one another, down to panels far too small for them.
TEST(PanelLayout, NothingOverlapsAtAnySize) {
  const std::vector<int> chars = {14, 9, 6, 12};
  for (int w = 40; w <= 900; w += 23) {
    for (int h = 20; h <= 700; h += 17) {
      PanelLayout l = ComputePanelLayout(QRect(0, 0, w, h), 7, 14, 3, 0, chars, {90, 70, 60, 80});
      std::vector<QRect> parts = {l.captionRect, l.titleRect, l.leftButton, l.rightButton,
                                  l.scrollBar};
      for (const QRect& r : l.columnRects) parts.push_back(r);
      for (const auto& row : l.cellRects)
        for (const QRect& r : row) parts.push_back(r);
      for (std::size_t i = 0; i < parts.size(); ++i)
        for (std::size_t j = i + 1; j < parts.size(); ++j)
          ASSERT_FALSE(parts[i].intersects(parts[j]))
              << w << "x" << h << ": part " << i << " and " << j;
      // The lines and buttons stay above the grid, the scroll bar beside it.
      EXPECT_LT(l.titleRect.bottom(), l.gridRect.top()) << w << "x" << h;
      EXPECT_LT(l.rightButton.bottom(), l.gridRect.top()) << w << "x" << h;
      EXPECT_GT(l.scrollBar.left(), l.gridRect.right()) << w << "x" << h;
    }
  }
}

TEST(PanelLayout, ColumnsAreWideEnoughForTheirWidestText) {
  // Six digits would give 7 * 6 + 9 = 51 pixels; "OverRange" needs 62.
  PanelLayout l = ComputePanelLayout(QRect(0, 0, 800, 560), 7, 14, 2, 0, {14, 6, 6}, {90, 62, 40});
  ASSERT_EQ(l.columnRects.size(), 3u);
  EXPECT_EQ(l.columnRects[1].width(), 62 + 9);
  EXPECT_EQ(l.columnRects[2].width(), 7 * 6 + 9);
  EXPECT_EQ(l.cellRects[0][1].width(), 62 + 9);
}

TEST(PanelLayout, SmallestSizeShowsTheLinesHeadingsAndOneRow) {
  QSize least = PanelSmallestSize(7, 14, {14}, {100});
  PanelLayout l = ComputePanelLayout(QRect(QPoint(0, 0), least), 7, 14, 3, 0, {14}, {100});
  EXPECT_LE(l.cellRects[0][0].bottom(), least.height() - 2);
  EXPECT_GE(l.columnRects[0].width(), 109);
  EXPECT_LE(l.columnRects[0].right(), l.gridRect.right());
  // One pixel less in either direction loses something.
  PanelLayout lower =
      ComputePanelLayout(QRect(0, 0, least.width(), least.height() - 1), 7, 14, 3, 0, {14}, {100});
  EXPECT_GT(lower.cellRects[0][0].bottom(), least.height() - 3);
}

}  // namespace
}  // namespace vantora

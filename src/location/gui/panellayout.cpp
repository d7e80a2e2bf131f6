#include "location/gui/panellayout.h"

#include <algorithm>

namespace vantora {

int PanelFontSize(int width, int height) {
  int size = 12;
  if (height < 320)
    size = 10;
  else if (height < 480)
    size = 11;
  if (height > 600) ++size;
  if (height > 760) ++size;
  if (width < 320)
    size -= 2;
  else if (width < 480)
    size -= 1;
  return std::max(size, 10);
}

int PanelColumnWidth(int digitWidth, int characters) {
  return digitWidth * std::max(6, characters) + 9;
}

int MaxTopRow(int recordCount, int visibleRows) { return std::max(0, recordCount - visibleRows); }

PanelLayout ComputePanelLayout(const QRect& panel, int digitWidth, int digitHeight,
                               int channelCount, int firstChannel,
                               const std::vector<int>& columnChars,
                               const std::vector<int>& textWidths) {
  PanelLayout l;
  const int w = panel.width(), h = panel.height();
  l.frameRect = panel.adjusted(0, 0, -1, -1);
  l.gridRect = panel.adjusted(w / 16, h / 14, -(w / 16), -(h / 14)).translated(0, h / 18);

  // Caption and date lines stand together just above the grid: on a small
  // panel the grid moves down to make room for them rather than run under
  // them, and it keeps room for the scroll bar on its right.
  const int lineHeight = std::max(kPanelIconSize + 2, digitHeight + 4);
  const int linesTop = panel.top() + 2;
  const int minGridTop = linesTop + 2 * lineHeight + 6;
  if (l.gridRect.top() < minGridTop) l.gridRect.setTop(minGridTop);
  const int maxGridRight = panel.right() - 2 - kPanelScrollBarWidth - 3;
  if (l.gridRect.right() > maxGridRight) l.gridRect.setRight(maxGridRight);
  if (l.gridRect.bottom() > panel.bottom() - 2) l.gridRect.setBottom(panel.bottom() - 2);
  l.headingHeight = digitHeight + digitHeight / 2;
  const int rowHeight = std::max(1, digitHeight + digitHeight / 4);
  // Headings and one row at least, even where that runs past the panel.
  if (l.gridRect.height() < l.headingHeight + rowHeight)
    l.gridRect.setHeight(l.headingHeight + rowHeight);
  if (l.gridRect.width() < 1) l.gridRect.setWidth(1);

  l.captionRect = QRect(l.gridRect.left(), l.gridRect.top() - 2 * lineHeight - 6,
                        l.gridRect.width(), lineHeight);
  // The arrow buttons sit at the right end of the date line, beside its text.
  const int buttonsWidth = 2 * kPanelButtonSize + 6;
  l.titleRect = QRect(l.gridRect.left(), l.gridRect.top() - lineHeight - 1,
                      std::max(1, l.gridRect.width() - buttonsWidth), lineHeight);

  int remaining = l.gridRect.height() - l.headingHeight;
  l.visibleRows = std::clamp(remaining / rowHeight, 1, kPanelMaxRows);
  l.rowPitch = std::max(1, remaining / l.visibleRows - 1);

  l.wantedColumns = std::clamp(channelCount + 1 - firstChannel, 1, kPanelMaxColumns);
  int x = l.gridRect.left();
  for (int c = 0; c < l.wantedColumns; ++c) {
    int chars = c < static_cast<int>(columnChars.size()) ? columnChars[c] : 6;
    int width = PanelColumnWidth(digitWidth, chars);
    // Wide enough for the widest text the column shows.
    if (c < static_cast<int>(textWidths.size())) width = std::max(width, textWidths[c] + 9);
    QRect heading(x, l.gridRect.top(), width, l.headingHeight);
    if (heading.right() > l.gridRect.right()) break;
    l.columnRects.push_back(heading);
    x = heading.right() + 1;
  }
  l.visibleColumns = std::max(1, static_cast<int>(l.columnRects.size()));
  if (l.columnRects.empty()) {
    // Not even the time column fits: give it the whole grid width.
    l.columnRects.push_back(
        QRect(l.gridRect.left(), l.gridRect.top(), l.gridRect.width(), l.headingHeight));
  }
  l.cellRects.resize(l.visibleRows);
  for (int r = 0; r < l.visibleRows; ++r) {
    int top = l.gridRect.top() + l.headingHeight + r * (l.rowPitch + 1);
    for (const QRect& heading : l.columnRects)
      l.cellRects[r].push_back(QRect(heading.left(), top, heading.width(), l.rowPitch));
  }

  int side = l.gridRect.right() + 3;
  l.scrollBar = QRect(side, l.gridRect.top() + l.headingHeight, kPanelScrollBarWidth,
                      l.gridRect.height() - l.headingHeight);
  int buttonsTop = l.titleRect.top() + (lineHeight - kPanelButtonSize) / 2;
  l.rightButton = QRect(l.gridRect.right() - kPanelButtonSize + 1, buttonsTop, kPanelButtonSize,
                        kPanelButtonSize);
  l.leftButton = l.rightButton.translated(-kPanelButtonSize - 4, 0);
  return l;
}

QSize PanelSmallestSize(int digitWidth, int digitHeight, const std::vector<int>& columnChars,
                        const std::vector<int>& textWidths) {
  // The smallest panel whose grid holds the headings and one row below the
  // caption and date lines, and the whole time column.
  int timeWidth = PanelColumnWidth(digitWidth, columnChars.empty() ? 6 : columnChars[0]);
  if (!textWidths.empty()) timeWidth = std::max(timeWidth, textWidths[0] + 9);
  auto fits = [&](int w, int h) {
    PanelLayout l = ComputePanelLayout(QRect(0, 0, w, h), digitWidth, digitHeight, 0, 0,
                                       columnChars, textWidths);
    return l.cellRects[0][0].bottom() <= h - 2 && timeWidth <= l.gridRect.width();
  };
  int h = 20, w = 40;
  while (h < 2000 && !fits(4000, h)) ++h;
  while (w < 4000 && !fits(w, h)) ++w;
  return QSize(w, h);
}

}  // namespace vantora

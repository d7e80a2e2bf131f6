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
                               const std::vector<int>& columnChars) {
  PanelLayout l;
  const int w = panel.width(), h = panel.height();
  l.frameRect = panel.adjusted(0, 0, -1, -1);
  l.gridRect = panel.adjusted(w / 16, h / 14, -(w / 16), -(h / 14)).translated(0, h / 18);
  if (l.gridRect.bottom() > panel.bottom() - 2) l.gridRect.setBottom(panel.bottom() - 2);

  // Caption and date lines share the space above the grid.
  const int lineHeight = std::max(kPanelIconSize + 2, digitHeight + 4);
  // Both lines stand together just above the grid (as far as there is room).
  int captionTop = std::max(panel.top() + 2, l.gridRect.top() - 2 * lineHeight - 6);
  l.captionRect = QRect(l.gridRect.left(), captionTop, l.gridRect.width(), lineHeight);
  int titleTop = std::max(l.captionRect.bottom() + 1, l.gridRect.top() - lineHeight - 1);
  l.titleRect =
      QRect(l.gridRect.left(), titleTop, l.gridRect.width() - 2 * kPanelButtonSize - 6, lineHeight);

  l.headingHeight = digitHeight + digitHeight / 2;
  int remaining = l.gridRect.height() - l.headingHeight;
  int rowHeight = std::max(1, digitHeight + digitHeight / 4);
  l.visibleRows = std::clamp(remaining / rowHeight, 1, kPanelMaxRows);
  l.rowPitch = std::max(1, remaining / l.visibleRows - 1);

  l.wantedColumns = std::clamp(channelCount + 1 - firstChannel, 1, kPanelMaxColumns);
  int x = l.gridRect.left();
  for (int c = 0; c < l.wantedColumns; ++c) {
    int chars = c < static_cast<int>(columnChars.size()) ? columnChars[c] : 6;
    QRect heading(x, l.gridRect.top(), PanelColumnWidth(digitWidth, chars), l.headingHeight);
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

}  // namespace vantora

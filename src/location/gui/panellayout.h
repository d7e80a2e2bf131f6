// Layout arithmetic of the readings panel, free of painting: font size,
// areas, columns and cells from the panel rectangle and the font's digit size.
#pragma once

#include <QRect>
#include <QSize>
#include <string>
#include <vector>

namespace vantora {

constexpr int kPanelMaxRows = 35;
constexpr int kPanelMaxColumns = 10;
constexpr int kPanelButtonSize = 16;
constexpr int kPanelScrollBarWidth = 16;
constexpr int kPanelIconSize = 16;
constexpr int kPanelIconGap = 8;

// Character height of the panel's fonts for a page of `width` x `height`.
int PanelFontSize(int width, int height);

// Width in pixels of a column of `characters` digits (at least six).
int PanelColumnWidth(int digitWidth, int characters);

struct PanelLayout {
  QRect frameRect;    // outer frame: the panel rectangle less one pixel
  QRect captionRect;  // "Location File:" line with the note icons
  QRect titleRect;    // date line
  QRect gridRect;     // headings and cells
  int headingHeight = 0;
  int visibleRows = 1;
  int rowPitch = 0;
  // Columns asked for ((channels + 1) - firstChannel, 1..10) and the ones
  // that fit wholly in the grid (a prefix of them).
  int wantedColumns = 1;
  int visibleColumns = 1;
  std::vector<QRect> columnRects;             // heading of each laid-out column
  std::vector<std::vector<QRect>> cellRects;  // [row][column]
  QRect leftButton, rightButton, scrollBar;
};

// `columnChars[i]`: characters of the i-th column asked for (the time column
// first, then channel firstChannel, firstChannel + 1, ...).
// `textWidths[i]` (optional): pixel width of the widest text the column
// shows (its heading, "OverRange"); the column is made wide enough for it.
// On a panel too small for its parts, the grid moves down below the caption
// and date lines; nothing is laid over anything else.
PanelLayout ComputePanelLayout(const QRect& panel, int digitWidth, int digitHeight,
                               int channelCount, int firstChannel,
                               const std::vector<int>& columnChars,
                               const std::vector<int>& textWidths = {});

// The smallest panel that shows the caption, the date line, the headings and
// one row of the time column.
QSize PanelSmallestSize(int digitWidth, int digitHeight, const std::vector<int>& columnChars,
                        const std::vector<int>& textWidths = {});

// Largest first row: records less the rows shown, at least 0.
int MaxTopRow(int recordCount, int visibleRows);

}  // namespace vantora

// The readings table of a location view: caption line with the note icons,
// date line, headings and a page of cells, two arrow buttons that move the
// channel columns sideways and a scroll bar over the records. It paints into
// the view, owns three child controls of the view and registers what it drew
// in the view's HotSpotList.
#pragma once

#include <QFont>
#include <QPixmap>
#include <QPointer>
#include <QRect>
#include <QScrollBar>
#include <QToolButton>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "common/logdata.h"
#include "location/columnselection.h"
#include "location/gui/hotspotlist.h"
#include "location/gui/panellayout.h"

class QPainter;
class QWidget;

namespace vantora {

class DisplayResources;

// Child control ids and scroll codes.
constexpr int kPanelLeftButton = 567;
constexpr int kPanelRightButton = 568;
constexpr int kPanelScrollBar = 571;
constexpr int kPanelGoToNewest = 572;
enum ScrollCode {
  SB_LINEUP = 0,
  SB_LINEDOWN = 1,
  SB_PAGEUP = 2,
  SB_PAGEDOWN = 3,
  SB_THUMBPOSITION = 4,
  SB_THUMBTRACK = 5,
  SB_TOP = 6,
  SB_BOTTOM = 7,
  SB_ENDSCROLL = 8
};

// Note icon bitmap numbers, in drawing order from the right.
constexpr int kNoteIconOrder[] = {135, 162, 163, 136, 137, 127, 140, 205, 203, 165, 167};

// The part of the view being repainted.
struct RedrawState {
  QRect paintRect;  // empty: everything
};

// One text the panel drew, for tests and diagnostics.
struct DrawnText {
  enum Kind { kCaption, kDateLine, kHeading, kCell, kNoData };
  Kind kind;
  QRect rect;
  std::string text;  // Windows-1252
  bool bold = false;
  int row = -1, column = -1;
};

class ReadingsPanel {
 public:
  // Whether the note drawn with icon `bitmap` exists.
  using NoteExists = std::function<bool(int bitmap)>;
  // A child control was used: (id, scroll code, position).
  using ControlUsed = std::function<void(int id, int code, int position)>;

  ReadingsPanel(DisplayResources& resources, HotSpotList& hotSpots, const CLogData* data,
                QWidget* view, const ColumnSelection& selection, NoteExists noteExists);
  virtual ~ReadingsPanel();
  ReadingsPanel(const ReadingsPanel&) = delete;
  ReadingsPanel& operator=(const ReadingsPanel&) = delete;

  virtual void Draw(QPainter& painter, const QRect& rect, const RedrawState& redraw);
  // The grid less 2 pixels on every side; empty while not laid out.
  virtual QRect GetClientArea() const;
  virtual void Invalidate();
  virtual void CreateFonts();
  virtual void LoadBitmaps();
  virtual void DeleteFonts();
  virtual void DeleteBitmaps();

  // Scrolls by a control id and scroll code; true when the first channel
  // changed. Nothing happens while the panel is not laid out.
  bool Scroll(int id, int code, int position);

  void SetControlCallback(ControlUsed callback) { controlUsed_ = std::move(callback); }
  void SetData(const CLogData* data) {
    data_ = data;
    Invalidate();
  }

  bool laidOut() const { return laidOut_; }
  int topRow() const { return topRow_; }
  int firstChannel() const { return firstChannel_; }
  int visibleRows() const { return layout_.visibleRows; }
  int visibleColumns() const { return layout_.visibleColumns; }
  int fontSize() const { return fontSize_; }
  const PanelLayout& layout() const { return layout_; }
  const std::vector<DrawnText>& drawnTexts() const { return drawn_; }
  const QFont& normalFont() const { return normalFont_; }
  QScrollBar* scrollBar() const { return scrollBar_; }
  QToolButton* leftButton() const { return leftButton_; }
  QToolButton* rightButton() const { return rightButton_; }
  const QPixmap& NoteIcon(int bitmap) const;
  // The smallest panel (at the smallest font) that shows the caption, the
  // date line, the headings and one row.
  QSize SmallestSize() const;

  // Draws `bitmap` at (x, y) leaving pixels of `maskColour` transparent.
  static void DrawTransparentBitmap(QPainter& painter, const QPixmap& bitmap, int x, int y,
                                    const QColor& maskColour);

 private:
  void CreateControls();
  void LayOut();
  std::vector<int> ColumnCharacters() const;
  // Pixel widths of the widest text of each column (PanelLayout's textWidths).
  std::vector<int> ColumnTextWidths(const QFont& normal, const QFont& bold) const;
  std::string HeadingText(int column) const;
  void DrawText(QPainter& painter, DrawnText::Kind kind, const QRect& rect, const std::string& text,
                int flags, bool bold, int row = -1, int column = -1);
  bool Visible(const QRect& r) const;

  DisplayResources& resources_;
  HotSpotList& hotSpots_;
  const CLogData* data_;
  QWidget* view_;
  const ColumnSelection& selection_;
  NoteExists noteExists_;
  ControlUsed controlUsed_;

  bool laidOut_ = false;
  bool columnsChanged_ = false;
  int topRow_ = 0;
  int firstChannel_ = 0;
  PanelLayout layout_;
  QRect panelRect_;
  QRect paintRect_;
  int fontSize_ = 0;
  std::string fontFace_;
  bool fontsMade_ = false;
  QFont normalFont_, boldFont_;
  std::map<int, QPixmap> noteIcons_;
  QPointer<QToolButton> leftButton_, rightButton_;
  QPointer<QScrollBar> scrollBar_;
  std::vector<DrawnText> drawn_;
};

}  // namespace vantora

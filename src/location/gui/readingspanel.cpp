#include "location/gui/readingspanel.h"

#include <QBitmap>
#include <QFontMetrics>
#include <QPainter>
#include <QScrollBar>
#include <QToolButton>
#include <QWidget>
#include <algorithm>

#include "common/gui/displayresources.h"
#include "common/gui/qtstrings.h"
#include "common/pathutil.h"
#include "common/timetext.h"
#include "location/gui/noteicons.h"

namespace vantora {

namespace {

const char kTimeHeading[] = "Time (H:M:S) ";
const char kNoData[] = "No data";
const char kCaptionPrefix[] = "Location File:";
const char kDateTo[] = " to ";
const char kOverRange[] = "OverRange";

}  // namespace

ReadingsPanel::ReadingsPanel(DisplayResources& resources, HotSpotList& hotSpots,
                             const CLogData* data, QWidget* view, const ColumnSelection& selection,
                             NoteExists noteExists)
    : resources_(resources),
      hotSpots_(hotSpots),
      data_(data),
      view_(view),
      selection_(selection),
      noteExists_(std::move(noteExists)) {}

ReadingsPanel::~ReadingsPanel() {
  delete leftButton_.data();
  delete rightButton_.data();
  delete scrollBar_.data();
  DeleteFonts();
  DeleteBitmaps();
}

void ReadingsPanel::CreateFonts() {
  int size = PanelFontSize(panelRect_.width(), panelRect_.height());
  if (fontsMade_ && size == fontSize_ && fontFace_ == resources_.faceName) return;
  fontSize_ = size;
  fontFace_ = resources_.faceName;
  normalFont_ = QFont(ToQt(fontFace_));
  normalFont_.setPixelSize(size);
  normalFont_.setWeight(QFont::Normal);
  boldFont_ = normalFont_;
  boldFont_.setWeight(QFont::Bold);
  fontsMade_ = true;
  laidOut_ = false;
}

void ReadingsPanel::DeleteFonts() { fontsMade_ = false; }

void ReadingsPanel::LoadBitmaps() {
  if (!noteIcons_.empty()) return;
  for (int bitmap : kNoteIconOrder) noteIcons_[bitmap] = MakeNoteIcon(bitmap);
}

void ReadingsPanel::DeleteBitmaps() { noteIcons_.clear(); }

const QPixmap& ReadingsPanel::NoteIcon(int bitmap) const {
  static const QPixmap none;
  auto it = noteIcons_.find(bitmap);
  return it == noteIcons_.end() ? none : it->second;
}

void ReadingsPanel::DrawTransparentBitmap(QPainter& painter, const QPixmap& bitmap, int x, int y,
                                          const QColor& maskColour) {
  QPixmap copy = bitmap;
  copy.setMask(bitmap.createMaskFromColor(maskColour, Qt::MaskInColor));
  painter.drawPixmap(x, y, copy);
}

void ReadingsPanel::Invalidate() { laidOut_ = false; }

QRect ReadingsPanel::GetClientArea() const {
  return laidOut_ ? layout_.gridRect.adjusted(2, 2, -2, -2) : QRect();
}

void ReadingsPanel::CreateControls() {
  if (leftButton_ || !view_) return;
  auto makeButton = [this](Qt::ArrowType arrow, int id, const char* name) {
    auto* button = new QToolButton(view_);
    button->setObjectName(name);
    button->setArrowType(arrow);
    button->setAutoRaise(false);
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoRepeat(true);
    QObject::connect(button, &QToolButton::clicked, view_, [this, id] {
      if (controlUsed_) controlUsed_(id, 0, 0);
    });
    return button;
  };
  leftButton_ = makeButton(Qt::LeftArrow, kPanelLeftButton, "leftButton");
  rightButton_ = makeButton(Qt::RightArrow, kPanelRightButton, "rightButton");
  scrollBar_ = new QScrollBar(Qt::Vertical, view_);
  scrollBar_->setObjectName("recordScrollBar");
  scrollBar_->setFocusPolicy(Qt::NoFocus);
  QObject::connect(scrollBar_.data(), &QScrollBar::actionTriggered, view_, [this](int action) {
    if (!controlUsed_) return;
    int code = -1;
    switch (action) {
      case QAbstractSlider::SliderSingleStepAdd: code = SB_LINEDOWN; break;
      case QAbstractSlider::SliderSingleStepSub: code = SB_LINEUP; break;
      case QAbstractSlider::SliderPageStepAdd: code = SB_PAGEDOWN; break;
      case QAbstractSlider::SliderPageStepSub: code = SB_PAGEUP; break;
      case QAbstractSlider::SliderToMinimum: code = SB_TOP; break;
      case QAbstractSlider::SliderToMaximum: code = SB_BOTTOM; break;
      case QAbstractSlider::SliderMove: code = SB_THUMBTRACK; break;
      default: break;
    }
    if (code >= 0) controlUsed_(kPanelScrollBar, code, scrollBar_->sliderPosition());
  });
}

std::string ReadingsPanel::HeadingText(int column) const {
  if (column == 0) return kTimeHeading;
  std::string name;
  if (data_) data_->GetChannelName(firstChannel_ + column - 1, name);
  return name;
}

std::vector<int> ReadingsPanel::ColumnCharacters() const {
  std::vector<int> chars;
  chars.push_back(static_cast<int>(std::string(kTimeHeading).size()) + 1);
  int channels = data_ ? data_->ChannelCount() : 0;
  for (int c = firstChannel_; c < channels && static_cast<int>(chars.size()) < kPanelMaxColumns;
       ++c) {
    int width = 0;
    data_->GetChannelWidth(c, width);
    std::string name;
    data_->GetChannelName(c, name);
    // A heading longer than the channel's display width widens the column
    // rather than running into its neighbour.
    chars.push_back(std::max(width, static_cast<int>(name.size()) + 1));
  }
  return chars;
}

std::vector<int> ReadingsPanel::ColumnTextWidths(const QFont& normal, const QFont& bold) const {
  // Headings may be drawn bold (selected); cells in the normal font. Every
  // channel cell may read "OverRange".
  QFontMetrics fn(normal), fb(bold);
  // The cell's text inset and two pixels to spare, less the column's own nine.
  const int padding = 6 + 2 - 9;
  std::vector<int> widths;
  widths.push_back(std::max(fb.horizontalAdvance(kTimeHeading), fn.horizontalAdvance("00:00:00")) +
                   padding);
  int channels = data_ ? data_->ChannelCount() : 0;
  for (int c = firstChannel_; c < channels && static_cast<int>(widths.size()) < kPanelMaxColumns;
       ++c) {
    std::string name;
    data_->GetChannelName(c, name);
    widths.push_back(std::max(fb.horizontalAdvance(ToQt(name)), fn.horizontalAdvance(kOverRange)) +
                     padding);
  }
  return widths;
}

QSize ReadingsPanel::SmallestSize() const {
  QFont normal(ToQt(resources_.faceName));
  normal.setPixelSize(PanelFontSize(0, 0));
  QFont bold = normal;
  bold.setWeight(QFont::Bold);
  QFontMetrics fm(normal);
  std::vector<int> widths = ColumnTextWidths(normal, bold);
  widths.resize(1);
  return PanelSmallestSize(fm.horizontalAdvance('0'), fm.height(),
                           {static_cast<int>(std::string(kTimeHeading).size()) + 1}, widths);
}

void ReadingsPanel::LayOut() {
  QFontMetrics fm(normalFont_);
  int w0 = fm.horizontalAdvance('0');
  int h0 = fm.height();
  int channels = data_ ? data_->ChannelCount() : 0;
  layout_ = ComputePanelLayout(panelRect_, w0, h0, channels, firstChannel_, ColumnCharacters(),
                               ColumnTextWidths(normalFont_, boldFont_));
  laidOut_ = true;
  columnsChanged_ = false;
  if (leftButton_) {
    leftButton_->setGeometry(layout_.leftButton);
    rightButton_->setGeometry(layout_.rightButton);
    scrollBar_->setGeometry(layout_.scrollBar);
    for (QWidget* w :
         {static_cast<QWidget*>(leftButton_.data()), static_cast<QWidget*>(rightButton_.data()),
          static_cast<QWidget*>(scrollBar_.data())}) {
      w->show();
      w->setEnabled(true);
    }
  }
}

bool ReadingsPanel::Visible(const QRect& r) const {
  return paintRect_.isEmpty() || paintRect_.intersects(r);
}

void ReadingsPanel::DrawText(QPainter& painter, DrawnText::Kind kind, const QRect& rect,
                             const std::string& text, int flags, bool bold, int row, int column) {
  painter.setFont(bold ? boldFont_ : normalFont_);
  painter.drawText(rect, flags | Qt::AlignVCenter | Qt::TextSingleLine, ToQt(text));
  drawn_.push_back(DrawnText{kind, rect, text, bold, row, column});
}

void ReadingsPanel::Draw(QPainter& painter, const QRect& rect, const RedrawState& redraw) {
  drawn_.clear();
  if (rect != panelRect_) {
    panelRect_ = rect;
    laidOut_ = false;
  }
  paintRect_ = redraw.paintRect;
  resources_.PrepareCommon(painter.device());
  CreateFonts();
  LoadBitmaps();
  CreateControls();
  const bool newLayout = !laidOut_ || columnsChanged_;
  if (newLayout) LayOut();
  // A new layout drawn over part of the view only: the rest still shows the
  // old one (a resized window, moved controls), so the whole view follows.
  if (newLayout && !paintRect_.isEmpty() && view_) view_->update();

  const QColor frameColour = resources_.colours[2];
  const QColor headingFill(236, 236, 236);
  const QColor ruleColour(222, 222, 222);
  painter.save();
  painter.setPen(frameColour);
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(layout_.frameRect);
  painter.drawRect(layout_.gridRect.adjusted(-1, -1, 0, 0));

  const int padding = 4;
  const int columns = static_cast<int>(layout_.columnRects.size());
  // The heading strip runs across the whole grid, past the last column.
  QRect strip(layout_.gridRect.left(), layout_.gridRect.top(), layout_.gridRect.width(),
              layout_.headingHeight);
  if (Visible(strip)) {
    painter.fillRect(strip, headingFill);
    painter.setPen(frameColour);
    painter.drawLine(strip.bottomLeft(), strip.bottomRight());
  }
  for (int c = 0; c < columns; ++c) {
    const QRect& r = layout_.columnRects[c];
    bool bold = c == 0 ? selection_.IsTimeSelected() : selection_.IsSelected(firstChannel_ + c - 1);
    if (Visible(r)) {
      painter.fillRect(r, headingFill);
      painter.setPen(frameColour);
      painter.drawLine(r.bottomLeft(), r.bottomRight());
      if (c > 0) painter.drawLine(r.topLeft(), QPoint(r.left(), layout_.gridRect.bottom()));
      painter.setPen(resources_.colours[0]);
      DrawText(painter, DrawnText::kHeading, r.adjusted(2, 0, -padding, 0), HeadingText(c),
               Qt::AlignRight, bold, -1, c);
    }
    hotSpots_.Add(r, HotSpotList::kHeading, c == 0 ? -1 : firstChannel_ + c - 1);
  }

  const int records = data_ ? data_->RecordCount() : 0;
  if (records <= 0 || !data_) {
    const QRect& first = layout_.cellRects[0][0];
    painter.setPen(resources_.colours[0]);
    DrawText(painter, DrawnText::kNoData, first, kNoData, Qt::AlignHCenter, false, 0, 0);
    laidOut_ = false;
  } else {
    topRow_ = std::clamp(topRow_, 0, MaxTopRow(records, layout_.visibleRows));
    // Date line.
    LogTime firstTime = 0, lastTime = 0;
    int lastShown = std::min(topRow_ + layout_.visibleRows - 1, data_->LastRecordIndex());
    const bool firstRead = data_->GetTime(topRow_, firstTime);
    const bool lastRead = data_->GetTime(lastShown, lastTime);
    // Only times that read give a date.
    std::string dateLine = firstRead ? DateText(firstTime) : std::string();
    std::string lastDate = lastRead ? DateText(lastTime) : std::string();
    if (dateLine.empty())
      dateLine = lastDate;
    else if (!lastDate.empty() && lastDate != dateLine)
      dateLine += kDateTo + lastDate;
    painter.setPen(resources_.colours[0]);
    if (Visible(layout_.titleRect))
      DrawText(painter, DrawnText::kDateLine, layout_.titleRect, dateLine, Qt::AlignLeft, true);

    // Cells.
    for (int r = 0; r < layout_.visibleRows; ++r) {
      int record = topRow_ + r;
      const std::vector<QRect>& row = layout_.cellRects[r];
      // The rule runs across the whole grid, so any part of it may be due.
      const QRect rule(layout_.gridRect.left(), row.front().top() - 1, layout_.gridRect.width(), 1);
      if (r > 0 && Visible(rule)) {
        painter.setPen(ruleColour);
        painter.drawLine(layout_.gridRect.left(), row.front().top() - 1,
                         layout_.gridRect.right() - 1, row.front().top() - 1);
      }
      if (record >= records) continue;
      for (int c = 0; c < columns; ++c) {
        const QRect& cell = row[c];
        if (!Visible(cell)) continue;
        std::string text;
        if (c == 0) {
          LogTime t = 0;
          text = data_->GetTime(record, t) ? TimeText(t, true) : std::string("error");
        } else {
          data_->GetValueText(record, firstChannel_ + c - 1, text);
        }
        painter.setPen(resources_.colours[0]);
        DrawText(painter, DrawnText::kCell, cell.adjusted(2, 0, -padding, 0), text, Qt::AlignRight,
                 false, r, c);
        hotSpots_.Add(cell, HotSpotList::kDataCell, record);
      }
    }
    // Column rules over the cells.
    painter.setPen(ruleColour);
    for (int c = 1; c < columns; ++c) {
      int x = layout_.columnRects[c].left();
      painter.drawLine(x, layout_.columnRects[c].bottom() + 1, x, layout_.gridRect.bottom() - 1);
    }
  }

  if (scrollBar_) {
    const bool blocked = scrollBar_->blockSignals(true);
    scrollBar_->setRange(0, MaxTopRow(records, layout_.visibleRows));
    scrollBar_->setPageStep(std::max(1, layout_.visibleRows));
    scrollBar_->setValue(topRow_);
    scrollBar_->blockSignals(blocked);
  }

  // Caption line.
  std::string caption =
      std::string(kCaptionPrefix) + " " + AbbreviatePath(data_ ? data_->path : "", 33);
  painter.setPen(resources_.colours[0]);
  if (Visible(layout_.captionRect))
    DrawText(painter, DrawnText::kCaption, layout_.captionRect, caption, Qt::AlignLeft, true);

  // Note icons from the right.
  int x = layout_.captionRect.right() + 1 - kPanelIconSize;
  int y = layout_.captionRect.top() + (layout_.captionRect.height() - kPanelIconSize) / 2;
  for (int bitmap : kNoteIconOrder) {
    if (!noteExists_ || !noteExists_(bitmap)) continue;
    QRect r(x, y, kPanelIconSize, kPanelIconSize);
    if (Visible(r)) DrawTransparentBitmap(painter, NoteIcon(bitmap), x, y, QColor(0, 255, 0));
    hotSpots_.Add(r, HotSpotList::kNoteIcon, bitmap);
    x -= kPanelIconSize + kPanelIconGap;
  }
  painter.restore();
}

bool ReadingsPanel::Scroll(int id, int code, int position) {
  if (!laidOut_ || !data_) return false;
  const int oldFirst = firstChannel_;
  const int records = data_->RecordCount();
  const int maxTop = MaxTopRow(records, layout_.visibleRows);
  switch (id) {
    case kPanelRightButton: ++firstChannel_; break;
    case kPanelLeftButton: --firstChannel_; break;
    case kPanelGoToNewest: topRow_ = maxTop; break;
    case kPanelScrollBar:
      switch (code) {
        case SB_LINEUP: --topRow_; break;
        case SB_LINEDOWN: ++topRow_; break;
        case SB_PAGEUP: topRow_ -= layout_.visibleRows; break;
        case SB_PAGEDOWN: topRow_ += layout_.visibleRows; break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: topRow_ = position; break;
        case SB_TOP: topRow_ = 0; break;
        case SB_BOTTOM: topRow_ = maxTop; break;
        default: break;
      }
      break;
    default: break;
  }
  topRow_ = std::clamp(topRow_, 0, maxTop);
  firstChannel_ = std::clamp(firstChannel_, 0, std::max(0, data_->ChannelCount() - 1));
  // The new columns are laid out at the next paint.
  if (firstChannel_ != oldFirst) columnsChanged_ = true;
  return firstChannel_ != oldFirst;
}

}  // namespace vantora

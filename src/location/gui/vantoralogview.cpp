#include "location/gui/vantoralogview.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include "location/gui/vantoralogdoc.h"

namespace vantora {

namespace {

CVantoraLogView::NotePicker& ThePicker() {
  static CVantoraLogView::NotePicker picker;
  return picker;
}

}  // namespace

void CVantoraLogView::SetNotePicker(NotePicker picker) { ThePicker() = std::move(picker); }

CVantoraLogView::CVantoraLogView() {
  setAttribute(Qt::WA_OpaquePaintEvent, false);
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, pal.color(QPalette::Base));
  setPalette(pal);
  setMinimumSize(120, 90);
}

CVantoraLogView::~CVantoraLogView() = default;

CVantoraLogDoc* CVantoraLogView::GetDocument() const {
  return qobject_cast<CVantoraLogDoc*>(CView::GetDocument());
}

CLogData* CVantoraLogView::LogData() const {
  CVantoraLogDoc* doc = GetDocument();
  return doc ? doc->LogData() : nullptr;
}

void CVantoraLogView::OnInitialUpdate() {
  if (!panel) {
    CWinApp* app = AfxGetApp();
    static DisplayResources fallback;
    DisplayResources& resources = app ? app->displayResources : fallback;
    panel = std::make_unique<ReadingsPanel>(
        resources, hotSpots, LogData(), this, selection, [this](int bitmap) {
          CVantoraLogDoc* doc = GetDocument();
          if (!doc) return false;
          for (const NoteIcon& icon : PanelNoteIcons()) {
            if (icon.bitmap != bitmap) continue;
            return icon.anyOfKind ? doc->notebook.AnyNoteOfKind(icon.kind)
                                  : doc->notebook.HasNote(icon.kind);
          }
          return false;
        });
    panel->SetControlCallback(
        [this](int id, int code, int position) { ScrollPanel(id, code, position); });
  }
  selection.Reset();
  update();
}

void CVantoraLogView::OnUpdate(CView*) {
  if (panel) panel->SetData(LogData());
  update();
}

void CVantoraLogView::paintEvent(QPaintEvent* event) {
  if (!panel) return;
  QPainter painter(this);
  hotSpots.Clear();
  QRect area = rect().adjusted(0, 0, 0, -kBottomMargin);
  RedrawState redraw;
  if (event->rect() != rect()) redraw.paintRect = event->rect();
  panel->Draw(painter, area, redraw);
}

QSize CVantoraLogView::SmallestUsefulSize() const {
  if (!panel) return CView::SmallestUsefulSize();
  return panel->SmallestSize() + QSize(0, kBottomMargin);
}

void CVantoraLogView::resizeEvent(QResizeEvent* event) {
  CView::resizeEvent(event);
  update();
}

void CVantoraLogView::ScrollPanel(int id, int code, int position) {
  if (!panel) return;
  panel->Scroll(id, code, position);
  update();
}

void CVantoraLogView::Click(const QPoint& point) {
  int value = -1;
  int type = hotSpots.HitTest(point, value);
  if (type == HotSpotList::kNoteIcon) {
    CVantoraLogDoc* doc = GetDocument();
    if (!doc) return;
    NoteKind kind = NoteKind::None;
    switch (NoteIconActionOf(value, kind)) {
      case NoteIconAction::OpenNote: doc->notebook.OpenNote(kind); break;
      case NoteIconAction::TemplatesPicker:
        if (ThePicker()) ThePicker()(*this, NoteKind::Template);
        break;
      case NoteIconAction::ResultsPicker:
        if (ThePicker()) ThePicker()(*this, NoteKind::Results);
        break;
      case NoteIconAction::None: break;
    }
    update();
  } else if (type == HotSpotList::kHeading) {
    if (value >= 0)
      selection.Toggle(value);
    else
      selection.ToggleTime();
    update();
  }
}

void CVantoraLogView::mousePressEvent(QMouseEvent* event) {
  setFocus();
  if (event->button() == Qt::LeftButton) Click(event->position().toPoint());
  CView::mousePressEvent(event);
}

void CVantoraLogView::wheelEvent(QWheelEvent* event) {
  int steps = event->angleDelta().y() / 40;
  for (int i = 0; i < std::abs(steps); ++i)
    ScrollPanel(kPanelScrollBar, steps > 0 ? SB_LINEUP : SB_LINEDOWN);
  event->accept();
}

void CVantoraLogView::CopyReadings() {
  CLogData* data = LogData();
  if (!data) return;
  {
    CWaitCursor wait;
    if (!SetClipboardText(CopyReadingsText(*data, selection))) {
      MessageBeep();
      return;
    }
  }
  AfxMessageBox("Copied to clipboard.", MsgIcon::Information);
}

bool CVantoraLogView::QueryCommand(int id, bool& enabled, bool& checked) {
  switch (id) {
    case ID_SCROLL_DOWN:
    case ID_SCROLL_UP:
    case ID_SCROLL_END:
    case ID_SCROLL_HOME:
    case ID_SCROLL_PAGE_DOWN:
    case ID_SCROLL_PAGE_UP:
    case ID_SCROLL_LEFT:
    case ID_SCROLL_RIGHT:
    case kPanelLeftButton:
    case kPanelRightButton: enabled = true; return true;
    case ID_EDIT_COPY:
    case ID_VIEW_STATISTICS: enabled = LogData() != nullptr; return true;
    default: return false;
  }
}

bool CVantoraLogView::OnCommand(int id) {
  switch (id) {
    case ID_SCROLL_DOWN: ScrollPanel(kPanelScrollBar, SB_LINEDOWN); return true;
    case ID_SCROLL_UP: ScrollPanel(kPanelScrollBar, SB_LINEUP); return true;
    case ID_SCROLL_END: ScrollPanel(kPanelScrollBar, SB_BOTTOM); return true;
    case ID_SCROLL_HOME: ScrollPanel(kPanelScrollBar, SB_TOP); return true;
    case ID_SCROLL_PAGE_DOWN: ScrollPanel(kPanelScrollBar, SB_PAGEDOWN); return true;
    case ID_SCROLL_PAGE_UP: ScrollPanel(kPanelScrollBar, SB_PAGEUP); return true;
    case ID_SCROLL_LEFT: ScrollPanel(kPanelLeftButton, 0); return true;
    case ID_SCROLL_RIGHT: ScrollPanel(kPanelRightButton, 0); return true;
    case kPanelLeftButton:
    case kPanelRightButton: ScrollPanel(id, 0); return true;
    case ID_EDIT_COPY: CopyReadings(); return true;
    case ID_VIEW_STATISTICS:
      if (CVantoraLogDoc* doc = GetDocument()) doc->notebook.OpenNote(NoteKind::Statistics);
      return true;
    default: return false;
  }
}

}  // namespace vantora

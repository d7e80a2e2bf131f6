#include "graph/gui/vantorapcview.h"

#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QHelpEvent>
#include <QMdiArea>
#include <QMouseEvent>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QRubberBand>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "chart/chartinteract.h"
#include "chart/gui/imagefiles.h"
#include "common/gui/qtstrings.h"
#include "common/pathutil.h"
#include "common/profile.h"
#include "common/timetext.h"
#include "graph/gui/graphdialogs.h"
#include "graph/gui/graphrender.h"
#include "graph/gui/graphstatswnd.h"
#include "graph/gui/vantorapcdoc.h"
#include "graph/viewstatistics.h"
#include "location/gui/printcommands.h"

namespace vantora {

namespace {

CVantoraPCView::CommentDialogHook& CommentHook() {
  static CVantoraPCView::CommentDialogHook hook;
  return hook;
}

CVantoraPCView::ScaleDialogHook& ScaleHook() {
  static CVantoraPCView::ScaleDialogHook hook;
  return hook;
}

constexpr const char* kPlacingPrompt = "Click where the comment goes (right button: top left)";

// Milliseconds of an input event, for telling a burst of wheel notches from
// separate turns; events without a time stamp take the clock's.
std::int64_t EventMs(const QInputEvent* event) {
  if (event->timestamp() != 0) return static_cast<std::int64_t>(event->timestamp());
  return QDateTime::currentMSecsSinceEpoch();
}

bool TimeOnX(const chart::SRGraph& chart) {
  const chart::SRGCompoundDisplay* d = chart.Display(0);
  return d && d->display &&
         (d->display->axisType == chart::kAxisDateOnX ||
          d->display->axisType == chart::kAxisDateOnBoth);
}

QColor ToColor(chart::Rgb c) { return QColor(c.r, c.g, c.b); }

}  // namespace

void CVantoraPCView::SetCommentDialogHook(CommentDialogHook hook) {
  CommentHook() = std::move(hook);
}
void CVantoraPCView::SetScaleDialogHook(ScaleDialogHook hook) { ScaleHook() = std::move(hook); }

CVantoraPCView::CVantoraPCView() {
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::StrongFocus);
  band_ = new QRubberBand(QRubberBand::Rectangle, this);
  readoutOn_ = Profile::GetInt("Graph", "Readout", 1) != 0;
}

CVantoraPCView::~CVantoraPCView() {
  if (statistics_) statistics_->close();
}

void CVantoraPCView::OnInitialUpdate() {
  // A new graph window takes 70 % of the main window's document area.
  CChildFrame* child = GetParentFrame();
  QWidget* area = child ? child->mdiArea() : nullptr;
  if (area && area->width() > 0 && area->height() > 0)
    child->resize(area->width() * 7 / 10, area->height() * 7 / 10);
}

CVantoraPCDoc* CVantoraPCView::GetDocument() const {
  return qobject_cast<CVantoraPCDoc*>(CView::GetDocument());
}

std::string CVantoraPCView::FaceName() const {
  CWinApp* app = AfxGetApp();
  if (app && !app->displayResources.faceName.empty()) return app->displayResources.faceName;
  return "Arial";
}

void CVantoraPCView::Invalidate() {
  pictureValid_ = false;
  update();
}

void CVantoraPCView::OnUpdate(CView*) {
  Invalidate();
  RangesChanged();
}

void CVantoraPCView::Modified() {
  if (CVantoraPCDoc* doc = GetDocument()) {
    doc->SetModifiedFlag(true);
    doc->UpdateAllViews(this);
  }
  Invalidate();
}

QString CVantoraPCView::StatusText() const {
  if (placing_) return kPlacingPrompt;
  CVantoraPCDoc* doc = GetDocument();
  if (!doc || !doc->GetGraph().Display(0)) return QString();
  const chart::SRGraph& chart = doc->GetGraph();
  const chart::AxisRange x = chart::DrawnXRange(chart, 0);
  const bool time = TimeOnX(chart);
  index_.Update(chart);
  const int records = index_.RecordsWithin(chart, x.min, x.max);
  return ToQt(Format("Showing %s to %s: %i record%s", graph::XValueText(x.min, time).c_str(),
                     graph::XValueText(x.max, time).c_str(), records, records == 1 ? "" : "s"));
}

void CVantoraPCView::ShowStatus() {
  CMainFrame* frame = AfxGetApp() ? AfxGetApp()->MainFrame() : nullptr;
  if (!frame || frame->ActiveView() != this) return;
  const QString text = StatusText();
  frame->SetMessageText(text.isEmpty() ? QStringLiteral("Ready") : text);
}

void CVantoraPCView::RangesChanged() {
  CVantoraPCDoc* doc = GetDocument();
  if (!doc) return;
  const chart::SRGraph& chart = doc->GetGraph();
  index_.Update(chart);
  ShowStatus();
  if (statistics_) {
    const chart::AxisRange x = chart::DrawnXRange(chart, 0);
    const bool time = TimeOnX(chart);
    statistics_->Refresh(chart, x.min, x.max,
                         graph::XValueText(x.min, time) + " to " + graph::XValueText(x.max, time));
  }
}

void CVantoraPCView::EnsureRendered() {
  const QSize size(std::max(1, width()), std::max(1, height()));
  if (pictureValid_ && picture_.size() == size) return;
  picture_ = QImage(size, QImage::Format_RGB32);
  picture_.fill(Qt::white);
  if (CVantoraPCDoc* doc = GetDocument()) {
    QPainter painter(&picture_);
    // Comments are not drawn while one is being placed.
    graph::RenderGraph(doc->Core(), painter, size.width(), size.height(), 96, FaceName(),
                       !placing_);
  }
  pictureValid_ = true;
}

QImage CVantoraPCView::RenderImage(int w, int h) {
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(Qt::white);
  if (CVantoraPCDoc* doc = GetDocument()) {
    QPainter painter(&image);
    graph::RenderGraph(doc->Core(), painter, w, h, 96, FaceName());
  }
  // The chart was laid out for that size: the window's picture is redrawn.
  pictureValid_ = false;
  return image;
}

void CVantoraPCView::paintEvent(QPaintEvent*) {
  EnsureRendered();
  QPainter painter(this);
  painter.drawImage(0, 0, picture_);
  if (placing_ && feedback_) {
    CVantoraPCDoc* doc = GetDocument();
    const graph::GraphCommentList& comments = doc->Comments();
    if (comments.Count() > 0) {
      QFont font(ToQt(FaceName()));
      font.setPixelSize(commentHeight_);
      font.setWeight(QFont::Normal);
      painter.setFont(font);
      painter.setPen(Qt::black);
      const QString text = ToQt(comments.Get(comments.LastIndex()).text);
      QRect box = painter.fontMetrics().boundingRect(text);
      painter.drawText(QRect(feedbackAt_, box.size() + QSize(2, 2)), Qt::AlignLeft | Qt::AlignTop,
                       text);
    }
  }
  PaintReadout(painter);
}

std::vector<std::string> CVantoraPCView::ReadoutLines(const QPoint& pos) {
  std::vector<int> pairs;
  return ReadoutFor(pos, pairs);
}

std::vector<std::string> CVantoraPCView::ReadoutFor(const QPoint& pos, std::vector<int>& pairs) {
  std::vector<std::string> lines;
  pairs.clear();
  CVantoraPCDoc* doc = GetDocument();
  if (!doc) return lines;
  EnsureRendered();
  const chart::SRGraph& chart = doc->GetGraph();
  index_.Update(chart);
  std::vector<bool> shown;
  for (int k = 0; k < chart.SeriesCount(); ++k) shown.push_back(!chart.SeriesHidden(k));
  const chart::Readout r = chart::ReadoutAt(chart, index_, pos.x(), pos.y(), shown);
  if (!r.valid) return lines;
  lines.push_back(graph::XValueText(r.x, TimeOnX(chart)));
  for (const chart::ReadoutValue& v : r.values) {
    std::string value;
    if (v.plotted) {
      value = graph::SeriesValueText(chart, v.pair, v.y);
      const std::string& unit = chart.Series(v.pair).unit;
      if (!unit.empty()) value += " " + unit;
    } else {
      // A reading left out of the picture: its mark, else not available.
      value = v.index >= 0 && chart.MarkAt(v.pair, v.index) == chart::PointMark::OverRange
                  ? "OverRange"
                  : "N/A";
    }
    lines.push_back(graph::SeriesName(chart, v.pair) + ": " + value);
    pairs.push_back(v.pair);
  }
  return lines;
}

void CVantoraPCView::PaintReadout(QPainter& painter) {
  if (!readoutOn_ || !hover_ || placing_ || dragging_ || panning_) return;
  CVantoraPCDoc* doc = GetDocument();
  if (!doc) return;
  std::vector<int> pairs;
  const std::vector<std::string> lines = ReadoutFor(hoverAt_, pairs);
  if (lines.empty()) return;
  const chart::SRGraph& chart = doc->GetGraph();
  // The line runs down every display at the mouse's column.
  painter.setPen(QPen(QColor(80, 80, 80), 1, Qt::DashLine));
  for (int i = 0; const chart::SRGCompoundDisplay* d = chart.Display(i); ++i) {
    if (!d->xScale || d->plotArea.IsEmpty()) continue;
    if (hoverAt_.x() < d->plotArea.left || hoverAt_.x() >= d->plotArea.right) continue;
    painter.drawLine(hoverAt_.x(), d->plotArea.top, hoverAt_.x(), d->plotArea.bottom - 1);
  }
  // The box beside the mouse, inside the window.
  QFont font(ToQt(FaceName()));
  font.setPixelSize(12);
  painter.setFont(font);
  const QFontMetrics metrics(font);
  int width = 0;
  for (const std::string& line : lines)
    width = std::max(width, metrics.horizontalAdvance(ToQt(line)));
  const int pad = 4, lineHeight = metrics.height();
  QRect box(0, 0, width + 2 * pad, static_cast<int>(lines.size()) * lineHeight + 2 * pad);
  QPoint at = hoverAt_ + QPoint(16, 16);
  if (at.x() + box.width() > this->width()) at.setX(hoverAt_.x() - 16 - box.width());
  if (at.y() + box.height() > height()) at.setY(height() - box.height());
  at.setX(std::clamp(at.x(), 0, std::max(0, this->width() - box.width())));
  at.setY(std::clamp(at.y(), 0, std::max(0, height() - box.height())));
  box.moveTopLeft(at);
  painter.setPen(QColor(128, 128, 128));
  painter.setBrush(QColor(255, 255, 240));
  painter.drawRect(box.adjusted(0, 0, -1, -1));
  for (std::size_t i = 0; i < lines.size(); ++i) {
    QColor colour(Qt::black);
    if (i > 0 && i - 1 < pairs.size()) {
      colour = ToColor(chart::SeriesColour(pairs[i - 1]));
      // Light colours (yellow, cyan) darkened enough to read on the box.
      if (qGray(colour.rgb()) > 150) colour = colour.darker(170);
    }
    painter.setPen(colour);
    painter.drawText(QRect(box.left() + pad, box.top() + pad + static_cast<int>(i) * lineHeight,
                           width + 1, lineHeight),
                     Qt::AlignLeft | Qt::AlignVCenter, ToQt(lines[i]));
  }
}

void CVantoraPCView::resizeEvent(QResizeEvent*) { pictureValid_ = false; }

// ---------------------------------------------------------------- mouse

void CVantoraPCView::mousePressEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (placing_) {
    if (event->button() == Qt::LeftButton) {
      feedback_ = true;
      feedbackAt_ = pos;
      update();
    }
    return;
  }
  CVantoraPCDoc* doc = GetDocument();
  if (!doc) return;
  EnsureRendered();
  chart::SRGraph& chart = doc->GetGraph();
  const bool pan = event->button() == Qt::MiddleButton ||
                   (event->button() == Qt::LeftButton && (event->modifiers() & Qt::ShiftModifier));
  if (pan) {
    panDisplay_ = chart::DisplayAt(chart, pos.x(), pos.y());
    if (panDisplay_ < 0) return;
    panning_ = true;
    panStart_ = pos;
    panState_ = chart::ZoomState(chart);
    steps_.EndBurst();
    setCursor(Qt::ClosedHandCursor);
    update();
    return;
  }
  if (event->button() != Qt::LeftButton) return;
  legendPress_ = chart::LegendKeyAt(chart, pos.x(), pos.y());
  if (chart::DisplayAt(chart, pos.x(), pos.y()) < 0) return;
  dragging_ = true;
  dragStart_ = pos;
  band_->setGeometry(QRect(pos, QSize()));
  band_->show();
  update();
}

void CVantoraPCView::mouseMoveEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (placing_) {
    feedback_ = true;
    feedbackAt_ = pos;
    update();
    return;
  }
  hover_ = true;
  hoverAt_ = pos;
  if (panning_) {
    CVantoraPCDoc* doc = GetDocument();
    if (!doc) return;
    chart::SRGraph& chart = doc->GetGraph();
    // From the ranges at the start of the drag, so the moves do not add up
    // rounding.
    chart::RestoreZoom(chart, panState_);
    chart::Pan(chart, panDisplay_, pos.x() - panStart_.x(), pos.y() - panStart_.y(),
               doc->Mode() == graph::kModeSingleY);
    Invalidate();
    return;
  }
  if (dragging_) band_->setGeometry(QRect(dragStart_, pos).normalized());
  if (readoutOn_) update();
}

void CVantoraPCView::leaveEvent(QEvent* event) {
  hover_ = false;
  if (readoutOn_) update();
  CView::leaveEvent(event);
}

void CVantoraPCView::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (placing_) {
    if (event->button() == Qt::LeftButton)
      EndPlacing(&pos);
    else if (event->button() == Qt::RightButton)
      EndPlacing(nullptr);
    return;
  }
  CVantoraPCDoc* doc = GetDocument();
  if (!doc) return;
  chart::SRGraph& chart = doc->GetGraph();
  if (panning_) {
    if (event->button() != Qt::MiddleButton && event->button() != Qt::LeftButton) return;
    panning_ = false;
    unsetCursor();
    const auto now = chart::ZoomState(chart);
    bool moved = false;
    for (std::size_t i = 0; i < now.size() && i < panState_.size(); ++i)
      moved = moved || now[i].xRange != panState_[i].xRange || now[i].yRange != panState_[i].yRange;
    if (moved) {
      // One pan is one step.
      steps_.Add(chart, panState_);
      Modified();
      RangesChanged();
    } else {
      update();
    }
    panState_.clear();
    return;
  }
  if (event->button() != Qt::LeftButton) return;
  if (dragging_) {
    dragging_ = false;
    band_->hide();
    auto state = chart::ZoomState(chart);
    const chart::ZoomKind kind = doc->Mode() == graph::kModeStrip ? chart::ZoomKind::DraggedDisplayY
                                                                  : chart::ZoomKind::AllDisplays;
    if (chart::ZoomToRect(chart, chart::Rect{dragStart_.x(), dragStart_.y(), pos.x(), pos.y()},
                          kind)) {
      steps_.Add(chart, state);
      Modified();
      RangesChanged();
      return;
    }
  }
  // A click on a legend entry shows or hides its series; any other click
  // changes nothing.
  EnsureRendered();
  const int key = chart::LegendKeyAt(chart, pos.x(), pos.y());
  const int pressed = legendPress_;
  legendPress_ = -1;
  if (key >= 0 && key == pressed && chart.SetSeriesHidden(key, !chart.SeriesHidden(key))) {
    Modified();
    RangesChanged();
    return;
  }
  update();
}

void CVantoraPCView::wheelEvent(QWheelEvent* event) {
  CVantoraPCDoc* doc = GetDocument();
  const double notches = event->angleDelta().y() / 120.0;
  if (!doc || placing_ || panning_ || dragging_ || notches == 0) {
    event->ignore();
    return;
  }
  EnsureRendered();
  chart::SRGraph& chart = doc->GetGraph();
  const QPointF pos = event->position();
  const int display = chart::DisplayAt(chart, static_cast<int>(pos.x()), static_cast<int>(pos.y()));
  if (display < 0) {
    event->ignore();
    return;
  }
  event->accept();
  const auto state = chart::ZoomState(chart);
  const bool y = event->modifiers() & Qt::ControlModifier;
  const double factor = chart::WheelFactor(notches);
  const bool changed = y ? chart::ZoomY(chart, display, pos.y(), factor)
                         : chart::ZoomX(chart, display, pos.x(), factor);
  if (!changed) return;
  steps_.Add(chart, state, y ? chart::ZoomSteps::Kind::WheelY : chart::ZoomSteps::Kind::WheelX,
             EventMs(event), y ? display : -1);
  hover_ = true;
  hoverAt_ = pos.toPoint();
  Modified();
  RangesChanged();
}

void CVantoraPCView::EndPlacing(const QPoint* at) {
  CVantoraPCDoc* doc = GetDocument();
  placing_ = false;
  feedback_ = false;
  if (doc && at && doc->Comments().Count() > 0) {
    const int w = std::max(1, width()), h = std::max(1, height());
    // Percentages of the window; a release outside it stays on its edge.
    const int x = std::clamp(100 * at->x() / w, 0, 100), y = std::clamp(100 * at->y() / h, 0, 100);
    doc->Comments().SetPosition(doc->Comments().LastIndex(), x, y);
  }
  Modified();
  ShowStatus();
}

// ---------------------------------------------------------------- tips

std::string CVantoraPCView::TipText(const QPoint& pos) {
  CVantoraPCDoc* doc = GetDocument();
  if (!doc || placing_) return std::string();
  EnsureRendered();
  const chart::SRGraph& chart = doc->GetGraph();
  chart::PointHit hit = chart::HitTest(chart, pos.x(), pos.y());
  if (!hit.hit) return std::string();
  const int k = hit.group / 2;
  auto pair = doc->Settings().AxisPair(k);
  if (pair.first < 0 || pair.second < 0) return std::string();
  auto text = [](int ref, double v) { return ref == 0 ? std::string("Time ") : Format("%g", v); };
  return Format("Plot %i\nX=%s\nY=%s", k + 1,
                text(pair.first, chart.Value(hit.index, hit.group)).c_str(),
                text(pair.second, chart.Value(hit.index, hit.group + 1)).c_str());
}

bool CVantoraPCView::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip && !readoutOn_) {
    auto* help = static_cast<QHelpEvent*>(event);
    const std::string tip = TipText(help->pos());
    if (tip.empty()) {
      QToolTip::hideText();
      event->ignore();
    } else {
      QToolTip::showText(help->globalPos(), ToQt(tip), this);
    }
    return true;
  }
  return CView::event(event);
}

// ---------------------------------------------------------------- commands

bool CVantoraPCView::QueryCommand(int id, bool& enabled, bool& checked) {
  CVantoraPCDoc* doc = GetDocument();
  switch (id) {
    case ID_EDIT_COPY:
    case ID_GRAPH_ADD_COMMENTS:
    case ID_GRAPH_REMOVE_COMMENTS:
    case ID_FILE_SAVE_DIB:
    case ID_FILE_SAVE_JPEG:
    case ID_FILE_PRINT:
    case ID_FILE_PRINT_DIRECT:
    case ID_FILE_PRINT_PREVIEW:
    case ID_GRAPH_PAGE_SETUP: enabled = doc != nullptr; return true;
    case ID_GRAPH_SCALE: enabled = doc && doc->Mode() == graph::kModeSingleY; return true;
    case ID_FILE_SAVE_SVG: enabled = doc != nullptr; return true;
    case ID_GRAPH_ZOOM_OUT: enabled = ZoomSteps() > 0; return true;
    case ID_GRAPH_FULL_VIEW: enabled = doc && chart::HasFixedRange(doc->GetGraph()); return true;
    case ID_GRAPH_READOUT:
      enabled = true;
      checked = readoutOn_;
      return true;
    case ID_GRAPH_VIEW_STATISTICS:
      enabled = doc != nullptr;
      checked = statistics_ != nullptr;
      return true;
    default: return false;
  }
}

bool CVantoraPCView::OnCommand(int id) {
  switch (id) {
    case ID_EDIT_COPY: CopyGraph(); return true;
    case ID_GRAPH_ADD_COMMENTS: AddComments(); return true;
    case ID_GRAPH_REMOVE_COMMENTS: RemoveComments(); return true;
    case ID_GRAPH_SCALE: EditScaling(); return true;
    case ID_GRAPH_ZOOM_OUT: ZoomOut(); return true;
    case ID_GRAPH_FULL_VIEW: FullView(); return true;
    case ID_GRAPH_READOUT: ToggleReadout(); return true;
    case ID_GRAPH_VIEW_STATISTICS: ViewStatistics(); return true;
    case ID_FILE_SAVE_DIB: SaveImage(false); return true;
    case ID_FILE_SAVE_JPEG: SaveImage(true); return true;
    case ID_FILE_SAVE_SVG: SaveSvg(); return true;
    case ID_FILE_PRINT: Print(false); return true;
    case ID_FILE_PRINT_DIRECT: Print(true); return true;
    case ID_FILE_PRINT_PREVIEW: PrintPreview(); return true;
    case ID_GRAPH_PAGE_SETUP: PageSetup(); return true;
    default: return false;
  }
}

void CVantoraPCView::CopyGraph() {
  QApplication::clipboard()->setImage(RenderImage(std::max(1, width()), std::max(1, height())));
  AfxMessageBox("Graph copied to clipboard.", MsgIcon::Information);
  update();
}

void CVantoraPCView::AddComments() {
  CVantoraPCDoc* doc = GetDocument();
  if (!doc) return;
  std::string text;
  int size = Profile::GetInt("Comment", "FontSize", 10);
  if (CommentHook()) {
    if (!CommentHook()(text, size)) return;
  } else {
    CNewCommentDlg dialog(size, AfxGetMainWnd());
    if (dialog.exec() != QDialog::Accepted) return;
    text = dialog.Text();
    size = dialog.Size();
  }
  size = size == 10 || size == 13 ? size : 16;
  Profile::WriteInt("Comment", "FontSize", size);
  doc->Comments().Append(text, 0, 0, size);
  placing_ = true;
  feedback_ = false;
  commentHeight_ = size;
  Modified();
  ShowStatus();
}

void CVantoraPCView::RemoveComments() {
  CVantoraPCDoc* doc = GetDocument();
  if (!doc) return;
  if (doc->Comments().Count() == 0) {
    Invalidate();
    return;
  }
  doc->Comments().Clear();
  Modified();
}

void CVantoraPCView::EditScaling() {
  CVantoraPCDoc* doc = GetDocument();
  if (!doc || doc->Mode() != graph::kModeSingleY) return;
  EnsureRendered();
  chart::SRGraph& chart = doc->GetGraph();
  chart::SRGCompoundDisplay* display = chart.Display(0);
  if (!display || !display->display) return;
  // Zoom Out returns to the state the dialog started from.
  steps_.Add(chart, chart::ZoomState(chart));
  chart::AxisRange x = chart::DrawnXRange(chart, 0), y = chart::DrawnYRange(chart, 0);
  auto pair = doc->Settings().AxisPair(0);
  bool ok = false;
  if (ScaleHook()) {
    ok = ScaleHook()(x, y);
  } else {
    CEditScalingDlg dialog(pair.first == 0, pair.second == 0, x, y, AfxGetMainWnd(),
                           display->xScale ? display->xScale->format : std::string(),
                           display->yScale ? display->yScale->format : std::string());
    ok = dialog.exec() == QDialog::Accepted;
    if (ok) {
      x = dialog.X();
      y = dialog.Y();
    }
  }
  if (ok && x.min < x.max && y.min < y.max) {
    x.fixed = y.fixed = true;
    display->display->xRange = x;
    display->display->yRange = y;
    Modified();
    RangesChanged();
  } else {
    Invalidate();
  }
}

int CVantoraPCView::ZoomSteps() const {
  CVantoraPCDoc* doc = GetDocument();
  return doc ? chart::ZoomStepCount(doc->GetGraph()) : 0;
}

void CVantoraPCView::ZoomOut() {
  CVantoraPCDoc* doc = GetDocument();
  if (!doc || !steps_.Back(doc->GetGraph())) return;
  Modified();
  RangesChanged();
}

void CVantoraPCView::FullView() {
  CVantoraPCDoc* doc = GetDocument();
  if (!doc) return;
  chart::SRGraph& chart = doc->GetGraph();
  const auto state = chart::ZoomState(chart);
  if (!chart::ReleaseRanges(chart)) return;
  steps_.Add(chart, state);
  Modified();
  RangesChanged();
}

void CVantoraPCView::ToggleReadout() {
  readoutOn_ = !readoutOn_;
  Profile::WriteInt("Graph", "Readout", readoutOn_ ? 1 : 0);
  if (readoutOn_) QToolTip::hideText();
  update();
}

CGraphStatisticsWnd* CVantoraPCView::StatisticsWindow() const { return statistics_; }

void CVantoraPCView::ViewStatistics() {
  CVantoraPCDoc* doc = GetDocument();
  if (!doc) return;
  if (!statistics_) {
    statistics_ = new CGraphStatisticsWnd(AfxGetMainWnd());
    statistics_->setWindowTitle(ToQt("View Statistics - " + doc->GetTitle()));
  }
  RangesChanged();
  statistics_->show();
  statistics_->raise();
}

bool CVantoraPCView::AskImagePath(const char* ext, const char* filter, std::string& path) {
  CVantoraPCDoc* doc = GetDocument();
  if (!doc) return false;
  FileDialogRequest request;
  request.save = true;
  request.refuseLocationNames = true;
  // The graph's own folder and name; the last images' folder for a graph
  // that has no folder yet.
  request.initialFile = doc->ProposedImagePath(ext);
  request.initialDir = SplitPath(request.initialFile).first;
  if (!doc->GetPathName().empty()) request.keepFiles.push_back(doc->GetPathName());
  request.defaultExt = ext;
  request.filter = filter;
  return AfxGetFileName(request, path);
}

void CVantoraPCView::ImageWritten(const std::string& path, bool ok, const std::string& error) {
  if (!ok) {
    ShowGraphSaveFailure(path, error);
    return;
  }
  Profile::WriteString("Directories", "Graphics", SplitPath(path).first);
}

void CVantoraPCView::SaveImage(bool jpeg) {
  std::string path;
  if (!AskImagePath(jpeg ? "jpg" : "dib",
                    jpeg ? "JPEG image files |*.jpg|" : "Device Independent Bitmap|*.dib|", path))
    return;
  QImage image = RenderImage(std::max(1, width()), std::max(1, height()));
  std::string error;
  bool ok =
      jpeg ? chart::WriteJpegFile(image, path, error) : chart::WriteDibFile(image, path, error);
  update();
  ImageWritten(path, ok, error);
}

void CVantoraPCView::SaveSvg() {
  std::string path;
  if (!AskImagePath("svg", "SVG drawings |*.svg|", path)) return;
  std::string error;
  const bool ok = graph::WriteGraphSvg(GetDocument()->Core(), path, std::max(1, width()),
                                       std::max(1, height()), FaceName(), error);
  // The chart was laid out for the drawing: the window's picture is redrawn.
  pictureValid_ = false;
  update();
  ImageWritten(path, ok, error);
}

void CVantoraPCView::PrintOn(QPrinter& printer) {
  CVantoraPCDoc* doc = GetDocument();
  if (!doc) return;
  QPainter painter;
  if (!painter.begin(&printer)) return;
  const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
  graph::RenderGraph(doc->Core(), painter, page.width(), page.height(), printer.resolution(),
                     FaceName());
  painter.end();
  pictureValid_ = false;
  update();
}

void CVantoraPCView::Print(bool direct) {
  QPrinter& printer = ThePrinter();
  printer.setFromTo(0, 0);
  if (!direct && !RunPrinterDialog(printer, kPrintDialog, 1)) return;
  PrintOn(printer);
}

void CVantoraPCView::PrintPreview() {
  QPrintPreviewDialog dialog(&ThePrinter(), AfxGetMainWnd());
  dialog.setWindowTitle(QStringLiteral("Print Preview"));
  QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, this,
                   [this](QPrinter* printer) { PrintOn(*printer); });
  RunPreviewDialog(dialog);
}

void CVantoraPCView::PageSetup() { RunPrinterDialog(ThePrinter(), kPageSetupDialog); }

}  // namespace vantora

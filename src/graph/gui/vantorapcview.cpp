#include "graph/gui/vantorapcview.h"

#include <QApplication>
#include <QClipboard>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QRubberBand>
#include <QToolTip>
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
#include "graph/gui/vantorapcdoc.h"
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

}  // namespace

void CVantoraPCView::SetCommentDialogHook(CommentDialogHook hook) {
  CommentHook() = std::move(hook);
}
void CVantoraPCView::SetScaleDialogHook(ScaleDialogHook hook) { ScaleHook() = std::move(hook); }

CVantoraPCView::CVantoraPCView() {
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  band_ = new QRubberBand(QRubberBand::Rectangle, this);
}

CVantoraPCView::~CVantoraPCView() = default;

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

void CVantoraPCView::OnUpdate(CView*) { Invalidate(); }

void CVantoraPCView::Modified() {
  if (CVantoraPCDoc* doc = GetDocument()) {
    doc->SetModifiedFlag(true);
    doc->UpdateAllViews(this);
  }
  Invalidate();
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
  if (event->button() != Qt::LeftButton || !GetDocument()) return;
  EnsureRendered();
  if (chart::DisplayAt(GetDocument()->GetGraph(), pos.x(), pos.y()) < 0) return;
  dragging_ = true;
  dragStart_ = pos;
  band_->setGeometry(QRect(pos, QSize()));
  band_->show();
}

void CVantoraPCView::mouseMoveEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (placing_) {
    feedback_ = true;
    feedbackAt_ = pos;
    update();
    return;
  }
  if (dragging_) band_->setGeometry(QRect(dragStart_, pos).normalized());
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
  if (event->button() != Qt::LeftButton) return;
  CVantoraPCDoc* doc = GetDocument();
  if (!doc) return;
  if (dragging_) {
    dragging_ = false;
    band_->hide();
    chart::SRGraph& chart = doc->GetGraph();
    const auto state = chart::ZoomState(chart);
    const chart::ZoomKind kind = doc->Mode() == graph::kModeStrip ? chart::ZoomKind::DraggedDisplayY
                                                                  : chart::ZoomKind::AllDisplays;
    if (chart::ZoomToRect(chart, chart::Rect{dragStart_.x(), dragStart_.y(), pos.x(), pos.y()},
                          kind))
      chart::PushZoomStep(chart, state);
  }
  // A click or drag in the chart counts as a change of the document.
  Modified();
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
  if (event->type() == QEvent::ToolTip) {
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
  chart::PushZoomStep(chart);
  chart::AxisRange x = chart::DrawnXRange(chart, 0), y = chart::DrawnYRange(chart, 0);
  auto pair = doc->Settings().AxisPair(0);
  bool ok = false;
  if (ScaleHook()) {
    ok = ScaleHook()(x, y);
  } else {
    CEditScalingDlg dialog(pair.first == 0, pair.second == 0, x, y, AfxGetMainWnd());
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
  if (!doc || !chart::PopZoomStep(doc->GetGraph())) return;
  Modified();
}

void CVantoraPCView::SaveImage(bool jpeg) {
  FileDialogRequest request;
  request.save = true;
  request.refuseLocationNames = true;
  request.initialDir = WithTrailingSeparator(Profile::GetString("Directories", "Graphics"));
  request.defaultExt = jpeg ? "jpg" : "dib";
  request.filter = jpeg ? "JPEG image files |*.jpg|" : "Device Independent Bitmap|*.dib|";
  std::string path;
  if (!AfxGetFileName(request, path)) return;
  QImage image = RenderImage(std::max(1, width()), std::max(1, height()));
  std::string error;
  bool ok =
      jpeg ? chart::WriteJpegFile(image, path, error) : chart::WriteDibFile(image, path, error);
  update();
  if (!ok) {
    AfxMessageBox("The graph could not be saved to " + path +
                      (error.empty() ? std::string(".") : ": " + error + "."),
                  MsgIcon::Exclamation);
    return;
  }
  Profile::WriteString("Directories", "Graphics", SplitPath(path).first);
}

void CVantoraPCView::SaveSvg() {
  CVantoraPCDoc* doc = GetDocument();
  if (!doc) return;
  FileDialogRequest request;
  request.save = true;
  request.refuseLocationNames = true;
  request.initialDir = WithTrailingSeparator(Profile::GetString("Directories", "Graphics"));
  request.defaultExt = "svg";
  request.filter = "SVG drawings |*.svg|";
  std::string path;
  if (!AfxGetFileName(request, path)) return;
  std::string error;
  const bool ok = graph::WriteGraphSvg(doc->Core(), path, std::max(1, width()),
                                       std::max(1, height()), FaceName(), error);
  // The chart was laid out for the drawing: the window's picture is redrawn.
  pictureValid_ = false;
  update();
  if (!ok) {
    AfxMessageBox("The graph could not be saved to " + path +
                      (error.empty() ? std::string(".") : ": " + error + "."),
                  MsgIcon::Exclamation);
    return;
  }
  Profile::WriteString("Directories", "Graphics", SplitPath(path).first);
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

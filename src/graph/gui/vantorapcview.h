// The graph window: draws its document's chart at the window's size, places
// comments with the mouse, zooms by dragging a rectangle or turning the
// wheel, pans, shows the values under the mouse (the readout, or the point
// tip), and carries Copy, the image files, printing, Scale and the view
// statistics.
#pragma once

#include <QImage>
#include <QPoint>
#include <QPointer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "chart/chartinteract.h"
#include "chart/seriesindex.h"
#include "chart/srgraph.h"
#include "common/gui/framework.h"

class QPrinter;
class QRubberBand;

namespace vantora {

class CVantoraPCDoc;
class CGraphStatisticsWnd;

class CVantoraPCView : public CView {
  Q_OBJECT
 public:
  CVantoraPCView();
  ~CVantoraPCView() override;
  const char* ClassName() const override { return "CVantoraPCView"; }

  CVantoraPCDoc* GetDocument() const;
  void OnInitialUpdate() override;
  void OnUpdate(CView* sender) override;
  QString StatusText() const override;
  bool OnCommand(int id) override;
  bool QueryCommand(int id, bool& enabled, bool& checked) override;

  // The commands.
  void CopyGraph();
  void AddComments();
  void RemoveComments();
  void EditScaling();
  void ZoomOut();
  void FullView();
  void ToggleReadout();
  void ViewStatistics();
  void SaveImage(bool jpeg);
  void SaveSvg();
  void Print(bool direct);
  void PrintPreview();
  void PageSetup();

  // The chart as the window shows it, at any size (images, clipboard).
  QImage RenderImage(int width, int height);
  // Draws the chart on a printer page, laid out for the page.
  void PrintOn(QPrinter& printer);
  // "Plot %i\nX=%s\nY=%s" for the point under `pos`, or empty.
  std::string TipText(const QPoint& pos);
  bool Placing() const { return placing_; }
  // Zoom steps kept in the chart (and so in the graph file).
  int ZoomSteps() const;
  // The readout's lines for the mouse at `pos` (the time or X value first,
  // then each shown series); empty outside the plot areas.
  std::vector<std::string> ReadoutLines(const QPoint& pos);
  bool ReadoutOn() const { return readoutOn_; }
  // The statistics window while it is open, else null.
  CGraphStatisticsWnd* StatisticsWindow() const;

  // Test hooks: the "New comment" dialog (text and size in, true for OK) and
  // the Edit Scaling dialog (the ranges shown in, true for OK).
  using CommentDialogHook = std::function<bool(std::string& text, int& size)>;
  static void SetCommentDialogHook(CommentDialogHook hook);
  using ScaleDialogHook = std::function<bool(chart::AxisRange& x, chart::AxisRange& y)>;
  static void SetScaleDialogHook(ScaleDialogHook hook);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void leaveEvent(QEvent* event) override;
  bool event(QEvent* event) override;

 private:
  // Draws the chart into the window's picture when it is out of date (which
  // also lays the chart out for the window again).
  void EnsureRendered();
  void Invalidate();
  std::string FaceName() const;
  // The file name for an image of the graph (Save As dialog); false: none.
  bool AskImagePath(const char* ext, const char* filter, std::string& path);
  // After an image was written: the failure said, or its folder remembered.
  void ImageWritten(const std::string& path, bool ok, const std::string& error);
  void EndPlacing(const QPoint* at);
  void Modified();
  // After any change of the ranges shown: the status bar and the statistics.
  void RangesChanged();
  void ShowStatus();
  void PaintReadout(QPainter& painter);
  // The readout's lines at `pos` and the series of each line after the first.
  std::vector<std::string> ReadoutFor(const QPoint& pos, std::vector<int>& pairs);

  QImage picture_;
  bool pictureValid_ = false;
  // Placing a comment: the comment follows the mouse over the chart drawn
  // without comments.
  bool placing_ = false;
  int commentHeight_ = 10;
  bool feedback_ = false;
  QPoint feedbackAt_;
  // Zooming: the rectangle being dragged (the steps to return through are
  // the chart's zoom history).
  QRubberBand* band_ = nullptr;
  QPoint dragStart_;
  bool dragging_ = false;
  int legendPress_ = -1;  // the legend entry the left button went down on
  chart::ZoomSteps steps_;
  // Panning: where the drag started, in which display, and the ranges then.
  bool panning_ = false;
  QPoint panStart_;
  int panDisplay_ = -1;
  std::vector<chart::SRGZoom> panState_;
  // The readout: on or off, and the mouse while it is over the window.
  bool readoutOn_ = true;
  bool hover_ = false;
  QPoint hoverAt_;
  mutable chart::SeriesIndex index_;  // of the chart's data, rebuilt when it changes
  QPointer<CGraphStatisticsWnd> statistics_;
};

}  // namespace vantora

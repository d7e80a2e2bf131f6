#include "location/print/qtreportcanvas.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPdfWriter>

#include "common/gui/qtstrings.h"
#include "common/logdata.h"
#include "common/pathutil.h"

namespace vantora {

QtReportCanvas::QtReportCanvas(QPainter& painter, const QString& faceName)
    : painter_(painter), font_(faceName), metrics_(font_, painter.device()) {
  font_.setWeight(QFont::Normal);
  font_.setStyleHint(QFont::SansSerif);
  painter_.setPen(Qt::black);
}

int QtReportCanvas::DpiY() const { return painter_.device()->logicalDpiY(); }

void QtReportCanvas::SetFontSize(int size) {
  font_.setPixelSize(size);
  painter_.setFont(font_);
  metrics_ = QFontMetrics(font_, painter_.device());
}

int QtReportCanvas::TextWidth(const std::string& line) {
  return metrics_.horizontalAdvance(ToQt(line));
}

int QtReportCanvas::LineHeight() { return metrics_.height(); }

void QtReportCanvas::DrawText(int x, int y, const std::string& line) {
  painter_.drawText(QPoint(x, y + metrics_.ascent()), ToQt(line));
}

void QtReportCanvas::DrawRule(int x1, int x2, int y, int thickness) {
  painter_.fillRect(QRect(x1, y, x2 - x1, thickness), Qt::black);
}

ReportRect DeviceRect(const QPaintDevice& device) {
  ReportRect rect;
  rect.right = device.width();
  rect.bottom = device.height();
  return rect;
}

bool PrintReport(CLogReport& report, QPagedPaintDevice& printer, const QString& faceName, int from,
                 int to) {
  QPainter painter;
  if (!painter.begin(&printer)) return false;
  QtReportCanvas canvas(painter, faceName);
  report.Prepare(canvas, DeviceRect(printer));
  from = std::max(from, 1);
  to = std::min(to, report.PageCount());
  for (int page = from; page <= to; ++page) {
    if (page > from) printer.newPage();
    report.PrintPage(canvas, page);
  }
  painter.end();
  return true;
}

bool WriteReportPdf(const CLogData& data, const std::string& pdfPath, const QString& faceName,
                    std::string& error, int* pages) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  int count = 0;
  {
    QPdfWriter writer(&buffer);
    writer.setCreator(QStringLiteral("VantoraPC"));
    writer.setTitle(ToQt(data.path));
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter));
    CLogReport report(&data);
    if (!PrintReport(report, writer, faceName)) {
      error = "cannot render the report";
      return false;
    }
    count = report.PageCount();
  }
  buffer.close();
  const QByteArray& bytes = buffer.data();
  int err = 0;
  if (!WriteFilePieces(
          pdfPath, {std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()))},
          &err)) {
    error = "cannot write " + WriteFailureLine(pdfPath, err);
    return false;
  }
  if (pages) *pages = count;
  return true;
}

}  // namespace vantora

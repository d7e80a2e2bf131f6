// The report canvas on a QPainter: printers, PDF writers and preview pages.
#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QString>

#include "location/logreport.h"

namespace vantora {

class CLogData;

class QtReportCanvas : public ReportCanvas {
 public:
  // `faceName`: the display font's face name ("Arial" unless changed).
  QtReportCanvas(QPainter& painter, const QString& faceName);

  int DpiY() const override;
  void SetFontSize(int size) override;
  int TextWidth(const std::string& line) override;
  int LineHeight() override;
  void DrawText(int x, int y, const std::string& line) override;
  void DrawRule(int x1, int x2, int y, int thickness) override;

 private:
  QPainter& painter_;
  QFont font_;
  QFontMetrics metrics_;
};

// The printable area of a paint device: (0, 0, width, height) in its pixels.
ReportRect DeviceRect(const QPaintDevice& device);

// Prepares `report` for `printer` and prints pages `from` to `to` (clamped to
// the report's pages), starting a new page between them. False when the
// painter could not be started on the device.
bool PrintReport(CLogReport& report, QPagedPaintDevice& printer, const QString& faceName,
                 int from = 1, int to = 1 << 30);

// Renders the whole report of `data` as an A4 PDF and writes it to `pdfPath`
// (beside, then moved over an existing file). Needs a QGuiApplication.
// `pages` (optional) receives the page count.
bool WriteReportPdf(const CLogData& data, const std::string& pdfPath, const QString& faceName,
                    std::string& error, int* pages = nullptr);

}  // namespace vantora

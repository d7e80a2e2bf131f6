#include "location/gui/noteicons.h"

#include <QPainter>
#include <QPainterPath>

namespace vantora {

namespace {

void Page(QPainter& p, const QColor& fill) {
  p.setPen(QColor(70, 70, 70));
  p.setBrush(fill);
  QPolygon page;
  page << QPoint(3, 1) << QPoint(10, 1) << QPoint(13, 4) << QPoint(13, 14) << QPoint(3, 14);
  p.drawPolygon(page);
  p.drawLine(10, 1, 10, 4);
  p.drawLine(10, 4, 13, 4);
}

void Lines(QPainter& p, const QColor& colour, int from, int to) {
  p.setPen(colour);
  for (int y = from; y <= to; y += 2) p.drawLine(5, y, 11, y);
}

}  // namespace

QPixmap MakeNoteIcon(int bitmap) {
  QPixmap pm(16, 16);
  pm.fill(QColor(0, 255, 0));
  QPainter p(&pm);
  switch (bitmap) {
    case 135:  // text note
      Page(p, Qt::white);
      Lines(p, QColor(40, 40, 160), 6, 12);
      break;
    case 162:  // calibration
      p.setPen(QColor(60, 60, 60));
      p.setBrush(QColor(250, 250, 220));
      p.drawEllipse(1, 2, 13, 13);
      p.setPen(QPen(QColor(200, 0, 0), 2));
      p.drawLine(8, 9, 11, 5);
      p.setPen(QColor(60, 60, 60));
      p.drawLine(4, 9, 5, 9);
      p.drawLine(8, 4, 8, 5);
      break;
    case 163:  // templates
      Page(p, QColor(220, 235, 255));
      p.setPen(QColor(0, 0, 128));
      p.drawLine(5, 6, 11, 6);
      p.drawLine(8, 6, 8, 12);
      break;
    case 136: {  // audio
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(40, 40, 40));
      QPolygon speaker;
      speaker << QPoint(2, 6) << QPoint(5, 6) << QPoint(9, 2) << QPoint(9, 14) << QPoint(5, 10)
              << QPoint(2, 10);
      p.drawPolygon(speaker);
      p.setPen(QColor(0, 0, 200));
      p.setBrush(Qt::NoBrush);
      p.drawArc(8, 4, 6, 8, -60 * 16, 120 * 16);
      p.drawArc(8, 2, 8, 12, -60 * 16, 120 * 16);
      break;
    }
    case 137:  // drawing
      p.setPen(QColor(70, 70, 70));
      p.setBrush(Qt::white);
      p.drawRect(1, 2, 13, 11);
      p.setPen(QPen(QColor(200, 0, 0), 1));
      p.drawLine(3, 11, 7, 5);
      p.drawLine(7, 5, 12, 10);
      p.setPen(QColor(0, 0, 200));
      p.drawEllipse(9, 4, 3, 3);
      break;
    case 127:  // statistics
      p.setPen(QColor(60, 60, 60));
      p.setBrush(Qt::white);
      p.drawRect(1, 1, 13, 13);
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(200, 0, 0));
      p.drawRect(3, 8, 2, 5);
      p.setBrush(QColor(0, 128, 0));
      p.drawRect(7, 4, 2, 9);
      p.setBrush(QColor(0, 0, 200));
      p.drawRect(11, 6, 2, 7);
      break;
    case 140:  // results
      Page(p, QColor(255, 250, 225));
      p.setPen(QPen(QColor(0, 140, 0), 2));
      p.drawLine(5, 9, 7, 11);
      p.drawLine(7, 11, 11, 6);
      break;
    case 205:  // events
      p.setPen(QColor(60, 60, 60));
      p.setBrush(QColor(255, 255, 255));
      p.drawEllipse(1, 1, 13, 13);
      p.setPen(QColor(0, 0, 0));
      p.drawLine(8, 8, 8, 4);
      p.drawLine(8, 8, 11, 9);
      p.setPen(QColor(200, 0, 0));
      p.drawPoint(8, 8);
      break;
    case 203:  // custom note
      Page(p, QColor(255, 255, 190));
      p.setPen(QPen(QColor(90, 90, 90), 1));
      p.setBrush(Qt::NoBrush);
      p.drawRoundedRect(6, 3, 4, 10, 2, 2);
      p.drawLine(8, 5, 8, 11);
      break;
    case 165:  // photo
      p.setPen(QColor(40, 40, 40));
      p.setBrush(QColor(90, 90, 100));
      p.drawRect(1, 4, 13, 9);
      p.drawRect(4, 2, 5, 2);
      p.setBrush(QColor(170, 200, 255));
      p.drawEllipse(5, 6, 6, 6);
      break;
    case 167:  // locked (audit)
      p.setPen(QPen(QColor(80, 80, 80), 2));
      p.setBrush(Qt::NoBrush);
      p.drawArc(4, 1, 8, 10, 0, 180 * 16);
      p.drawLine(4, 6, 4, 8);
      p.drawLine(12, 6, 12, 8);
      p.setPen(QColor(120, 90, 0));
      p.setBrush(QColor(230, 180, 30));
      p.drawRect(2, 7, 12, 8);
      p.setPen(QColor(60, 40, 0));
      p.drawLine(8, 10, 8, 12);
      break;
    default:
      p.setPen(Qt::black);
      p.drawRect(2, 2, 11, 11);
      break;
  }
  return pm;
}

}  // namespace vantora

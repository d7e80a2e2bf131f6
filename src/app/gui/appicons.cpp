#include "app/gui/appicons.h"

#include <QPainter>
#include <QPainterPath>

#include "common/gui/commandids.h"

namespace vantora {

namespace {

void Sheet(QPainter& p, const QRectF& r, const QColor& fill) {
  p.setPen(QPen(QColor(70, 70, 70), 1));
  p.setBrush(fill);
  p.drawRect(r);
}

QPixmap Draw(int id, int size) {
  QPixmap pm(size, size);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing, true);
  p.scale(size / 16.0, size / 16.0);
  switch (id) {
    case ID_FILE_OPEN: {
      p.setPen(QPen(QColor(150, 110, 20), 1));
      p.setBrush(QColor(235, 190, 70));
      p.drawRect(QRectF(1.5, 4.5, 11, 9));
      p.setBrush(QColor(255, 222, 120));
      QPolygonF front;
      front << QPointF(1.5, 13.5) << QPointF(4.5, 7.5) << QPointF(15.5, 7.5) << QPointF(12.5, 13.5);
      p.drawPolygon(front);
      p.setPen(QPen(QColor(0, 100, 0), 1.5));
      p.drawLine(QPointF(10, 1.5), QPointF(13, 4));
      p.drawLine(QPointF(13, 4), QPointF(10, 6));
      break;
    }
    case ID_EDIT_COPY:
      Sheet(p, QRectF(1.5, 1.5, 8, 10), Qt::white);
      Sheet(p, QRectF(6.5, 4.5, 8, 10), QColor(235, 245, 255));
      p.setPen(QColor(40, 40, 160));
      for (int y = 7; y <= 12; y += 2) p.drawLine(QPointF(8, y + 0.5), QPointF(13, y + 0.5));
      break;
    case ID_FILE_PRINT:
      p.setPen(QPen(QColor(60, 60, 60), 1));
      p.setBrush(Qt::white);
      p.drawRect(QRectF(4.5, 1.5, 7, 5));
      p.setBrush(QColor(170, 170, 180));
      p.drawRoundedRect(QRectF(1.5, 6.5, 13, 6), 1.5, 1.5);
      p.setBrush(Qt::white);
      p.drawRect(QRectF(4.5, 10.5, 7, 4));
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(0, 200, 0));
      p.drawEllipse(QRectF(11.5, 8, 1.6, 1.6));
      break;
    case ID_FILE_NOTEBOOK:
      p.setPen(QPen(QColor(80, 40, 0), 1));
      p.setBrush(QColor(170, 90, 40));
      p.drawRect(QRectF(2.5, 1.5, 11, 13));
      p.setBrush(QColor(255, 250, 230));
      p.drawRect(QRectF(5.5, 3.5, 7, 9));
      p.setPen(QColor(80, 40, 0));
      for (int y = 3; y <= 13; y += 3) p.drawLine(QPointF(1.5, y + 0.5), QPointF(4, y + 0.5));
      break;
    case ID_VIEW_STATISTICS:
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(200, 0, 0));
      p.drawRect(QRectF(2, 8, 3, 6));
      p.setBrush(QColor(0, 128, 0));
      p.drawRect(QRectF(6.5, 3, 3, 11));
      p.setBrush(QColor(0, 0, 200));
      p.drawRect(QRectF(11, 6, 3, 8));
      p.setPen(QPen(QColor(60, 60, 60), 1));
      p.drawLine(QPointF(1, 14.5), QPointF(15, 14.5));
      break;
    case ID_GRAPH_CREATE: {
      p.setPen(QPen(QColor(60, 60, 60), 1));
      p.drawLine(QPointF(1.5, 1), QPointF(1.5, 14.5));
      p.drawLine(QPointF(1.5, 14.5), QPointF(15, 14.5));
      p.setPen(QPen(QColor(0, 128, 128), 1.8));
      QPainterPath path;
      path.moveTo(2, 12);
      path.cubicTo(5, 2, 8, 13, 11, 6);
      path.lineTo(15, 3);
      p.drawPath(path);
      break;
    }
    case ID_FILE_TRANSFER: {
      p.setPen(QPen(QColor(0, 70, 80), 1));
      p.setBrush(QColor(0, 140, 150));
      p.drawRoundedRect(QRectF(1.5, 3.5, 6, 10), 1.5, 1.5);
      p.setBrush(QColor(200, 200, 210));
      p.drawRect(QRectF(10.5, 5.5, 5, 6));
      p.setPen(QPen(QColor(200, 0, 0), 1.5));
      p.drawLine(QPointF(7.5, 8.5), QPointF(10, 8.5));
      p.drawLine(QPointF(8.5, 7), QPointF(10, 8.5));
      p.drawLine(QPointF(8.5, 10), QPointF(10, 8.5));
      break;
    }
    case ID_HELP_VANTORAPC:
    case ID_APP_ABOUT: {
      QColor fill = id == ID_APP_ABOUT ? QColor(0, 110, 120) : QColor(30, 90, 200);
      p.setPen(Qt::NoPen);
      p.setBrush(fill);
      p.drawEllipse(QRectF(1, 1, 14, 14));
      QFont f("Arial");
      f.setPixelSize(12);
      f.setBold(true);
      p.setFont(f);
      p.setPen(Qt::white);
      p.drawText(QRectF(1, 1, 14, 14), Qt::AlignCenter, id == ID_APP_ABOUT ? "i" : "?");
      break;
    }
    default: break;
  }
  return pm;
}

}  // namespace

QIcon ToolBarIcon(int commandId) {
  QIcon icon;
  icon.addPixmap(Draw(commandId, 16));
  icon.addPixmap(Draw(commandId, 32));
  return icon;
}

}  // namespace vantora

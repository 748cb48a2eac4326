#include "standalone/qt/pictures.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace ridirodev::qt {

namespace {

// Drawn on a 16-unit grid and scaled to the picture's side.
void Folder(QPainter& p, bool open, bool grey) {
  const QColor body = grey ? QColor(170, 170, 170) : QColor(232, 184, 74);
  const QColor edge = grey ? QColor(120, 120, 120) : QColor(160, 112, 20);
  p.setPen(QPen(edge, 0.8));
  p.setBrush(body.darker(110));
  QPainterPath back;
  back.moveTo(1.5, 3.5);
  back.lineTo(6, 3.5);
  back.lineTo(7.5, 5);
  back.lineTo(14.5, 5);
  back.lineTo(14.5, 13.5);
  back.lineTo(1.5, 13.5);
  back.closeSubpath();
  p.drawPath(back);
  p.setBrush(body);
  if (open) {
    p.drawPolygon(QPolygonF({QPointF(3.5, 7), QPointF(15.5, 7), QPointF(13.5, 13.5), QPointF(1.5, 13.5)}));
  } else {
    p.drawRect(QRectF(1.5, 6.5, 13, 7));
  }
}

void FieldIcon(QPainter& p) {
  p.setPen(QPen(QColor(40, 80, 150), 0.8));
  p.setBrush(QColor(120, 170, 230));
  p.drawRoundedRect(QRectF(2.5, 1.5, 11, 13), 1.5, 1.5);
  p.setPen(QPen(Qt::white, 1.2));
  for (double y : {5.0, 8.0, 11.0}) p.drawLine(QPointF(4.5, y), QPointF(11.5, y));
}

void FieldKey(QPainter& p) {
  p.setPen(QPen(QColor(150, 110, 10), 1.0));
  p.setBrush(QColor(240, 200, 60));
  p.drawEllipse(QRectF(1.5, 4.5, 6, 6));
  p.drawRect(QRectF(7, 6.8, 7.5, 1.6));
  p.drawRect(QRectF(11, 8.2, 1.4, 2.4));
  p.drawRect(QRectF(13.2, 8.2, 1.4, 3.2));
  p.setBrush(Qt::white);
  p.drawEllipse(QRectF(3.5, 6.5, 2, 2));
}

void Down(QPainter& p) {
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(60, 60, 60));
  p.drawPolygon(QPolygonF({QPointF(3, 5), QPointF(13, 5), QPointF(8, 11)}));
}

void Count(QPainter& p) {
  p.setPen(QPen(QColor(60, 60, 60), 1.4));
  p.drawLine(QPointF(6, 2), QPointF(5, 14));
  p.drawLine(QPointF(11, 2), QPointF(10, 14));
  p.drawLine(QPointF(2, 6), QPointF(14, 6));
  p.drawLine(QPointF(2, 10.5), QPointF(14, 10.5));
}

void XReport(QPainter& p) {
  p.setPen(QPen(QColor(90, 90, 90), 0.8));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(3.5, 1.5, 9, 13));
  p.setPen(QPen(QColor(200, 30, 30), 1.8));
  p.drawLine(QPointF(5, 4), QPointF(11, 12));
  p.drawLine(QPointF(11, 4), QPointF(5, 12));
}

}  // namespace

QPixmap DrawPicture(std::string_view key, int size) {
  QPixmap picture(size, size);
  picture.fill(Qt::transparent);
  QPainter p(&picture);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 16.0, size / 16.0);
  if (key == "Closed" || key == "XClosed") {
    Folder(p, false, key.front() == 'X');
  } else if (key == "Open" || key == "XOpen") {
    Folder(p, true, key.front() == 'X');
  } else if (key == "FieldIcon") {
    FieldIcon(p);
  } else if (key == "FieldKey") {
    FieldKey(p);
  } else if (key == "Down") {
    Down(p);
  } else if (key == "Count") {
    Count(p);
  } else if (key == "XReport") {
    XReport(p);
  }
  return picture;
}

}  // namespace ridirodev::qt

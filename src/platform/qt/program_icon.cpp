#include "platform/qt/program_icon.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace ptpdiag {
namespace {

const QColor kMast(64, 64, 72);
const QColor kWave(32, 96, 224);
const QColor kLight(224, 32, 32);

// The lattice mast: two legs from the top to the ground and cross braces.
void DrawMast(QPainter& painter, qreal s, qreal pen) {
  painter.setPen(QPen(kMast, pen, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  const QPointF top(s / 2, s * 0.28);
  const QPointF left(s * 0.3, s * 0.94);
  const QPointF right(s * 0.7, s * 0.94);
  painter.drawLine(top, left);
  painter.drawLine(top, right);
  painter.drawLine(left, right);
  const QPointF midLeft = (top + left) / 2;
  const QPointF midRight = (top + right) / 2;
  painter.drawLine(midLeft, midRight);
  painter.drawLine(midLeft, right);
  painter.drawLine(midRight, left);
}

// Waves leave the mast head either side, `count` arcs each.
void DrawWaves(QPainter& painter, qreal s, qreal pen, int count) {
  painter.setPen(QPen(kWave, pen, Qt::SolidLine, Qt::RoundCap));
  const QPointF head(s / 2, s * 0.24);
  for (int i = 1; i <= count; ++i) {
    const qreal r = s * (0.08 + 0.13 * i);
    const QRectF box(head.x() - r, head.y() - r, 2 * r, 2 * r);
    painter.drawArc(box, -45 * 16, 90 * 16);  // right
    painter.drawArc(box, 135 * 16, 90 * 16);  // left
  }
}

QPixmap DrawIcon(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  const qreal s = size;
  const qreal pen = size >= 32 ? 2.0 : 1.2;
  DrawMast(painter, s, pen);
  DrawWaves(painter, s, pen, size >= 32 ? 2 : 1);
  painter.setPen(Qt::NoPen);
  painter.setBrush(kLight);
  const qreal r = size >= 32 ? 2.5 : 1.6;
  painter.drawEllipse(QPointF(s / 2, s * 0.24), r, r);
  painter.end();
  return QPixmap::fromImage(image);
}

}  // namespace

QIcon ProgramIcon() {
  QIcon icon;
  icon.addPixmap(DrawIcon(32));
  icon.addPixmap(DrawIcon(16));
  return icon;
}

}  // namespace ptpdiag

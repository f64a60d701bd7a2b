#include "platform/qt/program_icon.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <cstdint>
#include <vector>

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

}  // namespace

QImage DrawProgramIcon(int size) {
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
  return image.convertToFormat(QImage::Format_ARGB32);
}

QIcon ProgramIcon() {
  QIcon icon;
  icon.addPixmap(QPixmap::fromImage(DrawProgramIcon(32)));
  icon.addPixmap(QPixmap::fromImage(DrawProgramIcon(16)));
  return icon;
}

namespace {

// `bytes` from 1 to 4.
void PutLittleEndian(std::string& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) {
    out += static_cast<char>((value >> (8 * i)) & 0xFF);
  }
}

// One icon image as a DIB: a header of twice the height (colour and mask),
// the BGRA rows from the bottom, then the 1-bit transparency mask.
std::string IconDib(const QImage& image) {
  const int size = image.width();
  const int maskRowBytes = ((size + 31) / 32) * 4;
  std::string dib;
  PutLittleEndian(dib, 40, 4);
  PutLittleEndian(dib, static_cast<std::uint32_t>(size), 4);
  PutLittleEndian(dib, static_cast<std::uint32_t>(2 * size), 4);
  PutLittleEndian(dib, 1, 2);   // planes
  PutLittleEndian(dib, 32, 2);  // bits per pixel
  PutLittleEndian(dib, 0, 4);   // no compression
  PutLittleEndian(dib, static_cast<std::uint32_t>(size * size * 4 + size * maskRowBytes), 4);
  dib.append(16, '\0');  // resolution and palette: none
  for (int y = size - 1; y >= 0; --y) {
    for (int x = 0; x < size; ++x) {
      PutLittleEndian(dib, static_cast<std::uint32_t>(image.pixel(x, y)), 4);  // BGRA in memory
    }
  }
  for (int y = size - 1; y >= 0; --y) {
    std::string row(static_cast<std::size_t>(maskRowBytes), '\0');
    for (int x = 0; x < size; ++x) {
      if (qAlpha(image.pixel(x, y)) == 0)
        row[static_cast<std::size_t>(x / 8)] |= static_cast<char>(0x80 >> (x % 8));
    }
    dib += row;
  }
  return dib;
}

}  // namespace

std::string ProgramIconIcoFile() {
  constexpr int kSizes[] = {16, 32, 48};
  std::vector<std::string> images;
  for (const int size : kSizes)
    images.push_back(IconDib(DrawProgramIcon(size)));
  std::string ico;
  PutLittleEndian(ico, 0, 2);  // reserved
  PutLittleEndian(ico, 1, 2);  // an icon
  PutLittleEndian(ico, static_cast<std::uint32_t>(images.size()), 2);
  std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * images.size());
  for (std::size_t i = 0; i < images.size(); ++i) {
    ico += static_cast<char>(kSizes[i]);
    ico += static_cast<char>(kSizes[i]);
    ico += '\0';  // no palette
    ico += '\0';
    PutLittleEndian(ico, 1, 2);   // planes
    PutLittleEndian(ico, 32, 2);  // bits per pixel
    PutLittleEndian(ico, static_cast<std::uint32_t>(images[i].size()), 4);
    PutLittleEndian(ico, offset, 4);
    offset += static_cast<std::uint32_t>(images[i].size());
  }
  for (const std::string& image : images)
    ico += image;
  return ico;
}

}  // namespace ptpdiag

#include "platform/qt/program_icon.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <cstdint>
#include <vector>

#include "resources/program_icon_drawing.h"

namespace ptpdiag {
namespace {

QColor ToQColor(IconColour c) {
  return QColor(c.R, c.G, c.B);
}

QPointF ToQPoint(IconPoint p) {
  return QPointF(p.X, p.Y);
}

}  // namespace

QImage DrawProgramIcon(int size) {
  const ProgramIconDrawing d = ProgramIconAt(size);
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(ToQColor(d.MastColour), d.Pen, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  for (const IconLine& line : d.Mast) painter.drawLine(ToQPoint(line.From), ToQPoint(line.To));
  painter.setPen(QPen(ToQColor(d.WaveColour), d.Pen, Qt::SolidLine, Qt::RoundCap));
  for (const IconArc& arc : d.Waves) {
    const qreal r = arc.Radius;
    const QRectF box(arc.Centre.X - r, arc.Centre.Y - r, 2 * r, 2 * r);
    painter.drawArc(box, qRound(arc.StartDegrees * 16), qRound(arc.SpanDegrees * 16));
  }
  painter.setPen(Qt::NoPen);
  painter.setBrush(ToQColor(d.LightColour));
  painter.drawEllipse(ToQPoint(d.Light), d.LightRadius, d.LightRadius);
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

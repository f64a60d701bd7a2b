#include "platform/qt/raster_canvas.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QPen>
#include <algorithm>

namespace ptpdiag {
namespace {

QColor ToQColor(Rgb c) {
  return QColor(c.R, c.G, c.B);
}

QRect ToQRect(const Rect& r) {
  return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

}  // namespace

RasterCanvas::RasterCanvas(QImage* image) : image_(image) {
  font_.setFamily(QStringLiteral("DejaVu Sans Mono"));
  font_.setStyleHint(QFont::Monospace);
  font_.setPixelSize(16);
  font_.setBold(true);
  font_.setKerning(false);
  // Stretch the advance to exactly one cell so that a whole string can be
  // drawn at once and still land on the 10-pixel grid.
  const qreal advance = QFontMetricsF(font_).horizontalAdvance(QLatin1Char('0'));
  font_.setLetterSpacing(QFont::AbsoluteSpacing, kCellWidth - advance);
  const QFontMetrics metrics(font_);
  // Centre the font's height in the 18-pixel cell.
  const int spare = std::max(0, kCellHeight - metrics.height());
  baselineFromBottom_ = metrics.descent() + spare / 2;
}

RasterCanvas::~RasterCanvas() {
  Flush();
}

void RasterCanvas::SetImage(QImage* image) {
  Flush();
  image_ = image;
}

QPainter& RasterCanvas::Painter() {
  if (!painter_) {
    painter_ = std::make_unique<QPainter>(image_);
    painter_->setRenderHint(QPainter::Antialiasing, false);
    painter_->setRenderHint(QPainter::TextAntialiasing, true);
  }
  return *painter_;
}

void RasterCanvas::Flush() {
  painter_.reset();
}

void RasterCanvas::FillRect(const Rect& rect, Rgb colour) {
  if (rect.IsEmpty()) return;
  Painter().fillRect(ToQRect(rect), ToQColor(colour));
}

void RasterCanvas::Text(const Rect& clip, std::string_view text, Rgb colour, Rgb background) {
  if (text.empty() || clip.IsEmpty()) return;
  QPainter& p = Painter();
  p.save();
  p.setClipRect(ToQRect(clip));
  const int width = kCellWidth * static_cast<int>(text.size());
  p.fillRect(QRect(clip.left, clip.bottom - kCellHeight, width, kCellHeight), ToQColor(background));
  p.setFont(font_);
  p.setPen(ToQColor(colour));
  const int baseline = clip.bottom - baselineFromBottom_;
  p.drawText(QPoint(clip.left, baseline),
             QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
  p.restore();
}

void RasterCanvas::Line(Point from, Point to, Rgb colour) {
  if (from == to) return;  // the end point is excluded, so nothing is drawn
  QPainter& p = Painter();
  // A flat cap leaves the end point out, as the screens expect.
  p.setPen(QPen(ToQColor(colour), 0, Qt::SolidLine, Qt::FlatCap));
  p.drawLine(from.x, from.y, to.x, to.y);
}

void RasterCanvas::Rectangle(const Rect& rect, Rgb pen, Rgb brush) {
  if (rect.IsEmpty()) return;
  QPainter& p = Painter();
  p.fillRect(ToQRect(rect), ToQColor(brush));
  p.setPen(QPen(ToQColor(pen), 0, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
  p.setBrush(Qt::NoBrush);
  p.drawRect(QRect(rect.left, rect.top, rect.right - rect.left - 1, rect.bottom - rect.top - 1));
}

}  // namespace ptpdiag

#include "platform/qt/raster_canvas.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QPen>
#include <algorithm>
#include <cstdlib>
#include <utility>

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

QRegion RasterCanvas::TakeDrawn() {
  return std::exchange(drawn_, QRegion());
}

void RasterCanvas::Drawn(const QRect& area) {
  // Past a few dozen pieces (a whole screen drawn) one rectangle is cheaper.
  constexpr int kMostPieces = 32;
  // Most drawing of a whole screen lands inside what is already drawn.
  if (drawn_.rectCount() == 1 && drawn_.boundingRect().contains(area)) return;
  drawn_ += area;
  if (drawn_.rectCount() > kMostPieces) drawn_ = drawn_.boundingRect();
}

void RasterCanvas::FillRect(const Rect& rect, Rgb colour) {
  if (rect.IsEmpty()) return;
  Painter().fillRect(ToQRect(rect), ToQColor(colour));
  Drawn(ToQRect(rect));
}

// One call for many small cells (a waterfall row is a hundred): QPainter's
// fixed cost is paid once. Without a pen a rectangle covers exactly the
// pixels fillRect does.
void RasterCanvas::FillRects(std::span<const Rect> rects, Rgb colour) {
  if (rects.empty()) return;
  QList<QRect> shapes;
  shapes.reserve(static_cast<qsizetype>(rects.size()));
  Rect bounds = rects.front();
  for (const Rect& r : rects) {
    if (r.IsEmpty()) continue;
    shapes.push_back(ToQRect(r));
    bounds = Rect{std::min(bounds.left, r.left), std::min(bounds.top, r.top),
                  std::max(bounds.right, r.right), std::max(bounds.bottom, r.bottom)};
  }
  QPainter& p = Painter();
  p.save();
  p.setPen(Qt::NoPen);
  p.setBrush(ToQColor(colour));
  p.drawRects(shapes.constData(), static_cast<int>(shapes.size()));
  p.restore();
  Drawn(ToQRect(bounds));
}

void RasterCanvas::Text(const Rect& clip, std::string_view text, Rgb colour, Rgb background) {
  if (text.empty() || clip.IsEmpty()) return;
  QPainter& p = Painter();
  const int width = kCellWidth * static_cast<int>(text.size());
  const QRect cells(clip.left, clip.bottom - kCellHeight, width, kCellHeight);
  Drawn(cells & ToQRect(clip));
  p.save();
  p.setClipRect(ToQRect(clip));
  p.fillRect(cells, ToQColor(background));
  p.setFont(font_);
  p.setPen(ToQColor(colour));
  const int baseline = clip.bottom - baselineFromBottom_;
  p.drawText(QPoint(clip.left, baseline),
             QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
  p.restore();
}

bool RasterCanvas::Scaled() const {
  return image_->devicePixelRatio() > 1.0;
}

void RasterCanvas::Line(Point from, Point to, Rgb colour) {
  if (from == to) return;  // the end point is excluded, so nothing is drawn
  QPainter& p = Painter();
  Drawn(QRect(QPoint(std::min(from.x, to.x), std::min(from.y, to.y)),
              QPoint(std::max(from.x, to.x), std::max(from.y, to.y))));
  if (Scaled()) {
    ScaledLine(p, from, to, ToQColor(colour));
    return;
  }
  // A flat cap leaves the end point out, as the screens expect.
  p.setPen(QPen(ToQColor(colour), 0, Qt::SolidLine, Qt::FlatCap));
  p.drawLine(from.x, from.y, to.x, to.y);
}

// At a device pixel ratio above 1 a line is one logical pixel wide, so it
// looks as it does at 1:1: straight lines cover exactly the pixels they
// cover there, scaled up; sloping ones run through the pixels' centres.
void RasterCanvas::ScaledLine(QPainter& p, Point from, Point to, const QColor& colour) {
  if (from.y == to.y) {
    const int left = from.x < to.x ? from.x : to.x + 1;
    p.fillRect(QRect(left, from.y, std::abs(to.x - from.x), 1), colour);
  } else if (from.x == to.x) {
    const int top = from.y < to.y ? from.y : to.y + 1;
    p.fillRect(QRect(from.x, top, 1, std::abs(to.y - from.y)), colour);
  } else {
    p.setPen(QPen(colour, 1.0, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(from.x + 0.5, from.y + 0.5), QPointF(to.x + 0.5, to.y + 0.5));
  }
}

void RasterCanvas::Rectangle(const Rect& rect, Rgb pen, Rgb brush) {
  if (rect.IsEmpty()) return;
  QPainter& p = Painter();
  Drawn(ToQRect(rect));
  p.fillRect(ToQRect(rect), ToQColor(brush));
  if (Scaled()) {
    const int w = rect.right - rect.left, h = rect.bottom - rect.top;
    const QColor edge = ToQColor(pen);
    p.fillRect(QRect(rect.left, rect.top, w, 1), edge);
    p.fillRect(QRect(rect.left, rect.bottom - 1, w, 1), edge);
    p.fillRect(QRect(rect.left, rect.top, 1, h), edge);
    p.fillRect(QRect(rect.right - 1, rect.top, 1, h), edge);
    return;
  }
  p.setPen(QPen(ToQColor(pen), 0, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
  p.setBrush(Qt::NoBrush);
  p.drawRect(QRect(rect.left, rect.top, rect.right - rect.left - 1, rect.bottom - rect.top - 1));
}

}  // namespace ptpdiag

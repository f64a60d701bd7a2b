// A canvas that paints into a QImage with the screen font: DejaVu Sans Mono
// Bold on a 10 x 18 pixel cell grid, one-pixel pens, no antialiasing. On an
// image with a device pixel ratio above 1 (a high-density screen, --scale)
// everything is drawn at that density in the same logical pixels: text at
// the larger size, lines a logical pixel wide.
#pragma once

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRegion>
#include <memory>

#include "platform/canvas.h"

namespace ptpdiag {

class RasterCanvas final : public Canvas {
 public:
  // Paints into `image` (not owned), which must outlive the canvas or be
  // replaced with SetImage.
  explicit RasterCanvas(QImage* image);
  ~RasterCanvas() override;

  void SetImage(QImage* image);

  void FillRect(const Rect& rect, Rgb colour) override;
  void FillRects(std::span<const Rect> rects, Rgb colour) override;
  void Text(const Rect& clip, std::string_view text, Rgb colour, Rgb background) override;
  void Line(Point from, Point to, Rgb colour) override;
  void Rectangle(const Rect& rect, Rgb pen, Rgb brush) override;
  void Flush() override;

  // The part of the image drawn on since the last call, in logical pixels;
  // empty when nothing was. The window shows only that much anew.
  QRegion TakeDrawn();

 private:
  void Drawn(const QRect& area);

  QPainter& Painter();
  bool Scaled() const;
  static void ScaledLine(QPainter& p, Point from, Point to, const QColor& colour);

  QImage* image_;
  QFont font_;
  int baselineFromBottom_;
  std::unique_ptr<QPainter> painter_;
  QRegion drawn_;
};

}  // namespace ptpdiag

// The drawing surface a backend provides. Calls are stateless: every colour
// is passed in; device-context state (pens, brushes, text colour, current
// position) is kept by the core's DeviceContext.
#pragma once

#include <span>
#include <string_view>

#include "platform/geometry.h"

namespace ptpdiag {

// Cell size of the screen font: every character advances this far.
inline constexpr int kCellWidth = 10;
inline constexpr int kCellHeight = 18;

class Canvas {
 public:
  virtual ~Canvas() = default;

  // Fills the rectangle (used for the white background erase).
  virtual void FillRect(const Rect& rect, Rgb colour) = 0;

  // Fills each rectangle with one colour; a backend may do it in one go.
  virtual void FillRects(std::span<const Rect> rects, Rgb colour) {
    for (const Rect& r : rects) FillRect(r, colour);
  }

  // One line of text, left edge at clip.left, bottom edge at clip.bottom,
  // each character an opaque cell of kCellWidth x kCellHeight with the
  // given background; everything is clipped to `clip`.
  virtual void Text(const Rect& clip, std::string_view text, Rgb colour, Rgb background) = 0;

  // A one-pixel line from `from` towards `to`, the end point excluded.
  virtual void Line(Point from, Point to, Rgb colour) = 0;

  // Outline with `pen` and interior filled with `brush`; covers the pixels
  // left..right-1 and top..bottom-1.
  virtual void Rectangle(const Rect& rect, Rgb pen, Rgb brush) = 0;

  // Whether drawing here is thrown away (nobody will see it), so that
  // costly pictures need not be made.
  virtual bool Discards() const { return false; }

  // Completes pending drawing so that the pixels can be read; called at the
  // end of every repaint and of every drawing outside one.
  virtual void Flush() {}
};

// Draws nothing; for runs where only the store matters.
class NullCanvas final : public Canvas {
 public:
  void FillRect(const Rect&, Rgb) override {}
  void Text(const Rect&, std::string_view, Rgb, Rgb) override {}
  void Line(Point, Point, Rgb) override {}
  void Rectangle(const Rect&, Rgb, Rgb) override {}
  bool Discards() const override { return true; }
};

}  // namespace ptpdiag

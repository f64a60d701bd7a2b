// Drawing with GDI on a memory bitmap: the window's backing image, and the
// pixels of PNG snapshots. The screen font is CreateFontA's bold fixed
// pitch face of 10 x 18 pixel cells.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "platform/canvas.h"
#include "platform/win32/windows_api.h"

namespace ptpdiag {

// A top-down 32-bit DIB section selected into its own memory DC.
class GdiImage {
 public:
  GdiImage(int width, int height);  // white
  ~GdiImage();
  GdiImage(const GdiImage&) = delete;
  GdiImage& operator=(const GdiImage&) = delete;

  // A new white image of another size; the DC stays the same.
  void Resize(int width, int height);
  HDC Dc() const { return dc_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  // Red, green, blue bytes of each pixel, rows from the top.
  std::vector<std::uint8_t> Rgb() const;

 private:
  void Make(int width, int height);

  HDC dc_;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ original_ = nullptr;
  void* bits_ = nullptr;
  int width_ = 0;
  int height_ = 0;
};

// Draws in logical pixels, `scale` device pixels each (a high-density
// screen, --scale): text at the larger size, each character in its own
// cell of the 10-pixel grid, lines a logical pixel wide.
class GdiCanvas final : public Canvas {
 public:
  // `dc` not owned. `face`, when given (not owned; tests: a face wider
  // than the cell), is drawn with instead of the screen font.
  explicit GdiCanvas(HDC dc, double scale = 1.0, HFONT face = nullptr);
  ~GdiCanvas() override;
  GdiCanvas(const GdiCanvas&) = delete;
  GdiCanvas& operator=(const GdiCanvas&) = delete;

  void FillRect(const Rect& rect, Rgb colour) override;
  void Text(const Rect& clip, std::string_view text, Rgb colour, Rgb background) override;
  void Line(Point from, Point to, Rgb colour) override;
  void Rectangle(const Rect& rect, Rgb pen, Rgb brush) override;
  void Flush() override;

  // Later drawing uses this density; the font is made anew for it.
  void SetScale(double scale);
  double Scale() const { return scale_; }

 private:
  HPEN Pen(Rgb colour);
  HBRUSH Brush(Rgb colour);
  int Device(int logical) const;
  RECT DeviceRect(const Rect& r) const;
  void ScaledLine(Point from, Point to, Rgb colour);

  HDC dc_;
  double scale_;
  HFONT font_;
  bool ownFont_;
  std::map<COLORREF, HPEN> pens_;
  std::map<COLORREF, HBRUSH> brushes_;
};

// The screen font exactly as the window has always made it: height 18,
// width 10, bold, ANSI, FF_MODERN | FIXED_PITCH, no face name; both sizes
// times `scale`.
HFONT CreateScreenFont(double scale = 1.0);

}  // namespace ptpdiag

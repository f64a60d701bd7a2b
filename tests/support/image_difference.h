// Pictures drawn by a rasteriser whose rounding follows the processor
// (Qt picks its blending code by the instructions the machine has) may
// differ by one step per channel from a picture made on another machine.
// These compare with that allowance and say where the largest gap is.
#pragma once

#include <QImage>
#include <string>
#include <string_view>

namespace ptpdiag {

// Differences this small are the rasteriser's rounding, not the drawing.
inline constexpr int kRasterTolerance = 1;

struct ImageDifference {
  bool SameSize = true;
  int Largest = 0;   // over every channel of every pixel, alpha included
  int X = 0, Y = 0;  // where it is; Y -1: X is a byte offset

  bool Within(int tolerance) const { return SameSize && Largest <= tolerance; }
  std::string Text() const;
};

// Both as 32-bit ARGB.
ImageDifference CompareImages(const QImage& a, const QImage& b);

// The same over two runs of bytes of equal length (pixel data); X is the
// byte offset of the largest gap. Different lengths are not the same size.
ImageDifference CompareBytes(std::string_view a, std::string_view b);

}  // namespace ptpdiag

#include "support/image_difference.h"

#include <cstdlib>

namespace ptpdiag {

std::string ImageDifference::Text() const {
  if (!SameSize) return "the sizes differ";
  const std::string where = Y < 0 ? "byte " + std::to_string(X)
                                  : "(" + std::to_string(X) + ", " + std::to_string(Y) + ")";
  return "largest difference " + std::to_string(Largest) + " at " + where;
}

ImageDifference CompareImages(const QImage& a, const QImage& b) {
  ImageDifference d;
  if (a.size() != b.size()) {
    d.SameSize = false;
    return d;
  }
  const QImage first = a.convertToFormat(QImage::Format_ARGB32);
  const QImage second = b.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < first.height(); ++y) {
    for (int x = 0; x < first.width(); ++x) {
      const QRgb p = first.pixel(x, y), q = second.pixel(x, y);
      for (const int gap : {std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                            std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))}) {
        if (gap > d.Largest) d = ImageDifference{true, gap, x, y};
      }
    }
  }
  return d;
}

ImageDifference CompareBytes(std::string_view a, std::string_view b) {
  ImageDifference d;
  if (a.size() != b.size()) {
    d.SameSize = false;
    return d;
  }
  for (std::size_t i = 0; i < a.size(); ++i) {
    const int gap = std::abs(static_cast<unsigned char>(a[i]) - static_cast<unsigned char>(b[i]));
    if (gap > d.Largest) d = ImageDifference{true, gap, static_cast<int>(i), -1};
  }
  return d;
}

}  // namespace ptpdiag

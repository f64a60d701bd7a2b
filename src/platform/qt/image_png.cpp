#include "platform/qt/image_png.h"

#include <cstdint>
#include <vector>

#include "platform/png_file.h"

namespace ptpdiag {

std::optional<std::string> WriteImagePng(const QImage& image, const std::string& path) {
  const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
  const int rowBytes = rgb.width() * 3;
  std::vector<std::uint8_t> pixels;
  pixels.reserve(static_cast<std::size_t>(rowBytes) * static_cast<std::size_t>(rgb.height()));
  for (int y = 0; y < rgb.height(); ++y) {
    const uchar* line = rgb.constScanLine(y);
    pixels.insert(pixels.end(), line, line + rowBytes);
  }
  return WritePngFile(path, rgb.width(), rgb.height(), pixels);
}

}  // namespace ptpdiag

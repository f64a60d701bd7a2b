// A photo for the report: a JPEG or PNG file, turned the way its camera
// says, scaled down to fit a square of the given side, and encoded again
// for embedding in a page: as JPEG, or a PNG as PNG where that is smaller
// (drawings and screenshots), so four camera photos keep a page under 3 MB.
#pragma once

#include <algorithm>
#include <cmath>
#include <string>
#include <variant>

namespace ptpdiag {

struct ScaledPhoto {
  std::string Mime;   // "image/jpeg" or "image/png"
  std::string Bytes;  // the encoded picture
  int Width = 0;
  int Height = 0;
};

inline constexpr int kMostPhotoSide = 1600;
inline constexpr int kPhotoJpegQuality = 70;  // percent
// A file larger than this is refused before it is decoded.
inline constexpr long long kMostPhotoFileBytes = 64LL * 1024 * 1024;

// The size that fits a square of `most`, keeping the shape, rounded the
// same way in every build.
inline void FitWithin(int& width, int& height, int most) {
  const int longer = std::max(width, height);
  if (longer <= most) return;
  width = std::max(1, static_cast<int>(std::lround(static_cast<double>(width) * most / longer)));
  height = std::max(1, static_cast<int>(std::lround(static_cast<double>(height) * most / longer)));
}

// The photo, or why it cannot be used (in words, without the file's name).
using PhotoResult = std::variant<ScaledPhoto, std::string>;

}  // namespace ptpdiag

// Pixel geometry and colours shared by the core and every backend.
#pragma once

#include <cstdint>

namespace ptpdiag {

// A colour as red, green, blue bytes.
struct Rgb {
  std::uint8_t R = 0;
  std::uint8_t G = 0;
  std::uint8_t B = 0;
  constexpr bool operator==(const Rgb&) const = default;
};

// A rectangle in client pixels; right and bottom lie just outside it.
struct Rect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
  constexpr bool operator==(const Rect&) const = default;
  constexpr std::int32_t Width() const { return right - left; }
  constexpr std::int32_t Height() const { return bottom - top; }
  constexpr bool IsEmpty() const { return right <= left || bottom <= top; }
};

constexpr Rect Intersect(const Rect& a, const Rect& b) {
  Rect r{a.left > b.left ? a.left : b.left, a.top > b.top ? a.top : b.top,
         a.right < b.right ? a.right : b.right, a.bottom < b.bottom ? a.bottom : b.bottom};
  return r;
}

struct Point {
  std::int32_t x = 0;
  std::int32_t y = 0;
  constexpr bool operator==(const Point&) const = default;
};

inline constexpr Rgb kWhite{255, 255, 255};
inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kLightGrey{192, 192, 192};

}  // namespace ptpdiag

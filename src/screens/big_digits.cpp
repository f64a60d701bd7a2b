#include "screens/big_digits.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace ptpdiag {
namespace {

// Segments a to g: top, upper right, lower right, bottom, lower left,
// upper left, middle.
constexpr std::array<std::uint8_t, 10> kDigitSegments{0x3F, 0x06, 0x5B, 0x4F, 0x66,
                                                      0x6D, 0x7D, 0x07, 0x7F, 0x6F};
constexpr std::uint8_t kMinus = 0x40;

int DigitWidth(int height) { return height * 11 / 20; }
int Thickness(int height) { return std::max(3, height / 9); }
int Gap(int height) { return std::max(2, height / 8); }

int CharWidth(char c, int height) {
  return c == '.' ? Thickness(height) + Gap(height) : DigitWidth(height) + Gap(height);
}

void AddSegments(std::vector<Rect>& bars, std::uint8_t segments, int left, int top, int height) {
  const int w = DigitWidth(height);
  const int t = Thickness(height);
  const int middle = top + (height - t) / 2;
  const int bottom = top + height - t;
  const Rect parts[7] = {
      {left, top, left + w, top + t},                       // a
      {left + w - t, top, left + w, middle + t},            // b
      {left + w - t, middle, left + w, top + height},       // c
      {left, bottom, left + w, top + height},               // d
      {left, middle, left + t, top + height},               // e
      {left, top, left + t, middle + t},                    // f
      {left, middle, left + w, middle + t},                 // g
  };
  for (int i = 0; i < 7; ++i)
    if (segments & (1U << i)) bars.push_back(parts[i]);
}

}  // namespace

int BigTextWidth(std::string_view text, int height) {
  int width = 0;
  for (const char c : text) width += CharWidth(c, height);
  return width;
}

int DrawBigText(DeviceContext& dc, std::string_view text, int left, int top, int height, Rgb colour) {
  std::vector<Rect> bars;
  int x = left;
  for (const char c : text) {
    if (c >= '0' && c <= '9') {
      AddSegments(bars, kDigitSegments[static_cast<std::size_t>(c - '0')], x, top, height);
    } else if (c == '-') {
      AddSegments(bars, kMinus, x, top, height);
    } else if (c == '.') {
      const int t = Thickness(height);
      bars.push_back(Rect{x, top + height - t, x + t, top + height});
    }
    x += CharWidth(c, height);
  }
  dc.FillRects(bars, colour);
  return x;
}

}  // namespace ptpdiag

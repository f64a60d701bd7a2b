// Device-context state over a backend canvas: text colour, the selected pen
// and brush, the raster operation and the current position. A context got
// for a repaint or a poll cycle starts with the defaults: black text on an
// opaque white background, black pen, white brush, copy-pen mode.
#pragma once

#include <string_view>

#include "platform/canvas.h"

namespace ptpdiag {

// A solid one-pixel pen.
struct Pen {
  Rgb Colour;
  constexpr bool operator==(const Pen&) const = default;
};

inline constexpr Rgb kStockWhiteBrush = kWhite;
inline constexpr Rgb kStockLightGreyBrush = kLightGrey;
inline constexpr Rgb kStockBlackBrush = kBlack;
inline constexpr Pen kStockBlackPen{kBlack};
#ifndef R2_COPYPEN  // the Windows headers' macro is the same number
inline constexpr int R2_COPYPEN = 13;
#endif

class DeviceContext {
 public:
  // Starts drawing on `canvas` with default state; nullptr detaches.
  void Attach(Canvas* canvas);
  void Release() { Attach(nullptr); }
  bool IsValid() const { return canvas_ != nullptr; }
  Canvas* GetCanvas() const { return canvas_; }
  // No canvas, or one that keeps nothing.
  bool Discards() const { return canvas_ == nullptr || canvas_->Discards(); }

  void SetTextColor(Rgb colour) { textColour_ = colour; }
  Rgb TextColor() const { return textColour_; }
  void SelectPen(const Pen& pen) { pen_ = pen; }
  void SelectBrush(Rgb brush) { brush_ = brush; }
  void SetROP2(int mode) { rop2_ = mode; }
  int ROP2() const { return rop2_; }

  // One line of text, left-aligned at rect.left, bottom on rect.bottom,
  // clipped to rect.
  void DrawText(std::string_view text, const Rect& rect);
  void MoveToEx(int x, int y) { position_ = Point{x, y}; }
  // Draws from the current position to (x, y), which becomes current.
  void LineTo(int x, int y);
  void Rectangle(int left, int top, int right, int bottom);
  // Fills with `colour`, leaving pen and brush as they are.
  void FillRect(const Rect& rect, Rgb colour);
  void FillRects(std::span<const Rect> rects, Rgb colour);

 private:
  Canvas* canvas_ = nullptr;
  Rgb textColour_ = kBlack;
  Pen pen_ = kStockBlackPen;
  Rgb brush_ = kStockWhiteBrush;
  int rop2_ = R2_COPYPEN;
  Point position_{};
};

}  // namespace ptpdiag

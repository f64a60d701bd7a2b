#include "state/device_context.h"

namespace ptpdiag {

void DeviceContext::Attach(Canvas* canvas) {
  canvas_ = canvas;
  textColour_ = kBlack;
  pen_ = kStockBlackPen;
  brush_ = kStockWhiteBrush;
  rop2_ = R2_COPYPEN;
  position_ = Point{};
}

void DeviceContext::DrawText(std::string_view text, const Rect& rect) {
  if (canvas_ == nullptr || text.empty()) return;
  canvas_->Text(rect, text, textColour_, kWhite);
}

void DeviceContext::LineTo(int x, int y) {
  const Point to{x, y};
  if (canvas_ != nullptr) canvas_->Line(position_, to, pen_.Colour);
  position_ = to;
}

void DeviceContext::Rectangle(int left, int top, int right, int bottom) {
  if (canvas_ == nullptr) return;
  canvas_->Rectangle(Rect{left, top, right, bottom}, pen_.Colour, brush_);
}

void DeviceContext::FillRect(const Rect& rect, Rgb colour) {
  if (canvas_ != nullptr) canvas_->FillRect(rect, colour);
}

void DeviceContext::FillRects(std::span<const Rect> rects, Rgb colour) {
  if (canvas_ != nullptr) canvas_->FillRects(rects, colour);
}

}  // namespace ptpdiag

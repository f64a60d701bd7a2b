// A canvas that records every drawing call, for tests and tools that check
// exactly what a repaint drew.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/canvas.h"

namespace ptpdiag {

struct DrawOp {
  enum class Kind { Fill, Text, Line, Rectangle };
  Kind kind = Kind::Fill;
  Rect rect{};         // Fill, Text (the clip rectangle), Rectangle
  std::string text;    // Text
  Rgb colour{};        // fill, text, line or pen colour
  Rgb background{};    // Text background, Rectangle brush
  Point from{}, to{};  // Line
};

class RecordingCanvas final : public Canvas {
 public:
  void FillRect(const Rect& rect, Rgb colour) override;
  void Text(const Rect& clip, std::string_view text, Rgb colour, Rgb background) override;
  void Line(Point from, Point to, Rgb colour) override;
  void Rectangle(const Rect& rect, Rgb pen, Rgb brush) override;

  const std::vector<DrawOp>& Ops() const { return ops_; }
  void Clear() { ops_.clear(); }
  // The recorded calls of one kind, in drawing order.
  std::vector<DrawOp> OfKind(DrawOp::Kind kind) const;
  // The recorded lines drawn in `colour`, in drawing order.
  std::vector<DrawOp> LinesIn(Rgb colour) const;
  // The first text call whose text equals `text`, or nullptr.
  const DrawOp* FindText(std::string_view text) const;
  // The first text call drawn with its bottom at `bottom` and its left edge
  // at `left`, or nullptr.
  const DrawOp* TextAt(int bottom, int left) const;

 private:
  std::vector<DrawOp> ops_;
};

}  // namespace ptpdiag

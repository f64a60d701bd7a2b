#include "platform/recording_canvas.h"

namespace ptpdiag {

void RecordingCanvas::FillRect(const Rect& rect, Rgb colour) {
  DrawOp op;
  op.kind = DrawOp::Kind::Fill;
  op.rect = rect;
  op.colour = colour;
  ops_.push_back(std::move(op));
}

void RecordingCanvas::Text(const Rect& clip, std::string_view text, Rgb colour, Rgb background) {
  DrawOp op;
  op.kind = DrawOp::Kind::Text;
  op.rect = clip;
  op.text.assign(text);
  op.colour = colour;
  op.background = background;
  ops_.push_back(std::move(op));
}

void RecordingCanvas::Line(Point from, Point to, Rgb colour) {
  DrawOp op;
  op.kind = DrawOp::Kind::Line;
  op.from = from;
  op.to = to;
  op.colour = colour;
  ops_.push_back(std::move(op));
}

void RecordingCanvas::Rectangle(const Rect& rect, Rgb pen, Rgb brush) {
  DrawOp op;
  op.kind = DrawOp::Kind::Rectangle;
  op.rect = rect;
  op.colour = pen;
  op.background = brush;
  ops_.push_back(std::move(op));
}

std::vector<DrawOp> RecordingCanvas::OfKind(DrawOp::Kind kind) const {
  std::vector<DrawOp> out;
  for (const DrawOp& op : ops_) {
    if (op.kind == kind) out.push_back(op);
  }
  return out;
}

std::vector<DrawOp> RecordingCanvas::LinesIn(Rgb colour) const {
  std::vector<DrawOp> out;
  for (const DrawOp& op : ops_) {
    if (op.kind == DrawOp::Kind::Line && op.colour == colour) out.push_back(op);
  }
  return out;
}

const DrawOp* RecordingCanvas::FindText(std::string_view text) const {
  for (const DrawOp& op : ops_) {
    if (op.kind == DrawOp::Kind::Text && op.text == text) return &op;
  }
  return nullptr;
}

const DrawOp* RecordingCanvas::TextAt(int bottom, int left) const {
  for (const DrawOp& op : ops_) {
    if (op.kind == DrawOp::Kind::Text && op.rect.bottom == bottom && op.rect.left == left) {
      return &op;
    }
  }
  return nullptr;
}

}  // namespace ptpdiag

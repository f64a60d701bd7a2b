#include "platform/svg_canvas.h"

#include <cstdio>

namespace ptpdiag {

std::string HexColour(Rgb c) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", c.R, c.G, c.B);
  return text;
}

std::string XmlText(std::string_view text) {
  std::string out;
  for (const char ch : text) {
    const auto byte = static_cast<unsigned char>(ch);
    switch (ch) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&apos;";
        break;
      default:
        if (byte < 0x20 || byte == 0x7F) {
          out += '?';
        } else if (byte < 0x80) {
          out += ch;
        } else {
          out += static_cast<char>(0xC0 | (byte >> 6));
          out += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
  }
  return out;
}

namespace {

std::string Number(std::int64_t v) {
  return std::to_string(v);
}

std::string RectAttributes(const Rect& r) {
  return "x=\"" + Number(r.left) + "\" y=\"" + Number(r.top) + "\" width=\"" +
         Number(static_cast<std::int64_t>(r.right) - r.left) + "\" height=\"" +
         Number(static_cast<std::int64_t>(r.bottom) - r.top) + "\"";
}

}  // namespace

void SvgCanvas::FillRect(const Rect& rect, Rgb colour) {
  body_ += "<rect " + RectAttributes(rect) + " fill=\"" + HexColour(colour) + "\"/>\n";
}

// The font size gives DejaVu Sans Mono (advance 0.602 em) a natural advance
// of one 10-pixel cell, so the text stays on the grid even where a renderer
// ignores textLength.
void SvgCanvas::Text(const Rect& clip, std::string_view text, Rgb colour, Rgb background) {
  if (text.empty() || clip.IsEmpty()) return;
  const auto width = static_cast<std::int32_t>(kCellWidth * text.size());
  const Rect cells =
      Intersect(Rect{clip.left, clip.bottom - kCellHeight, clip.left + width, clip.bottom}, clip);
  if (!cells.IsEmpty()) {
    body_ += "<rect class=\"textbg\" " + RectAttributes(cells) + " fill=\"" +
             HexColour(background) + "\"/>\n";
  }
  body_ += "<text x=\"" + Number(clip.left) + "\" y=\"" + Number(clip.bottom) + "\" fill=\"" +
           HexColour(colour) +
           "\" dominant-baseline=\"text-after-edge\" xml:space=\"preserve\""
           " font-family=\"DejaVu Sans Mono, monospace\" font-size=\"16.61\" font-weight=\"bold\""
           " textLength=\"" +
           Number(width) + "\" lengthAdjust=\"spacingAndGlyphs\">" + XmlText(text) + "</text>\n";
}

void SvgCanvas::Line(Point from, Point to, Rgb colour) {
  body_ += "<line x1=\"" + Number(from.x) + "\" y1=\"" + Number(from.y) + "\" x2=\"" +
           Number(to.x) + "\" y2=\"" + Number(to.y) + "\" stroke=\"" + HexColour(colour) + "\"/>\n";
}

void SvgCanvas::Rectangle(const Rect& rect, Rgb pen, Rgb brush) {
  body_ += "<rect " + RectAttributes(rect) + " fill=\"" + HexColour(brush) + "\" stroke=\"" +
           HexColour(pen) + "\"/>\n";
}

std::string SvgCanvas::Document() const {
  const std::string w = Number(width_);
  const std::string h = Number(height_);
  return "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + w + "\" height=\"" + h +
         "\" viewBox=\"0 0 " + w + " " + h + "\">\n" + body_ + "</svg>\n";
}

std::string SvgCanvas::InlineElement() const {
  return "<svg viewBox=\"0 0 " + Number(width_) + " " + Number(height_) + "\">\n" + body_ +
         "</svg>\n";
}

}  // namespace ptpdiag

// A canvas that writes each drawing call as an SVG element, so a repaint
// can be saved as a picture that any browser shows.
#pragma once

#include <string>
#include <string_view>

#include "platform/canvas.h"

namespace ptpdiag {

class SvgCanvas final : public Canvas {
 public:
  SvgCanvas(int width, int height) : width_(width), height_(height) {}

  void FillRect(const Rect& rect, Rgb colour) override;
  void Text(const Rect& clip, std::string_view text, Rgb colour, Rgb background) override;
  void Line(Point from, Point to, Rgb colour) override;
  void Rectangle(const Rect& rect, Rgb pen, Rgb brush) override;

  // The whole document: the svg element around the elements drawn so far.
  std::string Document() const;
  // The svg element for a place inside an HTML page: no namespace (HTML
  // gives it) and scaled to the page's width.
  std::string InlineElement() const;

 private:
  int width_;
  int height_;
  std::string body_;
};

// "#rrggbb" in lower case.
std::string HexColour(Rgb colour);

// Text made safe for XML character data: markup characters escaped, bytes
// above 127 read as Latin-1, control characters replaced by '?'.
std::string XmlText(std::string_view text);

}  // namespace ptpdiag

#include "resources/program_icon_drawing.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>

namespace ptpdiag {

ProgramIconDrawing ProgramIconAt(int size) {
  ProgramIconDrawing d;
  const double s = size;
  const bool large = size >= 32;
  d.Size = s;
  // Fixed widths up to 48 pixels keep the Windows icon crisp; above that
  // the strokes grow with the icon.
  d.Pen = large ? std::max(2.0, s / 24) : 1.2;
  d.MastColour = {64, 64, 72};
  d.WaveColour = {32, 96, 224};
  d.LightColour = {224, 32, 32};

  const IconPoint top{s / 2, s * 0.28};
  const IconPoint left{s * 0.3, s * 0.94};
  const IconPoint right{s * 0.7, s * 0.94};
  const IconPoint midLeft{(top.X + left.X) / 2, (top.Y + left.Y) / 2};
  const IconPoint midRight{(top.X + right.X) / 2, (top.Y + right.Y) / 2};
  d.Mast = {{top, left},         {top, right},     {left, right},
            {midLeft, midRight}, {midLeft, right}, {midRight, left}};

  d.Light = {s / 2, s * 0.24};
  const int waves = large ? 2 : 1;
  // With the wider strokes above 48 pixels, 80 degree arcs keep the outer
  // waves' round ends inside the square.
  const double half = size > 48 ? 40 : 45;
  for (int i = 1; i <= waves; ++i) {
    const double r = s * (0.08 + 0.13 * i);
    d.Waves.push_back({d.Light, r, -half, 2 * half});       // right
    d.Waves.push_back({d.Light, r, 180 - half, 2 * half});  // left
  }
  d.LightRadius = large ? std::max(2.5, s / 19.2) : 1.6;
  return d;
}

namespace {

// Numbers the same in every locale, at most three decimals.
std::string Number(double value) {
  const double rounded = std::round(value * 1000) / 1000;
  char text[32];
  const auto end = std::to_chars(text, text + sizeof text, rounded == 0 ? 0.0 : rounded).ptr;
  return std::string(text, end);
}

std::string Hex(IconColour c) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text = "#";
  for (const std::uint8_t v : {c.R, c.G, c.B}) {
    text += kDigits[v >> 4];
    text += kDigits[v & 15];
  }
  return text;
}

IconPoint OnCircle(const IconArc& a, double degrees) {
  const double radians = degrees * std::numbers::pi / 180;
  return {a.Centre.X + a.Radius * std::cos(radians), a.Centre.Y - a.Radius * std::sin(radians)};
}

std::string Point(IconPoint p) {
  return Number(p.X) + " " + Number(p.Y);
}

// Counter-clockwise on the screen is SVG's negative sweep.
std::string ArcPath(const IconArc& a) {
  const std::string r = Number(a.Radius);
  const char* large = std::abs(a.SpanDegrees) > 180 ? "1" : "0";
  const char* sweep = a.SpanDegrees > 0 ? "0" : "1";
  return "M" + Point(OnCircle(a, a.StartDegrees)) + " A" + r + " " + r + " 0 " + large + " " +
         sweep + " " + Point(OnCircle(a, a.StartDegrees + a.SpanDegrees));
}

}  // namespace

std::string ProgramIconSvg() {
  const ProgramIconDrawing d = ProgramIconAt(256);
  const std::string size = Number(d.Size);
  std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"" + size +
         "\" height=\"" + size + "\" viewBox=\"0 0 " + size + " " + size + "\">\n";
  svg += "  <title>ptpdiag</title>\n";
  svg += "  <g fill=\"none\" stroke-width=\"" + Number(d.Pen) +
         "\" stroke-linecap=\"round\" stroke-linejoin=\"round\">\n";
  svg += "    <path stroke=\"" + Hex(d.MastColour) + "\" d=\"";
  for (std::size_t i = 0; i < d.Mast.size(); ++i) {
    if (i > 0) svg += " ";
    svg += "M" + Point(d.Mast[i].From) + " L" + Point(d.Mast[i].To);
  }
  svg += "\"/>\n";
  svg += "    <path stroke=\"" + Hex(d.WaveColour) + "\" d=\"";
  for (std::size_t i = 0; i < d.Waves.size(); ++i) {
    if (i > 0) svg += " ";
    svg += ArcPath(d.Waves[i]);
  }
  svg += "\"/>\n";
  svg += "  </g>\n";
  svg += "  <circle fill=\"" + Hex(d.LightColour) + "\" cx=\"" + Number(d.Light.X) + "\" cy=\"" +
         Number(d.Light.Y) + "\" r=\"" + Number(d.LightRadius) + "\"/>\n";
  svg += "</svg>\n";
  return svg;
}

}  // namespace ptpdiag

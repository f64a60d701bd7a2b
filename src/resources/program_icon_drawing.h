// The program's icon as shapes: a lattice mast sending waves either side,
// with a red light at its head. The window paints these shapes and the
// scalable icon file is written from them, so every form of the icon is
// one drawing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ptpdiag {

struct IconPoint {
  double X = 0;
  double Y = 0;  // downwards, as on the screen
};

struct IconColour {
  std::uint8_t R = 0, G = 0, B = 0;
};

// An arc of a circle, angles in degrees counter-clockwise from east as seen
// on the screen (the convention of QPainter::drawArc).
struct IconArc {
  IconPoint Centre;
  double Radius = 0;
  double StartDegrees = 0;
  double SpanDegrees = 0;
};

struct IconLine {
  IconPoint From, To;
};

struct ProgramIconDrawing {
  double Size = 0;  // a square of Size x Size pixels
  double Pen = 0;   // stroke width of the mast and the waves, round ends
  IconColour MastColour, WaveColour, LightColour;
  std::vector<IconLine> Mast;
  std::vector<IconArc> Waves;
  IconPoint Light;
  double LightRadius = 0;
};

// The drawing for `size` x `size` pixels: thinner lines and one wave a
// side below 32 pixels, where two would blur together.
ProgramIconDrawing ProgramIconAt(int size);

// The scalable icon file (SVG 1.1): the drawing at 256 pixels.
std::string ProgramIconSvg();

// The square sizes of the desktop's PNG icons (hicolor theme).
inline constexpr int kDesktopIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

}  // namespace ptpdiag

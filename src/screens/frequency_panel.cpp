#include "screens/frequency_panel.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "screens/format_masked.h"
#include "screens/text_grid.h"
#include "state/nearest.h"

namespace ptpdiag {

std::int32_t ChannelX(float step, int channel) {
  return Nearest(144.0 + static_cast<double>(step) * channel);
}

namespace {

void DrawPlotBox(WindowState& w) {
  DeviceContext& dc = w.ScreenDC;
  dc.SelectBrush(kStockBlackBrush);
  dc.SelectPen(w.PenGrey);
  dc.Rectangle(100, 80, 700, 480);
}

void DrawPlotBoxAndGrid(WindowState& w) {
  DrawPlotBox(w);
  DeviceContext& dc = w.ScreenDC;
  for (int x = 200; x <= 600; x += 100) {
    dc.MoveToEx(x, 80);
    dc.LineTo(x, 480);
  }
  for (int y = 160; y <= 400; y += 80) {
    dc.MoveToEx(100, y);
    dc.LineTo(700, y);
  }
}

void DrawPercentageScale(WindowState& w) {
  for (int y = 80; y <= 480; y += 80) {
    SetTextCursorAt(w, y + 8, 60);
    PrintAtCursor(w, FormatMasked(100 - (y - 80) / 4, "###"));
  }
}

void DrawFrequencyAxis(WindowState& w) {
  w.ScreenDC.SetTextColor(kBlack);
  w.ScreenDC.SetROP2(R2_COPYPEN);
  PrintAt(w, 3.5F, 34, "Frequency");
  for (int j = 0; j <= 6; ++j)
    PrintAt(w, 4.5F, 10 * j + 7, FormatMasked(900 + 5 * j, "* #.#"));
}

}  // namespace

void DrawFrequencyPanel(WindowState& w, std::string_view title,
                        const std::function<void(WindowState&)>& secondScale) {
  w.ScreenDC.SetTextColor(kBlack);
  PrintAt(w, 1, 24, title);
  DrawPlotBoxAndGrid(w);
  DrawPercentageScale(w);
  if (secondScale) secondScale(w);
  DrawFrequencyAxis(w);
}

void DrawChannelAxisPanel(WindowState& w, std::string_view title) {
  w.ScreenDC.SetTextColor(kBlack);
  PrintAt(w, 1, 24, title);
  DrawPlotBox(w);
  DrawFrequencyAxis(w);
}

std::int32_t ChannelColumnLeft(int channel) {
  return Nearest(144.0 + static_cast<double>(kChannelStep) * (channel - 0.5));
}

void PrintLegendRow(WindowState& w, float row, std::initializer_list<LegendValue> values) {
  SetTextCursor(w, row, 71);
  for (const LegendValue& v : values)
    PrintAtCursor(w, FormatMasked(v.Value, v.Mask));
}

SeriesStats PlotChannelSeries(WindowState& w, const Pen& pen, double divisor,
                              const ChannelTable& values, float step) {
  DeviceContext& dc = w.ScreenDC;
  dc.SelectPen(pen);
  dc.MoveToEx(144, Nearest(480.0 - values[0] / divisor));
  SeriesStats stats;
  bool anyFilled = false;
  for (int i = 1; i < kShownChannels; ++i) {
    const std::int32_t v = values[static_cast<std::size_t>(i)];
    dc.LineTo(ChannelX(step, i), Nearest(480.0 - v / divisor));
    stats.Maximum = std::max(stats.Maximum, v);
    if (v != 0) {  // an idle channel is no minimum
      stats.Minimum = anyFilled ? std::min(stats.Minimum, v) : v;
      anyFilled = true;
    }
    stats.Sum += v;
  }
  stats.Average = Nearest(static_cast<double>(stats.Sum) / 111.0);
  stats.Last = values[kShownChannels - 1];
  return stats;
}

void PlotDottedChannelSeries(WindowState& w, const Pen& pen, double divisor, const ChannelTable& values) {
  std::vector<Rect> dots;
  Point from{144, Nearest(480.0 - values[0] / divisor)};
  double carried = 0;  // the path's length since the last dot
  for (int i = 1; i < kShownChannels; ++i) {
    const Point to{ChannelX(kChannelStep, i), Nearest(480.0 - values[static_cast<std::size_t>(i)] / divisor)};
    const double dx = to.x - from.x, dy = to.y - from.y;
    const double length = std::hypot(dx, dy);
    for (double along = 4.0 - carried; along <= length; along += 4.0) {
      const int x = from.x + static_cast<int>(std::lround(dx * along / length));
      const int y = from.y + static_cast<int>(std::lround(dy * along / length));
      dots.push_back(Rect{x, y, x + 2, y + 2});
    }
    carried = length > 0 ? std::fmod(carried + length, 4.0) : carried;
    from = to;
  }
  w.ScreenDC.FillRects(dots, pen.Colour);
}

}  // namespace ptpdiag

#include "screens/alignment_screen.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "screens/big_digits.h"
#include "screens/text_grid.h"
#include "state/nearest.h"

namespace ptpdiag {
namespace {

constexpr Rgb kLevelBlue{0, 0, 140};
constexpr Rgb kTrack{200, 200, 200};
constexpr Rgb kNearBest{0, 170, 0};
constexpr Rgb kFarFromBest{230, 140, 0};
constexpr Rgb kLostBest{210, 0, 0};
constexpr Rgb kRawBand{110, 110, 110};
constexpr Rgb kTraceLevel{255, 255, 0};
constexpr Rgb kGridGrey{64, 64, 64};

constexpr int kLevelTop = 56;
constexpr int kLevelHeight = 150;  // over a quarter of the 560-pixel client
constexpr int kSideLeft = 560;
constexpr int kSideHeight = 48;
constexpr Rect kBar{100, 252, 700, 292};
constexpr double kBarSpanDb = 20.0;
constexpr Rect kTraceBox{100, 332, 700, 482};
constexpr double kTraceSpanDb = 25.0;

std::string Fixed1(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", v);
  return text;
}

std::string Padded(std::string text, std::size_t width) {
  text.resize(std::max(width, text.size()), ' ');
  return text;
}

// The level in big digits, blanked first so a shorter number leaves nothing.
void DrawLevel(WindowState& w, const AlignmentFigures& f) {
  DeviceContext& dc = w.ScreenDC;
  dc.FillRect(Rect{10, kLevelTop, kSideLeft - 10, kLevelTop + kLevelHeight}, kWhite);
  const std::string text = f.LevelDbm ? Fixed1(*f.LevelDbm) : "--.-";
  const int right = DrawBigText(dc, text, 20, kLevelTop, kLevelHeight, kLevelBlue);
  dc.SetTextColor(kLevelBlue);
  SetTextCursorAt(w, kLevelTop + kLevelHeight, right + 4);
  PrintAtCursor(w, "dBm");
  dc.SetTextColor(kLostBest);
  SetTextCursorAt(w, kLevelTop + kLevelHeight + 20, 20);
  PrintAtCursor(w, Padded(f.LevelDbm ? "" : "No good frame in the last second", 32));
}

void DrawSideFigure(WindowState& w, int top, std::string_view label,
                    const std::optional<double>& value, int decimals) {
  DeviceContext& dc = w.ScreenDC;
  dc.FillRect(Rect{kSideLeft, top, 800, top + 18 + kSideHeight}, kWhite);
  dc.SetTextColor(kBlack);
  SetTextCursorAt(w, top + 16, kSideLeft);
  PrintAtCursor(w, label);
  char text[32] = "--";
  if (value) std::snprintf(text, sizeof text, "%.*f", decimals, *value);
  DrawBigText(dc, text, kSideLeft, top + 18, kSideHeight, kBlack);
}

// "Best -60.1 dBm at 12:03:44" and how far the level is below it.
void DrawBestLine(WindowState& w, const AlignmentView& v) {
  const AlignmentFigures& f = v.Meter.Figures();
  std::string line = "Best ";
  line += f.BestDbm ? Fixed1(*f.BestDbm) + " dBm at " + v.BestTime : "none yet";
  if (f.BestDbm && f.LevelDbm) line += "   now " + Fixed1(*f.LevelDbm - *f.BestDbm) + " dB";
  if (f.PeakDbm) line += "   peak " + Fixed1(*f.PeakDbm);
  w.ScreenDC.SetTextColor(kBlack);
  SetTextCursorAt(w, kBar.top - 6, 20);
  PrintAtCursor(w, Padded(line, 76));
}

int BarX(double dbBelowBest) {
  const double share = std::clamp(1.0 - dbBelowBest / kBarSpanDb, 0.0, 1.0);
  return kBar.left + Nearest(share * (kBar.right - kBar.left));
}

// The bar runs from 20 dB under the best to the best; its colour says how
// close the level is; the peak hold is a black mark across it.
void DrawBestBar(WindowState& w, const AlignmentFigures& f) {
  DeviceContext& dc = w.ScreenDC;
  dc.FillRect(Rect{kBar.left, kBar.top, kBar.right, kBar.bottom + 4}, kTrack);
  if (f.BestDbm && f.LevelDbm) {
    const double gap = *f.BestDbm - *f.LevelDbm;
    const Rgb colour = gap <= 1.0 ? kNearBest : gap <= 3.0 ? kFarFromBest : kLostBest;
    dc.FillRect(Rect{kBar.left, kBar.top, BarX(gap), kBar.bottom}, colour);
  }
  if (f.BestDbm && f.PeakDbm) {
    const int x = BarX(*f.BestDbm - *f.PeakDbm);
    dc.FillRect(Rect{std::max(kBar.left, x - 3), kBar.top - 4, std::min(kBar.right, x + 3), kBar.bottom + 4},
                kBlack);
  }
  dc.SetTextColor(kBlack);
  SetTextCursorAt(w, kBar.bottom + 4, 40);
  PrintAtCursor(w, "-20");
  SetTextCursorAt(w, kBar.bottom + 4, kBar.right + 6);
  PrintAtCursor(w, "best");
}

void DrawToneLine(WindowState& w, const AlignmentView& v) {
  std::string line = v.ToneOn ? "Tone on, " : "Tone off, ";
  line += std::string(ToneModeName(v.Mode));
  line += v.Tone.Hz > 0 ? ", " + Fixed1(v.Tone.Hz) + " Hz" : ", silent";
  line += "   T tone  M mode  R reset best";
  w.ScreenDC.SetTextColor(kLevelBlue);
  SetTextCursorAt(w, kTraceBox.top - 12, 20);
  PrintAtCursor(w, Padded(line, 76));
}

// The last minute: each tick's raw signal from its weakest to its
// strongest frame as a grey band, the level as a thick yellow line.
void DrawTrace(WindowState& w, const std::deque<AlignmentFigures>& trace, std::int64_t nowMs) {
  DeviceContext& dc = w.ScreenDC;
  dc.FillRect(kTraceBox, kBlack);
  std::optional<double> highest;
  for (const AlignmentFigures& f : trace)
    if (f.LevelDbm) highest = std::max(highest.value_or(*f.LevelDbm), *f.LevelDbm);
  const double top = highest ? 5.0 * std::ceil((*highest + 2.0) / 5.0) : -40.0;
  const double pixelsPerDb = (kTraceBox.bottom - kTraceBox.top) / kTraceSpanDb;
  const auto y = [&](double dbm) {
    return std::clamp(kTraceBox.top + Nearest((top - dbm) * pixelsPerDb), kTraceBox.top, kTraceBox.bottom - 3);
  };
  std::vector<Rect> grid, band, level;
  dc.SetTextColor(kBlack);
  for (double dbm = top; dbm >= top - kTraceSpanDb; dbm -= 5.0) {
    grid.push_back(Rect{kTraceBox.left, y(dbm), kTraceBox.right, y(dbm) + 1});
    SetTextCursorAt(w, y(dbm) + 8, 40);
    PrintAtCursor(w, Padded(std::to_string(static_cast<int>(dbm)), 5));
  }
  const double pixelsPerMs = static_cast<double>(kTraceBox.right - kTraceBox.left) / kTraceMs;
  for (const AlignmentFigures& f : trace) {
    const int x = kTraceBox.right - Nearest(static_cast<double>(nowMs - f.Ms) * pixelsPerMs) - 3;
    if (x < kTraceBox.left) continue;
    if (f.RawLowDbm && f.RawHighDbm) band.push_back(Rect{x, y(*f.RawHighDbm), x + 3, y(*f.RawLowDbm) + 3});
    if (f.LevelDbm) level.push_back(Rect{x, y(*f.LevelDbm), x + 3, y(*f.LevelDbm) + 4});
  }
  dc.FillRects(grid, kGridGrey);
  dc.FillRects(band, kRawBand);
  dc.FillRects(level, kTraceLevel);
  SetTextCursorAt(w, kTraceBox.bottom + 18, kTraceBox.left);
  PrintAtCursor(w, "-60 s");
  SetTextCursorAt(w, kTraceBox.bottom + 18, kTraceBox.right - 30);
  PrintAtCursor(w, "now");
}

}  // namespace

void DrawAlignmentScreen(WindowState& w, const AlignmentView& v) {
  const AlignmentFigures& f = v.Meter.Figures();
  w.ScreenDC.SetTextColor(kBlack);
  PrintAt(w, 1, 24, "Antenna Alignment");
  DrawLevel(w, f);
  DrawSideFigure(w, kLevelTop - 4, "SNR dB", f.SnrDb, 1);
  DrawSideFigure(w, kLevelTop + 78, "Good %", f.GoodPct, 0);
  DrawBestLine(w, v);
  DrawBestBar(w, f);
  DrawToneLine(w, v);
  DrawTrace(w, v.Meter.Trace(), f.Ms);
  w.ScreenDC.SetTextColor(kBlack);
}

}  // namespace ptpdiag

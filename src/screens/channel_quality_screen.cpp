#include "screens/channel_quality_screen.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "screens/frequency_panel.h"
#include "screens/text_grid.h"
#include "state/nearest.h"

namespace ptpdiag {
namespace {

constexpr int kBoxTop = 80;
constexpr int kBoxHeight = 400;
constexpr int kBoxBottom = kBoxTop + kBoxHeight;
constexpr int kScaleRight = 95;

// Cold to hot; the coldest is still clearly not the black of a gap.
constexpr int kSteps = kWaterfallSteps;
constexpr std::array<Rgb, kSteps> kPalette{{{0, 0, 150},
                                             {0, 70, 230},
                                             {0, 150, 255},
                                             {0, 210, 200},
                                             {0, 190, 80},
                                             {130, 215, 0},
                                             {235, 235, 0},
                                             {255, 160, 0},
                                             {255, 60, 0},
                                             {255, 170, 220}}};
constexpr Rgb kFlagRed{255, 0, 0};
constexpr Rgb kLegendText{0, 0, 128};

struct LayerScale {
  std::string_view Name;
  std::string_view Unit;
  int Low;  // lower edge of the coldest step
  int Step;
};

// Noise against the link's floor, so an interferer stands out whatever the
// site's floor; signal and misses on fixed scales.
LayerScale ScaleOf(WaterfallLayer layer, const QualityFigures& figures) {
  switch (layer) {
    case WaterfallLayer::Signal:
      return {"Signal", "mean dBm", -115, 7};
    case WaterfallLayer::Misses:
      return {"Missed", "% of hops", 0, 10};
    case WaterfallLayer::Noise:
      break;
  }
  // The floor sits inside the second step, clear of its edges.
  const int low = figures.FloorDbm ? Nearest(*figures.FloorDbm) - 7 : -120;
  return {"Noise", "max dBm", low, 5};
}

int StepOfLevel(int level, const LayerScale& scale) {
  const int above = level - scale.Low;
  return above <= 0 ? 0 : std::min(kSteps - 1, above / scale.Step);
}

// The cell's step on the layer's scale, or -1 for a gap (no visit, or no
// good hop for the signal). Whole numbers throughout, as every cell of a
// full waterfall passes here on each repaint.
int CellStep(const WaterfallCell& cell, WaterfallLayer layer, const LayerScale& scale) {
  if (cell.Visits == 0) return -1;
  switch (layer) {
    case WaterfallLayer::Signal: {
      const std::uint32_t good = cell.Visits - cell.Misses;
      if (good == 0) return -1;
      // The mean level in dBm, rounded down: -(sum / good) to the floor.
      const auto level = -static_cast<int>((cell.SignalSum + good - 1) / good);
      return StepOfLevel(level, scale);
    }
    case WaterfallLayer::Misses:
      return std::min<int>(kSteps - 1, static_cast<int>(10 * cell.Misses / cell.Visits));
    case WaterfallLayer::Noise:
      break;
  }
  return StepOfLevel(-std::min<int>(cell.LoudestNoise, 127), scale);
}

// Left edges of the channels' columns, 1 to 112 (112: the right of 111).
const std::array<std::int32_t, kWaterfallChannels + 2>& ColumnLefts() {
  static const auto lefts = [] {
    std::array<std::int32_t, kWaterfallChannels + 2> x{};
    for (int c = 0; c <= kWaterfallChannels + 1; ++c)
      x[static_cast<std::size_t>(c)] = ChannelColumnLeft(c);
    return x;
  }();
  return lefts;
}

// Row 0 is the newest, at the top; all kWaterfallRows fill the box.
int RowTop(int shownRow) {
  return kBoxTop + shownRow * kBoxHeight / kWaterfallRows;
}

// The waterfall's cells by colour, drawn one colour at a time.
using CellsByStep = std::array<std::vector<Rect>, kSteps>;

// Neighbouring channels of one colour make one rectangle; a channel
// without a visit is left black.
void AddRow(CellsByStep& cells, const WaterfallRow& row, int top, int bottom,
            WaterfallLayer layer, const LayerScale& scale) {
  const auto& lefts = ColumnLefts();
  int runStart = 0;
  int runStep = -1;
  auto endRun = [&](int channel) {
    if (runStep >= 0) {
      cells[static_cast<std::size_t>(runStep)].push_back(
          Rect{lefts[static_cast<std::size_t>(runStart)], top, lefts[static_cast<std::size_t>(channel)],
               bottom});
    }
  };
  for (int c = 1; c <= kWaterfallChannels; ++c) {
    const int step = CellStep(row[static_cast<std::size_t>(c - 1)], layer, scale);
    if (step == runStep) continue;
    endRun(c);
    runStart = c;
    runStep = step;
  }
  endRun(kWaterfallChannels + 1);
}

void DrawWaterfall(WindowState& w, const Waterfall& waterfall, WaterfallLayer layer,
                   const LayerScale& scale) {
  CellsByStep cells;
  for (auto& rects : cells) rects.reserve(static_cast<std::size_t>(waterfall.Rows()) * 8);
  for (int shown = 0; shown < waterfall.Rows(); ++shown) {
    const int top = RowTop(shown);
    const int bottom = RowTop(shown + 1);
    if (bottom > top) {
      AddRow(cells, waterfall.Row(waterfall.Rows() - 1 - shown), top, bottom, layer, scale);
    }
  }
  for (int step = 0; step < kSteps; ++step)
    w.ScreenDC.FillRects(cells[static_cast<std::size_t>(step)], kPalette[static_cast<std::size_t>(step)]);
}

// "-30s", "-10m", "-6h", "-2d": the unit the step divides evenly.
std::string AgeText(std::int64_t seconds) {
  if (seconds == 0) return "now";
  const auto text = [&](std::int64_t unit, char name) {
    return "-" + std::to_string(seconds / unit) + name;
  };
  if (seconds % 86400 == 0) return text(86400, 'd');
  if (seconds % 3600 == 0) return text(3600, 'h');
  if (seconds % 60 == 0) return text(60, 'm');
  return text(1, 's');
}

// Ages down the left edge, at most six steps apart, at whole steps of time.
void DrawTimeScale(WindowState& w, std::int64_t rowMs) {
  static constexpr std::array<std::int64_t, 18> kStepsS{
      10,    30,    60,    120,   300,   600,    1200,   1800,   3600,
      7200,  10800, 21600, 43200, 86400, 172800, 259200, 604800, 1209600};
  const std::int64_t spanS = kWaterfallRows * rowMs / 1000;
  std::int64_t stepS = kStepsS.back();
  for (const std::int64_t s : kStepsS) {
    if (spanS / s <= 6) {
      stepS = s;
      break;
    }
  }
  w.ScreenDC.SetTextColor(kBlack);
  w.ScreenDC.SelectPen(w.PenGrey);
  for (std::int64_t age = 0; age * 1000 <= kWaterfallRows * rowMs; age += stepS) {
    const int y = kBoxTop + static_cast<int>(age * 1000 * kBoxHeight / (kWaterfallRows * rowMs));
    const std::string label = AgeText(age);
    SetTextCursorAt(w, y + 8, kScaleRight - 10 * static_cast<int>(label.size()));
    PrintAtCursor(w, label);
    w.ScreenDC.MoveToEx(kScaleRight, y);
    w.ScreenDC.LineTo(100, y);
  }
}

void DrawFlaggedMarks(WindowState& w, const QualityFigures& figures) {
  w.ScreenDC.SetTextColor(kFlagRed);
  SetTextCursorAt(w, kBoxBottom + 18, 20);
  PrintAtCursor(w, "Flagged");
  for (const QualityOfChannel& c : figures.Channels) {
    if (!c.Flagged) continue;
    w.ScreenDC.FillRect(Rect{ChannelColumnLeft(c.Channel), kBoxBottom + 3,
                             ChannelColumnLeft(c.Channel + 1), kBoxBottom + 11},
                        kFlagRed);
  }
}

// Printed over the width of the legend, so a shorter text wipes a longer.
void PrintLegendText(WindowState& w, float row, std::string text) {
  text.resize(10, ' ');
  PrintAt(w, row, 71, text);
}

std::string RowLengthText(std::int64_t rowMs) {
  const std::int64_t s = rowMs / 1000;
  if (s < 120) return "Row " + std::to_string(s) + "s";
  if (s < 7200) return "Row " + std::to_string(s / 60) + "m";
  return "Row " + std::to_string(s / 3600) + "h";
}

// The layer's name and unit, its steps hottest first with each one's lower
// edge, the row length and the keys.
void DrawColourLegend(WindowState& w, const LayerScale& scale, std::int64_t rowMs) {
  w.ScreenDC.SetTextColor(kLegendText);
  PrintLegendText(w, 5, std::string(scale.Name));
  PrintLegendText(w, 6, std::string(scale.Unit));
  for (int j = 0; j < kSteps; ++j) {
    const int step = kSteps - 1 - j;
    const int rowBottom = 16 * (7 + j);
    w.ScreenDC.FillRect(Rect{702, rowBottom - 14, 722, rowBottom - 1},
                        kPalette[static_cast<std::size_t>(step)]);
    SetTextCursorAt(w, rowBottom, 730);
    std::string edge = std::to_string(scale.Low + step * scale.Step);
    edge.resize(7, ' ');
    PrintAtCursor(w, edge);
  }
  PrintLegendText(w, 17.5F, RowLengthText(rowMs));
  PrintLegendText(w, 18.5F, "Keys N S M");
}

std::string PeriodText(const std::optional<double>& periodS) {
  if (!periodS) return "  T none";
  char text[16];
  std::snprintf(text, sizeof text, *periodS < 100.0 ? "  T %.1fs" : "  T %.0fs", *periodS);
  return text;
}

// The flagged channels of highest duty, each over two rows: the channel
// and its duty, then its period.
void DrawWorstChannels(WindowState& w, const QualityFigures& figures) {
  constexpr int kShown = 4;
  std::vector<const QualityOfChannel*> flagged;
  for (const QualityOfChannel& c : figures.Channels)
    if (c.Flagged) flagged.push_back(&c);
  std::stable_sort(flagged.begin(), flagged.end(), [](const auto* a, const auto* b) {
    return a->Duty.value_or(0) > b->Duty.value_or(0);
  });
  w.ScreenDC.SetTextColor(kFlagRed);
  PrintLegendText(w, 20, "Worst");
  PrintLegendText(w, 21, "Ch Duty");
  for (int i = 0; i < kShown; ++i) {
    const float row = 22.0F + 2.0F * static_cast<float>(i);
    std::string first;
    std::string second;
    if (i < static_cast<int>(flagged.size())) {
      const QualityOfChannel& c = *flagged[static_cast<std::size_t>(i)];
      char text[16];
      std::snprintf(text, sizeof text, "%-3d %3.0f%%", c.Channel, 100.0 * c.Duty.value_or(0));
      first = text;
      second = PeriodText(c.PeriodS);
    } else if (i == 0) {
      first = "none";
    }
    PrintLegendText(w, row, first);
    PrintLegendText(w, row + 1.0F, second);
  }
}

}  // namespace

Rgb WaterfallStepColour(int step) {
  return kPalette[static_cast<std::size_t>(std::clamp(step, 0, kSteps - 1))];
}

void DrawChannelQualityScreen(WindowState& w, const Waterfall& waterfall,
                              const QualityFigures& figures) {
  const LayerScale scale = ScaleOf(w.QualityLayer, figures);
  DrawChannelAxisPanel(w, "Channel Quality vs Time");
  DrawWaterfall(w, waterfall, w.QualityLayer, scale);
  DrawTimeScale(w, waterfall.RowMs());
  DrawFlaggedMarks(w, figures);
  DrawColourLegend(w, scale, waterfall.RowMs());
  DrawWorstChannels(w, figures);
  w.ScreenDC.SetTextColor(kBlack);
}

}  // namespace ptpdiag

#include "screens/signal_frequency_screen.h"

#include "screens/format_masked.h"
#include "screens/frequency_panel.h"
#include "screens/text_grid.h"
#include "state/nearest.h"

namespace ptpdiag {
namespace {

constexpr Rgb kOliveText{128, 128, 0};

// Level scale in dBm beside the percentage scale: -28 at the top of the
// panel down to -128 at its bottom.
void DrawDbmScale(WindowState& w) {
  w.ScreenDC.SetTextColor(kOliveText);
  for (int y = 80; y <= 480; y += 80) {
    SetTextCursorAt(w, y + 8, 10);
    PrintAtCursor(w, FormatMasked((y - 80) / 4 + 28, "-* #"));
  }
}

void PlotPeakNoise(WindowState& w, const ChannelTable& peak) {
  DeviceContext& dc = w.ScreenDC;
  dc.SelectPen(w.PenOlive);
  dc.MoveToEx(144, 480 - 4 * peak[0]);
  for (int i = 1; i < kShownChannels; ++i) {
    dc.LineTo(ChannelX(kGoodChannelStep, i), 480 - 4 * peak[static_cast<std::size_t>(i)]);
  }
}

}  // namespace

void DrawSignalFrequencyScreen(WindowState& w, const DiagnosticsStore& store,
                               const ReferenceRecording* reference) {
  DrawFrequencyPanel(w, "Signal Quality vs Frequency", DrawDbmScale);
  if (reference != nullptr) {
    PlotDottedChannelSeries(w, w.PenGreen, 4.0, reference->FreqSignal);
    PlotDottedChannelSeries(w, w.PenRed, 4.0, reference->FreqNoise);
  }
  const SeriesStats signal = PlotChannelSeries(w, w.PenGreen, 4.0, store.FreqSignal);
  const SeriesStats noise = PlotChannelSeries(w, w.PenRed, 4.0, store.FreqNoise);
  const SeriesStats good = PlotChannelSeries(w, w.PenBlue, static_cast<double>(2.5F),
                                             store.FreqGoodScore, kGoodChannelStep);
  PlotPeakNoise(w, store.FreqPeakNoise);

  w.ScreenDC.SetTextColor(Rgb{0, 0, 160});
  PrintAt(w, 5, 72, " % Good ");
  PrintAt(w, 6, 72, "Mx Ave Ls");
  PrintLegendRow(
      w, 7,
      {{good.Maximum / 10.0, "* #"}, {good.Average / 10.0, "* ##"}, {good.Last / 10.0, "* #"}});

  w.ScreenDC.SetTextColor(Rgb{0, 160, 0});
  PrintAt(w, 10, 72, "Signal Lv");
  PrintAt(w, 11, 72, "Mx Ave Ls");
  PrintLegendRow(w, 12,
                 {{128 - signal.Maximum / 16.0, "* #"},
                  {128 - signal.Average / 16.0, "* #"},
                  {128 - signal.Last / 16.0, "* #"}});

  w.ScreenDC.SetTextColor(Rgb{160, 0, 0});
  PrintAt(w, 15, 72, "Noise  Lv");
  PrintAt(w, 16, 72, "Mx Ave Mn");
  PrintLegendRow(w, 17,
                 {{128 - noise.Maximum / 16.0, "* #"},
                  {128 - noise.Average / 16.0, "* ##"},
                  {128 - noise.Minimum / 16.0, "* #"}});

  w.ScreenDC.SetTextColor(kOliveText);
  PrintAt(w, 20, 72, "PeakNoise");
  w.ScreenDC.SetTextColor(kBlack);
}

}  // namespace ptpdiag

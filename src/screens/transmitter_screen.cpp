#include "screens/transmitter_screen.h"

#include "screens/frequency_panel.h"
#include "screens/text_grid.h"

namespace ptpdiag {

void DrawTransmitterScreen(WindowState& w, const DiagnosticsStore& store,
                           const ReferenceRecording* reference) {
  DrawFrequencyPanel(w, "Radio Transmitter vs Frequency");
  if (reference != nullptr) {
    PlotDottedChannelSeries(w, w.PenGreen, 4.0, reference->FreqVswr);
    PlotDottedChannelSeries(w, w.PenRed, 6.0, reference->FreqCurrent);
  }
  const SeriesStats vswr = PlotChannelSeries(w, w.PenGreen, 4.0, store.FreqVswr);
  const SeriesStats current = PlotChannelSeries(w, w.PenRed, 6.0, store.FreqCurrent);

  w.ScreenDC.SetTextColor(Rgb{0, 160, 0});
  PrintAt(w, 10, 72, "  VSWR");
  PrintAt(w, 11, 72, "Mx Ave Ls");
  PrintLegendRow(
      w, 12,
      {{vswr.Maximum / 16.0, "* #"}, {vswr.Average / 16.0, "* #"}, {vswr.Last / 16.0, "* #"}});

  w.ScreenDC.SetTextColor(Rgb{160, 0, 0});
  PrintAt(w, 15, 72, "Current");
  PrintAt(w, 16, 72, "Mx Ave Mn");
  PrintLegendRow(w, 17,
                 {{current.Maximum / 8.0, "* #"},
                  {current.Average / 8.0, "* ##"},
                  {current.Minimum / 8.0, "* #"}});

  w.ScreenDC.SetTextColor(kBlack);
}

}  // namespace ptpdiag

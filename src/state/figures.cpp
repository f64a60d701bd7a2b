#include "state/figures.h"

namespace ptpdiag {
namespace {

// The x of channel i on the frequency panel, before rounding to a pixel,
// read on the axis: 900 MHz at x 100, 5 MHz a grid step of 100 pixels.
double ChannelMHz(int i) {
  const double x = 144.0 + static_cast<double>(4.608F) * i;
  return 900.0 + (x - 100.0) / 20.0;
}

// A level stored as (128 - level byte) times `scale`, in dBm.
double Dbm(std::int32_t stored, double scale) {
  return stored / scale - 128.0;
}

}  // namespace

ChannelFigures FiguresOfChannel(const DiagnosticsStore& s, int channel) {
  const auto c = static_cast<std::size_t>(channel);
  ChannelFigures f;
  f.FrequencyMHz = ChannelMHz(channel);
  f.Reached = s.FreqNoise[c] != 0;  // every frame adds noise above 0
  if (!f.Reached) return f;
  if (s.FreqSignal[c] != 0) f.SignalDbm = Dbm(s.FreqSignal[c], 16.0);
  f.NoiseDbm = Dbm(s.FreqNoise[c], 16.0);
  if (s.FreqPeakNoise[c] != 0) f.PeakNoiseDbm = Dbm(s.FreqPeakNoise[c], 1.0);
  f.GoodPercent = s.FreqGoodScore[c] / 10.0;
  if (s.FreqVswr[c] != 0) f.Vswr = s.FreqVswr[c] / 16.0;
  if (s.FreqCurrent[c] != 0) f.CurrentMa = s.FreqCurrent[c] / 8.0;
  return f;
}

SlotFigures FiguresOfSlot(const DiagnosticsStore& s, int slot) {
  const auto now = static_cast<std::size_t>(slot);
  const std::size_t counts = now - 1;
  const std::int64_t dt = static_cast<std::int64_t>(s.HistTime[now]) - s.HistTime[counts];
  const double seconds = dt > 0 ? static_cast<double>(dt) : 1.0;
  SlotFigures f;
  f.Seconds = s.HistTime[now];
  if (s.HistGoodCount[counts] > 0) f.SignalDbm = s.HistSignal[now] - 128.0;
  f.NoiseDbm = s.HistNoise[now] - 128.0;
  f.ErrorPercent = s.HistErrorRate[now] / 2.56;
  f.XmitKBps = s.HistXmit[counts] / seconds / 1000.0;
  f.RcvdKBps = s.HistRcvd[counts] / seconds / 1000.0;
  f.GoodHops = s.HistGoodCount[counts];
  f.MissedHops = s.HistMissCount[counts];
  return f;
}

}  // namespace ptpdiag

// The store's values in the units the screens show them in, for the
// exports (CSV files, metrics): levels in dBm, shares in %, the legends'
// VSWR and current, rates in kB/s.
#pragma once

#include <cstdint>
#include <optional>

#include "state/diagnostics_store.h"

namespace ptpdiag {

inline constexpr int kFirstShownChannel = 1;
inline constexpr int kLastShownChannel = 111;

struct ChannelFigures {
  double FrequencyMHz = 0.0;        // where the frequency axis places the channel
  bool Reached = false;             // a frame reached the channel; else nothing below is known
  std::optional<double> SignalDbm;  // none while no hop was received well
  double NoiseDbm = 0.0;
  std::optional<double> PeakNoiseDbm;
  double GoodPercent = 0.0;
  std::optional<double> Vswr;  // none while no transmitter reading came
  std::optional<double> CurrentMa;
};

ChannelFigures FiguresOfChannel(const DiagnosticsStore& s, int channel);

// History slot j (1..HistIndex): its averages, and the counts of the period
// it closed (kept in the slot before it).
struct SlotFigures {
  std::int32_t Seconds = 0;
  std::optional<double> SignalDbm;  // none when the period had no good hop
  double NoiseDbm = 0.0;
  double ErrorPercent = 0.0;
  double XmitKBps = 0.0;
  double RcvdKBps = 0.0;
  std::int32_t GoodHops = 0;
  std::int32_t MissedHops = 0;
};

SlotFigures FiguresOfSlot(const DiagnosticsStore& s, int slot);

}  // namespace ptpdiag

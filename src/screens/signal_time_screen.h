// Screen 3: signal, noise, error rate and data rates over a time axis that
// runs from a rounded span in the past up to now.
#pragma once

#include <cstdint>

#include "state/diagnostics_store.h"
#include "state/window_state.h"

namespace ptpdiag {

struct TimeAxis {
  bool Hours = false;      // "Hours Ago" rather than "Minutes Ago"
  std::int32_t Span = 0;   // seconds shown across the plot box
  std::int64_t Start = 0;  // now - span
};

// The span for a history whose oldest slot is `age` seconds old.
TimeAxis ChooseTimeAxis(std::int32_t age, std::int32_t now);

// x of a slot closed at `t`: 100 + 600 x (t - start) / span, to the nearest pixel.
std::int32_t TimeX(const TimeAxis& axis, std::int32_t t);

// `now` is the seconds since the statistics were reset.
void DrawSignalVsTime(WindowState& w, const DiagnosticsStore& store, std::int32_t now);

}  // namespace ptpdiag

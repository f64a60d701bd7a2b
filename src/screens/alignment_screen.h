// Screen 5: antenna alignment, to be read from a couple of metres away.
// The hop-compensated level in digits a quarter of the window high, the
// SNR and good-hop share beside it, the best level with its time and a bar
// for the gap to it with the peak hold marked, the tone's state, and the
// last minute of level and raw signal. Drawn whole on every tick, over
// what was there (no erase).
#pragma once

#include <string>

#include "alignment/alignment_meter.h"
#include "alignment/tone.h"
#include "state/window_state.h"

namespace ptpdiag {

struct AlignmentView {
  const AlignmentMeter& Meter;
  ToneState Tone;
  ToneMode Mode = ToneMode::Absolute;
  bool ToneOn = false;
  std::string BestTime;  // "HH:MM:SS" local, empty without a best
};

void DrawAlignmentScreen(WindowState& w, const AlignmentView& view);

}  // namespace ptpdiag

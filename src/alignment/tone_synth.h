// The tone as sound: 16-bit mono samples at 44.1 kHz, phase-continuous
// across changes of pitch, with short ramps where it starts and stops so
// that beeps do not click. Rendered from each tick's tone for the time
// until the next tick, for a WAV file or a sound device alike.
#pragma once

#include <cstdint>
#include <vector>

#include "alignment/tone.h"

namespace ptpdiag {

inline constexpr int kToneSampleRate = 44100;

class ToneSynth {
 public:
  // Appends the samples of [fromMs, toMs) of the session sounding `tone`;
  // sample n lies at n / 44.1 ms, so pieces join without drift.
  void Render(const ToneState& tone, std::int64_t fromMs, std::int64_t toMs,
              std::vector<std::int16_t>& out);
  // The same for samples [first, end) of the session.
  void RenderSamples(const ToneState& tone, std::int64_t first, std::int64_t end,
                     std::vector<std::int16_t>& out);

 private:
  double phase_ = 0;  // in cycles
  double gain_ = 0;   // follows the gate with a ramp of a few ms
};

}  // namespace ptpdiag

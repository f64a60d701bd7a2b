#include "alignment/tone_synth.h"

#include <cmath>
#include <numbers>

namespace ptpdiag {
namespace {

constexpr double kLoudness = 0.3;  // of full scale
constexpr double kRampSamples = 0.003 * kToneSampleRate;

std::int64_t SampleAt(std::int64_t ms) {
  return ms * kToneSampleRate / 1000;
}

}  // namespace

void ToneSynth::Render(const ToneState& tone, std::int64_t fromMs, std::int64_t toMs,
                       std::vector<std::int16_t>& out) {
  RenderSamples(tone, SampleAt(fromMs), SampleAt(toMs), out);
}

void ToneSynth::RenderSamples(const ToneState& tone, std::int64_t first, std::int64_t end,
                              std::vector<std::int16_t>& out) {
  for (std::int64_t n = first; n < end; ++n) {
    const bool on = tone.Hz > 0 && BeepSounds(tone.Pattern, n * 1000 / kToneSampleRate);
    const double target = on ? 1.0 : 0.0;
    if (gain_ < target) gain_ = std::min(target, gain_ + 1.0 / kRampSamples);
    if (gain_ > target) gain_ = std::max(target, gain_ - 1.0 / kRampSamples);
    const double value = kLoudness * gain_ * std::sin(2.0 * std::numbers::pi * phase_);
    out.push_back(static_cast<std::int16_t>(std::lround(value * 32767.0)));
    if (tone.Hz > 0) {
      phase_ += tone.Hz / kToneSampleRate;
      phase_ -= std::floor(phase_);
    }
  }
}

}  // namespace ptpdiag

#include "alignment/tone.h"

#include <algorithm>
#include <cmath>

namespace ptpdiag {

std::string_view ToneModeName(ToneMode mode) {
  switch (mode) {
    case ToneMode::Magnifier:
      return "magnifier";
    case ToneMode::Link:
      return "link";
    case ToneMode::Absolute:
      break;
  }
  return "absolute";
}

std::string_view BeepPatternName(BeepPattern pattern) {
  switch (pattern) {
    case BeepPattern::Slow:
      return "slow";
    case BeepPattern::Fast:
      return "fast";
    case BeepPattern::Steady:
      break;
  }
  return "steady";
}

std::optional<ToneMode> ToneModeNamed(std::string_view name) {
  for (const ToneMode mode : {ToneMode::Absolute, ToneMode::Magnifier, ToneMode::Link})
    if (ToneModeName(mode) == name) return mode;
  return std::nullopt;
}

ToneMode NextToneMode(ToneMode mode) {
  switch (mode) {
    case ToneMode::Absolute:
      return ToneMode::Magnifier;
    case ToneMode::Magnifier:
      return ToneMode::Link;
    case ToneMode::Link:
      break;
  }
  return ToneMode::Absolute;
}

// Slow: a quarter-second beep each second; fast: eight a second.
bool BeepSounds(BeepPattern pattern, std::int64_t ms) {
  switch (pattern) {
    case BeepPattern::Slow:
      return ms % 1000 < 250;
    case BeepPattern::Fast:
      return ms % 125 < 63;
    case BeepPattern::Steady:
      break;
  }
  return true;
}

// From the lowest pitch at the squelch to the highest at the top, evenly
// in musical steps; silence below the squelch.
double TonePitch::AbsoluteHz(std::optional<double> level) const {
  if (!level || *level < settings_.SquelchDbm) return 0;
  const double span = std::max(1.0, settings_.TopDbm - settings_.SquelchDbm);
  const double share = std::min(1.0, (*level - settings_.SquelchDbm) / span);
  return kLowestToneHz * std::pow(kHighestToneHz / kLowestToneHz, share);
}

double TonePitch::MagnifierHz(std::optional<double> level) const {
  if (!level || recentLevels_.empty()) return 0;
  const double centre = recentSum_ / static_cast<double>(recentLevels_.size());
  const double hz = kMagnifierCentreHz * std::pow(kMagnifierRatioPerDb, *level - centre);
  return std::clamp(hz, kLowestToneHz / 2, kHighestToneHz * 2);
}

ToneState TonePitch::AtTick(const AlignmentFigures& f) {
  while (!recentLevels_.empty() && recentLevels_.front().first <= f.Ms - kMagnifierWindowMs) {
    recentSum_ -= recentLevels_.front().second;
    recentLevels_.pop_front();
  }
  if (recentLevels_.empty()) recentSum_ = 0;  // no drift from adding and taking away
  if (f.LevelDbm) {
    recentLevels_.emplace_back(f.Ms, *f.LevelDbm);
    recentSum_ += *f.LevelDbm;
  }
  switch (settings_.Mode) {
    case ToneMode::Magnifier:
      return {MagnifierHz(f.LevelDbm), BeepPattern::Steady};
    case ToneMode::Link:
      if (f.FailedChecks) return {kLinkToneHz, BeepPattern::Fast};
      if (!f.GoodPct || *f.GoodPct <= 0) return {kLinkToneHz, BeepPattern::Slow};
      return {kLinkToneHz, BeepPattern::Steady};
    case ToneMode::Absolute:
      break;
  }
  return {AbsoluteHz(f.LevelDbm), BeepPattern::Steady};
}

}  // namespace ptpdiag

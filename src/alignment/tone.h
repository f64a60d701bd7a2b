// The tone that follows the level, for the engineer turning the antenna
// without looking at the screen. Three modes: absolute (pitch by level
// between the squelch and the top of the range, silence below), magnifier
// (centred on the last 10 s, so that each dB is a clear step of pitch) and
// link (beeps saying whether frames come at all, and whether they pass
// their check). The pitch is worked out once a tick, from that tick's
// figures; the beeps' on and off come from the time within the tick.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string_view>

#include "alignment/alignment_meter.h"

namespace ptpdiag {

enum class ToneMode { Absolute, Magnifier, Link };
enum class BeepPattern { Steady, Slow, Fast };

inline constexpr double kLowestToneHz = 300.0;
inline constexpr double kHighestToneHz = 1500.0;
inline constexpr double kDefaultSquelchDbm = -100.0;
inline constexpr double kDefaultTopDbm = -40.0;
// The magnifier: the pitch at the 10 s mean, and the ratio for one dB.
inline constexpr double kMagnifierCentreHz = 700.0;
inline constexpr double kMagnifierRatioPerDb = 1.07;
inline constexpr std::int64_t kMagnifierWindowMs = 10000;
inline constexpr double kLinkToneHz = 660.0;

std::string_view ToneModeName(ToneMode mode);  // "absolute", "magnifier", "link"
std::optional<ToneMode> ToneModeNamed(std::string_view name);
ToneMode NextToneMode(ToneMode mode);
std::string_view BeepPatternName(BeepPattern pattern);  // "steady", "slow", "fast"

struct ToneSettings {
  ToneMode Mode = ToneMode::Absolute;
  double SquelchDbm = kDefaultSquelchDbm;
  double TopDbm = kDefaultTopDbm;
};

struct ToneState {
  double Hz = 0;  // 0: silent
  BeepPattern Pattern = BeepPattern::Steady;
};

// Whether a beep pattern sounds `ms` into the session.
bool BeepSounds(BeepPattern pattern, std::int64_t ms);

class TonePitch {
 public:
  explicit TonePitch(ToneSettings settings = {}) : settings_(settings) {}

  // The tone from this tick's figures (one call a tick).
  ToneState AtTick(const AlignmentFigures& figures);
  const ToneSettings& Settings() const { return settings_; }
  void SetMode(ToneMode mode) { settings_.Mode = mode; }
  void Reset() { recentLevels_.clear(); }

 private:
  double AbsoluteHz(std::optional<double> level) const;
  double MagnifierHz(std::optional<double> level) const;

  ToneSettings settings_;
  // The last 10 s of levels, for the magnifier's centre.
  std::deque<std::pair<std::int64_t, double>> recentLevels_;
  double recentSum_ = 0;
};

}  // namespace ptpdiag

// The repetition period of an interferer, from the visits of the channels
// it covers: each visit a tick number and whether the interferer was on.
// The visits are binned by tick (250 ms); the autocorrelation of the
// binned share of interfered visits peaks at every multiple of the period.
// The first peak after the correlation has fallen below zero gives the
// period, and later peaks refine it. The visits folded at that period must
// line up: an alias (a period shorter than the channels are revisited,
// seen through the hop pattern) does not, and gives no period.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace ptpdiag {

inline constexpr double kTickSeconds = 0.25;
inline constexpr double kShortestPeriodS = 1.0;
inline constexpr double kLongestPeriodS = 600.0;

struct TimedVisit {
  std::uint32_t Tick = 0;
  bool Interfered = false;
};

// In seconds, between 1 and 600, when one is evident; nothing otherwise
// (too few visits, an interferer always on, or none with a rhythm).
std::optional<double> FindPeriod(std::vector<TimedVisit> visits);

}  // namespace ptpdiag

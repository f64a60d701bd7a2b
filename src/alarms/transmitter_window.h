// The transmitter's VSWR readings of the last second, for the alarm that
// watches them: the highest reading of the frames that transmitted (a
// nonzero current). A fault on a few channels shows at their first visit,
// where the header's mean over all frames, or a channel's smoothed
// reading, would take seconds to climb.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <utility>

namespace ptpdiag {

class TransmitterWindow {
 public:
  void AddFrame(std::uint8_t vswrByte, std::uint8_t currentByte, std::int64_t tickMs);
  // The highest reading of the second up to `tickMs`; nothing without one.
  std::optional<double> HighestVswr(std::int64_t tickMs);
  void Reset() { ticks_.clear(); }

 private:
  std::deque<std::pair<std::int64_t, std::uint8_t>> ticks_;  // each tick's highest
};

}  // namespace ptpdiag

// The nine-byte diagnostic frame the radio sends once per hop.
#pragma once

#include <array>
#include <cstdint>

#include "state/diagnostics_store.h"

namespace ptpdiag {

inline constexpr std::uint8_t kFrameLead = 240;
inline constexpr int kFrameSize = 9;
inline constexpr int kChannelByteOffset = 76;

// Offsets: 0 lead (240), 1 channel + 76, 2 noise, 3 signal (0 = missed),
// 4 transmit count, 5 receive count, 6 VSWR, 7 current (0 = not
// transmitting), 8 XOR of bytes 1..7.
using DiagFrame = std::array<std::uint8_t, kFrameSize>;

// True when byte 8 equals the XOR of bytes 1 to 7.
[[nodiscard]] bool CheckFrame(const DiagFrame& frame);

// Whether a byte stream has carried a whole frame as a radio sends it: the
// lead byte, a channel of 1 to 111 and a right check. (A run of lead bytes
// passes the check but names channel 164.)
class FrameSpotter {
 public:
  void Feed(std::uint8_t byte);
  bool Spotted() const { return spotted_; }

 private:
  DiagFrame last_{};
  bool spotted_ = false;
};

// Applies an accepted frame to the period accumulators and the per-channel
// tables. A frame whose channel byte is below 76 names no channel and is
// ignored as a whole; returns whether the frame was applied.
bool ApplyFrame(DiagnosticsStore& store, const DiagFrame& frame);

}  // namespace ptpdiag

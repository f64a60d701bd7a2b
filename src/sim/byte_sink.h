// Where a live stream's bytes go: the one thing the live outputs differ in.
#pragma once

#include <cstdint>
#include <span>

namespace ptpdiag::sim {

// Bytes that went out and bytes that did not (no reader, full buffer,
// send error); together they are all the bytes offered.
struct WriteCounts {
  std::int64_t Sent = 0;
  std::int64_t Dropped = 0;
};

class ByteSink {
 public:
  virtual ~ByteSink() = default;

  // Puts out one hop's bytes and never waits for the receiver: what does
  // not fit now is dropped.
  virtual WriteCounts Write(std::span<const std::uint8_t> bytes) = 0;

  // Puts out anything held back (a partly filled datagram); called once
  // when the stream ends.
  virtual WriteCounts Flush() { return {}; }
};

}  // namespace ptpdiag::sim

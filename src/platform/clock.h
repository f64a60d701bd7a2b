// Local date and time, a monotonic counter, and the local time zone's
// offset from UTC, as the core needs them.
#pragma once

#include <cstdint>

namespace ptpdiag {

struct LocalDateTime {
  int Year = 2000;
  int Month = 1;  // 1..12
  int Day = 1;    // 1..31
  int Hour = 0;
  int Minute = 0;
  int Second = 0;
  int Millisecond = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual LocalDateTime LocalNow() const = 0;
  // Milliseconds on a counter that never runs backwards.
  virtual std::int64_t MonotonicMs() const = 0;
  // How far local time is ahead of UTC at the instant `unixSeconds`
  // (seconds since 1970 UTC); 0 where the clock knows no time zone.
  virtual std::int32_t UtcOffsetSeconds(std::int64_t /*unixSeconds*/) const { return 0; }
};

}  // namespace ptpdiag

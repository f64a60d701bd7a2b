// Local date and time, and a monotonic counter, as the core needs them.
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
};

}  // namespace ptpdiag

// The computer's own clock: local date and time, a steady counter, and
// the offset of the TZ time zone.
#pragma once

#include "platform/clock.h"

namespace ptpdiag {

class SystemClock final : public Clock {
 public:
  LocalDateTime LocalNow() const override;
  std::int64_t MonotonicMs() const override;
  std::int32_t UtcOffsetSeconds(std::int64_t unixSeconds) const override;
};

}  // namespace ptpdiag

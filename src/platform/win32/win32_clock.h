// The computer's clock on Windows: GetLocalTime, and GetTickCount64 as the
// count that never runs backwards.
#pragma once

#include "platform/clock.h"

namespace ptpdiag {

class Win32Clock final : public Clock {
 public:
  LocalDateTime LocalNow() const override;
  std::int64_t MonotonicMs() const override;
  // From the system's time zone rules for the year of the instant.
  std::int32_t UtcOffsetSeconds(std::int64_t unixSeconds) const override;
};

}  // namespace ptpdiag

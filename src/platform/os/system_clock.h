// The computer's own clock: local date and time, and a steady counter.
#pragma once

#include "platform/clock.h"

namespace ptpdiag {

class SystemClock final : public Clock {
 public:
  LocalDateTime LocalNow() const override;
  std::int64_t MonotonicMs() const override;
};

}  // namespace ptpdiag

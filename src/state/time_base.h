// The time base of the statistics: ClockSeconds, the seconds count of the
// local date and time, and the elapsed seconds that the history and the time
// screen use.
#pragma once

#include <cstdint>
#include <string>

#include "platform/clock.h"

namespace ptpdiag {

// Seconds since 1990 with 365-day years (leap days not counted) and the day
// of the month counted from 1: 1 January 1990 00:00:00 gives 86400.
std::int32_t ClockSeconds(const LocalDateTime& t);

// "hh:mm:ss".
std::string TimeOfDayText(const LocalDateTime& t);

// Counts the wall clock's second boundaries since Restart on a monotonic
// counter, so the count never runs backwards or stalls when the local time
// is set back (daylight saving, the 365-day year of ClockSeconds).
class ElapsedClock {
 public:
  void Restart(const Clock& clock);
  std::int32_t Seconds(const Clock& clock) const;
  // The count at the monotonic time `monotonicMs`.
  std::int32_t SecondsAt(std::int64_t monotonicMs) const;
  // The wall clock's second boundary the count starts at: its time on the
  // monotonic counter, and the local time then.
  std::int64_t OriginMonotonicMs() const { return startMonotonicMs_ - startFractionMs_; }
  const LocalDateTime& OriginLocal() const { return originLocal_; }

 private:
  std::int64_t startMonotonicMs_ = 0;
  std::int64_t startFractionMs_ = 0;
  LocalDateTime originLocal_;
};

}  // namespace ptpdiag

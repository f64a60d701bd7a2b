// Calendar arithmetic on local dates and times (proleptic Gregorian), and
// local times with their offset from UTC as the clock's time zone gives it.
#pragma once

#include <cstdint>

#include "platform/clock.h"

namespace ptpdiag {

// Seconds since 1970-01-01 00:00:00 of `t` read as if it were UTC.
std::int64_t SecondsOfCivil(const LocalDateTime& t);
// The date and time `seconds` after 1970-01-01 00:00:00 (milliseconds 0).
LocalDateTime CivilOfSeconds(std::int64_t seconds);

// `t` later than `start` by `seconds` on the calendar.
LocalDateTime AddSeconds(const LocalDateTime& start, std::int64_t seconds);

struct ZonedTime {
  LocalDateTime Local;
  std::int32_t UtcOffsetSeconds = 0;
};

// The local time `elapsed` real seconds after the local time `origin`,
// across changes of the UTC offset (daylight saving), with its offset.
ZonedTime ZonedAfter(const Clock& zone, const LocalDateTime& origin, std::int64_t elapsed);

}  // namespace ptpdiag

#include "state/civil_time.h"

namespace ptpdiag {
namespace {

// Days since 1970-01-01 of a civil date, and back.
std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(std::int64_t z, LocalDateTime& t) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  t.Day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  t.Month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  t.Year = static_cast<int>(yoe + era * 400 + (t.Month <= 2));
}

}  // namespace

std::int64_t SecondsOfCivil(const LocalDateTime& t) {
  return DaysFromCivil(t.Year, t.Month, t.Day) * 86400 + t.Hour * 3600 + t.Minute * 60 + t.Second;
}

LocalDateTime CivilOfSeconds(std::int64_t seconds) {
  std::int64_t days = seconds / 86400;
  std::int64_t rest = seconds % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  LocalDateTime t;
  CivilFromDays(days, t);
  t.Hour = static_cast<int>(rest / 3600);
  t.Minute = static_cast<int>(rest / 60 % 60);
  t.Second = static_cast<int>(rest % 60);
  return t;
}

LocalDateTime AddSeconds(const LocalDateTime& start, std::int64_t seconds) {
  return CivilOfSeconds(SecondsOfCivil(start) + seconds);
}

ZonedTime ZonedAfter(const Clock& zone, const LocalDateTime& origin, std::int64_t elapsed) {
  // The origin's UTC instant: its wall time less the offset in force then
  // (found from a first guess, then once more at the instant it gives).
  const std::int64_t wall = SecondsOfCivil(origin);
  std::int64_t utc = wall - zone.UtcOffsetSeconds(wall);
  utc = wall - zone.UtcOffsetSeconds(utc);
  const std::int64_t at = utc + elapsed;
  ZonedTime result;
  result.UtcOffsetSeconds = zone.UtcOffsetSeconds(at);
  result.Local = CivilOfSeconds(at + result.UtcOffsetSeconds);
  return result;
}

}  // namespace ptpdiag

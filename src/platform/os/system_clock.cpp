#include "platform/os/system_clock.h"

#include <chrono>
#include <ctime>

namespace ptpdiag {

LocalDateTime SystemClock::LocalNow() const {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  const auto ms =
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()) % 1000;
  std::tm local{};
  localtime_r(&seconds, &local);
  LocalDateTime t;
  t.Year = local.tm_year + 1900;
  t.Month = local.tm_mon + 1;
  t.Day = local.tm_mday;
  t.Hour = local.tm_hour;
  t.Minute = local.tm_min;
  t.Second = local.tm_sec > 59 ? 59 : local.tm_sec;  // a leap second reads as :59
  t.Millisecond = static_cast<int>(ms.count() < 0 ? ms.count() + 1000 : ms.count());
  return t;
}

std::int64_t SystemClock::MonotonicMs() const {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

std::int32_t SystemClock::UtcOffsetSeconds(std::int64_t unixSeconds) const {
  const auto seconds = static_cast<std::time_t>(unixSeconds);
  std::tm local{};
  if (localtime_r(&seconds, &local) == nullptr) return 0;
  return static_cast<std::int32_t>(local.tm_gmtoff);
}

}  // namespace ptpdiag

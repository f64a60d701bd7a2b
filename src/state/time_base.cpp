#include "state/time_base.h"

#include <array>
#include <cstdio>

#include "state/nearest.h"

namespace ptpdiag {

std::int32_t ClockSeconds(const LocalDateTime& t) {
  static constexpr std::array<std::int64_t, 12> kMonthOffset = {
      0,        2678400,  5097600,  7776000,  10368000, 13046400,
      15638400, 18316800, 20995200, 23587200, 26265600, 28857600};
  const std::int64_t month =
      (t.Month >= 1 && t.Month <= 12) ? kMonthOffset[static_cast<std::size_t>(t.Month - 1)] : 0;
  const std::int64_t s = 31536000LL * (t.Year - 1990) + month + 86400LL * t.Day + 3600LL * t.Hour +
                         60LL * t.Minute + t.Second;
  return Wrap32(s);
}

std::string TimeOfDayText(const LocalDateTime& t) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", t.Hour % 100, t.Minute % 100, t.Second % 100);
  return text;
}

void ElapsedClock::Restart(const Clock& clock) {
  startMonotonicMs_ = clock.MonotonicMs();
  originLocal_ = clock.LocalNow();
  startFractionMs_ = originLocal_.Millisecond;
  originLocal_.Millisecond = 0;
}

std::int32_t ElapsedClock::Seconds(const Clock& clock) const {
  return SecondsAt(clock.MonotonicMs());
}

std::int32_t ElapsedClock::SecondsAt(std::int64_t monotonicMs) const {
  const std::int64_t ms = monotonicMs - startMonotonicMs_ + startFractionMs_;
  const std::int64_t seconds = ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000);
  return Wrap32(seconds);
}

}  // namespace ptpdiag

#include "link/replay.h"

#include <algorithm>
#include <limits>

#include "state/app_context.h"

namespace ptpdiag {
namespace {

// Days since 1970-01-01 of a civil date, and back (proleptic Gregorian).
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

LocalDateTime AddSeconds(const LocalDateTime& start, std::int64_t seconds) {
  std::int64_t total = DaysFromCivil(start.Year, start.Month, start.Day) * 86400 +
                       start.Hour * 3600 + start.Minute * 60 + start.Second + seconds;
  std::int64_t days = total / 86400;
  std::int64_t rest = total % 86400;
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

LocalDateTime ReplayClock::LocalNow() const {
  LocalDateTime now = AddSeconds(start_, t_ / 1000);
  now.Millisecond = static_cast<int>(t_ % 1000);
  return now;
}

void CaptureFeed::ArriveUntil(std::int64_t t) {
  while (nextChunk_ < capture_.Chunks.size() && capture_.Chunks[nextChunk_].TimeMs <= t) {
    arrived_ = capture_.Chunks[nextChunk_].End;
    ++nextChunk_;
  }
}

std::optional<std::int64_t> CaptureFeed::NextArrivalMs() const {
  if (nextChunk_ >= capture_.Chunks.size()) return std::nullopt;
  return capture_.Chunks[nextChunk_].TimeMs;
}

std::int32_t CaptureFeed::BytesAvailable() {
  const std::size_t waiting = arrived_ - taken_;
  return static_cast<std::int32_t>(
      std::min<std::size_t>(waiting, std::numeric_limits<std::int32_t>::max()));
}

ReadResult CaptureFeed::Read(std::int32_t count) {
  ReadResult result;
  const std::size_t n =
      std::min<std::size_t>(count > 0 ? static_cast<std::size_t>(count) : 0, arrived_ - taken_);
  result.Bytes.assign(capture_.Bytes.begin() + static_cast<std::ptrdiff_t>(taken_),
                      capture_.Bytes.begin() + static_cast<std::ptrdiff_t>(taken_ + n));
  taken_ += n;
  return result;
}

std::int64_t ReplayTickCount(const Capture& capture, std::optional<std::int64_t> untilMs) {
  const std::int64_t lastTick = untilMs ? *untilMs : capture.LastTimeMs + 2500;
  return lastTick <= 0 ? 0 : (lastTick + kTickMs - 1) / kTickMs;
}

void RunReplay(AppContext& app, BackedWindow& window, ReplayClock& clock, CaptureFeed& feed,
               std::int64_t ticks) {
  app.Link.ReplayFeed = &feed;
  for (std::int64_t k = 1; k <= ticks; ++k) {
    clock.SetMs(kTickMs * k);
    feed.ArriveUntil(kTickMs * k);
    const bool idle = feed.BytesAvailable() <= 8 && app.Store.PeriodFrames <= 0;
    if (idle) {
      // Nothing can change before more data arrives: go to the tick that
      // sees it (the loop's ++k lands on it).
      app.Store.BytesAvailable = feed.BytesAvailable();
      const auto next = feed.NextArrivalMs();
      const std::int64_t nextTick = next ? (*next + kTickMs - 1) / kTickMs : ticks + 1;
      k = std::max(k, nextTick - 1);
      continue;
    }
    window.Send(WM_TIMER, 1, 0);
  }
  if (ticks > 0) clock.SetMs(kTickMs * ticks);  // the run ends at the last tick
  app.Link.ReplayFeed = nullptr;
}

}  // namespace ptpdiag

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

CaptureFeed::CaptureFeed(CaptureLines lines) : lines_(std::move(lines)) {
  next_ = lines_();
}

void CaptureFeed::ArriveUntil(std::int64_t t) {
  while (next_ && next_->TimeMs <= t) {
    arrived_.insert(arrived_.end(), next_->Bytes.begin(), next_->Bytes.end());
    lastArrivalMs_ = next_->TimeMs;
    next_ = lines_();
  }
}

std::optional<std::int64_t> CaptureFeed::NextArrivalMs() const {
  if (!next_) return std::nullopt;
  return next_->TimeMs;
}

std::int32_t CaptureFeed::BytesAvailable() {
  return static_cast<std::int32_t>(
      std::min<std::size_t>(arrived_.size(), std::numeric_limits<std::int32_t>::max()));
}

ReadResult CaptureFeed::Read(std::int32_t count) {
  ReadResult result;
  const std::size_t n =
      std::min<std::size_t>(count > 0 ? static_cast<std::size_t>(count) : 0, arrived_.size());
  result.Bytes.assign(arrived_.begin(), arrived_.begin() + static_cast<std::ptrdiff_t>(n));
  arrived_.erase(arrived_.begin(), arrived_.begin() + static_cast<std::ptrdiff_t>(n));
  return result;
}

std::int64_t ArrivalReplayEndMs(std::int64_t lastDataMs, std::optional<std::int64_t> untilMs) {
  const std::int64_t last = untilMs ? *untilMs : lastDataMs + kReplayTailMs;
  return last <= 0 ? 0 : (last + kTickMs - 1) / kTickMs * kTickMs;
}

namespace {

// Nothing can change before more data arrives: no frame waits, no period
// is open.
bool Idle(const AppContext& app, CaptureFeed& feed) {
  return feed.BytesAvailable() <= 8 && app.Store.PeriodFrames <= 0;
}

void Tick(BackedWindow& window, ReplayClock& clock, CaptureFeed& feed, std::int64_t t) {
  clock.SetMs(t);
  feed.ArriveUntil(t);
  window.Send(WM_TIMER, 1, 0);
}

bool Stopped(const ReplayPlan& plan) {
  return plan.Stop && plan.Stop();
}

// Ticks every 250 ms, as the replay of arrival captures always has.
std::int64_t RunArrivalReplay(AppContext& app, BackedWindow& window, ReplayClock& clock,
                              CaptureFeed& feed, const ReplayPlan& plan) {
  std::int64_t t = 0;
  for (;;) {
    if (Stopped(plan)) break;
    const std::optional<std::int64_t> next = feed.NextArrivalMs();
    const std::int64_t end =
        next ? (plan.UntilMs ? ArrivalReplayEndMs(0, plan.UntilMs) : INT64_MAX)
             : ArrivalReplayEndMs(feed.LastArrivalMs(), plan.UntilMs);
    std::int64_t due = t + kTickMs;
    if (Idle(app, feed)) {
      // Straight to the tick that sees the next data (or the last tick).
      const std::int64_t seeing = next ? (*next + kTickMs - 1) / kTickMs * kTickMs : end;
      due = std::max(due, seeing);
    }
    if (due > end) break;
    t = due;
    Tick(window, clock, feed, t);
  }
  return t;
}

// Ticks at each recorded tick's time, as the live session did (it wrote
// every tick, with bytes or without); after the last one, on to the
// recorded end, or 2.5 s past the data for a recording cut short.
std::int64_t RunTickReplay(AppContext& app, BackedWindow& window, ReplayClock& clock,
                           CaptureFeed& feed, const ReplayPlan& plan) {
  std::int64_t t = 0;
  for (;;) {
    if (Stopped(plan)) break;
    const std::optional<std::int64_t> next = feed.NextArrivalMs();
    std::int64_t end = plan.UntilMs ? *plan.UntilMs : INT64_MAX;
    std::int64_t due = 0;
    if (next) {
      due = std::max(*next, t + 1);
    } else {
      if (!plan.UntilMs) {
        const std::optional<std::int64_t> recorded = plan.EndMs ? plan.EndMs() : std::nullopt;
        end = recorded ? *recorded : feed.LastArrivalMs() + kReplayTailMs;
      }
      if (t >= end) break;
      due = Idle(app, feed) ? end : t + kTickMs;  // idle: nothing more can change
    }
    if (due > end) break;
    t = due;
    Tick(window, clock, feed, t);
  }
  return t;
}

}  // namespace

std::int64_t RunReplay(AppContext& app, BackedWindow& window, ReplayClock& clock, CaptureFeed& feed,
                       const ReplayPlan& plan) {
  app.Link.ReplayFeed = &feed;
  const std::int64_t last = plan.Timing == CaptureTiming::Ticks
                                ? RunTickReplay(app, window, clock, feed, plan)
                                : RunArrivalReplay(app, window, clock, feed, plan);
  clock.SetMs(last);  // the run ends at the last tick
  app.Link.ReplayFeed = nullptr;
  return last;
}

}  // namespace ptpdiag

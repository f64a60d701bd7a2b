#include "link/replay.h"

#include <algorithm>
#include <limits>

#include "state/app_context.h"

namespace ptpdiag {
LocalDateTime ReplayClock::LocalNow() const {
  LocalDateTime now = AddSeconds(start_, t_ / 1000);
  now.Millisecond = static_cast<int>(t_ % 1000);
  return now;
}

CaptureFeed::CaptureFeed(CaptureLines lines) : lines_(std::move(lines)) {
  next_ = lines_();
}

void CaptureFeed::ArriveUntil(std::int64_t t) {
  while (next_ && next_->TimeMs <= t && arrived_.size() < kMostWaitingReplayBytes) {
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
// is open, and no alarm waits on the silence.
bool Idle(const AppContext& app, CaptureFeed& feed) {
  return feed.BytesAvailable() <= 8 && app.Store.PeriodFrames <= 0 && !app.Alarms.MayChangeWithoutData();
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
    std::int64_t end = next ? (plan.UntilMs ? ArrivalReplayEndMs(0, plan.UntilMs) : INT64_MAX)
                            : ArrivalReplayEndMs(feed.LastArrivalMs(), plan.UntilMs);
    // A recorded end past the data: the radio fell silent before it.
    const std::optional<std::int64_t> recorded = plan.EndMs ? plan.EndMs() : std::nullopt;
    if (!next && !plan.UntilMs && recorded) end = std::max(end, ArrivalReplayEndMs(0, *recorded));
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

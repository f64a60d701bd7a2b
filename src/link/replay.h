// Replaying a capture: a scripted clock and a byte feed that deliver the
// recorded stream to the poll cycle as it arrived, tick by tick, reading
// the capture as it goes.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>

#include "link/capture_file.h"
#include "platform/backed_window.h"
#include "platform/byte_source.h"
#include "platform/clock.h"
#include "state/civil_time.h"

namespace ptpdiag {

struct AppContext;

inline constexpr std::int64_t kTickMs = 250;
// A replay goes on this long after the last data, when nothing says more.
inline constexpr std::int64_t kReplayTailMs = 2500;

// Local time is the capture's start plus the whole seconds of t; the
// monotonic count is t itself.
class ReplayClock final : public Clock {
 public:
  explicit ReplayClock(const LocalDateTime& start) : start_(start) {}
  void SetMs(std::int64_t t) { t_ = t; }
  std::int64_t Ms() const { return t_; }
  LocalDateTime LocalNow() const override;
  std::int64_t MonotonicMs() const override { return t_; }
  // The time zone is that of `zone` (not owned; none: UTC).
  void SetZone(const Clock* zone) { zone_ = zone; }
  std::int32_t UtcOffsetSeconds(std::int64_t unixSeconds) const override {
    return zone_ != nullptr ? zone_->UtcOffsetSeconds(unixSeconds) : 0;
  }

 private:
  const Clock* zone_ = nullptr;
  LocalDateTime start_;
  std::int64_t t_ = 0;
};


using CaptureLines = std::function<std::optional<CaptureLine>()>;

// Bytes the feed holds at most (a radio sends under 3 KB a tick): lines
// due beyond it arrive at the next ticks, so a capture with everything at
// one time neither fills the memory nor holds a tick for long.
inline constexpr std::size_t kMostWaitingReplayBytes = 1024 * 1024;

// The recorded bytes as a driver with unlimited room would hold them: every
// byte of every line up to the current time has arrived, up to
// kMostWaitingReplayBytes. Lines are read from `lines` only as their time
// comes, so memory holds only what waits.
class CaptureFeed final : public ByteSource {
 public:
  explicit CaptureFeed(CaptureLines lines);
  // Lets every line with time <= t arrive.
  void ArriveUntil(std::int64_t t);
  // Time of the next line still to arrive, if any.
  std::optional<std::int64_t> NextArrivalMs() const;
  // The time of the last line that arrived; 0 before any.
  std::int64_t LastArrivalMs() const { return lastArrivalMs_; }

  std::int32_t BytesAvailable() override;
  ReadResult Read(std::int32_t count) override;

 private:
  CaptureLines lines_;
  std::optional<CaptureLine> next_;
  std::deque<std::uint8_t> arrived_;
  std::int64_t lastArrivalMs_ = 0;
};

// The time of the last tick of a replay whose ticks fall every 250 ms:
// the first multiple of 250 at or after `untilMs`, or after the last data
// plus 2.5 s.
std::int64_t ArrivalReplayEndMs(std::int64_t lastDataMs, std::optional<std::int64_t> untilMs);

struct ReplayPlan {
  CaptureTiming Timing = CaptureTiming::Arrival;
  std::optional<std::int64_t> UntilMs;  // the last tick's time, when given
  // When the recorded session ended; asked once the capture is read.
  std::function<std::optional<std::int64_t>()> EndMs;
  // Asked between ticks; true ends the replay there.
  std::function<bool()> Stop;
};

// Runs a replay through the window's procedure as fast as it can. Arrival
// captures tick every 250 ms, skipping ticks in which nothing can change
// (no frame waiting, no period open); tick-stamped recordings tick exactly
// when the live session did, so the replay rebuilds its history. Returns
// the last tick's time.
std::int64_t RunReplay(AppContext& app, BackedWindow& window, ReplayClock& clock, CaptureFeed& feed,
                       const ReplayPlan& plan);

}  // namespace ptpdiag

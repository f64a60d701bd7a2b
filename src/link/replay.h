// Replaying a capture: a scripted clock and a byte feed that deliver the
// recorded stream to the poll cycle as it arrived, tick by tick.
#pragma once

#include <cstdint>
#include <optional>

#include "link/capture_file.h"
#include "platform/backed_window.h"
#include "platform/byte_source.h"
#include "platform/clock.h"

namespace ptpdiag {

struct AppContext;

inline constexpr std::int64_t kTickMs = 250;

// Local time is the capture's start plus the whole seconds of t; the
// monotonic count is t itself.
class ReplayClock final : public Clock {
 public:
  explicit ReplayClock(const LocalDateTime& start) : start_(start) {}
  void SetMs(std::int64_t t) { t_ = t; }
  std::int64_t Ms() const { return t_; }
  LocalDateTime LocalNow() const override;
  std::int64_t MonotonicMs() const override { return t_; }

 private:
  LocalDateTime start_;
  std::int64_t t_ = 0;
};

// `t` later than `start` by `seconds` on the calendar.
LocalDateTime AddSeconds(const LocalDateTime& start, std::int64_t seconds);

// The recorded bytes as a driver with unlimited room would hold them: every
// byte of every chunk up to the current time has arrived.
class CaptureFeed final : public ByteSource {
 public:
  explicit CaptureFeed(const Capture& capture) : capture_(capture) {}
  // Lets every chunk with time <= t arrive.
  void ArriveUntil(std::int64_t t);
  // Time of the next chunk still to arrive, if any.
  std::optional<std::int64_t> NextArrivalMs() const;

  std::int32_t BytesAvailable() override;
  ReadResult Read(std::int32_t count) override;

 private:
  const Capture& capture_;
  std::size_t nextChunk_ = 0;
  std::size_t arrived_ = 0;
  std::size_t taken_ = 0;
};

// Number of timer ticks K: the smallest K with 250 K >= the last data time
// + 2500, or >= `untilMs` when given.
std::int64_t ReplayTickCount(const Capture& capture, std::optional<std::int64_t> untilMs);

// Runs ticks 1..ticks of a replay through the window's procedure as fast as
// it can. Ticks in which nothing can change (no frame waiting, no period
// open) are skipped.
void RunReplay(AppContext& app, BackedWindow& window, ReplayClock& clock, CaptureFeed& feed,
               std::int64_t ticks);

}  // namespace ptpdiag

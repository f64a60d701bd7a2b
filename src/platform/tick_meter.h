// How punctual the 250 ms timer is: the lateness of each tick after the
// first, measured from the one before it, and of the tick due when asked
// if it is already late (a cycle still running, or one that ran long just
// before the run ended).
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>

namespace ptpdiag {

inline constexpr int kTimerMs = 250;

struct TickStats {
  std::int64_t Ticks = 0;
  double MeanLateMs = 0;
  double MaxLateMs = 0;
};

class TickMeter {
 public:
  // Called at each tick.
  void Tick() { TickAt(std::chrono::steady_clock::now()); }

  void TickAt(std::chrono::steady_clock::time_point now) {
    if (ticks_ > 0) {
      const double late =
          std::max(0.0, std::chrono::duration<double, std::milli>(now - last_).count() - kTimerMs);
      lateSumMs_ += late;
      lateMaxMs_ = std::max(lateMaxMs_, late);
    }
    last_ = now;
    ++ticks_;
  }

  TickStats Stats() const { return StatsAt(std::chrono::steady_clock::now()); }

  TickStats StatsAt(std::chrono::steady_clock::time_point now) const {
    TickStats stats;
    stats.Ticks = ticks_;
    double sum = lateSumMs_;
    double max = lateMaxMs_;
    std::int64_t late = ticks_ > 1 ? ticks_ - 1 : 0;
    if (ticks_ > 0) {
      const double due = std::chrono::duration<double, std::milli>(now - last_).count() - kTimerMs;
      if (due > 0) {
        sum += due;
        max = std::max(max, due);
        ++late;
      }
    }
    stats.MeanLateMs = late > 0 ? sum / static_cast<double>(late) : 0.0;
    stats.MaxLateMs = max;
    return stats;
  }

 private:
  std::chrono::steady_clock::time_point last_;
  std::int64_t ticks_ = 0;
  double lateSumMs_ = 0;
  double lateMaxMs_ = 0;
};

}  // namespace ptpdiag

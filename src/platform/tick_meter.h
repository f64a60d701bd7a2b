// How punctual the 250 ms timer is: the lateness of each tick after the
// first, measured from the one before it.
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
  void Tick() {
    const auto now = std::chrono::steady_clock::now();
    if (ticks_ > 0) {
      const double late =
          std::max(0.0, std::chrono::duration<double, std::milli>(now - last_).count() - kTimerMs);
      lateSumMs_ += late;
      lateMaxMs_ = std::max(lateMaxMs_, late);
    }
    last_ = now;
    ++ticks_;
  }

  TickStats Stats() const {
    TickStats stats;
    stats.Ticks = ticks_;
    stats.MeanLateMs = ticks_ > 1 ? lateSumMs_ / static_cast<double>(ticks_ - 1) : 0.0;
    stats.MaxLateMs = lateMaxMs_;
    return stats;
  }

 private:
  std::chrono::steady_clock::time_point last_;
  std::int64_t ticks_ = 0;
  double lateSumMs_ = 0;
  double lateMaxMs_ = 0;
};

}  // namespace ptpdiag

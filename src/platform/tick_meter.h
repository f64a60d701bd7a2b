// How punctual the 250 ms timer is: the lateness of each tick after the
// first, measured from the one before it, and of the tick due when asked
// if it is already late (a cycle still running, or one that ran long just
// before the run ended).
#pragma once

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>

namespace ptpdiag {

inline constexpr int kTimerMs = 250;

struct TickStats {
  std::int64_t Ticks = 0;
  double MeanLateMs = 0;
  double MaxLateMs = 0;
  double P99LateMs = 0;  // to 0.1 ms below 200 ms
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
      ++bins_[BinOf(late)];
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
    std::array<std::uint32_t, kBins> bins = bins_;
    if (ticks_ > 0) {
      const double due = std::chrono::duration<double, std::milli>(now - last_).count() - kTimerMs;
      if (due > 0) {
        sum += due;
        max = std::max(max, due);
        ++late;
        ++bins[BinOf(due)];
      }
    }
    stats.MeanLateMs = late > 0 ? sum / static_cast<double>(late) : 0.0;
    stats.MaxLateMs = max;
    stats.P99LateMs = P99(bins, late, max);
    return stats;
  }

 private:
  // Lateness counted in bins of 0.1 ms; the last holds all from 200 ms on.
  static constexpr double kBinMs = 0.1;
  static constexpr std::size_t kBins = 2000;
  static std::size_t BinOf(double lateMs) {
    return std::min(kBins - 1, static_cast<std::size_t>(lateMs / kBinMs));
  }
  // Nearest rank, as the top of its bin, never above the highest.
  static double P99(const std::array<std::uint32_t, kBins>& bins, std::int64_t count, double max) {
    const auto rank = static_cast<std::uint64_t>(std::ceil(0.99 * static_cast<double>(count)));
    std::uint64_t seen = 0;
    for (std::size_t i = 0; i + 1 < kBins; ++i) {
      seen += bins[i];
      if (seen >= rank && seen > 0) return std::min(max, static_cast<double>(i + 1) * kBinMs);
    }
    return max;
  }

  std::chrono::steady_clock::time_point last_;
  std::int64_t ticks_ = 0;
  double lateSumMs_ = 0;
  double lateMaxMs_ = 0;
  std::array<std::uint32_t, kBins> bins_{};
};

}  // namespace ptpdiag

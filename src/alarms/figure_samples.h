// The figures the alarms watch, kept tick by tick over the last minutes a
// link was open: what a commissioning report grades against its limits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

#include "alarms/alarm_engine.h"

namespace ptpdiag {

// The timer ticks every 250 ms.
inline constexpr std::size_t kTicksPerMinute = 240;
inline constexpr int kMaxSampleMinutes = 8 * 60;

class FigureSamples {
 public:
  explicit FigureSamples(int minutes = 15) { SetMinutes(minutes); }
  // Keeps the ticks of the last `minutes` (1 to 8 hours) with a link open.
  void SetMinutes(int minutes);
  int Minutes() const { return minutes_; }
  // A tick's figures at session time `ms`; a tick with no link open (no
  // seconds without data) is not kept.
  void Add(const AlarmInputs& inputs, std::int64_t ms);
  std::size_t Ticks() const { return ticks_.size(); }
  std::optional<std::int64_t> FirstMs() const;
  std::optional<std::int64_t> LastMs() const;
  // The known values of one figure over the kept ticks, in ascending order.
  std::vector<double> Sorted(AlarmFigure figure) const;
  void Clear() { ticks_.clear(); }

 private:
  struct Tick {
    std::int64_t Ms = 0;
    AlarmInputs Inputs;
  };
  int minutes_ = 15;
  std::deque<Tick> ticks_;
};

// The 1st, 50th and 99th percentiles by nearest rank, and the extremes.
struct Percentiles {
  std::size_t Count = 0;
  double Min = 0, P1 = 0, P50 = 0, P99 = 0, Max = 0;
};

// Nothing for no values; `sorted` ascending.
std::optional<Percentiles> PercentilesOf(const std::vector<double>& sorted);

}  // namespace ptpdiag

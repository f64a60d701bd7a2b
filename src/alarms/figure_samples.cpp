#include "alarms/figure_samples.h"

#include <algorithm>
#include <cmath>

namespace ptpdiag {
namespace {

// Nearest rank: the smallest value with at least p % of the values at or
// below it, so every percentile is a value that was measured.
double NearestRank(const std::vector<double>& sorted, double p) {
  const auto n = static_cast<double>(sorted.size());
  const auto rank = static_cast<std::size_t>(std::ceil(p / 100.0 * n));
  return sorted[std::clamp<std::size_t>(rank, 1, sorted.size()) - 1];
}

}  // namespace

void FigureSamples::SetMinutes(int minutes) {
  minutes_ = std::clamp(minutes, 1, kMaxSampleMinutes);
  const std::size_t most = static_cast<std::size_t>(minutes_) * kTicksPerMinute;
  while (ticks_.size() > most) ticks_.pop_front();
}

void FigureSamples::Add(const AlarmInputs& inputs, std::int64_t ms) {
  if (!inputs[AlarmFigure::SecondsWithoutData]) return;
  ticks_.push_back(Tick{ms, inputs});
  if (ticks_.size() > static_cast<std::size_t>(minutes_) * kTicksPerMinute) ticks_.pop_front();
}

std::optional<std::int64_t> FigureSamples::FirstMs() const {
  if (ticks_.empty()) return std::nullopt;
  return ticks_.front().Ms;
}

std::optional<std::int64_t> FigureSamples::LastMs() const {
  if (ticks_.empty()) return std::nullopt;
  return ticks_.back().Ms;
}

std::vector<double> FigureSamples::Sorted(AlarmFigure figure) const {
  std::vector<double> values;
  values.reserve(ticks_.size());
  for (const Tick& t : ticks_) {
    if (const std::optional<double>& v = t.Inputs[figure]) values.push_back(*v);
  }
  std::sort(values.begin(), values.end());
  return values;
}

std::optional<Percentiles> PercentilesOf(const std::vector<double>& sorted) {
  if (sorted.empty()) return std::nullopt;
  return Percentiles{sorted.size(), sorted.front(), NearestRank(sorted, 1), NearestRank(sorted, 50),
                     NearestRank(sorted, 99), sorted.back()};
}

}  // namespace ptpdiag

#include "quality/waterfall.h"

#include <algorithm>

namespace ptpdiag {

std::optional<int> WaterfallCell::NoiseMaxDbm() const {
  if (Visits == 0) return std::nullopt;
  return -static_cast<int>(std::min<std::uint8_t>(LoudestNoise, 127));
}

std::optional<double> WaterfallCell::SignalMeanDbm() const {
  const std::uint32_t good = Visits - Misses;
  if (good == 0) return std::nullopt;
  return -static_cast<double>(SignalSum) / good;
}

std::optional<double> WaterfallCell::MissShare() const {
  if (Visits == 0) return std::nullopt;
  return static_cast<double>(Misses) / Visits;
}

void Waterfall::Add(int channel, std::uint8_t noiseByte, std::uint8_t signalByte,
                    std::int64_t tickMs) {
  if (channel < 1 || channel > kWaterfallChannels) return;
  const std::int64_t at = std::max<std::int64_t>(0, tickMs);
  while (at / rowMs_ >= kWaterfallRows) MergePairs();
  const auto row = static_cast<std::size_t>(at / rowMs_);
  if (rows_.size() <= row) rows_.resize(row + 1);
  WaterfallCell& cell = rows_[row][static_cast<std::size_t>(channel - 1)];
  cell.LoudestNoise = cell.Visits == 0 ? noiseByte : std::min(cell.LoudestNoise, noiseByte);
  ++cell.Visits;
  if (signalByte == 0) {
    ++cell.Misses;
  } else {
    cell.SignalSum += signalByte;
  }
}

void Waterfall::Reset() {
  rows_.clear();
  rowMs_ = kFirstRowMs;
}

void Waterfall::MergePairs() {
  std::vector<WaterfallRow> merged((rows_.size() + 1) / 2);
  for (std::size_t r = 0; r < rows_.size(); ++r) {
    for (std::size_t c = 0; c < kWaterfallChannels; ++c) {
      const WaterfallCell& from = rows_[r][c];
      if (from.Visits == 0) continue;
      WaterfallCell& to = merged[r / 2][c];
      to.LoudestNoise = to.Visits == 0 ? from.LoudestNoise : std::min(to.LoudestNoise, from.LoudestNoise);
      to.Visits += from.Visits;
      to.Misses += from.Misses;
      to.SignalSum += from.SignalSum;
    }
  }
  rows_ = std::move(merged);
  rowMs_ *= 2;
}

}  // namespace ptpdiag

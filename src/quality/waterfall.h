// Channel quality against time: rows of equal span, one cell per channel,
// newest last. When the rows are all used, neighbours merge in pairs and
// the span doubles (as the time history does), so a week fits in the same
// memory as a minute.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace ptpdiag {

inline constexpr int kWaterfallRows = 256;
inline constexpr int kWaterfallChannels = 111;
inline constexpr std::int64_t kFirstRowMs = 2000;

struct WaterfallCell {
  std::uint32_t Visits = 0;
  std::uint32_t Misses = 0;
  std::uint64_t SignalSum = 0;  // of the good visits' signal bytes
  std::uint8_t LoudestNoise = 0;  // the smallest noise byte seen: the highest level

  // Nothing where the channel had no visit (a gap, never a zero).
  std::optional<int> NoiseMaxDbm() const;
  std::optional<double> SignalMeanDbm() const;
  std::optional<double> MissShare() const;
};

// What a cell shows: its loudest noise, its mean signal or its share of
// missed hops.
enum class WaterfallLayer { Noise, Signal, Misses };

using WaterfallRow = std::array<WaterfallCell, kWaterfallChannels>;

class Waterfall {
 public:
  // A visit to `channel` (1 to 111) at `tickMs` from the session's start.
  void Add(int channel, std::uint8_t noiseByte, std::uint8_t signalByte, std::int64_t tickMs);
  void Reset();

  int Rows() const { return static_cast<int>(rows_.size()); }
  std::int64_t RowMs() const { return rowMs_; }
  std::int64_t RowStartMs(int row) const { return static_cast<std::int64_t>(row) * rowMs_; }
  const WaterfallRow& Row(int row) const { return rows_[static_cast<std::size_t>(row)]; }

 private:
  void MergePairs();

  std::vector<WaterfallRow> rows_;
  std::int64_t rowMs_ = kFirstRowMs;
};

}  // namespace ptpdiag

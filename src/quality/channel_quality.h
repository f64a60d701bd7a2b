// Channel quality from the link's own hops: every accepted frame is a
// sample of one channel's noise at one moment. Per channel: noise
// percentiles (exact, from a histogram), the share of visits an interferer
// raised above the link's floor with its confidence interval, the good-hop
// share and mean signal, and the repetition period of the interference.
// Constant memory whatever the session's length.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "quality/waterfall.h"

namespace ptpdiag {

inline constexpr int kQualityChannels = 111;  // channels 1 to 111
inline constexpr double kDefaultInterferenceDb = 10.0;
// A channel counts toward the floor, and may be flagged, from this many visits.
inline constexpr std::uint64_t kMinVisits = 20;
// Flagged: the lower end of the duty's 95 % interval reaches this.
inline constexpr double kFlagDutyLow = 0.05;
// Excluding never leaves fewer channels than this.
inline constexpr int kMinChannelsLeft = 50;
// Recent visits kept per channel for finding periods.
inline constexpr int kRecentVisits = 4096;

struct QualityOfChannel {
  int Channel = 0;
  std::uint64_t Visits = 0;
  // In dBm; nothing without visits (so are the shares and the mean).
  std::optional<int> NoiseP10Dbm, NoiseP50Dbm, NoiseP90Dbm, NoiseP99Dbm;
  std::optional<double> Duty, DutyLow, DutyHigh;
  std::optional<double> PeriodS;
  std::optional<double> GoodPct;
  std::optional<double> SignalMeanDbm;
  bool Flagged = false;
};

struct QualityFigures {
  std::optional<double> FloorDbm;  // nothing until a channel has 20 visits
  double ThresholdDb = kDefaultInterferenceDb;
  std::uint64_t Outside = 0;  // accepted frames on no channel of 1 to 111
  std::array<QualityOfChannel, kQualityChannels> Channels{};
  std::vector<int> Exclude;  // highest duty first
};

class ChannelQuality {
 public:
  explicit ChannelQuality(double thresholdDb = kDefaultInterferenceDb);

  // One accepted frame: its channel as the frame names it (1 to 111 are
  // visits, anything else counts as outside), its noise and signal bytes,
  // and the time of the tick that took it, in ms since the session began.
  void AddFrame(int channel, std::uint8_t noiseByte, std::uint8_t signalByte, std::int64_t tickMs);
  void Reset();
  void SetThresholdDb(double thresholdDb) { thresholdDb_ = thresholdDb; }

  // Every figure as of now; finding periods reads the recent visits, so
  // this is for reports and the odd repaint, not every frame.
  QualityFigures Figures() const;
  const Waterfall& Rows() const { return waterfall_; }
  // The link's floor alone, cheap enough for every tick; nothing until a
  // channel has kMinVisits visits.
  std::optional<double> FloorDbm() const;
  // How many channels are flagged, as Figures() would say, without their
  // periods: cheap enough for every tick. None while `floor` is unknown.
  int FlaggedChannels(std::optional<double> floor) const;
  // Visits to channels 1 to 111 since the last reset.
  std::uint64_t Visits() const { return visits_; }

 private:
  struct Channel {
    std::array<std::uint32_t, 128> NoiseCounts{};  // by noise byte, 0 to 127
    std::uint64_t Visits = 0;
    std::uint64_t Good = 0;
    std::uint64_t SignalSum = 0;  // of the good visits' signal bytes
    // The last kRecentVisits visits: tick number (tickMs / 250) and noise byte.
    std::vector<std::uint32_t> RecentTicks;
    std::vector<std::uint8_t> RecentNoise;
    std::size_t RecentNext = 0;
  };

  QualityOfChannel FiguresOf(int channel, std::optional<double> floor) const;
  void AddPeriods(QualityFigures& figures) const;

  double thresholdDb_;
  std::uint64_t outside_ = 0;
  std::uint64_t visits_ = 0;
  std::vector<Channel> channels_;
  Waterfall waterfall_;
};

// The 95 % Wilson score interval of `hits` in `trials` (trials > 0).
struct ShareInterval {
  double Low = 0;
  double High = 1;
};
ShareInterval WilsonInterval(std::uint64_t hits, std::uint64_t trials);

}  // namespace ptpdiag

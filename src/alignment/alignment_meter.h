// The received level for aiming an antenna, seen through the hopping. On a
// hopping link each channel has its own fixed offset from the link's level
// (fades, filters), several dB either way, so the raw signal jumps with the
// channel mix and hides a quarter-degree turn. Each good frame's signal is
// corrected by its channel's offset: the channel's running typical signal
// minus the link's typical over all channels. Both move slowly, so the
// offsets stay put while a change of the whole link shows in the very next
// frames. The level shown is a trimmed mean of the corrected frames of the
// last second (the highest and lowest tenth left out).
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

namespace ptpdiag {

inline constexpr int kAlignmentChannels = 111;
// A channel's typical signal is the running mean of its first visits, then
// follows new ones with this weight (about a minute at 50 hops/s).
inline constexpr int kTypicalVisits = 32;
inline constexpr std::int64_t kLevelWindowMs = 1000;
// Peak hold: held this long, then falling this fast.
inline constexpr std::int64_t kPeakHoldMs = 2000;
inline constexpr double kPeakFallDbPerS = 3.0;
// The trace the alignment screen draws.
inline constexpr std::int64_t kTraceMs = 60000;

struct AlignmentFigures {
  std::int64_t Ms = 0;  // the tick's time from the session's start
  // Nothing without a good frame in the last second (or this tick, for Raw).
  std::optional<double> LevelDbm;
  std::optional<double> RawDbm;  // the mean of this tick's good frames, uncorrected
  std::optional<double> RawLowDbm, RawHighDbm;  // and their extremes
  std::optional<double> SnrDb;   // level over the link's noise floor
  std::optional<double> GoodPct;  // of the frames of the last second
  std::optional<double> PeakDbm;
  std::optional<double> BestDbm;
  std::int64_t BestMs = 0;
  // Frames whose check failed within the last second.
  bool FailedChecks = false;
};

class AlignmentMeter {
 public:
  // One accepted frame: its channel as the frame names it (1 to 111 are
  // hop channels), its signal byte (0: a missed hop) and its tick's time.
  void AddFrame(int channel, std::uint8_t signalByte, std::int64_t tickMs);
  // A frame that failed its check.
  void AddFailedCheck(std::int64_t tickMs);
  // Closes the tick: the figures as of `tickMs`, with the link's floor
  // (nothing while it is unknown) for the SNR.
  const AlignmentFigures& EndTick(std::int64_t tickMs, std::optional<double> floorDbm);
  const AlignmentFigures& Figures() const { return figures_; }
  // The figures of the last tick that had a level (for a report written
  // after the frames stopped); the latest when none had.
  const AlignmentFigures& LastMeasured() const { return lastMeasured_ ? *lastMeasured_ : figures_; }

  // The ticks of the last minute, oldest first.
  const std::deque<AlignmentFigures>& Trace() const { return trace_; }

  // Best starts again from the next level.
  void ResetBest();
  void Reset();

 private:
  struct Channel {
    double TypicalDbm = 0;
    std::uint32_t Visits = 0;
  };
  // What one tick brought.
  struct TickFrames {
    std::int64_t Ms = 0;
    std::vector<double> Corrected;  // of its good frames
    int Frames = 0;
    int Good = 0;
    int FailedChecks = 0;
  };

  double CorrectedDbm(const Channel& c, double signalDbm) const;
  void LearnChannel(Channel& c, double signalDbm);
  TickFrames& CurrentTick(std::int64_t tickMs);
  std::optional<double> Level();
  void HoldPeak(std::int64_t tickMs);

  std::array<Channel, kAlignmentChannels> channels_{};
  double typicalSum_ = 0;  // over the channels visited
  int channelsVisited_ = 0;
  std::deque<TickFrames> recent_;  // the last second's ticks, oldest first
  double rawSum_ = 0;
  int rawCount_ = 0;
  double rawLow_ = 0, rawHigh_ = 0;
  std::deque<AlignmentFigures> trace_;
  std::vector<double> scratch_;
  double peakHeldDbm_ = 0;
  std::int64_t peakSetMs_ = 0;
  bool peakSet_ = false;
  AlignmentFigures figures_;
  std::optional<AlignmentFigures> lastMeasured_;
};

}  // namespace ptpdiag

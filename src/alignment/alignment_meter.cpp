#include "alignment/alignment_meter.h"

#include <algorithm>
#include <numeric>

namespace ptpdiag {

void AlignmentMeter::Reset() {
  *this = AlignmentMeter();
}

void AlignmentMeter::ResetBest() {
  figures_.BestDbm.reset();
  figures_.BestMs = 0;
  if (lastMeasured_) {
    lastMeasured_->BestDbm.reset();
    lastMeasured_->BestMs = 0;
  }
}

// A channel not seen before has no known offset: its frame counts as it is.
double AlignmentMeter::CorrectedDbm(const Channel& c, double signalDbm) const {
  if (c.Visits == 0 || channelsVisited_ == 0) return signalDbm;
  const double linkTypical = typicalSum_ / channelsVisited_;
  return signalDbm - (c.TypicalDbm - linkTypical);
}

void AlignmentMeter::LearnChannel(Channel& c, double signalDbm) {
  const double before = c.TypicalDbm;
  if (c.Visits == 0) {
    c.TypicalDbm = signalDbm;
    ++channelsVisited_;
  } else {
    const auto weight = static_cast<double>(std::min<std::uint32_t>(c.Visits + 1, kTypicalVisits));
    c.TypicalDbm += (signalDbm - c.TypicalDbm) / weight;
  }
  ++c.Visits;
  typicalSum_ += c.TypicalDbm - before;
}

AlignmentMeter::TickFrames& AlignmentMeter::CurrentTick(std::int64_t tickMs) {
  if (recent_.empty() || recent_.back().Ms != tickMs) {
    recent_.push_back(TickFrames{tickMs, {}, 0, 0, 0});
  }
  return recent_.back();
}

void AlignmentMeter::AddFrame(int channel, std::uint8_t signalByte, std::int64_t tickMs) {
  TickFrames& tick = CurrentTick(tickMs);
  ++tick.Frames;
  if (signalByte == 0) return;
  ++tick.Good;
  const double signalDbm = -static_cast<double>(signalByte);
  rawLow_ = rawCount_ == 0 ? signalDbm : std::min(rawLow_, signalDbm);
  rawHigh_ = rawCount_ == 0 ? signalDbm : std::max(rawHigh_, signalDbm);
  rawSum_ += signalDbm;
  ++rawCount_;
  if (channel < 1 || channel > kAlignmentChannels) return;
  Channel& c = channels_[static_cast<std::size_t>(channel - 1)];
  tick.Corrected.push_back(CorrectedDbm(c, signalDbm));
  LearnChannel(c, signalDbm);
}

void AlignmentMeter::AddFailedCheck(std::int64_t tickMs) {
  ++CurrentTick(tickMs).FailedChecks;
}

// The mean of the last second's corrected frames without the highest and
// lowest tenth: a few odd frames (a reflection, a colliding hop) move it
// little, and it scatters hardly more than a plain mean.
std::optional<double> AlignmentMeter::Level() {
  scratch_.clear();
  for (const TickFrames& t : recent_) scratch_.insert(scratch_.end(), t.Corrected.begin(), t.Corrected.end());
  const std::size_t n = scratch_.size();
  if (n == 0) return std::nullopt;
  std::size_t low = 0;
  std::size_t high = n;
  if (n >= 10) {
    low = n / 10;
    high = n - n / 10;
    std::nth_element(scratch_.begin(), scratch_.begin() + static_cast<std::ptrdiff_t>(low), scratch_.end());
    std::nth_element(scratch_.begin() + static_cast<std::ptrdiff_t>(low),
                     scratch_.begin() + static_cast<std::ptrdiff_t>(high - 1), scratch_.end());
  }
  const double sum = std::accumulate(scratch_.begin() + static_cast<std::ptrdiff_t>(low),
                                     scratch_.begin() + static_cast<std::ptrdiff_t>(high), 0.0);
  return sum / static_cast<double>(high - low);
}

// The highest level, held kPeakHoldMs, then falling kPeakFallDbPerS; a
// level above where it has fallen to takes its place.
void AlignmentMeter::HoldPeak(std::int64_t tickMs) {
  std::optional<double> held;
  if (peakSet_) {
    const double fallS = static_cast<double>(std::max<std::int64_t>(0, tickMs - peakSetMs_ - kPeakHoldMs)) / 1000.0;
    held = peakHeldDbm_ - kPeakFallDbPerS * fallS;
  }
  const std::optional<double>& level = figures_.LevelDbm;
  if (level && (!held || *level >= *held)) {
    peakHeldDbm_ = *level;
    peakSetMs_ = tickMs;
    peakSet_ = true;
    held = *level;
  }
  figures_.PeakDbm = held;
}

const AlignmentFigures& AlignmentMeter::EndTick(std::int64_t tickMs, std::optional<double> floorDbm) {
  while (!recent_.empty() && recent_.front().Ms <= tickMs - kLevelWindowMs) recent_.pop_front();
  figures_.Ms = tickMs;
  figures_.LevelDbm = Level();
  figures_.RawDbm.reset();
  figures_.RawLowDbm.reset();
  figures_.RawHighDbm.reset();
  if (rawCount_ > 0) {
    figures_.RawDbm = rawSum_ / rawCount_;
    figures_.RawLowDbm = rawLow_;
    figures_.RawHighDbm = rawHigh_;
  }
  rawSum_ = 0;
  rawCount_ = 0;
  figures_.SnrDb.reset();
  if (figures_.LevelDbm && floorDbm) figures_.SnrDb = *figures_.LevelDbm - *floorDbm;
  int frames = 0, good = 0, failed = 0;
  for (const TickFrames& t : recent_) {
    frames += t.Frames;
    good += t.Good;
    failed += t.FailedChecks;
  }
  figures_.GoodPct.reset();
  if (frames > 0) figures_.GoodPct = 100.0 * good / frames;
  figures_.FailedChecks = failed > 0;
  HoldPeak(tickMs);
  if (figures_.LevelDbm && (!figures_.BestDbm || *figures_.LevelDbm > *figures_.BestDbm)) {
    figures_.BestDbm = figures_.LevelDbm;
    figures_.BestMs = tickMs;
  }
  if (figures_.LevelDbm) lastMeasured_ = figures_;
  while (!trace_.empty() && trace_.front().Ms <= tickMs - kTraceMs) trace_.pop_front();
  trace_.push_back(figures_);
  return figures_;
}

}  // namespace ptpdiag

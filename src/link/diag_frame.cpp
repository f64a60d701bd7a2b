#include "link/diag_frame.h"

#include "state/nearest.h"

namespace ptpdiag {

bool CheckFrame(const DiagFrame& frame) {
  std::uint8_t x = 0;
  for (int i = 1; i <= 7; ++i)
    x ^= frame[static_cast<std::size_t>(i)];
  return x == frame[8];
}

void FrameSpotter::Feed(std::uint8_t byte) {
  if (spotted_) return;
  for (std::size_t i = 0; i + 1 < last_.size(); ++i)
    last_[i] = last_[i + 1];
  last_.back() = byte;
  const int channel = last_[1] - kChannelByteOffset;
  spotted_ = last_[0] == kFrameLead && channel >= 1 && channel <= 111 && CheckFrame(last_);
}

namespace {

// Three quarters of the old value plus four times the new reading.
std::int32_t QuarterWeight(std::int32_t old, int reading) {
  return Nearest(3.0 * old / 4.0 + 4.0 * reading);
}

void CountMissOrGood(DiagnosticsStore& s, int signal) {
  if (signal == 0) {
    WrapAdd(s.PeriodMissCount, 1);
    WrapAdd(s.MissRun, 1);
    if (s.MissRun > s.MaxMissRun) s.MaxMissRun = s.MissRun;
  } else {
    WrapAdd(s.PeriodGoodCount, 1);
    s.MissRun = 0;
    WrapAdd(s.PeriodSignalSum, 128 - signal);
  }
}

}  // namespace

bool ApplyFrame(DiagnosticsStore& s, const DiagFrame& frame) {
  const int channelByte = frame[1];
  if (channelByte < kChannelByteOffset) return false;
  const int noise = frame[2] > 127 ? 127 : frame[2];
  const int signal = frame[3];
  const int vswr = frame[6];
  const int current = frame[7];
  const int n = 128 - noise;
  const auto c = static_cast<std::size_t>(channelByte - kChannelByteOffset);

  s.PeriodFrames = static_cast<std::int16_t>(s.PeriodFrames + 1);
  WrapAdd(s.PeriodNoiseSum, n);
  CountMissOrGood(s, signal);
  if (current != 0) {
    WrapAdd(s.PeriodVswrSum, vswr);
    WrapAdd(s.PeriodCurrentSum, current);
    s.FreqCurrent[c] = QuarterWeight(s.FreqCurrent[c], current);
    s.FreqVswr[c] = QuarterWeight(s.FreqVswr[c], vswr);
  }
  s.FreqNoise[c] = QuarterWeight(s.FreqNoise[c], n);
  s.FreqGoodScore[c] = Nearest(kNineTenths * s.FreqGoodScore[c]);
  if (signal > 0) {
    s.FreqSignal[c] = Nearest(s.FreqSignal[c] / 2.0 + 8.0 * (128 - signal));
    WrapAdd(s.FreqGoodScore[c], 100);
  }
  if (n > s.FreqPeakNoise[c]) s.FreqPeakNoise[c] = n;
  WrapAdd(s.PeriodXmitSum, frame[4]);
  WrapAdd(s.PeriodRcvdSum, frame[5]);
  return true;
}

}  // namespace ptpdiag

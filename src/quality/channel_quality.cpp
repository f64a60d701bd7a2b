#include "quality/channel_quality.h"

#include <algorithm>
#include <cmath>

#include "quality/period.h"

namespace ptpdiag {
namespace {

constexpr int kNoiseLevels = 128;
constexpr std::int64_t kTickMs = 250;
constexpr double kZ95 = 1.959963984540054;

int NoiseByteOf(std::uint8_t raw) {
  return std::min<int>(raw, kNoiseLevels - 1);
}

// The nearest-rank percentile `p` (0 to 100) of the noise in dBm, from the
// counts by noise byte (a larger byte is a lower level).
int NoisePercentileDbm(const std::array<std::uint32_t, 128>& counts, std::uint64_t total, int p) {
  const auto rank =
      std::max<std::uint64_t>(1, static_cast<std::uint64_t>(std::ceil(p / 100.0 * static_cast<double>(total))));
  std::uint64_t seen = 0;
  for (int b = kNoiseLevels - 1; b >= 0; --b) {
    seen += counts[static_cast<std::size_t>(b)];
    if (seen >= rank) return -b;
  }
  return 0;
}

// Visits at or above `levelDbm`.
std::uint64_t VisitsAtOrAbove(const std::array<std::uint32_t, 128>& counts, double levelDbm) {
  std::uint64_t n = 0;
  for (int b = 0; b < kNoiseLevels; ++b) {
    if (-b >= levelDbm) n += counts[static_cast<std::size_t>(b)];
  }
  return n;
}

// Four decimals, so that reports stay readable and both builds agree.
double Rounded(double x) {
  return std::round(x * 10000.0) / 10000.0;
}

double Median(std::vector<int> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

}  // namespace

ShareInterval WilsonInterval(std::uint64_t hits, std::uint64_t trials) {
  const double n = static_cast<double>(trials);
  const double p = static_cast<double>(hits) / n;
  const double z2 = kZ95 * kZ95;
  const double centre = (p + z2 / (2 * n)) / (1 + z2 / n);
  const double half = kZ95 * std::sqrt(p * (1 - p) / n + z2 / (4 * n * n)) / (1 + z2 / n);
  return {std::max(0.0, centre - half), std::min(1.0, centre + half)};
}

ChannelQuality::ChannelQuality(double thresholdDb)
    : thresholdDb_(thresholdDb), channels_(kQualityChannels) {}

void ChannelQuality::Reset() {
  outside_ = 0;
  visits_ = 0;
  channels_.assign(kQualityChannels, Channel{});
  waterfall_.Reset();
}

void ChannelQuality::AddFrame(int channel, std::uint8_t noiseByte, std::uint8_t signalByte,
                              std::int64_t tickMs) {
  if (channel < 1 || channel > kQualityChannels) {
    ++outside_;
    return;
  }
  waterfall_.Add(channel, noiseByte, signalByte, tickMs);
  ++visits_;
  Channel& c = channels_[static_cast<std::size_t>(channel - 1)];
  const int noise = NoiseByteOf(noiseByte);
  ++c.NoiseCounts[static_cast<std::size_t>(noise)];
  ++c.Visits;
  if (signalByte > 0) {
    ++c.Good;
    c.SignalSum += signalByte;
  }
  const auto tick = static_cast<std::uint32_t>(std::max<std::int64_t>(0, tickMs) / kTickMs);
  if (c.RecentTicks.size() < static_cast<std::size_t>(kRecentVisits)) {
    c.RecentTicks.push_back(tick);
    c.RecentNoise.push_back(static_cast<std::uint8_t>(noise));
  } else {
    c.RecentTicks[c.RecentNext] = tick;
    c.RecentNoise[c.RecentNext] = static_cast<std::uint8_t>(noise);
    c.RecentNext = (c.RecentNext + 1) % static_cast<std::size_t>(kRecentVisits);
  }
}

std::optional<double> ChannelQuality::FloorDbm() const {
  std::vector<int> medians;
  for (const Channel& c : channels_) {
    if (c.Visits >= kMinVisits) medians.push_back(NoisePercentileDbm(c.NoiseCounts, c.Visits, 50));
  }
  if (medians.empty()) return std::nullopt;
  return Median(std::move(medians));
}

int ChannelQuality::FlaggedChannels(std::optional<double> floor) const {
  if (!floor) return 0;
  int flagged = 0;
  for (const Channel& c : channels_) {
    if (c.Visits < kMinVisits) continue;
    const std::uint64_t interfered = VisitsAtOrAbove(c.NoiseCounts, *floor + thresholdDb_);
    if (WilsonInterval(interfered, c.Visits).Low >= kFlagDutyLow) ++flagged;
  }
  return flagged;
}

QualityOfChannel ChannelQuality::FiguresOf(int channel, std::optional<double> floor) const {
  const Channel& c = channels_[static_cast<std::size_t>(channel - 1)];
  QualityOfChannel f;
  f.Channel = channel;
  f.Visits = c.Visits;
  if (c.Visits == 0) return f;
  f.NoiseP10Dbm = NoisePercentileDbm(c.NoiseCounts, c.Visits, 10);
  f.NoiseP50Dbm = NoisePercentileDbm(c.NoiseCounts, c.Visits, 50);
  f.NoiseP90Dbm = NoisePercentileDbm(c.NoiseCounts, c.Visits, 90);
  f.NoiseP99Dbm = NoisePercentileDbm(c.NoiseCounts, c.Visits, 99);
  const std::uint64_t interfered = floor ? VisitsAtOrAbove(c.NoiseCounts, *floor + thresholdDb_) : 0;
  const ShareInterval interval = WilsonInterval(interfered, c.Visits);
  f.Duty = Rounded(static_cast<double>(interfered) / static_cast<double>(c.Visits));
  f.DutyLow = Rounded(interval.Low);
  f.DutyHigh = Rounded(interval.High);
  f.GoodPct = Rounded(100.0 * static_cast<double>(c.Good) / static_cast<double>(c.Visits));
  if (c.Good > 0) {
    f.SignalMeanDbm = Rounded(-static_cast<double>(c.SignalSum) / static_cast<double>(c.Good));
  }
  f.Flagged = floor && c.Visits >= kMinVisits && interval.Low >= kFlagDutyLow;
  return f;
}

// Each run of adjacent flagged channels shares one interferer: their
// recent visits together give its period, which every channel of the run
// reports.
void ChannelQuality::AddPeriods(QualityFigures& figures) const {
  if (!figures.FloorDbm) return;
  const double level = *figures.FloorDbm + thresholdDb_;
  int first = 0;
  while (first < kQualityChannels) {
    if (!figures.Channels[static_cast<std::size_t>(first)].Flagged) {
      ++first;
      continue;
    }
    int last = first;
    while (last + 1 < kQualityChannels && figures.Channels[static_cast<std::size_t>(last + 1)].Flagged)
      ++last;
    std::vector<TimedVisit> visits;
    for (int i = first; i <= last; ++i) {
      const Channel& c = channels_[static_cast<std::size_t>(i)];
      for (std::size_t k = 0; k < c.RecentTicks.size(); ++k)
        visits.push_back({c.RecentTicks[k], -static_cast<int>(c.RecentNoise[k]) >= level});
    }
    const std::optional<double> period = FindPeriod(std::move(visits));
    for (int i = first; i <= last; ++i)
      figures.Channels[static_cast<std::size_t>(i)].PeriodS = period;
    first = last + 1;
  }
}

QualityFigures ChannelQuality::Figures() const {
  QualityFigures figures;
  figures.ThresholdDb = thresholdDb_;
  figures.Outside = outside_;
  figures.FloorDbm = FloorDbm();
  for (int channel = 1; channel <= kQualityChannels; ++channel)
    figures.Channels[static_cast<std::size_t>(channel - 1)] = FiguresOf(channel, figures.FloorDbm);
  AddPeriods(figures);
  std::vector<const QualityOfChannel*> flagged;
  for (const QualityOfChannel& f : figures.Channels) {
    if (f.Flagged) flagged.push_back(&f);
  }
  std::stable_sort(flagged.begin(), flagged.end(), [](const QualityOfChannel* a, const QualityOfChannel* b) {
    return *a->Duty > *b->Duty;
  });
  const std::size_t most = kQualityChannels - kMinChannelsLeft;
  for (std::size_t i = 0; i < flagged.size() && i < most; ++i)
    figures.Exclude.push_back(flagged[i]->Channel);
  return figures;
}

}  // namespace ptpdiag

#include "quality/period.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace ptpdiag {
namespace {

// The last hour of visits is looked at; at most 600 s of lag, and at most
// half the span, so that a period shows at least twice.
constexpr std::uint32_t kWindowTicks = 4 * 3600;
constexpr int kShortestLag = 4;
constexpr int kLongestLag = 2400;
// Evident: the correlation at the period, and the pairs behind it.
constexpr double kEvidentCorrelation = 0.5;
constexpr double kPeakShare = 0.8;
constexpr double kRefineShare = 0.6;
constexpr std::uint64_t kLeastPairs = 30;
constexpr double kLeastFoldedShare = 0.5;

// The first tick of the window that ends at the last visit.
std::uint32_t WindowStart(const std::vector<TimedVisit>& sorted) {
  const std::uint32_t last = sorted.back().Tick;
  return std::max(sorted.front().Tick, last >= kWindowTicks ? last - kWindowTicks + 1 : 0);
}

struct Binned {
  std::vector<double> Deviation;  // share interfered minus the mean share
  std::vector<std::uint8_t> Seen;  // 1 where the tick had a visit
  double Variance = 0;
};

// Per tick of the window: the share of interfered visits about its mean.
// Nothing when the interferer is always on or always off.
std::optional<Binned> BinByTick(const std::vector<TimedVisit>& visits) {
  const std::uint32_t lastTick = visits.back().Tick;
  const std::uint32_t firstTick = WindowStart(visits);
  const std::size_t span = lastTick - firstTick + 1;
  std::vector<int> count(span, 0), hits(span, 0);
  for (const TimedVisit& v : visits) {
    if (v.Tick < firstTick) continue;
    ++count[v.Tick - firstTick];
    if (v.Interfered) ++hits[v.Tick - firstTick];
  }
  std::uint64_t total = 0, interfered = 0;
  for (std::size_t t = 0; t < span; ++t) {
    total += static_cast<std::uint64_t>(count[t]);
    interfered += static_cast<std::uint64_t>(hits[t]);
  }
  if (interfered == 0 || interfered == total) return std::nullopt;
  const double mean = static_cast<double>(interfered) / static_cast<double>(total);
  Binned b;
  b.Deviation.assign(span, 0.0);
  b.Seen.assign(span, 0);
  double sum = 0;
  std::uint64_t seen = 0;
  for (std::size_t t = 0; t < span; ++t) {
    if (count[t] == 0) continue;
    b.Seen[t] = 1;
    b.Deviation[t] = static_cast<double>(hits[t]) / count[t] - mean;
    sum += b.Deviation[t] * b.Deviation[t];
    ++seen;
  }
  b.Variance = sum / static_cast<double>(seen);
  if (b.Variance <= 0) return std::nullopt;
  return b;
}

struct Correlations {
  std::vector<double> R;  // by lag; 0 where too few pairs
  std::vector<std::uint64_t> Pairs;
};

// Ticks with a visit are few on one channel (about one in two), so the
// pairs are found from each seen tick forward; each lag's sum still adds
// its pairs in the order of time.
Correlations Autocorrelate(const Binned& b, int longestLag) {
  const auto lags = static_cast<std::size_t>(longestLag);
  std::vector<double> sum(lags + 1, 0.0);
  Correlations c;
  c.R.assign(lags + 1, 0.0);
  c.Pairs.assign(lags + 1, 0);
  const std::size_t span = b.Deviation.size();
  for (std::size_t t = 0; t + 1 < span; ++t) {
    if (b.Seen[t] == 0) continue;
    const double here = b.Deviation[t];
    const std::size_t reach = std::min(lags, span - 1 - t);
    for (std::size_t lag = 1; lag <= reach; ++lag) {
      if (b.Seen[t + lag] == 0) continue;
      sum[lag] += here * b.Deviation[t + lag];
      ++c.Pairs[lag];
    }
  }
  for (std::size_t lag = 1; lag <= lags; ++lag) {
    if (c.Pairs[lag] >= kLeastPairs) c.R[lag] = sum[lag] / static_cast<double>(c.Pairs[lag]) / b.Variance;
  }
  return c;
}

// Folded at `periodTicks`, how much of the visits' variance the phase
// explains (0 to 1): near 1 for the true period, low for an alias the
// binning let through, which the channels of a run sample out of step.
double FoldedShare(const std::vector<TimedVisit>& visits, double periodTicks) {
  constexpr int kPhases = 10;
  std::array<double, kPhases> count{}, hits{};
  double total = 0, interfered = 0;
  for (const TimedVisit& v : visits) {
    const double phase = std::fmod(static_cast<double>(v.Tick), periodTicks) / periodTicks;
    const auto bin = std::min(kPhases - 1, static_cast<int>(phase * kPhases));
    count[static_cast<std::size_t>(bin)] += 1;
    hits[static_cast<std::size_t>(bin)] += v.Interfered ? 1 : 0;
    total += 1;
    interfered += v.Interfered ? 1 : 0;
  }
  const double mean = interfered / total;
  double explained = 0;
  for (int k = 0; k < kPhases; ++k) {
    const auto i = static_cast<std::size_t>(k);
    if (count[i] > 0) explained += count[i] * std::pow(hits[i] / count[i] - mean, 2);
  }
  return explained / (total * mean * (1 - mean));
}

bool IsLocalPeak(const std::vector<double>& r, int lag) {
  for (int d = -2; d <= 2; ++d) {
    const int other = lag + d;
    if (d == 0 || other < 1 || other >= static_cast<int>(r.size())) continue;
    if (r[static_cast<std::size_t>(other)] > r[static_cast<std::size_t>(lag)]) return false;
  }
  return true;
}

// The lag of the highest correlation within `reach` of `around`.
int PeakNear(const std::vector<double>& r, int around, int reach) {
  int best = around;
  for (int lag = std::max(1, around - reach);
       lag <= std::min(static_cast<int>(r.size()) - 1, around + reach); ++lag) {
    if (r[static_cast<std::size_t>(lag)] > r[static_cast<std::size_t>(best)]) best = lag;
  }
  return best;
}

}  // namespace

std::optional<double> FindPeriod(std::vector<TimedVisit> visits) {
  if (visits.size() < 2 * kLeastPairs) return std::nullopt;
  std::sort(visits.begin(), visits.end(),
            [](const TimedVisit& a, const TimedVisit& b) { return a.Tick < b.Tick; });
  const std::optional<Binned> binned = BinByTick(visits);
  if (!binned) return std::nullopt;
  const int longestLag = std::min<int>(kLongestLag, static_cast<int>(binned->Deviation.size() / 2));
  if (longestLag < kShortestLag) return std::nullopt;
  const Correlations c = Autocorrelate(*binned, longestLag);
  const std::vector<double>& r = c.R;

  // Past the first lobe: the correlation has fallen below zero.
  int start = 1;
  while (start <= longestLag && (c.Pairs[static_cast<std::size_t>(start)] < kLeastPairs ||
                                 r[static_cast<std::size_t>(start)] >= 0))
    ++start;
  start = std::max(start, kShortestLag);
  if (start > longestLag) return std::nullopt;
  const auto highest = std::max_element(r.begin() + start, r.end());
  if (*highest < kEvidentCorrelation) return std::nullopt;

  // The first peak nearly as high: the period, not one of its multiples.
  int period = static_cast<int>(highest - r.begin());
  for (int lag = start; lag < period; ++lag) {
    if (r[static_cast<std::size_t>(lag)] >= kPeakShare * *highest && IsLocalPeak(r, lag)) {
      period = lag;
      break;
    }
  }
  // The furthest multiple still clear gives the finest estimate.
  double estimate = period;
  for (int m = 2; m * period <= longestLag; ++m) {
    const int peak = PeakNear(r, static_cast<int>(std::lround(m * estimate)), m);
    if (r[static_cast<std::size_t>(peak)] < kRefineShare * *highest) break;
    estimate = static_cast<double>(peak) / m;
  }
  const double seconds = estimate * kTickSeconds;
  if (seconds < kShortestPeriodS || seconds > kLongestPeriodS) return std::nullopt;
  const std::uint32_t from = WindowStart(visits);
  std::erase_if(visits, [from](const TimedVisit& v) { return v.Tick < from; });
  if (FoldedShare(visits, estimate) < kLeastFoldedShare) return std::nullopt;
  return std::round(seconds * 100.0) / 100.0;
}

}  // namespace ptpdiag

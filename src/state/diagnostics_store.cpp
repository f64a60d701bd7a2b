#include "state/diagnostics_store.h"

#include <algorithm>

#include "state/nearest.h"

namespace ptpdiag {

void ResetHistoryAndTables(DiagnosticsStore& store) {
  store.HistSignal.fill(0);
  store.HistNoise.fill(0);
  store.HistErrorRate.fill(0);
  store.HistIndex = 0;
  store.HistTime.fill(0);
  for (ChannelTable* table : {&store.FreqCurrent, &store.FreqVswr, &store.FreqSignal,
                              &store.FreqNoise, &store.FreqPeakNoise, &store.FreqGoodScore}) {
    table->fill(0);
  }
}

void ClearPeakNoise(DiagnosticsStore& store) {
  store.FreqPeakNoise.fill(0);
}

namespace {

double Ratio(std::int64_t numerator, std::int64_t denominator) {
  return static_cast<double>(numerator) / static_cast<double>(denominator);
}

std::int32_t ErrorRate(std::int32_t misses, std::int32_t goods) {
  return Nearest(255.0 * misses / (static_cast<double>(goods) + static_cast<double>(misses) + 1.0));
}

// Period means into slot i; signal only when the period had good frames.
void FillSlotAverages(DiagnosticsStore& s, int i, std::int32_t now) {
  s.HistNoise[i] = Nearest(Ratio(s.PeriodNoiseSum, s.PeriodFrames));
  s.HistVswr[i] = Nearest(Ratio(s.PeriodVswrSum, s.PeriodFrames));
  s.HistCurrent[i] = Nearest(Ratio(s.PeriodCurrentSum, s.PeriodFrames));
  if (s.PeriodGoodCount > 0) s.HistSignal[i] = Nearest(Ratio(s.PeriodSignalSum, s.PeriodGoodCount));
  s.HistTime[i] = now;
}

std::int32_t HalfSum(std::int32_t a, std::int32_t b) {
  return Nearest(a / 2.0 + b / 2.0);
}

// First slot from 2 to 510 that lies denser than a grid of k seconds from
// slot 1. With non-decreasing times one always exists; 2 is the fallback.
int FindDenseSlot(const DiagnosticsStore& s, std::int64_t k) {
  for (int j = 2; j <= kLastHistorySlot - 1; ++j) {
    if (static_cast<std::int64_t>(s.HistTime[1]) + (j - 1) * k > s.HistTime[j]) return j;
  }
  return 2;
}

void MergeIntoNext(DiagnosticsStore& s, int j) {
  WrapAdd(s.HistXmit[j + 1], s.HistXmit[j]);
  WrapAdd(s.HistRcvd[j + 1], s.HistRcvd[j]);
  WrapAdd(s.HistMissCount[j + 1], s.HistMissCount[j]);
  WrapAdd(s.HistGoodCount[j + 1], s.HistGoodCount[j]);
  for (HistorySeries* series : {&s.HistSignal, &s.HistErrorRate, &s.HistVswr, &s.HistCurrent}) {
    (*series)[j + 1] = HalfSum((*series)[j], (*series)[j + 1]);
  }
}

void ShiftDownFrom(DiagnosticsStore& s, int j) {
  for (HistorySeries* series :
       {&s.HistNoise, &s.HistTime, &s.HistSignal, &s.HistXmit, &s.HistRcvd, &s.HistMissCount,
        &s.HistGoodCount, &s.HistVswr, &s.HistCurrent, &s.HistErrorRate}) {
    std::copy(series->begin() + j + 1, series->begin() + kLastHistorySlot + 1, series->begin() + j);
  }
}

void Compact(DiagnosticsStore& s, std::int32_t nowForSpacing) {
  const std::int64_t k =
      Nearest((static_cast<double>(nowForSpacing) - s.HistTime[1]) / 384.0 + 1.0);
  const int j = FindDenseSlot(s, k);
  MergeIntoNext(s, j);
  ShiftDownFrom(s, j);
}

}  // namespace

void TakeHistorySample(DiagnosticsStore& s, const std::function<std::int32_t()>& now) {
  int i = s.HistIndex;
  WrapAdd(s.HistMissCount[i], s.PeriodMissCount);
  WrapAdd(s.HistGoodCount[i], s.PeriodGoodCount);
  WrapAdd(s.HistXmit[i], s.PeriodXmitSum);
  WrapAdd(s.HistRcvd[i], s.PeriodRcvdSum);
  s.PeriodXmitSum = 0;
  s.PeriodRcvdSum = 0;

  const std::int32_t stamp = now();
  if (i < kLastHistorySlot) {
    i = i + 1;
    s.HistIndex = i;
    FillSlotAverages(s, i, stamp);
    s.HistErrorRate[i] = ErrorRate(s.HistMissCount[i - 1], s.HistGoodCount[i - 1]);
  } else {
    Compact(s, now());
    i = kLastHistorySlot;
    FillSlotAverages(s, i, stamp);
    s.HistErrorRate[i] = ErrorRate(s.HistMissCount[i], s.HistGoodCount[i]);
  }
  s.HistXmit[i] = 0;
  s.HistRcvd[i] = 0;
  s.HistMissCount[i] = 0;
  s.HistGoodCount[i] = 0;
}

void ResetPeriod(DiagnosticsStore& s) {
  s.PeriodFrames = 0;
  s.PeriodGoodCount = 0;
  s.PeriodMissCount = 0;
  s.PeriodXmitSum = 0;
  s.PeriodRcvdSum = 0;
  s.PeriodSignalSum = 0;
  s.PeriodNoiseSum = 0;
  s.PeriodCurrentSum = 0;
  s.PeriodVswrSum = 0;
  s.MaxMissRun = 0;
}

void UpdateShownSignal(DiagnosticsStore& s) {
  if (s.PeriodGoodCount > 0)
    s.ShownSignal = Nearest(128.0 - Ratio(s.PeriodSignalSum, s.PeriodGoodCount));
}

void UpdateShownValues(DiagnosticsStore& s) {
  if (s.PeriodFrames <= 0) return;
  s.ShownNoise = Nearest(128.0 - Ratio(s.PeriodNoiseSum, s.PeriodFrames));
  s.ShownVswr = Nearest(Ratio(s.PeriodVswrSum, s.PeriodFrames));
  s.ShownCurrent =
      Nearest(Ratio(s.PeriodCurrentSum, s.PeriodFrames) / static_cast<double>(0.1234F));
  s.RcvdRateSmooth = kNineTenths * s.RcvdRateSmooth +
                     10.0 * s.PeriodGoodCount / static_cast<double>(s.PeriodFrames);
  s.ShownRcvdRate = Nearest(s.RcvdRateSmooth);
}

std::int32_t RingRoom(const DiagnosticsStore& s) {
  const std::int32_t held = s.LinkRingCount.load();
  return held < 0 ? 0 : kRingSize - held;
}

int AppendToRing(DiagnosticsStore& s, std::span<const std::uint8_t> bytes) {
  const std::int32_t room = RingRoom(s);
  const std::size_t fits = std::min<std::size_t>(bytes.size(), static_cast<std::size_t>(room));
  for (std::size_t n = 0; n < fits; ++n) {
    s.LinkRing[static_cast<std::size_t>(s.LinkRingLinkPos)] = bytes[n];
    s.LinkRingLinkPos = (s.LinkRingLinkPos + 1) & (kRingSize - 1);
    s.LinkRingCount.fetch_add(1);
  }
  return static_cast<int>(bytes.size() - fits);
}

int TakeFromRing(DiagnosticsStore& s) {
  if (s.LinkRingCount.load() <= 0) return -1;
  const int byte = s.LinkRing[static_cast<std::size_t>(s.LinkRingUiPos)];
  s.LinkRingUiPos = (s.LinkRingUiPos + 1) & (kRingSize - 1);
  s.LinkRingCount.fetch_sub(1);
  return byte;
}

void RequestLinkThreadStop(DiagnosticsStore& s, std::int32_t code) {
  s.LinkRingCount.store(code < 0 ? code : -1);
}

void EmptyRing(DiagnosticsStore& s) {
  s.LinkRingCount.store(0);
  s.LinkRingUiPos = 0;
  s.LinkRingLinkPos = 0;
}

}  // namespace ptpdiag

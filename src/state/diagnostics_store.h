// The diagnostics store: the link queue, the measuring-period accumulators,
// the shown values, the per-channel tables, the time history, the link
// event counters and the time base. The window thread owns all of it except
// the queue, which it shares with one link thread.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <span>

namespace ptpdiag {

// Two ticks of the serial line's rate (under 3 KB each) and more: a network
// link carries the full rate with room to spare.
inline constexpr int kRingSize = 8192;
inline constexpr int kChannelCount = 256;
inline constexpr int kHistorySlots = 512;
inline constexpr int kLastHistorySlot = kHistorySlots - 1;

using ChannelTable = std::array<std::int32_t, kChannelCount>;
using HistorySeries = std::array<std::int32_t, kHistorySlots>;

struct DiagnosticsStore {
  // Link queue. Each position has one owner; the count is shared and atomic.
  // A negative count is the stop request for the link thread.
  std::array<std::uint8_t, kRingSize> LinkRing{};
  std::atomic<std::int32_t> LinkRingCount{0};
  std::int32_t LinkRingUiPos = 0;
  std::int32_t LinkRingLinkPos = 0;
  std::int32_t BytesAvailable = 0;
  std::int32_t BytesWanted = 1;

  // Accumulators of the measuring period (all but MissRun reset by a sample).
  std::int16_t PeriodFrames = 0;
  std::int32_t PeriodNoiseSum = 0;
  std::int32_t PeriodGoodCount = 0;
  std::int32_t PeriodMissCount = 0;
  std::int32_t PeriodSignalSum = 0;
  std::int32_t PeriodVswrSum = 0;
  std::int32_t PeriodCurrentSum = 0;
  std::int32_t PeriodXmitSum = 0;
  std::int32_t PeriodRcvdSum = 0;
  std::int32_t MissRun = 0;
  std::int32_t MaxMissRun = 0;

  // Values of the header line.
  std::int32_t ShownSignal = 0;
  std::int32_t ShownNoise = 0;
  std::int32_t ShownVswr = 0;
  std::int32_t ShownCurrent = 0;
  std::int32_t ShownRcvdRate = 0;  // Nearest(RcvdRateSmooth)
  std::int32_t ShownMaxMissed = 0;
  // The receive-rate smoother's state, kept whole so the rate settles at
  // 100 x good / frames instead of stopping where a whole-percent step
  // rounds to nothing. Never reset, like ShownRcvdRate.
  double RcvdRateSmooth = 0.0;

  // Per hop channel (channel byte - 76), smoothed; see the frame rules.
  ChannelTable FreqCurrent{};
  ChannelTable FreqVswr{};
  ChannelTable FreqSignal{};
  ChannelTable FreqNoise{};
  ChannelTable FreqPeakNoise{};
  ChannelTable FreqGoodScore{};

  // Time history; slot 0 is the starting slot, HistIndex the newest.
  std::int32_t HistIndex = 0;
  HistorySeries HistTime{};
  HistorySeries HistSignal{};
  HistorySeries HistNoise{};
  HistorySeries HistVswr{};
  HistorySeries HistCurrent{};
  HistorySeries HistErrorRate{};
  // These four lag one slot: a period's counts go to the slot that was
  // newest while it ran.
  HistorySeries HistMissCount{};
  HistorySeries HistGoodCount{};
  HistorySeries HistXmit{};
  HistorySeries HistRcvd{};

  // Link event line.
  std::int32_t LinkEventCount = 0;
  std::int32_t LinkEventType = 0;
  std::int32_t LinkEventValue = 0;

  // ClockSeconds when the statistics were last reset.
  std::int32_t StartSeconds = 0;
};

// Clears the time histories' signal, noise, error rate, index and times and
// the six per-channel tables; everything else runs on.
void ResetHistoryAndTables(DiagnosticsStore& store);

// Sets every entry of FreqPeakNoise to 0.
void ClearPeakNoise(DiagnosticsStore& store);

// Closes the running period into the time history, compacting the history
// when it is full. `now` gives the seconds since the last reset; it is read
// once for the slot's time stamp and once more for the compaction spacing.
void TakeHistorySample(DiagnosticsStore& store, const std::function<std::int32_t()>& now);

// Resets the period accumulators after a sample (MissRun carries on).
void ResetPeriod(DiagnosticsStore& store);

// Recomputes ShownSignal (when the period has good frames) and the other
// shown values (when it has frames), by the header-line formulas.
void UpdateShownSignal(DiagnosticsStore& store);
void UpdateShownValues(DiagnosticsStore& store);

// Queue operations. Append keeps what fits in the free space and returns the
// number of bytes that did not fit; Take returns -1 when the queue is empty.
int AppendToRing(DiagnosticsStore& store, std::span<const std::uint8_t> bytes);
// Free room in the queue, in bytes.
std::int32_t RingRoom(const DiagnosticsStore& store);
int TakeFromRing(DiagnosticsStore& store);
// Empties the queue (count and both positions).
void EmptyRing(DiagnosticsStore& store);

// A link thread is asked to stop by a negative queue count (`code`, below
// 0: which thread asked, as the report shows it), and stops when it sees
// one; the window thread then joins it.
void RequestLinkThreadStop(DiagnosticsStore& store, std::int32_t code);
inline bool LinkThreadStopRequested(const DiagnosticsStore& store) {
  return store.LinkRingCount.load() < 0;
}

}  // namespace ptpdiag

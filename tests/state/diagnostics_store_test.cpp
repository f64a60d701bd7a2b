#include "state/diagnostics_store.h"

#include <gtest/gtest.h>

#include <vector>

#include "state/nearest.h"

namespace ptpdiag {
namespace {

// Closes a period whose sums make slot n's averages equal n.
void SampleAt(DiagnosticsStore& s, std::int32_t now, int n, int misses = 0, int goods = 1) {
  s.PeriodFrames = 1;
  s.PeriodNoiseSum = n;
  s.PeriodGoodCount = goods;
  s.PeriodMissCount = misses;
  s.PeriodSignalSum = n * goods;
  s.PeriodVswrSum = n;
  s.PeriodCurrentSum = n;
  s.PeriodXmitSum = n;
  s.PeriodRcvdSum = 2 * n;
  TakeHistorySample(s, [now] { return now; });
  ResetPeriod(s);
}

TEST(HistorySample, FirstSampleWritesSlotOneAndCountsGoToSlotZero) {
  DiagnosticsStore s;
  SampleAt(s, 2, 5, /*misses=*/3, /*goods=*/2);
  EXPECT_EQ(s.HistIndex, 1);
  EXPECT_EQ(s.HistTime[1], 2);
  EXPECT_EQ(s.HistNoise[1], 5);
  EXPECT_EQ(s.HistSignal[1], 5);
  EXPECT_EQ(s.HistVswr[1], 5);
  EXPECT_EQ(s.HistCurrent[1], 5);
  EXPECT_EQ(s.HistMissCount[0], 3);
  EXPECT_EQ(s.HistGoodCount[0], 2);
  EXPECT_EQ(s.HistXmit[0], 5);
  EXPECT_EQ(s.HistRcvd[0], 10);
  EXPECT_EQ(s.HistErrorRate[1], 128);  // 255 x 3 / 6 = 127.5
  EXPECT_EQ(s.HistMissCount[1], 0);
  EXPECT_EQ(s.HistSignal[0], 0);
  EXPECT_EQ(s.HistTime[0], 0);
}

TEST(HistorySample, PeriodWithoutGoodFramesKeepsTheSignalSlot) {
  DiagnosticsStore s;
  s.HistSignal[1] = 77;
  s.PeriodFrames = 1;
  s.PeriodNoiseSum = 33;
  s.PeriodMissCount = 1;
  TakeHistorySample(s, [] { return 3; });
  EXPECT_EQ(s.HistSignal[1], 77);
  EXPECT_EQ(s.HistNoise[1], 33);
  EXPECT_EQ(s.HistErrorRate[1], 128);  // one miss: 255 / 2
}

TEST(HistorySample, AveragesRoundHalvesToEven) {
  DiagnosticsStore s;
  s.PeriodFrames = 4;
  s.PeriodNoiseSum = 10;   // 2.5
  s.PeriodVswrSum = 14;    // 3.5
  s.PeriodCurrentSum = 2;  // 0.5
  s.PeriodGoodCount = 2;
  s.PeriodSignalSum = 5;  // 2.5
  TakeHistorySample(s, [] { return 2; });
  EXPECT_EQ(s.HistNoise[1], 2);
  EXPECT_EQ(s.HistVswr[1], 4);
  EXPECT_EQ(s.HistCurrent[1], 0);
  EXPECT_EQ(s.HistSignal[1], 2);
}

class FullHistory : public testing::Test {
 protected:
  void SetUp() override {
    for (int n = 1; n <= 511; ++n)
      SampleAt(s, 2 * n, n);
    ASSERT_EQ(s.HistIndex, 511);
    ASSERT_EQ(s.HistTime[511], 1022);
    ASSERT_EQ(s.HistXmit[510], 511);
  }
  DiagnosticsStore s;
};

TEST_F(FullHistory, FirstCompactionMergesSlotTwoIntoThree) {
  SampleAt(s, 1024, 512, /*misses=*/3, /*goods=*/1);
  EXPECT_EQ(s.HistIndex, 511);
  // Slot 2 now holds the merge of old slots 2 and 3; the rest moved down.
  EXPECT_EQ(s.HistTime[1], 2);
  EXPECT_EQ(s.HistTime[2], 6);
  EXPECT_EQ(s.HistTime[3], 8);
  EXPECT_EQ(s.HistTime[510], 1022);
  EXPECT_EQ(s.HistTime[511], 1024);
  EXPECT_EQ(s.HistSignal[2], 2);  // (2 + 3) / 2 = 2.5 -> 2
  EXPECT_EQ(s.HistVswr[2], 2);
  EXPECT_EQ(s.HistNoise[2], 3);  // noise is not merged, only moved
  EXPECT_EQ(s.HistSignal[3], 4);
  EXPECT_EQ(s.HistSignal[511], 512);
  EXPECT_EQ(s.HistXmit[1], 2);
  EXPECT_EQ(s.HistXmit[2], 7);  // 3 + 4
  EXPECT_EQ(s.HistXmit[3], 5);
  EXPECT_EQ(s.HistXmit[510], 512);  // this period's counts, moved down with slot 511
  EXPECT_EQ(s.HistXmit[511], 0);
  EXPECT_EQ(s.HistErrorRate[511], 153);  // 255 x 3 / (1 + 3 + 1)
}

TEST_F(FullHistory, LaterCompactionsMoveToTheNextDenseSlot) {
  SampleAt(s, 1024, 512);
  SampleAt(s, 1026, 513);
  EXPECT_EQ(s.HistTime[2], 6);
  EXPECT_EQ(s.HistTime[3], 10);  // slot 3 (time 8) merged into the next
  EXPECT_EQ(s.HistTime[511], 1026);
}

TEST_F(FullHistory, HoursOfSamplesKeepTimesOrderedAndSpanningTheHistory) {
  std::int32_t now = 1022;
  for (int n = 512; n < 512 + 3000; ++n)
    SampleAt(s, now += 2, n);
  EXPECT_EQ(s.HistIndex, 511);
  EXPECT_EQ(s.HistTime[1], 2);
  EXPECT_EQ(s.HistTime[511], now);
  for (int i = 1; i < 511; ++i) {
    ASSERT_LE(s.HistTime[static_cast<std::size_t>(i)], s.HistTime[static_cast<std::size_t>(i + 1)])
        << "slot " << i;
  }
  // Recent slots stay 2 s apart; old ones are spread wider.
  EXPECT_EQ(s.HistTime[511] - s.HistTime[510], 2);
  EXPECT_GT(s.HistTime[3] - s.HistTime[2], 2);
}

TEST(ResetHistoryAndTables, ClearsOnlyWhatItOwns) {
  DiagnosticsStore s;
  SampleAt(s, 2, 5, 1, 1);
  s.FreqNoise[3] = 9;
  s.FreqPeakNoise[3] = 9;
  s.ShownNoise = 101;
  s.MissRun = 4;
  ResetHistoryAndTables(s);
  EXPECT_EQ(s.HistIndex, 0);
  EXPECT_EQ(s.HistTime[1], 0);
  EXPECT_EQ(s.HistNoise[1], 0);
  EXPECT_EQ(s.HistSignal[1], 0);
  EXPECT_EQ(s.HistErrorRate[1], 0);
  EXPECT_EQ(s.FreqNoise[3], 0);
  EXPECT_EQ(s.FreqPeakNoise[3], 0);
  // The counts, VSWR and current series and the running values stay.
  EXPECT_EQ(s.HistMissCount[0], 1);
  EXPECT_EQ(s.HistXmit[0], 5);
  EXPECT_EQ(s.HistVswr[1], 5);
  EXPECT_EQ(s.ShownNoise, 101);
  EXPECT_EQ(s.MissRun, 4);
}

TEST(ShownValues, FollowThePeriodMeans) {
  DiagnosticsStore s;
  s.PeriodFrames = 2;
  s.PeriodGoodCount = 1;
  s.PeriodSignalSum = 58;
  s.PeriodNoiseSum = 47;  // 128 - 23.5 = 104.5 -> 104
  s.PeriodVswrSum = 45;   // 22.5 -> 22
  s.PeriodCurrentSum = 150;
  UpdateShownSignal(s);
  UpdateShownValues(s);
  EXPECT_EQ(s.ShownSignal, 70);
  EXPECT_EQ(s.ShownNoise, 104);
  EXPECT_EQ(s.ShownVswr, 22);
  EXPECT_EQ(s.ShownCurrent, 608);  // 75 / 0.1234 (single) = 607.8
  EXPECT_EQ(s.ShownRcvdRate, 5);
}

// The smoother keeps its state whole, so the shown rate settles at the
// share of good frames: 100 on a perfect link, 50 on a half-good one.
struct RateCase {
  const char* Name;
  int Good;   // of 4 frames per cycle
  int Cycles;
  std::int32_t Shown;
};

class ReceiveRate : public testing::TestWithParam<RateCase> {};

TEST_P(ReceiveRate, SettlesAtTheShareOfGoodFrames) {
  DiagnosticsStore s;
  s.PeriodFrames = 4;
  s.PeriodGoodCount = GetParam().Good;
  for (int cycle = 0; cycle < GetParam().Cycles; ++cycle)
    UpdateShownValues(s);
  EXPECT_EQ(s.ShownRcvdRate, GetParam().Shown) << GetParam().Name;
  EXPECT_EQ(s.ShownRcvdRate, Nearest(s.RcvdRateSmooth));
}

INSTANTIATE_TEST_SUITE_P(
    Links, ReceiveRate,
    testing::Values(RateCase{"perfect, first cycle", 4, 1, 10},
                    RateCase{"perfect, ten cycles", 4, 10, 65},  // 100 x (1 - 0.9^10) = 65.1
                    RateCase{"perfect, settled", 4, 200, 100},
                    RateCase{"half good, settled", 2, 200, 50},
                    RateCase{"none good", 0, 200, 0}));

TEST(ShownValues, ReceiveRateFollowsTheLinkBothWaysAndIsNeverReset) {
  DiagnosticsStore s;
  s.PeriodFrames = 4;
  s.PeriodGoodCount = 4;
  for (int cycle = 0; cycle < 200; ++cycle)
    UpdateShownValues(s);
  EXPECT_EQ(s.ShownRcvdRate, 100);
  s.PeriodGoodCount = 0;
  UpdateShownValues(s);
  // 0.9 in single precision is 0.89999998: the state dips just below 90.
  EXPECT_EQ(s.ShownRcvdRate, 90);
  EXPECT_LT(s.RcvdRateSmooth, 90.0);
  ResetPeriod(s);
  UpdateShownValues(s);  // no frames: nothing moves
  EXPECT_EQ(s.ShownRcvdRate, 90);
  ResetHistoryAndTables(s);
  EXPECT_EQ(s.ShownRcvdRate, 90);
}

TEST(ShownValues, UnchangedWithoutFramesOrGoodFrames) {
  DiagnosticsStore s;
  s.ShownSignal = 71;
  s.ShownNoise = 99;
  UpdateShownSignal(s);
  UpdateShownValues(s);
  EXPECT_EQ(s.ShownSignal, 71);
  EXPECT_EQ(s.ShownNoise, 99);
}

TEST(LinkRing, WrapsAroundAndKeepsOrder) {
  DiagnosticsStore s;
  std::vector<std::uint8_t> chunk(700);
  for (std::size_t i = 0; i < chunk.size(); ++i)
    chunk[i] = static_cast<std::uint8_t>(i);
  for (int round = 0; round < 3; ++round) {
    ASSERT_EQ(AppendToRing(s, chunk), 0);
    for (std::size_t i = 0; i < chunk.size(); ++i)
      ASSERT_EQ(TakeFromRing(s), chunk[i]);
  }
  EXPECT_EQ(s.LinkRingCount.load(), 0);
  EXPECT_EQ(s.LinkRingUiPos, (3 * 700) % kRingSize);
  EXPECT_EQ(TakeFromRing(s), -1);
}

TEST(LinkRing, NeverHoldsMoreThanItsCapacity) {
  DiagnosticsStore s;
  const int size = kRingSize + 476;
  std::vector<std::uint8_t> big(size, 0xAB);
  EXPECT_EQ(AppendToRing(s, big), 476);
  EXPECT_EQ(s.LinkRingCount.load(), kRingSize);
  EXPECT_EQ(AppendToRing(s, big), size);
  TakeFromRing(s);
  EXPECT_EQ(AppendToRing(s, big), size - 1);
  s.LinkRingCount.store(-2);  // a stop request is never overwritten by appends
  EXPECT_EQ(AppendToRing(s, big), size);
  EXPECT_EQ(s.LinkRingCount.load(), -2);
}

}  // namespace
}  // namespace ptpdiag

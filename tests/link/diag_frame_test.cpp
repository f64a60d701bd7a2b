#include "link/diag_frame.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/test_app.h"

namespace ptpdiag {
namespace {

using test::MakeFrame;

TEST(CheckFrame, AcceptsMatchingXorAndRejectsOthers) {
  const DiagFrame example{240, 100, 95, 0, 3, 4, 20, 0, 40};
  EXPECT_TRUE(CheckFrame(example));
  DiagFrame wrong = example;
  wrong[8] = 41;
  EXPECT_FALSE(CheckFrame(wrong));
  // The lead byte takes no part in the check.
  DiagFrame otherLead = example;
  otherLead[0] = 0;
  EXPECT_TRUE(CheckFrame(otherLead));
  // Every data byte does.
  for (std::size_t i = 1; i <= 7; ++i) {
    DiagFrame flipped = example;
    flipped[i] ^= 0x01;
    EXPECT_FALSE(CheckFrame(flipped)) << "byte " << i;
  }
}

struct SpotCase {
  std::vector<std::uint8_t> Stream;
  bool Spotted;
};

class Spotter : public testing::TestWithParam<SpotCase> {};

TEST_P(Spotter, SeesAWholeFrameOfAChannelWithItsCheck) {
  FrameSpotter spotter;
  for (const std::uint8_t b : GetParam().Stream) spotter.Feed(b);
  EXPECT_EQ(spotter.Spotted(), GetParam().Spotted);
}

INSTANTIATE_TEST_SUITE_P(
    Streams, Spotter,
    testing::Values(SpotCase{{240, 100, 95, 0, 3, 4, 20, 0, 40}, true},
                    SpotCase{{1, 2, 240, 240, 100, 95, 0, 3, 4, 20, 0, 40, 9}, true},  // after junk
                    SpotCase{{240, 100, 95, 0, 3, 4, 20, 0}, false},                  // cut short
                    SpotCase{{240, 100, 95, 0, 3, 4, 20, 0, 41}, false},              // bad check
                    SpotCase{std::vector<std::uint8_t>(30, 240), false},  // channel 164
                    SpotCase{{240, 76, 95, 0, 3, 4, 20, 0, 0}, false},    // channel 0
                    SpotCase{{240, 187, 0, 0, 0, 0, 0, 0, 187}, true},    // channel 111
                    SpotCase{{240, 188, 0, 0, 0, 0, 0, 0, 188}, false}));

TEST(ApplyFrame, MissOnChannel24AsDocumented) {
  DiagnosticsStore s;
  s.FreqGoodScore[24] = 500;
  s.FreqNoise[24] = 100;
  s.FreqVswr[24] = 7;
  ASSERT_TRUE(ApplyFrame(s, DiagFrame{240, 100, 95, 0, 3, 4, 20, 0, 40}));
  EXPECT_EQ(s.PeriodFrames, 1);
  EXPECT_EQ(s.PeriodNoiseSum, 33);
  EXPECT_EQ(s.PeriodMissCount, 1);
  EXPECT_EQ(s.PeriodGoodCount, 0);
  EXPECT_EQ(s.MissRun, 1);
  EXPECT_EQ(s.MaxMissRun, 1);
  EXPECT_EQ(s.PeriodVswrSum, 0);  // current 0: transmitter values ignored
  EXPECT_EQ(s.FreqVswr[24], 7);
  EXPECT_EQ(s.FreqGoodScore[24], 450);  // 0.9 (single) x 500 = 449.99998...
  EXPECT_EQ(s.FreqNoise[24], 75 + 132);
  EXPECT_EQ(s.FreqPeakNoise[24], 33);
  EXPECT_EQ(s.PeriodXmitSum, 3);
  EXPECT_EQ(s.PeriodRcvdSum, 4);
}

struct NoiseCase {
  int noiseByte;
  int level;
};

class NoiseLevel : public testing::TestWithParam<NoiseCase> {};

TEST_P(NoiseLevel, IsClampedAt127) {
  DiagnosticsStore s;
  ApplyFrame(s, MakeFrame(80, GetParam().noiseByte, 70, 0, 0, 0, 0));
  EXPECT_EQ(s.PeriodNoiseSum, GetParam().level);
  EXPECT_EQ(s.FreqPeakNoise[4], GetParam().level);
}

INSTANTIATE_TEST_SUITE_P(Bytes, NoiseLevel,
                         testing::Values(NoiseCase{0, 128}, NoiseCase{105, 23}, NoiseCase{127, 1},
                                         NoiseCase{128, 1}, NoiseCase{200, 1}, NoiseCase{255, 1}));

TEST(ApplyFrame, MissRunsAndTheirMaximum) {
  DiagnosticsStore s;
  for (int miss = 0; miss < 3; ++miss)
    ApplyFrame(s, MakeFrame(80, 100, 0, 0, 0, 0, 0));
  ApplyFrame(s, MakeFrame(80, 100, 60, 0, 0, 0, 0));
  EXPECT_EQ(s.MaxMissRun, 3);
  EXPECT_EQ(s.MissRun, 0);
  ApplyFrame(s, MakeFrame(80, 100, 0, 0, 0, 0, 0));
  EXPECT_EQ(s.MaxMissRun, 3);
  EXPECT_EQ(s.MissRun, 1);
}

TEST(ApplyFrame, SignalSmoothsByHalves) {
  DiagnosticsStore s;
  ApplyFrame(s, MakeFrame(90, 100, 60, 0, 0, 0, 0));
  EXPECT_EQ(s.FreqSignal[14], 544);
  ApplyFrame(s, MakeFrame(90, 100, 60, 0, 0, 0, 0));
  EXPECT_EQ(s.FreqSignal[14], 816);
  EXPECT_EQ(s.PeriodSignalSum, 136);
  EXPECT_EQ(s.FreqGoodScore[14], 190);  // 100, then round(0.9 x 100) + 100
}

TEST(ApplyFrame, TransmitterValuesOnlyWithCurrent) {
  DiagnosticsStore s;
  ApplyFrame(s, MakeFrame(100, 100, 60, 0, 0, 30, 75));
  EXPECT_EQ(s.FreqCurrent[24], 300);
  EXPECT_EQ(s.FreqVswr[24], 120);
  EXPECT_EQ(s.PeriodCurrentSum, 75);
  EXPECT_EQ(s.PeriodVswrSum, 30);
  ApplyFrame(s, MakeFrame(100, 100, 60, 0, 0, 31, 75));
  EXPECT_EQ(s.FreqCurrent[24], 525);  // 225 + 300
  EXPECT_EQ(s.FreqVswr[24], 214);     // 90 + 124
}

TEST(ApplyFrame, QuarterWeightTiesGoToEven) {
  DiagnosticsStore s;
  s.FreqNoise[0] = 2;  // 3 x 2 / 4 = 1.5
  ApplyFrame(s, MakeFrame(76, 127, 60, 0, 0, 0, 0));
  EXPECT_EQ(s.FreqNoise[0], 6);  // 1.5 + 4 = 5.5 -> 6
  s.FreqNoise[0] = 6;            // 4.5 + 4 = 8.5 -> 8
  ApplyFrame(s, MakeFrame(76, 127, 60, 0, 0, 0, 0));
  EXPECT_EQ(s.FreqNoise[0], 8);
}

struct ChannelCase {
  int channelByte;
  int entry;  // -1: ignored
};

class ChannelEntry : public testing::TestWithParam<ChannelCase> {};

TEST_P(ChannelEntry, ByteMinus76AddressesTheTables) {
  DiagnosticsStore s;
  const bool applied = ApplyFrame(s, MakeFrame(GetParam().channelByte, 100, 60, 1, 2, 3, 4));
  if (GetParam().entry < 0) {
    EXPECT_FALSE(applied);
    EXPECT_EQ(s.PeriodFrames, 0);
    EXPECT_EQ(s.PeriodXmitSum, 0);
    for (int i = 0; i < kChannelCount; ++i)
      EXPECT_EQ(s.FreqNoise[static_cast<std::size_t>(i)], 0);
  } else {
    EXPECT_TRUE(applied);
    EXPECT_EQ(s.PeriodFrames, 1);
    EXPECT_EQ(s.FreqNoise[static_cast<std::size_t>(GetParam().entry)], 4 * 28);
  }
}

INSTANTIATE_TEST_SUITE_P(Bytes, ChannelEntry,
                         testing::Values(ChannelCase{76, 0}, ChannelCase{187, 111},
                                         ChannelCase{255, 179}, ChannelCase{75, -1},
                                         ChannelCase{0, -1}, ChannelCase{240, 164}));

TEST(ApplyFrame, SignalAbove128GivesNegativeLevel) {
  DiagnosticsStore s;
  ApplyFrame(s, MakeFrame(80, 100, 200, 0, 0, 0, 0));
  EXPECT_EQ(s.PeriodSignalSum, -72);
  EXPECT_EQ(s.FreqSignal[4], -576);
}

TEST(ApplyFrame, PeriodFramesWrapsLikeA16BitCounterWithoutHarm) {
  DiagnosticsStore s;
  s.PeriodFrames = 32767;
  ApplyFrame(s, MakeFrame(80, 100, 60, 0, 0, 0, 0));
  EXPECT_EQ(s.PeriodFrames, -32768);
}

}  // namespace
}  // namespace ptpdiag

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "alignment/alignment_meter.h"
#include "alignment/tone.h"
#include "link/diag_frame.h"
#include "sim/frame_generator.h"

namespace ptpdiag {
namespace {

constexpr std::int64_t kTick = 250;

// The simulator into the meter as the poll cycle feeds it: each frame goes
// to the first tick after its hop; the figures of every tick.
std::vector<AlignmentFigures> Simulate(sim::GeneratorSettings s, double seconds) {
  sim::FrameGenerator generator(s);
  AlignmentMeter meter;
  std::vector<AlignmentFigures> ticks;
  sim::GeneratedHop hop = generator.Next();
  for (std::int64_t t = kTick; t <= seconds * 1000; t += kTick) {
    for (; hop.TimeMs < t; hop = generator.Next())
      meter.AddFrame(hop.Frame[1] - kChannelByteOffset, hop.Frame[3], t);
    ticks.push_back(meter.EndTick(t, -109.0));
  }
  return ticks;
}

sim::GeneratorSettings StaticLink(double hopsPerSecond, std::vector<sim::SignalStep> steps = {}) {
  sim::GeneratorSettings s;
  s.Seed = 11;
  s.HopsPerSecond = hopsPerSecond;
  s.MissFraction = 0;
  s.ChannelSpreadDb = 6;
  s.SignalSigmaDb = 2;
  s.Steps = std::move(steps);
  return s;
}

double Deviation(const std::vector<double>& v) {
  double mean = 0, squares = 0;
  for (double x : v) mean += x / static_cast<double>(v.size());
  for (double x : v) squares += (x - mean) * (x - mean);
  return std::sqrt(squares / static_cast<double>(v.size()));
}

double LevelAt(const std::vector<AlignmentFigures>& ticks, std::int64_t ms) {
  return ticks[static_cast<std::size_t>(ms / kTick - 1)].LevelDbm.value_or(NAN);
}

TEST(AlignmentMeter, StaticLinkHoldsStillThroughTheChannelSpread) {
  const auto ticks = Simulate(StaticLink(50), 180);
  std::vector<double> level, raw;
  for (const AlignmentFigures& f : ticks) {
    if (f.Ms < 30000) continue;
    level.push_back(*f.LevelDbm);
    raw.push_back(*f.RawDbm);
  }
  EXPECT_LE(Deviation(level), 0.5);
  EXPECT_GE(Deviation(raw), 2 * Deviation(level));  // the spread the correction removes
}

struct StepCase {
  const char* name;
  double hopsPerSecond;
  double db;
  // Each tick's level scatters (0.3 dB at 50 hops/s, 0.7 at 10, where a
  // second holds ten frames): the tick 3 s after the step, and the mean of
  // the ten seconds from there, against the level before plus the step.
  double tickTolerance;
  double meanTolerance;
};

class AlignmentStep : public testing::TestWithParam<StepCase> {};

// A turn of the whole link shows within a second and settles within three.
TEST_P(AlignmentStep, ShowsWithinOneSecondAndSettlesWithinThree) {
  const StepCase& c = GetParam();
  constexpr std::int64_t kStepMs = 120000;
  const auto ticks = Simulate(StaticLink(c.hopsPerSecond, {{kStepMs / 1000.0, c.db}}), 135);
  const auto mean = [&](std::int64_t from, std::int64_t to) {
    double sum = 0;
    for (std::int64_t ms = from; ms < to; ms += kTick) sum += LevelAt(ticks, ms);
    return sum / static_cast<double>((to - from) / kTick);
  };
  const double before = mean(kStepMs - 60000, kStepMs);
  EXPECT_GE((LevelAt(ticks, kStepMs + 1000) - before) * (c.db > 0 ? 1 : -1), 1.5);
  EXPECT_NEAR(LevelAt(ticks, kStepMs + 3000), before + c.db, c.tickTolerance);
  EXPECT_NEAR(mean(kStepMs + 3000, kStepMs + 13000), before + c.db, c.meanTolerance);
}

INSTANTIATE_TEST_SUITE_P(Steps, AlignmentStep,
                         testing::Values(StepCase{"Up50", 50, 3, 0.5, 0.3},
                                         StepCase{"Down50", 50, -3, 0.5, 0.3},
                                         StepCase{"Up10", 10, 3, 1.5, 0.9},
                                         StepCase{"Down10", 10, -3, 1.5, 0.9}),
                         [](const auto& info) { return info.param.name; });

// One channel at -70 dBm for 2 s, then at -80: the peak is held 2 s, falls
// 3 dB/s and meets the level; the best keeps -70 and when it came.
TEST(AlignmentMeter, PeakHoldFallsAndBestStays) {
  AlignmentMeter meter;
  struct Expect {
    std::int64_t Ms;
    double PeakDbm;
  };
  const Expect table[] = {{2000, -70}, {4000, -70}, {4500, -71.5}, {7000, -79}, {8000, -80}};
  std::size_t next = 0;
  for (std::int64_t t = kTick; t <= 8000; t += kTick) {
    meter.AddFrame(1, t <= 2000 ? 70 : 80, t);
    const AlignmentFigures& f = meter.EndTick(t, std::nullopt);
    if (next < std::size(table) && table[next].Ms == t) {
      EXPECT_DOUBLE_EQ(*f.PeakDbm, table[next].PeakDbm) << t;
      ++next;
    }
  }
  EXPECT_EQ(meter.Figures().BestDbm, -70.0);
  EXPECT_EQ(meter.Figures().BestMs, kTick);
  meter.ResetBest();
  meter.AddFrame(1, 80, 8250);
  EXPECT_EQ(meter.EndTick(8250, std::nullopt).BestDbm, -80.0);
}

TEST(Tone, AbsolutePitchRisesWithTheLevelAndIsSilentBelowTheSquelch) {
  TonePitch tone;
  double last = 0;
  for (double level = -110; level <= -30; level += 0.25) {
    AlignmentFigures f;
    f.LevelDbm = level;
    const double hz = tone.AtTick(f).Hz;
    if (level < kDefaultSquelchDbm) {
      EXPECT_EQ(hz, 0) << level;
    }
    EXPECT_GE(hz, last) << level;
    last = hz;
  }
  AlignmentFigures at;
  at.LevelDbm = kDefaultSquelchDbm;
  EXPECT_DOUBLE_EQ(tone.AtTick(at).Hz, kLowestToneHz);
  at.LevelDbm = kDefaultTopDbm;
  EXPECT_DOUBLE_EQ(tone.AtTick(at).Hz, kHighestToneHz);
}

TEST(Tone, MagnifierMakesEachDecibelAtLeastFivePercent) {
  TonePitch tone({ToneMode::Magnifier});
  AlignmentFigures f;
  for (std::int64_t t = 0; t < 10000; t += kTick) {
    f.Ms = t;
    f.LevelDbm = -70;
    tone.AtTick(f);
  }
  f.Ms = 10000;
  f.LevelDbm = -70;
  const double centre = tone.AtTick(f).Hz;
  f.Ms += kTick;
  f.LevelDbm = -69;
  EXPECT_GE(tone.AtTick(f).Hz / centre, 1.05);
}

struct LinkToneCase {
  const char* name;
  std::optional<double> goodPct;
  bool failedChecks;
  BeepPattern pattern;
};

class LinkTone : public testing::TestWithParam<LinkToneCase> {};

TEST_P(LinkTone, BeepsSayWhatTheLinkDoes) {
  const LinkToneCase& c = GetParam();
  TonePitch tone({ToneMode::Link});
  AlignmentFigures f;
  f.GoodPct = c.goodPct;
  f.FailedChecks = c.failedChecks;
  const ToneState state = tone.AtTick(f);
  EXPECT_EQ(state.Pattern, c.pattern);
  EXPECT_GT(state.Hz, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, LinkTone,
    testing::Values(LinkToneCase{"GoodFramesSteady", 97.0, false, BeepPattern::Steady},
                    LinkToneCase{"NoFramesSlow", std::nullopt, false, BeepPattern::Slow},
                    LinkToneCase{"AllMissedSlow", 0.0, false, BeepPattern::Slow},
                    LinkToneCase{"FailedChecksFast", 90.0, true, BeepPattern::Fast}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace ptpdiag

#include "sim/frame_generator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <set>
#include <vector>

namespace ptpdiag::sim {
namespace {

std::vector<GeneratedHop> Generate(const GeneratorSettings& settings, int count) {
  FrameGenerator generator(settings);
  std::vector<GeneratedHop> hops;
  hops.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i)
    hops.push_back(generator.Next());
  return hops;
}

double MissShare(const std::vector<GeneratedHop>& hops) {
  const auto misses = std::count_if(hops.begin(), hops.end(),
                                    [](const GeneratedHop& h) { return h.Frame[3] == 0; });
  return static_cast<double>(misses) / static_cast<double>(hops.size());
}

TEST(FrameGeneratorTest, CleanFramesPassTheCheckAndNameTheirChannel) {
  for (const GeneratedHop& hop : Generate(GeneratorSettings{}, 50'000)) {
    ASSERT_TRUE(CheckFrame(hop.Frame));
    EXPECT_EQ(hop.Frame[0], kFrameLead);
    ASSERT_GE(hop.Channel, 0);
    ASSERT_LT(hop.Channel, kHopChannels);
    EXPECT_EQ(hop.Frame[1], hop.Channel + kChannelByteOffset);
    EXPECT_EQ(hop.Fault, HopFault::None);
    EXPECT_EQ(hop.GarbageCount, 0);
  }
}

TEST(FrameGeneratorTest, SameSeedSameStreamOtherSeedOtherStream) {
  GeneratorSettings settings;
  settings.Seed = 42;
  settings.GarbageFraction = 0.05;
  settings.BadCheckFraction = 0.05;
  const auto a = Generate(settings, 20'000);
  const auto b = Generate(settings, 20'000);
  settings.Seed = 43;
  const auto c = Generate(settings, 20'000);
  int differing = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    ASSERT_EQ(a[i].TimeMs, b[i].TimeMs);
    ASSERT_EQ(a[i].Frame, b[i].Frame);
    ASSERT_EQ(a[i].GarbageCount, b[i].GarbageCount);
    ASSERT_EQ(a[i].Garbage, b[i].Garbage);
    if (a[i].Frame != c[i].Frame) ++differing;
  }
  EXPECT_GT(differing, 19'000);
}

TEST(FrameGeneratorTest, EveryRunOf112HopsVisitsEveryChannelOnce) {
  const auto hops = Generate(GeneratorSettings{}, 112 * 5);
  for (int start = 0; start < 112 * 4; start += 37) {
    std::set<int> seen;
    for (int i = start; i < start + 112; ++i)
      seen.insert(hops[static_cast<std::size_t>(i)].Channel);
    EXPECT_EQ(seen.size(), 112U) << "from hop " << start;
  }
}

TEST(FrameGeneratorTest, HopsComeAtTheRate) {
  const auto hops = Generate(GeneratorSettings{}, 1000);
  for (std::size_t i = 0; i < hops.size(); ++i)
    ASSERT_EQ(hops[i].TimeMs, static_cast<std::int64_t>(20 * i));

  GeneratorSettings odd;
  odd.HopsPerSecond = 33.3;
  FrameGenerator generator(odd);
  std::int64_t last = -1;
  for (int i = 0; i < 10'000; ++i) {
    const GeneratedHop hop = generator.Next();
    ASSERT_GE(hop.TimeMs, last);
    last = hop.TimeMs;
  }
  // 10000 hops at 33.3 per second end just after 300 s.
  EXPECT_EQ(last, 300'270);
}

TEST(FrameGeneratorTest, MissShareFollowsTheSetting) {
  for (double wanted : {0.01, 0.03, 0.1, 0.3}) {
    GeneratorSettings settings;
    settings.MissFraction = wanted;
    settings.Seed = 7;
    const double share = MissShare(Generate(settings, 300'000));
    EXPECT_NEAR(share, wanted, 0.15 * wanted) << "wanted " << wanted;
  }
  GeneratorSettings none;
  none.MissFraction = 0.0;
  EXPECT_EQ(MissShare(Generate(none, 100'000)), 0.0);
}

TEST(FrameGeneratorTest, MissesComeInBursts) {
  GeneratorSettings settings;
  settings.MeanMissBurst = 5.0;
  const auto hops = Generate(settings, 300'000);
  int runs = 0, misses = 0;
  bool inRun = false;
  for (const GeneratedHop& hop : hops) {
    const bool miss = hop.Frame[3] == 0;
    if (miss) ++misses;
    if (miss && !inRun) ++runs;
    inRun = miss;
  }
  ASSERT_GT(runs, 0);
  // Isolated misses on the noisy channels pull the mean below the burst length.
  EXPECT_GT(static_cast<double>(misses) / runs, 2.5);
}

TEST(FrameGeneratorTest, ReadingsStayInTheRadiosRanges) {
  const auto hops = Generate(GeneratorSettings{}, 100'000);
  int transmitting = 0;
  double signalSum = 0.0;
  int received = 0;
  std::vector<int> noise;
  for (const GeneratedHop& hop : hops) {
    const DiagFrame& f = hop.Frame;
    noise.push_back(f[2]);
    if (f[3] != 0) {
      ASSERT_GE(f[3], 55);
      ASSERT_LE(f[3], 95);
      signalSum += f[3];
      ++received;
    } else {
      EXPECT_EQ(f[5], 0) << "nothing is received on a missed hop";
    }
    if (f[7] != 0) {
      ++transmitting;
      ASSERT_GE(f[7], 60);
      ASSERT_LE(f[7], 90);
      ASSERT_GE(f[6], 15);
      ASSERT_LE(f[6], 40);
      ASSERT_GT(f[4], 0);
    } else {
      ASSERT_EQ(f[6], 0);
      ASSERT_EQ(f[4], 0);
    }
  }
  const double meanSignal = signalSum / received;
  EXPECT_GT(meanSignal, 62.0);
  EXPECT_LT(meanSignal, 82.0);
  std::nth_element(noise.begin(), noise.begin() + noise.size() / 2, noise.end());
  EXPECT_GE(noise[noise.size() / 2], 103);
  EXPECT_LE(noise[noise.size() / 2], 115);
  const double txShare = static_cast<double>(transmitting) / hops.size();
  EXPECT_GT(txShare, 0.35);
  EXPECT_LT(txShare, 0.65);
}

TEST(FrameGeneratorTest, NoisyChannelsStandOut) {
  FrameGenerator generator(GeneratorSettings{});
  const std::vector<int> noisy = generator.NoisyChannels();
  ASSERT_GE(noisy.size(), 2U);
  std::vector<double> sum(kHopChannels, 0.0);
  std::vector<int> count(kHopChannels, 0);
  for (int i = 0; i < 112 * 200; ++i) {
    const GeneratedHop hop = generator.Next();
    sum[static_cast<std::size_t>(hop.Channel)] += hop.Frame[2];
    ++count[static_cast<std::size_t>(hop.Channel)];
  }
  double quietSum = 0.0;
  int quiet = 0;
  for (int c = 0; c < kHopChannels; ++c) {
    if (std::find(noisy.begin(), noisy.end(), c) != noisy.end()) continue;
    quietSum += sum[static_cast<std::size_t>(c)] / count[static_cast<std::size_t>(c)];
    ++quiet;
  }
  for (int c : noisy) {
    const double mean = sum[static_cast<std::size_t>(c)] / count[static_cast<std::size_t>(c)];
    // A lower byte is a higher noise level in dBm.
    EXPECT_LT(mean, quietSum / quiet - 6.0) << "channel " << c;
  }
}

TEST(FrameGeneratorTest, TrafficDrifts) {
  // The counts summed over 10 s windows must move, or the rate curves are flat.
  const auto hops = Generate(GeneratorSettings{}, 50 * 1200);
  std::vector<int> windows;
  for (std::size_t start = 0; start < hops.size(); start += 500) {
    int bytes = 0;
    for (std::size_t i = start; i < start + 500; ++i)
      bytes += hops[i].Frame[4];
    windows.push_back(bytes);
  }
  const auto [low, high] = std::minmax_element(windows.begin(), windows.end());
  EXPECT_GT(*high, 2 * *low);
}

TEST(FrameGeneratorTest, FaultsHitTheirShareAndLeaveTheCleanStreamAlone) {
  GeneratorSettings clean;
  clean.Seed = 3;
  GeneratorSettings faulty = clean;
  faulty.BadCheckFraction = 0.1;
  faulty.LowChannelFraction = 0.05;
  faulty.GarbageFraction = 0.02;
  const auto a = Generate(clean, 100'000);
  const auto b = Generate(faulty, 100'000);
  int badCheck = 0, lowChannel = 0, garbage = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const GeneratedHop& hop = b[i];
    ASSERT_EQ(hop.TimeMs, a[i].TimeMs);
    ASSERT_EQ(hop.Channel, a[i].Channel);
    if (hop.GarbageCount > 0) {
      ++garbage;
      ASSERT_LE(hop.GarbageCount, kMaxGarbageBytes);
    }
    switch (hop.Fault) {
      case HopFault::None:
        ASSERT_EQ(hop.Frame, a[i].Frame);
        break;
      case HopFault::BadCheck:
        ++badCheck;
        ASSERT_FALSE(CheckFrame(hop.Frame));
        ASSERT_TRUE(std::equal(hop.Frame.begin(), hop.Frame.begin() + 8, a[i].Frame.begin()));
        break;
      case HopFault::LowChannel:
        ++lowChannel;
        ASSERT_TRUE(CheckFrame(hop.Frame));
        ASSERT_LT(hop.Frame[1], kChannelByteOffset);
        ASSERT_TRUE(
            std::equal(hop.Frame.begin() + 2, hop.Frame.begin() + 8, a[i].Frame.begin() + 2));
        break;
    }
  }
  EXPECT_NEAR(badCheck, 10'000, 600);
  EXPECT_NEAR(lowChannel, 5'000, 450);
  EXPECT_NEAR(garbage, 2'000, 300);
}

TEST(FrameGeneratorTest, HopBytesAreGarbageThenFrame) {
  GeneratedHop hop;
  hop.Frame = {240, 80, 105, 70, 12, 10, 28, 75, 0};
  hop.GarbageCount = 2;
  hop.Garbage = {0xAA, 0x0F, 0x11, 0x22};
  std::vector<std::uint8_t> bytes = {7};
  AppendHopBytes(hop, bytes);
  const std::vector<std::uint8_t> expected = {7, 0xAA, 0x0F, 240, 80, 105, 70, 12, 10, 28, 75, 0};
  EXPECT_EQ(bytes, expected);
  EXPECT_EQ(FrameCheck(hop.Frame), 80 ^ 105 ^ 70 ^ 12 ^ 10 ^ 28 ^ 75);
}

TEST(FrameGeneratorTest, SettingsOutOfRangeAreRefused) {
  EXPECT_FALSE(ValidateSettings(GeneratorSettings{}));
  const auto refused = [](auto change) {
    GeneratorSettings s;
    change(s);
    return ValidateSettings(s).has_value();
  };
  EXPECT_TRUE(refused([](GeneratorSettings& s) { s.HopsPerSecond = 0.0; }));
  EXPECT_TRUE(refused([](GeneratorSettings& s) { s.HopsPerSecond = 20000.0; }));
  EXPECT_TRUE(refused([](GeneratorSettings& s) { s.MissFraction = 0.95; }));
  EXPECT_TRUE(refused([](GeneratorSettings& s) { s.MeanMissBurst = 0.5; }));
  EXPECT_TRUE(refused([](GeneratorSettings& s) { s.GarbageFraction = -0.1; }));
  EXPECT_TRUE(refused(
      [](GeneratorSettings& s) { s.BadCheckFraction = std::numeric_limits<double>::quiet_NaN(); }));
  EXPECT_TRUE(refused([](GeneratorSettings& s) {
    s.BadCheckFraction = 0.6;
    s.LowChannelFraction = 0.6;
  }));
}

}  // namespace
}  // namespace ptpdiag::sim
